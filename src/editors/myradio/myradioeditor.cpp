#include "editors/myradio/myradioeditor.h"

#include "app/appstate.h"
#include "app/framehost.h"
#include "app/languagetargets.h"
#include "app/framehost.h"
#include "app/owntexts.h"
#include "editors/devicedialogs.h"
#include "editors/myradio/m3uimport.h"
#include "editors/myradio/myradiomusic.h"
#include "editors/myradio/randomexport.h"
#include "platform/fileops.h"
#include "platform/prompts.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"
#include "ui/skinslider.h"
#include "ui/treepath.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>

namespace voxa {
namespace {

// Set on a tree node once its children have been read from the drive.
constexpr int FilledRole = Qt::UserRole + 3;

QChar drive()
{
    return appState().DriveLetter;
}

bool isMp3Name(const QString &name)
{
    return name.endsWith(QStringLiteral(".mp3"), Qt::CaseInsensitive);
}

// The colour around the tiles of the picture buttons, left transparent.
constexpr QRgb AroundTile = 0xFF00FF;

// A 32 x 32 picture for the picture buttons: a framed tile with a glyph.
QImage buttonPicture(const QString &glyph, QColor tile, int lighten = 100)
{
    QImage img(32, 32, QImage::Format_RGB32);
    img.fill(QColor::fromRgb(AroundTile));
    QPainter p(&img);
    p.setPen(QColor(200, 210, 230));
    p.setBrush(tile.lighter(lighten));
    p.drawRoundedRect(QRect(1, 1, 29, 29), 4, 4);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f = QApplication::font();
    f.setBold(true);
    f.setPixelSize(glyph.size() > 1 ? 11 : 20);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, glyph);
    return img;
}

QIcon pictureIcon(RowPicture picture)
{
    QStyle *style = QApplication::style();
    switch (picture) {
    case RowPicture::Mp3File:
        return style->standardIcon(QStyle::SP_MediaVolume);
    case RowPicture::Folder:
        return style->standardIcon(QStyle::SP_DirIcon);
    case RowPicture::EmptyFolder:
        break;
    }
    // A folder without music: the folder picture greyed out.
    const QIcon folder = style->standardIcon(QStyle::SP_DirIcon);
    return QIcon(folder.pixmap(16, 16, QIcon::Disabled));
}

QPalette whiteText(QPalette p)
{
    p.setColor(QPalette::WindowText, Qt::white);
    return p;
}

QLabel *whiteLabel(QWidget *panel, const QString &text, QRect geometry)
{
    auto *l = new QLabel(text, panel);
    l->setGeometry(geometry);
    l->setPalette(whiteText(panel->palette()));
    return l;
}

// A round button of a glyph on a coloured tile, lighter under the mouse and
// darker when pressed.
TSkinButton *pictureButton(QWidget *panel, const QString &glyph, QColor tile, const QString &hint, QRect geometry)
{
    auto *b = new TSkinButton(panel);
    b->setAutoSize(false);
    b->setSkinned(true);
    b->setShowCaption(false);
    b->setTransparent(true);
    b->setTransparentColor(AroundTile);
    b->setNormalPic(buttonPicture(glyph, tile));
    b->setMouseOverPic(buttonPicture(glyph, tile, 130));
    b->setMouseDownPic(buttonPicture(glyph, tile, 80));
    b->Refresh();
    b->setGeometry(geometry);
    if (!hint.isEmpty()) {
        b->setHint(hint);
        b->setShowHint(true);
    }
    return b;
}

}  // namespace

TMyRadioEditor::TMyRadioEditor(FrameHost *host, QWidget *parent)
    : TEditorFrame(host, parent), m_handOver(new platform::MediaHandOver(this))
{
    // Without a player or a program for the file, Play says so rather than
    // nothing happening.
    connect(m_handOver, &platform::MediaHandOver::Finished, this, [](platform::PlayedBy by) {
        if (by == platform::PlayedBy::OpenFailed)
            prompts().warning(ownText(LaterOwnText::PlayNoProgram), Placement::centered());
    });
    createLists();
    createControls();
    registerTexts();
    resize(670, 480);
}

