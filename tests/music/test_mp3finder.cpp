#include "music/mp3fileops.h"
#include "music/mp3finder.h"
#include "music/mp3searchtask.h"
#include "platform/fileops.h"
#include "mp3testutil.h"
#include "support/testdrive.h"

#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <future>
#include <fcntl.h>
#include <sys/stat.h>
#include <QTest>

#include <dirent.h>
#include <unistd.h>

using namespace voxa;
using test::writeBytes;

namespace {

// What a depth-first walk in readdir order should record, for comparison.
void expectedWalk(const QString &native, const QString &record, QStringList &files, int &entries)
{
    DIR *d = opendir(QFile::encodeName(native).constData());
    if (!d)
        return;
    QList<QPair<QString, bool>> list;
    while (dirent *e = readdir(d))
        list.append({QFile::decodeName(e->d_name), e->d_type == DT_DIR});
    closedir(d);
    for (const auto &[name, isDir] : list) {
        if (isDir && name != QLatin1String(".") && name != QLatin1String(".."))
            expectedWalk(native + QLatin1Char('/') + name, record + QLatin1Char('\\') + name, files, entries);
        ++entries;
        const QString up = name.right(3).toUpper();
        if (!isDir && (up == QLatin1String("MP3") || up == QLatin1String("MP!")))
            files << record + QLatin1Char('\\') + name;
    }
}

QStringList recordedPaths(const Mp3Finder &f, bool selectedOnly = false)
{
    QStringList out;
    for (int i = 1; i < f.FoundCount; ++i)
        if (!selectedOnly || f.Mp3FileTable[size_t(i)].Selected)
            out << Mp3FullPath(f.Mp3FileTable[size_t(i)]);
    return out;
}

}  // namespace

class TestMp3Finder : public QObject {
    Q_OBJECT

    test::TestDrive m_drives;
    QString m_root;  // native root of drive E

    QString put(const QString &rel, const QByteArray &bytes = test::cbrFile())
    {
        const QString p = m_root + QLatin1Char('/') + rel;
        writeBytes(p, bytes);
        return p;
    }

private slots:
    void init()
    {
        QVERIFY(m_drives.setUp('E'));
        m_root = m_drives.root();
    }

    void cleanup() { m_drives.tearDown(); }

    void namingCasesAndOrder()
    {
        put(QStringLiteral("music/song.Mp3"));
        put(QStringLiteral("music/other.MP!"));
        put(QStringLiteral("music/notes.mp3.txt"));
        put(QStringLiteral("music/x.mp3/inner.mp3"));
        put(QStringLiteral("music/deep/er/last.mP3"));
        put(QStringLiteral("music/z.wav"));

        Mp3Finder f;
        const Mp3SearchResult r = f.Search(QStringLiteral("E:\\music"));
        QVERIFY(r.RootListed);
        QVERIFY(!r.TableFull && !r.Cancelled);

        QStringList files;
        int entries = 0;
        expectedWalk(m_root + QStringLiteral("/music"), QStringLiteral("E:\\music"), files, entries);
        QCOMPARE(recordedPaths(f), files);
        QCOMPARE(f.EntryCount, entries);
        QCOMPARE(f.FoundCount, 5);  // four files
        QVERIFY(files.contains(QStringLiteral("E:\\music\\x.mp3\\inner.mp3")));
        QVERIFY(!files.contains(QStringLiteral("E:\\music\\x.mp3")));

        for (int i = 1; i < f.FoundCount; ++i) {
            const Mp3FileInfo &rec = f.Mp3FileTable[size_t(i)];
            QCOMPARE(rec.Marked, rec.FileName == QLatin1String("other.MP!"));
            QVERIFY(rec.Selected);
            QVERIFY(!rec.Directory.endsWith(QLatin1Char('\\')));
            QCOMPARE(rec.Size, test::cbrFile().size());
            QVERIFY(rec.Date.isValid());
        }
    }

