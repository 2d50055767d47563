#include "music/mp3finder.h"

#include "music/mp3source.h"
#include "music/mpegaudio.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
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

struct Mp3Finder::Walk {
    TMPEGaudio reader;
    QChar separator;
    bool stop = false;
    Mp3SearchResult result;
    // The folders being walked, so that a link back to one of them is not
    // followed round and round.
    std::vector<std::pair<dev_t, ino_t>> open;
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

}  // namespace

Mp3Finder::Mp3Finder(int capacity) : Mp3FileTable(size_t(std::max(capacity, 0)) + 1), m_capacity(std::max(capacity, 0))
{
}

Mp3Finder::~Mp3Finder() = default;

bool Mp3Finder::tick(Walk &walk)
{
    if (ProgressTick && !ProgressTick()) {
        walk.stop = true;
        walk.result.Cancelled = true;
    }
    return !walk.stop;
}

Mp3SearchResult Mp3Finder::Search(const QString &rootPath)
{
    auto walk = std::make_unique<Walk>();
    ::tzset();  // once a search: the zone in force now
    FoundCount = 1;
    EntryCount = 0;

    QString native;
    QString record;
    if (platform::isDevicePath(rootPath)) {
        native = platform::toNative(rootPath);
        record = rootPath;
        record.replace(QLatin1Char('/'), QLatin1Char('\\'));
    } else if (!rootPath.isEmpty()) {
        native = QDir::cleanPath(QFileInfo(rootPath).absoluteFilePath());
        if (!KeepNativePaths)
            record = platform::toDevice(native);
        if (record.isEmpty())
            record = native;
    }
    walk->separator = platform::isDevicePath(record) ? QLatin1Char('\\') : QLatin1Char('/');
    while (record.endsWith(walk->separator))
        record.chop(1);

    if (!native.isEmpty())
        scan(*walk, QFile::encodeName(native), record);
    filterPass();
    if (FindFilter.Extend)
        extensionPass();
    return walk->result;
}

void Mp3Finder::scan(Walk &walk, const QByteArray &nativeDir, const QString &recordDir)
{
    int fd = openDir(nativeDir);
    if (fd < 0)
        return;
    struct stat self {};
    if (::fstat(fd, &self) != 0) {
        ::close(fd);
        return;
    }
    for (const auto &[dev, ino] : walk.open)
        if (dev == self.st_dev && ino == self.st_ino) {
            ::close(fd);
            return;
        }
    if (walk.open.empty())
        walk.result.RootListed = true;

    // The whole listing first, so that only one folder is open at a time
    // however deep the tree.
    DIR *dir = ::fdopendir(::dup(fd));
    if (!dir) {
        ::close(fd);
        return;
    }
    std::string names;
    std::vector<std::pair<size_t, unsigned char>> entries;
    while (dirent *e = ::readdir(dir)) {
        entries.emplace_back(names.size(), e->d_type);
        names.append(e->d_name, std::strlen(e->d_name) + 1);
    }
    ::closedir(dir);

    walk.open.emplace_back(self.st_dev, self.st_ino);
    const QByteArray prefix = nativeDir.endsWith('/') ? nativeDir : nativeDir + '/';
    for (const auto &[offset, type] : entries) {
        if (walk.stop)
            break;
        const char *name = names.c_str() + offset;
        const size_t len = std::strlen(name);
        const bool dots = std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;

        struct stat st {};
        bool statted = false;
        bool isDir = type == DT_DIR;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            statted = fd >= 0 && ::fstatat(fd, name, &st, 0) == 0;
            isDir = statted && S_ISDIR(st.st_mode);
        }
        if (isDir && !dots) {
            // Depth first: the folder is walked before the next entry.
            if (fd >= 0)
                ::close(fd);
            scan(walk, prefix + QByteArray(name, qsizetype(len)),
                 recordDir + walk.separator + QFile::decodeName(QByteArray(name, qsizetype(len))));
            fd = openDir(nativeDir);
            if (walk.stop)
                break;
        }
        ++EntryCount;
        if (EntryCount % EntriesPerTick == 0 && !tick(walk))
            break;
        if (isDir || !isMp3Name(name, len))
            continue;
        if (!statted)
            statted = fd >= 0 && ::fstatat(fd, name, &st, 0) == 0;
        if (statted && S_ISDIR(st.st_mode))
            continue;
        if (FoundCount > m_capacity) {
            walk.result.TableFull = true;
            walk.stop = true;
            break;
        }

        Mp3FileInfo &f = Mp3FileTable[size_t(FoundCount)];
        f.Directory = recordDir;
        f.FileName = QFile::decodeName(QByteArray(name, qsizetype(len)));
        f.Marked = name[len - 1] == '!';
        f.Date = statted ? localTime(st.st_mtim.tv_sec) : QDateTime();
        f.Size = statted ? qint64(st.st_size) : 0;
        switch (FindFilter.SearchKind) {
        case FindKind::IncompleteID3v1: {
            TID3v1 &tag = walk.reader.ID3v1();
            music::Mp3Source file((prefix + name).constData());
            tag.ReadFrom(file);
            f.ID3v1Incomplete = !(tag.Exists && !tag.Artist.isEmpty() && !tag.Title.isEmpty()
                                  && !tag.Album.isEmpty());
            break;
        }
        case FindKind::IncompleteID3v2: {
            TID3v2 &tag = walk.reader.ID3v2();
            music::Mp3Source file((prefix + name).constData());
            tag.ReadFrom(file);
            f.ID3v2Incomplete = !(tag.Exists && !tag.Artist.isEmpty() && !tag.Title.isEmpty()
                                  && !tag.Album.isEmpty());
            break;
        }
        case FindKind::Bitrate:
            walk.reader.ReadFromNativeFile((prefix + name).constData());
            f.Bitrate = walk.reader.BitRate();
            break;
        default:
            break;
        }
        f.Selected = true;
        ++FoundCount;
        if (FoundCount % RecordsPerTick == 0 && !tick(walk))
            break;
    }
    walk.open.pop_back();
    if (fd >= 0)
        ::close(fd);
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
        if (flt.DateFilter && f.Selected)
            f.Selected = CompareWith(flt.DateOp, f.Date.date(), flt.Date);
        if (flt.SizeFilter && f.Selected)
            f.Selected = CompareWith(flt.SizeOp, f.Size, qint64(flt.SizeLimit));
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
