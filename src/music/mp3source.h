#pragma once
// Read-only access to one file for the MP3 readers: opened once, read by
// position. The first block of the file is read in one go and kept, so that
// the tag header, the tag frames and the first frame window usually cost a
// single read; everything else is read where it lies. Never reads outside
// the file.
#include "platform/fileops.h"

#include <QByteArray>
#include <QString>

namespace voxa::music {

class Mp3Source {
public:
    // A device path ("E:\music\a.mp3") or a native one.
    explicit Mp3Source(const QString &path);
    // A native path as the file system spells it.
    explicit Mp3Source(const char *nativePath);
    // A name in an open folder, so that the walk need not spell whole paths.
    Mp3Source(int dirFd, const char *name);
    ~Mp3Source();
    Mp3Source(const Mp3Source &) = delete;
    Mp3Source &operator=(const Mp3Source &) = delete;

    bool isOpen() const { return m_fd.valid(); }
    qint64 size() const { return m_size; }
    // Last modification, seconds since the epoch (as the open file says).
    qint64 modifiedSecs() const { return m_mtime; }
    // Reads up to n bytes at pos into buf; fewer at the end of the file.
    // Returns the number of bytes read, or -1 on an input/output error.
    qint64 readAt(qint64 pos, char *buf, qint64 n);

    static constexpr qint64 HeadSize = 8192;

private:
    void open(int dirFd, const char *path);
    bool loadHead();
    qint64 readRaw(qint64 pos, char *buf, qint64 n);

    fs::UniqueFd m_fd;
    qint64 m_size = -1;
    qint64 m_mtime = 0;
    qint64 m_headLen = -1;  // -1: not read yet
    char m_head[HeadSize];
};

// The big-endian 32-bit number at p, as the tag and VBR headers store them.
inline quint32 bigEndian32(const void *p)
{
    const auto *b = static_cast<const quint8 *>(p);
    return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | quint32(b[3]);
}

}  // namespace voxa::music
