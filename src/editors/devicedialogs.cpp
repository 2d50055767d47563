#include "editors/devicedialogs.h"

#include "app/languagetargets.h"
#include "app/framehost.h"
#include "app/messagetable.h"
#include "editors/devicefiles.h"
#include "platform/fileops.h"
#include "platform/prompts.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <QValidator>
#include <algorithm>

namespace voxa {
namespace {

QTreeWidget *makeFileList(QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setColumnCount(1);
    list->setHeaderLabels({QStringLiteral("File Name")});
    list->setColumnWidth(0, 205);
    list->setRootIsDecorated(false);
    list->setSortingEnabled(true);
    list->sortByColumn(0, Qt::AscendingOrder);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

void fillList(QTreeWidget *list, const QStringList &rows)
{
    list->clear();
    for (const QString &row : rows)
        new QTreeWidgetItem(list, {row});
}

QString selectedRow(QTreeWidget *list)
{
    const QList<QTreeWidgetItem *> items = list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text(0);
}

// Typing or pasting a character that would make the name a path is refused
// at once; ".." is built of allowed characters, so it only keeps the name
// from being accepted.
class BaseNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        if (input.isEmpty() || IsDeviceBaseName(input))
            return Acceptable;
        return IsDeviceBaseName(QString(input).replace(QLatin1Char('.'), QLatin1Char('x'))) ? Intermediate : Invalid;
    }
};

// The dialogs take the main window's font size; with the small set they
// also take the small resolution.
void takeMainFont(QWidget *dialog, QWidget *parent)
{
    const auto *host = dynamic_cast<const FrameHost *>(parent);
    dialog->setFont(ShellDlgFont(host && host->smallFontSet() ? 6 : 8));
}

}  // namespace

// ============================================================= TFileDialog

TFileDialog::TFileDialog(QWidget *parent) : QDialog(parent)
{
    takeMainFont(this, parent);
    setFixedSize(240, 290);
    FileList = makeFileList(this);
    FileList->setGeometry(8, 8, 224, 190);
    SaveLabel = new QLabel(this);
    SaveLabel->setGeometry(8, 206, 60, 21);
    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setGeometry(70, 206, 162, 21);
    FileNameEdit->setMaxLength(8);
    FileNameEdit->setValidator(new BaseNameValidator(FileNameEdit));
    FileNameEdit->installEventFilter(this);
    // Return on a row chooses it, as a double click does.
    FileList->installEventFilter(this);
    SaveLabel->setBuddy(FileNameEdit);
    OpenSaveButton = MakeCaptionButton(this, msg(Msg::Open), QRect(62, 252, 81, 25));
    CancelButton = MakeCaptionButton(this, msg(Msg::Cancel), QRect(151, 252, 81, 25));
    OpenSaveButton->setClickHandler([this] { OpenSaveButtonClick(); });
    CancelButton->setClickHandler([this] { CancelButtonClick(); });
    auto &targets = LanguageTargets::instance();
    targets.add(142, this, [this](const QString &t) { CancelButton->setCaption(t); });
    // The list and the name field are called by the column's title.
    const auto nameColumn = [this](const QString &t) {
        FileList->headerItem()->setText(0, t);
        FileList->setAccessibleName(t);
        FileNameEdit->setAccessibleName(t);
    };
    nameColumn(FileList->headerItem()->text(0));
    targets.add(150, this, nameColumn);
    connect(FileList, &QTreeWidget::itemSelectionChanged, this, &TFileDialog::selectionChanged);
    connect(FileList, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (!FileList->selectedItems().isEmpty() && OpenSaveButton->isEnabled())
            OpenSaveButton->Click();
    });
    // A name that is no file of the folder cannot be chosen.
    connect(FileNameEdit, &QLineEdit::textChanged, this,
            [this](const QString &text) { OpenSaveButton->setEnabled(IsDeviceBaseName(text)); });
    // In open mode the name is the selected row's, however the text came
    // in (typed, pasted from the context menu or the middle button, dropped).
    connect(FileNameEdit, &QLineEdit::textEdited, this, [this] {
        if (m_mode == Mode::Open)
            FileNameEdit->setText(selectedRow(FileList));
    });
}

