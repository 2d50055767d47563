#include "app/qtprompts.h"

#include "app/version.h"
#include "platform/paths.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace voxa {
namespace {

QMessageBox::StandardButton toQt(Button b)
{
    switch (b) {
    case Button::Ok: return QMessageBox::Ok;
    case Button::Cancel: return QMessageBox::Cancel;
    case Button::Yes: return QMessageBox::Yes;
    case Button::No: return QMessageBox::No;
    case Button::YesToAll: return QMessageBox::YesToAll;
    case Button::NoToAll: return QMessageBox::NoToAll;
    case Button::Abort: return QMessageBox::Abort;
    case Button::Retry: return QMessageBox::Retry;
    case Button::Ignore: return QMessageBox::Ignore;
    case Button::None: break;
    }
    return QMessageBox::NoButton;
}

Button fromQt(int b)
{
    for (Button x : {Button::Ok, Button::Cancel, Button::Yes, Button::No, Button::YesToAll,
                     Button::NoToAll, Button::Abort, Button::Retry, Button::Ignore})
        if (toQt(x) == b)
            return x;
    return Button::None;
}

}  // namespace

Button QtPrompts::message(const MessageBox &box)
{
    QMessageBox mb(m_main);
    mb.setWindowTitle(box.title.isEmpty() ? QString::fromLatin1(ApplicationTitle) : box.title);
    mb.setText(box.text);
    switch (box.icon) {
    case BoxIcon::Information: mb.setIcon(QMessageBox::Information); break;
    case BoxIcon::Warning: mb.setIcon(QMessageBox::Warning); break;
    case BoxIcon::Error: mb.setIcon(QMessageBox::Critical); break;
    case BoxIcon::Question: mb.setIcon(QMessageBox::Question); break;
    case BoxIcon::None: break;
    }
    QMessageBox::StandardButtons buttons;
    for (Button x : {Button::Ok, Button::Cancel, Button::Yes, Button::No, Button::YesToAll,
                     Button::NoToAll, Button::Abort, Button::Retry, Button::Ignore})
        if (box.buttons.testFlag(x))
            buttons |= toQt(x);
    mb.setStandardButtons(buttons);
    mb.setDefaultButton(toQt(box.defaultButton));
    if (box.buttons.testFlag(Button::Cancel))
        mb.setEscapeButton(QMessageBox::Cancel);
    if (box.placement.kind != Placement::Centered) {
        QPoint p = box.placement.point;
        if (box.placement.kind == Placement::MainWindowOffset && m_main)
            p += m_main->pos();
        mb.move(p);
    }
    const int r = mb.exec();
    const Button pressed = fromQt(r);
    if (pressed != Button::None)
        return pressed;
    return box.buttons.testFlag(Button::Cancel) ? Button::Cancel : box.defaultButton;
}

QString QtPrompts::chooseFile(const FileRequest &request)
{
    QFileDialog dlg(m_main, request.title);
    QString folder = request.folder;
    if (platform::isDevicePath(folder))
        folder = platform::toNative(folder);
    dlg.setDirectory(folder);
    if (!request.fileName.isEmpty())
        dlg.selectFile(request.fileName);
    if (!request.filters.isEmpty())
        dlg.setNameFilters(request.filters);
    if (!request.defaultSuffix.isEmpty())
        dlg.setDefaultSuffix(request.defaultSuffix);
    switch (request.mode) {
    case FileRequest::Open:
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
        break;
    case FileRequest::Save:
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        if (!request.confirmOverwrite)
            dlg.setOption(QFileDialog::DontConfirmOverwrite);
        break;
    case FileRequest::Folder:
        dlg.setFileMode(QFileDialog::Directory);
        dlg.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

bool QtPrompts::inputText(const QString &title, const QString &label, QString &value)
{
    bool ok = false;
    const QString v = QInputDialog::getText(m_main, title, label, QLineEdit::Normal, value, &ok);
    if (ok)
        value = v;
    return ok;
}

}  // namespace voxa
