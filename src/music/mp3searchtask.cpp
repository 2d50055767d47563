#include "music/mp3searchtask.h"

#include <QThread>

namespace voxa {

Mp3SearchTask::Mp3SearchTask(Mp3Finder &finder, QObject *parent) : QObject(parent), m_finder(finder)
{
}

Mp3SearchTask::~Mp3SearchTask()
{
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
    }
}

bool Mp3SearchTask::Start(const QString &rootPath)
{
    if (m_running)
        return false;
    const Mp3SearchRoot root = m_finder.ResolveRoot(rootPath);
    m_cancel = false;
    m_tickPending = false;
    m_running = true;
    // The finder's own tick, if a caller set one, still runs (on the worker).
    std::function<bool()> own = m_finder.ProgressTick;
    m_thread.reset(QThread::create([this, root, own] {
        m_finder.ProgressTick = [this, own] {
            const bool go = !own || own();
            if (!m_tickPending.exchange(true))
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        m_tickPending = false;
                        emit Tick();
                    },
                    Qt::QueuedConnection);
            return go && !m_cancel;
        };
        m_result = m_finder.Search(root);
        m_finder.ProgressTick = own;
        QMetaObject::invokeMethod(this, &Mp3SearchTask::workerEnded, Qt::QueuedConnection);
    }));
    m_thread->start();
    return true;
}

void Mp3SearchTask::Cancel()
{
    if (m_running)
        m_cancel = true;
}

void Mp3SearchTask::workerEnded()
{
    if (!m_running)
        return;  // Wait() has delivered it already
    m_thread->wait();
    m_thread.reset();
    m_running = false;
    emit Finished(m_result);
}

void Mp3SearchTask::Wait()
{
    if (m_thread)
        m_thread->wait();
    workerEnded();
}

}  // namespace voxa
