#pragma once
// Runs a directory sort or a roll-back on a worker thread. The job emits its
// progress and its outcome as signals; a frame living on the user-interface
// thread receives them queued, so the window stays responsive and no widget
// is touched from the worker. Progress is sent only when the percentage
// changes, so a large folder does not flood the event queue.
//
//   auto *job = TSortJob::sort(plan);            // or TSortJob::rollBack(drive)
//   connect(job, &TSortJob::progress, frame, ...);
//   connect(job, &TSortJob::finished, frame, ...);
//   TSortJob::startOnWorker(job);                 // job and thread delete themselves
//   ... job->requestCancel();                     // from any thread
#include "music/dirsort.h"

#include <QObject>

class QThread;

namespace voxa {

class TSortJob : public QObject {
    Q_OBJECT
public:
    static TSortJob *sort(SortPlan plan, SortFileOps &ops = defaultSortFileOps());
    static TSortJob *rollBack(QChar drive, SortFileOps &ops = defaultSortFileOps());

    // Moves the job to a new thread and runs it there. When the job has
    // finished, the thread ends and both are deleted.
    static QThread *startOnWorker(TSortJob *job);

    // Stops a sort between two files; the files moved so far are rolled
    // back. A roll-back is never cancelled. Safe from any thread.
    void requestCancel() { m_cancel = true; }

public slots:
    // Runs the job on the calling thread.
    void run();

signals:
    void progress(const voxa::SortProgress &progress);
    void finished(const voxa::SortOutcome &outcome);

private:
    TSortJob(SortFileOps &ops);
    SortFileOps &m_ops;
    bool m_isSort = true;
    SortPlan m_plan;
    QChar m_drive;
    std::atomic_bool m_cancel = false;
};

}  // namespace voxa

Q_DECLARE_METATYPE(voxa::SortProgress)
Q_DECLARE_METATYPE(voxa::SortOutcome)
