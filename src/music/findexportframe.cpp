#include "music/findexportframe.h"

#include "app/appstate.h"
#include "app/languagetargets.h"
#include "app/framehost.h"
#include "app/settings.h"
#include "app/messagetable.h"
#include "app/owntexts.h"
#include "editors/myradio/myradiomusic.h"
#include "music/mp3fileops.h"
#include "music/mp3searchtask.h"
#include "platform/fileops.h"
#include "platform/mediaplayer.h"
#include "platform/notifications.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"
#include "ui/treepath.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>

#include <limits>

namespace voxa {

namespace {

constexpr int FirstYear = 1983;
// The list's last year; later years come in as the clock moves on, so files
// of today can be found by date.
int lastYear()
{
    return std::max(2003, QDate::currentDate().year());
}

QComboBox *makeBox(QWidget *parent, const QStringList &items, QRect geometry)
{
    auto *box = new QComboBox(parent);
    box->addItems(items);
    box->setGeometry(geometry);
    return box;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

TFindExportFrame::TFindExportFrame(FrameHost *host, QWidget *parent)
    : TOtherFrame(host, parent, FrameSize)
{
    ProfileTree = new QTreeWidget(MainPanel);
    ProfileTree->setHeaderHidden(true);
    ProfileTree->setSortingEnabled(true);
    ProfileTree->sortByColumn(0, Qt::AscendingOrder);
    ProfileTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(ProfileTree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *node) {
        // One level ahead of what the user sees, so each node shows whether
        // it has children.
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->childCount() == 0)
                listSubfolders(node->child(i));
    });

    FileList = new QTreeWidget(MainPanel);
    FileList->setRootIsDecorated(false);
    FileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FileList->setSelectionMode(QAbstractItemView::SingleSelection);
    FileList->setAllColumnsShowFocus(true);
    connect(FileList, &QTreeWidget::itemChanged, this, [this] {
        if (!m_filling)
            updateItemButtons();
    });
    connect(FileList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { FileListDoubleClick(item); });

    ItemsLabel = new QLabel(QStringLiteral("Items"), MainPanel);
    ItemNumLabel = new QLabel(QStringLiteral("0"), MainPanel);

    Pages = new QTabWidget(MainPanel);
    buildPages();

    // The window's palette is for light text on the dark skin; the lists and
    // the pages are light, so they take the style's own.
    for (QWidget *w : {static_cast<QWidget *>(ProfileTree), static_cast<QWidget *>(FileList),
                       static_cast<QWidget *>(Pages)})
        w->setPalette(style()->standardPalette());
    // The buttons on the light pages keep the skin's blue.
    for (TSkinButton *b : Pages->findChildren<TSkinButton *>())
        b->setBaseColor(QColor(28, 96, 160));
    OKButton->setCaption(msg(Msg::Close));
    OKButton->setClickHandler([this] {
        if (!Searching())
            CloseFrame(false);
    });

