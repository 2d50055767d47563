#pragma once
// The one way work leaves the window thread. A Job runs a function on a
// thread of its own (one per job, so a job that waits for an answer or for a
// slow drive never holds up another one), and everything the work says comes
// back queued on the thread that owns the Job:
//
//   auto *job = new Job(this);
//   connect(job, &Job::progress, this, [](const QVariant &report) { ... });
//   connect(job, &Job::finished, this, [](const JobResult &r) { ... r.value ... });
//   job->start([](JobControl &control) {
//       while (...) {
//           if (control.cancelled()) return JobResult::failure(QStringLiteral("stopped"));
//           control.report(percent);
//           if (control.ask([] { return QVariant(askTheUser()); }).toBool()) ...
//       }
//       return JobResult::success(QVariant::fromValue(outcome));
//   });
//
// Cancel only sets a flag the work polls; it also answers a question that is
// waiting, so neither cancel() nor the destructor can dead-lock with a worker
// that waits for the window. A question's function runs on the owner's
// thread and its value wakes the worker; nothing waits in a polling loop.
#include <QObject>
#include <QString>
#include <QVariant>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace voxa {

// What a job came to: its own value and, when it failed, why.
struct JobResult {
    bool ok = true;
    QString reason;  // the failure's text; empty on success
    QVariant value;  // the work's own outcome

    static JobResult success(QVariant value = {});
    static JobResult failure(QString reason, QVariant value = {});
};

class Job;

// The worker's side of a job, handed to the work function.
class JobControl {
public:
    // True once cancel() was called; the work stops at its next check.
    bool cancelled() const;
    // The same, for lower layers that take a stop flag of their own.
    const std::atomic<bool> &cancelFlag() const;
    // Sends a report; reports arrive on the owner's thread as progress(),
    // in the order they were sent.
    void report(const QVariant &value);
    // Sends a report that a later one may replace: while one of these is
    // still on its way, a new one takes its place, so a fast worker does not
    // flood the owner's event queue.
    void reportLatest(const QVariant &value);
    // Runs question on the owner's thread and waits for its value. Gives an
    // invalid QVariant without asking when the job is cancelled before the
    // question is shown, and when it is cancelled while the worker waits.
    QVariant ask(const std::function<QVariant()> &question);
    // The thread that owns the job (the one its questions run on).
    QThread *ownerThread() const;

private:
    friend class Job;
    struct State;
    JobControl(Job *job, std::shared_ptr<State> state);
    Job *m_job;
    std::shared_ptr<State> m_state;
};

class Job : public QObject {
    Q_OBJECT
public:
    using Work = std::function<JobResult(JobControl &control)>;

    explicit Job(QObject *parent = nullptr);
    // Cancels a running job and waits for its worker; finished() is not
    // sent then, and reports still on their way are dropped.
    ~Job() override;

    // Starts the work on a new thread; false, and nothing started, while the
    // previous work has not finished.
    bool start(Work work);
    // Asks the work to stop and answers a waiting question with nothing.
    void cancel();
    bool isCancelled() const;
    // From start() until finished() has been sent.
    bool isRunning() const { return m_running; }
    // Blocks until the worker has ended, then sends finished() at once
    // (shut-down and tests). The owner's thread cannot answer questions
    // meanwhile: cancel first when the work may ask.
    void wait();
    // The last result; valid once finished() was sent.
    const JobResult &result() const { return m_result; }

signals:
    void progress(const QVariant &report);
    void finished(const voxa::JobResult &result);

private:
    friend class JobControl;
    void workerEnded();
    // Sends a report of the run whose state it is; a late one of an earlier
    // run is dropped.
    void deliver(const JobControl::State *state, const QVariant &report);

    std::shared_ptr<JobControl::State> m_state;
    std::unique_ptr<QThread> m_thread;
    JobResult m_result;
    bool m_running = false;
};

}  // namespace voxa

Q_DECLARE_METATYPE(voxa::JobResult)
