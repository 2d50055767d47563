#include "editors/messages/messageeditor.h"

#include "app/framehost.h"
#include "app/languagetargets.h"
#include "app/messagetable.h"
#include "editors/config/configeditor.h"
#include "editors/messages/messagefile.h"
#include "platform/codepage.h"
#include "platform/prompts.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QValidator>

namespace voxa {
namespace {

constexpr int NameColumn = 0;
constexpr int ValueColumn = 1;
constexpr int IdColumn = 2;

// The two row marks: a pen on amber for a changed text, a small square for
// one that equals its default.
QIcon markIcon(bool changed)
{
    QPixmap pm(12, 12);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (changed) {
        p.setPen(QColor(120, 60, 0));
        p.setBrush(QColor(255, 170, 40));
        p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    } else {
        p.setPen(QColor(90, 110, 150));
        p.setBrush(QColor(200, 210, 230));
        p.drawRect(QRectF(3.5, 3.5, 5, 5));
    }
    return QIcon(pm);
}

// Refuses characters the player's code page does not have, so every text
// typed can be stored as it is shown.
class CodePageValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        return isCodePageText(input) && !input.contains(QChar(0)) ? Acceptable : Invalid;
    }
};

void showBox(const QString &text)
{
    MessageBox box;
    box.text = text;
    box.placement = Placement::centered();
    prompts().message(box);
}

QTreeWidget *makeList(QWidget *&tab, QTabWidget *pages, const QString &caption)
{
    auto *list = new QTreeWidget;
    tab = list;
    list->setColumnCount(3);
    list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Display Value"), QStringLiteral("Id")});
    list->setColumnHidden(IdColumn, true);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setColumnWidth(NameColumn, 230);
    list->header()->setSectionsMovable(false);
    list->setStyleSheet(QStringLiteral(
        "QTreeWidget { background: #0080ff; color: white; border: 1px solid #1b2947; }"
        "QTreeWidget::item:selected { background: #1b2947; color: white; }"
        "QHeaderView { background: #2d406b; }"
        "QHeaderView::section { background: #2d406b; color: white; border: 0;"
        " border-right: 1px solid #1b2947; padding: 1px 4px; }"));
    pages->addTab(list, caption);
    return list;
}

}  // namespace

bool LoadMessageReference(const QString &path, bool asDefault)
{
    const FileError e = voxa::LoadReferenceSet(path, asDefault);
    if (e.ok())
        return true;
    // Only the box: the editor that asked may be hidden, and closing it
    // would pull the start panel over the frame in use.
    if (e.reason == FileFailure::CannotOpen)
        showBox(msg(Msg::CannotOpenFile));
    else if (e.reason == FileFailure::WrongFormat)
        TEditorFrame::ShowWrongFormat();
    else
        showBox(e.text());
    return false;
}

TMessageEditor::TMessageEditor(FrameHost *host, QWidget *parent) : TEditorFrame(host, parent)
{
    MSGImages = {markIcon(true), markIcon(false)};

    FirmWareLabel = new QLabel(MainPanel());
    FirmWareLabel->setAlignment(Qt::AlignCenter);
    FirmWareLabel->setGeometry(6, 4, FrameSize.width() - 12, 18);
    QPalette pal = FirmWareLabel->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    FirmWareLabel->setPalette(pal);

    MSGPages = new QTabWidget(MainPanel());
    MSGPages->setStyleSheet(PageStyle);
    MSGPages->setGeometry(6, 24, FrameSize.width() - 12, FrameSize.height() - 24 - 92);
    MenuItemsList = makeList(MenuItemsTab, MSGPages, QStringLiteral("Menu Items"));
    MenuValuesList = makeList(MenuValuesTab, MSGPages, QStringLiteral("Menu Values"));
    ErrorMessagesList = makeList(ErrorMessagesTab, MSGPages, QStringLiteral("Error Messages"));
    OtherMessagesList = makeList(OtherMessagesTab, MSGPages, QStringLiteral("Other Messages"));
    ID3GenreList = makeList(ID3GenreTab, MSGPages, QStringLiteral("ID3 Genre"));
    MSGPages->setTabVisible(4, false);
    MSGPages->setTabEnabled(4, false);

    EditValue = new QLineEdit(MainPanel());
    EditValue->setGeometry(6, MSGPages->geometry().bottom() + 6, FrameSize.width() - 12, 22);
    EditValue->setValidator(new CodePageValidator(EditValue));
    connect(EditValue, &QLineEdit::textEdited, this, [this](const QString &t) { valueTyped(t); });

    for (QTreeWidget *list : {MenuItemsList, MenuValuesList, ErrorMessagesList, OtherMessagesList, ID3GenreList}) {
        connect(list, &QTreeWidget::currentItemChanged, this, [this, list](QTreeWidgetItem *item) {
            if (!item)
                return;
            m_currentList = list;
            m_programmatic = true;
            EditValue->setText(item->text(ValueColumn));
            m_programmatic = false;
            m_valueBeforeEdit = item->text(ValueColumn);
            list->scrollToItem(item);
            if (isVisible())
                EditValue->setFocus();
        });
        connect(list, &QTreeWidget::itemClicked, this, [this] {
            EditValue->selectAll();
            EditValue->setFocus();
        });
    }
    connect(MSGPages, &QTabWidget::currentChanged, this, [this](int i) { pageChanged(i); });
    m_currentList = MenuItemsList;

    auto &targets = LanguageTargets::instance();
    const QTreeWidget *lists[] = {MenuItemsList, MenuValuesList, ErrorMessagesList, OtherMessagesList};
    for (int i = 0; i < 4; ++i)
        targets.add(17 + i, this, [this, i](const QString &t) { MSGPages->setTabText(i, t); });
    for (int column : {0, 1})
        targets.add(21 + column, this, [lists, column](const QString &t) {
            for (const QTreeWidget *list : lists)
                list->headerItem()->setText(column, t);
        });

    // Return, Escape and the arrows in the edit field belong to the editor;
    // the main window's keys leave them to it.
    EditValue->installEventFilter(this);
    ClaimKeys(EditValue, {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Up, Qt::Key_Down});
    resize(FrameSize);
    writeFirmwareLabel();
}

