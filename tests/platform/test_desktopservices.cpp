// Notifications and the safe removal of a disk against stand-in services on
// the private bus that dbus-run-session starts for this test; the system
// bus is pointed at that bus too, so nothing reaches the user's desktop or
// the machine's disks.
#include "platform/notifications.h"
#include "platform/udisks.h"
#include "support/standindesktop.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

using namespace voxa;
using platform::RemovalOutcome;
using platform::RemovalResult;
using Unmount = test::StandInDesktopState::Unmount;

namespace {

platform::RemovalTexts texts()
{
    return {QStringLiteral("removed"), QStringLiteral("unmounted only"), QStringLiteral("busy"),
            QStringLiteral("not authorised"), QStringLiteral("no service"), QStringLiteral("failed")};
}

// A process that lives for a while and is not this test's child (a child
// would stay a zombie, unreaped, while the test waits).
qint64 startOrphan(const QString &seconds)
{
    QProcess sh;
    sh.start(QStringLiteral("/bin/sh"),
             {QStringLiteral("-c"), QStringLiteral("sleep %1 >/dev/null 2>&1 & echo $!").arg(seconds)});
    if (!sh.waitForFinished(5000))
        return -1;
    return sh.readAllStandardOutput().trimmed().toLongLong();
}

}  // namespace

class TestDesktopServices : public QObject {
    Q_OBJECT

    test::StandInDesktopState state;
    std::unique_ptr<test::StandInDesktop> services;

    void resetState()
    {
        QMutexLocker l(&state.lock);
        state.summaries.clear();
        state.bodies.clear();
        state.calls.clear();
        state.unmount = Unmount::Ok;
        state.canPowerOff = true;
        state.powerOffFails = false;
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("VOXA_PRIVATE_BUS") || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("needs the private bus of dbus-run-session");
        // The disk service lives on the system bus; here it is the private one.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", qgetenv("DBUS_SESSION_BUS_ADDRESS"));
        services = std::make_unique<test::StandInDesktop>(state);
        QVERIFY(services->startServices());
        QVERIFY(QDBusConnection::systemBus().isConnected());
    }

    void init() { resetState(); }

    void cleanupTestCase() { services.reset(); }

    // ------------------------------------------------------ notifications

    void notificationAtTheEnd_data()
    {
        QTest::addColumn<bool>("serviceRunning");
        QTest::addColumn<bool>("windowActive");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shown");
        QTest::newRow("window inactive") << true << false << QStringLiteral("Directory Sorted") << true;
        QTest::newRow("window active") << true << true << QStringLiteral("Directory Sorted") << false;
        QTest::newRow("no service") << false << false << QStringLiteral("Directory Sorted") << false;
        QTest::newRow("no text") << true << false << QString() << false;
    }

    void notificationAtTheEnd()
    {
        QFETCH(bool, serviceRunning);
        QFETCH(bool, windowActive);
        QFETCH(QString, text);
        QFETCH(bool, shown);
        QWindow window;
        if (windowActive) {
            window.show();
            window.requestActivate();
            QTRY_VERIFY(platform::ApplicationActive());
        } else {
            QTRY_VERIFY(!platform::ApplicationActive());
        }
        if (!serviceRunning)
            QVERIFY(services->setNotificationsRunning(false));
        const bool sent = platform::NotifyEndedIfInactive(text, QStringLiteral("detail"));
        if (!serviceRunning)
            QVERIFY(services->setNotificationsRunning(true));
        QCOMPARE(sent, shown);
        if (shown) {
            QTRY_COMPARE(state.notificationCount(), 1);
            QMutexLocker l(&state.lock);
            QCOMPARE(state.summaries.constFirst(), text);
            QCOMPARE(state.bodies.constFirst(), QStringLiteral("detail"));
        } else {
            // A notification sent by mistake would arrive within this wait.
            QTest::qWait(200);
            QCOMPARE(state.notificationCount(), 0);
        }
    }

    // ------------------------------------------------------------ removal