// The drive's folders on the left, the profile on the right, the add and
// remove buttons between them (in this order, the order of the Tab key).
void TMyRadioEditor::createLists()
{
    QWidget *panel = MainPanel();
    ProfileTree = new QTreeWidget(panel);
    ProfileTree->setGeometry(8, 8, 250, 336);
    ProfileTree->setPalette(QApplication::palette());
    ProfileTree->setHeaderHidden(true);
    ProfileTree->setColumnCount(1);
    ProfileTree->setSortingEnabled(true);
    ProfileTree->sortByColumn(0, Qt::AscendingOrder);
    ProfileTree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ProfileTree->setDragEnabled(true);
    ProfileTree->setDragDropMode(QAbstractItemView::DragOnly);
    ProfileTree->installEventFilter(this);
    connect(ProfileTree, &QTreeWidget::itemExpanded, this, &TMyRadioEditor::ProfileTreeExpanded);
    connect(ProfileTree, &QTreeWidget::itemSelectionChanged, this, &TMyRadioEditor::ProfileTreeSelectionChange);
    connect(ProfileTree, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { ProfileTreeDblClick(item); });

    AddButton = pictureButton(panel, QStringLiteral("+"), QColor(40, 110, 40), QString(), QRect(266, 130, 32, 32));
    AddButton->setClickHandler([this] { AddButtonClick(); });
    RemoveButton =
        pictureButton(panel, QStringLiteral("\u2212"), QColor(130, 40, 40), QString(), QRect(266, 170, 32, 32));
    RemoveButton->setClickHandler([this] { RemoveButtonClick(); });

    ProfileList = new QTreeWidget(panel);
    ProfileList->setGeometry(306, 8, 356, 336);
    ProfileList->setPalette(QApplication::palette());
    ProfileList->header()->setSectionsMovable(false);
    ProfileList->setStyleSheet(QStringLiteral(
        "QHeaderView { background: #2d406b; }"
        "QHeaderView::section { background: #2d406b; color: white; border: 0;"
        " border-right: 1px solid #1b2947; padding: 1px 4px; }"));
    ProfileList->setRootIsDecorated(false);
    ProfileList->setColumnCount(3);
    ProfileList->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Priority"), QStringLiteral("Path")});
    ProfileList->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    ProfileList->setColumnWidth(0, 140);
    ProfileList->setColumnWidth(1, 90);
    ProfileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ProfileList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ProfileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ProfileList->setAcceptDrops(true);
    ProfileList->viewport()->setAcceptDrops(true);
    ProfileList->installEventFilter(this);
    ProfileList->viewport()->installEventFilter(this);
    connect(ProfileList, &QTreeWidget::itemSelectionChanged, this, &TMyRadioEditor::ProfileListSelectionChange);
    connect(ProfileList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { ProfileListDblClick(item); });
}

// The priority track, the labels and the buttons below the lists.
void TMyRadioEditor::createControls()
{
    QWidget *panel = MainPanel();
    PriorityLabel = whiteLabel(panel, QStringLiteral("Priority"), QRect(8, 352, 70, 20));
    WeightClassTrack = new TSkinSlider(panel);
    WeightClassTrack->setGeometry(80, 350, 178, 26);
    WeightClassTrack->setMin(MyRadioMinClass);
    WeightClassTrack->setMax(MyRadioMaxClass);
    WeightClassTrack->setPosition(10);
    WeightClassTrack->setFrequency(1);
    WeightClassTrack->setColor(QColor(40, 60, 110));
    connect(WeightClassTrack, &TSkinSlider::OnChange, this, &TMyRadioEditor::WeightClassTrackChange);
    updateTrackCaption();

    ElementLabel = whiteLabel(panel, QStringLiteral("Items"), QRect(306, 352, 50, 20));
    ItemLabel = whiteLabel(panel, ItemLabelText(0), QRect(356, 352, 40, 20));
    WarningLabel = whiteLabel(panel, QString(), QRect(8, 384, 450, 20));
    QPalette warn = WarningLabel->palette();
    warn.setColor(QPalette::WindowText, QColor(255, 220, 80));
    WarningLabel->setPalette(warn);

    WinampImportButton = pictureButton(panel, QStringLiteral("IN"), QColor(40, 70, 130), QStringLiteral("Import M3U"),
                                       QRect(8, 412, 32, 32));
    WinampImportButton->setClickHandler([this] { WinampImportButtonClick(); });
    WinampExportButton = pictureButton(panel, QStringLiteral("OUT"), QColor(40, 70, 130), QStringLiteral("Export M3U"),
                                       QRect(46, 412, 32, 32));
    WinampExportButton->setClickHandler([this] { WinampExportButtonClick(); });
    MyRadioCopyButton = pictureButton(panel, QStringLiteral("\u21c9"), QColor(90, 60, 120),
                                      QStringLiteral("MyRadio Copy"), QRect(96, 412, 32, 32));
    MyRadioCopyButton->setClickHandler([this] { MyRadioCopyButtonClick(); });
    MyRadioCheckButton = pictureButton(panel, QStringLiteral("\u2713"), QColor(110, 90, 30),
                                       QStringLiteral("Remove Non-existent Items"), QRect(134, 412, 32, 32));
    MyRadioCheckButton->setClickHandler([this] { MyRadioCheckButtonClick(); });
}