void TFileDialog::PrepareShow()
{
    m_resultPath.clear();
    const bool open = m_mode == Mode::Open;
    setWindowTitle(msg(open ? Msg::OpenFile : Msg::SaveFile));
    OpenSaveButton->setCaption(msg(open ? Msg::Open : Msg::Save));
    SaveLabel->setEnabled(!open);
    SaveLabel->setText(open ? QString() : msg(Msg::SaveAs));
    // A longer caption than "Save As" takes room from the name field, which
    // needs little for eight characters.
    const int labelWidth = std::clamp(SaveLabel->fontMetrics().horizontalAdvance(SaveLabel->text()) + 4, 60, 150);
    SaveLabel->setGeometry(8, 206, labelWidth, 21);
    FileNameEdit->setGeometry(10 + labelWidth, 206, 222 - labelWidth, 21);
    FileNameEdit->setEnabled(true);
    fillList(FileList, DeviceFileRows(m_folder, m_extension, true));
    OpenSaveButton->setEnabled(false);
    if (!open)
        FileNameEdit->setFocus();
}

void TFileDialog::ShowModalAt(QPoint topLeft)
{
    PrepareShow();
    move(topLeft);
    exec();
}

void TFileDialog::selectionChanged()
{
    const QString row = selectedRow(FileList);
    if (!row.isEmpty())
        FileNameEdit->setText(row);
}

