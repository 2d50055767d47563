#include "app/otherframe.h"

#include "app/framehost.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"

#include <QShowEvent>

namespace voxa {

TOtherFrame::TOtherFrame(FrameHost *host, QWidget *parent, QSize size)
    : QWidget(parent), m_host(host)
{
    hide();
    MainPanel = new TSkinPanel(this);
    OKButton = MakeCaptionButton(MainPanel, QStringLiteral("OK"), QRect(0, 0, 81, 25));
    resize(size);
}

void TOtherFrame::OnShowFrame()
{
    if (m_host)
        m_host->setFileToolsEnabled(false);
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
    if (!keepHidden && m_host)
        m_host->ShowStartPanel();
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
