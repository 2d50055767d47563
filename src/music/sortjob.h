#pragma once
// Runs a directory sort or a roll-back off the window thread. The job emits
// its progress and its outcome as signals on the thread that owns it, so the
// window stays responsive and no widget is touched from the worker.
// Progress is sent only when the percentage changes, so a large folder does
// not flood the event queue.
//
//   TSortJob job;
//   connect(&job, &TSortJob::progress, frame, ...);
//   connect(&job, &TSortJob::finished, frame, ...);
//   job.startSort(plan);                          // or job.startRollBack(drive)
//   ... job.requestCancel();
#include "music/dirsort.h"
#include "platform/job.h"

#include <QObject>

namespace voxa {

class TSortJob : public QObject {
    Q_OBJECT
public:
    explicit TSortJob(QObject *parent = nullptr);
    // A running sort is cancelled (its files go back) and waited for; a
    // roll-back runs to its end first.
    ~TSortJob() override = default;

    // False, and nothing started, while a job runs.
    bool startSort(SortPlan plan, SortFileOps &ops = defaultSortFileOps());
    bool startRollBack(QChar drive, SortFileOps &ops = defaultSortFileOps());

    // Stops a sort between two files; the files moved so far are rolled
    // back. A roll-back is never cancelled.
    void requestCancel() { m_job.cancel(); }
    bool isRunning() const { return m_job.isRunning(); }
    // Blocks until the job has ended and finished has been sent.
    void wait() { m_job.wait(); }

signals:
    void progress(const voxa::SortProgress &progress);
    void finished(const voxa::SortOutcome &outcome);

private:
    bool start(std::function<SortOutcome(const SortProgressFn &report, const std::atomic<bool> &cancel)> work);

    Job m_job;
};

}  // namespace voxa

Q_DECLARE_METATYPE(voxa::SortProgress)
Q_DECLARE_METATYPE(voxa::SortOutcome)
