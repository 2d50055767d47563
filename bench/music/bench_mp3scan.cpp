// How fast the MP3 finder scans a tree of 5000 MP3 files, warm, against two
// floors: for a bit-rate search, a loop that opens every file once and reads
// just the last 128 bytes, the ID3v2 header and the 3458 bytes after the tag;
// for a plain search, listing the tree with every entry's attributes.
//   bench_mp3scan [ROUNDS] [--tree FOLDER]
// Without --tree it scans 5000 files it makes itself; with it, an existing
// tree such as the one bench/music/make_tagged_set.sh makes from real
// encoder output and tag layouts. When built with TagLib it also reads the
// bit rate of the same files with TagLib, for comparison.
#include "music/mp3finder.h"
#include "music/mp3maker.h"
#include "platform/fileops.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#ifdef VOXA_BENCH_TAGLIB
#include <taglib/audioproperties.h>
#include <taglib/mpegfile.h>
#endif

using namespace voxa;

namespace {

constexpr int Folders = 10;
constexpr int SubFolders = 5;
constexpr int FilesPerFolder = 100;  // 10 x 5 x 100 = 5000

// Files of several kinds in turn: CBR with both tags, VBR with a Xing header,
// junk before the first frame, VBRI in MPEG 2, a padded tag with a big frame.
QByteArray makeFile(int n)
{
    Mp3Recipe r;
    r.Frames = 24;
    const QByteArray title = "Title " + QByteArray::number(n);
    switch (n % 5) {
    case 0:
        r.HasId3v1 = true;
        r.Title = title;
        r.Artist = "Artist";
        r.Album = "Album";
        r.Id3v2Version = 3;
        r.addText("TIT2", title);
        r.addText("TPE1", "Artist");
        r.addText("TALB", "Album");
        r.addText("TRCK", "3/12");
        break;
    case 1:
        r.Vbr = Mp3Recipe::Xing;
        r.VbrKbps = {96, 128, 160, 192};
        r.Id3v2Version = 3;
        r.addText("TIT2", title);
        r.addText("COMM", "Encoded for the benchmark");
        r.Id3v2Padding = 1024;
        break;
    case 2:
        r.Kbps = 192;
        r.Junk = QByteArray(600, 'j');
        r.HasId3v1 = true;
        r.Title = title;
        break;
    case 3:
        r.VersionID = 2;
        r.Kbps = 64;
        r.VbrKbps = {32, 64, 96};
        r.Vbr = Mp3Recipe::Vbri;
        r.HasId3v1 = true;
        r.Title = title;
        r.Artist = "Artist";
        break;
    default:
        r.Kbps = 256;
        r.Id3v2Version = 3;
        r.addText("TIT2", title);
        r.Id3v2Frames.append({"PRIV", QByteArray(6000, 'p')});  // a big frame to skip
        r.Id3v2Padding = 2048;
        break;
    }
    return makeMp3(r);
}

QList<QByteArray> buildTree(const QString &root)
{
    QList<QByteArray> files;
    int n = 0;
    for (int a = 0; a < Folders; ++a)
        for (int b = 0; b < SubFolders; ++b) {
            const QString dir = QStringLiteral("%1/Artist %2/Album %3").arg(root).arg(a).arg(b);
            QDir().mkpath(dir);
            for (int c = 0; c < FilesPerFolder; ++c, ++n) {
                const QString name = QStringLiteral("%1/%2 Track %3.%4")
                                         .arg(dir)
                                         .arg(c, 2, 10, QLatin1Char('0'))
                                         .arg(n)
                                         .arg(n % 17 == 0 ? QStringLiteral("MP!") : QStringLiteral("mp3"));
                QFile f(name);
                if (!f.open(QIODevice::WriteOnly) || f.write(makeFile(n)) < 0)
                    std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
                files << QFile::encodeName(name);
            }
            // Something besides music, as on a real drive.
            QFile cover(dir + QStringLiteral("/cover.jpg"));
            if (cover.open(QIODevice::WriteOnly))
                cover.write(QByteArray(2000, 'c'));
        }
    return files;
}

// The floor of a bit-rate search: one open, the tag end, the tag header and
// one window after the tag.
qint64 floorLoop(const QList<QByteArray> &files)
{
    qint64 sum = 0;
    char tail[128], head[10], window[3458];
    for (const QByteArray &p : files) {
        const int fd = ::open(p.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        ::fstat(fd, &st);
        if (::pread(fd, tail, 128, st.st_size - 128) == 128)
            sum += tail[0];
        qint64 tag = 0;
        if (::pread(fd, head, 10, 0) == 10 && std::equal(head, head + 3, "ID3"))
            tag = (qint64(head[6]) << 21 | qint64(head[7]) << 14 | qint64(head[8]) << 7 | qint64(head[9])) + 10;
        sum += ::pread(fd, window, sizeof window, tag);
        ::close(fd);
    }
    return sum;
}

// The MP3 files of an existing tree, in walk order.
QList<QByteArray> filesOf(const QString &root)
{
    QList<QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        const QString tail = p.right(3).toUpper();
        if (tail == QLatin1String("MP3") || tail == QLatin1String("MP!"))
            files << QFile::encodeName(p);
    }
    return files;
}

#ifdef VOXA_BENCH_TAGLIB
// The bit rate of every file as TagLib reads it (its fast property read).
qint64 taglibLoop(const QList<QByteArray> &files)
{
    qint64 sum = 0;
    for (const QByteArray &p : files) {
        TagLib::MPEG::File f(p.constData(), true, TagLib::AudioProperties::Fast);
        if (const auto *props = f.audioProperties())
            sum += props->bitrate();
    }
    return sum;
}
#endif

// Listing the tree with every entry's attributes, as the file layer gives it.
qint64 listTree(const QString &dir)
{
    qint64 n = 0;
    for (const fs::Entry &e : fs::listDir(dir)) {
        ++n;
        if (e.isDir)
            n += listTree(dir + QLatin1Char('/') + e.name);
    }
    return n;
}

// Names and types only.
qint64 readdirTree(const QByteArray &dir)
{
    qint64 n = 0;
    DIR *d = ::opendir(dir.constData());
    if (!d)
        return 0;
    QList<QByteArray> subs;
    while (dirent *e = ::readdir(d)) {
        ++n;
        if (e->d_type == DT_DIR && std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
            subs << dir + '/' + e->d_name;
    }
    ::closedir(d);
    for (const QByteArray &s : subs)
        n += readdirTree(s);
    return n;
}

qint64 qtIterator(const QString &dir)
{
    qint64 n = 0;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        n += it.fileInfo().size() > 0;
    }
    return n;
}

// The median of `rounds` timed runs after one warm-up run, in milliseconds.
double measure(int rounds, const std::function<void()> &run)
{
    run();
    std::vector<double> t;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        t.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int rounds = 7;
    QString tree;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--tree") && i + 1 < args.size())
            tree = args[++i];
        else
            rounds = std::max(1, args[i].toInt());
    }