    void removal_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("unmount");
        QTest::addColumn<bool>("canPowerOff");
        QTest::addColumn<bool>("powerOffFails");
        QTest::addColumn<bool>("serviceRunning");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("message");
        const QString dev = QStringLiteral("/dev/voxatest1");
        QTest::newRow("removed") << dev << int(Unmount::Ok) << true << false << true << int(RemovalOutcome::Removed)
                                 << "ResolveDevice Unmount PowerOff" << "removed";
        QTest::newRow("busy") << dev << int(Unmount::Busy) << true << false << true << int(RemovalOutcome::Busy)
                              << "ResolveDevice Unmount" << "busy\n[Error unmounting /dev/voxatest1: target is busy]";
        QTest::newRow("not authorised")
            << dev << int(Unmount::NotAuthorized) << true << false << true << int(RemovalOutcome::NotAuthorized)
            << "ResolveDevice Unmount" << "not authorised\n[Not authorized to perform operation]";
        QTest::newRow("unmounted already") << dev << int(Unmount::NotMounted) << true << false << true
                                           << int(RemovalOutcome::Removed) << "ResolveDevice Unmount PowerOff"
                                           << "removed";
        QTest::newRow("drive cannot power off") << dev << int(Unmount::Ok) << false << false << true
                                                << int(RemovalOutcome::UnmountedOnly) << "ResolveDevice Unmount"
                                                << "unmounted only";
        QTest::newRow("power off refused")
            << dev << int(Unmount::Ok) << true << true << true << int(RemovalOutcome::UnmountedOnly)
            << "ResolveDevice Unmount PowerOff"
            << "unmounted only\n[Error powering off drive: another partition is mounted]";
        QTest::newRow("device unknown to the service") << QStringLiteral("/dev/voxatest9") << int(Unmount::Ok)
                                                       << true << false << true << int(RemovalOutcome::NoService)
                                                       << "ResolveDevice" << "no service\n[";
        QTest::newRow("no service") << dev << int(Unmount::Ok) << true << false << false
                                    << int(RemovalOutcome::NoService) << "" << "no service\n[";
    }

    void removal()
    {
        QFETCH(QString, device);
        QFETCH(int, unmount);
        QFETCH(bool, canPowerOff);
        QFETCH(bool, powerOffFails);
        QFETCH(bool, serviceRunning);
        QFETCH(int, outcome);
        QFETCH(QString, calls);
        QFETCH(QString, message);
        {
            QMutexLocker l(&state.lock);
            state.unmount = Unmount(unmount);
            state.canPowerOff = canPowerOff;
            state.powerOffFails = powerOffFails;
        }
        if (!serviceRunning)
            QVERIFY(services->setDisksRunning(false));
        // Off the window thread, as the menu command runs it.
        platform::SafeRemovalJob job;
        QSignalSpy finished(&job, &platform::SafeRemovalJob::Finished);
        QVERIFY(job.Start(device, QString()));
        QVERIFY(!job.Start(device, QString()));  // one at a time
        QVERIFY(finished.wait(10000));
        if (!serviceRunning)
            QVERIFY(services->setDisksRunning(true));
        const auto result = finished.constFirst().constFirst().value<RemovalResult>();
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(state.callList().join(QLatin1Char(' ')), calls);
        const QString text = platform::RemovalMessage(result, texts());
        if (message.endsWith(QLatin1Char('[')))
            QVERIFY2(text.startsWith(message) && text.endsWith(QLatin1Char(']')), qPrintable(text));
        else
            QCOMPARE(text, message);
    }

    // The step a manager running from the disk leaves behind: the real
    // program started with the hand-over waits for the manager's end, then
    // removes the disk and tells it in a notification.
    void removalStepAfterTheManagersEnd_data()
    {
        QTest::addColumn<int>("unmount");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("summary");
        QTest::newRow("removed") << int(Unmount::Ok) << 0 << QStringLiteral("removed");
        QTest::newRow("busy") << int(Unmount::Busy) << 1 << QStringLiteral("busy");
    }

    void removalStepAfterTheManagersEnd()
    {
        QFETCH(int, unmount);
        QFETCH(int, exitCode);
        QFETCH(QString, summary);
        {
            QMutexLocker l(&state.lock);
            state.unmount = Unmount(unmount);
        }
        const qint64 manager = startOrphan(QStringLiteral("0.8"));
        QVERIFY(manager > 0);
        QProcess step;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VOXA_REMOVE_AFTER_EXIT"),
                   QString::fromUtf8(platform::RemovalHandOver(manager, QStringLiteral("/dev/voxatest1"), QString(),
                                                               texts())));
        step.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        step.start(QStringLiteral(VOXA_MANAGER_PATH), {});
        QVERIFY(step.waitForStarted());
        // Nothing happens to the disk while the manager runs.
        QTest::qWait(300);
        QVERIFY(state.callList().isEmpty());
        QVERIFY(step.waitForFinished(20000));
        QVERIFY2(clock.elapsed() >= 700, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(step.exitCode(), exitCode);
        QVERIFY(state.callList().contains(QStringLiteral("Unmount")));
        QCOMPARE(state.notificationCount(), 1);
        QMutexLocker l(&state.lock);
        QCOMPARE(state.summaries.constFirst(), summary);
    }
};

QTEST_MAIN(TestDesktopServices)
#include "test_desktopservices.moc"
