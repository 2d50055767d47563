#include "update/httpdownload.h"

#include "app/messagetable.h"
#include "app/settings.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "update/updateinfo.h"

#include <QCryptographicHash>
#include <QFile>

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace voxa {
namespace {

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// URLs come from update2.ini or a command line as text; libcurl wants bytes
// without blanks or characters outside ASCII.
QByteArray encodeUrl(const QString &url)
{
    QByteArray out;
    for (const char c : url.toUtf8()) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F) {
            out += '%';
            out += QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
        } else {
            out += c;
        }
    }
    return out;
}

struct Transfer {
    CURL *curl = nullptr;
    QByteArray *body = nullptr;
    const TransferCallbacks *callbacks = nullptr;
    qint64 maxBytes = 0;
    bool begun = false;
    bool tooLarge = false;
    bool aborted = false;

    bool abortRequested()
    {
        if (callbacks->abort && callbacks->abort->load())
            aborted = true;
        return aborted;
    }

    void beginOnce()
    {
        if (begun)
            return;
        begun = true;
        curl_off_t length = -1;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (length > maxBytes)
            tooLarge = true;
        else if (callbacks->begin)
            callbacks->begin(length > 0 ? qint64(length) : 0);
    }
};

size_t writeBody(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const size_t n = size * count;
    t->beginOnce();
    if (t->tooLarge || t->abortRequested())
        return 0;
    if (t->body->size() + qint64(n) > t->maxBytes) {
        t->tooLarge = true;
        return 0;
    }
    t->body->append(data, qsizetype(n));
    if (t->callbacks->work)
        t->callbacks->work(t->body->size());
    return n;
}

int transferInfo(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    // Called at least once a second even while nothing arrives, so an
    // abort also cuts a stalled connection.
    return static_cast<Transfer *>(user)->abortRequested() ? 1 : 0;
}

// Whether a proxy server text names a port itself ("host:3128",
// "http://host:3128", "[::1]:3128"). libcurl would take that port over the
// Proxy Port box without a word.
bool proxyHostHasPort(const QString &server)
{
    QString host = server.trimmed();
    const qsizetype scheme = host.indexOf(QLatin1String("://"));
    if (scheme >= 0)
        host = host.mid(scheme + 3);
    host = host.left(host.indexOf(QLatin1Char('/')));
    host = host.mid(host.lastIndexOf(QLatin1Char('@')) + 1);
    if (host.startsWith(QLatin1Char('[')))
        return host.mid(host.indexOf(QLatin1Char(']')) + 1).startsWith(QLatin1Char(':'));
    // A bare IPv6 address has several colons and no port.
    return host.count(QLatin1Char(':')) == 1;
}

// Adds the owner's execute permission to a file just written, without
// following a link put in its place meanwhile. On FAT the mount decides and
// the change may be refused; the file is then left as it is.
void addOwnerExecute(const QString &nativePath)
{
    const int fd = ::open(QFile::encodeName(nativePath).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IXUSR))
        ::fchmod(fd, (st.st_mode & 07777) | S_IXUSR);
    ::close(fd);
}

}  // namespace

ProxySettings ProxyFromDialog(bool useProxy, const QString &server, int port)
{
    if (!useProxy)
        return {QString(), -1};
    return {server, port};
}

ProxySettings ProxyFromSettings(TIniFileHandler &settings)
{
    return ProxyFromDialog(settings.useProxy(), settings.proxyServer(), settings.proxyPort());
}

QString ProxyProblem(const ProxySettings &proxy)
{
    if (!proxy.enabled())
        return {};
    if (proxy.port < 1 || proxy.port > 65535)
        return QStringLiteral("The proxy port in the Proxy Settings must be a number from 1 to 65535.");
    if (proxyHostHasPort(proxy.host))
        return QStringLiteral("The proxy server \"%1\" in the Proxy Settings carries a port of its own; enter the "
                              "server alone, and its port in the Proxy Port box.")
            .arg(proxy.host.trimmed());
    return {};
}

QString TransferFailureText(const TransferResult &result, const QString &target)
{
    const QString where = QStringLiteral(" [") + target + QLatin1Char(']');
    switch (result.status) {
    case TransferStatus::Aborted:
        return msg(Msg::DownloadAborted);
    case TransferStatus::ChecksumMismatch:
        return QStringLiteral("The downloaded file does not match its checksum, so it was not saved.") + where;
    case TransferStatus::OwnFile:
        return QStringLiteral("The update server offered a file that would replace a file of the VOXA Manager "
                              "installation, so nothing was downloaded.") +
               where;
    case TransferStatus::BadProxy:
        return result.detail;
    case TransferStatus::WriteFailed:
        // The transfer worked; the drive refused the file (full, read-only,
        // a symbolic link in its place).
        return msg(Msg::OpenForWriteError) + QStringLiteral(" (") + result.detail + QLatin1Char(')') + where;
    case TransferStatus::Ok:
    case TransferStatus::Failed:
    case TransferStatus::BadTarget:
    case TransferStatus::TooLarge:
    case TransferStatus::Rejected:
        break;
    }
    return msg(Msg::DownloadError);
}

