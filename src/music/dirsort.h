#pragma once
// The directory sort: the player plays a folder in the order its entries are
// stored, and a FAT folder stores them in creation order. Sorting moves the
// whole subtree, in sorted order, into voxa\Temp on the same drive (so the
// entries are created afresh in that order) and renames the rebuilt folder
// back. The journal voxa\Temp\Sort.dat names the folder being sorted from
// just before the first move until the sort or its roll-back has finished,
// so an interrupted sort can be rolled back at the next start.
//
// Nothing here shows anything or touches a widget. A sort is planned first
// (PlanSort: the sorted tree and the list of moves, which can be shown) and
// then run (RunSort) with a progress callback; sortjob.h runs it on a worker
// thread. Paths are device paths ("E:\music\rock"); the moves themselves use
// the native paths resolved once by the plan (platform::DevicePath).
#include "platform/fileops.h"
#include "platform/paths.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace voxa {

// ------------------------------------------------------------ file layer

// The file operations the sort uses, so that tests can make one of them fail.
// Paths are native or device paths, as for voxa::fs.
class SortFileOps {
public:
    virtual ~SortFileOps() = default;
    virtual QList<fs::Entry> listDir(const QString &folder, bool *ok);
    virtual bool isDir(const QString &path);
    virtual bool exists(const QString &path);
    virtual bool rename(const QString &from, const QString &to);
    virtual bool makePath(const QString &folder);
    virtual bool removeDir(const QString &folder);
    virtual bool removeFile(const QString &path);
    // Writes the journal whole, never over an existing one, and flushes it
    // and its folder to the disk; empty on success, else the system's text.
    virtual QString writeJournal(const QString &path, const QByteArray &bytes);
    // Flushes the whole file system that holds the folder (before the
    // journal goes, so no rename it stood for can be lost after it).
    virtual bool syncDrive(const QString &folder);
    // The system's text of the last failure.
    virtual QString lastErrorText();
};
SortFileOps &defaultSortFileOps();

// ------------------------------------------------------------ name order

// Both names are lower-cased (A-Z only), the accented vowels of the
// Windows-1250 code page are replaced (á by b, é by g, í by l, ó by s, ö by t,
// ő by u, ú by "|", ü by "}", ű by "~", small and capital), and the results
// are compared as unsigned code-page bytes. A character the code page lacks
// compares after every byte, by its code point, so distinct names never
// compare equal by accident. Returns <0, 0 or >0.
int CompareSortNames(QStringView a, QStringView b);

// Groups inside a sorted folder, in their order. The kind of a file is the
// last three characters of its name, in any letter case.
enum class SortGroup { Directory, Mp3, M3u, Other };
SortGroup SortGroupOf(QStringView name, bool isDir);

// ------------------------------------------------------------ qualification

// Whether a folder may be sorted: counting in listing order, each subfolder
// and each MP3 or M3U file counts 1, and the folder qualifies when the count
// passes 100 or a subfolder (checked while the count is at most 100)
// qualifies itself.
bool DirectoryQualifies(const platform::DevicePath &dir, SortFileOps &ops = defaultSortFileOps());

// ------------------------------------------------------------ the tree

struct TSortNode {
    QString Name;        // the entry's name as stored
    bool IsDir = false;
    QList<TSortNode> Entries;  // of a folder, without "." and ".."
};

// The tree below dir in stored entry order. False (with *error) when a
// folder of it cannot be listed.
bool ListSortTree(const platform::DevicePath &dir, TSortNode &root, QString *error = nullptr,
                  SortFileOps &ops = defaultSortFileOps());

// The tree in sorted order: in each folder the subfolders, then the MP3
// files, then the M3U files, then all other files, each group in name order;
// of two entries that compare equal, the one listed later comes first.
TSortNode SortedTree(const TSortNode &listed);
int CountFiles(const TSortNode &tree);

// ------------------------------------------------------------ the plan

struct SortStep {
    enum class Kind {
        MakeDir,    // create To
        MoveFile,   // rename From to To
        RemoveDir,  // remove the emptied From
        MoveBack,   // rename the rebuilt folder From to the sorted folder To
    };
    Kind kind = Kind::MakeDir;
    platform::DevicePath From;
    platform::DevicePath To;
};