void TMyRadioEditor::registerTexts()
{
    // Captions, column titles and hints of a language file.
    auto &targets = LanguageTargets::instance();
    // The picture buttons without a hint window are read out by these.
    AddButton->setHint(QStringLiteral("Add"));
    RemoveButton->setHint(QStringLiteral("Remove"));
    targets.add(108, AddButton, [this](const QString &t) { AddButton->setHint(t); });
    targets.add(109, RemoveButton, [this](const QString &t) { RemoveButton->setHint(t); });
    targets.add(27, ElementLabel, [this](const QString &t) { ElementLabel->setText(t); });
    for (int c = 0; c < 3; ++c)
        targets.add(28 + c, ProfileList, [this, c](const QString &t) { ProfileList->headerItem()->setText(c, t); });
    targets.add(29, PriorityLabel, [this](const QString &t) { PriorityLabel->setText(t); });
    const std::pair<int, TSkinButton *> hints[] = {
        {108, AddButton},         {109, RemoveButton},      {110, WinampImportButton},
        {111, WinampExportButton}, {252, MyRadioCopyButton}, {255, MyRadioCheckButton}};
    for (const auto &[number, button] : hints)
        targets.add(number, button, [b = button](const QString &t) {
            b->setHint(t);
            b->setShowHint(true);
        });
}

// ------------------------------------------------------ framework steps

bool TMyRadioEditor::Load()
{
    const FileResult<QList<MyRadioElement>> read = ReadMyRadioFile(FileName());
    if (!read) {
        switch (read.error().reason) {
        case FileFailure::CannotOpen:
        case FileFailure::NotRegularFile:
            prompts().message({QString(), msg(Msg::CannotOpenFile) + QLatin1Char('[') + FileName() + QLatin1Char(']'),
                               BoxIcon::None, Button::Ok, Button::Ok, Placement::frameBox()});
            return false;
        case FileFailure::WrongFormat:
            ReportWrongFormat();
            return false;
        default:
            // Too short: nothing of it is used.
            prompts().error(read.error().text());
            return false;
        }
    }
    WriteTitle();
    QStringList refused;
    m_rows = RowsOfElements(read.value(), &refused);
    clearWarning();
    showRows({});
    RefreshPercentages();
    setModified(false);
    if (!refused.isEmpty()) {
        // Paths that would leave the drive are never followed; the file
        // itself stays as it is until the user saves.
        QString text = msg(Msg::WrongFileFormat);
        for (const QString &path : refused)
            text += QStringLiteral("\n[") + path + QLatin1Char(']');
        prompts().warning(text);
    }
    return true;
}

bool TMyRadioEditor::Save()
{
    TEditorFrame::Save();
    const WriteResult written = WriteMyRadioFile(FileName(), ElementsOfRows(m_rows));
    WriteTitle();
    if (written.failed()) {
        prompts().warning(written.reason == FileFailure::CannotCreate
                              ? msg(Msg::OpenForWriteError) + QStringLiteral(" [") + FileName() + QLatin1Char(']')
                              : written.text());
        return false;
    }
    setModified(false);
    return true;
}

void TMyRadioEditor::Activate()
{
    TEditorFrame::Activate();
    setModified(false);
    m_copyKeep = false;
    // Also after a return from the MyRadio copy, whose close cleared the line.
    WriteTitle();
    ProfileTree->clear();
    FillTree(nullptr, 2);
    if (QTreeWidgetItem *first = ProfileTree->topLevelItem(0)) {
        ProfileTree->scrollToItem(first);
        ProfileTree->setCurrentItem(first);
        first->setSelected(true);
    }
    updateTrackCaption();
}

void TMyRadioEditor::Reset()
{
    TEditorFrame::Reset();
    if (!m_copyKeep) {
        m_rows.clear();
        showRows({});
        setFileName(QString());
    }
    WeightClassTrack->setPosition(10);
    updateTrackCaption();
    ProfileTree->clear();
    clearWarning();
}

