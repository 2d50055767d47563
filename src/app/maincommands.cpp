// The commands of the menus, the tool buttons and the keys.
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/drivelocator.h"
#include "app/editorframe.h"
#include "app/frametable.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "app/otherframe.h"
#include "app/owntexts.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "platform/prompts.h"
#include "ui/artwork.h"
#include "ui/skinbutton.h"
#include "ui/skinfocus.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <algorithm>

namespace voxa {
namespace {

QString onDrive(const QString &below)
{
    return QString(appState().DriveLetter) + QStringLiteral(":\\") + below;
}

bool chmViewerAvailable()
{
    for (const char *viewer : {"xchm", "kchmviewer", "uchmviewer", "chmsee"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(viewer)).isEmpty())
            return true;
    return false;
}

}  // namespace

void TMainForm::RunCommand(const std::function<void()> &command)
{
    // Nothing runs while the window animates or starts, nor while a frame
    // works (its menus and buttons are disabled too, to show it).
    if (Busy() || frameBusy())
        return;
    MenuBar->CloseMenus();
    command();
}

const FrameRow *TMainForm::rowOfItem(QAction *item) const
{
    if (!item)
        return nullptr;
    for (const FrameRow &row : FrameTable())
        for (const ItemsByKind *items : {&m_showItems, &m_openItems, &m_popupItems, &m_deleteItems})
            if ((*items)[size_t(row.kind)] == item)
                return &row;
    return nullptr;
}

void TMainForm::MenuItemClick(QAction *item)
{
    MenuBar->CloseMenus();
    if (!item)
        return;
    if (item == ChooseVOXADrive1) {
        if (!CloseActiveFrame(true))
            return;
        appState().savedTop = y();
        appState().savedLeft = x();
        driveLocator().LocateManager(*this, true);
        return;
    }
    const FrameRow *row = rowOfItem(item);
    QWidget *target = row ? Frame(row->kind) : nullptr;
    // A frame that this build does not have: the command does nothing.
    if (!target)
        return;
    if (!CloseActiveFrame(true))
        return;
    if (row->showStep) {
        row->showStep(*this, target);
        return;
    }
    ShowFrame(target);
}

void TMainForm::SubMenuClick(QAction *item)
{
    MenuBar->CloseMenus();
    const FrameRow *row = rowOfItem(item);
    TEditorFrame *editor = row ? Editor(row->kind) : nullptr;
    if (!editor || !m_fileDialog)
        return;
    m_fileDialog->setMode(DeviceFileDialog::Mode::Open);
    m_fileDialog->setExtension(editor->Extension());
    m_fileDialog->setFolder(QString(appState().DriveLetter) + editor->Folder());
    m_fileDialog->ShowModalAt(pos() + QPoint(70, 90));
    const QString path = m_fileDialog->ResultPath();
    if (path.isEmpty() || !CloseActiveFrame(true))
        return;
    if (editor->OpenDocument(path))
        ShowFrame(editor);
    else
        ShowFrame(StartPanel);
}

void TMainForm::DeleteFileClick(QAction *item)
{
    MenuBar->CloseMenus();
    const FrameRow *row = rowOfItem(item);
    if (!m_deleteDialog || !row || !row->extension)
        return;
    m_deleteDialog->setFolder(QString(appState().DriveLetter) + QString::fromLatin1(row->folder));
    m_deleteDialog->setExtension(QString::fromLatin1(row->extension));
    m_deleteDialog->ShowModal();
}

void TMainForm::ToolButtonClick(ToolCommand command)
{
    MenuBar->CloseMenus();
    switch (command) {
    case ToolCommand::Open:
        if (!ActiveEditor) {
            OpenPopup->popup(OpenButton->mapToGlobal(QPoint(OpenButton->width(), 0)));
            return;
        }
        if (QAction *open = m_openItems[size_t(KindOf(ActiveEditor))])
            SubMenuClick(open);
        return;
    case ToolCommand::Save:
        if (ActiveEditor)
            ActiveEditor->SaveDocument();
        return;
    case ToolCommand::SaveAs:
        if (ActiveEditor) {
            const QString remembered = ActiveEditor->FileName();
            ActiveEditor->setFileName(QString());
            if (!ActiveEditor->SaveDocument())
                ActiveEditor->setFileName(remembered);
        }
        return;
    case ToolCommand::Exit:
        if (StartPanel && !StartPanel->isVisibleTo(this))
            CloseActiveFrame(false);
        else
            close();
        return;
    case ToolCommand::ProxySettings:
        if (m_proxyDialog)
            m_proxyDialog->ShowModal();
        return;
    }
}

void TMainForm::XButtonClick()
{
    MenuBar->CloseMenus();
    close();
}

void TMainForm::VOXATypeChoose(QAction *item)
{
    MenuBar->CloseMenus();
    const QList<QAction *> items = VOXATypeSubMenu->actions();
    const qsizetype index = items.indexOf(item);
    if (index < 0)
        return;
    for (QAction *a : items)
        setImageIndex(a, a == item ? CheckMarkImage : -1);
    appState().DisplayType = quint8(index + 1);
}

void TMainForm::LangChoose(QAction *item)
{
    MenuBar->CloseMenus();
    if (!item)
        return;
    QString name = item->text();
    const qsizetype amp = name.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        name.remove(amp, 1);
    ApplyLanguage(name);
    setImageIndex(item, CheckMarkImage);
}

QString TMainForm::HelpFilePath() const
{
    const QString chm = onDrive(QStringLiteral("voxa\\manager\\Language\\")) + HelpFileName();
    // Linux rarely has a compiled-help viewer; a page of the same base name
    // serves instead when there is one.
    if (!fs::exists(chm) || !chmViewerAvailable()) {
        const qsizetype dot = chm.lastIndexOf(QLatin1Char('.'));
        const QString base = dot > chm.lastIndexOf(QLatin1Char('\\')) ? chm.left(dot) : chm;
        for (const QString &ext : {QStringLiteral(".html"), QStringLiteral(".htm")})
            if (fs::exists(base + ext))
                return base + ext;
    }
    return chm;
}

void TMainForm::MarlekVOXAManager20Help1Click()
{
    MenuBar->CloseMenus();
    const QString path = HelpFilePath();
    // The box names the file as this computer knows it, not by drive letter.
    const QString native = platform::toNative(path);
    const QString shown = native.isEmpty() ? path : native;
    // Without a file or a program to show it, say so rather than do nothing.
    QString reason;
    if (!fs::exists(path))
        reason = ownText(OwnText::HelpFileMissing).arg(shown);
    else if (!platform::processes().openWithAssociated(path))
        reason = ownText(OwnText::HelpNoViewer).arg(shown);
    if (reason.isEmpty())
        return;
    MessageBox box;
    box.text = reason;
    box.icon = BoxIcon::Warning;
    box.placement = Placement::frameBox();
    prompts().message(box);
}

bool TMainForm::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool control = modifiers & Qt::ControlModifier;
    const auto visibleRow = [this](auto accept) -> const FrameRow * {
        for (const FrameRow &row : FrameTable())
            if (QWidget *f = Frame(row.kind); f && f->isVisibleTo(this) && accept(row))
                return &row;
        return nullptr;
    };
    // A skinned control that has the keyboard focus acts on its own keys
    // (Space, Return, the arrows of a slider); Tab moves the focus everywhere.
    if (SkinControlTakesKey(QApplication::focusWidget(), key, modifiers))
        return false;
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !control)
        return false;
    if (MenuBar->OpenByKey(key, modifiers))
        return true;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if (!(StartPanel && StartPanel->isVisibleTo(this))) {
            std::vector<const FrameRow *> rows;
            for (const FrameRow &row : FrameTable())
                if (row.returnRank >= 0)
                    rows.push_back(&row);
            std::sort(rows.begin(), rows.end(), [](auto *a, auto *b) { return a->returnRank < b->returnRank; });
            for (const FrameRow *row : rows)
                if (TOtherFrame *f = OtherFrame(row->kind); f && f->isVisibleTo(this)) {
                    f->OKButton->Click();
                    break;
                }
        }
        return !visibleRow([](const FrameRow &row) { return row.returnReachesFrame; });
    }
    case Qt::Key_Escape:
        ToolButtonClick(ToolCommand::Exit);
        return true;
    case Qt::Key_F1:
        MarlekVOXAManager20Help1Click();
        return true;
    default:
        break;
    }
    if (control && key == Qt::Key_S && ActiveEditor) {
        ActiveEditor->SaveDocument();
        return true;
    }
    if (control && key == Qt::Key_O && ToolPanel->isEnabled() && OpenButton->isEnabled()) {
        ToolButtonClick(ToolCommand::Open);
        return true;
    }
    if (const FrameRow *row = visibleRow([](const FrameRow &r) { return r.takesKeys; }))
        if (TEditorFrame *editor = Editor(row->kind))
            return editor->ImageKeyDown(key, modifiers);
    return false;
}

}  // namespace voxa
