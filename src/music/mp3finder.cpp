#include "music/mp3finder.h"

#include "music/mp3source.h"
#include "music/mpegaudio.h"
#include "platform/drives.h"
#include "platform/fileops.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <optional>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace voxa {

QString Mp3FullPath(const Mp3FileInfo &f)
{
    const QChar sep = platform::isDevicePath(f.Directory) ? QLatin1Char('\\') : QLatin1Char('/');
    return f.Directory + sep + f.FileName;
}

QByteArray Mp3RealPath(const QByteArray &native)
{
    if (native.isEmpty()) {
        errno = ENOENT;
        return {};
    }
    char buf[PATH_MAX];
    return ::realpath(native.constData(), buf) ? QByteArray(buf) : QByteArray();
}

bool Mp3Inside(const QByteArray &realPath, const QByteArray &realRoot)
{
    if (realRoot.isEmpty() || realRoot == "/")
        return true;
    return realPath == realRoot || (realPath.startsWith(realRoot) && realPath.at(realRoot.size()) == '/');
}

std::optional<QByteArray> Mp3DriveRoot(const QString &folder)
{
    const QString device = platform::isDevicePath(folder) ? folder : platform::toDevice(folder);
    if (device.isEmpty())
        return QByteArray();
    const QString root = platform::driveTable().rootOf(device[0].toUpper());
    if (root.isEmpty())
        return std::nullopt;
    const QByteArray real = Mp3RealPath(QFile::encodeName(root));
    if (real.isEmpty())
        return std::nullopt;
    return real;
}

bool FolderStaysOnDrive(const QString &folder)
{
    const std::optional<QByteArray> bound = Mp3DriveRoot(folder);
    if (!bound)
        return false;
    const QByteArray real = Mp3RealPath(QFile::encodeName(platform::toNative(folder)));
    return !real.isEmpty() && Mp3Inside(real, *bound);
}

struct Mp3Finder::Walk {
    TMPEGaudio reader;
    QChar separator;
    bool stop = false;
    Mp3SearchResult result;
    // Every folder walked so far: one reached again through a link (to a
    // parent, a sibling or itself) is not walked again.
    QSet<QPair<dev_t, ino_t>> walked;
    // The real root of the drive; a folder link leading elsewhere is not
    // entered, so no file off the drive is listed (and then moved or
    // deleted). Empty: no limit.
    QByteArray bound;
    std::function<bool()> jobTick;
};