    m_task = new Mp3SearchTask(theMp3Finder(), this);
    m_handOver = new platform::MediaHandOver(this);
    // Without a player or a program for the file, Play says so rather than
    // nothing happening.
    connect(m_handOver, &platform::MediaHandOver::Finished, this, [](platform::PlayedBy by) {
        if (by == platform::PlayedBy::OpenFailed)
            prompts().warning(ownText(LaterOwnText::PlayNoProgram), Placement::centered());
    });
    connect(m_task, &Mp3SearchTask::Tick, this, [this] { progressTick(); });
    connect(m_task, &Mp3SearchTask::Finished, this,
            [this](const Mp3SearchResult &r) { searchEnded(r); });
    rebuildColumns();
}

TFindExportFrame::~TFindExportFrame()
{
    // The worker ends before the widgets go; its results are not wanted.
    const bool searching = Searching();
    m_task->disconnect(this);
    m_task->Cancel();
    delete m_task;
    m_task = nullptr;
    if (searching)
        QApplication::restoreOverrideCursor();
}

void TFindExportFrame::buildPages()
{
    buildFindPage();
    buildModifyPage();
    buildMovePage();
    // The captions a language file replaces; each page adds its own.
    auto &targets = LanguageTargets::instance();
    for (int page = 0; page < 3; ++page)
        targets.add(211 + page, this, [this, page](const QString &t) { Pages->setTabText(page, t); });
    targets.add(27, this, [this](const QString &t) { ItemsLabel->setText(t); });
    targets.add(187, this, [this](const QString &t) { OKButton->setCaption(t); });

    kindChosen();
    dateChecked();
    sizeChecked();
}

// The kind of list, the filters and Find.
void TFindExportFrame::buildFindPage()
{
    auto *find = new QWidget;
    m_listGroup = new QGroupBox(QStringLiteral("List Files"), find);
    m_listGroup->setGeometry(4, 4, 176, 76);
    FindBox = makeBox(m_listGroup,
                      {QStringLiteral("All"), QStringLiteral("VOXA Mark"), QStringLiteral("Incomplete ID3 v1"),
                       QStringLiteral("Incomplete ID3 v2"), QStringLiteral("Bitrate")},
                      QRect(8, 20, 160, 22));
    EQBox = makeBox(m_listGroup, {QStringLiteral("="), QStringLiteral(">"), QStringLiteral("<")},
                    QRect(8, 46, 50, 22));
    QStringList rates;
    for (int r : {32, 64, 96, 112, 128, 160, 192, 256, 320})
        rates << QStringLiteral("%1 kbps").arg(r);
    BitrateBox = makeBox(m_listGroup, rates, QRect(62, 46, 106, 22));
    EQBox->setCurrentIndex(-1);
    BitrateBox->setCurrentIndex(-1);
    connect(FindBox, &QComboBox::currentIndexChanged, this, [this] { kindChosen(); });

    m_filterGroup = new QGroupBox(QStringLiteral("Filter by"), find);
    m_filterGroup->setGeometry(184, 4, 244, 110);
    DateCheck = new QCheckBox(QStringLiteral("Date"), m_filterGroup);
    DateCheck->setGeometry(8, 18, 120, 20);
    DateEQBox = makeBox(m_filterGroup, {QStringLiteral("="), QStringLiteral(">"), QStringLiteral("<")},
                        QRect(8, 38, 40, 22));
    YearBox = makeBox(m_filterGroup, {m_yearHeader}, QRect(50, 38, 64, 22));
    QStringList months{m_monthHeader};
    for (int m = 1; m <= 12; ++m)
        months << QString::number(m);
    MonthBox = makeBox(m_filterGroup, months, QRect(116, 38, 66, 22));
    DayBox = makeBox(m_filterGroup, {m_dayHeader}, QRect(184, 38, 54, 22));
    connect(DateCheck, &QCheckBox::toggled, this, [this] { dateChecked(); });
    connect(YearBox, &QComboBox::activated, this, [this] { yearChosen(); });
    connect(MonthBox, &QComboBox::activated, this, [this] { monthChosen(); });

    FileSizeCheck = new QCheckBox(QStringLiteral("File Size"), m_filterGroup);
    FileSizeCheck->setGeometry(8, 62, 120, 20);
    SizeEQBox = makeBox(m_filterGroup, {QStringLiteral(">"), QStringLiteral("<")}, QRect(8, 82, 40, 22));
    SizeSpin = new QSpinBox(m_filterGroup);
    SizeSpin->setRange(0, std::numeric_limits<qint32>::max());
    SizeSpin->setGeometry(50, 82, 116, 22);
    WhichByteBox = makeBox(m_filterGroup, {QStringLiteral("kByte"), QStringLiteral("MByte")},
                           QRect(168, 82, 70, 22));
    WhichByteBox->setCurrentIndex(1);
    connect(FileSizeCheck, &QCheckBox::toggled, this, [this] { sizeChecked(); });

    // Beside the Find button the option has the page's width, which its
    // longer translations need.
    FindButton = MakeCaptionButton(find, QStringLiteral("Find"), QRect(8, 120, 81, 25));
    FindButton->setClickHandler([this] { FindButtonClick(); });
    ExtendCheck = new QCheckBox(QStringLiteral("Extend to Whole Directory"), find);
    ExtendCheck->setGeometry(98, 122, 330, 20);
    SearchLabel = new QLabel(find);
    SearchLabel->setGeometry(8, 88, 172, 18);
    Pages->addTab(find, QStringLiteral("Find"));

    // The header entries of the date lists are kept, since the year and day
    // lists are filled again.
    auto &targets = LanguageTargets::instance();
    targets.add(214, this, [this](const QString &t) { m_listGroup->setTitle(t); });
    targets.add(215, this, [this](const QString &t) { m_filterGroup->setTitle(t); });
    targets.add(216, this, [this](const QString &t) { DateCheck->setText(t); });
    targets.add(217, this, [this](const QString &t) { FileSizeCheck->setText(t); });
    targets.add(218, this, [this](const QString &t) { FindButton->setCaption(t); });
    for (int kind = 0; kind < 5; ++kind)
        targets.add(219 + kind, this, [this, kind](const QString &t) { FindBox->setItemText(kind, t); });
    targets.add(224, this, [this](const QString &t) { ExtendCheck->setText(t); });
    targets.add(225, this, [this](const QString &t) {
        m_yearHeader = t;
        YearBox->setItemText(0, t);
    });
    targets.add(226, this, [this](const QString &t) {
        m_monthHeader = t;
        MonthBox->setItemText(0, t);
    });
    targets.add(227, this, [this](const QString &t) {
        m_dayHeader = t;
        DayBox->setItemText(0, t);
    });
}

// Operations on the list and on the listed files.
void TFindExportFrame::buildModifyPage()
{
    auto *modify = new QWidget;
    auto *listOps = new QGroupBox(QStringLiteral("List Operation"), modify);
    listOps->setGeometry(4, 4, 132, 116);
    SelAllButton = MakeCaptionButton(listOps, QStringLiteral("Select All"), QRect(10, 20, 110, 25));
    SelNoneButton = MakeCaptionButton(listOps, QStringLiteral("Select None"), QRect(10, 51, 110, 25));
    RemoveButton = MakeCaptionButton(listOps, QStringLiteral("Remove"), QRect(10, 82, 110, 25));
    auto *fileOps = new QGroupBox(QStringLiteral("File Operation"), modify);
    fileOps->setGeometry(142, 4, 132, 116);
    PlayButton = MakeCaptionButton(fileOps, QStringLiteral("Play"), QRect(10, 20, 110, 25));
    UnMarkButton = MakeCaptionButton(fileOps, QStringLiteral("UnMark"), QRect(10, 51, 110, 25));
    DeleteButton = MakeCaptionButton(fileOps, QStringLiteral("Delete"), QRect(10, 82, 110, 25));
    SelAllButton->setClickHandler([this] { SelAllButtonClick(); });
    SelNoneButton->setClickHandler([this] { SelNoneButtonClick(); });
    RemoveButton->setClickHandler([this] { RemoveButtonClick(); });
    PlayButton->setClickHandler([this] { PlayButtonClick(); });
    UnMarkButton->setClickHandler([this] { UnMarkButtonClick(); });
    DeleteButton->setClickHandler([this] { DeleteButtonClick(); });
    Pages->addTab(modify, QStringLiteral("Modify"));


    auto &targets = LanguageTargets::instance();
    targets.add(228, this, [listOps](const QString &t) { listOps->setTitle(t); });
    targets.add(229, this, [fileOps](const QString &t) { fileOps->setTitle(t); });
    const QList<TSkinButton *> operations{SelAllButton, SelNoneButton, RemoveButton,
                                          PlayButton,   UnMarkButton,  DeleteButton};
    for (int i = 0; i < operations.size(); ++i)
        targets.add(230 + i, this, [b = operations[i]](const QString &t) { b->setCaption(t); });
}

// The quarantine folder and the exports.
void TFindExportFrame::buildMovePage()
{
    auto *move = new QWidget;
    QuarantineLabel = new QLabel(QStringLiteral("Quarantine Directory"), move);
    QuarantineLabel->setGeometry(8, 4, 200, 18);
    QuarantineEdit = new QLineEdit(move);
    QuarantineEdit->setReadOnly(true);
    QuarantineEdit->setGeometry(8, 22, 220, 22);
    CopyButton = MakeCaptionButton(move, QStringLiteral("Change"), QRect(234, 20, 81, 25));
    Move2QButton = MakeCaptionButton(move, QStringLiteral("Move All to Quarantine"), QRect(8, 50, 170, 25));
    CopyButton->setClickHandler([this] { CopyButtonClick(); });
    Move2QButton->setClickHandler([this] { Move2QButtonClick(); });
    auto *exportGroup = new QGroupBox(QStringLiteral("Export"), move);
    exportGroup->setGeometry(4, 80, 320, 74);
    M3UBox = new QCheckBox(QStringLiteral("M3U"), exportGroup);
    PLSBox = new QCheckBox(QStringLiteral("PLS"), exportGroup);
    TextBox = new QCheckBox(QStringLiteral("Text"), exportGroup);
    CSVBox = new QCheckBox(QStringLiteral("CSV"), exportGroup);
    // The four boxes are one choice: checking one clears the others, and
    // the checked one cannot be cleared.
    m_formats = new QButtonGroup(this);
    m_formats->setExclusive(true);
    int x = 10;
    for (QCheckBox *box : {M3UBox, PLSBox, TextBox, CSVBox}) {
        box->setGeometry(x, 20, 64, 20);
        m_formats->addButton(box, int(m_formats->buttons().size()));
        x += 70;
    }
    ExportButton = MakeCaptionButton(exportGroup, QStringLiteral("Export"), QRect(10, 42, 81, 25));
    ExportButton->setClickHandler([this] { ExportButtonClick(); });
    Pages->addTab(move, QStringLiteral("Move/Export"));


    auto &targets = LanguageTargets::instance();
    targets.add(236, this, [this](const QString &t) { QuarantineLabel->setText(t); });
    targets.add(237, this, [this](const QString &t) { CopyButton->setCaption(t); });
    targets.add(238, this, [this](const QString &t) { Move2QButton->setCaption(t); });
    targets.add(239, this, [this, exportGroup](const QString &t) {
        exportGroup->setTitle(t);
        ExportButton->setCaption(t);
    });

}

void TFindExportFrame::LayoutButtons()
{
    TOtherFrame::LayoutButtons();
    const int w = width(), h = height();
    const int listTop = 196;
    ProfileTree->setGeometry(4, 4, 190, listTop - 8);
    Pages->setGeometry(198, 4, w - 202, listTop - 8);
    FileList->setGeometry(4, listTop, w - 8, OKButton->y() - listTop - 6);
    ItemsLabel->setGeometry(8, OKButton->y() + 4, 40, 18);
    ItemNumLabel->setGeometry(50, OKButton->y() + 4, 80, 18);
    Q_UNUSED(h);
}

QChar TFindExportFrame::drive() const
{
    return appState().DriveLetter;
}

QString TFindExportFrame::QuarantineDir() const
{
    return QuarantineEdit->text();
}

// ------------------------------------------------------------------ showing

void TFindExportFrame::OnShowFrame()
{
    TOtherFrame::OnShowFrame();
    fillTree();
    if (Host())
        QuarantineEdit->setText(Host()->settings().quarantineDir());
    Pages->setCurrentIndex(0);
    M3UBox->setChecked(true);
    RefreshTitle();
    ItemNumLabel->setText(QStringLiteral("0"));
    YearBox->clear();
    YearBox->addItem(m_yearHeader);
    for (int y = lastYear(); y >= FirstYear; --y)
        YearBox->addItem(QString::number(y));
    for (TSkinButton *b : {SelAllButton, SelNoneButton, RemoveButton, DeleteButton, Move2QButton, ExportButton,
                           UnMarkButton, PlayButton})
        b->setEnabled(false);
}

void TFindExportFrame::OnCloseFrame()
{
    // A search still running is stopped and its list dropped with the rest.
    if (Searching()) {
        m_task->Cancel();
        m_task->Wait();
    }
    if (Host())
        Host()->setTitleLine(QString());
    m_items.clear();
    FileList->clear();
    ProfileTree->clear();
}

void TFindExportFrame::RefreshTitle()
{
    if (isVisible() && Host())
        Host()->setTitleLine(Host()->frameCaption(FrameKind::FindExport));
    FileList->setHeaderLabels(Mp3ListCaptions(m_columns));
}

// --------------------------------------------------------------------- tree

void TFindExportFrame::fillTree()
{
    ProfileTree->clear();
    const QString root = QString(drive()) + QStringLiteral(":\\");
    for (const fs::Entry &e : fs::listDir(root)) {
        if (!e.isDir || (e.isLink && !FolderStaysOnDrive(root + e.name)))
            continue;
        auto *node = new QTreeWidgetItem(ProfileTree, {e.name});
        listSubfolders(node);
    }
    if (QTreeWidgetItem *first = ProfileTree->topLevelItem(0)) {
        ProfileTree->scrollToItem(first);
        ProfileTree->setCurrentItem(first);
    }
}

void TFindExportFrame::listSubfolders(QTreeWidgetItem *node)
{
    const QString folder = QString(drive()) + QStringLiteral(":\\") + relativePath(node);
    // A folder link leading off the drive is no folder of the drive.
    for (const fs::Entry &e : fs::listDir(folder))
        if (e.isDir && (!e.isLink || FolderStaysOnDrive(platform::joinDevice(folder, e.name))))
            new QTreeWidgetItem(node, {e.name});
}

QString TFindExportFrame::relativePath(const QTreeWidgetItem *node) const
{
    QStringList parts;
    for (; node; node = node->parent())
        parts.prepend(node->text(0));
    return parts.join(QLatin1Char('\\'));
}

QString TFindExportFrame::SelectedFolder() const
{
    const QTreeWidgetItem *node = ProfileTree->currentItem();
    return node ? QString(drive()) + QStringLiteral(":\\") + relativePath(node) : QString();
}

bool TFindExportFrame::SelectFolder(const QString &relative)
{
    QTreeWidgetItem *node = NodeAtPath(ProfileTree, relative, [](QTreeWidgetItem *n) { n->setExpanded(true); });
    if (!node)
        return false;
    ProfileTree->setCurrentItem(node);
    ProfileTree->scrollToItem(node);
    return true;
}

// ----------------------------------------------------------------- controls

void TFindExportFrame::kindChosen()
{
    const bool bitrate = FindBox->currentIndex() == int(FindKind::Bitrate);
    EQBox->setEnabled(bitrate);
    BitrateBox->setEnabled(bitrate);
    if (bitrate) {
        if (EQBox->currentIndex() < 0)
            EQBox->setCurrentIndex(0);
        if (BitrateBox->currentIndex() < 0)
            BitrateBox->setCurrentIndex(BitrateBox->findText(QStringLiteral("128 kbps")));
    }
}

void TFindExportFrame::dateChecked()
{
    const bool on = DateCheck->isChecked();
    for (QComboBox *b : {DateEQBox, YearBox, MonthBox, DayBox})
        b->setEnabled(on);
}

void TFindExportFrame::sizeChecked()
{
    const bool on = FileSizeCheck->isChecked();
    SizeEQBox->setEnabled(on);
    SizeSpin->setEnabled(on);
    WhichByteBox->setEnabled(on);
}

void TFindExportFrame::yearChosen()
{
    if (YearBox->currentIndex() <= 0)
        return;
    m_monthDays[1] = isLeapYear(YearBox->currentText().toInt()) ? 29 : 28;
    monthChosen();
}

void TFindExportFrame::monthChosen()
{
    const int month = MonthBox->currentIndex();
    if (month <= 0)
        return;
    const int keep = DayBox->currentIndex();
    DayBox->clear();
    DayBox->addItem(m_dayHeader);
    for (int d = 1; d <= MonthDays(month); ++d)
        DayBox->addItem(QString::number(d));
    DayBox->setCurrentIndex(keep < DayBox->count() ? keep : DayBox->count() - 1);
}

// --------------------------------------------------------------------- find

bool TFindExportFrame::Searching() const
{
    return m_task && m_task->IsRunning();
}

void TFindExportFrame::WaitForSearch()
{
    if (Searching())
        m_task->Wait();
}

void TFindExportFrame::rebuildColumns()
{
    m_columns = {};
    m_columns.Date = DateCheck->isChecked();
    m_columns.Size = FileSizeCheck->isChecked();
    m_columns.SizeInMBytes = WhichByteBox->currentIndex() == 1;
    m_columns.SizeUnitText = WhichByteBox->currentText();
    m_columns.Bitrate = FindBox->currentIndex() == int(FindKind::Bitrate);
    const QStringList captions = Mp3ListCaptions(m_columns);
    FileList->setColumnCount(int(captions.size()));
    FileList->setHeaderLabels(captions);
    QHeaderView *header = FileList->header();
    header->setStretchLastSection(false);
    int col = 0;
    FileList->setColumnWidth(col++, 200);
    if (m_columns.Date) {
        FileList->headerItem()->setTextAlignment(col, Qt::AlignCenter);
        FileList->setColumnWidth(col++, 100);
    }
    if (m_columns.Size) {
        FileList->headerItem()->setTextAlignment(col, Qt::AlignRight | Qt::AlignVCenter);
        FileList->setColumnWidth(col++, 100);
    }
    if (m_columns.Bitrate) {
        FileList->headerItem()->setTextAlignment(col, Qt::AlignRight | Qt::AlignVCenter);
        FileList->setColumnWidth(col++, 60);
    }
    FileList->setColumnWidth(col, 100);
}

void TFindExportFrame::FindButtonClick()
{
    if (Searching() || !ProfileTree->currentItem())
        return;
    if (DateCheck->isChecked()
        && (YearBox->currentIndex() < 0 || MonthBox->currentIndex() < 0 || DayBox->currentIndex() < 0))
        return;
    m_items.clear();
    FileList->clear();
    rebuildColumns();
    ItemNumLabel->setText(QStringLiteral("0"));
    updateListButtons();

    Mp3Finder &finder = theMp3Finder();
    TFindFilter f;
    f.SearchKind = FindKind(std::clamp(FindBox->currentIndex(), 0, int(FindKind::Bitrate)));
    f.Extend = ExtendCheck->isChecked();
    if (DateCheck->isChecked()) {
        f.DateFilter = true;
        f.DateOp = DateEQBox->currentText().at(0).toLatin1();
        const QDate date(YearBox->currentText().toInt(), MonthBox->currentText().toInt(),
                         DayBox->currentText().toInt());
        if (YearBox->currentIndex() == 0 || MonthBox->currentIndex() == 0 || DayBox->currentIndex() == 0
            || !date.isValid()) {
            const QString sep = SystemDateSeparator();
            const QString text = YearBox->currentText() + sep + MonthBox->currentText() + sep + DayBox->currentText();
            prompts().error(QStringLiteral("'%1' is not a valid date").arg(text));
            return;
        }
        f.Date = date;
    }
    if (FileSizeCheck->isChecked()) {
        f.SizeFilter = true;
        f.SizeOp = SizeEQBox->currentText().at(0).toLatin1();
        const qint64 unit = m_columns.SizeInMBytes ? 1048576 : 1024;
        const qint64 limit = qint64(SizeSpin->value()) * unit;
        if (limit > std::numeric_limits<qint32>::max()) {
            prompts().error(QStringLiteral("'%1 %2' is more than 2147483647 bytes; the file size filter cannot use it.")
                                .arg(SizeSpin->value())
                                .arg(WhichByteBox->currentText()));
            return;
        }
        f.SizeLimit = qint32(limit);
    }
    if (f.SearchKind == FindKind::Bitrate) {
        f.BitrateOp = EQBox->currentText().isEmpty() ? '=' : EQBox->currentText().at(0).toLatin1();
        f.Bitrate = BitrateBox->currentText().chopped(5).toInt();
    }
    finder.FindFilter = f;
    m_tick = 0;
    SearchLabel->clear();
    if (!m_task->Start(SelectedFolder()))
        return;
    setBusy(true);
}

void TFindExportFrame::progressTick()
{
    if (!Searching())
        return;  // a tick that was still queued when the search ended
    m_tick = m_tick % 5 + 1;
    SearchLabel->setText(msg(Msg::Searching) + QString(m_tick, QLatin1Char('.')));
}

void TFindExportFrame::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    // Everything that could start a second search, change the list or touch
    // the files waits; the progress label stays readable.
    for (int i = 0; i < Pages->count(); ++i)
        for (QWidget *w : Pages->widget(i)->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (w != SearchLabel)
                w->setEnabled(!busy);
    ProfileTree->setEnabled(!busy);
    FileList->setEnabled(!busy);
    OKButton->setEnabled(!busy);
    if (busy)
        m_hostBusy.emplace(Host());
    else
        m_hostBusy.reset();
}

void TFindExportFrame::searchEnded(const Mp3SearchResult &result)
{
    SearchLabel->clear();
    m_items = theMp3Finder().SelectedRecords();
    SortMp3ListByPath(m_items);
    fillList();
    setBusy(false);
    updateItemButtons();
    updateListButtons();
    platform::NotifyEndedIfInactive(SearchEndingText(int(m_items.size())));
    if (result.TableFull)
        prompts().warning(QStringLiteral("The folder holds more MP3 files than the list can take; "
                                         "only the first %1 were searched.")
                              .arg(theMp3Finder().Capacity()));
    if (result.OffDrive)
        prompts().warning(QStringLiteral("This folder leads off the drive; it was not searched.\n%1")
                              .arg(SelectedFolder()));
    if (!result.LeftOut.isEmpty())
        prompts().warning(QStringLiteral("These names cannot be spelled in the system's character set; "
                                         "their files were left out:\n%1")
                              .arg(result.LeftOut.mid(0, 20).join(QLatin1Char('\n'))));
    emit searchFinished();
}

void TFindExportFrame::fillList()
{
    m_filling = true;
    FileList->clear();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(m_items.size());
    for (const Mp3FileInfo &f : m_items) {
        auto *item = new QTreeWidgetItem(Mp3ListTexts(f, m_columns));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        int col = 1;
        if (m_columns.Date)
            item->setTextAlignment(col++, Qt::AlignCenter);
        if (m_columns.Size)
            item->setTextAlignment(col++, Qt::AlignRight | Qt::AlignVCenter);
        if (m_columns.Bitrate)
            item->setTextAlignment(col++, Qt::AlignRight | Qt::AlignVCenter);
        rows << item;
    }
    FileList->addTopLevelItems(rows);
    const int pathCol = FileList->columnCount() - 1;
    FileList->resizeColumnToContents(pathCol);
    FileList->setColumnWidth(pathCol, std::clamp(FileList->columnWidth(pathCol), 100, 300));
    m_filling = false;
}

// --------------------------------------------------------------------- list

QList<int> TFindExportFrame::checkedRows() const
{
    // A moved row stands for no file where the search found it; it is
    // never checked, and a check mark set on it anyway counts for nothing.
    QList<int> rows;
    for (int i = 0; i < FileList->topLevelItemCount(); ++i)
        if (FileList->topLevelItem(i)->checkState(0) == Qt::Checked && !m_items[i].Moved)
            rows << i;
    return rows;
}

QList<Mp3FileInfo> TFindExportFrame::checkedItems() const
{
    QList<Mp3FileInfo> out;
    for (int row : checkedRows())
        out << m_items[row];
    return out;
}

void TFindExportFrame::removeRows(const QList<int> &rows)
{
    m_filling = true;
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        delete FileList->takeTopLevelItem(*it);
        m_items.removeAt(*it);
    }
    m_filling = false;
}