void TMyRadioEditor::RefreshTitle()
{
    if (!isVisible())
        return;
    if (m_warning)
        setWarning(ProfileListFull(m_rows.size()) ? Msg::MaxElements : Msg::NoMp3InDirectory);
    WriteTitle();
}

// ----------------------------------------------------------------- tree

QStringList TMyRadioEditor::NodeAncestors(const QTreeWidgetItem *node) const
{
    QStringList ancestors;
    for (const QTreeWidgetItem *p = node ? node->parent() : nullptr; p; p = p->parent())
        ancestors.prepend(p->text(0));
    return ancestors;
}

QString TMyRadioEditor::NodePath(const QTreeWidgetItem *node) const
{
    if (!node)
        return QString(drive()) + QStringLiteral(":\\");
    return ElementDevicePath(drive(), TreeFolderPart(NodeAncestors(node)), node->text(0));
}

QTreeWidgetItem *TMyRadioEditor::FindNode(const QString &relativePath) const
{
    return NodeAtPath(ProfileTree, relativePath);
}

void TMyRadioEditor::FillTree(QTreeWidgetItem *parent, int depth)
{
    if (depth <= 0)
        return;
    if (parent) {
        if (parent->data(0, FilledRole).toBool())
            return;
        parent->setData(0, FilledRole, true);
    }
    QList<QTreeWidgetItem *> children;
    for (const fs::Entry &e : fs::listDir(NodePath(parent))) {
        if (!e.isDir && !isMp3Name(e.name))
            continue;
        auto *node = new QTreeWidgetItem({e.name});
        node->setData(0, FolderRole, e.isDir);
        node->setIcon(0, pictureIcon(e.isDir ? RowPicture::Folder : RowPicture::Mp3File));
        children.append(node);
    }
    if (parent)
        parent->addChildren(children);
    else
        ProfileTree->addTopLevelItems(children);
    if (depth > 1)
        for (QTreeWidgetItem *c : children)
            if (c->data(0, FolderRole).toBool())
                FillTree(c, depth - 1);
}

void TMyRadioEditor::ProfileTreeExpanded(QTreeWidgetItem *item)
{
    // The children learn whether they can be expanded in turn.
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem *c = item->child(i);
        if (c->childCount() == 0 && c->data(0, FolderRole).toBool())
            FillTree(c, 1);
    }
}

void TMyRadioEditor::ProfileTreeSelectionChange()
{
    if (m_guard)
        return;
    // Nodes hidden in a collapsed folder are not picked along.
    m_guard = true;
    for (QTreeWidgetItem *node : ProfileTree->selectedItems())
        for (QTreeWidgetItem *p = node->parent(); p; p = p->parent())
            if (!p->isExpanded()) {
                node->setSelected(false);
                break;
            }
    m_guard = false;
}

void TMyRadioEditor::ProfileTreeDblClick(QTreeWidgetItem *item)
{
    if (item && !item->data(0, FolderRole).toBool())
        playElement(NodePath(item));
}

// ----------------------------------------------------------------- rows

QList<qsizetype> TMyRadioEditor::SelectedRows() const
{
    QList<qsizetype> rows;
    for (int i = 0; i < ProfileList->topLevelItemCount(); ++i)
        if (ProfileList->topLevelItem(i)->isSelected())
            rows.append(i);
    return rows;
}

void TMyRadioEditor::SelectRows(const QList<qsizetype> &rows)
{
    ProfileList->clearSelection();
    for (qsizetype r : rows)
        if (QTreeWidgetItem *item = ProfileList->topLevelItem(int(r)))
            item->setSelected(true);
}

void TMyRadioEditor::showRows(const QList<qsizetype> &select)
{
    m_guard = true;
    ProfileList->clear();
    QList<QTreeWidgetItem *> items;
    for (const MyRadioRow &row : m_rows) {
        auto *item = new QTreeWidgetItem({row.name, PriorityText(row.weightClass), row.folder});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setIcon(0, pictureIcon(row.picture));
        item->setData(0, PictureRole, int(row.picture));
        items.append(item);
    }
    ProfileList->addTopLevelItems(items);
    SelectRows(select);
    if (!select.isEmpty())
        if (QTreeWidgetItem *item = ProfileList->topLevelItem(int(select.first())))
            ProfileList->scrollToItem(item);
    ItemLabel->setText(ItemLabelText(m_rows.size()));
    m_guard = false;
    if (!select.isEmpty())
        ProfileListSelectionChange();
}