    QTemporaryDir tmp;
    QString root;
    QList<QByteArray> files;
    if (tree.isEmpty()) {
        root = tmp.path() + QStringLiteral("/music");
        QElapsedTimer build;
        build.start();
        files = buildTree(root);
        std::printf("tree: %lld MP3 files in %d folders under %s, made in %.0f ms\n", qlonglong(files.size()),
                    Folders * SubFolders, qPrintable(root), double(build.elapsed()));
    } else {
        root = QDir(tree).absolutePath();
        files = filesOf(root);
        std::printf("tree: %lld MP3 files under %s\n", qlonglong(files.size()), qPrintable(root));
    }

    Mp3Finder finder;
    auto search = [&](FindKind kind) {
        return [&finder, kind, &root] {
            finder.FindFilter = TFindFilter();
            finder.FindFilter.SearchKind = kind;
            finder.FindFilter.Bitrate = 128;
            finder.Search(root);
        };
    };

    const double tBitrate = measure(rounds, search(FindKind::Bitrate));
    const int found = finder.FoundCount - 1;
    const double tId3v1 = measure(rounds, search(FindKind::IncompleteID3v1));
    const double tId3v2 = measure(rounds, search(FindKind::IncompleteID3v2));
    const double tAll = measure(rounds, search(FindKind::All));
    const double tMarked = measure(rounds, search(FindKind::Marked));
    volatile qint64 sink = 0;
    const double tFloor = measure(rounds, [&] { sink = sink + floorLoop(files); });
    const double tList = measure(rounds, [&] { sink = sink + listTree(root); });
    const double tReaddir = measure(rounds, [&] { sink = sink + readdirTree(QFile::encodeName(root)); });
    const double tQt = measure(rounds, [&] { sink = sink + qtIterator(root); });
#ifdef VOXA_BENCH_TAGLIB
    const double tTaglib = measure(rounds, [&] { sink = sink + taglibLoop(files); });
#endif

    std::printf("records found: %d, median of %d warm runs\n\n", found, rounds);
    auto line = [&](const char *what, double ms) {
        std::printf("  %-46s %8.2f ms  %6.2f us/file\n", what, ms, ms * 1000.0 / double(files.size()));
    };
    line("finder, kind Bitrate", tBitrate);
    line("finder, kind Incomplete ID3 v1", tId3v1);
    line("finder, kind Incomplete ID3 v2", tId3v2);
    line("finder, kind All", tAll);
    line("finder, kind VOXA Mark", tMarked);
    line("floor: open, last 128, tag header, 3458 bytes", tFloor);
    line("listing the tree (fs::listDir, attributes)", tList);
    line("listing the tree (QDirIterator, sizes)", tQt);
    line("readdir alone (names and types)", tReaddir);
#ifdef VOXA_BENCH_TAGLIB
    line("TagLib, bit rate of every file (fast read)", tTaglib);
#endif
    std::printf("\n  Bitrate / floor            %.2f  (target %s or less)\n", tBitrate / tFloor,
                tree.isEmpty() ? "2.00" : "1.30");
#ifdef VOXA_BENCH_TAGLIB
    std::printf("  TagLib / floor             %.2f\n", tTaglib / tFloor);
#endif
    std::printf("  All / listing the tree     %.2f  (target 1.00 or less)\n", tAll / tList);
    std::printf("  All / QDirIterator         %.2f\n", tAll / tQt);
    std::printf("  All / readdir alone        %.2f\n", tAll / tReaddir);
    return 0;
}