    void drivePathForms()
    {
        put(QStringLiteral("top.mp3"));
        put(QStringLiteral("Music/Rock/a.mp3"));
        Mp3Finder f;
        f.Search(QStringLiteral("E:\\"));
        QCOMPARE(recordedPaths(f).size(), 2);
        QVERIFY(recordedPaths(f).contains(QStringLiteral("E:\\top.mp3")));
        QVERIFY(recordedPaths(f).contains(QStringLiteral("E:\\Music\\Rock\\a.mp3")));

        // Letter case of the start folder as the user wrote it; the walk finds it.
        f.Search(QStringLiteral("e:\\music\\"));
        QCOMPARE(recordedPaths(f), QStringList{QStringLiteral("e:\\music\\Rock\\a.mp3")});

        // A native folder inside a drive is recorded as on the drive.
        f.Search(m_root + QStringLiteral("/Music"));
        QCOMPARE(recordedPaths(f), QStringList{QStringLiteral("E:\\Music\\Rock\\a.mp3")});
        f.KeepNativePaths = true;
        f.Search(m_root + QStringLiteral("/Music/"));
        QCOMPARE(recordedPaths(f), QStringList{m_root + QStringLiteral("/Music/Rock/a.mp3")});

        // A folder on no drive keeps its native form.
        QTemporaryDir elsewhere;
        writeBytes(elsewhere.filePath(QStringLiteral("sub/b.mp3")), "x");
        Mp3Finder g;
        g.Search(elsewhere.path());
        QCOMPARE(recordedPaths(g), QStringList{elsewhere.path() + QStringLiteral("/sub/b.mp3")});
        QCOMPARE(g.Mp3FileTable[1].Directory, elsewhere.path() + QStringLiteral("/sub"));
    }

    void emptyAndMissingFolders()
    {
        QDir(m_root).mkpath(QStringLiteral("empty/sub"));
        put(QStringLiteral("empty/readme.txt"), "x");
        Mp3Finder f;
        QVERIFY(f.Search(QStringLiteral("E:\\empty")).RootListed);
        QCOMPARE(f.FoundCount, 1);
        QVERIFY(f.SelectedRecords().isEmpty());
        QVERIFY(!f.Search(QStringLiteral("E:\\missing")).RootListed);
        QCOMPARE(f.FoundCount, 1);
        QCOMPARE(f.EntryCount, 0);
        QVERIFY(!f.Search(QStringLiteral("Q:\\music")).RootListed);
    }

    void progressTicks()
    {
        // 25 MP3 files: FoundCount reaches 10 and 20. 1575 other entries plus
        // ".", ".." and the 25: 1602 entries, ticks at 800 and 1600.
        for (int i = 0; i < 25; ++i)
            put(QStringLiteral("t/f%1.mp3").arg(i), "x");
        for (int i = 0; i < 1575; ++i)
            put(QStringLiteral("t/o%1.txt").arg(i), "");
        Mp3Finder f;
        int ticks = 0;
        f.ProgressTick = [&] { ++ticks; return true; };
        f.Search(QStringLiteral("E:\\t"));
        QCOMPARE(f.EntryCount, 1602);
        QCOMPARE(f.FoundCount, 26);
        QCOMPARE(ticks, 4);

        // Returning false stops the scan at once.
        f.ProgressTick = [&] { return false; };
        const Mp3SearchResult r = f.Search(QStringLiteral("E:\\t"));
        QVERIFY(r.Cancelled);
        QVERIFY(f.FoundCount <= 10);
        QVERIFY(f.EntryCount <= 800);
    }