void TFindExportFrame::updateItemButtons()
{
    const bool any = !checkedRows().isEmpty();
    PlayButton->setEnabled(any);
    RemoveButton->setEnabled(any);
    DeleteButton->setEnabled(any);
    bool marked = false;
    for (const Mp3FileInfo &f : std::as_const(m_items))
        marked = marked || f.FileName.endsWith(QLatin1Char('!'));
    UnMarkButton->setEnabled(any && marked);
}

void TFindExportFrame::updateListButtons()
{
    const bool any = !m_items.isEmpty();
    for (TSkinButton *b : {SelAllButton, SelNoneButton, Move2QButton, ExportButton})
        b->setEnabled(any);
    ItemNumLabel->setText(QString::number(m_items.size()));
}

void TFindExportFrame::SelAllButtonClick()
{
    if (Searching())
        return;
    m_filling = true;
    for (int i = 0; i < FileList->topLevelItemCount(); ++i)
        if (!m_items[i].Moved)
            FileList->topLevelItem(i)->setCheckState(0, Qt::Checked);
    m_filling = false;
    updateItemButtons();
}

void TFindExportFrame::SelNoneButtonClick()
{
    if (Searching())
        return;
    m_filling = true;
    for (int i = 0; i < FileList->topLevelItemCount(); ++i)
        FileList->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
    m_filling = false;
    updateItemButtons();
}

