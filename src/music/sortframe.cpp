#include "music/sortframe.h"

#include "app/appstate.h"
#include "app/languagetargets.h"
#include "app/framehost.h"
#include "app/messagetable.h"
#include "app/owntexts.h"
#include "music/sortjob.h"
#include "platform/notifications.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"
#include "ui/skinpanel.h"
#include "ui/skinprogressbar.h"
#include "ui/treepath.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeWidget>

namespace voxa {
namespace {

constexpr int IsDirRole = Qt::UserRole;
constexpr int ListedRole = Qt::UserRole + 1;

const QString TreeStyle = QStringLiteral(
    "QTreeWidget { background: #0080ff; color: white; border: 1px solid #1b2947; }"
    "QTreeWidget::item:selected { background: #1b2947; color: white; }"
    "QTreeWidget:disabled { background: #5a7fb0; }"
    "QHeaderView { background: #2d406b; }"
    "QHeaderView::section { background: #2d406b; color: white; border: 0;"
    " border-right: 1px solid #1b2947; padding: 1px 4px; }");

void whiteText(QLabel *label)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(pal);
}

// The tree shows folders and the files the player plays or lists.
bool shownFile(const QString &name)
{
    const SortGroup g = SortGroupOf(name, false);
    return g == SortGroup::Mp3 || g == SortGroup::M3u;
}

}  // namespace

TSortFrame::TSortFrame(FrameHost *host, QWidget *parent)
    : TOtherFrame(host, parent, FrameSize), m_ops(&defaultSortFileOps()), m_job(new TSortJob(this))
{
    connect(m_job, &TSortJob::progress, this, &TSortFrame::jobProgress);
    connect(m_job, &TSortJob::finished, this, &TSortFrame::jobFinished);
    ProfileTree = new QTreeWidget(MainPanel);
    ProfileTree->setGeometry(6, 6, 262, 186);
    ProfileTree->setHeaderHidden(true);
    ProfileTree->setSelectionMode(QAbstractItemView::SingleSelection);
    ProfileTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ProfileTree->setStyleSheet(TreeStyle);
    connect(ProfileTree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) { expandItem(item); });
    // Selection, not the current item: focus alone makes the first node current.
    connect(ProfileTree, &QTreeWidget::itemSelectionChanged, this, [this] { selectionChanged(); });

    PlayOrderView = new QTreeWidget(MainPanel);
    PlayOrderView->setGeometry(274, 6, 280, 186);
    PlayOrderView->setRootIsDecorated(false);
    PlayOrderView->setSelectionMode(QAbstractItemView::NoSelection);
    PlayOrderView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PlayOrderView->setColumnCount(3);
    PlayOrderView->setHeaderLabels(
        {QStringLiteral("#"), ownText(OwnText::SortPlaysNow), ownText(OwnText::SortAfterSorting)});
    PlayOrderView->setColumnWidth(0, 34);
    PlayOrderView->setColumnWidth(1, 118);
    PlayOrderView->header()->setSectionsMovable(false);
    PlayOrderView->header()->setStretchLastSection(true);
    PlayOrderView->setStyleSheet(TreeStyle);

    Label1 = new QLabel(QStringLiteral("It is very important, that there should not be any program that uses the "
                                       "directory or any file in the directory which you want to sort!"),
                        MainPanel);
    Label1->setGeometry(6, 196, 548, 58);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    whiteText(Label1);

    RenameProgress = new TSkinProgressBar(MainPanel);
    RenameProgress->setGeometry(6, 258, 548, 20);
    RenameProgress->setMax(0);

    ErrorLabel = new QLabel(MainPanel);
    ErrorLabel->setGeometry(6, 282, 288, 74);
    ErrorLabel->setWordWrap(true);
    ErrorLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    whiteText(ErrorLabel);

    SortButton = MakeCaptionButton(MainPanel, QStringLiteral("Sort"), QRect(0, 0, 81, 25),
                                   [this] { SortButtonClick(); });
    SortButton->setEnabled(false);

    CancelButton = MakeCaptionButton(MainPanel, msg(Msg::Cancel), QRect(0, 0, 81, 25));
    CancelButton->setEnabled(false);
    CancelButton->hide();
    CancelButton->setClickHandler([this] { CancelButtonClick(); });

    OKButton->setCaption(QStringLiteral("Close"));
    OKButton->setClickHandler([this] { OKButtonClick(); });

    auto &targets = LanguageTargets::instance();
    targets.add(181, this, [this](const QString &t) { Label1->setText(t); });
    targets.add(183, this, [this](const QString &t) { SortButton->setCaption(t); });
    targets.add(187, this, [this](const QString &t) { OKButton->setCaption(t); });
    targets.add(ownNumber(OwnText::SortPlaysNow), this,
                [this](const QString &t) { PlayOrderView->headerItem()->setText(1, t); });
    targets.add(ownNumber(OwnText::SortAfterSorting), this,
                [this](const QString &t) { PlayOrderView->headerItem()->setText(2, t); });

    LayoutButtons();
}