enum class PlanProblem {
    None,
    NotOnDrive,        // not a device path of a known drive
    NotFound,          // no such folder
    HoldsWorkFolder,   // the drive's root, voxa, or a folder inside voxa\Temp
    BadName,           // a path the journal cannot hold
    Unreadable,        // a folder of the tree cannot be listed
    JournalPresent,    // an interrupted sort waits for its roll-back
    WorkFolderBusy,    // voxa\Temp\<name> exists already
    DriveBusy,         // another sort or roll-back runs on the drive
};

struct SortPlan {
    PlanProblem Problem = PlanProblem::None;
    QString Detail;       // the path or system text behind Problem
    platform::DevicePath Directory;   // "E:\music", spelt as stored
    platform::DevicePath WorkFolder;  // "E:\voxa\Temp"
    platform::DevicePath Rebuilt;     // "E:\voxa\Temp\music"
    platform::DevicePath Journal;     // "E:\voxa\Temp\Sort.dat"
    TSortNode Listed;     // the tree as stored now
    TSortNode Sorted;     // the tree as it will be stored
    int FileCount = 0;
    QList<SortStep> Steps;  // the moves, in the order they are made
    bool ok() const { return Problem == PlanProblem::None; }
};

// Plans the sort of a folder of a drive. Does not check the qualification
// (see DirectoryQualifies) and moves nothing. A drive on which another sort
// or roll-back runs (in this program or another) is refused as DriveBusy.
SortPlan PlanSort(const platform::DevicePath &dir, SortFileOps &ops = defaultSortFileOps());

// A line for a plan problem, for voxatool and logs (the frame shows its own
// message-table texts).
QString PlanProblemText(const SortPlan &plan);

// ------------------------------------------------------------ running

struct SortProgress {
    enum class Phase { Sorting, RollingBack };
    Phase phase = Phase::Sorting;
    int counter = 0;  // files moved out so far (rolling back: still out)
    int total = 0;    // files of the tree; 0 at a start-up roll-back
    // counter * 100 / total, truncated; 0 without a total.
    int percent() const;
    // "Sorting: 57%" / "Rolling Back: 57%" from the message table.
    QString caption() const;
};
using SortProgressFn = std::function<void(const SortProgress &)>;

enum class SortResult {
    Sorted,            // the folder is sorted; journal and voxa\Temp are gone
    NotStarted,        // the plan was refused, or the journal could not be
                       // written: nothing was moved
    RolledBack,        // a move failed (or cancel) and every file is back
    RollBackFailed,    // files stay in voxa\Temp; the journal stays
};

struct SortOutcome {
    SortResult Result = SortResult::NotStarted;
    QString Directory;    // the folder sorted or rolled back into
    QString WorkFolder;   // voxa\Temp of the drive
    // Why the sort rolled back: the path of the file that could not be
    // moved, or the system's text and " [" folder "]". Empty after a cancel
    // and at a start-up roll-back.
    QString LastError;
    // Not started: the plan's problem, or when the journal could not be
    // written, the system's text and " \"Temp\" or \"sort.dat\"."
    QString StartError;
    // Why the roll-back failed (same form as LastError).
    QString RollBackError;
    bool Cancelled = false;
    bool NoJournal = false;  // a roll-back found no journal: nothing to do
    int Files = 0;        // files in the tree
    int MovedOut = 0;     // files moved into voxa\Temp
    int MovedBack = 0;    // files moved back by the roll-back
};

// Runs a plan: takes the drive's sort lock, removes unfinished copies of an
// earlier journal, writes the journal (flushed to the disk before the first
// move), makes the moves, renames the rebuilt folder back, syncs the drive,
// deletes the journal and voxa\Temp. On a failed move, or when *cancel
// becomes true between two files, it rolls back. Progress is called on the
// running thread after every moved file. Refuses (NotStarted) a plan with a
// problem, a drive on which another sort or roll-back runs, and a drive that
// holds a journal already. The lock is held until it returns.
SortOutcome RunSort(const SortPlan &plan, const SortProgressFn &progress = {},
                    const std::atomic_bool *cancel = nullptr,
                    SortFileOps &ops = defaultSortFileOps());