TransferResult FetchUrl(const QString &url, const ProxySettings &proxy, QByteArray *body,
                        const TransferCallbacks &callbacks, qint64 maxBytes)
{
    initCurlOnce();
    TransferResult result;
    body->clear();
    if (const QString problem = ProxyProblem(proxy); !problem.isEmpty()) {
        result.status = TransferStatus::BadProxy;
        result.detail = problem;
        return result;
    }
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        result.detail = QStringLiteral("cannot start a transfer");
        return result;
    }
    Transfer t{curl.get(), body, &callbacks, maxBytes};
    char errorText[CURL_ERROR_SIZE] = {};
    const QByteArray urlBytes = encodeUrl(url);
    const QByteArray proxyHost = proxy.host.trimmed().toUtf8();
    CURL *c = curl.get();
    curl_slist *headers = curl_slist_append(nullptr, "Accept: text/html, */*");
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(headers, curl_slist_free_all);

    curl_easy_setopt(c, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, transferInfo);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
    // The user's proxy choice is the only one: an empty proxy text switches
    // off http_proxy and friends, and an empty no-proxy list keeps no_proxy
    // from sending some hosts around the chosen proxy.
    curl_easy_setopt(c, CURLOPT_NOPROXY, "");
    if (proxyHost.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_PROXY, "");
    } else {
        curl_easy_setopt(c, CURLOPT_PROXY, proxyHost.constData());
        curl_easy_setopt(c, CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP));
        curl_easy_setopt(c, CURLOPT_PROXYPORT, long(proxy.port));
    }

    const CURLcode rc = curl_easy_perform(c);
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &result.httpCode);
    result.bytes = body->size();
    if (rc == CURLE_OK) {
        t.beginOnce();
        if (t.tooLarge) {
            result.status = TransferStatus::TooLarge;
        } else {
            result.status = TransferStatus::Ok;
            return result;
        }
    } else if (t.aborted) {
        result.status = TransferStatus::Aborted;
    } else if (t.tooLarge) {
        result.status = TransferStatus::TooLarge;
    } else {
        result.status = TransferStatus::Failed;
    }
    result.detail = result.status == TransferStatus::TooLarge
                        ? QStringLiteral("larger than %1 bytes").arg(maxBytes)
                        : QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(rc));
    body->clear();
    return result;
}

DownloadRequest ResolveDownload(DownloadRequest request)
{
    if (platform::isDevicePath(request.target)) {
        request.clearReadOnly = true;
        request.target = platform::toNative(request.target);
    }
    return request;
}

TransferResult DownloadFile(const DownloadRequest &original, const TransferCallbacks &callbacks)
{
    const DownloadRequest request = ResolveDownload(original);
    TransferResult result;
    if (request.target.isEmpty() || !IsSafeFileName(platform::fileNameOf(request.target))) {
        result.status = TransferStatus::BadTarget;
        result.detail = QStringLiteral("no usable file name in %1").arg(original.target);
        return result;
    }
    if (IsInstallationFile(request.target)) {
        result.status = TransferStatus::OwnFile;
        result.detail = QStringLiteral("%1 is a file of the manager's installation").arg(original.target);
        return result;
    }

    QByteArray body;
    result = FetchUrl(request.url, request.proxy, &body, callbacks, request.maxBytes);
    if (!result.ok())
        return result;
    if (request.sha256) {
        const QByteArray digest = QCryptographicHash::hash(body, QCryptographicHash::Sha256);
        if (digest != *request.sha256) {
            result.status = TransferStatus::ChecksumMismatch;
            result.detail = QStringLiteral("SHA-256 %1 differs from the announced one")
                                .arg(QString::fromLatin1(digest.toHex()));
            return result;
        }
    }
    if (request.accept && !request.accept(body)) {
        result.status = TransferStatus::Rejected;
        result.detail = QStringLiteral("the content was refused");
        return result;
    }
    if (request.clearReadOnly)
        fs::makeWritable(request.target);
    const QString error = fs::writeWholeFile(request.target, body);
    if (!error.isEmpty()) {
        result.status = TransferStatus::WriteFailed;
        result.detail = error;
    } else if (request.executable) {
        addOwnerExecute(request.target);
    }
    return result;
}

void TransferProgress::begin(qint64 expected)
{
    maximum = std::max<qint64>(expected, 0);
    position = 0;
    caption.clear();
}

void TransferProgress::work(qint64 received)
{
    if (maximum <= 0) {
        position = 0;
        caption.clear();
        return;
    }
    position = std::clamp<qint64>(received, 0, maximum);
    caption = QString::number(position * 100 / maximum) + QLatin1Char('%');
}

void TransferProgress::end(bool whole)
{
    if (whole) {
        if (maximum <= 0)
            maximum = 100;
        position = maximum;
        caption = QStringLiteral("100%");
    } else {
        position = 0;
        caption.clear();
    }
}

void TransferProgress::clear()
{
    position = 0;
    caption.clear();
}

int TransferProgress::percent() const
{
    return maximum > 0 ? int(std::clamp<qint64>(position * 100 / maximum, 0, 100)) : 0;
}

}  // namespace voxa
