#include "music/mp3fileops.h"

#include "app/messagetable.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <cerrno>
#include <cstring>

namespace voxa {
namespace {

QString failure(const QString &reason, const QString &path)
{
    return reason + QStringLiteral(" [") + path + QLatin1Char(']');
}

bool isDriveRoot(const QString &dir)
{
    return platform::isDevicePath(dir) && dir.size() <= 3;
}

}  // namespace

QList<Mp3ItemOutcome> UnMarkFiles(const QList<Mp3FileInfo> &checked)
{
    QList<Mp3ItemOutcome> out;
    for (const Mp3FileInfo &f : checked) {
        Mp3ItemOutcome o;
        const QString from = Mp3FullPath(f);
        if (!f.FileName.endsWith(QLatin1Char('!'))) {
            o.Error = failure(QString::fromLocal8Bit(std::strerror(EINVAL)), from);
        } else {
            QString to = from;
            to.back() = QLatin1Char('3');
            o.Tried = true;
            o.Done = fs::rename(from, to);
            o.LeavesList = o.Done;
            if (!o.Done)
                o.Error = failure(fs::lastErrorText(), from);
        }
        out.append(o);
    }
    return out;
}

bool ConfirmDeleteFiles()
{
    return prompts().ask(QStringLiteral("Warning"), msg(Msg::ReallyDeleteSelected),
                         Button::Yes | Button::No, Button::No, Placement::frameBox())
           == Button::Yes;
}

QList<Mp3ItemOutcome> DeleteFiles(const QList<Mp3FileInfo> &checked)
{
    QList<Mp3ItemOutcome> out;
    for (const Mp3FileInfo &f : checked) {
        Mp3ItemOutcome o;
        const QString path = Mp3FullPath(f);
        o.Tried = true;
        if (fs::isReadOnly(path)) {
            o.Error = failure(QString::fromLocal8Bit(std::strerror(EACCES)), path);
        } else if (fs::removeFile(path)) {
            o.Done = true;
            o.LeavesList = true;
            // Succeeds only once the folder is empty.
            if (!isDriveRoot(f.Directory))
                fs::removeDir(f.Directory);
        } else {
            o.Error = failure(fs::lastErrorText(), path);
        }
        if (!o.Done && !fs::exists(path))
            o.LeavesList = true;
        out.append(o);
    }
    return out;
}

QuarantineOutcome MoveToQuarantine(QChar driveLetter, const QString &quarantine,
                                   const QList<Mp3FileInfo> &items)
{
    QuarantineOutcome result;
    if (quarantine.isEmpty())
        return result;
    // ".." in the text climbs no higher than the drive's root.
    const QString q = platform::cleanDevicePath(QString(driveLetter.toUpper()) + QStringLiteral(":\\") + quarantine);
    result.Folder = q;
    if (!fs::makePath(q)) {
        result.Error = msg(Msg::CannotCreateDirectory) + q;
        for (qsizetype i = 0; i < items.size(); ++i)
            result.Items.append(Mp3ItemOutcome{});
        return result;
    }
    result.Started = true;
    for (const Mp3FileInfo &f : items) {
        Mp3ItemOutcome o;
        const QString source = Mp3FullPath(f);
        if (!platform::isDevicePath(f.Directory)) {
            o.Error = failure(QString::fromLocal8Bit(std::strerror(EXDEV)), source);
            result.Items.append(o);
            continue;
        }
        QString target = q;
        if (!target.endsWith(QLatin1Char('\\')))
            target += QLatin1Char('\\');
        target += f.Directory.mid(3);
        if (!fs::makePath(target)) {
            o.Error = msg(Msg::CannotCreateDirectory) + target;
            result.Items.append(o);
            continue;
        }
        o.Tried = true;
        o.Done = fs::rename(source, platform::joinDevice(target, f.FileName));
        if (o.Done) {
            // The folders the move has emptied go, from the file's upwards.
            QString dir = f.Directory;
            while (!isDriveRoot(dir) && fs::removeDir(dir))
                dir = platform::folderOf(dir);
        } else {
            o.Error = failure(fs::lastErrorText(), source);
        }
        result.Items.append(o);
    }
    return result;
}

}  // namespace voxa