void TFindExportFrame::RemoveButtonClick()
{
    if (Searching())
        return;
    removeRows(checkedRows());
    updateItemButtons();
    updateListButtons();
}

void TFindExportFrame::PlayButtonClick()
{
    if (Searching())
        return;
    QStringList paths;
    for (const Mp3FileInfo &f : checkedItems())
        paths << Mp3FullPath(f);
    if (!paths.isEmpty())
        m_handOver->StartFiles(paths, HandOverPlayListPath(drive()));
}

void TFindExportFrame::FileListDoubleClick(QTreeWidgetItem *item)
{
    const int row = item ? FileList->indexOfTopLevelItem(item) : -1;
    if (Searching() || row < 0)
        return;
    m_handOver->StartFile(Mp3FullPath(m_items[row]));
}

// -------------------------------------------------------------------- files

void TFindExportFrame::UnMarkButtonClick()
{
    if (Searching())
        return;
    applyToChecked(UnMarkFiles);
}

void TFindExportFrame::DeleteButtonClick()
{
    if (Searching() || !ConfirmDeleteFiles())
        return;
    applyToChecked(DeleteFiles);
}

void TFindExportFrame::applyToChecked(
    const std::function<QList<Mp3ItemOutcome>(const QList<Mp3FileInfo> &)> &operation)
{
    const QList<int> rows = checkedRows();
    QList<Mp3FileInfo> files;
    for (int row : rows)
        files << m_items[row];
    const QList<Mp3ItemOutcome> outcomes = operation(files);
    // Only the items whose files really changed leave the list.
    QList<int> leaving;
    for (qsizetype i = 0; i < rows.size() && i < outcomes.size(); ++i)
        if (outcomes[i].LeavesList)
            leaving << rows[i];
    removeRows(leaving);
    updateItemButtons();
    updateListButtons();
}

