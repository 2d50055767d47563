#include "app/otherframe.h"

#include "app/mainform.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"

#include <QShowEvent>

namespace voxa {

TOtherFrame::TOtherFrame(TMainForm *main, QSize size)
    : QWidget(main), m_main(main)
{
    hide();
    MainPanel = new TSkinPanel(this);
    OKButton = new TSkinButton(MainPanel);
    OKButton->setAutoSize(false);
    OKButton->resize(81, 25);
    OKButton->setCaption(QStringLiteral("OK"));
    resize(size);
}

void TOtherFrame::OnShowFrame()
{
    if (m_main)
        Host()->setFileToolsEnabled(false);
}

FrameHost *TOtherFrame::Host() const
{
    return m_main;
}

void TOtherFrame::OnCloseFrame()
{
}

void TOtherFrame::LayoutButtons()
{
    OKButton->move(width() - OKButton->width() - 6, height() - OKButton->height() - 30);
}

void TOtherFrame::RefreshTitle()
{
}

bool TOtherFrame::QueryCloseFrame()
{
    return true;
}

bool TOtherFrame::CloseFrame(bool keepHidden)
{
    if (!QueryCloseFrame())
        return false;
    hide();
    OnCloseFrame();
    if (!keepHidden && m_main)
        Host()->ShowStartPanel();
    return true;
}

void TOtherFrame::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous())
        OnShowFrame();
}

void TOtherFrame::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    MainPanel->setGeometry(rect());
    LayoutButtons();
}

}  // namespace voxa
