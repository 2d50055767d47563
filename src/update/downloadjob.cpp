#include "update/downloadjob.h"

namespace voxa {

namespace {

// The start of the response travels as its own report type; the bytes
// received so far as a plain count.
struct TransferBegin {
    qint64 expected = 0;
};

}  // namespace

TDownloadJob::TDownloadJob(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<voxa::TransferResult>();
    connect(&m_job, &Job::progress, this, [this](const QVariant &report) {
        if (report.metaType() == QMetaType::fromType<TransferBegin>())
            emit workBegin(report.value<TransferBegin>().expected);
        else
            emit work(report.toLongLong());
    });
    connect(&m_job, &Job::finished, this,
            [this](const JobResult &result) { emit finished(result.value.value<TransferResult>()); });
}

bool TDownloadJob::start(const DownloadRequest &request)
{
    if (m_job.isRunning())
        return false;
    const DownloadRequest resolved = ResolveDownload(request);
    return m_job.start([resolved](JobControl &control) {
        TransferCallbacks callbacks;
        callbacks.abort = &control.cancelFlag();
        callbacks.begin = [&control](qint64 expected) { control.report(QVariant::fromValue(TransferBegin{expected})); };
        callbacks.work = [&control](qint64 received) { control.reportLatest(QVariant::fromValue(received)); };
        const TransferResult result = DownloadFile(resolved, callbacks);
        return result.ok() ? JobResult::success(QVariant::fromValue(result))
                           : JobResult::failure(result.detail, QVariant::fromValue(result));
    });
}

}  // namespace voxa
