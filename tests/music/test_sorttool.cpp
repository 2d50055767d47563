// voxatool sort, rollback and play-order.
#include "music/dirsort.h"
#include "platform/fileops.h"
#include "sorttestutil.h"
#include "support/testdrive.h"
#include "support/toolrun.h"

#include <QTest>

using namespace voxa;
using test::TestDriveTable;

class TestSortTool : public QObject {
    Q_OBJECT

    test::TestDrive m_drives;
    QString m_root;

    QString native(const QString &rel) const { return m_root + QLatin1Char('/') + rel; }

private slots:
    void init()
    {
        QVERIFY(m_drives.setUp(QLatin1Char('V')));
        m_root = m_drives.root();
    }
    void cleanup() { m_drives.tearDown(); }

    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::newRow("sort without folder") << QStringList{QStringLiteral("sort")} << QStringLiteral("no folder given");
        QTest::newRow("sort, two folders") << QStringList{QStringLiteral("sort"), QStringLiteral("V:\\a"), QStringLiteral("V:\\b")}
                                           << QStringLiteral("unexpected argument 'V:\\b'");
        QTest::newRow("sort, unknown option") << QStringList{QStringLiteral("sort"), QStringLiteral("--fast")}
                                              << QStringLiteral("unexpected argument '--fast'");
        QTest::newRow("rollback without drive") << QStringList{QStringLiteral("rollback")} << QStringLiteral("give one drive");
        QTest::newRow("play-order without folder") << QStringList{QStringLiteral("play-order")}
                                                   << QStringLiteral("no folder given");
    }
    void usage()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        const test::Run r = test::run(args);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(error), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("usage: voxatool ")));
    }

    void sortRefusesTooFewFiles()
    {
        QVERIFY(test::makeFiles(QStringLiteral("V:\\music"), test::numbered(QStringLiteral("%1.mp3"), 100)));
        const auto before = test::snapshot(native(QStringLiteral("music")));
        test::Run r = test::run({QStringLiteral("sort"), QStringLiteral("V:\\music")});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QStringLiteral("There are less then 100 files in directory, so you cannot sort it!")));
        QVERIFY(!QFileInfo::exists(native(QStringLiteral("voxa"))));
        // --force sorts it anyway, given as a native folder of the drive.
        r = test::run({QStringLiteral("sort"), native(QStringLiteral("music")), QStringLiteral("--force")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("Directory Sorted: V:\\music (100 files)\n"));
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
        QVERIFY(!QFileInfo::exists(native(QStringLiteral("voxa/Temp"))));
    }

    void dryRunListsThePlan()
    {
        QVERIFY(test::makeFiles(QStringLiteral("V:\\music"),
                                test::numbered(QStringLiteral("%1.mp3"), 101) + QStringList{QStringLiteral("s\\a.jpg")}));
        const SortPlan plan = PlanSort(QStringLiteral("V:\\music"));
        const test::Run r = test::run({QStringLiteral("sort"), QStringLiteral("V:\\music"), QStringLiteral("--dry-run")});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), plan.Steps.size());
        QCOMPARE(lines[0], QStringLiteral("mkdir  V:\\voxa\\Temp\\music"));
        QCOMPARE(lines[1], QStringLiteral("mkdir  V:\\voxa\\Temp\\music\\s"));
        QCOMPARE(lines[2], QStringLiteral("move   V:\\music\\s\\a.jpg -> V:\\voxa\\Temp\\music\\s\\a.jpg"));
        QCOMPARE(lines[3], QStringLiteral("rmdir  V:\\music\\s"));
        QCOMPARE(lines[4], QStringLiteral("move   V:\\music\\1.mp3 -> V:\\voxa\\Temp\\music\\1.mp3"));
        QCOMPARE(lines[5], QStringLiteral("move   V:\\music\\10.mp3 -> V:\\voxa\\Temp\\music\\10.mp3"));
        QCOMPARE(lines.last(), QStringLiteral("rename V:\\voxa\\Temp\\music -> V:\\music"));
        QVERIFY(!QFileInfo::exists(native(QStringLiteral("voxa"))));
    }

    void sortRefusals_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("error");
        QTest::newRow("no drive") << QStringLiteral("/") + QStringLiteral("nonexistent-folder-of-no-drive")
                                  << QStringLiteral("lies on no drive");
        QTest::newRow("missing") << QStringLiteral("V:\\none") << QStringLiteral("no such folder: V:\\none");
        QTest::newRow("voxa") << QStringLiteral("V:\\voxa") << QStringLiteral("cannot be sorted");
        QTest::newRow("journal present") << QStringLiteral("V:\\music")
                                         << QStringLiteral("an interrupted sort must be rolled back first");
    }
    void sortRefusals()
    {
        QFETCH(QString, dir);
        QFETCH(QString, error);
        QVERIFY(test::makeFiles(QStringLiteral("V:\\music"), test::numbered(QStringLiteral("%1.mp3"), 101)));
        QVERIFY(fs::makePath(QStringLiteral("V:\\voxa\\config")));
        if (QTest::currentDataTag() == QLatin1String("journal present"))
            QVERIFY(TestDriveTable::writeFile(SortJournalPath(QLatin1Char('V')), "V:\\music\r\n"));
        const test::Run r = test::run({QStringLiteral("sort"), dir});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(error), qPrintable(r.err));
    }

    void rollBack_data()
    {
        QTest::addColumn<QString>("drive");
        QTest::newRow("letter") << QStringLiteral("v");
        QTest::newRow("letter and colon") << QStringLiteral("V:");
        QTest::newRow("root") << QStringLiteral("V:\\");
        QTest::newRow("native folder") << QString();
    }
    void rollBack()
    {
        QFETCH(QString, drive);
        if (drive.isEmpty())
            drive = native(QStringLiteral("music"));
        QVERIFY(test::makeFiles(QStringLiteral("V:\\music"), test::numbered(QStringLiteral("%1.mp3"), 5)));
        test::Run r = test::run({QStringLiteral("rollback"), drive});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("no interrupted sort on V:\n"));

        // Half moved out, journal written by another drive letter.
        const auto before = test::snapshot(native(QStringLiteral("music")));
        QVERIFY(QDir().mkpath(native(QStringLiteral("voxa/Temp/music"))));
        QVERIFY(TestDriveTable::writeFile(SortJournalPath(QLatin1Char('V')), "G:\\music\r\n"));
        for (const QString &f : {QStringLiteral("2.mp3"), QStringLiteral("4.mp3")})
            QVERIFY(QFile::rename(native(QStringLiteral("music/") + f), native(QStringLiteral("voxa/Temp/music/") + f)));
        r = test::run({QStringLiteral("rollback"), drive});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("Files Rolled Back: 2 files moved back into V:\\music\n"));
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
        QVERIFY(!QFileInfo::exists(native(QStringLiteral("voxa/Temp"))));
    }

    void rollBackFails()
    {
        QVERIFY(test::makeFiles(QStringLiteral("V:\\voxa\\Temp\\music"), {QStringLiteral("a.mp3")}));
        QVERIFY(TestDriveTable::writeFile(SortJournalPath(QLatin1Char('V')), "\x01\x02"));
        test::Run r = test::run({QStringLiteral("rollback"), QStringLiteral("V")});
        QCOMPARE(r.status, 3);
        QVERIFY(r.out.startsWith(QStringLiteral("Error While RollBack: ")));
        QVERIFY(r.err.contains(QStringLiteral("You can find your files in  V:\\voxa\\Temp directory")));
        QVERIFY(SortJournalExists(QLatin1Char('V')));

        r = test::run({QStringLiteral("rollback"), QStringLiteral("Q")});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QStringLiteral("no such drive: Q")));
    }

    // While another sort or roll-back holds the drive, both commands are refused with the reason
    // and status 1, and nothing is moved. Free again, the same command goes through and removes
    // the journal copies a kill left unfinished, but no other file in voxa\Temp.
    void refusedWhileDriveBusy_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("kept");
        const QStringList sort = {QStringLiteral("sort"), QStringLiteral("V:\\music")};
        QTest::newRow("sort") << sort << QStringList();
        QTest::newRow("rollback") << QStringList{QStringLiteral("rollback"), QStringLiteral("V")} << QStringList();
        QTest::newRow("other files stay") << sort << QStringList{QStringLiteral("Sort.dat.1234567"), QStringLiteral("Sort.dat.bak.txt")};
    }
    void refusedWhileDriveBusy()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, kept);
        QVERIFY(test::makeFiles(QStringLiteral("V:\\music"), test::numbered(QStringLiteral("%1.mp3"), 101)));
        const auto music = test::snapshot(native(QStringLiteral("music")));
        for (const QString &name : QStringList{QStringLiteral("Sort.dat.Ab3xY9"), QStringLiteral("Sort.dat.k2p")} + kept)
            QVERIFY(TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\Temp\\") + name, "V:\\mus"));
        if (args[0] == QLatin1String("rollback")) {  // a sort in progress: its journal, some files out
            QVERIFY(TestDriveTable::writeFile(SortJournalPath(QLatin1Char('V')), "V:\\music\r\n"));
            QVERIFY(QDir().mkpath(native(QStringLiteral("voxa/Temp/music"))));
            QVERIFY(QFile::rename(native(QStringLiteral("music/7.mp3")), native(QStringLiteral("voxa/Temp/music/7.mp3"))));
        }
        const auto before = test::snapshot(m_root);
        fs::FolderLock other;
        QVERIFY(LockSortDrive(QLatin1Char('V'), other));
        const test::Run r = test::run(args);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err, QStringLiteral("voxatool %1: %2\n").arg(args[0], DriveBusyText(QLatin1Char('V'))));
        QCOMPARE(r.out, QString());
        QCOMPARE(test::snapshot(m_root), before);
        other.release();
        QCOMPARE(test::run(args).status, 0);
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), music);
        QCOMPARE(QDir(native(QStringLiteral("voxa/Temp"))).entryList(QDir::Files | QDir::Hidden), kept);
        QCOMPARE(QFileInfo::exists(native(QStringLiteral("voxa/Temp"))), !kept.isEmpty());
    }

    void playOrder()
    {
        QVERIFY(test::makeFiles(QStringLiteral("V:\\music"),
                                {QStringLiteral("b.mp3"), QStringLiteral("A.MP3"), QStringLiteral("list.m3u"),
                                 QStringLiteral("cover.jpg"), QStringLiteral("z\\y.mp3"), QStringLiteral("z\\x.mp3")}));
        TSortNode listed;
        QVERIFY(ListSortTree(QStringLiteral("V:\\music"), listed));
        const PlayOrder expected = PlayOrderOf(listed);
        QCOMPARE(expected.Sorted, (QStringList{QStringLiteral("z\\x.mp3"), QStringLiteral("z\\y.mp3"),
                                               QStringLiteral("A.MP3"), QStringLiteral("b.mp3")}));
        QCOMPARE(expected.Now.size(), 4);

        test::Run r = test::run({QStringLiteral("play-order"), QStringLiteral("V:\\music"), QStringLiteral("--json")});
        QCOMPARE(r.status, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(o.value(QStringLiteral("now")).toVariant().toStringList(), expected.Now);
        QCOMPARE(o.value(QStringLiteral("sorted")).toVariant().toStringList(), expected.Sorted);

        r = test::run({QStringLiteral("play-order"), native(QStringLiteral("music"))});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.endsWith(QStringLiteral("after sorting:\n     1  z\\x.mp3\n     2  z\\y.mp3\n     3  A.MP3\n"
                                              "     4  b.mp3\n")));

        // After the sort, the order now is the order after sorting (on FAT;
        // other file systems may list in their own order).
        QCOMPARE(test::run({QStringLiteral("sort"), QStringLiteral("V:\\music"), QStringLiteral("--force")}).status, 0);

        r = test::run({QStringLiteral("play-order"), QStringLiteral("V:\\none")});
        QCOMPARE(r.status, 1);
    }
};

QTEST_GUILESS_MAIN(TestSortTool)
#include "test_sorttool.moc"
