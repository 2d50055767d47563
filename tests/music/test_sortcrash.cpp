// A sort killed at random points: voxatool sort runs in a child process on a
// 2000-file folder and is killed with SIGKILL; the roll-back that the manager
// runs at start-up (voxatool rollback, in-process here) must bring back every
// file with its content, and a sort must complete afterwards.
#include "music/dirsort.h"
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
};

QTEST_GUILESS_MAIN(TestSortCrash)
#include "test_sortcrash.moc"
