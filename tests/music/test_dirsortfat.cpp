// The sort's moves replayed on a real FAT32 file system, an image handled
// with mtools: a FAT folder stores new entries after the ones it has, so the
// folder rebuilt in voxa\Temp and renamed back must read back in sorted
// order, with every file whole. Skipped when mtools is not installed.
#include "music/dirsort.h"
#include "platform/paths.h"
#include "sorttestutil.h"
#include "support/testdrives.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace voxa;
using test::TestDriveTable;

namespace {

const QStringList Tools = {QStringLiteral("mformat"), QStringLiteral("mmd"),  QStringLiteral("mcopy"),
                           QStringLiteral("mmove"),   QStringLiteral("mrd"),  QStringLiteral("mdel"),
                           QStringLiteral("mdir")};

// A FAT32 image and the mtools commands run on it.
class FatImage {
public:
    explicit FatImage(const QString &file) : m_file(file) {}

    // Runs one command; fails the test with its output when it fails.
    bool run(const QString &tool, const QStringList &args, QByteArray *out = nullptr)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MTOOLS_SKIP_CHECK"), QStringLiteral("1"));
        // Long names pass through the locale's character set.
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        p.setProcessEnvironment(env);
        p.start(tool, QStringList{QStringLiteral("-i"), m_file} + args);
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            qWarning().noquote() << tool << args.join(QLatin1Char(' ')) << "failed:" << p.readAllStandardError()
                                 << p.readAllStandardOutput();
            return false;
        }
        if (out)
            *out = p.readAllStandardOutput();
        return true;
    }

    bool format()
    {
        // 70000 sectors of 512 bytes hold enough clusters for FAT32.
        return run(QStringLiteral("mformat"),
                   {QStringLiteral("-C"), QStringLiteral("-F"), QStringLiteral("-T"), QStringLiteral("70000"),
                    QStringLiteral("::")});
    }

    // A folder's entries in stored order; folders end with "/".
    bool list(const QString &folder, QStringList &names)
    {
        QByteArray out;
        if (!run(QStringLiteral("mdir"), {QStringLiteral("-b"), folder}, &out))
            return false;
        names.clear();
        const QString prefix = folder + QLatin1Char('/');
        for (const QString &line : QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (!line.startsWith(prefix))
                return false;
            names << line.mid(prefix.size());
        }
        return true;
    }

private:
    QString m_file;
};

