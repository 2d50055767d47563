#pragma once
// An MP3 search off the window thread, for the find and export frame: the
// window stays responsive while the walk runs, a progress tick reaches the
// frame on its own thread, and the user can cancel.
//
// The task runs the finder it is given; while IsRunning() the finder's table
// belongs to the worker, and nothing else may read or change it. Finished
// comes on the task's thread after the worker has ended; from then on the
// table is the caller's again.
#include "music/mp3finder.h"
#include "platform/job.h"

#include <QObject>

namespace voxa {

class Mp3SearchTask : public QObject {
    Q_OBJECT
public:
    explicit Mp3SearchTask(Mp3Finder &finder, QObject *parent = nullptr);
    // Cancels a running search and waits for its end.
    ~Mp3SearchTask() override = default;

    // Starts a search below rootPath (as Mp3Finder::Search) with the
    // finder's FindFilter as it is now. The start folder is resolved here,
    // on the calling thread. False, and nothing started, while a search
    // runs.
    bool Start(const QString &rootPath);
    // Asks the running search to stop at its next tick; the records found
    // so far are filtered and Finished reports Cancelled.
    void Cancel() { m_job.cancel(); }
    bool IsRunning() const { return m_job.isRunning(); }
    // Blocks until the worker has ended and Finished has been sent (for
    // shut-down and tests).
    void Wait() { m_job.wait(); }

    Mp3Finder &Finder() { return m_finder; }

signals:
    // Once for each tick of the finder (every 800 entries and every 10
    // records); ticks the receiving thread has not caught up with yet are
    // merged into one.
    void Tick();
    // The search has ended: the table holds its records. TableFull says
    // the drive has more MP3 files than the table holds (tell the user);
    // LeftOut names the files whose names cannot be handled.
    void Finished(const voxa::Mp3SearchResult &result);

private:
    Mp3Finder &m_finder;
    Job m_job;
};

}  // namespace voxa

Q_DECLARE_METATYPE(voxa::Mp3SearchResult)
