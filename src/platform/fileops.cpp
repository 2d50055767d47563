#include "platform/fileops.h"

#include "platform/drives.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace voxa::fs {
namespace {

thread_local int t_errno = 0;

QByteArray native(const QString &path)
{
    return QFile::encodeName(platform::toNative(path));
}

bool fail()
{
    t_errno = errno;
    return false;
}

// Local wall-clock time with its offset from UTC. A QDateTime in the
// Qt::LocalTime form looks the time zone up again for every entry, which
// costs more than reading the entry itself.
QDateTime fromStat(const struct stat &st)
{
    struct tm local {};
    const time_t secs = st.st_mtim.tv_sec;
    const qint64 ms = qint64(secs) * 1000 + st.st_mtim.tv_nsec / 1000000;
    if (!::localtime_r(&secs, &local))
        return QDateTime::fromMSecsSinceEpoch(ms);
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, int(local.tm_gmtoff));
}

}  // namespace

QList<Entry> listDir(const QString &folder, bool *ok)
{
    QList<Entry> out;
    const QByteArray dirPath = native(folder);
    DIR *dir = dirPath.isEmpty() ? nullptr : ::opendir(dirPath.constData());
    if (!dir) {
        fail();
        if (ok)
            *ok = false;
        return out;
    }
    const int fd = ::dirfd(dir);
    while (dirent *e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        Entry entry;
        entry.name = QFile::decodeName(e->d_name);
        entry.hidden = e->d_name[0] == '.';
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, 0) == 0) {
            entry.isDir = S_ISDIR(st.st_mode);
            entry.size = entry.isDir ? 0 : qint64(st.st_size);
            entry.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
            entry.modified = fromStat(st);
        } else {
            entry.isDir = e->d_type == DT_DIR;
        }
        out.append(entry);
    }
    ::closedir(dir);
    if (ok)
        *ok = true;
    return out;
}

bool exists(const QString &path)
{
    struct stat st {};
    const QByteArray p = native(path);
    return !p.isEmpty() && ::stat(p.constData(), &st) == 0;
}

bool isDir(const QString &path)
{
    struct stat st {};
    const QByteArray p = native(path);
    return !p.isEmpty() && ::stat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const QString &path)
{
    struct stat st {};
    const QByteArray p = native(path);
    return !p.isEmpty() && ::stat(p.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

qint64 fileSize(const QString &path)
{
    struct stat st {};
    const QByteArray p = native(path);
    if (p.isEmpty() || ::stat(p.constData(), &st) != 0)
        return -1;
    return qint64(st.st_size);
}

QDateTime modified(const QString &path)
{
    struct stat st {};
    const QByteArray p = native(path);
    if (p.isEmpty() || ::stat(p.constData(), &st) != 0)
        return {};
    return fromStat(st);
}

bool isReadOnly(const QString &path)
{
    struct stat st {};
    const QByteArray p = native(path);
    if (p.isEmpty() || ::stat(p.constData(), &st) != 0)
        return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool clearReadOnly(const QString &path)
{
    struct stat st {};
    const QByteArray p = native(path);
    if (p.isEmpty() || ::stat(p.constData(), &st) != 0)
        return fail();
    if (st.st_mode & S_IWUSR)
        return true;
    if (::chmod(p.constData(), (st.st_mode & 07777) | S_IWUSR) != 0)
        return fail();
    return true;
}

bool setReadOnly(const QString &path)
{
    struct stat st {};
    const QByteArray p = native(path);
    if (p.isEmpty() || ::stat(p.constData(), &st) != 0)
        return fail();
    if (::chmod(p.constData(), (st.st_mode & 07777) & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) != 0)
        return fail();
    return true;
}

bool rename(const QString &from, const QString &to)
{
    const QByteArray a = native(from);
    const QByteArray b = native(to);
    if (a.isEmpty() || b.isEmpty()) {
        errno = ENOENT;
        return fail();
    }
    // A rename that differs only in letter case is the same entry on FAT.
    struct stat st {};
    if (::lstat(b.constData(), &st) == 0) {
        struct stat sa {};
        const bool same = ::lstat(a.constData(), &sa) == 0 && sa.st_ino == st.st_ino
                          && sa.st_dev == st.st_dev;
        if (!same) {
            errno = EEXIST;
            return fail();
        }
    }
    if (::rename(a.constData(), b.constData()) != 0)
        return fail();
    return true;
}

bool removeFile(const QString &path)
{
    const QByteArray p = native(path);
    if (p.isEmpty() || ::unlink(p.constData()) != 0)
        return fail();
    return true;
}

bool makePath(const QString &folder)
{
    const QString p = platform::toNative(folder);
    if (p.isEmpty()) {
        errno = ENOENT;
        return fail();
    }
    if (!QDir().mkpath(p)) {
        errno = errno ? errno : EACCES;
        return fail();
    }
    return true;
}

bool removeDir(const QString &folder)
{
    const QByteArray p = native(folder);
    if (p.isEmpty() || ::rmdir(p.constData()) != 0)
        return fail();
    return true;
}

qint64 freeSpace(const QString &path)
{
    if (platform::isDevicePath(path)) {
        if (auto d = platform::driveTable().drive(path[0]))
            return d->freeBytes;
        return -1;
    }
    struct statvfs st {};
    const QByteArray p = native(path);
    if (p.isEmpty() || ::statvfs(p.constData(), &st) != 0)
        return -1;
    return qint64(st.f_bavail) * qint64(st.f_frsize);
}

QString lastErrorText()
{
    return QString::fromLocal8Bit(std::strerror(t_errno));
}

QString currentFolder()
{
    const QString cwd = QDir::currentPath();
    const QString dev = platform::toDevice(cwd);
    return dev.isEmpty() ? cwd : dev;
}

}  // namespace voxa::fs
