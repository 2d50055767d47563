#pragma once
// One download on a worker thread. The blocking transfer runs there; its
// progress and its end arrive as signals in the thread that owns the job
// (the user-interface thread), so the window stays alive without processing
// events inside the transfer.
#include "update/httpdownload.h"

#include <QObject>

#include <atomic>
#include <thread>

namespace voxa {

class TDownloadJob : public QObject {
    Q_OBJECT
public:
    explicit TDownloadJob(QObject *parent = nullptr);
    // Cuts a running transfer and waits for its thread.
    ~TDownloadJob() override;

    // Starts a download; false while another one is running. The target is
    // resolved here, on the owner's thread.
    bool start(const DownloadRequest &request);
    // Cuts the running transfer; it then finishes as Aborted.
    void abort();
    bool running() const { return m_thread.joinable(); }

signals:
    // The response began; the announced size, 0 when none.
    void workBegin(qint64 expected);
    // Bytes received so far. Reports that arrive faster than they are
    // handled are merged into the newest one.
    void work(qint64 received);
    // The transfer ended (the target is written when the result is Ok).
    void finished(const voxa::TransferResult &result);

private:
    void deliverWork();

    std::thread m_thread;
    std::atomic<bool> m_abort{false};
    std::atomic<qint64> m_received{0};
    std::atomic<bool> m_workPending{false};
};

}  // namespace voxa

Q_DECLARE_METATYPE(voxa::TransferResult)
