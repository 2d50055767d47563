// A sort killed at random points: voxatool sort runs in a child process on a
// 2000-file folder and is killed with SIGKILL; the roll-back that the manager
// runs at start-up (voxatool rollback, in-process here) must bring back every
// file with its content, and a sort must complete afterwards. Two sorts and
// a roll-back started together on one drive, killed at random, and a folder
// beside its case twin on a case-sensitive drive lose nothing either.
#include "music/dirsort.h"
#include "platform/fileops.h"
#include "sorttestutil.h"
#include "support/testdrives.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace voxa;
using test::TestDriveTable;

namespace {

// voxatool in child processes, seeing the test's drive table.
class ToolProcesses {
public:
    explicit ToolProcesses(const TestDriveTable &drives, const QString &letters)
    {
        QFile t(m_dir.filePath(QStringLiteral("drives")));
        if (t.open(QIODevice::WriteOnly))
            for (QChar l : letters)
                t.write(QString(l).toLatin1() + " removable FAT32 VOXA " + QFile::encodeName(drives.root(l)) + "\n");
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("VOXA_DRIVE_TABLE"), t.fileName());
    }

    std::unique_ptr<QProcess> start(const QStringList &args) const
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(m_env);
        p->start(QStringLiteral(VOXATOOL), args);
        return p;
    }

    // Waits for a process; -9 when it was killed, else its exit status.
    static int finish(QProcess &p)
    {
        p.waitForFinished(60000);
        return p.exitStatus() == QProcess::CrashExit ? -9 : p.exitCode();
    }

    int run(const QStringList &args) const
    {
        const auto p = start(args);
        return p->waitForStarted() ? finish(*p) : -1;
    }

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
};

}  // namespace

class TestSortCrash : public QObject {
    Q_OBJECT

private slots:
    void killedSortsRollBack()
    {
        const int kills = qEnvironmentVariableIntValue("VOXA_SORT_KILLS") > 0
                              ? qEnvironmentVariableIntValue("VOXA_SORT_KILLS") : 100;
        TestDriveTable drives;
        const QString root = drives.add(QLatin1Char('V'));
        QStringList files = test::numbered(QStringLiteral("%1.mp3"), 1900);
        files << test::numbered(QStringLiteral("sub\\%1.mp3"), 90) << test::numbered(QStringLiteral("sub\\deep\\%1.jpg"), 10);
        QVERIFY(test::makeFiles(QStringLiteral("V:\\music"), files));
        const QString music = root + QStringLiteral("/music");
        const auto before = test::snapshot(music);

        QTemporaryDir tableDir;
        const QString table = tableDir.filePath(QStringLiteral("drives"));
        QFile t(table);
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("V removable FAT32 VOXA " + QFile::encodeName(root) + "\n");
        t.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VOXA_DRIVE_TABLE"), table);

        // How long an undisturbed sort takes, to spread the kills over it.
        auto sortOnce = [&](qint64 killAfterUs) -> int {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(VOXATOOL), {QStringLiteral("sort"), QStringLiteral("V:\\music")});
            if (!p.waitForStarted())
                return -1;
            if (killAfterUs >= 0) {
                ::usleep(useconds_t(killAfterUs));
                ::kill(pid_t(p.processId()), SIGKILL);
            }
            p.waitForFinished(60000);
            return p.exitStatus() == QProcess::CrashExit ? -9 : p.exitCode();
        };
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(sortOnce(-1), 0);
        const qint64 fullUs = timer.nsecsElapsed() / 1000;
        QCOMPARE(test::snapshot(music), before);

