#pragma once
// Options the update commands share: the drive whose proxy settings and
// firmware records apply, and a proxy given on the command line. The update
// server comes from this computer (UpdateServerAddress), never from a drive.
#include "app/settings.h"
#include "platform/drives.h"
#include "tool/command.h"
#include "update/httpdownload.h"
#include "update/updateinfo.h"

namespace voxa::tool {

struct UpdateOptions {
    QChar drive;               // null without --drive
    ProxySettings proxy;       // no proxy unless a drive's settings or --proxy say so
    QString server = UpdateServerAddress();
    QStringList rest;          // the other arguments, in order
    bool json = false;         // --json: the records as JSON
    bool proxyFromDrive = false;  // the proxy came from the --drive's settings
};

// Takes --drive X, --proxy HOST:PORT, --no-proxy and --json out of args. Returns an
// error text, empty when all is well.
inline QString parseUpdateOptions(const QStringList &args, UpdateOptions &o)
{
    std::optional<ProxySettings> given;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--drive") && i + 1 < args.size()) {
            const QString letter = args[++i].left(1).toUpper();
            if (letter.isEmpty() || !platform::driveTable().drive(letter[0]))
                return QStringLiteral("no drive %1").arg(args[i]);
            o.drive = letter[0];
        } else if (a == QLatin1String("--proxy") && i + 1 < args.size()) {
            const QString value = args[++i];
            const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
            bool ok = false;
            const int port = colon > 0 ? value.mid(colon + 1).toInt(&ok) : -1;
            // One colon only: "host:80:8080" would send a port inside the server text.
            if (!ok || port <= 0 || port > 65535 || value.left(colon).contains(QLatin1Char(':')))
                return QStringLiteral("--proxy wants HOST:PORT, not %1").arg(value);
            given = ProxyFromDialog(true, value.left(colon), port);
        } else if (a == QLatin1String("--json")) {
            o.json = true;
        } else if (a == QLatin1String("--no-proxy")) {
            given = ProxyFromDialog(false, QString(), -1);
        } else if (a.startsWith(QLatin1String("--")) && a != QLatin1String("--sha256")) {
            return QStringLiteral("unknown option %1").arg(a);
        } else {
            o.rest.append(a);
        }
    }
    if (!o.drive.isNull()) {
        TIniFileHandler settings;
        settings.SetDrive(o.drive);
        o.proxy = ProxyFromSettings(settings);
        o.proxyFromDrive = o.proxy.enabled();
    }
    if (given) {
        o.proxy = *given;
        o.proxyFromDrive = false;
    }
    return {};
}

// A failed transfer in terminal words: the manager's texts point at the
// Options menu and the proxy dialog, which a script does not have; here the
// options that take their place are named.
inline QString terminalFailureText(const TransferResult &r, const QString &target, const UpdateOptions &o)
{
    const QString remedy = QStringLiteral("give the proxy with --proxy HOST:PORT, or --no-proxy to connect directly");
    switch (r.status) {
    case TransferStatus::BadProxy: {
        const QString where = o.proxyFromDrive ? QStringLiteral(" in drive %1's settings").arg(o.drive)
                                               : QString();
        if (o.proxy.port < 1 || o.proxy.port > 65535)
            return QStringLiteral("the proxy port %1%2 is not a number from 1 to 65535; ")
                       .arg(o.proxy.port)
                       .arg(where)
                   + remedy;
        return QStringLiteral("the proxy server \"%1\"%2 carries a port of its own; ").arg(o.proxy.host.trimmed(), where)
               + remedy;
    }
    case TransferStatus::Failed:
    case TransferStatus::BadTarget:
    case TransferStatus::TooLarge:
    case TransferStatus::Rejected: {
        QString text = QStringLiteral("Error while downloading the file! [") + target + QLatin1Char(']');
        if (o.proxy.enabled())
            text += QStringLiteral(" Check the proxy %1:%2%3: give another with --proxy HOST:PORT, or --no-proxy "
                                   "to connect directly.")
                        .arg(o.proxy.host)
                        .arg(o.proxy.port)
                        .arg(o.proxyFromDrive ? QStringLiteral(" (from drive %1's settings)").arg(o.drive) : QString());
        else
            text += QStringLiteral(" If this computer reaches the Internet through a proxy, give it with --proxy "
                                   "HOST:PORT (or --drive X for a drive's proxy settings).");
        return text;
    }
    case TransferStatus::Ok:
    case TransferStatus::Aborted:
    case TransferStatus::ChecksumMismatch:
    case TransferStatus::OwnFile:
    case TransferStatus::WriteFailed:
        break;
    }
    return TransferFailureText(r, target);
}

inline QString transferStatusText(const TransferResult &r);

// " (status: detail)" after a failure's text; nothing for an unusable proxy,
// whose detail is the proxy dialog's wording.
inline QString failureDetail(const TransferResult &r)
{
    if (r.status == TransferStatus::BadProxy)
        return {};
    return QStringLiteral(" (") + transferStatusText(r) + QStringLiteral(": ") + r.detail + QLatin1Char(')');
}

inline QString transferStatusText(const TransferResult &r)
{
    switch (r.status) {
    case TransferStatus::Ok: return QStringLiteral("ok");
    case TransferStatus::Failed: return QStringLiteral("transfer failed");
    case TransferStatus::Aborted: return QStringLiteral("aborted");
    case TransferStatus::BadTarget: return QStringLiteral("no usable target file name");
    case TransferStatus::ChecksumMismatch: return QStringLiteral("checksum mismatch");
    case TransferStatus::TooLarge: return QStringLiteral("too large");
    case TransferStatus::WriteFailed: return QStringLiteral("cannot write the file");
    case TransferStatus::OwnFile: return QStringLiteral("a file of the manager's installation");
    case TransferStatus::BadProxy: return QStringLiteral("unusable proxy");
    case TransferStatus::Rejected: return QStringLiteral("content refused");
    }
    return {};
}

}  // namespace voxa::tool
