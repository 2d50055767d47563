#include "music/sortjob.h"

#include <QThread>

namespace voxa {

TSortJob::TSortJob(SortFileOps &ops) : m_ops(ops)
{
    qRegisterMetaType<voxa::SortProgress>();
    qRegisterMetaType<voxa::SortOutcome>();
}

TSortJob *TSortJob::sort(SortPlan plan, SortFileOps &ops)
{
    auto *job = new TSortJob(ops);
    job->m_plan = std::move(plan);
    return job;
}

TSortJob *TSortJob::rollBack(QChar drive, SortFileOps &ops)
{
    auto *job = new TSortJob(ops);
    job->m_isSort = false;
    job->m_drive = drive;
    return job;
}

QThread *TSortJob::startOnWorker(TSortJob *job)
{
    auto *thread = new QThread;
    job->moveToThread(thread);
    QObject::connect(thread, &QThread::started, job, &TSortJob::run);
    // Quit is thread-safe: the worker ends its own loop without waiting for
    // the window thread's.
    QObject::connect(job, &TSortJob::finished, thread, &QThread::quit, Qt::DirectConnection);
    QObject::connect(thread, &QThread::finished, job, &QObject::deleteLater);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return thread;
}

void TSortJob::run()
{
    SortProgress last{SortProgress::Phase::Sorting, -1, -1};
    const SortProgressFn report = [&](const SortProgress &p) {
        // The bar needs one step per percent; the last file always counts.
        if (p.phase == last.phase && p.percent() == last.percent() && p.counter != 0 && p.counter != p.total)
            return;
        last = p;
        emit progress(p);
    };
    const SortOutcome outcome = m_isSort ? RunSort(m_plan, report, &m_cancel, m_ops)
                                         : RollBackSort(m_drive, report, m_ops);
    emit finished(outcome);
}

}  // namespace voxa
