#pragma once
// File operations on the player's drive and elsewhere. Every function takes a
// device path ("E:\voxa\a.cfg") or a native path; device paths are resolved
// without regard to letter case (see paths.h). Results are plain values; no
// function throws or shows anything.
#include <QDateTime>
#include <QList>
#include <QString>

namespace voxa::fs {

struct Entry {
    QString name;
    bool isDir = false;
    bool readOnly = false;
    bool hidden = false;  // the name starts with "."
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
// the FAT read-only attribute.
bool isReadOnly(const QString &path);
bool clearReadOnly(const QString &path);
bool setReadOnly(const QString &path);

// Rename or move a file or a folder within one volume; fails rather than
// overwrite an existing target.
bool rename(const QString &from, const QString &to);
bool removeFile(const QString &path);
bool makePath(const QString &folder);
// Removes an empty folder only.
bool removeDir(const QString &folder);
qint64 freeSpace(const QString &path);  // -1 when unknown

// The system's text for the last failed operation of this thread.
QString lastErrorText();

// The process's working folder in device form when it lies on a known drive,
// else native.
QString currentFolder();

}  // namespace voxa::fs
