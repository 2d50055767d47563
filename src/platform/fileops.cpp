#include "platform/fileops.h"

#include "platform/drives.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
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

mode_t currentUmask()
{
    // umask can only be read by setting it; no other thread creates files
    // between the two calls in a way that matters for the mode bits.
    const mode_t m = ::umask(022);
    ::umask(m);
    return m;
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
        entry.isLink = e->d_type == DT_LNK;
        struct stat st {};
        if (e->d_type == DT_UNKNOWN && ::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            entry.isLink = S_ISLNK(st.st_mode);
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
    // Refusing an existing target inside the rename itself costs no extra
    // look-up per file (a sort moves thousands). Older kernels and some file
    // systems do not take the flag; they get the look-up below.
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EEXIST && errno != EINVAL && errno != ENOSYS)
        return fail();
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

bool flushFolder(const QString &folder)
{
    const QByteArray p = native(folder);
    const int fd = p.isEmpty() ? -1 : ::open(p.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fail();
    // Some file systems cannot sync a folder (EINVAL); their entries go with
    // the file's own sync.
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    if (!ok)
        t_errno = errno;
    ::close(fd);
    return ok;
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

namespace {

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

}  // namespace

QString writeWholeFile(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = native(path);
    if (target.isEmpty())
        return errnoText(ENOENT);
    struct stat old {};
    mode_t mode = 0666 & ~currentUmask();
    if (::stat(target.constData(), &old) == 0) {
        if (S_ISDIR(old.st_mode))
            return errnoText(EISDIR);
        if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return errnoText(EACCES);
        mode = old.st_mode & 07777;
    }
    QByteArray temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return errnoText(errno);
    int err = 0;
    if (!writeAll(fd, bytes.constData(), bytes.size()))
        err = errno;
    if (!err)
        ::fchmod(fd, mode);  // mkstemp makes 0600; a failure here costs only the mode
    if (!err && ::fsync(fd) != 0 && errno != EINVAL)
        err = errno;
    if (::close(fd) != 0 && !err && errno != EINTR)
        err = errno;
    if (!err && ::rename(temp.constData(), target.constData()) != 0)
        err = errno;
    if (err) {
        ::unlink(temp.constData());
        t_errno = err;
        return errnoText(err);
    }
    return {};
}

QString notRegularFileText()
{
    return QStringLiteral("Not a regular file");
}

bool isRegularFile(const QString &path)
{
    struct stat st {};
    const QByteArray p = native(path);
    return !p.isEmpty() && ::stat(p.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes, QString *error)
{
    auto failWith = [&](const QString &text) -> std::optional<QByteArray> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    const QByteArray p = native(path);
    if (p.isEmpty())
        return failWith(errnoText(ENOENT));
    // Non-blocking, so opening a FIFO with no writer returns at once; the
    // type check below then refuses it.
    const int fd = ::open(p.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        t_errno = errno;
        return failWith(errnoText(errno));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return failWith(notRegularFileText());
    }
    const qint64 want = qMax<qint64>(0, qMin<qint64>(maxBytes, qint64(st.st_size) + 1));
    QByteArray bytes;
    bytes.resize(want);
    qint64 got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(want - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            t_errno = err;
            return failWith(errnoText(err));
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return bytes;
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
