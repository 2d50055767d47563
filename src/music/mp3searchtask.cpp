#include "music/mp3searchtask.h"

namespace voxa {

Mp3SearchTask::Mp3SearchTask(Mp3Finder &finder, QObject *parent) : QObject(parent), m_finder(finder)
{
    connect(&m_job, &Job::progress, this, &Mp3SearchTask::Tick);
    connect(&m_job, &Job::finished, this,
            [this](const JobResult &result) { emit Finished(result.value.value<Mp3SearchResult>()); });
}

bool Mp3SearchTask::Start(const QString &rootPath)
{
    if (m_job.isRunning())
        return false;
    Mp3Finder *finder = &m_finder;
    return m_job.start([finder, root = m_finder.ResolveRoot(rootPath)](JobControl &control) {
        // The finder's own tick, if a caller set one, still runs first.
        const Mp3SearchResult result = finder->Search(root, [&control] {
            control.reportLatest(QVariant());
            return !control.cancelled();
        });
        return JobResult::success(QVariant::fromValue(result));
    });
}

}  // namespace voxa