// The texts a sort shows, from the message table:
// "There was an error while sorting. Trying to roll back. (<last error>) "
QString SortErrorText(const QString &lastError);
// "There was some error while trying to roll back. You can find your files
// in  E:\voxa\Temp directory and you can move them back."
QString RollBackFailureText(QChar drive);
// The system's text and " \"Temp\" or \"sort.dat\"." when the journal could
// not be written.
QString JournalFailureText(const QString &systemText);
// Why a second sort or roll-back on a drive is refused.
QString DriveBusyText(QChar drive);

// ------------------------------------------------------------ the drive lock

// One sort or roll-back per drive at a time, across threads and programs:
// a lock on the drive's root folder, held by RunSort and RollBackSort while
// they run, dropped by the system when a program ends however it ends.
// Taken: *lock holds it. Otherwise *why says why (busy, or the system's
// text).
bool LockSortDrive(QChar drive, fs::FolderLock &lock, QString *why = nullptr);
// Whether another sort or roll-back holds the drive now.
bool SortDriveBusy(QChar drive);

// ------------------------------------------------------------ journal

QString SortWorkFolder(QChar drive);   // "E:\voxa\Temp"
QString SortJournalPath(QChar drive);  // "E:\voxa\Temp\Sort.dat"
bool SortJournalExists(QChar drive);

// The journal's bytes: the full path, CR LF, in the Windows-1250 code page;
// a path the code page cannot hold is written in UTF-8 after a byte-order
// mark, which no code-page path can begin with.
QByteArray EncodeSortJournal(const QString &dir);

inline constexpr qint64 SortJournalMaxBytes = 32 * 1024;

struct SortJournal {
    bool Valid = false;
    QString Error;       // why not valid
    QString Written;     // the first line as written, "E:\music"
    QString Relative;    // below the drive: "music"
};
// Reads the first line of a journal's bytes, ended by CR or LF; refuses a
// line without its end (cut short, it might name another folder), an empty
// line, control characters, a path that is not
// letter, ":\" and a relative path, "." or ".." or empty components, a path
// holding voxa\Temp (or lying inside it), and more than SortJournalMaxBytes.
SortJournal ParseSortJournal(QByteArrayView bytes);
// Reads voxa\Temp\Sort.dat of a drive (a regular file only).
SortJournal ReadSortJournal(QChar drive);

// The folder a journal names, on the drive that holds the journal: the
// letter written in the journal is ignored, since it may have changed since
// the interruption.
QString JournalDirectoryOn(const SortJournal &journal, QChar drive);
// The native path of a folder of a drive exactly as spelt, each name as
// written: the journal holds the names as stored, and on a case-sensitive
// drive "music" and "MUSIC" are two folders.
QString ExactNativePath(QChar drive, const QString &relative);

// An unfinished copy of the journal ("Sort.dat." and a few letters or
// digits), left when a program was killed while writing it.
bool IsJournalLeftover(const QString &name);

// The roll-back of an interrupted sort on a drive (the start-up resume, and
// voxatool rollback): takes the drive's sort lock, removes unfinished copies
// of the journal, moves every file of voxa\Temp\<name> back into the folder
// the journal names (exactly as spelt, never into a folder whose name
// differs only in letter case), on this drive, syncs the drive, then deletes
// the journal and voxa\Temp. When the journal cannot be read, or names no
// folder in voxa\Temp, the roll-back succeeds only if voxa\Temp holds
// nothing but the journal (there is nothing to lose); otherwise it fails and
// keeps the journal. Result is RolledBack (NoJournal when there was none),
// RollBackFailed, or NotStarted (StartError) when another sort or roll-back
// holds the drive.
SortOutcome RollBackSort(QChar drive, const SortProgressFn &progress = {},
                         SortFileOps &ops = defaultSortFileOps());

// ------------------------------------------------------------ play order

// The MP3 files of a folder in the order the player plays them: depth first,
// each folder in its stored entry order, now and after sorting. Paths are
// relative to the folder, joined with "\".
struct PlayOrder {
    QStringList Now;
    QStringList Sorted;
};
PlayOrder PlayOrderOf(const TSortNode &listed);
bool ComputePlayOrder(const platform::DevicePath &dir, PlayOrder &order, QString *error = nullptr,
                      SortFileOps &ops = defaultSortFileOps());

}  // namespace voxa
