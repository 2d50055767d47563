#include "platform/fileops.h"

#include "platform/drives.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QMutex>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

// Stands in t_errno for a refused symbolic link; no errno has this value.
constexpr int LinkRefused = -1;

bool fail()
{
    t_errno = errno;
    return false;
}

bool refuseLink()
{
    t_errno = LinkRefused;
    return false;
}

// Changes the mode of the entry itself, never of what a link points to.
bool changeModeNoFollow(const QByteArray &p, mode_t mode)
{
    if (::fchmodat(AT_FDCWD, p.constData(), mode, AT_SYMLINK_NOFOLLOW) == 0)
        return true;
    if (errno != EOPNOTSUPP && errno != ENOTSUP)
        return fail();
    // The C library cannot do it without /proc. Checked once more just
    // before, so a link put in its place meanwhile is still not followed.
    struct stat st {};
    if (::lstat(p.constData(), &st) != 0)
        return fail();
    if (S_ISLNK(st.st_mode))
        return refuseLink();
    if (::chmod(p.constData(), mode) != 0)
        return fail();
    return true;
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
    if (p.isEmpty() || ::lstat(p.constData(), &st) != 0)
        return fail();
    if (S_ISLNK(st.st_mode))
        return refuseLink();
    if (st.st_mode & S_IWUSR)
        return true;
    return changeModeNoFollow(p, (st.st_mode & 07777) | S_IWUSR);
}

bool setReadOnly(const QString &path)
{
    struct stat st {};
    const QByteArray p = native(path);
    if (p.isEmpty() || ::lstat(p.constData(), &st) != 0)
        return fail();
    if (S_ISLNK(st.st_mode))
        return refuseLink();
    return changeModeNoFollow(p, (st.st_mode & 07777) & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH));
}