    void kinds()
    {
        Mp3Recipe complete;
        complete.HasId3v1 = true;
        complete.Title = "T";
        complete.Artist = "A";
        complete.Album = "B";
        complete.Id3v2Version = 3;
        complete.addText("TIT2", "T");
        complete.addText("TPE1", "A");
        complete.addText("TALB", "B");
        Mp3Recipe noAlbum = complete;
        noAlbum.Album.clear();
        noAlbum.Id3v2Frames.removeLast();
        Mp3Recipe v24 = complete;
        v24.Id3v2Version = 4;
        Mp3Recipe vbr127;  // Xing average 127 kbit/s
        vbr127.Vbr = Mp3Recipe::Xing;
        vbr127.VbrFrames = 1000;
        vbr127.VbrBytes = 414694;

        put(QStringLiteral("k/complete.mp3"), makeMp3(complete));
        put(QStringLiteral("k/noalbum.MP!"), makeMp3(noAlbum));
        put(QStringLiteral("k/v24.mp3"), makeMp3(v24));
        put(QStringLiteral("k/vbr127.mp3"), makeMp3(vbr127));
        put(QStringLiteral("k/broken.mp3"), "not audio at all");

        auto selected = [&](FindKind kind, char op = '=', int kbps = 128) {
            Mp3Finder f;
            f.FindFilter.SearchKind = kind;
            f.FindFilter.BitrateOp = op;
            f.FindFilter.Bitrate = kbps;
            f.Search(QStringLiteral("E:\\k"));
            QStringList names;
            for (const Mp3FileInfo &r : f.SelectedRecords())
                names << r.FileName;
            names.sort();
            return names.join(QLatin1Char(' '));
        };
        QCOMPARE(selected(FindKind::All), QStringLiteral("broken.mp3 complete.mp3 noalbum.MP! v24.mp3 vbr127.mp3"));
        QCOMPARE(selected(FindKind::Marked), QStringLiteral("noalbum.MP!"));
        QCOMPARE(selected(FindKind::IncompleteID3v1), QStringLiteral("broken.mp3 noalbum.MP! vbr127.mp3"));
        QCOMPARE(selected(FindKind::IncompleteID3v2), QStringLiteral("broken.mp3 noalbum.MP! v24.mp3 vbr127.mp3"));
        QCOMPARE(selected(FindKind::Bitrate, '=', 128), QStringLiteral("complete.mp3 noalbum.MP! v24.mp3"));
        QCOMPARE(selected(FindKind::Bitrate, '=', 127), QStringLiteral("vbr127.mp3"));
        QCOMPARE(selected(FindKind::Bitrate, '<', 128), QStringLiteral("broken.mp3 vbr127.mp3"));
        QCOMPARE(selected(FindKind::Bitrate, '>', 127), QStringLiteral("complete.mp3 noalbum.MP! v24.mp3"));
        QCOMPARE(selected(FindKind::Bitrate, '!', 128), QString());
    }

    void sizeFilter_data()
    {
        QTest::addColumn<char>("op");
        QTest::addColumn<QString>("selected");
        QTest::newRow("<") << '<' << QStringLiteral("below.mp3");
        QTest::newRow(">") << '>' << QStringLiteral("above.mp3");
        QTest::newRow("=") << '=' << QStringLiteral("exact.mp3");
    }

    void sizeFilter()
    {
        QFETCH(char, op);
        QFETCH(QString, selected);
        put(QStringLiteral("s/exact.mp3"), QByteArray(1048576, 'x'));
        put(QStringLiteral("s/below.mp3"), QByteArray(1048575, 'x'));
        put(QStringLiteral("s/above.mp3"), QByteArray(1048577, 'x'));
        Mp3Finder f;
        f.FindFilter.SizeFilter = true;
        f.FindFilter.SizeOp = op;
        f.FindFilter.SizeLimit = 1048576;
        f.Search(QStringLiteral("E:\\s"));
        QStringList names;
        for (const Mp3FileInfo &r : f.SelectedRecords())
            names << r.FileName;
        QCOMPARE(names.join(QLatin1Char(' ')), selected);
    }

    void dateFilter_data()
    {
        QTest::addColumn<char>("op");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("selected");
        const QDate day(2003, 5, 17);
        QTest::newRow("= that day") << '=' << day << true;
        QTest::newRow("< that day") << '<' << day << false;
        QTest::newRow("> that day") << '>' << day << false;
        QTest::newRow("> the day before") << '>' << day.addDays(-1) << true;
        QTest::newRow("< the day after") << '<' << day.addDays(1) << true;
        QTest::newRow("= the day after") << '=' << day.addDays(1) << false;
    }

    void dateFilter()
    {
        QFETCH(char, op);
        QFETCH(QDate, date);
        QFETCH(bool, selected);
        const QString p = put(QStringLiteral("d/late.mp3"));
        QVERIFY(test::setModified(p, QDateTime(QDate(2003, 5, 17), QTime(23, 59, 59))));
        Mp3Finder f;
        f.FindFilter.DateFilter = true;
        f.FindFilter.DateOp = op;
        f.FindFilter.Date = date;
        f.Search(QStringLiteral("E:\\d"));
        QCOMPARE(f.FoundCount, 2);
        // Two-second resolution, local time.
        QCOMPARE(f.Mp3FileTable[1].Date, QDateTime(QDate(2003, 5, 17), QTime(23, 59, 58)));
        QCOMPARE(f.Mp3FileTable[1].Selected, selected);
    }

