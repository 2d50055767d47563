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
};

// Takes --drive X, --proxy HOST:PORT and --no-proxy out of args. Returns an
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
            if (!ok || port <= 0 || port > 65535)
                return QStringLiteral("--proxy wants HOST:PORT, not %1").arg(value);
            given = ProxyFromDialog(true, value.left(colon), port);
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
    }
    if (given)
        o.proxy = *given;
    return {};
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
