// voxatool download URL DIR: the manager's download into DIR under the file
// name the URL gives, with the same proxy rules, for scripts.
#include "app/messagetable.h"
#include "platform/paths.h"
#include "tool/update_options.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

namespace voxa::tool {
namespace {

const char *const Usage = "download URL DIR [--sha256 HEX] [--drive X] [--proxy HOST:PORT | --no-proxy] [--json]";

const char *const Help =
    "arguments:\n"
    "  URL               what to download; the file is named after the URL's last part\n"
    "  DIR               the folder it goes into, native (/tmp) or on a drive (E:\\voxa)\n"
    "options:\n"
    "  --sha256 HEX      the file counts as downloaded only when its SHA-256 is these 64 hex\n"
    "                    digits; otherwise nothing is saved\n"
    "  --drive X         use the proxy of drive X's settings (voxa\\manager\\voxam2.ini)\n"
    "  --proxy HOST:PORT download through this HTTP proxy (overrides the drive's proxy)\n"
    "  --no-proxy        connect directly, whatever the drive's settings say\n"
    "  --json            print the result as {\"file\": PATH, \"bytes\": NUMBER} instead of\n"
    "                    \"PATH BYTES\"\n"
    "A file of the manager's own installation is never replaced. Exit status: 0 saved, 1 the\n"
    "download failed or was refused, 2 wrong arguments.\n"
    "example:\n"
    "  voxatool download http://update.voxamanager.net/files/fw.exe /tmp --proxy proxy.example.net:3128\n";

int fail(Io &io, const QString &text)
{
    io.err << "voxatool download: " << text << "\nusage: voxatool " << Usage << "\n";
    return 2;
}

int download(const QStringList &args, Io &io)
{
    UpdateOptions o;
    const QString error = parseUpdateOptions(args, o);
    if (!error.isEmpty())
        return fail(io, error);
    std::optional<QByteArray> sha256;
    QStringList rest;
    for (qsizetype i = 0; i < o.rest.size(); ++i) {
        if (o.rest[i] == QLatin1String("--sha256")) {
            if (i + 1 >= o.rest.size())
                return fail(io, QStringLiteral("--sha256 wants 64 hex digits"));
            sha256 = QByteArray::fromHex(o.rest[++i].toLatin1());
            if (sha256->size() != 32)
                return fail(io, QStringLiteral("--sha256 wants 64 hex digits"));
        } else {
            rest.append(o.rest[i]);
        }
    }
    if (rest.size() != 2)
        return fail(io, QStringLiteral("wants URL and DIR"));

    DownloadRequest request;
    request.url = rest[0];
    request.proxy = o.proxy;
    request.sha256 = sha256;
    const QString dir = rest[1];
    const std::optional<QString> name = TargetFileName(request.url);
    if (!name) {
        io.err << "voxatool download: " << msg(Msg::DownloadError) << " (no usable file name in " << request.url
               << ")\n";
        return 1;
    }
    request.target = platform::isDevicePath(dir) ? platform::joinDevice(dir, *name) : QDir(dir).filePath(*name);
    const TransferResult r = DownloadFile(request);
    if (!r.ok()) {
        io.err << "voxatool download: " << terminalFailureText(r, request.target, o) << failureDetail(r) << "\n";
        return 1;
    }
    // Where this computer has the file.
    const QString native = platform::toNative(request.target);
    const QString saved = native.isEmpty() ? request.target : native;
    if (o.json)
        io.out << QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("file"), saved}, {QStringLiteral("bytes"), r.bytes}})
                .toJson(QJsonDocument::Indented));
    else
        io.out << saved << " " << r.bytes << "\n";
    return 0;
}

const ToolCommand command("download", Usage,
                          "download URL into DIR under the URL's file name, with the manager's proxy and checks",
                          Help, download);

}  // namespace
}  // namespace voxa::tool
