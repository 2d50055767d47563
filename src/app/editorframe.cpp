#include "app/editorframe.h"

#include "app/appstate.h"
#include "app/framecatalog.h"
#include "app/framehost.h"
#include "app/languagetargets.h"
#include "app/messagetable.h"
#include "platform/fileops.h"
#include "platform/prompts.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"

#include <QResizeEvent>
#include <QShowEvent>

namespace voxa {

TEditorFrame::TEditorFrame(FrameHost *host, QWidget *parent)
    : QWidget(parent), m_host(host), m_mainPanel(new TSkinPanel(this))
{
    hide();
    EditOKButton = MakeCaptionButton(m_mainPanel, QStringLiteral("OK"), QRect(0, 0, 81, 25),
                                     [this] { EditOKButtonClick(); });
    EditOKButton->hide();
    CancelButton = MakeCaptionButton(m_mainPanel, QStringLiteral("Close"), QRect(0, 0, 81, 25),
                                     [this] { CancelButtonClick(); });
    // Every editor's OK and Close take the language file's texts.
    auto &targets = LanguageTargets::instance();
    targets.add(146, this, [this](const QString &t) { EditOKButton->setCaption(t); });
    targets.add(187, this, [this](const QString &t) { CancelButton->setCaption(t); });
    resize(348, 240);
}

TEditorFrame::~TEditorFrame() = default;

void TEditorFrame::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

bool TEditorFrame::Load()
{
    return false;
}

bool TEditorFrame::Save()
{
    if (!m_fileName.isEmpty())
        fs::makeWritable(m_fileName);
    return true;
}

void TEditorFrame::Activate()
{
    if (m_firstShow)
        FirstShowSetup();
}

void TEditorFrame::Reset()
{
    if (m_host)
        m_host->setTitleLine(QString());
    setModified(false);
}

void TEditorFrame::FirstShowSetup()
{
    m_firstShow = false;
}

void TEditorFrame::CommitEdits()
{
}

void TEditorFrame::LayoutButtons()
{
    CancelButton->move(width() - CancelButton->width() - 6, height() - CancelButton->height() - 30);
    EditOKButton->move(CancelButton->x() - EditOKButton->width() - 6, CancelButton->y());
}

bool TEditorFrame::CanSave()
{
    return true;
}

void TEditorFrame::RefreshTitle()
{
    if (isVisible())
        WriteTitle();
}

bool TEditorFrame::ImageKeyDown(int, Qt::KeyboardModifiers)
{
    return false;
}

QString TEditorFrame::TitleText(const QString &kindWord) const
{
    QString base;
    if (m_fileName.isEmpty()) {
        base = msg(Msg::Untitled);
    } else {
        base = m_fileName.mid(m_fileName.lastIndexOf(QLatin1Char('\\')) + 1);
        base.chop(4);
    }
    return kindWord + msg(Msg::Editor) + QStringLiteral(": ") + base;
}

void TEditorFrame::WriteTitle()
{
    if (m_host)
        m_host->setTitleLine(TitleText(KindWord()));
}

bool TEditorFrame::OpenDocument(const QString &path)
{
    m_fileName = path;
    if (Load())
        return true;
    m_fileName.clear();
    setModified(false);
    return false;
}

bool TEditorFrame::SaveDocument()
{
    if (!CanSave())
        return false;
    CommitEdits();
    if (m_overlapped) {
        MessageBox box;
        box.text = msg(Msg::OverlappedFields);
        box.placement = Placement::centered();
        prompts().message(box);
        return false;
    }
    if (!m_fileName.isEmpty())
        return Save();
    DeviceFileDialog *dialog = m_host ? m_host->fileDialog() : nullptr;
    if (!dialog)
        return false;
    QWidget *window = dialog->Window();
    const QRect main = m_host->windowGeometry();
    dialog->setMode(DeviceFileDialog::Mode::Save);
    dialog->setFolder(QString(appState().DriveLetter) + m_folder);
    dialog->setExtension(m_extension);
    const QSize size = window ? window->size() : QSize();
    dialog->ShowModalAt(QPoint(main.left() + (main.width() - size.width()) / 2,
                               main.top() + (main.height() - size.height()) / 2));
    const QString path = dialog->ResultPath();
    if (path.isEmpty())
        return false;
    m_fileName = path;
    return Save();
}

bool TEditorFrame::CloseEditor(bool keepHidden)
{
    bool answer = true;
    if (m_modified) {
        CommitEdits();
        const Button pressed = prompts().ask(QStringLiteral("Warning"), msg(Msg::SaveChanges),
                                             Button::Yes | Button::No | Button::Cancel, Button::No,
                                             Placement::frameBox(70, 50));
        if (pressed == Button::Yes)
            answer = SaveDocument();
        else
            answer = pressed == Button::No;
    }
    if (answer) {
        hide();
        setModified(false);
        Reset();
        if (!keepHidden && m_host)
            m_host->ShowStartPanel();
    }
    return answer;
}

void TEditorFrame::CancelButtonClick()
{
    CloseEditor(false);
}

void TEditorFrame::EditOKButtonClick()
{
    if (m_modified && !SaveDocument())
        return;
    hide();
    setModified(false);
    Reset();
    if (m_host)
        m_host->ShowStartPanel();
}

void TEditorFrame::ReportWrongFormat()
{
    ShowWrongFormat();
    setModified(false);
    CloseEditor(false);
}

void TEditorFrame::ShowWrongFormat()
{
    MessageBox box;
    box.title = QStringLiteral("Error");
    box.text = msg(Msg::WrongFileFormat);
    box.icon = BoxIcon::Error;
    box.placement = Placement::frameBox(70, 50);
    prompts().message(box);
}

void TEditorFrame::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    putButtonsLast();
    if (!e->spontaneous() && isVisible())
        Activate();
}

// OK and Close are made before the editor's own controls, so the creation
// order would put them first; Tab reads the frame top to bottom.
void TEditorFrame::putButtonsLast()
{
    QWidget *last = nullptr;
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain())
        if (w != EditOKButton && w != CancelButton && isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus))
            last = w;
    if (!last)
        return;
    QWidget::setTabOrder(last, EditOKButton);
    QWidget::setTabOrder(EditOKButton, CancelButton);
}

void TEditorFrame::resizeEvent(QResizeEvent *e)
{
    m_mainPanel->setGeometry(rect());
    QWidget::resizeEvent(e);
    LayoutButtons();
}

}  // namespace voxa
