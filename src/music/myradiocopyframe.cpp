#include "music/myradiocopyframe.h"

#include "app/appstate.h"
#include "app/displayname.h"
#include "app/languagetargets.h"
#include "app/framehost.h"
#include "app/messagetable.h"
#include "app/owntexts.h"
#include "platform/notifications.h"
#include "platform/drives.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"
#include "ui/skinprogressbar.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QTreeWidget>

#include <algorithm>

namespace voxa {
namespace {

// The device path of a destination node ("D:" for a drive root).
constexpr int PathRole = Qt::UserRole;
// A drive root node of a removable drive.
constexpr int RemovableRole = Qt::UserRole + 1;
// The bar works in ints; byte counts of many gigabytes are scaled to this.
constexpr int BarSteps = 100000;

const QString ProfileExtension = QStringLiteral("mra");

void whiteText(QWidget *w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    w->setPalette(pal);
}

QTreeWidget *makeList(QWidget *parent, QRect geometry)
{
    auto *list = new QTreeWidget(parent);
    list->setGeometry(geometry);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setColumnCount(1);
    list->setSortingEnabled(true);
    list->sortByColumn(0, Qt::AscendingOrder);
    list->setStyleSheet(QStringLiteral(
        "QTreeWidget { background: #0080ff; color: white; border: 1px solid #1b2947; }"
        "QTreeWidget::item:selected { background: #1b2947; color: white; }"
        "QTreeWidget:disabled { background: #4a6fa0; }"
        "QHeaderView { background: #2d406b; }"
        "QHeaderView::section { background: #2d406b; color: white; border: 0; padding: 1px 4px; }"));
    return list;
}

bool offeredDriveType(platform::DriveType type)
{
    using platform::DriveType;
    return type == DriveType::Removable || type == DriveType::Fixed || type == DriveType::Network;
}

}  // namespace

TMyRadioCopyFrame::TMyRadioCopyFrame(FrameHost *host, QWidget *parent)
    : TOtherFrame(host, parent, FrameSize)
{
    MainPanel->setColor(QColor(47, 64, 106));

    SelectMRALabel = new QLabel(QStringLiteral("Select MyRadio to Copy"), MainPanel);
    SelectMRALabel->setGeometry(8, 4, 184, 17);
    whiteText(SelectMRALabel);
    CopyLabel = new QLabel(QStringLiteral("Copying from MyRadio Editor"), MainPanel);
    CopyLabel->setGeometry(8, 4, 184, 34);
    CopyLabel->setWordWrap(true);
    CopyLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    whiteText(CopyLabel);
    CopyLabel->hide();

    FileList = makeList(MainPanel, QRect(8, 22, 184, 160));
    FileList->setRootIsDecorated(false);
    FileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileList->setHeaderLabels({QStringLiteral("File Name")});
    FileList->header()->setSectionsClickable(false);
    FileList->header()->setSortIndicatorShown(false);
    connect(FileList, &QTreeWidget::itemSelectionChanged, this, [this] { updateCopyEnabled(); });

    SelectDirLabel = new QLabel(QStringLiteral("Select Destination Directory"), MainPanel);
    SelectDirLabel->setGeometry(200, 4, 212, 17);
    whiteText(SelectDirLabel);
    TreePanel = new QWidget(MainPanel);
    TreePanel->setGeometry(200, 22, 212, 160);
    DirTree = makeList(TreePanel, QRect(0, 0, 212, 160));
    DirTree->setHeaderHidden(true);
    DirTree->setSelectionMode(QAbstractItemView::SingleSelection);
    // The label stands outside the tree's own panel, so the tree carries its
    // text as its name.
    DirTree->setAccessibleName(SelectDirLabel->text());
    connect(DirTree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) { treeExpanding(item); });
    connect(DirTree, &QTreeWidget::itemSelectionChanged, this, [this] { updateCopyEnabled(); });

    // Below the progress bar the boxes may run under the right column,
    // which their translations need.
    auto check = [this](const QString &text, int top, int width = 188) {
        auto *c = new QCheckBox(text, MainPanel);
        c->setGeometry(8, top, width, 18);
        whiteText(c);
        return c;
    };
    CopyMRAFile = check(QStringLiteral("Copy MyRadio Content Only"), 188);
    CopyMRAFile->setChecked(true);
    OverwriteBox = check(QStringLiteral("Overwrite Without Promt"), 208, 260);
    SkipBox = check(QStringLiteral("Skip Without Promt"), 227, 260);
    connect(OverwriteBox, &QCheckBox::clicked, this, [this] { promptBoxClicked(OverwriteBox); });
    connect(SkipBox, &QCheckBox::clicked, this, [this] { promptBoxClicked(SkipBox); });

