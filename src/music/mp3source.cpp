#include "music/mp3source.h"

#include "platform/paths.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace voxa::music {

Mp3Source::Mp3Source(const QString &path)
{
    const QString native = platform::isDevicePath(path) ? platform::toNative(path) : path;
    if (!native.isEmpty())
        open(AT_FDCWD, QFile::encodeName(native).constData());
}

Mp3Source::Mp3Source(const char *nativePath)
{
    open(AT_FDCWD, nativePath);
}

Mp3Source::Mp3Source(int dirFd, const char *name)
{
    open(dirFd, name);
}

Mp3Source::~Mp3Source() = default;

void Mp3Source::open(int dirFd, const char *path)
{
    int fd;
    do
        // Non-blocking, so a named pipe without a writer (or a device) does
        // not hold the open; the type check below then refuses it.
        fd = ::openat(dirFd, path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    fs::UniqueFd file(fd);
    struct stat st {};
    if (!file.valid() || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return;
    m_fd = std::move(file);
    m_size = qint64(st.st_size);
    m_mtime = qint64(st.st_mtim.tv_sec);
}

qint64 Mp3Source::readRaw(qint64 pos, char *buf, qint64 n)
{
    qint64 done = 0;
    while (done < n) {
        const ssize_t r = ::pread(m_fd.get(), buf + done, size_t(n - done), off_t(pos + done));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            break;
        done += r;
    }
    return done;
}

bool Mp3Source::loadHead()
{
    if (m_headLen >= 0)
        return true;
    const qint64 r = readRaw(0, m_head, std::min(m_size, HeadSize));
    if (r < 0)
        return false;
    m_headLen = r;
    return true;
}

qint64 Mp3Source::readAt(qint64 pos, char *buf, qint64 n)
{
    if (!m_fd.valid() || pos < 0 || n < 0)
        return -1;
    if (pos >= m_size || n == 0)
        return 0;
    n = std::min(n, m_size - pos);
    if (pos + n <= HeadSize) {
        if (!loadHead())
            return -1;
        // The file may have shrunk since it was opened.
        const qint64 avail = std::max<qint64>(0, std::min(n, m_headLen - pos));
        std::memcpy(buf, m_head + pos, size_t(avail));
        return avail;
    }
    return readRaw(pos, buf, n);
}

}  // namespace voxa::music
