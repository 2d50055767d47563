#include "music/sortjob.h"

namespace voxa {

TSortJob::TSortJob(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<voxa::SortProgress>();
    qRegisterMetaType<voxa::SortOutcome>();
    connect(&m_job, &Job::progress, this,
            [this](const QVariant &report) { emit progress(report.value<SortProgress>()); });
    connect(&m_job, &Job::finished, this,
            [this](const JobResult &result) { emit finished(result.value.value<SortOutcome>()); });
}

bool TSortJob::startSort(SortPlan plan, SortFileOps &ops)
{
    return start([plan = std::move(plan), &ops](const SortProgressFn &report, const std::atomic<bool> &cancel) {
        return RunSort(plan, report, &cancel, ops);
    });
}

bool TSortJob::startRollBack(QChar drive, SortFileOps &ops)
{
    return start([drive, &ops](const SortProgressFn &report, const std::atomic<bool> &) {
        return RollBackSort(drive, report, ops);
    });
}

bool TSortJob::start(std::function<SortOutcome(const SortProgressFn &, const std::atomic<bool> &)> work)
{
    return m_job.start([work = std::move(work)](JobControl &control) {
        SortProgress last{SortProgress::Phase::Sorting, -1, -1};
        const SortProgressFn report = [&](const SortProgress &p) {
            // The bar needs one step per percent; the last file always counts.
            if (p.phase == last.phase && p.percent() == last.percent() && p.counter != 0 && p.counter != p.total)
                return;
            last = p;
            control.report(QVariant::fromValue(p));
        };
        return JobResult::success(QVariant::fromValue(work(report, control.cancelFlag())));
    });
}

}  // namespace voxa
