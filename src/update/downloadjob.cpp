#include "update/downloadjob.h"

#include <QMetaObject>

namespace voxa {

TDownloadJob::TDownloadJob(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<voxa::TransferResult>();
}

TDownloadJob::~TDownloadJob()
{
    abort();
    if (m_thread.joinable())
        m_thread.join();
}

bool TDownloadJob::start(const DownloadRequest &request)
{
    if (m_thread.joinable())
        return false;
    m_abort = false;
    m_received = 0;
    m_workPending = false;
    const DownloadRequest resolved = ResolveDownload(request);
    m_thread = std::thread([this, resolved] {
        TransferCallbacks callbacks;
        callbacks.abort = &m_abort;
        callbacks.begin = [this](qint64 expected) {
            QMetaObject::invokeMethod(this, [this, expected] { emit workBegin(expected); }, Qt::QueuedConnection);
        };
        callbacks.work = [this](qint64 received) {
            m_received = received;
            if (!m_workPending.exchange(true))
                QMetaObject::invokeMethod(this, &TDownloadJob::deliverWork, Qt::QueuedConnection);
        };
        const TransferResult result = DownloadFile(resolved, callbacks);
        // The queued call runs after every report posted before it.
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                if (m_thread.joinable())
                    m_thread.join();
                emit finished(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void TDownloadJob::abort()
{
    m_abort = true;
}

void TDownloadJob::deliverWork()
{
    m_workPending = false;
    emit work(m_received.load());
}

}  // namespace voxa
