#pragma once
// Helpers of the directory sort tests: trees of files with distinct content,
// a snapshot of a folder's files, and a file layer that fails on demand.
#include "music/dirsort.h"
#include "support/testdrives.h"

#include <QDirIterator>
#include <QMap>

namespace voxa::test {

// Writes each file below a device folder with its own name as content.
inline bool makeFiles(const QString &folder, const QStringList &relPaths)
{
    for (const QString &rel : relPaths)
        if (!TestDriveTable::writeFile(folder + QLatin1Char('\\') + rel, rel.toUtf8() + "\n"))
            return false;
    return true;
}

inline QStringList numbered(const QString &pattern, int count)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << pattern.arg(i);
    return out;
}

// Every file and folder below a native folder: relative path -> content
// (folders map to "<dir>").
inline QMap<QString, QByteArray> snapshot(const QString &native)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(native, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        const QString rel = QDir(native).relativeFilePath(p);
        if (it.fileInfo().isDir()) {
            out.insert(rel, "<dir>");
        } else {
            QFile f(p);
            out.insert(rel, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
        }
    }
    return out;
}

// The file layer with chosen failures: the n-th rename (counted from 1)
// whose source or target contains a text, folder removals and creations
// of chosen paths, the journal write. The failures are reported by one
// fixed text.
class FailingOps : public SortFileOps {
public:
    QString failRenameContaining;  // with failRenameAt: the n-th matching rename
    int failRenameAt = 0;
    int failRenamesFrom = 0;       // every rename from this one on (0: none)
    QString failRemoveDir;  // native paths
    QString failMakePath;
    QString journalError;
    int renames = 0;
    int matching = 0;
    bool journalSeenAtFirstRename = false;
    QByteArray journalAtFirstRename;
    QString journalNative;

    bool rename(const QString &from, const QString &to) override
    {
        ++renames;
        if (renames == 1 && !journalNative.isEmpty()) {
            QFile f(journalNative);
            journalSeenAtFirstRename = f.open(QIODevice::ReadOnly);
            journalAtFirstRename = journalSeenAtFirstRename ? f.readAll() : QByteArray();
        }
        if (failRenamesFrom > 0 && renames >= failRenamesFrom) {
            errno = EIO;
            return false;
        }
        if (!failRenameContaining.isEmpty()
            && (from.contains(failRenameContaining) || to.contains(failRenameContaining))
            && ++matching == failRenameAt) {
            errno = EBUSY;
            return false;
        }
        return SortFileOps::rename(from, to);
    }
    bool removeDir(const QString &folder) override
    {
        if (!failRemoveDir.isEmpty() && folder == failRemoveDir)
            return false;
        return SortFileOps::removeDir(folder);
    }
    bool makePath(const QString &folder) override
    {
        if (!failMakePath.isEmpty() && folder == failMakePath)
            return false;
        return SortFileOps::makePath(folder);
    }
    QString writeJournal(const QString &path, const QByteArray &bytes) override
    {
        if (!journalError.isEmpty())
            return journalError;
        return SortFileOps::writeJournal(path, bytes);
    }
    QString lastErrorText() override { return QStringLiteral("simulated failure"); }
};

}  // namespace voxa::test