        QRandomGenerator rng(0xC0FFEE);
        int interrupted = 0, rolledBackFiles = 0;
        for (int i = 0; i < kills; ++i) {
            const int status = sortOnce(qint64(rng.bounded(quint32(fullUs + 1))));
            if (status == -9)
                ++interrupted;
            if (SortJournalExists(QLatin1Char('V'))) {
                const SortOutcome out = RollBackSort(QLatin1Char('V'));
                QCOMPARE(out.Result, SortResult::RolledBack);
                rolledBackFiles += out.MovedBack;
            }
            QVERIFY(!SortJournalExists(QLatin1Char('V')));
            // A kill before the journal is in place may leave voxa\Temp
            // with an unfinished copy of the journal, never with music.
            for (const QString &left : test::snapshot(root + QStringLiteral("/voxa/Temp")).keys())
                QVERIFY2(left.startsWith(QLatin1String("Sort.dat.")), qPrintable(left));
            const auto after = test::snapshot(music);
            if (after != before)
                QFAIL(qPrintable(QStringLiteral("kill %1: the folder differs").arg(i)));
        }
        QCOMPARE(sortOnce(-1), 0);
        QCOMPARE(test::snapshot(music), before);
        qInfo("%d kills, %d interrupted a sort, %d files moved back; an undisturbed sort took %lld ms", kills,
              interrupted, rolledBackFiles, fullUs / 1000);
        QVERIFY(interrupted > kills / 4);
    }

    // Two sorts and a roll-back of one drive started together and the sorts
    // killed at random: one of them runs, the others are refused, and the
    // roll-back afterwards brings back the files of both folders.
    void concurrentRunsNeverStrandFiles()
    {
        const int rounds = qEnvironmentVariableIntValue("VOXA_SORT_KILLS") > 0
                               ? qEnvironmentVariableIntValue("VOXA_SORT_KILLS") / 4 + 1 : 25;
        TestDriveTable drives;
        const QString root = drives.add(QLatin1Char('W'));
        QVERIFY(test::makeFiles(QStringLiteral("W:\\one"), test::numbered(QStringLiteral("%1.mp3"), 1000)));
        QVERIFY(test::makeFiles(QStringLiteral("W:\\two"), test::numbered(QStringLiteral("t%1.mp3"), 1000)));
        const auto one = test::snapshot(root + QStringLiteral("/one"));
        const auto two = test::snapshot(root + QStringLiteral("/two"));
        const ToolProcesses tool(drives, QStringLiteral("W"));
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(tool.run({QStringLiteral("sort"), QStringLiteral("W:\\one")}), 0);
        const qint64 fullUs = timer.nsecsElapsed() / 1000;

        QRandomGenerator rng(0x5EED);
        int refused = 0;
        for (int i = 0; i < rounds; ++i) {
            const auto a = tool.start({QStringLiteral("sort"), QStringLiteral("W:\\one")});
            const auto b = tool.start({QStringLiteral("sort"), QStringLiteral("W:\\two")});
            ::usleep(useconds_t(rng.bounded(quint32(fullUs + 1))));
            const auto r = tool.start({QStringLiteral("rollback"), QStringLiteral("W")});
            QVERIFY(a->waitForStarted() && b->waitForStarted() && r->waitForStarted());
            ::usleep(useconds_t(rng.bounded(quint32(fullUs + 1))));
            ::kill(pid_t(a->processId()), SIGKILL);
            ::usleep(useconds_t(rng.bounded(quint32(fullUs / 2 + 1))));
            ::kill(pid_t(b->processId()), SIGKILL);
            for (QProcess *p : {a.get(), b.get(), r.get()}) {
                const int status = ToolProcesses::finish(*p);
                const QString err = QString::fromLocal8Bit(p->readAllStandardError());
                // Done, killed, or refused with the reason: busy, or a
                // journal left by a killed sort waits for its roll-back.
                const bool refusal = err.contains(DriveBusyText(QLatin1Char('W')))
                                     || err.contains(QLatin1String("an interrupted sort must be rolled back first"));
                QVERIFY2(status == 0 || status == -9 || (status == 1 && refusal),
                         qPrintable(QStringLiteral("%1: %2").arg(status).arg(err)));
                refused += status == 1;
            }
            // What the next start of the manager does.
            QCOMPARE(tool.run({QStringLiteral("rollback"), QStringLiteral("W")}), 0);
            QVERIFY(!SortJournalExists(QLatin1Char('W')));
            QVERIFY(!QFileInfo::exists(root + QStringLiteral("/voxa/Temp")));
            if (test::snapshot(root + QStringLiteral("/one")) != one || test::snapshot(root + QStringLiteral("/two")) != two)
                QFAIL(qPrintable(QStringLiteral("round %1: a folder differs").arg(i)));
        }
        qInfo("%d refusals; an undisturbed sort took %lld ms", refused, fullUs / 1000);
        QVERIFY(refused > 0);
    }

    // "music" and "MUSIC" side by side on a case-sensitive drive: the sort of
    // one interrupted anywhere, even at the last rename back, is rolled back
    // into that one and the twin is never entered.
    void caseTwinKeptApart_data()
    {
        QTest::addColumn<int>("stepsDone");  // moves made before the kill; -1: all but the last
        QTest::addColumn<int>("randomKills");
        QTest::newRow("killed at the last move back") << -1 << 0;
        QTest::newRow("killed after the folder was emptied") << -2 << 0;
        QTest::newRow("killed half way") << 80 << 0;
        QTest::newRow("killed at random") << 0 << 20;
    }
    void caseTwinKeptApart()
    {
        QFETCH(int, stepsDone);
        QFETCH(int, randomKills);
        TestDriveTable drives;
        const QString root = drives.add(QLatin1Char('W'));
        QVERIFY(test::makeFiles(QStringLiteral("W:\\music"), test::numbered(QStringLiteral("%1.mp3"), 150)));
        // The twin holds files of the same names with other content.
        for (int i = 1; i <= 29; ++i)
            QVERIFY(TestDriveTable::writeFile(root + QStringLiteral("/MUSIC/%1.mp3").arg(i), "twin " + QByteArray::number(i)));
        if (QFileInfo::exists(root + QStringLiteral("/Music")))
            QSKIP("the test drive's file system ignores letter case");
        const auto music = test::snapshot(root + QStringLiteral("/music"));
        const auto twin = test::snapshot(root + QStringLiteral("/MUSIC"));
        const ToolProcesses tool(drives, QStringLiteral("W"));

        auto verifyBoth = [&](const QString &when) {
            QVERIFY2(test::snapshot(root + QStringLiteral("/music")) == music, qPrintable(when + QStringLiteral(": music")));
            QVERIFY2(test::snapshot(root + QStringLiteral("/MUSIC")) == twin, qPrintable(when + QStringLiteral(": MUSIC")));
        };
        if (randomKills == 0) {
            // The state a kill leaves, made by the sort's own plan.
            const SortPlan plan = PlanSort(QStringLiteral("W:\\music"));
            QVERIFY(plan.ok());
            QVERIFY(fs::makePath(plan.WorkFolder));
            QCOMPARE(fs::writeWholeFile(plan.Journal, EncodeSortJournal(plan.Directory)), QString());
            const qsizetype n = stepsDone < 0 ? plan.Steps.size() + stepsDone : stepsDone;
            for (qsizetype i = 0; i < n; ++i) {
                const SortStep &s = plan.Steps[i];
                switch (s.kind) {
                case SortStep::Kind::MakeDir: QVERIFY(fs::makePath(s.NativeTo)); break;
                case SortStep::Kind::RemoveDir: QVERIFY(fs::removeDir(s.NativeFrom)); break;
                default: QVERIFY(fs::rename(s.NativeFrom, s.NativeTo)); break;
                }
            }
            QCOMPARE(QFileInfo::exists(root + QStringLiteral("/music")), stepsDone != -1);
            QCOMPARE(tool.run({QStringLiteral("rollback"), QStringLiteral("W")}), 0);
            QVERIFY(!SortJournalExists(QLatin1Char('W')));
            QVERIFY(!QFileInfo::exists(root + QStringLiteral("/voxa/Temp")));
            verifyBoth(QStringLiteral("rolled back"));
        }
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(tool.run({QStringLiteral("sort"), QStringLiteral("W:\\music")}), 0);
        const qint64 fullUs = timer.nsecsElapsed() / 1000;
        verifyBoth(QStringLiteral("sorted"));
        QRandomGenerator rng(0x7A1C);
        for (int i = 0; i < randomKills; ++i) {
            const auto p = tool.start({QStringLiteral("sort"), QStringLiteral("W:\\music")});
            QVERIFY(p->waitForStarted());
            ::usleep(useconds_t(rng.bounded(quint32(fullUs + 1))));
            ::kill(pid_t(p->processId()), SIGKILL);
            ToolProcesses::finish(*p);
            QCOMPARE(tool.run({QStringLiteral("rollback"), QStringLiteral("W")}), 0);
            QVERIFY(!QFileInfo::exists(root + QStringLiteral("/voxa/Temp")));
            verifyBoth(QStringLiteral("kill %1").arg(i));
        }
    }
};

QTEST_GUILESS_MAIN(TestSortCrash)
#include "test_sortcrash.moc"