void TFindExportFrame::CopyButtonClick()
{
    if (const QTreeWidgetItem *node = ProfileTree->currentItem())
        QuarantineEdit->setText(relativePath(node));
}

void TFindExportFrame::Move2QButtonClick()
{
    if (Searching() || QuarantineEdit->text().isEmpty())
        return;
    const QuarantineOutcome outcome = MoveToQuarantine(drive(), QuarantineEdit->text(), m_items);
    if (!outcome.Started)
        return;
    // A moved row is unchecked and shows where its file went; it takes no
    // further file operation, so a later Delete or UnMark cannot reach
    // whatever file comes to have its old name.
    m_filling = true;
    for (qsizetype i = 0; i < outcome.Items.size() && i < FileList->topLevelItemCount(); ++i) {
        const Mp3ItemOutcome &o = outcome.Items[i];
        QTreeWidgetItem *row = FileList->topLevelItem(int(i));
        if (o.Tried)
            row->setCheckState(0, Qt::Unchecked);
        if (o.Done) {
            Mp3FileInfo &f = m_items[i];
            f.Directory = platform::folderOf(o.NewPath);
            f.Moved = true;
            const int pathCol = FileList->columnCount() - 1;
            row->setText(pathCol, f.Directory);
            row->setToolTip(pathCol, o.NewPath);
            row->setFlags(row->flags() & ~Qt::ItemIsUserCheckable);
            for (int col = 0; col < FileList->columnCount(); ++col)
                row->setForeground(col, FileList->palette().brush(QPalette::Disabled, QPalette::Text));
        }
    }
    m_filling = false;
    fillTree();
    updateItemButtons();
}