void TMyRadioEditor::RefreshPercentages()
{
    QList<int> classes;
    for (const MyRadioRow &row : m_rows)
        classes.append(row.weightClass);
    const QStringList texts = RefreshedPriorities(classes);
    for (int i = 0; i < ProfileList->topLevelItemCount() && i < texts.size(); ++i)
        ProfileList->topLevelItem(i)->setText(1, texts[i]);
    ItemLabel->setText(ItemLabelText(m_rows.size()));
}

void TMyRadioEditor::setWarning(Msg message)
{
    m_warning = message;
    WarningLabel->setText(msg(message));
}

void TMyRadioEditor::clearWarning()
{
    m_warning.reset();
    WarningLabel->clear();
}

void TMyRadioEditor::updateTrackCaption()
{
    WeightClassTrack->setCaption(QString::number(WeightClassTrack->Position()));
}

void TMyRadioEditor::ProfileListSelectionChange()
{
    if (m_guard)
        return;
    const QList<qsizetype> selected = SelectedRows();
    if (selected.size() == 1) {
        const MyRadioRow &row = m_rows[selected.first()];
        WeightClassTrack->setPosition(row.weightClass);
        updateTrackCaption();
        if (row.picture == RowPicture::EmptyFolder)
            setWarning(Msg::NoMp3InDirectory);
        else
            clearWarning();
    } else if (selected.size() > 1) {
        const int first = m_rows[selected.first()].weightClass;
        const bool same = std::all_of(selected.begin(), selected.end(),
                                      [&](qsizetype r) { return m_rows[r].weightClass == first; });
        if (same) {
            WeightClassTrack->setPosition(first);
            updateTrackCaption();
        } else {
            WeightClassTrack->setCaption(QString());
        }
    }
}

void TMyRadioEditor::WeightClassTrackChange()
{
    if (!isVisible())
        return;
    const int value = WeightClassTrack->Position();
    updateTrackCaption();
    bool changed = false;
    for (qsizetype r : SelectedRows()) {
        if (m_rows[r].weightClass != value) {
            m_rows[r].weightClass = value;
            changed = true;
        }
        ProfileList->topLevelItem(int(r))->setText(1, PriorityText(value));
    }
    if (changed)
        setModified(true);
    RefreshPercentages();
}

void TMyRadioEditor::AddButtonClick()
{
    QList<QTreeWidgetItem *> nodes;
    for (QTreeWidgetItemIterator it(ProfileTree, QTreeWidgetItemIterator::Selected); *it; ++it)
        nodes.append(*it);
    if (nodes.isEmpty())
        return;
    QList<TreePick> picks;
    for (QTreeWidgetItem *node : nodes)
        picks.append({NodeAncestors(node), node->text(0), node->data(0, FolderRole).toBool()});
    const AddOutcome outcome = AddPicks(m_rows, picks, WeightClassTrack->Position(), drive(), HasMp3);
    m_guard = true;
    for (qsizetype p = 0; p < nodes.size(); ++p)
        if (!outcome.keptPicks.contains(p))
            nodes[p]->setSelected(false);
    m_guard = false;
    showRows(outcome.selectRows);
    if (outcome.listFull)
        setWarning(Msg::MaxElements);
    if (outcome.modified)
        setModified(true);
    RefreshPercentages();
}

void TMyRadioEditor::RemoveButtonClick()
{
    if (!RemoveRows(m_rows, SelectedRows()))
        return;
    showRows({});
    setModified(true);
    RefreshPercentages();
    if (m_rows.isEmpty())
        clearWarning();
}

void TMyRadioEditor::MyRadioCheckButtonClick()
{
    const int removed = RemoveMissingRows(m_rows, drive());
    showRows({});
    if (removed > 0)
        setModified(true);
    RefreshPercentages();
    if (m_rows.isEmpty())
        clearWarning();
}

void TMyRadioEditor::ProfileListDblClick(QTreeWidgetItem *item)
{
    const int r = ProfileList->indexOfTopLevelItem(item);
    if (r >= 0 && r < m_rows.size())
        playElement(RowDevicePath(drive(), m_rows[r]));
}

void TMyRadioEditor::playElement(const QString &path)
{
    // A folder is read and a slow player waited for on the worker.
    m_handOver->Start([path, d = drive()](const std::atomic<bool> &stop) { return HandOverElement(path, d, &stop); });
}

