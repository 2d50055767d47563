#include "platform/processes.h"

#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace voxa::platform;

class TestProcesses : public QObject {
    Q_OBJECT
private slots:
    void runAndWaitGivesExitCode()
    {
        SystemProcesses p;
        int err = -1;
        QCOMPARE(p.runAndWait(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 3")},
                              QString(), &err),
                 3);
        QCOMPARE(err, 0);
    }

    void runAndWaitInWorkingFolder()
    {
        QTemporaryDir tmp;
        SystemProcesses p;
        int err = 0;
        QCOMPARE(p.runAndWait(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("touch here")},
                              tmp.path(), &err),
                 0);
        QVERIFY(QFile::exists(tmp.filePath(QStringLiteral("here"))));
    }

    void missingProgramGivesErrorNumber()
    {
        SystemProcesses p;
        int err = 0;
        QCOMPARE(p.runAndWait(QStringLiteral("/no/such/program"), {}, QString(), &err), -1);
        QCOMPARE(err, ENOENT);
    }
};

QTEST_GUILESS_MAIN(TestProcesses)
#include "test_processes.moc"
