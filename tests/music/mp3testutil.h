#pragma once
// Small helpers of the music tests: files with exact bytes and times.
#include "music/mp3maker.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

namespace voxa::test {

inline bool writeBytes(const QString &nativePath, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(nativePath).absolutePath());
    // A fresh file: truncating one that has data makes ext4 flush it first.
    QFile::remove(nativePath);
    QFile f(nativePath);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray readAllBytes(const QString &nativePath)
{
    QFile f(nativePath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool setModified(const QString &nativePath, const QDateTime &when)
{
    struct timespec t[2];
    t[0].tv_sec = t[1].tv_sec = time_t(when.toSecsSinceEpoch());
    t[0].tv_nsec = t[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, QFile::encodeName(nativePath).constData(), t, 0) == 0;
}

// A plain constant-bit-rate MPEG 1 Layer III file at 44100 Hz.
inline QByteArray cbrFile(int kbps = 128, int frames = 8)
{
    Mp3Recipe r;
    r.Kbps = kbps;
    r.Frames = frames;
    return makeMp3(r);
}

inline QByteArray frameHeader(int versionId, int layer, int kbps, int rate = 0, bool padding = false,
                              bool mono = false)
{
    quint8 h[4] = {};
    makeFrameHeader(versionId, layer, kbps, rate, padding, mono, h);
    return QByteArray(reinterpret_cast<const char *>(h), 4);
}

}  // namespace voxa::test