void TMyRadioEditor::WinampImportButtonClick()
{
    FileRequest request;
    request.mode = FileRequest::Open;
    request.title = QStringLiteral("Import M3U");
    request.folder = QString(drive()) + QStringLiteral(":\\");
    request.filters = {QStringLiteral("M3U (*.m3u)")};
    const QString path = prompts().chooseFile(request);
    if (path.isEmpty())
        return;
    const std::optional<QList<MyRadioRow>> rows = ImportM3u(path, WeightClassTrack->Position(), drive());
    if (!rows)
        return;
    const bool changed = !(m_rows.isEmpty() && rows->isEmpty());
    m_rows = *rows;
    clearWarning();
    showRows({});
    RefreshPercentages();
    if (changed)
        setModified(true);
}

void TMyRadioEditor::WinampExportButtonClick()
{
    if (m_rows.isEmpty())
        return;
    auto *prompt = qobject_cast<TGetElement *>(Host()->elementPrompt());
    if (!prompt)
        return;
    const QRect window = Host()->windowGeometry();
    prompt->move(window.left() + (window.width() - prompt->width()) / 2,
                 window.top() + (window.height() - prompt->height()) / 2);
    // Every export starts with the player's paths; this computer's are a
    // choice made each time.
    prompt->PlayerPathsRadio->setChecked(true);
    if (prompt->exec() != QDialog::Accepted)
        return;
    const ExportPaths paths = prompt->LocalPathsRadio->isChecked() ? ExportPaths::ThisComputer : ExportPaths::Player;
    const Placement box = Placement::at(mapToGlobal(QPoint(0, 0)) + QPoint(40, 10));
    // The table is built at once: a hundred rows and their folders are read
    // in well under the time a drawn frame would take.
    std::optional<ExportTable> table = PrepareRandomExport(m_rows, prompt->ElementEdit->text(), drive(), box, {});
    if (!table)
        return;
    FileRequest request;
    request.mode = FileRequest::Save;
    request.title = QStringLiteral("Export M3U");
    request.folder = ExportFolder(drive());
    request.fileName = ExportProposedName(FileName());
    request.filters = {QStringLiteral("M3U (*.m3u)")};
    request.defaultSuffix = QStringLiteral("m3u");
    // Only a read-only file is asked about (WriteRandomExport).
    request.confirmOverwrite = false;
    const QString path = prompts().chooseFile(request);
    if (path.isEmpty())
        return;
    SeededRandom random = SeededRandom::fromClock();
    WriteRandomExport(*table, path, random, {}, paths);
}

void TMyRadioEditor::MyRadioCopyButtonClick()
{
    if (m_rows.isEmpty())
        return;
    QWidget *copyFrame = Host()->frame(FrameKind::MyRadioCopy);
    auto *handOff = dynamic_cast<MyRadioCopyHandOff *>(copyFrame);
    if (!handOff)
        return;
    handOff->EnterEditorMode(FileName(), ElementsOfRows(m_rows), Modified());
    m_copyKeep = true;
    setModified(false);
    CloseEditor(true);
    Host()->showFrame(copyFrame);
}

void TMyRadioEditor::EditorModeEnded(bool modified)
{
    // Activation clears the mark; it comes back once the editor is shown.
    Host()->showFrame(this, [this, modified] { setModified(modified); });
}

bool TMyRadioEditor::EditorModeLeft(bool modified)
{
    // The profile was only kept for the copy; the copy frame closing for
    // another frame closes it here, asking about the changes it carries.
    m_copyKeep = false;
    setModified(modified);
    if (CloseEditor(true))
        return true;
    // Cancelled (or not saved): the copy frame stays, still holding it.
    m_copyKeep = true;
    setModified(false);
    return false;
}

bool TMyRadioEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == ProfileTree && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            AddButtonClick();
            return true;
        }
        if (watched == ProfileList && key == Qt::Key_Delete) {
            RemoveButtonClick();
            return true;
        }
    }
    if (watched == ProfileList->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDropEvent *>(event);
            if (drag->source() == ProfileTree) {
                drag->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            if (drop->source() == ProfileTree) {
                drop->acceptProposedAction();
                AddButtonClick();
                return true;
            }
            break;
        }
        default:
            break;
        }
    }
    return TEditorFrame::eventFilter(watched, event);
}

void RegisterMyRadioEditor()
{
    RegisterFrame(FrameKind::MyRadioEditor, [](FrameHost &host, QWidget *parent) -> QWidget * {
        return new TMyRadioEditor(&host, parent);
    });
}

}  // namespace voxa