bool makeWritable(const QString &path)
{
    return !isReadOnly(path) || clearReadOnly(path);
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

namespace {
// One system call on the native form of a device path; an unknown drive
// fails as the call would.
bool onNative(const QString &path, int (*call)(const char *))
{
    const QByteArray p = native(path);
    if (p.isEmpty() || call(p.constData()) != 0)
        return fail();
    return true;
}
}  // namespace

bool removeFile(const QString &path)
{
    return onNative(path, ::unlink);
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
    return onNative(folder, ::rmdir);
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

namespace {

QMutex g_freeSpaceLock;
std::function<std::optional<qint64>(const QString &)> g_freeSpaceStandIn;

}  // namespace

void setFreeSpaceStandIn(std::function<std::optional<qint64>(const QString &path)> standIn)
{
    QMutexLocker lock(&g_freeSpaceLock);
    g_freeSpaceStandIn = std::move(standIn);
}

qint64 freeSpace(const QString &path)
{
    std::function<std::optional<qint64>(const QString &)> standIn;
    {
        QMutexLocker lock(&g_freeSpaceLock);
        standIn = g_freeSpaceStandIn;
    }
    if (standIn)
        if (const std::optional<qint64> bytes = standIn(path))
            return *bytes;
    // The one volume only: a fresh look at every drive (mount table, udev,
    // the sizes of every mount, the remembered letters) is far more than a
    // copy job on a worker needs, and writes files besides.
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

// Writes bytes into a new temporary file beside target (a replaced file's
// mode given explicitly), flushed and closed, then lets place() put it
// where it belongs; on any failure the temporary file goes.
template <typename Place>
QString writeBeside(const QByteArray &target, const QByteArray &bytes, std::optional<mode_t> keptMode, Place place)
{
    // O_EXCL never opens an existing entry, a link included.
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + '.' + QByteArray::number(QRandomGenerator::global()->generate() & 0xffffff, 36);
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, keptMode ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        t_errno = errno;
        return errnoText(errno);
    }
    int err = 0;
    if (!writeAll(fd, bytes.constData(), bytes.size()))
        err = errno;
    if (!err && keptMode)
        ::fchmod(fd, *keptMode);  // a failure here (FAT keeps no modes) costs only the mode
    if (!err && ::fsync(fd) != 0 && errno != EINVAL)
        err = errno;
    if (::close(fd) != 0 && !err && errno != EINTR)
        err = errno;
    if (!err)
        err = place(temp);
    if (err) {
        ::unlink(temp.constData());
        t_errno = err;
        return errnoText(err);
    }
    return {};
}

}  // namespace

QString writeWholeFile(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = native(path);
    if (target.isEmpty())
        return errnoText(ENOENT);
    // A new file is created with 0666 and the kernel takes the umask off;
    // a file that is replaced keeps its own mode, given explicitly.
    struct stat old {};
    std::optional<mode_t> keptMode;
    if (::lstat(target.constData(), &old) == 0) {
        // The rename below would replace the link rather than write through
        // it, but the user asked to save to where the link points: refused.
        if (S_ISLNK(old.st_mode)) {
            t_errno = LinkRefused;
            return symbolicLinkText();
        }
        if (S_ISDIR(old.st_mode))
            return errnoText(EISDIR);
        if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return errnoText(EACCES);
        keptMode = old.st_mode & 07777;
    }
    return writeBeside(target, bytes, keptMode, [&](const QByteArray &temp) {
        return ::rename(temp.constData(), target.constData()) == 0 ? 0 : errno;
    });
}

QString symbolicLinkText()
{
    return QStringLiteral("The target is a symbolic link; nothing is written or changed through a link");
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
    if (t_errno == LinkRefused)
        return symbolicLinkText();
    return QString::fromLocal8Bit(std::strerror(t_errno));
}

QString currentFolder()
{
    const QString cwd = QDir::currentPath();
    const QString dev = platform::toDevice(cwd);
    return dev.isEmpty() ? cwd : dev;
}

QString writeNewFile(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = native(path);
    if (target.isEmpty())
        return errnoText(ENOENT);
    struct stat old {};
    if (::lstat(target.constData(), &old) == 0) {
        t_errno = EEXIST;
        return errnoText(EEXIST);
    }
    return writeBeside(target, bytes, std::nullopt, [&](const QByteArray &temp) {
        if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        const int err = errno;
        // A file system without the flag: the look-up above has to do.
        if (err != EINVAL && err != ENOSYS)
            return err;
        return ::lstat(target.constData(), &old) == 0 ? EEXIST
               : ::rename(temp.constData(), target.constData()) == 0 ? 0 : errno;
    });
}

bool syncFileSystem(const QString &path)
{
    const QByteArray p = native(path);
    const int fd = p.isEmpty() ? -1 : ::open(p.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return fail();
    const bool ok = ::syncfs(fd) == 0;
    if (!ok)
        t_errno = errno;
    ::close(fd);
    return ok;
}

namespace {

// Keeps fd in held when its lock is taken; closes it otherwise (errno kept).
FolderLock::Result takeLock(int fd, int &held)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        held = fd;
        return FolderLock::Result::Taken;
    }
    const int err = errno;
    ::close(fd);
    errno = err;
    return err == EWOULDBLOCK ? FolderLock::Result::Busy : FolderLock::Result::Failed;
}

}  // namespace

FolderLock::Result FolderLock::tryLock(const QString &folder)
{
    release();
    const QByteArray p = native(folder);
    const int fd = p.isEmpty() ? -1 : ::open(p.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        fail();
        if (fd >= 0)
            ::close(fd);
        return Result::Failed;
    }
    if (const Result r = takeLock(fd, m_fd); r != Result::Failed)
        return r;
    // The folder's file system cannot lock a folder: lock a local file that
    // stands for it.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    const QString name = QStringLiteral("voxa-lock-%1-%2").arg(quint64(st.st_dev), 0, 16).arg(quint64(st.st_ino));
    const QByteArray lockFile = QFile::encodeName(dir + QLatin1Char('/') + name);
    const int local = ::open(lockFile.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
    const Result r = local < 0 ? Result::Failed : takeLock(local, m_fd);
    if (r == Result::Failed)
        fail();
    return r;
}

int UniqueFd::close()
{
    if (m_fd < 0)
        return 0;
    const int r = ::close(std::exchange(m_fd, -1));
    return r == 0 ? 0 : errno;
}

void FolderLock::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

}  // namespace voxa::fs