    void filtersCombine()
    {
        const QString a = put(QStringLiteral("c/a.MP!"), QByteArray(5000, 'x'));
        const QString b = put(QStringLiteral("c/b.MP!"), QByteArray(50, 'x'));
        put(QStringLiteral("c/c.mp3"), QByteArray(5000, 'x'));
        test::setModified(a, QDateTime(QDate(2001, 1, 1), QTime(12, 0)));
        test::setModified(b, QDateTime(QDate(2001, 1, 1), QTime(12, 0)));
        Mp3Finder f;
        f.FindFilter.SearchKind = FindKind::Marked;
        f.FindFilter.DateFilter = true;
        f.FindFilter.DateOp = '=';
        f.FindFilter.Date = QDate(2001, 1, 1);
        f.FindFilter.SizeFilter = true;
        f.FindFilter.SizeOp = '>';
        f.FindFilter.SizeLimit = 1000;
        f.Search(QStringLiteral("E:\\c"));
        QCOMPARE(f.SelectedRecords().size(), 1);
        QCOMPARE(f.SelectedRecords()[0].FileName, QStringLiteral("a.MP!"));
    }

    void extendToWholeDirectory()
    {
        put(QStringLiteral("a/x.mp3"));
        put(QStringLiteral("a/m.MP!"));
        put(QStringLiteral("a/y.mp3"));
        put(QStringLiteral("a/b/z.mp3"));
        put(QStringLiteral("A/w.mp3"));  // another folder on Linux
        Mp3Finder f;
        f.FindFilter.SearchKind = FindKind::Marked;
        f.Search(QStringLiteral("E:\\"));
        QCOMPARE(recordedPaths(f, true), QStringList{QStringLiteral("E:\\a\\m.MP!")});
        f.FindFilter.Extend = true;
        f.Search(QStringLiteral("E:\\"));
        QStringList got = recordedPaths(f, true);
        got.sort();
        QCOMPARE(got, (QStringList{QStringLiteral("E:\\a\\m.MP!"), QStringLiteral("E:\\a\\x.mp3"),
                                   QStringLiteral("E:\\a\\y.mp3")}));
    }

