#include "music/mp3fileops.h"

#include "app/messagetable.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <QByteArrayList>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace voxa {
namespace {

QString failure(const QString &reason, const QString &path)
{
    return reason + QStringLiteral(" [") + path + QLatin1Char(']');
}

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// The reasons for leaving a file alone.
QString offDriveText()
{
    return QStringLiteral("The folder leads off the drive");
}

QString changedText()
{
    return QStringLiteral("Not the file that was found (its size or time differs)");
}

QString movedText()
{
    return QStringLiteral("Moved to the quarantine already");
}

bool isDriveRoot(const QString &dir)
{
    return platform::isDevicePath(dir) && dir.size() <= 3;
}

// An open folder, or why there is none.
struct Folder {
    fs::UniqueFd fd;
    int error = 0;
    bool offDrive = false;
};

// Opens the folder rel (a path below root, "/"-separated) one name at a
// time from root, following no link: a link put in the way after the path
// was resolved is refused, never followed. With create, missing folders are
// made.
Folder openBelow(const QByteArray &root, const QByteArray &rel, bool create)
{
    Folder f;
    f.fd.reset(::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!f.fd.valid()) {
        f.error = errno;
        return f;
    }
    for (const QByteArray &part : rel.split('/')) {
        if (part.isEmpty())
            continue;
        if (part == "." || part == "..") {
            f.fd.reset(-1);
            f.error = EINVAL;
            return f;
        }
        int next = ::openat(f.fd.get(), part.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && create) {
            if (::mkdirat(f.fd.get(), part.constData(), 0777) != 0 && errno != EEXIST) {
                f.error = errno;
                f.fd.reset(-1);
                return f;
            }
            next = ::openat(f.fd.get(), part.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (next < 0) {
            f.error = errno;
            f.fd.reset(-1);
            return f;
        }
        f.fd.reset(next);
    }
    return f;
}

// Opens the folder where it really lies, when that is on its drive.
// missing names folders below it still to be made (for the quarantine).
Folder openResolved(const QString &dir, const QByteArray &existing, const QByteArrayList &missing)
{
    Folder f;
    const std::optional<QByteArray> bound = Mp3DriveRoot(dir);
    if (!bound) {
        f.error = ENOENT;
        return f;
    }
    const QByteArray real = Mp3RealPath(existing);
    if (real.isEmpty()) {
        f.error = errno;
        return f;
    }
    if (!Mp3Inside(real, *bound)) {
        f.offDrive = true;
        f.error = EXDEV;
        return f;
    }
    const QByteArray root = bound->isEmpty() ? QByteArray("/") : *bound;
    QByteArray rel = real.mid(root.size());
    for (const QByteArray &m : missing)
        rel += '/' + m;
    return openBelow(root, rel, !missing.isEmpty());
}

// A record's folder (a device path or a native one), opened where it really
// lies.
Folder openFolder(const QString &dir)
{
    return openResolved(dir, QFile::encodeName(platform::toNative(dir)), {});
}

// A folder of a drive, made with its missing parents. The part that exists
// must really lie on the drive; the rest is made below it.
Folder makeFolder(const QString &dir)
{
    QByteArray existing = QFile::encodeName(platform::toNative(dir));
    QByteArrayList missing;
    struct stat st {};
    while (!existing.isEmpty() && ::stat(existing.constData(), &st) != 0) {
        const int err = errno;
        const qsizetype cut = existing.lastIndexOf('/');
        if (err != ENOENT || cut <= 0) {
            Folder f;
            f.error = err;
            return f;
        }
        missing.prepend(existing.mid(cut + 1));
        existing.truncate(cut);
    }
    if (existing.isEmpty()) {
        Folder f;
        f.error = ENOENT;
        return f;
    }
    return openResolved(dir, existing, missing);
}

// Removes a folder (a device path or a native one) when it is empty. Its own
// name is not followed: a link in its place stays, as does the drive's root.
bool removeEmptyFolder(const QString &dir)
{
    if (isDriveRoot(dir))
        return false;
    const QByteArray native = QFile::encodeName(platform::toNative(dir));
    const qsizetype cut = native.lastIndexOf('/');
    if (cut < 0 || cut == native.size() - 1)
        return false;
    const QByteArray name = native.mid(cut + 1);
    if (name == "." || name == "..")
        return false;
    const QString parentDir = platform::folderOf(dir);
    Folder parent = openResolved(parentDir.isEmpty() ? QStringLiteral("/") : parentDir,
                                 cut == 0 ? QByteArray("/") : native.left(cut), {});
    if (!parent.fd.valid())
        return false;
    // The drive's root under another name (a link to it) is still the root.
    const std::optional<QByteArray> bound = Mp3DriveRoot(dir);
    const QByteArray real = Mp3RealPath(native);
    if (!bound || real.isEmpty() || (!bound->isEmpty() && real == *bound))
        return false;
    return ::unlinkat(parent.fd.get(), name.constData(), AT_REMOVEDIR) == 0;
}

enum class Found { Same, Gone, Changed, Unreadable };

// Whether the entry name in dir is still the file a record was made from:
// the same size and modification time (links followed, as the search did).
Found lookUp(const Folder &dir, const QByteArray &name, const Mp3FileInfo &f, int *err)
{
    struct stat st {};
    if (::fstatat(dir.fd.get(), name.constData(), &st, 0) != 0) {
        *err = errno;
        struct stat entry {};
        if (::fstatat(dir.fd.get(), name.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0)
            return Found::Gone;
        return Found::Unreadable;  // a link leading nowhere
    }
    if (S_ISDIR(st.st_mode) || f.ModifiedSecs < 0 || qint64(st.st_size) != f.Size
        || qint64(st.st_mtim.tv_sec) != f.ModifiedSecs)
        return Found::Changed;
    return Found::Same;
}

bool isReadOnly(const Folder &dir, const QByteArray &name)
{
    struct stat st {};
    return ::fstatat(dir.fd.get(), name.constData(), &st, 0) == 0
           && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// A record's file name as the file system spells it; empty when it could
// name anything but one entry of its folder.
QByteArray entryName(const Mp3FileInfo &f)
{
    const QByteArray name = QFile::encodeName(f.FileName);
    if (name.isEmpty() || name == "." || name == ".." || name.contains('/'))
        return {};
    return name;
}

// Renames within or between open folders; never over an existing entry.
bool renameEntry(const Folder &from, const QByteArray &fromName, const Folder &to, const QByteArray &toName,
                 int *err)
{
    if (::renameat2(from.fd.get(), fromName.constData(), to.fd.get(), toName.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        *err = errno;
        return false;
    }
    // File systems without the flag: look first.
    struct stat st {};
    if (::fstatat(to.fd.get(), toName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        *err = EEXIST;
        return false;
    }
    if (::renameat(from.fd.get(), fromName.constData(), to.fd.get(), toName.constData()) != 0) {
        *err = errno;
        return false;
    }
    return true;
}

// The common part of the three operations: the record's folder opened and
// its file found unchanged, or the outcome that says why not. Tried is set
// for failures met while reaching the file; a refusal leaves it clear.
struct Located {
    Folder dir;
    QByteArray name;
    bool ok = false;
    bool gone = false;
};

Located locate(const Mp3FileInfo &f, Mp3ItemOutcome &o)
{
    Located l;
    const QString path = Mp3FullPath(f);
    if (f.Moved) {
        o.Refused = true;
        o.Error = failure(movedText(), path);
        return l;
    }
    l.name = entryName(f);
    if (l.name.isEmpty()) {
        o.Error = failure(errnoText(EINVAL), path);
        return l;
    }
    l.dir = openFolder(f.Directory);
    if (l.dir.offDrive) {
        o.Refused = true;
        o.Error = failure(offDriveText(), path);
        return l;
    }
    if (!l.dir.fd.valid()) {
        o.Tried = true;
        o.Error = failure(errnoText(l.dir.error), path);
        l.gone = l.dir.error == ENOENT || l.dir.error == ENOTDIR;
        return l;
    }
    int err = 0;
    switch (lookUp(l.dir, l.name, f, &err)) {
    case Found::Same:
        l.ok = true;
        break;
    case Found::Changed:
        o.Refused = true;
        o.Error = failure(changedText(), path);
        break;
    case Found::Gone:
        l.gone = true;
        [[fallthrough]];
    case Found::Unreadable:
        o.Tried = true;
        o.Error = failure(errnoText(err), path);
        break;
    }
    return l;
}

}  // namespace

QList<Mp3ItemOutcome> UnMarkFiles(const QList<Mp3FileInfo> &checked)
{
    QList<Mp3ItemOutcome> out;
    for (const Mp3FileInfo &f : checked) {
        Mp3ItemOutcome o;
        const QString from = Mp3FullPath(f);
        if (!f.FileName.endsWith(QLatin1Char('!'))) {
            o.Error = failure(errnoText(EINVAL), from);
            out.append(o);
            continue;
        }
        const Located l = locate(f, o);
        if (l.ok) {
            QString to = from;
            to.back() = QLatin1Char('3');
            QByteArray toName = l.name;
            toName.back() = '3';
            int err = 0;
            o.Tried = true;
            o.Done = renameEntry(l.dir, l.name, l.dir, toName, &err);
            o.LeavesList = o.Done;
            if (o.Done)
                o.NewPath = to;
            else
                o.Error = failure(errnoText(err), from);
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
        const Located l = locate(f, o);
        if (l.ok) {
            o.Tried = true;
            if (isReadOnly(l.dir, l.name)) {
                o.Error = failure(errnoText(EACCES), path);
            } else if (::unlinkat(l.dir.fd.get(), l.name.constData(), 0) == 0) {
                o.Done = true;
                o.LeavesList = true;
                // Succeeds only once the folder is empty.
                removeEmptyFolder(f.Directory);
            } else {
                const int err = errno;
                o.Error = failure(errnoText(err), path);
                o.LeavesList = err == ENOENT;
            }
        } else if (l.gone) {
            o.LeavesList = true;  // no longer there
        }
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
    const QChar letter = driveLetter.toUpper();
    const QString q = platform::cleanDevicePath(QString(letter) + QStringLiteral(":\\") + quarantine);
    result.Folder = q;
    if (!makeFolder(q).fd.valid()) {
        result.Error = msg(Msg::CannotCreateDirectory) + q;
        for (qsizetype i = 0; i < items.size(); ++i)
            result.Items.append(Mp3ItemOutcome{});
        return result;
    }
    result.Started = true;
    for (const Mp3FileInfo &f : items) {
        Mp3ItemOutcome o;
        const QString source = Mp3FullPath(f);
        if (platform::driveLetterOf(f.Directory) != letter) {
            o.Error = failure(errnoText(EXDEV), source);
            result.Items.append(o);
            continue;
        }
        const Located l = locate(f, o);
        if (!l.ok) {
            result.Items.append(o);
            continue;
        }
        QString target = q;
        if (!target.endsWith(QLatin1Char('\\')))
            target += QLatin1Char('\\');
        target = platform::cleanDevicePath(target + f.Directory.mid(3));
        const Folder to = makeFolder(target);
        if (!to.fd.valid()) {
            o.Error = msg(Msg::CannotCreateDirectory) + target;
            result.Items.append(o);
            continue;
        }
        int err = 0;
        o.Tried = true;
        o.Done = renameEntry(l.dir, l.name, to, l.name, &err);
        if (o.Done) {
            o.NewPath = platform::joinDevice(target, f.FileName);
            // The folders the move has emptied go, from the file's upwards.
            QString dir = f.Directory;
            while (!isDriveRoot(dir) && removeEmptyFolder(dir))
                dir = platform::folderOf(dir);
        } else {
            o.Error = failure(errnoText(err), source);
        }
        result.Items.append(o);
    }
    return result;
}

}  // namespace voxa
