// The drive table shared between threads: workers (find, sort, copy)
// convert paths through rootOf while the window thread looks at the drives
// again. Run a second time under AddressSanitizer, where a table freed under
// a reader fails at once.
#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

using namespace voxa::platform;

class TestDriveThreads : public QObject {
    Q_OBJECT

private slots:
    void rootOfWhileLookingAgain()
    {
        QTemporaryDir tmp;
        const QString disk = tmp.filePath(QStringLiteral("player"));
        QVERIFY(QDir().mkpath(disk));
        QFile f(tmp.filePath(QStringLiteral("drives")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("P removable FAT32 VOXA " + QFile::encodeName(disk) + "\n");
        f.close();
        qputenv("VOXA_DRIVE_TABLE", QFile::encodeName(f.fileName()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(tmp.filePath(QStringLiteral("cfg"))));
        SystemDriveTable table;

        std::atomic_bool stop = false;
        std::atomic_int wrong = 0, reads = 0;
        std::vector<std::thread> threads;
        for (int i = 0; i < 2; ++i)
            threads.emplace_back([&] {
                while (!stop.load()) {
                    if (table.rootOf(QLatin1Char('p')) != disk || table.rootOf(QLatin1Char('C')) != QStringLiteral("/"))
                        ++wrong;
                    if (table.rootOf(QLatin1Char('Q')).size() != 0)
                        ++wrong;
                    ++reads;
                }
            });
        // A second looker, as a worker asking for free space does.
        threads.emplace_back([&] {
            while (!stop.load())
                if (!table.drive(QLatin1Char('P')))
                    ++wrong;
        });
        for (int i = 0; i < 300; ++i)
            if (table.drives().size() < 2)
                ++wrong;
        stop = true;
        for (std::thread &t : threads)
            t.join();
        qunsetenv("VOXA_DRIVE_TABLE");
        QCOMPARE(wrong.load(), 0);
        QVERIFY(reads.load() > 0);
    }
};

QTEST_GUILESS_MAIN(TestDriveThreads)
#include "test_drivethreads.moc"