    CopyProgressBar = new TSkinProgressBar(MainPanel);
    CopyProgressBar->setGeometry(200, 190, 212, 18);
    CopyProgressBar->setMax(BarSteps);

    CopyButton = MakeCaptionButton(MainPanel, QStringLiteral("Copy"), QRect(0, 0, 81, 25),
                                   [this] { CopyButtonClick(); });
    CancelButton = MakeCaptionButton(MainPanel, msg(Msg::Cancel), QRect(0, 0, 81, 25),
                                     [this] { CancelButtonClick(); });
    CancelButton->hide();
    OKButton->setCaption(msg(Msg::Close));
    OKButton->setClickHandler([this] { OKButtonClick(); });

    auto &targets = LanguageTargets::instance();
    targets.add(150, FileList, [this](const QString &t) { FileList->headerItem()->setText(0, t); });
    targets.add(187, OKButton, [this](const QString &t) { OKButton->setCaption(t); });
    targets.add(142, CancelButton, [this](const QString &t) { CancelButton->setCaption(t); });
    targets.add(244, CopyLabel, [this](const QString &t) { CopyLabel->setText(t); });
    targets.add(245, CopyButton, [this](const QString &t) { CopyButton->setCaption(t); });
    targets.add(246, CopyMRAFile, [this](const QString &t) { CopyMRAFile->setText(t); });
    targets.add(248, OverwriteBox, [this](const QString &t) { OverwriteBox->setText(t); });
    targets.add(249, SkipBox, [this](const QString &t) { SkipBox->setText(t); });
    targets.add(250, SelectMRALabel, [this](const QString &t) { SelectMRALabel->setText(t); });
    targets.add(251, SelectDirLabel, [this](const QString &t) {
        SelectDirLabel->setText(t);
        DirTree->setAccessibleName(t);
    });
    LayoutButtons();
}

TMyRadioCopyFrame::~TMyRadioCopyFrame()
{
    stopJob();
}

QString TMyRadioCopyFrame::titleText() const
{
    const QString caption = Host() ? Host()->frameCaption(FrameKind::MyRadioCopy) : QString();
    return caption.isEmpty() ? QStringLiteral("MyRadio Copy") : caption;
}

void TMyRadioCopyFrame::RefreshTitle()
{
    if (isVisible() && Host())
        Host()->setTitleLine(titleText());
}

void TMyRadioCopyFrame::LayoutButtons()
{
    TOtherFrame::LayoutButtons();
    if (!CopyButton)
        return;
    CopyButton->move(OKButton->x() - CopyButton->width() - 6, OKButton->y());
    CancelButton->move(CopyButton->pos());
}

void TMyRadioCopyFrame::EnterEditorMode(const QString &profileFileName, const QList<MyRadioElement> &elements,
                                        bool modified)
{
    m_editorMode = true;
    m_editorDone = false;
    m_editorFileName = profileFileName;
    m_editorElements = elements;
    m_editorModified = modified;
}

void TMyRadioCopyFrame::OnShowFrame()
{
    TOtherFrame::OnShowFrame();
    if (Host())
        Host()->setTitleLine(titleText());
    rebuildTree();
    selectFirstRemovable();
    m_switches = {};
    clearProgress();
    setRunning(false);
    DirTree->setEnabled(true);
    OverwriteBox->setEnabled(true);
    SkipBox->setEnabled(true);
    if (m_editorMode) {
        CopyLabel->show();
        FileList->hide();
        SelectMRALabel->hide();
        FileList->clear();
        const bool named = !m_editorFileName.isEmpty();
        CopyMRAFile->setEnabled(named);
        CopyMRAFile->setChecked(!named);
    } else {
        fillFileList();
        FileList->show();
        SelectMRALabel->show();
        CopyLabel->hide();
        CopyMRAFile->setEnabled(true);
        CopyMRAFile->setChecked(false);
    }
    updateCopyEnabled();
}