    void tableFull()
    {
        // One more MP3 file than the table holds.
        QDir(m_root).mkpath(QStringLiteral("many"));
        for (int i = 0; i <= Mp3Finder::TableSize; ++i) {
            QFile file(m_root + QStringLiteral("/many/%1.mp3").arg(i));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        Mp3Finder f;
        QCOMPARE(f.Capacity(), 5000);
        QCOMPARE(int(f.Mp3FileTable.size()), 5001);
        Mp3SearchResult r = f.Search(QStringLiteral("E:\\many"));
        QVERIFY(r.TableFull);
        QCOMPARE(f.FoundCount, 5001);
        QCOMPARE(f.SelectedRecords().size(), 5000);

        // Exactly as many as it holds is not too many.
        QVERIFY(QFile::remove(m_root + QStringLiteral("/many/17.mp3")));
        r = f.Search(QStringLiteral("E:\\many"));
        QVERIFY(!r.TableFull);
        QCOMPARE(f.FoundCount, 5001);

        // A smaller table behaves alike; later folders are not walked.
        put(QStringLiteral("small/a.mp3"), "x");
        put(QStringLiteral("small/b.mp3"), "x");
        put(QStringLiteral("small/c.mp3"), "x");
        Mp3Finder g(2);
        r = g.Search(QStringLiteral("E:\\small"));
        QVERIFY(r.TableFull);
        QCOMPARE(g.FoundCount, 3);
        QCOMPARE(int(g.Mp3FileTable.size()), 3);
    }

    void linkLoopsEndAndFilesBehindLinksCount()
    {
        put(QStringLiteral("loop/a.mp3"));
        QVERIFY(::symlink("..", QFile::encodeName(m_root + QStringLiteral("/loop/up")).constData()) == 0);
        QVERIFY(::symlink("a.mp3", QFile::encodeName(m_root + QStringLiteral("/loop/link.mp3")).constData()) == 0);
        QVERIFY(::symlink("gone", QFile::encodeName(m_root + QStringLiteral("/loop/dangling.mp3")).constData()) == 0);
        Mp3Finder f;
        f.FindFilter.SearchKind = FindKind::Bitrate;
        f.FindFilter.Bitrate = 128;
        f.Search(QStringLiteral("E:\\loop"));
        // The link to the parent leads to E:\, whose "loop" is being walked
        // already and is not entered again.
        QStringList got = recordedPaths(f, true);
        got.sort();
        QCOMPARE(got, (QStringList{QStringLiteral("E:\\loop\\a.mp3"), QStringLiteral("E:\\loop\\link.mp3")}));
        // The dangling link is recorded with what the listing gave, bit rate 0.
        QVERIFY(recordedPaths(f).contains(QStringLiteral("E:\\loop\\dangling.mp3")));
    }

    void siblingLinkListsNothingTwice()
    {
        // "b" links to its sibling "a": whichever comes first in the listing
        // is walked, the other is not, so each file is recorded once.
        put(QStringLiteral("top/a/one.mp3"));
        put(QStringLiteral("top/a/two.mp3"));
        QVERIFY(::symlink("a", QFile::encodeName(m_root + QStringLiteral("/top/b")).constData()) == 0);
        // And a link to the start folder itself from deep inside.
        QVERIFY(::symlink("../..", QFile::encodeName(m_root + QStringLiteral("/top/a/back")).constData()) == 0);
        Mp3Finder f;
        f.Search(QStringLiteral("E:\\top"));
        QStringList names;
        for (int i = 1; i < f.FoundCount; ++i)
            names << f.Mp3FileTable[size_t(i)].FileName;
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("one.mp3"), QStringLiteral("two.mp3")}));
    }

    // A folder link is entered only when it leads onto the drive; a start off the drive is not searched.
    void folderLinksStayOnTheDrive_data()
    {
        QTest::addColumn<QString>("start");  // "@" stands for the drive's native root
        QTest::addColumn<bool>("keepNative");
        QTest::addColumn<QString>("found");  // comma-separated; empty: the start is off the drive
        const QString both = QStringLiteral("E:\\fe\\in.mp3,E:\\fe\\linkin\\other.mp3");
        QTest::newRow("drive form") << "E:\\fe" << false << both;
        QTest::newRow("native paths kept") << "@/fe" << true << "@/fe/in.mp3,@/fe/linkin/other.mp3";
        QTest::newRow("link on the drive") << "E:\\fe\\linkin" << false << "E:\\fe\\linkin\\other.mp3";
        QTest::newRow("link off the drive") << "E:\\FE\\linkout" << false << "";
        QTest::newRow("native, below it") << "@/fe/linkout/sub" << false << "";
    }
    void folderLinksStayOnTheDrive()
    {
        QFETCH(QString, start);
        QFETCH(bool, keepNative);
        QFETCH(QString, found);
        QTemporaryDir elsewhere;
        writeBytes(elsewhere.filePath(QStringLiteral("out.mp3")), test::cbrFile());
        writeBytes(elsewhere.filePath(QStringLiteral("sub/deep.mp3")), test::cbrFile());
        put(QStringLiteral("fe/in.mp3"));
        put(QStringLiteral("other/other.mp3"));
        QVERIFY(QFile::link(elsewhere.path(), m_root + QStringLiteral("/fe/linkout")));
        QVERIFY(QFile::link(QStringLiteral("../other"), m_root + QStringLiteral("/fe/linkin")));
        Mp3Finder f;
        f.KeepNativePaths = keepNative;
        const Mp3SearchResult r = f.Search(start.replace(QLatin1Char('@'), m_root));
        QStringList got = recordedPaths(f);
        got.sort();
        QCOMPARE(got.join(QLatin1Char(',')), found.replace(QLatin1Char('@'), m_root));
        QCOMPARE(r.OffDrive, found.isEmpty());
        QCOMPARE(r.RootListed, !found.isEmpty());
        QVERIFY(FolderStaysOnDrive(QStringLiteral("E:\\fe\\linkin")));
        QVERIFY(!FolderStaysOnDrive(QStringLiteral("E:\\fe\\linkout")));
    }

    // A folder swapped after the search for a link off the drive to a copy of the same files: no operation follows it.
    void folderSwappedForAnOutsideLink_data()
    {
        QTest::addColumn<QString>("operation");
        for (const char *op : {"delete", "unmark", "quarantine"})
            QTest::newRow(op) << QString::fromLatin1(op);
    }
    void folderSwappedForAnOutsideLink()
    {
        QFETCH(QString, operation);
        const QDateTime when(QDate(2002, 3, 4), QTime(12, 0));
        QVERIFY(test::setModified(put(QStringLiteral("fe/sub/a.MP!")), when));
        Mp3Finder f;
        f.Search(QStringLiteral("E:\\fe"));
        const QList<Mp3FileInfo> items = f.SelectedRecords();
        QCOMPARE(items.size(), 1);
        QTemporaryDir elsewhere;
        const QString copy = elsewhere.filePath(QStringLiteral("a.MP!"));
        writeBytes(copy, test::cbrFile());
        QVERIFY(test::setModified(copy, when));
        QVERIFY(QDir(m_root).rename(QStringLiteral("fe/sub"), QStringLiteral("kept")));
        QVERIFY(QFile::link(elsewhere.path(), m_root + QStringLiteral("/fe/sub")));

        const QList<Mp3ItemOutcome> out = operation == QLatin1String("delete") ? DeleteFiles(items)
            : operation == QLatin1String("unmark") ? UnMarkFiles(items)
                                                   : MoveToQuarantine(QLatin1Char('E'), QStringLiteral("Q"), items).Items;
        QCOMPARE(out.size(), 1);
        QVERIFY(out[0].Refused && !out[0].Done && !out[0].LeavesList);
        QVERIFY2(out[0].Error.endsWith(QStringLiteral("[E:\\fe\\sub\\a.MP!]")), qPrintable(out[0].Error));
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.MP!")});
        QVERIFY(!QFileInfo::exists(m_root + QStringLiteral("/Q/fe/sub")));
        // Back in its place, the same file is the one found again.
        QVERIFY(QFile::remove(m_root + QStringLiteral("/fe/sub")));
        QVERIFY(QDir(m_root).rename(QStringLiteral("kept"), QStringLiteral("fe/sub")));
        QVERIFY(DeleteFiles(items).first().Done);
    }

    void danglingLinkIsLeftOutOfDateAndSizeFilters_data()
    {
        QTest::addColumn<char>("op");
        QTest::addColumn<bool>("bySize");
        QTest::newRow("date <") << '<' << false;
        QTest::newRow("date >") << '>' << false;
        QTest::newRow("date =") << '=' << false;
        QTest::newRow("size <") << '<' << true;
        QTest::newRow("size >") << '>' << true;
    }
    void danglingLinkIsLeftOutOfDateAndSizeFilters()
    {
        QFETCH(char, op);
        QFETCH(bool, bySize);
        const QString real = put(QStringLiteral("d/real.mp3"));
        QVERIFY(test::setModified(real, QDateTime(QDate(2003, 5, 17), QTime(12, 0))));
        QVERIFY(::symlink("gone", QFile::encodeName(m_root + QStringLiteral("/d/dangling.mp3")).constData()) == 0);
        Mp3Finder f;
        if (bySize) {
            f.FindFilter.SizeFilter = true;
            f.FindFilter.SizeOp = op;
            f.FindFilter.SizeLimit = op == '<' ? 2147483647 : 0;
        } else {
            f.FindFilter.DateFilter = true;
            f.FindFilter.DateOp = op;
            f.FindFilter.Date = op == '<' ? QDate(2100, 1, 1) : op == '>' ? QDate(1980, 1, 1) : QDate(2003, 5, 17);
        }
        f.Search(QStringLiteral("E:\\d"));
        // Both are recorded; only the real file passes.
        QCOMPARE(f.FoundCount, 3);
        QCOMPARE(recordedPaths(f, true), QStringList{QStringLiteral("E:\\d\\real.mp3")});
        // Without a filter the link is listed like any entry.
        f.FindFilter = TFindFilter();
        f.Search(QStringLiteral("E:\\d"));
        QCOMPARE(recordedPaths(f, true).size(), 2);
    }

    void namesTheSystemCannotSpellAreLeftOut()
    {
        // A Latin-1 name on a UTF-8 system ("caf\xe9.mp3"), a folder with
        // such a name, and a good neighbour.
        put(QStringLiteral("enc/good.mp3"));
        const QByteArray dir = QFile::encodeName(m_root + QStringLiteral("/enc/"));
        // QFile cannot name it either; make it with the system's calls.
        const QByteArray bad = dir + "caf\xe9.mp3";
        // The temporary folder cannot remove such names by itself.
        const auto cleanUp = qScopeGuard([&] {
            ::unlink(bad.constData());
            ::unlink((dir + "d\xfcr/inside.mp3").constData());
            ::rmdir((dir + "d\xfcr").constData());
        });
        const int fd = ::open(bad.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        QVERIFY(::mkdir((dir + "d\xfcr").constData(), 0755) == 0);
        const int fd2 = ::open((dir + "d\xfcr/inside.mp3").constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd2 >= 0);
        ::close(fd2);
        if (QFile::encodeName(QFile::decodeName(bad)) == bad)
            QSKIP("the system's encoding spells every byte");

        Mp3Finder f;
        const Mp3SearchResult r = f.Search(QStringLiteral("E:\\enc"));
        QCOMPARE(recordedPaths(f), QStringList{QStringLiteral("E:\\enc\\good.mp3")});
        QCOMPARE(r.LeftOut.size(), 2);
        for (const QString &name : r.LeftOut)
            QVERIFY2(name.startsWith(QStringLiteral("E:\\enc\\")), qPrintable(name));
        // Every record the list shows reaches its file.
        for (int i = 1; i < f.FoundCount; ++i)
            QVERIFY(fs::isFile(Mp3FullPath(f.Mp3FileTable[size_t(i)])));
    }

    void namedPipeDoesNotHoldTheScan()
    {
        put(QStringLiteral("p/a.mp3"));
        QCOMPARE(::mkfifo(QFile::encodeName(m_root + QStringLiteral("/p/pipe.mp3")).constData(), 0644), 0);
        Mp3Finder f;
        f.FindFilter.SearchKind = FindKind::Bitrate;
        f.FindFilter.Bitrate = 128;
        auto done = std::async(std::launch::async, [&] { return f.Search(QStringLiteral("E:\\p")).RootListed; });
        const bool ended = done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        if (!ended) {
            const int fd = ::open(QFile::encodeName(m_root + QStringLiteral("/p/pipe.mp3")).constData(),
                                  O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        QVERIFY2(ended, "the scan blocked on a named pipe");
        QVERIFY(done.get());
        QCOMPARE(recordedPaths(f, true), QStringList{QStringLiteral("E:\\p\\a.mp3")});
    }

    void dotDotInTheStartFolder()
    {
        put(QStringLiteral("x/a.mp3"));
        Mp3Finder f;
        f.Search(QStringLiteral("E:\\..\\..\\x"));
        QCOMPARE(recordedPaths(f), QStringList{QStringLiteral("E:\\x\\a.mp3")});
    }

    void searchOnAWorkerThread()
    {
        for (int i = 0; i < 30; ++i)
            put(QStringLiteral("w/%1.mp3").arg(i), "x");
        Mp3Finder f(25);
        Mp3SearchTask task(f);
        QSignalSpy ticks(&task, &Mp3SearchTask::Tick);
        QSignalSpy finished(&task, &Mp3SearchTask::Finished);
        QVERIFY(task.Start(QStringLiteral("E:\\w")));
        QVERIFY(task.IsRunning());
        QVERIFY(!task.Start(QStringLiteral("E:\\w")));  // one at a time
        QVERIFY(finished.wait(10000));
        QVERIFY(!task.IsRunning());
        const auto r = finished.first().first().value<Mp3SearchResult>();
        QVERIFY(r.RootListed);
        QVERIFY(r.TableFull);  // 30 files, 25 places: the frame tells the user
        QCOMPARE(f.FoundCount, 26);
        QVERIFY(ticks.size() >= 1);
        QVERIFY(!f.ProgressTick);  // left as it was
    }

    void cancelAWorkerSearch()
    {
        for (int i = 0; i < 60; ++i)
            put(QStringLiteral("c/%1.mp3").arg(i), "x");
        Mp3Finder f;
        // The finder's own tick still runs; here it holds the worker at its
        // first tick until the test has asked to cancel.
        QSemaphore atTick, goOn;
        f.ProgressTick = [&] {
            atTick.release();
            goOn.acquire();
            return true;
        };
        Mp3SearchTask task(f);
        QSignalSpy finished(&task, &Mp3SearchTask::Finished);
        QVERIFY(task.Start(QStringLiteral("E:\\c")));
        atTick.acquire();
        task.Cancel();
        goOn.release(100);
        task.Wait();
        QCOMPARE(finished.size(), 1);
        QVERIFY(finished.first().first().value<Mp3SearchResult>().Cancelled);
        QCOMPARE(f.FoundCount, 10);  // stopped at the first tick
        QVERIFY(!task.IsRunning());
        QVERIFY(f.ProgressTick);  // the caller's own tick is back
    }

    void processWideTable()
    {
        QCOMPARE(&theMp3Finder(), &theMp3Finder());
        QCOMPARE(theMp3Finder().Capacity(), 5000);
    }
};

QTEST_GUILESS_MAIN(TestMp3Finder)
#include "test_mp3finder.moc"
