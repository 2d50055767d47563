#pragma once
// The MP3 finder: walks a folder and every folder below it, depth first in
// the file system's own entry order, collects every MP3 file (and every file
// the player has marked, "*.MP!") into one table, and then marks which
// records pass the search criteria.
//
// Records keep the player's path form (E:\music\rock) when the search starts
// from a drive; the walk itself runs on native paths.
#include "platform/fileops.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct stat;

namespace voxa {

class TMPEGaudio;

struct Mp3FileInfo {
    QString Directory;            // without a closing separator: E:\music\rock
    bool Marked = false;          // the name ends with "!"
    QString FileName;             // as listed, without path
    bool ID3v1Incomplete = false; // written by a search for incomplete ID3v1 tags only
    bool ID3v2Incomplete = false; // written by a search for incomplete ID3v2 tags only
    quint16 Bitrate = 0;          // kbit/s; written by a bit-rate search only
    QDateTime Date;               // last modification, local time (with its offset), even seconds
    qint64 Size = 0;              // bytes
    bool Selected = false;        // passes the criteria
    // The modification time in whole seconds, as found; -1 when the entry
    // could not be read. With Size it tells the file found from another
    // one put at its path later: no file operation takes the other one.
    qint64 ModifiedSecs = -1;
    // The file was moved to the quarantine: Directory says where it went,
    // and no file operation takes the record any more.
    bool Moved = false;
};

// Directory + "\" + name; "/" for records held in native form.
QString Mp3FullPath(const Mp3FileInfo &f);

// The items of the kind list, by position.
enum class FindKind { All = 0, Marked = 1, IncompleteID3v1 = 2, IncompleteID3v2 = 3, Bitrate = 4 };

struct TFindFilter {
    FindKind SearchKind = FindKind::All;
    char BitrateOp = '=';   // "=", ">" or "<"
    int Bitrate = 0;        // kbit/s
    bool DateFilter = false;
    char DateOp = '=';
    QDate Date;             // only the day counts
    bool SizeFilter = false;
    char SizeOp = '>';
    qint32 SizeLimit = 0;   // bytes
    bool Extend = false;    // extend to the whole directory
};

// "<" less, "=" equal, ">" greater; any other operator gives false.
template <typename T>
bool CompareWith(char op, const T &a, const T &b)
{
    switch (op) {
    case '<': return a < b;
    case '=': return a == b;
    case '>': return b < a;
    default: return false;
    }
}

struct Mp3SearchResult {
    bool RootListed = false;  // the start folder could be read
    // More MP3 files than the table holds: the scan stopped at the first
    // one that did not fit; the table holds the first ones found.
    bool TableFull = false;
    bool Cancelled = false;   // the progress tick asked to stop
    // The start folder lies off its drive (reached through a link leading
    // elsewhere): nothing was searched.
    bool OffDrive = false;
    // Files and folders whose names the system's encoding cannot spell (a
    // FAT disk mounted with another character set): no file operation
    // could reach them under the name shown, so they are left out. The
    // names as shown, for a warning.
    QStringList LeftOut;
};

// Where a search starts: the folder as the file system spells it, and the
// directory text its records get (E:\music, or the native folder).
struct Mp3SearchRoot {
    QByteArray Native;  // empty: no such drive
    QString Record;
    // The real root of the drive the search stays on: a folder link is
    // entered only when its resolved target lies below it. Empty for a
    // folder on no drive.
    QByteArray Bound;
};

// The real (fully resolved) native root of the drive that holds a folder: a
// device path's own drive, or the drive a native folder lies on. An empty
// value for a native folder on no drive (there is nothing to stay on);
// nothing for an unknown drive letter.
std::optional<QByteArray> Mp3DriveRoot(const QString &folder);
// The fully resolved native path, or empty (errno tells why).
QByteArray Mp3RealPath(const QByteArray &native);
// A real path at or below a real root; an empty root holds everything.
bool Mp3Inside(const QByteArray &realPath, const QByteArray &realRoot);
// The folder (a device path) really lies on its own drive: no link on its
// way leads elsewhere.
bool FolderStaysOnDrive(const QString &folder);

class Mp3Finder {
public:
    static constexpr int TableSize = 5000;
    static constexpr int EntriesPerTick = 800;
    static constexpr int RecordsPerTick = 10;

    explicit Mp3Finder(int capacity = TableSize);
    ~Mp3Finder();

    // Runs the whole search below rootPath (a device path such as
    // "E:\music", or a native folder) and leaves the results in the table:
    // records 1 to FoundCount - 1, those with Selected set pass. A native
    // folder inside a known drive is recorded in device form, one outside
    // every drive (or with KeepNativePaths) in native form.
    Mp3SearchResult Search(const QString &rootPath);
    // The two halves of that: resolving the start folder asks the drive
    // table, so a search on a worker thread resolves it first on the
    // thread that owns the table, then runs the walk, which touches
    // nothing but the file system and this finder.
    Mp3SearchRoot ResolveRoot(const QString &rootPath) const;
    // jobTick, when given, runs at each tick after ProgressTick, so a job
    // can watch the walk without changing the finder; false stops it too.
    Mp3SearchResult Search(const Mp3SearchRoot &root, const std::function<bool()> &jobTick = {});

    int Capacity() const { return m_capacity; }
    // Records 1 to FoundCount - 1 whose Selected flag is set, in order.
    QList<Mp3FileInfo> SelectedRecords() const;

    // Indices 1 to FoundCount - 1 (at most Capacity(); the table grows as
    // records arrive); index 0 is not used. Fields a search does not
    // write keep what an earlier search left.
    std::vector<Mp3FileInfo> Mp3FileTable;
    int FoundCount = 1;   // the next free index
    int EntryCount = 0;   // directory entries looked at, "." and ".." included
    TFindFilter FindFilter;
    // Called every 800 entries and every 10 records, on the thread that runs
    // the search; the frame advances its indicator there. Returning false
    // stops the scan (the records so far are still filtered).
    std::function<bool()> ProgressTick;
    bool KeepNativePaths = false;

private:
    struct Walk;
    // A folder being walked: its native path, that path with a closing
    // "/", and the directory text its records get.
    struct Folder {
        const QByteArray &native;
        const QByteArray &prefix;
        const QString &record;
    };
    fs::UniqueFd enterFolder(Walk &walk, const QByteArray &nativeDir);
    void scan(Walk &walk, const QByteArray &nativeDir, const QString &recordDir);
    void scanEntry(Walk &walk, fs::UniqueFd &fd, const Folder &folder, const char *name, unsigned char type);
    void addRecord(Walk &walk, int fd, const QString &recordDir, const char *name, const struct stat *status);
    bool tick(Walk &walk);
    void filterPass();
    void extensionPass();

    int m_capacity;
};

// The table the find and export frame uses, one for the whole run.
Mp3Finder &theMp3Finder();

}  // namespace voxa
