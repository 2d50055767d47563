#pragma once
// HTTP transfers of the update: a blocking GET over libcurl with progress
// reports, an abort flag that another thread may set, and an optional HTTP
// proxy. The functions here block; TDownloadJob (downloadjob.h) runs them on
// a worker thread for the user interface.
#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

namespace voxa {

class TIniFileHandler;

// The proxy the transfers use. No proxy when the host is empty (the port is
// then -1). Proxies named by the environment never apply: the user's choice
// alone decides.
struct ProxySettings {
    QString host;
    int port = -1;

    bool enabled() const { return !host.isEmpty(); }
    bool operator==(const ProxySettings &) const = default;
};

// What "Use Proxy" and the two boxes give: on, the server text and the port
// value; off, an empty host and port -1.
ProxySettings ProxyFromDialog(bool useProxy, const QString &server, int port);
// The same from the stored settings (Use Proxy, Proxy Server, Proxy Port).
ProxySettings ProxyFromSettings(TIniFileHandler &settings);
// Why a proxy cannot be used, as a text for the user; empty when it can (or
// when no proxy is chosen). A port outside 1 to 65535, or a server text that
// carries a port of its own ("host:3128"), which would silently win over the
// Proxy Port box.
QString ProxyProblem(const ProxySettings &proxy);

enum class TransferStatus {
    Ok,
    Failed,            // connection, proxy or server error
    Aborted,           // the abort flag was set
    BadTarget,         // the file name would leave its folder or is no name
    ChecksumMismatch,  // the body does not match the announced SHA-256
    TooLarge,          // more than the request's size limit
    WriteFailed,       // the target could not be written
    OwnFile,           // the target is one of the manager's own files
    BadProxy,          // the proxy settings cannot be used (ProxyProblem)
    Rejected,          // the body failed the request's own check
};

struct TransferResult {
    TransferStatus status = TransferStatus::Failed;
    QString detail;      // libcurl's or the system's text, for logs and voxatool
    long httpCode = 0;   // the last response's status, 0 without one
    qint64 bytes = 0;    // body bytes received

    bool ok() const { return status == TransferStatus::Ok; }
};

// What the user is told about a failed transfer to target (shown in
// brackets where the text concerns the file). Connection, proxy and server
// errors give the message table's download error; a file the drive refused
// its write error.
QString TransferFailureText(const TransferResult &result, const QString &target);

// Reports of a running transfer, called on the transferring thread.
struct TransferCallbacks {
    // The response began; the announced body size, 0 when none was announced.
    std::function<void(qint64 expected)> begin;
    // Body bytes received so far.
    std::function<void(qint64 received)> work;
    // Set from any thread to cut the transfer; it then ends as Aborted.
    const std::atomic<bool> *abort = nullptr;
};

// The largest body accepted. Update files are whole programs held in memory
// until they are checked and written in one piece.
inline constexpr qint64 MaxDownloadBytes = qint64(256) << 20;

// Request headers and behaviour: plain GET, Accept "text/html, */*",
// cookies kept for the transfer, no read time-out, redirects followed (HTTP
// and HTTPS only), any status of 400 or more is a failure. A proxy with a
// ProxyProblem fails as BadProxy without connecting anywhere.
TransferResult FetchUrl(const QString &url, const ProxySettings &proxy, QByteArray *body,
                        const TransferCallbacks &callbacks = {}, qint64 maxBytes = MaxDownloadBytes);

struct DownloadRequest {
    QString url;
    QString target;   // device or native path
    ProxySettings proxy;
    std::optional<QByteArray> sha256;  // the SHA-256 the body must have
    // Clear the target's read-only attribute before replacing it; device
    // paths (the player's own files) always get it.
    bool clearReadOnly = false;
    // The largest body accepted; more fails as TooLarge.
    qint64 maxBytes = MaxDownloadBytes;
    // Checks the whole body before anything is written; false fails as
    // Rejected and leaves the target as it was.
    std::function<bool(const QByteArray &)> accept = nullptr;
    // Give the written file the owner's execute permission (a program).
    bool executable = false;
};

// Resolves a device target to its native path on the calling thread (the
// drive table belongs to the user-interface thread), so the transfer itself
// can run anywhere.
DownloadRequest ResolveDownload(DownloadRequest request);

// GETs the URL and, when the whole body arrived, matches the SHA-256 digest
// (when one is given) and passes the request's check, writes it as the whole
// new content of the target. A failed, cut, mismatching or refused transfer
// leaves the target as it was and no partial file. Without a request, a
// target whose file name is unsafe (see IsSafeFileName) fails as BadTarget
// and one that would replace a file of the installation (see
// IsInstallationFile) as OwnFile.
TransferResult DownloadFile(const DownloadRequest &request, const TransferCallbacks &callbacks = {});

// The progress bar and its caption during a transfer.
struct TransferProgress {
    qint64 maximum = 100;
    qint64 position = 0;
    QString caption;

    // myHttpWorkBegin: the maximum becomes the announced size.
    void begin(qint64 expected);
    // myHttpWork: the position and "<percent>%"; without an announced size
    // the bar stays at 0 and the caption empty.
    void work(qint64 received);
    // myHttpWorkEnd: "100%" and the maximum after a whole transfer; 0 and no
    // caption after a failed or cut one.
    void end(bool whole);
    // The bar at its minimum with an empty caption.
    void clear();
    // The position on a 0..100 scale (for bars with an int range).
    int percent() const;
};

}  // namespace voxa