TSortFrame::~TSortFrame()
{
    // A sort must not run on after its window is gone: stop it (the files
    // moved so far go back) and wait for the worker; its end reaches no
    // half-destroyed frame.
    delete m_job;
}

void TSortFrame::LayoutButtons()
{
    TOtherFrame::LayoutButtons();
    if (!SortButton)
        return;
    SortButton->move(OKButton->x() - SortButton->width() - 6, OKButton->y());
    CancelButton->move(SortButton->x() - CancelButton->width() - 6, OKButton->y());
}

// ------------------------------------------------------------------ showing

void TSortFrame::OnShowFrame()
{
    TOtherFrame::OnShowFrame();
    const bool small = Host() && Host()->smallFontSet();
    Label1->setFont(ShellDlgFont(small ? 10 : 12));
    ErrorLabel->setFont(ShellDlgFont(small ? 6 : 8));
    RefreshTitle();
    if (m_busy)
        return;
    RenameProgress->setMax(0);
    RenameProgress->setCaption(QString());
    fillTree();
    if (ProfileTree->topLevelItemCount() > 0)
        ProfileTree->scrollToItem(ProfileTree->topLevelItem(0));
}

void TSortFrame::OnCloseFrame()
{
    ProfileTree->clear();
    PlayOrderView->clear();
    ErrorLabel->clear();
    m_shown = Shown::Nothing;
    m_detail.clear();
    SortButton->setEnabled(false);
    if (FrameHost *host = Host())
        host->setTitleLine(QString());
}

void TSortFrame::RefreshTitle()
{
    if (isVisible())
        if (FrameHost *host = Host())
            host->setTitleLine(host->frameCaption(FrameKind::Sort));
    CancelButton->setCaption(msg(Msg::Cancel));
    showTexts();
}

// Writes the error label and, where the state has one, the progress caption
// in the current language.
void TSortFrame::showTexts()
{
    const QChar drive = m_drive.isNull() ? appState().DriveLetter : m_drive;
    switch (m_shown) {
    case Shown::Nothing:
        ErrorLabel->clear();
        break;
    case Shown::TooFew:
        ErrorLabel->setText(msg(Msg::TooFewFilesToSort));
        break;
    case Shown::PlanRefused:
    case Shown::StartFailed:
        ErrorLabel->setText(m_detail);
        break;
    case Shown::RollingBack:
        ErrorLabel->setText(SortErrorText(m_detail));
        break;
    case Shown::JournalPresent:
    case Shown::RollBackFailed:
        ErrorLabel->setText(RollBackFailureText(drive));
        RenameProgress->setCaption(msg(Msg::RollBackError));
        break;
    case Shown::Sorted:
        ErrorLabel->clear();
        RenameProgress->setCaption(msg(Msg::DirectorySorted));
        break;
    case Shown::RolledBack:
        ErrorLabel->setText(SortErrorText(m_detail));
        RenameProgress->setCaption(msg(Msg::FilesRolledBack));
        break;
    case Shown::Cancelled:
        ErrorLabel->clear();
        RenameProgress->setCaption(msg(Msg::FilesRolledBack));
        break;
    }
}

// ------------------------------------------------------------------ the tree

void TSortFrame::fillTree()
{
    const QSignalBlocker blocker(ProfileTree);
    ProfileTree->clear();
    PlayOrderView->clear();
    SortButton->setEnabled(false);
    listChildren(nullptr);
    for (int i = 0; i < ProfileTree->topLevelItemCount(); ++i)
        listChildren(ProfileTree->topLevelItem(i));
}