namespace {

int openDir(const QByteArray &path)
{
    int fd;
    do
        fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The last three characters, upper-cased, are "MP3" or "MP!". The bytes are
// ASCII, and no byte of a longer UTF-8 character can look like them.
bool isMp3Name(const char *name, size_t len)
{
    if (len < 3)
        return false;
    const char *e = name + len - 3;
    return (e[0] == 'M' || e[0] == 'm') && (e[1] == 'P' || e[1] == 'p')
           && (e[2] == '3' || e[2] == '!');
}

// Local time to two seconds, as the player's FAT keeps it. The offset of the
// moment is fixed into the value: building a Qt::LocalTime value asks the
// system for its time zone again each time, which costs more than the stat.
QDateTime localTime(time_t secs)
{
    secs &= ~time_t(1);
    struct tm local {};
    if (!::localtime_r(&secs, &local))
        return QDateTime::fromSecsSinceEpoch(secs);
    return QDateTime::fromSecsSinceEpoch(secs, Qt::OffsetFromUTC, int(local.tm_gmtoff));
}

// A name the system's encoding turns into text and back unchanged. Any
// other name would come back as different bytes, and every file operation
// on the record would miss the file.
bool nameRoundTrips(const char *name, size_t len)
{
    if (std::all_of(name, name + len, [](char c) { return quint8(c) < 0x80; }))
        return true;
    const QByteArray raw(name, qsizetype(len));
    return QFile::encodeName(QFile::decodeName(raw)) == raw;
}

// Reads a tag of the file: incomplete unless it is there with an artist, a
// title and an album.
template <typename Tag>
bool tagIncomplete(Tag &tag, music::Mp3Source &file)
{
    tag.ReadFrom(file);
    return !(tag.Exists && !tag.Artist.isEmpty() && !tag.Title.isEmpty() && !tag.Album.isEmpty());
}

// The names of an open folder in one block, each with its type, read
// through a descriptor of its own so the folder stays open for the walk.
bool readListing(int fd, std::string &names, std::vector<std::pair<size_t, unsigned char>> &entries)
{
    fs::UniqueFd listFd(::dup(fd));
    DIR *dir = listFd.valid() ? ::fdopendir(listFd.get()) : nullptr;
    if (!dir)
        return false;
    listFd.release();  // the folder stream closes it
    while (dirent *e = ::readdir(dir)) {
        entries.emplace_back(names.size(), e->d_type);
        names.append(e->d_name, std::strlen(e->d_name) + 1);
    }
    ::closedir(dir);
    return true;
}

}  // namespace

// A table far larger than the frame's (voxatool scan --limit 0 over a whole
// disk) starts at the frame's size and grows as records arrive.
Mp3Finder::Mp3Finder(int capacity)
    : Mp3FileTable(size_t(std::clamp(capacity, 0, TableSize)) + 1), m_capacity(std::max(capacity, 0))
{
}

Mp3Finder::~Mp3Finder() = default;

bool Mp3Finder::tick(Walk &walk)
{
    bool go = !ProgressTick || ProgressTick();
    if (walk.jobTick)
        go = walk.jobTick() && go;
    if (!go) {
        walk.stop = true;
        walk.result.Cancelled = true;
    }
    return !walk.stop;
}

Mp3SearchRoot Mp3Finder::ResolveRoot(const QString &rootPath) const
{
    QString native;
    QString record;
    if (platform::isDevicePath(rootPath)) {
        native = platform::toNative(rootPath);
        record = rootPath;
        record.replace(QLatin1Char('/'), QLatin1Char('\\'));
        // ".." stops at the root as in the path layer; the records say where
        // the files really are.
        if (record.contains(QLatin1String("..")) || record.contains(QLatin1String("\\.")))
            record = record.left(2) + platform::cleanDevicePath(record).mid(2);
    } else if (!rootPath.isEmpty()) {
        native = QDir::cleanPath(QFileInfo(rootPath).absoluteFilePath());
        if (!KeepNativePaths)
            record = platform::toDevice(native);
        if (record.isEmpty())
            record = native;
    }
    const QChar separator = platform::isDevicePath(record) ? QLatin1Char('\\') : QLatin1Char('/');
    while (record.endsWith(separator))
        record.chop(1);
    if (native.isEmpty())
        return {QByteArray(), record, {}};
    // A drive whose root cannot be found has nothing to stay on: nothing
    // is walked.
    const std::optional<QByteArray> bound = Mp3DriveRoot(record);
    if (!bound)
        return {QByteArray(), record, {}};
    return {QFile::encodeName(native), record, *bound};
}

Mp3SearchResult Mp3Finder::Search(const QString &rootPath)
{
    return Search(ResolveRoot(rootPath));
}

Mp3SearchResult Mp3Finder::Search(const Mp3SearchRoot &root, const std::function<bool()> &jobTick)
{
    auto walk = std::make_unique<Walk>();
    walk->jobTick = jobTick;
    ::tzset();  // once a search: the zone in force now
    FoundCount = 1;
    EntryCount = 0;
    walk->separator = platform::isDevicePath(root.Record) ? QLatin1Char('\\') : QLatin1Char('/');
    if (!root.Native.isEmpty()) {
        // The walk goes by real paths, so a link in the start folder's own
        // path is resolved once, here, and checked like any other.
        QByteArray start = root.Native;
        walk->bound = root.Bound;
        if (!root.Bound.isEmpty()) {
            start = Mp3RealPath(root.Native);
            if (!start.isEmpty() && !Mp3Inside(start, root.Bound)) {
                walk->result.OffDrive = true;
                start.clear();
            }
        }
        if (!start.isEmpty())
            scan(*walk, start, root.Record);
    }
    filterPass();
    if (FindFilter.Extend)
        extensionPass();
    return walk->result;
}

// Opens a folder the walk has not been in yet and takes it into the walk;
// an invalid descriptor for one that cannot be opened or was walked before.
fs::UniqueFd Mp3Finder::enterFolder(Walk &walk, const QByteArray &nativeDir)
{
    fs::UniqueFd fd(openDir(nativeDir));
    struct stat self {};
    if (!fd.valid() || ::fstat(fd.get(), &self) != 0)
        return {};
    const QPair<dev_t, ino_t> id(self.st_dev, self.st_ino);
    if (walk.walked.contains(id))
        return {};
    if (walk.walked.isEmpty())
        walk.result.RootListed = true;
    walk.walked.insert(id);
    return fd;
}

void Mp3Finder::scan(Walk &walk, const QByteArray &nativeDir, const QString &recordDir)
{
    fs::UniqueFd fd = enterFolder(walk, nativeDir);
    if (!fd.valid())
        return;
    // The whole listing first, so that only one folder is open at a time
    // however deep the tree.
    std::string names;
    std::vector<std::pair<size_t, unsigned char>> entries;
    if (!readListing(fd.get(), names, entries))
        return;
    const QByteArray prefix = nativeDir.endsWith('/') ? nativeDir : nativeDir + '/';
    for (const auto &[offset, type] : entries) {
        if (walk.stop)
            break;
        scanEntry(walk, fd, {nativeDir, prefix, recordDir}, names.c_str() + offset, type);
    }
}

// One entry of a folder: a folder is walked at once (depth first), an MP3
// file becomes a record. Every way that ends the walk sets walk.stop.
void Mp3Finder::scanEntry(Walk &walk, fs::UniqueFd &fd, const Folder &folder, const char *name, unsigned char type)
{
    const size_t len = std::strlen(name);
    const bool dots = std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
    // Built only when needed: most entries are never shown.
    const auto shown = [&] {
        return folder.record + walk.separator + QFile::decodeName(QByteArray(name, qsizetype(len)));
    };

    struct stat st {};
    bool statted = false;
    bool isDir = type == DT_DIR;
    bool isLink = type == DT_LNK;
    if (type == DT_UNKNOWN && fd.valid() && ::fstatat(fd.get(), name, &st, AT_SYMLINK_NOFOLLOW) == 0)
        isLink = S_ISLNK(st.st_mode);
    if (type == DT_UNKNOWN || isLink) {
        statted = fd.valid() && ::fstatat(fd.get(), name, &st, 0) == 0;
        isDir = statted && S_ISDIR(st.st_mode);
    }
    const bool nameOk = dots || nameRoundTrips(name, len);
    if (isDir && !dots && !nameOk) {
        walk.result.LeftOut << shown();
    } else if (isDir && !dots) {
        QByteArray sub = folder.prefix + QByteArray(name, qsizetype(len));
        // A folder link is followed to its real place, and only when
        // that lies on the drive.
        if (isLink && !walk.bound.isEmpty()) {
            sub = Mp3RealPath(sub);
            if (!Mp3Inside(sub, walk.bound))
                sub.clear();
        }
        // Depth first: the folder is walked before the next entry.
        if (!sub.isEmpty()) {
            fd.reset();
            scan(walk, sub, shown());
            fd.reset(openDir(folder.native));
        }
        if (walk.stop)
            return;
    }
    ++EntryCount;
    if (EntryCount % EntriesPerTick == 0 && !tick(walk))
        return;
    if (isDir || !isMp3Name(name, len))
        return;
    // A listing that says "regular file" needs no second look here.
    if (!statted && type != DT_REG)
        statted = fd.valid() && ::fstatat(fd.get(), name, &st, 0) == 0;
    if (statted && S_ISDIR(st.st_mode))
        return;
    if (!nameOk) {
        walk.result.LeftOut << shown();
        return;
    }
    if (FoundCount > m_capacity) {
        walk.result.TableFull = true;
        walk.stop = true;
        return;
    }
    addRecord(walk, fd.get(), folder.record, name, statted ? &st : nullptr);
}

// Fills the next record of the table for an MP3 file of an open folder;
// status is its status when already known.
void Mp3Finder::addRecord(Walk &walk, int fd, const QString &recordDir, const char *name,
                          const struct stat *status)
{
    const size_t len = std::strlen(name);
    struct stat st {};
    if (status)
        st = *status;
    const bool statted = status != nullptr;
    // The kinds that read the file open it first and take its date and
    // size from the open file: one lookup of the name instead of two.
    const FindKind kind = FindFilter.SearchKind;
    std::optional<music::Mp3Source> file;
    qint64 mtime = statted ? qint64(st.st_mtim.tv_sec) : 0;
    qint64 size = statted ? qint64(st.st_size) : 0;
    bool known = statted;
    if (kind != FindKind::All && kind != FindKind::Marked) {
        file.emplace(fd, name);
        if (file->isOpen()) {
            mtime = file->modifiedSecs();
            size = file->size();
            known = true;
        }
    }
    if (!known && fd >= 0 && ::fstatat(fd, name, &st, 0) == 0) {
        if (S_ISDIR(st.st_mode))
            return;
        mtime = qint64(st.st_mtim.tv_sec);
        size = qint64(st.st_size);
        known = true;
    }

    if (size_t(FoundCount) >= Mp3FileTable.size())
        Mp3FileTable.resize(std::min(Mp3FileTable.size() * 2, size_t(m_capacity) + 1));
    Mp3FileInfo &f = Mp3FileTable[size_t(FoundCount)];
    f.Directory = recordDir;
    f.FileName = QFile::decodeName(QByteArray(name, qsizetype(len)));
    f.Marked = name[len - 1] == '!';
    f.Date = known ? localTime(time_t(mtime)) : QDateTime();
    f.Size = known ? size : 0;
    f.ModifiedSecs = known ? mtime : -1;
    f.Moved = false;
    // A file that cannot be opened reads as no tag and no frame.
    switch (kind) {
    case FindKind::IncompleteID3v1:
        f.ID3v1Incomplete = tagIncomplete(walk.reader.ID3v1(), *file);
        break;
    case FindKind::IncompleteID3v2:
        f.ID3v2Incomplete = tagIncomplete(walk.reader.ID3v2(), *file);
        break;
    case FindKind::Bitrate:
        // Only the bit rate is kept, so the tag texts are not read.
        walk.reader.ReadFrom(*file, false);
        f.Bitrate = walk.reader.BitRate();
        break;
    default:
        break;
    }
    f.Selected = true;
    ++FoundCount;
    if (FoundCount % RecordsPerTick == 0)
        tick(walk);
}

void Mp3Finder::filterPass()
{
    const TFindFilter &flt = FindFilter;
    for (int i = 1; i < FoundCount; ++i) {
        Mp3FileInfo &f = Mp3FileTable[size_t(i)];
        switch (flt.SearchKind) {
        case FindKind::Marked: f.Selected = f.Marked; break;
        case FindKind::IncompleteID3v1: f.Selected = f.ID3v1Incomplete; break;
        case FindKind::IncompleteID3v2: f.Selected = f.ID3v2Incomplete; break;
        case FindKind::Bitrate: f.Selected = CompareWith(flt.BitrateOp, int(f.Bitrate), flt.Bitrate); break;
        case FindKind::All: break;
        }
        // A record without a date is an entry that could not be read (a
        // dangling link): its date and size are unknown, so neither filter
        // selects it.
        const bool known = f.Date.isValid();
        if (flt.DateFilter && f.Selected)
            f.Selected = known && CompareWith(flt.DateOp, f.Date.date(), flt.Date);
        if (flt.SizeFilter && f.Selected)
            f.Selected = known && CompareWith(flt.SizeOp, f.Size, qint64(flt.SizeLimit));
    }
}

void Mp3Finder::extensionPass()
{
    // A selected record selects every record of exactly the same directory;
    // subdirectories are other directories.
    QSet<QString> dirs;
    for (int i = 1; i < FoundCount; ++i)
        if (Mp3FileTable[size_t(i)].Selected)
            dirs.insert(Mp3FileTable[size_t(i)].Directory);
    for (int i = 1; i < FoundCount; ++i)
        if (dirs.contains(Mp3FileTable[size_t(i)].Directory))
            Mp3FileTable[size_t(i)].Selected = true;
}

QList<Mp3FileInfo> Mp3Finder::SelectedRecords() const
{
    QList<Mp3FileInfo> out;
    for (int i = 1; i < FoundCount; ++i)
        if (Mp3FileTable[size_t(i)].Selected)
            out.append(Mp3FileTable[size_t(i)]);
    return out;
}

Mp3Finder &theMp3Finder()
{
    static Mp3Finder finder;
    return finder;
}

}  // namespace voxa
