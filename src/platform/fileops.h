#pragma once
// File operations on the player's drive and elsewhere. Every function takes a
// device path ("E:\voxa\a.cfg") or a native path; device paths are resolved
// without regard to letter case (see paths.h). Results are plain values; no
// function throws or shows anything.
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace voxa::fs {

struct Entry {
    QString name;
    bool isDir = false;
    bool readOnly = false;
    bool hidden = false;  // the name starts with "."
    bool isLink = false;  // a symbolic link (isDir tells what it points to)
    qint64 size = 0;
    QDateTime modified;   // local time
};

// The entries of a folder in the file system's own order (the order the
// player plays them in on FAT), without "." and "..". Empty when the folder
// cannot be read; *ok tells the two apart.
QList<Entry> listDir(const QString &folder, bool *ok = nullptr);

bool exists(const QString &path);
bool isDir(const QString &path);
bool isFile(const QString &path);
qint64 fileSize(const QString &path);  // -1 when missing
QDateTime modified(const QString &path);

// Read-only means no write permission for anyone, which is how Linux shows
// the FAT read-only attribute. Clearing and setting change the entry itself
// and refuse a symbolic link (lastErrorText() then gives symbolicLinkText()),
// so a link on the drive never changes a file elsewhere.
bool isReadOnly(const QString &path);
bool clearReadOnly(const QString &path);
bool setReadOnly(const QString &path);
// The one step before a file is overwritten: a read-only file gets its flag
// cleared, anything else (writable, missing) is left alone. False only when
// a flag was there and could not be cleared.
bool makeWritable(const QString &path);

// Rename or move a file or a folder within one volume; fails rather than
// overwrite an existing target.
bool rename(const QString &from, const QString &to);
bool removeFile(const QString &path);
bool makePath(const QString &folder);
// Removes an empty folder only.
bool removeDir(const QString &folder);
// Flushes a folder's entries to the disk, so that files created, renamed or
// removed in it survive a power loss.
bool flushFolder(const QString &folder);
// Bytes an ordinary user may still write on the volume that holds the
// folder path (statvfs of that folder alone); -1 when unknown.
qint64 freeSpace(const QString &path);
// Tests: while set, a value the stand-in gives for a path is freeSpace's
// answer (the made-up sizes of a test drive); nullopt asks the system.
void setFreeSpaceStandIn(std::function<std::optional<qint64>(const QString &path)> standIn);

// Writes bytes as the whole new content of a file: a temporary file beside
// it, flushed to the disk, then renamed over the old one, so a crash or a
// pulled cable leaves either the old file or the new one. A read-only target
// is refused, and so is a target that is a symbolic link (symbolicLinkText()):
// nothing is written to where it points. A new file gets the usual mode (0666
// less the umask), a replaced one keeps its own. Returns an empty string on
// success, otherwise the system's text of the failure ("No space left on
// device"). Every file the programs write whole goes through here.
QString writeWholeFile(const QString &path, const QByteArray &bytes);

// The text for a symbolic link that a write or a change of flags refused.
QString symbolicLinkText();

// Reads at most maxBytes from the start of a regular file. Anything else (a
// folder, a pipe, a device) is refused at once without blocking, so a reader
// never waits on a pipe or streams /dev/zero for ever. Pass the size limit
// plus one to tell an oversized file from one that fits. On failure returns
// nothing and *error (when given) holds the system's text.
std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes,
                                          QString *error = nullptr);

// True when the path names a regular file (following links), so readers
// can refuse pipes and devices before opening them.
bool isRegularFile(const QString &path);

// The text readRegularFile gives for something that is not a regular file.
QString notRegularFileText();

// The system's text for the last failed operation of this thread.
QString lastErrorText();

// The process's working folder in device form when it lies on a known drive,
// else native.
QString currentFolder();

// Writes a new file whole, as writeWholeFile does, but never replaces one:
// fails with the system's "File exists" when the file is there, also when it
// appears while the bytes are being written.
QString writeNewFile(const QString &path, const QByteArray &bytes);

// Flushes everything written to the file system that holds path, so that a
// power loss cannot keep a later change (a deleted journal) and lose an
// earlier one (the renames it stood for).
bool syncFileSystem(const QString &path);

// An open descriptor, closed once on every way out.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { close(); }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    UniqueFd(UniqueFd &&o) noexcept : m_fd(o.release()) {}
    UniqueFd &operator=(UniqueFd &&o) noexcept
    {
        reset(o.release());
        return *this;
    }
    void reset(int fd = -1)
    {
        close();
        m_fd = fd;
    }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // 0 on success (or when nothing was open), else the errno of the failed
    // close, which may report a write the disk refused.
    int close();

private:
    int m_fd = -1;
};

// An exclusive lock on a folder, between processes and within one process,
// taken without waiting and held until release() or destruction; the system
// drops it when the process ends, however it ends. Where the folder's file
// system cannot lock (some network file systems), a file in the user's
// runtime folder, named after the folder's device and inode, is locked
// instead, which still excludes the programs of this computer.
class FolderLock {
public:
    enum class Result { Taken, Busy, Failed };

    FolderLock() = default;
    ~FolderLock() { release(); }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // Failed: the folder cannot be opened or locked (lastErrorText tells why).
    Result tryLock(const QString &folder);
    void release();
    bool isHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace voxa::fs