// "V:\voxa\Temp\music" -> "::/voxa/Temp/music"
QString onImage(const QString &devicePath)
{
    return QStringLiteral("::/") + devicePath.mid(3).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

// Copies a listed tree onto the image entry by entry, so the image stores
// it in the same order.
bool copyTree(FatImage &image, const TSortNode &node, const QString &device)
{
    for (const TSortNode &e : node.Entries) {
        const QString path = device + QLatin1Char('\\') + e.Name;
        if (e.IsDir) {
            if (!image.run(QStringLiteral("mmd"), {onImage(path)}) || !copyTree(image, e, path))
                return false;
        } else if (!image.run(QStringLiteral("mcopy"), {platform::toNative(path), onImage(path)})) {
            return false;
        }
    }
    return true;
}

QStringList namesOf(const TSortNode &node)
{
    QStringList out;
    for (const TSortNode &e : node.Entries)
        out << (e.IsDir ? e.Name + QLatin1Char('/') : e.Name);
    return out;
}

// Names as FAT compares them: a name that fits 8.3 may come back in
// another letter case.
bool sameNames(const QStringList &a, const QStringList &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].compare(b[i], Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

// Checks every folder of the image below a path against a tree and, when
// asked, that each folder is in sorted order by itself: groups in order,
// names not decreasing.
void compareTree(FatImage &image, const TSortNode &expected, const QString &folder, bool sorted)
{
    QStringList stored;
    QVERIFY2(image.list(folder, stored), qPrintable(folder));
    QVERIFY2(sameNames(stored, namesOf(expected)),
             qPrintable(folder + QStringLiteral(": ") + stored.join(QLatin1Char('|')) + QStringLiteral(" / ")
                        + namesOf(expected).join(QLatin1Char('|'))));
    for (qsizetype i = 1; sorted && i < expected.Entries.size(); ++i) {
        const TSortNode &a = expected.Entries[i - 1], &b = expected.Entries[i];
        const SortGroup ga = SortGroupOf(a.Name, a.IsDir), gb = SortGroupOf(b.Name, b.IsDir);
        QVERIFY2(ga < gb || (ga == gb && CompareSortNames(a.Name, b.Name) <= 0),
                 qPrintable(a.Name + QStringLiteral(" before ") + b.Name));
    }
    for (const TSortNode &e : expected.Entries)
        if (e.IsDir) {
            compareTree(image, e, folder + QLatin1Char('/') + e.Name, sorted);
            if (QTest::currentTestFailed())
                return;
        }
}

}  // namespace

class TestDirSortFat : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const QString &tool : Tools)
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(QStringLiteral("mtools is not installed (%1 not found); "
                                                "scripts/deps installs it")
                                     .arg(tool)));
    }

    void replayedMovesReadBackSorted_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("emptyFolders");
        QTest::newRow("groups") << QStringList{QStringLiteral("z"), QStringLiteral("A.MP3"), QStringLiteral("b.mp3"),
                                               QStringLiteral("list.m3u"), QStringLiteral("cover.jpg"),
                                               QStringLiteral("sub\\2.mp3"), QStringLiteral("sub\\1.mp3")}
                                << QStringList{QStringLiteral("empty")};
        QTest::newRow("accented names")
            << QStringList{QStringLiteral("zz.mp3"), QStringLiteral("bbc.mp3"), QStringLiteral("ábc.mp3"),
                           QStringLiteral("Ác.mp3"), QStringLiteral("úr.mp3"), QStringLiteral("b.mp3"),
                           QStringLiteral("Öt.mp3"), QStringLiteral("long name with spaces and more.mp3")}
            << QStringList{};
        QStringList many = test::numbered(QStringLiteral("big\\%1 track.mp3"), 150);
        many << QStringLiteral("c.mp3") << QStringLiteral("a.mp3") << QStringLiteral("b.m3u")
             << QStringLiteral("big\\deeper\\x.mp3");
        QTest::newRow("3 files and a subfolder of 150") << many << QStringList{QStringLiteral("big\\deeper\\none")};
    }

    void replayedMovesReadBackSorted()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, emptyFolders);
        TestDriveTable drives;
        drives.add(QLatin1Char('V'));
        const QString music = QStringLiteral("V:\\music");
        QVERIFY(test::makeFiles(music, files));
        for (const QString &f : emptyFolders)
            QVERIFY(QDir().mkpath(platform::toNative(music + QLatin1Char('\\') + f)));
        const SortPlan plan = PlanSort(music);
        QVERIFY2(plan.ok(), qPrintable(PlanProblemText(plan)));

        QTemporaryDir work;
        FatImage image(work.filePath(QStringLiteral("drive.img")));
        QVERIFY(image.format());
        QVERIFY(image.run(QStringLiteral("mmd"), {QStringLiteral("::/music"), QStringLiteral("::/voxa")}));
        QVERIFY(copyTree(image, plan.Listed, music));
        compareTree(image, plan.Listed, QStringLiteral("::/music"), false);
        if (QTest::currentTestFailed())
            return;

        // What the sort does: voxa\Temp, the journal, the planned moves,
        // then the journal and voxa\Temp removed.
        QVERIFY(image.run(QStringLiteral("mmd"), {onImage(plan.WorkFolder.device())}));
        const QString journal = work.filePath(QStringLiteral("Sort.dat"));
        QVERIFY(fs::writeWholeFile(journal, EncodeSortJournal(plan.Directory.device())).isEmpty());
        QVERIFY(image.run(QStringLiteral("mcopy"), {journal, onImage(plan.Journal.device())}));
        int moved = 0;
        for (const SortStep &s : plan.Steps) {
            switch (s.kind) {
            case SortStep::Kind::MakeDir:
                QVERIFY(image.run(QStringLiteral("mmd"), {onImage(s.To.device())}));
                break;
            case SortStep::Kind::RemoveDir:
                QVERIFY(image.run(QStringLiteral("mrd"), {onImage(s.From.device())}));
                break;
            case SortStep::Kind::MoveFile:
                ++moved;
                [[fallthrough]];
            case SortStep::Kind::MoveBack:
                QVERIFY(image.run(QStringLiteral("mmove"), {onImage(s.From.device()), onImage(s.To.device())}));
                break;
            }
        }
        QCOMPARE(moved, files.size());
        QVERIFY(image.run(QStringLiteral("mdel"), {onImage(plan.Journal.device())}));
        QVERIFY(image.run(QStringLiteral("mrd"), {onImage(plan.WorkFolder.device())}));

        compareTree(image, plan.Sorted, QStringLiteral("::/music"), true);
        if (QTest::currentTestFailed())
            return;
        QStringList voxa;
        QVERIFY(image.list(QStringLiteral("::/voxa"), voxa));
        QCOMPARE(voxa, QStringList());

        // Every file is back whole: the folder copied off the image matches
        // the one the tree was made from.
        const QString out = work.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out));
        QVERIFY(image.run(QStringLiteral("mcopy"), {QStringLiteral("-s"), QStringLiteral("::/music"), out}));
        const auto before = test::snapshot(platform::toNative(music));
        const auto after = test::snapshot(out + QStringLiteral("/music"));
        QCOMPARE(after.size(), before.size());
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            auto found = after.cend();
            for (auto a = after.cbegin(); a != after.cend(); ++a)
                if (a.key().compare(it.key(), Qt::CaseInsensitive) == 0)
                    found = a;
            QVERIFY2(found != after.cend(), qPrintable(it.key()));
            QCOMPARE(found.value(), it.value());
        }
    }
};

QTEST_GUILESS_MAIN(TestDirSortFat)
#include "test_dirsortfat.moc"
