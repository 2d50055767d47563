#include "platform/job.h"

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace voxa {

JobResult JobResult::success(QVariant value)
{
    return {true, QString(), std::move(value)};
}

JobResult JobResult::failure(QString reason, QVariant value)
{
    return {false, std::move(reason), std::move(value)};
}

// Shared by the owner and the worker of one run. Questions wait on wake;
// cancel and every answer are set under lock, so no wake-up is lost.
struct JobControl::State {
    std::mutex lock;
    std::condition_variable wake;
    std::atomic<bool> cancel{false};
    bool latestPending = false;
    QVariant latest;
    JobResult result;  // written by the worker before it ends
};

JobControl::JobControl(Job *job, std::shared_ptr<State> state) : m_job(job), m_state(std::move(state)) {}

bool JobControl::cancelled() const
{
    return m_state->cancel.load(std::memory_order_relaxed);
}

const std::atomic<bool> &JobControl::cancelFlag() const
{
    return m_state->cancel;
}

QThread *JobControl::ownerThread() const
{
    return m_job->thread();
}

void JobControl::report(const QVariant &value)
{
    Job *job = m_job;
    std::shared_ptr<State> state = m_state;
    QMetaObject::invokeMethod(job, [job, state, value] { job->deliver(state.get(), value); }, Qt::QueuedConnection);
}

void JobControl::reportLatest(const QVariant &value)
{
    {
        std::lock_guard l(m_state->lock);
        m_state->latest = value;
        if (std::exchange(m_state->latestPending, true))
            return;
    }
    Job *job = m_job;
    std::shared_ptr<State> state = m_state;
    QMetaObject::invokeMethod(
        job,
        [job, state] {
            QVariant newest;
            {
                std::lock_guard l(state->lock);
                state->latestPending = false;
                newest = std::move(state->latest);
            }
            job->deliver(state.get(), newest);
        },
        Qt::QueuedConnection);
}

QVariant JobControl::ask(const std::function<QVariant()> &question)
{
    if (QThread::currentThread() == ownerThread())
        return cancelled() ? QVariant() : question();
    struct Call {
        bool done = false;
        QVariant answer;
    };
    auto call = std::make_shared<Call>();
    std::shared_ptr<State> state = m_state;
    QMetaObject::invokeMethod(
        m_job,
        [state, call, question] {
            if (state->cancel)
                return;  // the worker has stopped waiting: nothing is shown
            QVariant answer = question();
            {
                std::lock_guard l(state->lock);
                call->answer = std::move(answer);
                call->done = true;
            }
            state->wake.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock l(state->lock);
    state->wake.wait(l, [&] { return call->done || state->cancel; });
    return state->cancel ? QVariant() : call->answer;
}

Job::Job(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<voxa::JobResult>();
}

Job::~Job()
{
    cancel();
    if (m_thread)
        m_thread->wait();
}

bool Job::start(Work work)
{
    if (m_running)
        return false;
    auto state = std::make_shared<JobControl::State>();
    m_state = state;
    m_result = JobResult();
    m_running = true;
    m_thread.reset(QThread::create([this, state, work = std::move(work)] {
        JobControl control(this, state);
        state->result = work(control);
        // Queued behind every report the work sent.
        QMetaObject::invokeMethod(
            this,
            [this, state] {
                if (state == m_state)
                    workerEnded();
            },
            Qt::QueuedConnection);
    }));
    m_thread->start();
    return true;
}

void Job::cancel()
{
    if (!m_state)
        return;
    {
        std::lock_guard l(m_state->lock);
        m_state->cancel = true;
    }
    m_state->wake.notify_all();
}

bool Job::isCancelled() const
{
    return m_state && m_state->cancel;
}

void Job::wait()
{
    if (!m_running)
        return;
    m_thread->wait();
    workerEnded();
}

void Job::workerEnded()
{
    if (!m_running)
        return;  // wait() has delivered it already
    m_thread->wait();
    m_thread.reset();
    m_running = false;
    m_result = m_state->result;
    emit finished(m_result);
}

void Job::deliver(const JobControl::State *state, const QVariant &report)
{
    if (m_running && state == m_state.get())
        emit progress(report);
}

}  // namespace voxa