bool TMyRadioCopyFrame::QueryCloseFrame()
{
    if (!m_editorMode || m_returningToEditor || !Host())
        return true;
    // Escape, another command or the window closing: the editor's profile
    // is closed as the editor's own Close would close it, so its changes are
    // asked about rather than lost.
    auto *editor = dynamic_cast<MyRadioCopyReturn *>(Host()->frame(FrameKind::MyRadioEditor));
    if (!editor || editor->EditorModeLeft(m_editorModified))
        return true;
    // A save may have written the editor's title meanwhile.
    RefreshTitle();
    return false;
}

void TMyRadioCopyFrame::OnCloseFrame()
{
    stopJob();
    DirTree->clear();
    FileList->clear();
    m_editorElements.clear();
    if (Host())
        Host()->setTitleLine(QString());
    m_editorMode = false;
}

void TMyRadioCopyFrame::fillFileList()
{
    FileList->clear();
    const QString folder = platform::joinDevice(QString(appState().DriveLetter) + QLatin1Char(':'),
                                                QStringLiteral("voxa\\myradio"));
    for (const fs::Entry &e : fs::listDir(folder)) {
        if (e.isDir || e.name.size() < 4 || !e.name.endsWith(QLatin1Char('.') + ProfileExtension, Qt::CaseInsensitive))
            continue;
        const QString base = e.name.left(e.name.size() - 4);
        // The player reads 8.3 names only.
        if (base.isEmpty() || base.size() > 8)
            continue;
        new QTreeWidgetItem(FileList, {DisplayName(base)});
    }
}

void TMyRadioCopyFrame::rebuildTree()
{
    DirTree->clear();
    const QChar player = appState().DriveLetter.toUpper();
    for (const platform::DriveInfo &d : platform::driveTable().drives()) {
        const QChar letter = d.letter.toUpper();
        if (letter < QLatin1Char('C') || letter > QLatin1Char('Z') || letter == player || !offeredDriveType(d.type))
            continue;
        auto *item = new QTreeWidgetItem(DirTree, {QString(letter) + QStringLiteral(":\\")});
        item->setData(0, PathRole, QString(letter) + QLatin1Char(':'));
        item->setData(0, RemovableRole, d.type == platform::DriveType::Removable);
        listSubfolders(item);
    }
}

void TMyRadioCopyFrame::selectFirstRemovable()
{
    // The first drive is C:, the system's root: a Copy pressed at once must
    // not write there. A removable drive is where copies usually go;
    // without one the user picks the destination.
    DirTree->clearSelection();
    DirTree->setCurrentItem(nullptr);
    for (int i = 0; i < DirTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = DirTree->topLevelItem(i);
        if (item->data(0, RemovableRole).toBool()) {
            DirTree->setCurrentItem(item);
            return;
        }
    }
}

void TMyRadioCopyFrame::listSubfolders(QTreeWidgetItem *item)
{
    const QString path = item->data(0, PathRole).toString();
    const QString folder = path.endsWith(QLatin1Char(':')) ? path + QLatin1Char('\\') : path;
    QList<QTreeWidgetItem *> children;
    for (const fs::Entry &e : fs::listDir(folder)) {
        if (!e.isDir || e.hidden)
            continue;
        auto *child = new QTreeWidgetItem({e.name});
        child->setData(0, PathRole, path + QLatin1Char('\\') + e.name);
        children.append(child);
    }
    item->addChildren(children);
}

void TMyRadioCopyFrame::treeExpanding(QTreeWidgetItem *item)
{
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem *child = item->child(i);
        if (child->childCount() == 0)
            listSubfolders(child);
    }
}

QString TMyRadioCopyFrame::SelectedDirectory() const
{
    const QList<QTreeWidgetItem *> selected = DirTree->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->data(0, PathRole).toString();
}

QString TMyRadioCopyFrame::TargetDirectory() const
{
    if (!m_editorMode && selectedProfiles().isEmpty())
        return QString();
    return SelectedDirectory();
}

