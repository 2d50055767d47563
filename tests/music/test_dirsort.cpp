// The directory sort engine: qualification, name order, the sorted tree and
// its moves, the journal, failures with roll-back, the start-up resume, and
// the worker job.
#include "app/messagetable.h"
#include "music/dirsort.h"
#include "music/sortjob.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/fileops.h"
#include "sorttestutil.h"
#include "support/testdrive.h"

#include <QPointer>
#include <QTest>
#include <QThread>

#include <cstring>

using namespace voxa;
using test::TestDriveTable;

namespace {

const QString Music = QStringLiteral("V:\\music");

// A node from "name" (file) or "name/" (folder, with children).
TSortNode node(const QString &name, QList<TSortNode> children = {})
{
    TSortNode n;
    n.IsDir = name.endsWith(QLatin1Char('/'));
    n.Name = n.IsDir ? name.chopped(1) : name;
    n.Entries = std::move(children);
    return n;
}

TSortNode dirOf(const QStringList &names)
{
    TSortNode d = node(QStringLiteral("d/"));
    for (const QString &n : names)
        d.Entries.append(node(n));
    return d;
}

QStringList namesOf(const TSortNode &n)
{
    QStringList out;
    for (const TSortNode &e : n.Entries)
        out << e.Name;
    return out;
}

// Windows-1250 bytes as text.
QString cp(const char *bytes) { return fromCodePage(QByteArrayView(bytes)); }

// The file moves of a plan as source paths, in order.
QStringList movedFiles(const SortPlan &plan)
{
    QStringList out;
    for (const SortStep &s : plan.Steps)
        if (s.kind == SortStep::Kind::MoveFile)
            out << s.From.device();
    return out;
}

// The files of a sorted tree, depth first, as device paths below dir.
void treeFiles(const TSortNode &n, const QString &dir, QStringList &out)
{
    for (const TSortNode &e : n.Entries) {
        if (e.IsDir)
            treeFiles(e, dir + QLatin1Char('\\') + e.Name, out);
        else
            out << dir + QLatin1Char('\\') + e.Name;
    }
}

}  // namespace

class TestDirSort : public QObject {
    Q_OBJECT

    test::TestDrive m_drives;
    QString m_root;

    QString native(const QString &rel) const { return m_root + QLatin1Char('/') + rel; }
    bool workFolderGone() const { return !QFileInfo::exists(native(QStringLiteral("voxa/Temp"))); }

    // A music folder with a subfolder, 105 files, and a marker folder and
    // file outside it that nothing may touch.
    QMap<QString, QByteArray> makeMusic()
    {
        QStringList files = test::numbered(QStringLiteral("z\\t%1.mp3"), 101);
        files << QStringLiteral("b.mp3") << QStringLiteral("A.MP3") << QStringLiteral("list.m3u")
              << QStringLiteral("cover.jpg") << QStringLiteral("z\\deep\\x.mp3");
        [&] { QVERIFY(test::makeFiles(Music, files)); }();
        QDir().mkpath(native(QStringLiteral("music/empty")));
        TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\config\\a.cfg"), "keep");
        return test::snapshot(native(QStringLiteral("music")));
    }

private slots:
    void init()
    {
        resetMessages();
        QVERIFY(m_drives.setUp(QLatin1Char('V')));
        m_root = m_drives.root();
    }
    void cleanup() { m_drives.tearDown(); }

    // ---------------------------------------------------------- qualification