// ------------------------------------------------------------------- export

Mp3ExportFormat TFindExportFrame::checkedFormat(bool *any) const
{
    const int id = m_formats->checkedId();
    *any = id >= 0;
    return Mp3ExportFormat(std::max(id, 0));
}

void TFindExportFrame::ExportButtonClick()
{
    bool any = false;
    const Mp3ExportFormat format = checkedFormat(&any);
    if (Searching() || !any)
        return;
    FileRequest request;
    request.mode = FileRequest::Save;
    request.title = msg(Msg::SaveAs);
    const bool playList = format == Mp3ExportFormat::M3U || format == Mp3ExportFormat::PLS;
    request.folder = QString(drive()) + (playList ? QStringLiteral(":\\voxa\\myradio") : QStringLiteral(":\\"));
    request.filters = {QStringLiteral("*.") + Mp3ExportExtension(format)};
    // The read-only question below is the only one; a plain file is replaced.
    request.confirmOverwrite = false;
    const QString chosen = prompts().chooseFile(request);
    if (chosen.isEmpty())
        return;
    ExportMp3List(format, Mp3ExportFileName(chosen, format), m_items, m_columns);
}

void RegisterFindExport()
{
    RegisterFrame(FrameKind::FindExport, [](FrameHost &host, QWidget *parent) -> QWidget * {
        return new TFindExportFrame(&host, parent);
    });
}

}  // namespace voxa
