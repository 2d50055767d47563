#pragma once
// The "Sort Directory" frame: a tree of the player's drive in stored entry
// order, the play order of the selected folder now and after sorting, and
// the sort itself, which runs on a worker thread (TSortJob) while the frame
// shows its progress. At start-up it rolls back a sort that was interrupted.
#include "app/framecatalog.h"
#include "app/framehost.h"
#include "app/otherframe.h"
#include "music/dirsort.h"

#include <memory>
#include <optional>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace voxa {

class TSkinProgressBar;
class TSortJob;

class TSortFrame : public TOtherFrame, public SortResumeStep {
    Q_OBJECT
public:
    static constexpr QSize FrameSize{560, 340};
    TSortFrame(FrameHost *host, QWidget *parent);
    ~TSortFrame() override;

    QTreeWidget *ProfileTree = nullptr;   // the drive, in stored entry order
    QTreeWidget *PlayOrderView = nullptr; // the selected folder's MP3 files
    QLabel *Label1 = nullptr;
    TSkinProgressBar *RenameProgress = nullptr;
    QLabel *ErrorLabel = nullptr;
    TSkinButton *SortButton = nullptr;
    TSkinButton *CancelButton = nullptr;  // stops a running sort

    void OnShowFrame() override;
    void OnCloseFrame() override;
    void LayoutButtons() override;
    void RefreshTitle() override;
    void ResumeInterruptedSort() override;

    void SortButtonClick();
    void CancelButtonClick();
    void OKButtonClick();

    // Selects the node of a device path ("V:\music\rock"), expanding its
    // ancestors; false when the tree has no such node.
    bool SelectDirectory(const QString &path);
    // The device path of the selected node; empty when none.
    QString SelectedPath() const;
    // A sort or roll-back is running.
    bool SortRunning() const { return m_busy; }

    // The file layer for the checks, the plan and the job (tests).
    void setFileOps(SortFileOps *ops) { m_ops = ops ? ops : &defaultSortFileOps(); }

signals:
    // A sort or roll-back has finished and the frame shows its outcome.
    void sortFinished(const voxa::SortOutcome &outcome);

private:
    // What the error label and the progress caption say, so a language
    // change can write them again from the message table.
    enum class Shown { Nothing, TooFew, PlanRefused, JournalPresent, StartFailed, RollingBack,
                       Sorted, RolledBack, Cancelled, RollBackFailed };

    void fillTree();
    void listChildren(QTreeWidgetItem *item);
    void expandItem(QTreeWidgetItem *item);
    QString pathOf(const QTreeWidgetItem *item) const;
    void selectionChanged();
    void showPlayOrder(const platform::DevicePath &dir);
    void showTexts();
    void setBusy(bool busy);
    void startJob(bool started);
    void jobProgress(const SortProgress &p);
    void jobFinished(const SortOutcome &outcome);

    SortFileOps *m_ops;
    Shown m_shown = Shown::Nothing;
    QString m_detail;          // the text behind m_shown (last error, plan problem)
    QChar m_drive;             // the drive of the last sort or roll-back
    bool m_busy = false;
    std::optional<BusyScope> m_hostBusy;  // the window's busy state while m_busy
    bool m_sorting = false;    // a sort (not a start-up roll-back) runs
    QString m_sortedDir;       // the folder being sorted, to select again
    bool m_wasExpanded = false;
    TSortJob *m_job;  // a child of the frame
};

// Registers the frame for FrameKind::Sort.
void RegisterSortFrame();

}  // namespace voxa