// Adds the folders and MP3/M3U files of a node's folder (the drive's root
// for none), in stored entry order.
void TSortFrame::listChildren(QTreeWidgetItem *item)
{
    if (item && (!item->data(0, IsDirRole).toBool() || item->data(0, ListedRole).toBool()))
        return;
    if (item)
        item->setData(0, ListedRole, true);
    const QString folder = item ? pathOf(item) : QString(appState().DriveLetter) + QStringLiteral(":\\");
    bool ok = false;
    const QList<fs::Entry> entries = m_ops->listDir(folder, &ok);
    for (const fs::Entry &e : entries) {
        if (!e.isDir && !shownFile(e.name))
            continue;
        auto *child = item ? new QTreeWidgetItem(item, {e.name}) : new QTreeWidgetItem(ProfileTree, {e.name});
        child->setData(0, IsDirRole, e.isDir);
    }
}

// Expanding a node lists the level below its children, so that they show
// whether they can be expanded in turn.
void TSortFrame::expandItem(QTreeWidgetItem *item)
{
    listChildren(item);
    for (int i = 0; i < item->childCount(); ++i)
        listChildren(item->child(i));
}

QString TSortFrame::pathOf(const QTreeWidgetItem *item) const
{
    QStringList parts;
    for (const QTreeWidgetItem *i = item; i; i = i->parent())
        parts.prepend(i->text(0));
    return QString(appState().DriveLetter) + QStringLiteral(":\\") + parts.join(QLatin1Char('\\'));
}

QString TSortFrame::SelectedPath() const
{
    const QTreeWidgetItem *item = ProfileTree->currentItem();
    return item && item->isSelected() ? pathOf(item) : QString();
}

bool TSortFrame::SelectDirectory(const QString &path)
{
    const QString root = QString(appState().DriveLetter) + QStringLiteral(":\\");
    if (!path.startsWith(root, Qt::CaseInsensitive))
        return false;
    QTreeWidgetItem *item = NodeAtPath(ProfileTree, path.mid(root.size()), [this](QTreeWidgetItem *node) {
        node->setExpanded(true);
        expandItem(node);  // also when the tree's signals are blocked
    });
    if (!item)
        return false;
    ProfileTree->setCurrentItem(item);
    item->setSelected(true);
    ProfileTree->scrollToItem(item);
    return true;
}

void TSortFrame::selectionChanged()
{
    if (m_busy)
        return;
    RenameProgress->setMax(0);
    RenameProgress->setCaption(QString());
    m_detail.clear();
    const QList<QTreeWidgetItem *> selected = ProfileTree->selectedItems();
    QTreeWidgetItem *item = selected.value(0);
    const bool dir = item && item->data(0, IsDirRole).toBool();
    if (!dir) {
        // A file is no folder to sort or to play.
        SortButton->setEnabled(false);
        m_shown = Shown::Nothing;
        PlayOrderView->clear();
        showTexts();
        return;
    }
    // Looked up once for the check and the play order.
    const platform::DevicePath path(pathOf(item));
    const bool qualifies = DirectoryQualifies(path, *m_ops);
    SortButton->setEnabled(qualifies);
    m_shown = qualifies ? Shown::Nothing : Shown::TooFew;
    showTexts();
    showPlayOrder(path);
}

// The MP3 files of the folder in the order the player plays them now and
// the order it will play them after sorting, side by side.
void TSortFrame::showPlayOrder(const platform::DevicePath &dir)
{
    PlayOrderView->clear();
    PlayOrder order;
    if (!ComputePlayOrder(dir, order, nullptr, *m_ops))
        return;
    const qsizetype rows = std::max(order.Now.size(), order.Sorted.size());
    QList<QTreeWidgetItem *> items;
    items.reserve(rows);
    for (qsizetype i = 0; i < rows; ++i) {
        auto *item = new QTreeWidgetItem({QString::number(i + 1), order.Now.value(i), order.Sorted.value(i)});
        // The columns are narrow; a path cut short shows whole on hover.
        item->setToolTip(1, order.Now.value(i));
        item->setToolTip(2, order.Sorted.value(i));
        items << item;
    }
    PlayOrderView->addTopLevelItems(items);
}

// ------------------------------------------------------------------ sorting