TMessageEditor::~TMessageEditor()
{
}

QTreeWidget *TMessageEditor::ListFor(quint16 id) const
{
    switch (messageRange(id)) {
    case MessageRange::MenuValues:
        return MenuValuesList;
    case MessageRange::MenuItems:
        return MenuItemsList;
    case MessageRange::ErrorMessages:
        return ErrorMessagesList;
    case MessageRange::NotShown:
        return nullptr;
    case MessageRange::ID3Genre:
        return ID3GenreList;
    case MessageRange::OtherMessages:
        return OtherMessagesList;
    }
    return nullptr;
}

bool TMessageEditor::LoadReferenceSet(const QString &path, bool isDefault)
{
    const bool ok = LoadMessageReference(path, isDefault);
    writeFirmwareLabel();
    return ok;
}

// ================================================================== lists

void TMessageEditor::clearLists()
{
    m_programmatic = true;
    for (QTreeWidget *list : {MenuItemsList, MenuValuesList, ErrorMessagesList, OtherMessagesList, ID3GenreList})
        list->clear();
    m_programmatic = false;
}

void TMessageEditor::fillLists()
{
    clearLists();
    const MessageSets &sets = messageSets();
    for (qsizetype i = 0; i < sets.ReferenceMessages.size(); ++i) {
        const MessageEntry &ref = sets.ReferenceMessages[i];
        QTreeWidget *list = ListFor(ref.Id);
        if (!list)
            continue;
        const QString name = fromCodePage(ref.text);
        const QString value = i < sets.WorkingMessages.size() ? fromCodePage(sets.WorkingMessages[i].text) : name;
        auto *row = new QTreeWidgetItem(list, {name, value, QString::number(ref.Id)});
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
}

void TMessageEditor::UpdateMarks(QTreeWidget *list)
{
    if (!list)
        return;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = list->topLevelItem(i);
        row->setIcon(NameColumn, MSGImages[row->text(NameColumn) == row->text(ValueColumn) ? 1 : 0]);
    }
}

QTreeWidgetItem *TMessageEditor::currentRow() const
{
    return m_currentList ? m_currentList->currentItem() : nullptr;
}

void TMessageEditor::SelectRow(QTreeWidget *list, int row)
{
    if (!list || row < 0 || row >= list->topLevelItemCount())
        return;
    if (MSGPages->indexOf(list) >= 0)
        MSGPages->setCurrentWidget(list);
    list->setCurrentItem(list->topLevelItem(row));
}

// ================================================================ editing

void TMessageEditor::valueTyped(const QString &text)
{
    if (m_programmatic)
        return;
    QTreeWidgetItem *row = currentRow();
    if (!row)
        return;
    row->setText(ValueColumn, text);
    UpdateMarks(m_currentList);
    setModified(true);
}

void TMessageEditor::returnPressed()
{
    QTreeWidgetItem *row = currentRow();
    if (!row)
        return;
    row->setText(ValueColumn, EditValue->text());
    UpdateMarks(m_currentList);
    const int index = m_currentList->indexOfTopLevelItem(row);
    if (index + 1 < m_currentList->topLevelItemCount())
        SelectRow(m_currentList, index + 1);
}

void TMessageEditor::escapePressed()
{
    QTreeWidgetItem *row = currentRow();
    if (!row)
        return;
    m_programmatic = true;
    EditValue->setText(m_valueBeforeEdit);
    m_programmatic = false;
    row->setText(ValueColumn, m_valueBeforeEdit);
    EditValue->selectAll();
    UpdateMarks(m_currentList);
}

void TMessageEditor::moveRow(int step)
{
    QTreeWidgetItem *row = currentRow();
    if (!row)
        return;
    SelectRow(m_currentList, m_currentList->indexOfTopLevelItem(row) + step);
}