bool TMyRadioCopyFrame::SelectDirectory(const QString &path)
{
    const QChar letter = platform::driveLetterOf(path);
    if (letter.isNull())
        return false;
    const QStringList parts = platform::devicePathParts(path);
    QTreeWidgetItem *item = nullptr;
    const QString want = QString(letter) + QLatin1Char(':');
    for (int i = 0; i < DirTree->topLevelItemCount() && !item; ++i)
        if (DirTree->topLevelItem(i)->data(0, PathRole).toString() == want)
            item = DirTree->topLevelItem(i);
    for (int p = 0; item && p < parts.size(); ++p) {
        item->setExpanded(true);
        QTreeWidgetItem *next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i)
            if (item->child(i)->text(0).compare(parts[p], Qt::CaseInsensitive) == 0)
                next = item->child(i);
        item = next;
    }
    if (!item)
        return false;
    DirTree->setCurrentItem(item);
    DirTree->scrollToItem(item);
    return true;
}

QList<QTreeWidgetItem *> TMyRadioCopyFrame::selectedProfiles() const
{
    QList<QTreeWidgetItem *> rows;
    for (int i = 0; i < FileList->topLevelItemCount(); ++i)
        if (FileList->topLevelItem(i)->isSelected())
            rows.append(FileList->topLevelItem(i));
    return rows;
}

void TMyRadioCopyFrame::updateCopyEnabled()
{
    if (Running())
        return;
    if (m_editorMode)
        CopyButton->setEnabled(!m_editorDone && !SelectedDirectory().isEmpty());
    else
        CopyButton->setEnabled(!selectedProfiles().isEmpty() && !SelectedDirectory().isEmpty());
}

void TMyRadioCopyFrame::promptBoxClicked(QCheckBox *box)
{
    QCheckBox *other = box == OverwriteBox ? SkipBox : OverwriteBox;
    if (box->isChecked())
        other->setChecked(false);
    m_switches = CopySwitches::fromBoxes(OverwriteBox->isChecked(), SkipBox->isChecked());
}

void TMyRadioCopyFrame::setRunning(bool running)
{
    CopyButton->setVisible(!running);
    CancelButton->setVisible(running);
    if (running)
        m_hostBusy.emplace(Host());
    else
        m_hostBusy.reset();
    // What the job reads stays as it was while it runs; the destination tree
    // above all, since rebuilding it looks at the drives the job is using.
    FileList->setEnabled(!running);
    DirTree->setEnabled(!running);
    CopyMRAFile->setEnabled(!running && (!m_editorMode || !m_editorFileName.isEmpty()));
    OverwriteBox->setEnabled(!running);
    SkipBox->setEnabled(!running);
}

void TMyRadioCopyFrame::clearProgress()
{
    m_progressMax = 0;
    CopyProgressBar->setPosition(0);
    CopyProgressBar->setCaption(QString());
}

void TMyRadioCopyFrame::showProgress(qint64 position, qint64 maximum)
{
    m_progressMax = maximum;
    const qint64 pos = std::clamp<qint64>(position, 0, std::max<qint64>(maximum, 0));
    const int step = maximum > 0 ? int(pos * BarSteps / maximum) : 0;
    CopyProgressBar->setPosition(step);
    m_lastCaption = CopyProgressCaption(CopyButton->Caption(), pos, maximum);
    CopyProgressBar->setCaption(m_lastCaption);
}

void TMyRadioCopyFrame::CopyButtonClick()
{
    if (Running() || !CopyButton->isVisible() || !CopyButton->isEnabled())
        return;
    m_switches = CopySwitches::fromBoxes(OverwriteBox->isChecked(), SkipBox->isChecked());

    MyRadioCopyRequest req;
    req.sourceDrive = appState().DriveLetter;
    req.targetDirectory = TargetDirectory();
    req.contentOnly = CopyMRAFile->isChecked();
    req.overwriteBox = OverwriteBox->isChecked();
    req.skipBox = SkipBox->isChecked();
    m_jobRows.clear();
    if (m_editorMode) {
        req.profiles.append({m_editorFileName, m_editorElements, true});
    } else {
        const QString folder = platform::joinDevice(QString(appState().DriveLetter) + QLatin1Char(':'),
                                                    QStringLiteral("voxa\\myradio"));
        m_jobRows = selectedProfiles();
        for (QTreeWidgetItem *row : m_jobRows)
            req.profiles.append(
                {platform::joinDevice(folder, row->text(0) + QLatin1Char('.') + ProfileExtension), {}, false});
    }
    m_jobTarget = SelectedDirectory();
    const QList<QTreeWidgetItem *> sel = DirTree->selectedItems();
    m_jobTargetExpanded = !sel.isEmpty() && sel.first()->isExpanded();

    setRunning(true);
    clearProgress();
    m_lastCaption.clear();
    auto *t = new TCopyTask(req, m_questions, this);
    m_task = t;
    connect(t, &TCopyTask::progressCleared, this, [this] { clearProgress(); });
    connect(t, &TCopyTask::progressStarted, this, [this](qint64 max) { showProgress(0, max); });
    connect(t, &TCopyTask::progressChanged, this, [this](qint64 pos, qint64 max) { showProgress(pos, max); });
    connect(t, &TCopyTask::profileStarted, this, [this](int i, const QString &) { profileStarted(i); });
    connect(t, &TCopyTask::profileFinished, this, [this](int i, bool copied) { profileFinished(i, copied); });
    connect(t, &TCopyTask::finished, this, [this, t] {
        if (m_task != t)
            return;
        m_lastResult = t->result();
        m_task = nullptr;
        t->deleteLater();
        finish();
    });
    t->start();
}