void TSortFrame::SortButtonClick()
{
    if (m_busy || !SortButton->isEnabled())
        return;
    QTreeWidgetItem *item = ProfileTree->currentItem();
    if (!item || !item->isSelected() || !item->data(0, IsDirRole).toBool())
        return;
    SortPlan plan = PlanSort(pathOf(item), *m_ops);
    m_drive = appState().DriveLetter;
    if (!plan.ok()) {
        m_shown = plan.Problem == PlanProblem::JournalPresent ? Shown::JournalPresent : Shown::PlanRefused;
        m_detail = PlanProblemText(plan);
        showTexts();
        return;
    }
    m_sortedDir = plan.Directory.device();
    m_wasExpanded = item->isExpanded();
    RenameProgress->setMin(0);
    RenameProgress->setMax(plan.FileCount);
    RenameProgress->setPosition(0);
    RenameProgress->setCaption(QString());
    m_shown = Shown::Nothing;
    m_detail.clear();
    showTexts();
    m_sorting = true;
    startJob(m_job->startSort(std::move(plan), *m_ops));
}

void TSortFrame::ResumeInterruptedSort()
{
    if (m_busy)
        return;
    m_drive = appState().DriveLetter;
    m_sortedDir.clear();
    m_wasExpanded = false;
    m_shown = Shown::RollingBack;
    m_detail.clear();
    showTexts();
    m_sorting = false;
    startJob(m_job->startRollBack(m_drive, *m_ops));
}

void TSortFrame::CancelButtonClick()
{
    if (!m_busy || !m_sorting)
        return;
    m_job->requestCancel();
    CancelButton->setEnabled(false);
}

void TSortFrame::OKButtonClick()
{
    if (m_busy)
        return;
    CloseFrame(false);
}

void TSortFrame::startJob(bool started)
{
    if (started)
        setBusy(true);
}

void TSortFrame::jobProgress(const SortProgress &p)
{
    if (p.phase == SortProgress::Phase::RollingBack)
        CancelButton->setEnabled(false);  // a roll-back runs to its end
    if (p.total <= 0)
        return;  // a start-up roll-back does not know the number of files
    if (RenameProgress->Max() != p.total) {
        RenameProgress->setMin(0);
        RenameProgress->setMax(p.total);
    }
    RenameProgress->setPosition(std::clamp(p.counter, 0, p.total));
    RenameProgress->setCaption(p.caption());
}

void TSortFrame::jobFinished(const SortOutcome &outcome)
{
    m_detail.clear();
    switch (outcome.Result) {
    case SortResult::Sorted:
        m_shown = Shown::Sorted;
        RenameProgress->setPosition(RenameProgress->Max());
        break;
    case SortResult::NotStarted:
        m_shown = Shown::StartFailed;
        m_detail = outcome.StartError;
        break;
    case SortResult::RolledBack:
        m_shown = outcome.Cancelled ? Shown::Cancelled : Shown::RolledBack;
        m_detail = outcome.LastError;
        break;
    case SortResult::RollBackFailed:
        m_shown = Shown::RollBackFailed;
        break;
    }
    if (!outcome.WorkFolder.isEmpty())
        m_drive = outcome.WorkFolder.at(0);
    if (m_sortedDir.isEmpty())
        m_sortedDir = outcome.Directory;
    setBusy(false);
    showTexts();
    platform::NotifyEndedIfInactive(RenameProgress->Caption(), ErrorLabel->text());

    // The folder was moved and rebuilt: list the drive again and select the
    // folder as it was.
    {
        const QSignalBlocker blocker(ProfileTree);
        fillTree();
        bool found = false;
        if (!m_sortedDir.isEmpty() && SelectDirectory(m_sortedDir)) {
            QTreeWidgetItem *item = ProfileTree->currentItem();
            found = item->data(0, IsDirRole).toBool();
            if (m_wasExpanded) {
                item->setExpanded(true);
                expandItem(item);
            }
        }
        SortButton->setEnabled(found);
        if (found)
            showPlayOrder(m_sortedDir);
    }
    emit sortFinished(outcome);
}

// ------------------------------------------------------------ the busy state

void TSortFrame::setBusy(bool busy)
{
    m_busy = busy;
    SortButton->setEnabled(false);
    OKButton->setEnabled(!busy);
    ProfileTree->setEnabled(!busy);
    CancelButton->setEnabled(busy && m_sorting);
    CancelButton->setVisible(busy && m_sorting);
    if (busy) {
        // Nothing may leave the frame or end the program halfway through.
        m_hostBusy.emplace(Host());
        return;
    }
    m_sorting = false;
    m_hostBusy.reset();
}

void RegisterSortFrame()
{
    RegisterFrame(FrameKind::Sort, [](FrameHost &host, QWidget *parent) { return new TSortFrame(&host, parent); });
}

}  // namespace voxa