void TMessageEditor::pageChanged(int index)
{
    m_currentList = qobject_cast<QTreeWidget *>(MSGPages->widget(index));
    QTreeWidgetItem *row = currentRow();
    m_programmatic = true;
    if (row) {
        EditValue->setText(row->text(ValueColumn));
        // Escape on this page must not bring back another page's text.
        m_valueBeforeEdit = row->text(ValueColumn);
        EditValue->selectAll();
        if (isVisible())
            EditValue->setFocus();
    } else {
        EditValue->clear();
    }
    m_programmatic = false;
}

bool TMessageEditor::eventFilter(QObject *watched, QEvent *e)
{
    if (watched != EditValue || e->type() != QEvent::KeyPress || !isVisible())
        return false;
    switch (static_cast<QKeyEvent *>(e)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        returnPressed();
        return true;
    case Qt::Key_Escape:
        escapePressed();
        return true;
    case Qt::Key_Up:
        moveRow(-1);
        return true;
    case Qt::Key_Down:
        moveRow(1);
        return true;
    default:
        return false;
    }
}

// ========================================================= framework steps

QString TMessageEditor::titleCaption() const
{
    return Host() ? Host()->messageEditorCaption().mid(1) : QStringLiteral("Message Editor");
}

void TMessageEditor::writeMessageTitle()
{
    if (!Host())
        return;
    QString base = msg(Msg::Untitled);
    if (!FileName().isEmpty()) {
        base = FileName().mid(FileName().lastIndexOf(QLatin1Char('\\')) + 1);
        base.chop(4);
    }
    Host()->setTitleLine(titleCaption() + QStringLiteral(": ") + base);
}

void TMessageEditor::writeFirmwareLabel()
{
    FirmWareLabel->setText(msg(Msg::FirmwareVersion) + QStringLiteral(": ")
                           + fromCodePage(messageSets().FirmwareVersion));
}

bool TMessageEditor::Load()
{
    setModified(false);
    const FileError e = ReadMessageFile(FileName(), messageSets().WorkingMessages, false);
    if (e.failed()) {
        if (e.reason == FileFailure::WrongFormat)
            ReportWrongFormat();
        else
            showBox(e.reason == FileFailure::CannotOpen ? msg(Msg::CannotOpenFile) : e.text());
        return false;
    }
    writeMessageTitle();
    setModified(false);
    return true;
}

void TMessageEditor::CommitEdits()
{
    MessageSet &saved = messageSets().SavedMessages;
    saved.clear();
    for (QTreeWidget *list : {MenuItemsList, MenuValuesList, ErrorMessagesList, OtherMessagesList}) {
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *row = list->topLevelItem(i);
            if (row->text(ValueColumn) != row->text(NameColumn))
                saved.append({quint16(row->text(IdColumn).toUInt()), toCodePage(row->text(ValueColumn))});
        }
    }
    if (saved.isEmpty())
        return;
    // The player takes the genre names from the file whenever it has one.
    for (int i = 0; i < ID3GenreList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = ID3GenreList->topLevelItem(i);
        saved.append({quint16(row->text(IdColumn).toUInt()), toCodePage(row->text(ValueColumn))});
    }
}

bool TMessageEditor::Save()
{
    TEditorFrame::Save();
    const MessageSets &sets = messageSets();
    const WriteResult w = WriteMessageFile(FileName(), sets.FirmwareVersion, sets.SavedMessages);
    if (w.failed()) {
        if (w.reason == FileFailure::DataTooLong)
            showBox(msg(Msg::DataTooLong));
        else if (w.reason == FileFailure::CannotCreate)
            showBox(msg(Msg::OpenForWriteError));
        else
            showBox(w.text());
        return false;
    }
    writeMessageTitle();
    setModified(false);
    return true;
}

void TMessageEditor::Activate()
{
    TEditorFrame::Activate();
    if (FileName().isEmpty())
        writeMessageTitle();
    writeFirmwareLabel();
    fillLists();
    m_programmatic = true;
    EditValue->clear();
    m_programmatic = false;
    for (QTreeWidget *list : {MenuItemsList, MenuValuesList, ErrorMessagesList, OtherMessagesList})
        UpdateMarks(list);
    m_currentList = qobject_cast<QTreeWidget *>(MSGPages->currentWidget());
}

void TMessageEditor::Reset()
{
    TEditorFrame::Reset();
    messageSets().WorkingMessages = messageSets().ReferenceMessages;
    clearLists();
    setFileName(QString());
}

void TMessageEditor::RefreshTitle()
{
    writeFirmwareLabel();
    if (isVisible())
        writeMessageTitle();
}

void RegisterMessageEditor()
{
    RegisterFrame(FrameKind::MessageEditor, [](FrameHost &host, QWidget *parent) -> QWidget * {
        return new TMessageEditor(&host, parent);
    });
}

}  // namespace voxa
