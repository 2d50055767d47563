// Notifications and safe removal against the stand-in services on dbus-run-session's private bus.
#include "platform/notifications.h"
#include "platform/udisks.h"
#include "support/standindesktop.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

using namespace voxa;
using Unmount = test::StandInDesktopState::Unmount;

static platform::RemovalTexts texts()
{
    return {QStringLiteral("removed"), QStringLiteral("unmounted only"), QStringLiteral("busy"),
            QStringLiteral("not authorised"), QStringLiteral("no service"), QStringLiteral("failed")};
}

class TestDesktopServices : public QObject {
    Q_OBJECT

    test::StandInDesktop services;
    test::StandInDesktopState &state = services.state;

private slots:
    void initTestCase()
    {
        if (!test::StandInDesktop::usePrivateBus())
            QSKIP("needs the private bus of dbus-run-session");
        QVERIFY(services.startServices());
    }

    void init() { state.reset(); }

    void notificationAtTheEnd_data()
    {
        QTest::addColumn<bool>("serviceRunning");
        QTest::addColumn<bool>("windowActive");
        QTest::newRow("window inactive: shown") << true << false;
        QTest::newRow("window active") << true << true;
        QTest::newRow("no service") << false << false;
    }

    void notificationAtTheEnd()
    {
        QFETCH(bool, serviceRunning);
        QFETCH(bool, windowActive);
        const bool shown = serviceRunning && !windowActive;
        QWindow window;
        if (windowActive) {
            window.show();
            window.requestActivate();
        }
        QTRY_COMPARE(platform::ApplicationActive(), windowActive);
        QVERIFY(services.setNotificationsRunning(serviceRunning));
        const bool sent = platform::NotifyEndedIfInactive(QStringLiteral("Directory Sorted"), QStringLiteral("detail"));
        QVERIFY(services.setNotificationsRunning(true));
        QCOMPARE(sent, shown);
        if (!shown)
            QTest::qWait(200);  // a notification sent by mistake would arrive meanwhile
        QTRY_COMPARE(state.shown(), shown ? QStringList{QStringLiteral("Directory Sorted|detail")} : QStringList());
    }

    void removal_data()
    {
        QTest::addColumn<int>("unmount");
        QTest::addColumn<bool>("canPowerOff");
        QTest::addColumn<bool>("serviceRunning");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("message");  // the outcome's text, then the service's error in brackets
        const QString unmount = QStringLiteral("ResolveDevice Unmount");
        QTest::newRow("removed") << int(Unmount::Ok) << true << true << unmount + QStringLiteral(" PowerOff")
                                 << "removed";
        QTest::newRow("busy") << int(Unmount::Busy) << true << true << unmount
                              << "busy\n[Error unmounting /dev/voxatest1: target is busy]";
        QTest::newRow("not authorised") << int(Unmount::NotAuthorized) << true << true << unmount
                                        << "not authorised\n[Not authorized to perform operation]";
        QTest::newRow("cannot power off") << int(Unmount::Ok) << false << true << unmount << "unmounted only";
        QTest::newRow("no service") << int(Unmount::Ok) << true << false << "" << "no service\n[";
    }

    void removal()
    {
        QFETCH(int, unmount);
        QFETCH(bool, canPowerOff);
        QFETCH(bool, serviceRunning);
        QFETCH(QString, calls);
        QFETCH(QString, message);
        state.reset(Unmount(unmount), canPowerOff);
        QVERIFY(services.setDisksRunning(serviceRunning));
        platform::SafeRemovalJob job;  // off the window thread, as the menu command runs it
        QSignalSpy finished(&job, &platform::SafeRemovalJob::Finished);
        QVERIFY(job.Start(QStringLiteral("/dev/voxatest1"), QString()));
        QVERIFY(!job.Start(QStringLiteral("/dev/voxatest1"), QString()));  // one at a time
        QVERIFY(finished.wait(10000));
        QVERIFY(services.setDisksRunning(true));
        QCOMPARE(state.callList().join(u' '), calls);
        const QString text =
            platform::RemovalMessage(finished.constFirst().constFirst().value<platform::RemovalResult>(), texts());
        // A message ending in "[" stands for any service error text in brackets.
        QVERIFY2(message.endsWith(u'[') ? text.startsWith(message) && text.endsWith(u']') : text == message,
                 qPrintable(text));
    }

    // The step left by a manager running from the disk: after the manager's end it removes the disk.
    void removalStepAfterTheManagersEnd()
    {
        qint64 manager = 0;  // detached: not our child, so no unreaped zombie while the step waits
        QVERIFY(QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("0.8")}, {}, &manager));
        QProcess step;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VOXA_REMOVE_AFTER_EXIT"),
                   QString::fromUtf8(platform::RemovalHandOver(manager, QStringLiteral("/dev/voxatest1"), QString(),
                                                               texts())));
        step.setProcessEnvironment(env);
        step.start(QStringLiteral(VOXA_MANAGER_PATH), {});
        QVERIFY(step.waitForStarted());
        QTest::qWait(300);
        QVERIFY2(state.callList().isEmpty(), "the disk was touched while the manager ran");
        QVERIFY(step.waitForFinished(20000));
        QCOMPARE(step.exitCode(), 0);
        QVERIFY(state.callList().contains(QStringLiteral("Unmount")));
        const QStringList shown = state.shown();
        QVERIFY2(shown.size() == 1 && shown.constFirst().startsWith(u"removed|"), qPrintable(shown.join(u'/')));
    }
};

QTEST_MAIN(TestDesktopServices)
#include "test_desktopservices.moc"
