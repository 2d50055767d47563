// voxatool download URL DIR: the manager's download into DIR under the file
// name the URL gives, with the same proxy rules, for scripts.
#include "app/messagetable.h"
#include "platform/paths.h"
#include "tool/update_options.h"

#include <QDir>

namespace voxa::tool {
namespace {

const char *const Usage = "download URL DIR [--sha256 HEX] [--drive X] [--proxy HOST:PORT | --no-proxy]";

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
        io.err << "voxatool download: " << TransferFailureText(r, request.target) << " (" << transferStatusText(r)
               << ": " << r.detail << ")\n";
        return 1;
    }
    // Where this computer has the file.
    const QString native = platform::toNative(request.target);
    io.out << (native.isEmpty() ? request.target : native) << " " << r.bytes << "\n";
    return 0;
}

const ToolCommand command("download", Usage,
                          "download URL into DIR under the URL's file name, with the manager's proxy and checks",
                          download);

}  // namespace
}  // namespace voxa::tool