bool TFileDialog::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == FileList && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        // The row with the focus counts, selected or not.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && FileList->selectedItems().isEmpty()
            && FileList->currentItem())
            FileList->currentItem()->setSelected(true);
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !FileList->selectedItems().isEmpty()) {
            if (OpenSaveButton->isEnabled())
                OpenSaveButton->Click();
            return true;
        }
        return false;
    }
    if (watched == FileNameEdit && e->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(e);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (m_mode == Mode::Open) {
            // The name can only be chosen from the list.
            if (enter) {
                OpenSaveButton->Click();
                return true;
            }
            if (!key->text().isEmpty() || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) {
                FileNameEdit->setText(selectedRow(FileList));
                return true;
            }
            return false;
        }
        if (enter) {
            if (OpenSaveButton->isEnabled())
                OpenSaveButton->Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TFileDialog::OpenSaveButtonClick()
{
    const QString name = m_mode == Mode::Open ? selectedRow(FileList) : FileNameEdit->text();
    if (!IsDeviceBaseName(name))
        return;
    m_resultPath = DeviceFilePath(m_folder, name, m_extension);
    accept();
}

void TFileDialog::CancelButtonClick()
{
    m_resultPath.clear();
    reject();
}

void TFileDialog::done(int result)
{
    if (result != QDialog::Accepted)
        m_resultPath.clear();
    FileList->clear();
    FileNameEdit->clear();
    QDialog::done(result);
}

// ============================================================= TDeleteFile

TDeleteFile::TDeleteFile(QWidget *parent) : QDialog(parent)
{
    takeMainFont(this, parent);
    setWindowTitle(QStringLiteral("Delete Files"));
    setFixedSize(240, 262);
    FileList = makeFileList(this);
    FileList->setGeometry(8, 8, 224, 206);
    DeleteButton = MakeCaptionButton(this, QStringLiteral("Delete"), QRect(62, 226, 81, 25));
    ExitButton = MakeCaptionButton(this, QStringLiteral("Exit"), QRect(151, 226, 81, 25));
    DeleteButton->setClickHandler([this] { DeleteButtonClick(); });
    ExitButton->setClickHandler([this] { accept(); });
    connect(FileList, &QTreeWidget::itemSelectionChanged, this,
            [this] { DeleteButton->setEnabled(!FileList->selectedItems().isEmpty()); });
    auto &targets = LanguageTargets::instance();
    targets.add(147, this, [this](const QString &t) { ExitButton->setCaption(t); });
    targets.add(148, this, [this](const QString &t) { DeleteButton->setCaption(t); });
    targets.add(149, this, [this](const QString &t) { setWindowTitle(t); });
    const auto nameColumn = [this](const QString &t) {
        FileList->headerItem()->setText(0, t);
        FileList->setAccessibleName(t);
    };
    nameColumn(FileList->headerItem()->text(0));
    targets.add(150, this, nameColumn);
}

void TDeleteFile::PrepareShow()
{
    if (auto *host = dynamic_cast<FrameHost *>(parentWidget()))
        move(host->hostWindow()->pos() + QPoint(70, 90));
    DeleteButton->setEnabled(false);
    FillList();
}

void TDeleteFile::FillList()
{
    fillList(FileList, DeviceFileRows(m_folder, m_extension, false));
    DeleteButton->setEnabled(!FileList->selectedItems().isEmpty());
}

void TDeleteFile::ShowModal()
{
    PrepareShow();
    exec();
}

void TDeleteFile::DeleteButtonClick()
{
    const QString row = selectedRow(FileList);
    if (row.isEmpty())
        return;
    if (prompts().ask(QString(), msg(Msg::ReallyDeleteFile), Button::Yes | Button::No, Button::Yes,
                      Placement::centered())
        != Button::Yes)
        return;
    const QString path = DeviceFilePath(m_folder, row, m_extension);
    fs::makeWritable(path);
    if (!fs::removeFile(path)) {
        MessageBox box;
        box.title = QStringLiteral("Error");
        box.text = fs::lastErrorText();
        box.icon = BoxIcon::Error;
        box.placement = Placement::centered();
        prompts().message(box);
        return;
    }
    FillList();
}

// ============================================================= TGetElement

TGetElement::TGetElement(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    takeMainFont(this, parent);
    setFixedSize(300, 150);
    ExplainLabel = new QLabel(QStringLiteral("Export creates random playlist based on current MyRadio configuration"),
                              this);
    ExplainLabel->setWordWrap(true);
    ExplainLabel->setGeometry(8, 6, 284, 36);
    ElementNumLabel = new QLabel(QStringLiteral("Enter playlist size (max. 10000)"), this);
    ElementNumLabel->setGeometry(8, 48, 190, 21);
    ElementEdit = new QLineEdit(QStringLiteral("1000"), this);
    ElementEdit->setAlignment(Qt::AlignRight);
    ElementEdit->setGeometry(204, 48, 88, 21);
    ElementNumLabel->setBuddy(ElementEdit);
    // The player's paths are no use to the media players of this computer.
    PlayerPathsRadio = new QRadioButton(QStringLiteral("Player's paths"), this);
    PlayerPathsRadio->setGeometry(8, 78, 140, 21);
    PlayerPathsRadio->setChecked(true);
    LocalPathsRadio = new QRadioButton(QStringLiteral("This computer's paths"), this);
    LocalPathsRadio->setGeometry(148, 78, 144, 21);
    OKButton = MakeCaptionButton(this, QStringLiteral("OK"), QRect(122, 114, 81, 25));
    Button1 = MakeCaptionButton(this, QStringLiteral("Cancel"), QRect(211, 114, 81, 25));
    OKButton->setClickHandler([this] { accept(); });
    Button1->setClickHandler([this] { reject(); });
    connect(ElementEdit, &QLineEdit::returnPressed, this, [this] { OKButton->Click(); });
    auto &targets = LanguageTargets::instance();
    targets.addMax10000(123, this, [this](const QString &t) { ElementNumLabel->setText(t); });
    targets.add(193, this, [this](const QString &t) { ExplainLabel->setText(t); });
}

void TGetElement::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    ElementEdit->setFocus();
}

void RegisterEditorDialogs()
{
    DialogFactories &d = RegisteredDialogs();
    d.fileDialog = [](FrameHost &, QWidget *parent) -> DeviceFileDialog * { return new TFileDialog(parent); };
    d.elementPrompt = [](FrameHost &, QWidget *parent) -> QWidget * { return new TGetElement(parent); };
    d.deleteDialog = [](FrameHost &, QWidget *parent) -> DeleteFileDialog * { return new TDeleteFile(parent); };
}

}  // namespace voxa
