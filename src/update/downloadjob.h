#pragma once
// One download off the window thread. The blocking transfer runs in a job;
// its progress and its end arrive as signals in the thread that owns the
// download (the user-interface thread), so the window stays alive without
// processing events inside the transfer.
#include "platform/job.h"
#include "update/httpdownload.h"

#include <QObject>

namespace voxa {

class TDownloadJob : public QObject {
    Q_OBJECT
public:
    explicit TDownloadJob(QObject *parent = nullptr);
    // Cuts a running transfer and waits for its end.
    ~TDownloadJob() override = default;

    // Starts a download; false while another one is running. The target is
    // resolved here, on the owner's thread.
    bool start(const DownloadRequest &request);
    // Cuts the running transfer; it then finishes as Aborted.
    void abort() { m_job.cancel(); }
    bool running() const { return m_job.isRunning(); }

signals:
    // The response began; the announced size, 0 when none.
    void workBegin(qint64 expected);
    // Bytes received so far. Reports that arrive faster than they are
    // handled are merged into the newest one.
    void work(qint64 received);
    // The transfer ended (the target is written when the result is Ok).
    void finished(const voxa::TransferResult &result);

private:
    Job m_job;
};

}  // namespace voxa

Q_DECLARE_METATYPE(voxa::TransferResult)