    void qualification_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("qualifies");
        QTest::newRow("100 mp3") << test::numbered(QStringLiteral("%1.mp3"), 100) << false;
        QTest::newRow("101 mp3") << test::numbered(QStringLiteral("%1.mp3"), 101) << true;
        QTest::newRow("100 mp3 and a picture")
            << test::numbered(QStringLiteral("%1.mp3"), 100) + QStringList{QStringLiteral("c.jpg")} << false;
        QTest::newRow("100 MP3 and one M3U")
            << test::numbered(QStringLiteral("%1.MP3"), 100) + QStringList{QStringLiteral("l.M3u")} << true;
        QTest::newRow("3 files, subfolder of 150")
            << QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.jpg"), QStringLiteral("c.m3u")}
                   + test::numbered(QStringLiteral("sub\\%1.mp3"), 150)
            << true;
        QTest::newRow("subfolders count") << test::numbered(QStringLiteral("s%1\\x.jpg"), 50)
                                                 + test::numbered(QStringLiteral("%1.mp3"), 51)
                                          << true;
        QTest::newRow("two subfolders of 100 each")
            << test::numbered(QStringLiteral("a\\%1.mp3"), 100) + test::numbered(QStringLiteral("b\\%1.mp3"), 100)
            << false;
        QTest::newRow("deep qualifying folder") << test::numbered(QStringLiteral("a\\b\\c\\%1.mp3"), 101) << true;
        QTest::newRow("marked files do not count") << test::numbered(QStringLiteral("%1.MP!"), 200) << false;
    }
    void qualification()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, qualifies);
        QVERIFY(test::makeFiles(Music, files));
        QCOMPARE(DirectoryQualifies(Music), qualifies);
    }

    // ---------------------------------------------------------- name order

    void nameOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("case") << QStringLiteral("A.MP3") << QStringLiteral("a.mp3") << 0;
        QTest::newRow("a-acute is b") << cp("\xE1" "bc.mp3") << QStringLiteral("bbc.mp3") << 0;
        QTest::newRow("capital A-acute is b") << cp("\xC1" ".mp3") << QStringLiteral("B.mp3") << 0;
        QTest::newRow("A-acute after a") << cp("\xC1" "z") << QStringLiteral("az") << 1;
        QTest::newRow("e-acute is g") << cp("\xE9") << QStringLiteral("g") << 0;
        QTest::newRow("i-acute is l") << cp("\xCD") << QStringLiteral("l") << 0;
        QTest::newRow("o-acute is s") << cp("\xF3") << QStringLiteral("s") << 0;
        QTest::newRow("o-umlaut is t") << cp("\xD6") << QStringLiteral("t") << 0;
        QTest::newRow("o-double-acute is u") << cp("\xF5") << QStringLiteral("u") << 0;
        QTest::newRow("u-acute after z") << cp("\xFA") << QStringLiteral("z") << 1;
        QTest::newRow("u-acute is |") << cp("\xDA") << QStringLiteral("|") << 0;
        QTest::newRow("u-umlaut is }") << cp("\xFC") << QStringLiteral("}") << 0;
        QTest::newRow("u-double-acute is ~") << cp("\xDB") << QStringLiteral("~") << 0;
        QTest::newRow("u-acute before u-umlaut") << cp("\xFA") << cp("\xFC") << -1;
        QTest::newRow("other accents by byte") << cp("\xE8") << cp("\x9E") << 1;  // c-caron 232, z-caron 158
        QTest::newRow("capital c-caron not lowered") << cp("\xC8") << cp("\xE8") << -1;
        QTest::newRow("prefix first") << QStringLiteral("ab") << QStringLiteral("abc") << -1;
        QTest::newRow("dot before digits") << QStringLiteral("b.mp3") << QStringLiteral("b2.mp3") << -1;
        QTest::newRow("outside the code page after every byte") << QStringLiteral("\u044F") << cp("\xFF") << 1;
        QTest::newRow("outside the code page distinct") << QStringLiteral("\u044E") << QStringLiteral("\u044F") << -1;
        QTest::newRow("beyond 16 bits") << QStringLiteral("\U0001F600") << QStringLiteral("\uFFFD") << 1;
    }
    void nameOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        QCOMPARE(CompareSortNames(a, b), sign);
        QCOMPARE(CompareSortNames(b, a), -sign);
    }

    void groups_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("group");
        QTest::newRow("mp3") << QStringLiteral("a.mp3") << int(SortGroup::Mp3);
        QTest::newRow("MP3 without dot") << QStringLiteral("xmP3") << int(SortGroup::Mp3);
        QTest::newRow("m3u") << QStringLiteral("l.M3U") << int(SortGroup::M3u);
        QTest::newRow("marked") << QStringLiteral("a.MP!") << int(SortGroup::Other);
        QTest::newRow("mp3 inside") << QStringLiteral("a.mp3.jpg") << int(SortGroup::Other);
        QTest::newRow("short") << QStringLiteral("p3") << int(SortGroup::Other);
    }
    void groups()
    {
        QFETCH(QString, name);
        QFETCH(int, group);
        QCOMPARE(int(SortGroupOf(name, false)), group);
        QCOMPARE(SortGroupOf(name, true), SortGroup::Directory);
    }

    // ---------------------------------------------------------- sorted tree

    void sortedTree_data()
    {
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("groups") << QStringList{QStringLiteral("b.mp3"), QStringLiteral("A.MP3"),
                                               QStringLiteral("list.m3u"), QStringLiteral("cover.jpg"),
                                               QStringLiteral("z/")}
                                << QStringList{QStringLiteral("z"), QStringLiteral("A.MP3"), QStringLiteral("b.mp3"),
                                               QStringLiteral("list.m3u"), QStringLiteral("cover.jpg")};
        QTest::newRow("equal names, later listed first (1)")
            << QStringList{cp("\xE1" "bc.mp3"), QStringLiteral("bbc.mp3")}
            << QStringList{QStringLiteral("bbc.mp3"), cp("\xE1" "bc.mp3")};
        QTest::newRow("equal names, later listed first (2)")
            << QStringList{QStringLiteral("bbc.mp3"), cp("\xE1" "bc.mp3")}
            << QStringList{cp("\xE1" "bc.mp3"), QStringLiteral("bbc.mp3")};
        QTest::newRow("A-acute with b") << QStringList{QStringLiteral("c.mp3"), cp("\xC1" ".mp3"),
                                                       QStringLiteral("a.mp3"), QStringLiteral("b2.mp3")}
                                        << QStringList{QStringLiteral("a.mp3"), cp("\xC1" ".mp3"),
                                                       QStringLiteral("b2.mp3"), QStringLiteral("c.mp3")};
        QTest::newRow("u-acute after ASCII letters")
            << QStringList{cp("\xFA" ".mp3"), QStringLiteral("z.mp3"), QStringLiteral("~.mp3"), QStringLiteral("Z1.mp3")}
            << QStringList{QStringLiteral("z.mp3"), QStringLiteral("Z1.mp3"), cp("\xFA" ".mp3"), QStringLiteral("~.mp3")};
        QTest::newRow("folders by name, groups kept")
            << QStringList{QStringLiteral("x.txt"), QStringLiteral("b/"), QStringLiteral("a.m3u"),
                           QStringLiteral("A/"), QStringLiteral("a.mp3"), QStringLiteral("0.txt")}
            << QStringList{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("a.mp3"), QStringLiteral("a.m3u"),
                           QStringLiteral("0.txt"), QStringLiteral("x.txt")};
    }
    void sortedTree()
    {
        QFETCH(QStringList, listed);
        QFETCH(QStringList, sorted);
        QCOMPARE(namesOf(SortedTree(dirOf(listed))), sorted);
    }

    void sortedTreeNested()
    {
        TSortNode d = node(QStringLiteral("d/"), {node(QStringLiteral("b.mp3")),
                                                  node(QStringLiteral("s/"), {node(QStringLiteral("y.jpg")),
                                                                              node(QStringLiteral("x.mp3"))}),
                                                  node(QStringLiteral("a.mp3"))});
        const TSortNode s = SortedTree(d);
        QCOMPARE(namesOf(s), (QStringList{QStringLiteral("s"), QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}));
        QCOMPARE(namesOf(s.Entries[0]), (QStringList{QStringLiteral("x.mp3"), QStringLiteral("y.jpg")}));
        QCOMPARE(CountFiles(s), 4);

        const PlayOrder order = PlayOrderOf(d);
        QCOMPARE(order.Now, (QStringList{QStringLiteral("b.mp3"), QStringLiteral("s\\x.mp3"), QStringLiteral("a.mp3")}));
        QCOMPARE(order.Sorted, (QStringList{QStringLiteral("s\\x.mp3"), QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}));
    }

    // ---------------------------------------------------------- plan and run

    void planMatchesSortedTree()
    {
        makeMusic();
        const SortPlan plan = PlanSort(QStringLiteral("v:\\MUSIC"));
        QVERIFY2(plan.ok(), qPrintable(PlanProblemText(plan)));
        QCOMPARE(plan.Directory.device(), Music);  // spelt as stored
        QCOMPARE(plan.Rebuilt.device(), QStringLiteral("V:\\voxa\\Temp\\music"));
        QCOMPARE(plan.FileCount, 106);
        // The listing is the file system's order, read back, not assumed.
        QStringList listed;
        for (const fs::Entry &e : fs::listDir(Music))
            listed << e.name;
        QCOMPARE(namesOf(plan.Listed), listed);
        QStringList expected;
        treeFiles(plan.Sorted, Music, expected);
        QCOMPARE(movedFiles(plan), expected);
        QCOMPARE(namesOf(plan.Sorted).mid(0, 2), (QStringList{QStringLiteral("empty"), QStringLiteral("z")}));
        // Folder steps: made before their files, removed after them, the
        // rebuilt folder renamed back last.
        QCOMPARE(plan.Steps.first().kind, SortStep::Kind::MakeDir);
        QCOMPARE(plan.Steps.first().To.device(), plan.Rebuilt.device());
        QCOMPARE(plan.Steps.last().kind, SortStep::Kind::MoveBack);
        QCOMPARE(plan.Steps.last().To.device(), Music);
        QCOMPARE(plan.Steps[plan.Steps.size() - 2].kind, SortStep::Kind::RemoveDir);
        QCOMPARE(plan.Steps[plan.Steps.size() - 2].From.device(), Music);
        QVERIFY(workFolderGone());  // planning moves nothing
    }

    void sortSucceeds()
    {
        const auto before = makeMusic();
        const auto config = test::snapshot(native(QStringLiteral("voxa/config")));
        const SortPlan plan = PlanSort(Music);
        QVERIFY(plan.ok());
        test::FailingOps ops;
        ops.journalNative = native(QStringLiteral("voxa/Temp/Sort.dat"));
        QList<int> counters;
        const SortOutcome out = RunSort(plan, [&](const SortProgress &p) {
            QCOMPARE(p.phase, SortProgress::Phase::Sorting);
            QCOMPARE(p.total, 106);
            counters << p.counter;
        }, nullptr, ops);
        QCOMPARE(out.Result, SortResult::Sorted);
        QVERIFY(ops.journalSeenAtFirstRename);
        QCOMPARE(ops.journalAtFirstRename, QByteArray("V:\\music\r\n"));
        QCOMPARE(counters.size(), 106);
        QCOMPARE(counters.first(), 1);
        QCOMPARE(counters.last(), 106);
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
        QCOMPARE(test::snapshot(native(QStringLiteral("voxa/config"))), config);
        QVERIFY(workFolderGone());
        QVERIFY(!SortJournalExists(QLatin1Char('V')));
        // An existing voxa\Temp with a foreign file stays, the journal goes.
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\temp\\other.txt"), "x"));
        const SortOutcome again = RunSort(PlanSort(Music));
        QCOMPARE(again.Result, SortResult::Sorted);
        QVERIFY(QFileInfo::exists(native(QStringLiteral("voxa/temp/other.txt"))));
        QVERIFY(!SortJournalExists(QLatin1Char('V')));
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
    }

    void failureRollsBack_data()
    {
        QTest::addColumn<QString>("renameContaining");
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("removeDir");  // native, below the drive
        QTest::addColumn<QString>("makePath");
        QTest::addColumn<QString>("lastError");
        QTest::newRow("first file") << QStringLiteral("/music/z/") << 1 << QString() << QString() << QString();
        QTest::newRow("a file in the middle") << QStringLiteral("t50.mp3") << 1 << QString() << QString()
                                              << QStringLiteral("V:\\music\\z\\t50.mp3");
        QTest::newRow("last file") << QStringLiteral("cover.jpg") << 1 << QString() << QString()
                                   << QStringLiteral("V:\\music\\cover.jpg");
        QTest::newRow("folder not removed") << QString() << 0 << QStringLiteral("music/z") << QString()
                                            << QStringLiteral("simulated failure [V:\\music\\z]");
        QTest::newRow("folder not made") << QString() << 0 << QString() << QStringLiteral("voxa/Temp/music/empty")
                                         << QStringLiteral("simulated failure [V:\\voxa\\Temp\\music\\empty]");
        QTest::newRow("rebuilt folder not renamed back")
            << QStringLiteral("Temp/music") << 106 + 1 << QString() << QString()
            << QStringLiteral("simulated failure [V:\\voxa\\Temp\\music]");
    }
    void failureRollsBack()
    {
        QFETCH(QString, renameContaining);
        QFETCH(int, at);
        QFETCH(QString, removeDir);
        QFETCH(QString, makePath);
        QFETCH(QString, lastError);
        const auto before = makeMusic();
        const SortPlan plan = PlanSort(Music);
        QVERIFY(plan.ok());
        test::FailingOps ops;
        ops.failRenameContaining = renameContaining;
        ops.failRenameAt = at;
        ops.failRemoveDir = removeDir.isEmpty() ? QString() : native(removeDir);
        ops.failMakePath = makePath.isEmpty() ? QString() : native(makePath);
        int lastCounter = -1;
        bool rolling = false;
        const SortOutcome out = RunSort(plan, [&](const SortProgress &p) {
            if (p.phase == SortProgress::Phase::RollingBack) {
                QVERIFY(!rolling || p.counter == lastCounter - 1);
                rolling = true;
                QVERIFY(p.caption().startsWith(QStringLiteral("Rolling Back: ")));
            }
            lastCounter = p.counter;
        }, nullptr, ops);
        QCOMPARE(out.Result, SortResult::RolledBack);
        if (QTest::currentDataTag() == QLatin1String("first file")) {
            lastError = movedFiles(plan).first();  // the first file of z, in sorted order
            QCOMPARE(out.MovedOut, 0);
        }
        QCOMPARE(out.LastError, lastError);
        QCOMPARE(out.MovedBack, out.MovedOut);
        QCOMPARE(SortErrorText(out.LastError),
                 QStringLiteral("There was an error while sorting. Trying to roll back. (") + lastError
                     + QStringLiteral(") "));
        if (out.MovedOut > 0)
            QCOMPARE(lastCounter, 0);
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
        QVERIFY(workFolderGone());
        QVERIFY(!SortJournalExists(QLatin1Char('V')));
    }

    void rollBackFailureKeepsJournal()
    {
        const auto before = makeMusic();
        test::FailingOps ops;
        ops.failRenameContaining = QStringLiteral("t60.mp3");
        ops.failRenameAt = 1;
        ops.failRenamesFrom = 70;  // the roll-back fails after a few files
        const SortOutcome out = RunSort(PlanSort(Music), {}, nullptr, ops);
        QCOMPARE(out.Result, SortResult::RollBackFailed);
        QVERIFY(out.RollBackError.startsWith(QStringLiteral("V:\\voxa\\Temp\\music\\")));
        QCOMPARE(RollBackFailureText(QLatin1Char('v')),
                 QStringLiteral("There was some error while trying to roll back. You can find your files in  "
                                "V:\\voxa\\Temp directory and you can move them back."));
        QVERIFY(SortJournalExists(QLatin1Char('V')));
        // Nothing is lost: every file is in the folder or in voxa\Temp.
        const auto inPlace = test::snapshot(native(QStringLiteral("music")));
        const auto inTemp = test::snapshot(native(QStringLiteral("voxa/Temp/music")));
        int files = 0;
        for (auto it = before.begin(); it != before.end(); ++it) {
            if (it.value() == "<dir>")
                continue;
            ++files;
            QVERIFY2(inPlace.value(it.key()) == it.value() || inTemp.value(it.key()) == it.value(),
                     qPrintable(it.key()));
        }
        QCOMPARE(files, 106);
        // A new sort must wait for the roll-back.
        QCOMPARE(PlanSort(Music).Problem, PlanProblem::JournalPresent);
        // The next start's roll-back brings everything home.
        const SortOutcome resumed = RollBackSort(QLatin1Char('V'));
        QCOMPARE(resumed.Result, SortResult::RolledBack);
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
        QVERIFY(workFolderGone());
    }

    // An interruption after some moves, as a crash would leave it.
    void resumeAtStartUp_data()
    {
        QTest::addColumn<int>("stepsDone");
        QTest::addColumn<bool>("journalLetterChanged");
        QTest::newRow("journal only") << 0 << false;
        QTest::newRow("work folder made") << 1 << false;
        QTest::newRow("some files out") << 30 << false;
        QTest::newRow("many steps") << 106 << false;
        QTest::newRow("all out, folder removed") << -2 << false;
        QTest::newRow("renamed back, journal left") << -1 << false;
        QTest::newRow("drive letter changed") << 60 << true;
    }
    void resumeAtStartUp()
    {
        QFETCH(int, stepsDone);
        QFETCH(bool, journalLetterChanged);
        const auto before = makeMusic();
        // Another drive with a folder of the same name must stay untouched.
        const QString eRoot = m_drives->add(QLatin1Char('E'));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\other.mp3"), "other"));
        const SortPlan plan = PlanSort(Music);
        QVERIFY(plan.ok());
        QVERIFY(fs::makePath(plan.WorkFolder.device()));
        const QByteArray journal = journalLetterChanged ? QByteArray("E:\\music\r\n") : EncodeSortJournal(Music);
        QCOMPARE(fs::writeWholeFile(plan.Journal.device(), journal), QString());
        const qsizetype n = stepsDone < 0 ? plan.Steps.size() + 1 + stepsDone : stepsDone;
        for (qsizetype i = 0; i < n; ++i) {
            const SortStep &s = plan.Steps[i];
            switch (s.kind) {
            case SortStep::Kind::MakeDir: QVERIFY(fs::makePath(s.To.native())); break;
            case SortStep::Kind::RemoveDir: QVERIFY(fs::removeDir(s.From.native())); break;
            default: QVERIFY(fs::rename(s.From.native(), s.To.native())); break;
            }
        }
        QVERIFY(SortJournalExists(QLatin1Char('V')));
        QList<SortProgress> seen;
        const SortOutcome out = RollBackSort(QLatin1Char('V'), [&](const SortProgress &p) { seen << p; });
        QCOMPARE(out.Result, SortResult::RolledBack);
        QCOMPARE(out.Directory, Music);
        QVERIFY(seen.isEmpty());  // a start-up roll-back has no bar to move
        QCOMPARE(out.LastError, QString());
        QCOMPARE(SortErrorText(out.LastError),
                 QStringLiteral("There was an error while sorting. Trying to roll back. () "));
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
        QCOMPARE(test::snapshot(eRoot + QStringLiteral("/music")).keys(), QStringList{QStringLiteral("other.mp3")});
        QVERIFY(workFolderGone());
        QVERIFY(!SortJournalExists(QLatin1Char('V')));
    }

    void unreadableJournal_data()
    {
        QTest::addColumn<QByteArray>("journal");
        QTest::addColumn<bool>("foreignFiles");
        QTest::addColumn<int>("result");
        QTest::newRow("garbage, nothing else") << QByteArray("\x01\x02garbage") << false << int(SortResult::RolledBack);
        QTest::newRow("empty, nothing else") << QByteArray() << false << int(SortResult::RolledBack);
        QTest::newRow("garbage, files in Temp") << QByteArray("\x01\x02garbage") << true << int(SortResult::RollBackFailed);
        QTest::newRow("cut short, files in Temp") << QByteArray("V:\\mus") << true << int(SortResult::RollBackFailed);
        QTest::newRow("other folder, files in Temp") << QByteArray("V:\\other\r\n") << true
                                                     << int(SortResult::RollBackFailed);
        QTest::newRow("other folder, nothing else") << QByteArray("V:\\other\r\n") << false
                                                    << int(SortResult::RolledBack);
        QTest::newRow("root, files in Temp") << QByteArray("V:\\\r\n") << true << int(SortResult::RollBackFailed);
        QTest::newRow("too long") << QByteArray("V:\\") + QByteArray(SortJournalMaxBytes, 'a') << true
                                  << int(SortResult::RollBackFailed);
    }
    void unreadableJournal()
    {
        QFETCH(QByteArray, journal);
        QFETCH(bool, foreignFiles);
        QFETCH(int, result);
        QVERIFY(TestDriveTable::writeFile(SortJournalPath(QLatin1Char('V')), journal));
        if (foreignFiles)
            QVERIFY(TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\Temp\\music\\a.mp3"), "a"));
        const SortOutcome out = RollBackSort(QLatin1Char('V'));
        QCOMPARE(int(out.Result), result);
        QCOMPARE(SortJournalExists(QLatin1Char('V')), result == int(SortResult::RollBackFailed));
        if (foreignFiles)
            QVERIFY(QFileInfo::exists(native(QStringLiteral("voxa/Temp/music/a.mp3"))));
        else
            QVERIFY(workFolderGone());
    }

    void journalBytes_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ASCII") << Music << QByteArray("V:\\music\r\n");
        QTest::newRow("code page") << QStringLiteral("V:\\zene\\\u0150szi") << QByteArray("V:\\zene\\\xD5szi\r\n");
        QTest::newRow("outside the code page")
            << QStringLiteral("V:\\\u043C\u0443\u0437") << QByteArray("\xEF\xBB\xBFV:\\\xD0\xBC\xD1\x83\xD0\xB7\r\n");
    }
    void journalBytes()
    {
        QFETCH(QString, dir);
        QFETCH(QByteArray, bytes);
        QCOMPARE(EncodeSortJournal(dir), bytes);
        const SortJournal j = ParseSortJournal(bytes);
        QVERIFY(j.Valid);
        QCOMPARE(j.Written, dir);
        QCOMPARE(JournalDirectoryOn(j, QLatin1Char('k')), QStringLiteral("K:") + dir.mid(2));
    }

    void sortNonCodePageFolder()
    {
        const QString dir = QStringLiteral("V:\\\u043C\u0443\u0437");
        QVERIFY(test::makeFiles(dir, test::numbered(QStringLiteral("%1.mp3"), 5)));
        const auto before = test::snapshot(platform::toNative(dir));
        test::FailingOps ops;
        ops.failRenameContaining = QStringLiteral("4.mp3");
        ops.failRenameAt = 1;
        QCOMPARE(RunSort(PlanSort(dir), {}, nullptr, ops).Result, SortResult::RolledBack);
        QCOMPARE(test::snapshot(platform::toNative(dir)), before);
        QCOMPARE(RunSort(PlanSort(dir)).Result, SortResult::Sorted);
        QCOMPARE(test::snapshot(platform::toNative(dir)), before);
    }

    void planRefusals_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<int>("problem");
        QTest::newRow("native path") << QStringLiteral("/tmp") << int(PlanProblem::NotOnDrive);
        QTest::newRow("unknown drive") << QStringLiteral("Q:\\music") << int(PlanProblem::NotOnDrive);
        QTest::newRow("missing") << QStringLiteral("V:\\nothing") << int(PlanProblem::NotFound);
        QTest::newRow("a file") << QStringLiteral("V:\\music\\b.mp3") << int(PlanProblem::NotFound);
        QTest::newRow("root") << QStringLiteral("V:\\") << int(PlanProblem::HoldsWorkFolder);
        QTest::newRow("voxa") << QStringLiteral("V:\\VOXA") << int(PlanProblem::HoldsWorkFolder);
        QTest::newRow("work folder") << QStringLiteral("V:\\voxa\\temp") << int(PlanProblem::HoldsWorkFolder);
        QTest::newRow("inside work folder") << QStringLiteral("V:\\voxa\\Temp\\x") << int(PlanProblem::HoldsWorkFolder);
        // ".." is resolved by the path layer and stops at the drive root, so
        // this is V:\music itself and cannot lead off the drive.
        QTest::newRow("dot dot") << QStringLiteral("V:\\..\\..\\music\\..\\music") << int(PlanProblem::None);
        QTest::newRow("journal present") << Music << int(PlanProblem::JournalPresent);
        QTest::newRow("work folder busy") << Music << int(PlanProblem::WorkFolderBusy);
        QTest::newRow("voxa\\config may") << QStringLiteral("V:\\voxa\\config") << int(PlanProblem::None);
    }
    void planRefusals()
    {
        QFETCH(QString, dir);
        QFETCH(int, problem);
        QVERIFY(test::makeFiles(Music, {QStringLiteral("b.mp3")}));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\config\\a.cfg")));
        QVERIFY(fs::makePath(QStringLiteral("V:\\voxa\\Temp\\x")));
        if (QTest::currentDataTag() == QLatin1String("journal present"))
            QVERIFY(TestDriveTable::writeFile(SortJournalPath(QLatin1Char('V')), "V:\\other\r\n"));
        if (QTest::currentDataTag() == QLatin1String("work folder busy"))
            QVERIFY(fs::makePath(QStringLiteral("V:\\voxa\\Temp\\MUSIC")));
        const SortPlan plan = PlanSort(dir);
        QCOMPARE(int(plan.Problem), problem);
        QCOMPARE(plan.Steps.isEmpty(), problem != 0);
        if (problem) {
            const SortOutcome out = RunSort(plan);
            QCOMPARE(out.Result, SortResult::NotStarted);
            QVERIFY(!out.StartError.isEmpty());
        }
    }

    void journalNotWritten()
    {
        const auto before = makeMusic();
        test::FailingOps ops;
        ops.journalError = QStringLiteral("No space left on device");
        const SortOutcome out = RunSort(PlanSort(Music), {}, nullptr, ops);
        QCOMPARE(out.Result, SortResult::NotStarted);
        QCOMPARE(out.StartError, QStringLiteral("No space left on device \"Temp\" or \"sort.dat\"."));
        QCOMPARE(ops.renames, 0);
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
    }

    // One sort or roll-back per drive: a second one is refused before it moves anything, and a
    // journal is never written over.
    void secondRunRefused_data()
    {
        QTest::addColumn<QString>("run");
        QTest::addColumn<QString>("startError");
        const QString busy = DriveBusyText(QLatin1Char('V'));
        QTest::newRow("sort while the drive is held") << "sort" << busy;
        QTest::newRow("roll-back while the drive is held") << "rollback" << busy;
        QTest::newRow("journal written meanwhile")
            << "journal" << JournalFailureText(QString::fromLocal8Bit(std::strerror(EEXIST)));
    }
    void secondRunRefused()
    {
        QFETCH(QString, run);
        QFETCH(QString, startError);
        const auto before = makeMusic();
        const SortPlan plan = PlanSort(Music);
        QVERIFY(plan.ok());
        // Another run's journal, which the plan did not see yet.
        QVERIFY(TestDriveTable::writeFile(plan.Journal.device(), "V:\\other\r\n"));
        struct BlindOps : test::FailingOps {
            bool exists(const QString &path) override { return !path.endsWith(QLatin1String("Sort.dat")) && SortFileOps::exists(path); }
        } ops;
        fs::FolderLock other;
        if (run != QLatin1String("journal")) {
            QVERIFY(LockSortDrive(QLatin1Char('V'), other) && SortDriveBusy(QLatin1Char('V')));
            QCOMPARE(PlanProblemText(PlanSort(Music)), startError);
        }
        const SortOutcome out = run == QLatin1String("rollback") ? RollBackSort(QLatin1Char('V'), {}, ops)
                                                                  : RunSort(plan, {}, nullptr, ops);
        QCOMPARE(out.Result, SortResult::NotStarted);
        QCOMPARE(out.StartError, startError);
        QCOMPARE(TestDriveTable::readFile(plan.Journal.device()), QByteArray("V:\\other\r\n"));
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
        QCOMPARE(QDir(native(QStringLiteral("voxa/Temp"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("Sort.dat")});
    }

    // The drive is synced after the last rename and right before the journal goes, so a power
    // loss cannot keep the journal's removal and lose the renames it stood for.
    void syncBeforeJournalGoes_data()
    {
        QTest::addColumn<int>("result");
        QTest::newRow("sorted") << int(SortResult::Sorted);
        QTest::newRow("rolled back after a failure") << int(SortResult::RolledBack);
    }
    void syncBeforeJournalGoes()
    {
        QFETCH(int, result);
        const auto before = makeMusic();
        struct OrderOps : test::FailingOps {
            QStringList calls;  // renames, syncs and removals, in order
            bool log(const QString &call, bool ok) { calls << call; return ok; }
            bool rename(const QString &from, const QString &to) override { return log(QStringLiteral("rename"), FailingOps::rename(from, to)); }
            bool syncDrive(const QString &f) override { return log(QStringLiteral("sync ") + QDir(f).dirName(), SortFileOps::syncDrive(f)); }
            bool removeFile(const QString &p) override { return log(QStringLiteral("remove ") + QFileInfo(p).fileName(), SortFileOps::removeFile(p)); }
        } ops;
        ops.failRenameContaining = result == int(SortResult::RolledBack) ? QStringLiteral("t50.mp3") : QString();
        ops.failRenameAt = 1;
        QCOMPARE(int(RunSort(PlanSort(Music), {}, nullptr, ops).Result), result);
        const qsizetype removed = ops.calls.indexOf(QStringLiteral("remove Sort.dat"));
        QVERIFY(removed > 0);
        QCOMPARE(ops.calls[removed - 1], QStringLiteral("sync Temp"));
        QCOMPARE(ops.calls.lastIndexOf(QStringLiteral("rename")), removed - 2);
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
        QVERIFY(workFolderGone());
    }

    void linksAreMovedNotEntered()
    {
        QVERIFY(test::makeFiles(Music, {QStringLiteral("b.mp3")}));
        QVERIFY(test::makeFiles(QStringLiteral("V:\\elsewhere"), {QStringLiteral("x.mp3")}));
        QVERIFY(QFile::link(QStringLiteral("../elsewhere"), native(QStringLiteral("music/link"))));
        QVERIFY(QFile::link(QStringLiteral(".."), native(QStringLiteral("music/up"))));
        const SortPlan plan = PlanSort(Music);
        QVERIFY(plan.ok());
        QCOMPARE(plan.FileCount, 3);
        QCOMPARE(RunSort(plan).Result, SortResult::Sorted);
        QVERIFY(QFileInfo(native(QStringLiteral("music/link"))).isSymLink());
        QVERIFY(QFileInfo::exists(native(QStringLiteral("elsewhere/x.mp3"))));
        QVERIFY(!DirectoryQualifies(Music));  // and no endless walk through "up"
    }

    void cancelRollsBack()
    {
        const auto before = makeMusic();
        std::atomic_bool cancel = false;
        const SortOutcome out = RunSort(PlanSort(Music), [&](const SortProgress &p) {
            if (p.counter == 7)
                cancel = true;
        }, &cancel);
        QCOMPARE(out.Result, SortResult::RolledBack);
        QVERIFY(out.Cancelled);
        QCOMPARE(out.MovedOut, 7);
        QCOMPARE(out.MovedBack, 7);
        QCOMPARE(out.LastError, QString());
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
        QVERIFY(workFolderGone());
    }

    void progressCaption_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("counter");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("caption");
        QTest::newRow("start") << 0 << 0 << 106 << QStringLiteral("Sorting: 0%");
        QTest::newRow("truncated") << 0 << 105 << 106 << QStringLiteral("Sorting: 99%");
        QTest::newRow("full") << 0 << 106 << 106 << QStringLiteral("Sorting: 100%");
        QTest::newRow("no total") << 1 << 5 << 0 << QStringLiteral("Rolling Back: 0%");
        QTest::newRow("large") << 1 << 2000000000 << 2100000000 << QStringLiteral("Rolling Back: 95%");
    }
    void progressCaption()
    {
        QFETCH(int, phase);
        QFETCH(int, counter);
        QFETCH(int, total);
        QFETCH(QString, caption);
        QCOMPARE(SortProgress({SortProgress::Phase(phase), counter, total}).caption(), caption);
    }

    void jobOnWorkerThread()
    {
        const auto before = makeMusic();
        TSortJob job;
        QList<int> percents;
        QList<QThread *> threads;
        SortOutcome result;
        bool done = false;
        connect(&job, &TSortJob::progress, this, [&](const SortProgress &p) {
            percents << p.percent();
            threads << QThread::currentThread();
        });
        connect(&job, &TSortJob::finished, this, [&](const SortOutcome &o) {
            result = o;
            done = true;
        });
        QVERIFY(job.startSort(PlanSort(Music)));
        QVERIFY(job.isRunning());
        QVERIFY(!job.startRollBack(QLatin1Char('V')));  // one at a time
        QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
        QVERIFY(!job.isRunning());
        QCOMPARE(result.Result, SortResult::Sorted);
        // One signal per percent at most, received on this thread.
        QVERIFY(percents.size() <= 101 && percents.size() >= 50);
        QCOMPARE(percents.last(), 100);
        QVERIFY(std::is_sorted(percents.begin(), percents.end()));
        for (QThread *t : threads)
            QCOMPARE(t, QThread::currentThread());
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
    }

    void rollBackJob()
    {
        const auto before = makeMusic();
        const SortPlan plan = PlanSort(Music);
        QVERIFY(fs::makePath(plan.WorkFolder.device()));
        QCOMPARE(fs::writeWholeFile(plan.Journal.device(), EncodeSortJournal(Music)), QString());
        int moved = 0;
        for (qsizetype i = 0; i < 20; ++i) {
            const SortStep &s = plan.Steps[i];
            if (s.kind == SortStep::Kind::MakeDir)
                QVERIFY(fs::makePath(s.To.native()));
            else if (s.kind == SortStep::Kind::RemoveDir)
                QVERIFY(fs::removeDir(s.From.native()));
            else
                QVERIFY(fs::rename(s.From.native(), s.To.native()) && ++moved);
        }
        QVERIFY(moved > 5);
        TSortJob job;
        std::optional<SortOutcome> result;
        connect(&job, &TSortJob::finished, this, [&](const SortOutcome &o) { result = o; });
        QVERIFY(job.startRollBack(QLatin1Char('V')));
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 30000);
        QCOMPARE(result->Result, SortResult::RolledBack);
        QCOMPARE(result->MovedBack, moved);
        QCOMPARE(test::snapshot(native(QStringLiteral("music"))), before);
    }
};

QTEST_GUILESS_MAIN(TestDirSort)
#include "test_dirsort.moc"