void TMyRadioCopyFrame::profileStarted(int index)
{
    Q_UNUSED(index)
    if (!m_editorMode && Host())
        Host()->setTitleLine(QString());
}

void TMyRadioCopyFrame::profileFinished(int index, bool copied)
{
    if (m_editorMode)
        return;
    if (copied && index >= 0 && index < m_jobRows.size())
        m_jobRows[index]->setSelected(false);
    if (Host() && isVisible())
        Host()->setTitleLine(titleText());
}

void TMyRadioCopyFrame::finish()
{
    setRunning(false);
    m_jobRows.clear();
    // The one profile of editor mode is done, unless the user stopped it.
    if (m_editorMode && !m_lastResult.aborted && !m_lastResult.cancelled) {
        m_editorDone = true;
        DirTree->setEnabled(false);
        OverwriteBox->setEnabled(false);
        SkipBox->setEnabled(false);
        CopyMRAFile->setEnabled(false);
    }
    // The switches last for one job; a Yes given during it is forgotten.
    m_switches = CopySwitches::fromBoxes(OverwriteBox->isChecked(), SkipBox->isChecked());
    // The copy may have made folders: show them, with the target selected.
    rebuildTree();
    if (!m_jobTarget.isEmpty() && SelectDirectory(m_jobTarget) && m_jobTargetExpanded)
        DirTree->currentItem()->setExpanded(true);
    clearProgress();
    updateCopyEnabled();
    platform::NotifyEndedIfInactive(CopyEndingText(m_lastResult.cancelled || m_lastResult.aborted, m_lastResult.allCopied()));
    emit copyFinished();
}

void TMyRadioCopyFrame::stopJob()
{
    if (!m_task)
        return;
    TCopyTask *t = m_task;
    m_task = nullptr;
    disconnect(t, nullptr, this, nullptr);
    t->cancelAndWait();
    m_lastResult = t->result();
    delete t;
    m_jobRows.clear();
    setRunning(false);
    clearProgress();
}

void TMyRadioCopyFrame::CancelButtonClick()
{
    if (m_task)
        m_task->cancel();
}

void TMyRadioCopyFrame::OKButtonClick()
{
    if (!m_editorMode) {
        CloseFrame(false);
        return;
    }
    const bool modified = m_editorModified;
    FrameHost *host = Host();
    m_returningToEditor = true;
    CloseFrame(true);
    m_returningToEditor = false;
    auto *editor = host ? dynamic_cast<MyRadioCopyReturn *>(host->frame(FrameKind::MyRadioEditor)) : nullptr;
    if (editor)
        editor->EditorModeEnded(modified);
    else if (Host())
        Host()->ShowStartPanel();
}

void TMyRadioCopyFrame::hideEvent(QHideEvent *e)
{
    // A job never runs on behind a hidden frame (a minimised window is not
    // a hidden frame).
    if (!e->spontaneous()) {
        stopJob();
        m_hostBusy.reset();
    }
    TOtherFrame::hideEvent(e);
}

void RegisterMyRadioCopyFrame()
{
    RegisterFrame(FrameKind::MyRadioCopy,
                  [](FrameHost &host, QWidget *parent) { return new TMyRadioCopyFrame(&host, parent); });
}

}  // namespace voxa
