// The VOXA menu's safe removal of the player's disk, driven through the
// main window with scripted answers, against the stand-in disk service on
// the private bus of dbus-run-session (the system bus is pointed there).
#include "app/languagetargets.h"
#include "app/controlframe.h"
#include "app/mainform.h"
#include "app/owntexts.h"
#include "app/saferemoval.h"
#include "platform/fileops.h"
#include "platform/processes.h"
#include "support/framewindow.h"
#include "support/recordingprocesses.h"
#include "support/scriptedprompts.h"
#include "support/standindesktop.h"
#include "support/testdrives.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

using namespace voxa;
using Unmount = test::StandInDesktopState::Unmount;

class TestSafeRemoval : public QObject, private test::FrameWindow {
    Q_OBJECT

    test::StandInDesktopState state;
    std::unique_ptr<test::StandInDesktop> services;

    QAction *item() const { return form->findChild<QAction *>(QStringLiteral("SafelyRemoveDisk")); }
    SafeRemovalCommand *command() const { return form->findChild<SafeRemovalCommand *>(); }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("VOXA_PRIVATE_BUS") || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("needs the private bus of dbus-run-session");
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", qgetenv("DBUS_SESSION_BUS_ADDRESS"));
        services = std::make_unique<test::StandInDesktop>(state);
        QVERIFY(services->startServices());
        QVERIFY(setUpProgram());
    }

    void init()
    {
        QVERIFY(prepare());
        QVERIFY(showMainWindow());
        QMutexLocker l(&state.lock);
        state.calls.clear();
        state.summaries.clear();
        state.bodies.clear();
    }

    void cleanup() { tearDown(); }

    void cleanupTestCase() { services.reset(); }

    void menuCommand_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("unmount");
        QTest::addColumn<bool>("runsFromDisk");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QStringList>("message");  // parts of the box's text
        QTest::addColumn<bool>("closed");
        const QString dev = QStringLiteral("/dev/voxatest1");
        const auto no = int(Button::No);
        QTest::newRow("folder drive") << QString() << int(Unmount::Ok) << false << no << false << "" << QStringList()
                                      << false;
        QTest::newRow("removed") << dev << int(Unmount::Ok) << false << no << true << "ResolveDevice Unmount PowerOff"
                                 << QStringList{ownText(OwnText::DiskRemoved)} << false;
        QTest::newRow("busy") << dev << int(Unmount::Busy) << false << no << true << "ResolveDevice Unmount"
                              << QStringList{ownText(OwnText::DiskBusy), QStringLiteral("target is busy")} << false;
        QTest::newRow("not authorised") << dev << int(Unmount::NotAuthorized) << false << no << true
                                        << "ResolveDevice Unmount"
                                        << QStringList{ownText(OwnText::RemovalNotAuthorized)} << false;
        QTest::newRow("runs from the disk, kept open")
            << dev << int(Unmount::Ok) << true << no << true << "" << QStringList{ownText(OwnText::RemoveRunningManager)}
            << false;
        QTest::newRow("runs from the disk, closed")
            << dev << int(Unmount::Ok) << true << int(Button::Yes) << true << ""
            << QStringList{ownText(OwnText::RemoveRunningManager)} << true;
    }

    void menuCommand()
    {
        QFETCH(QString, device);
        QFETCH(int, unmount);
        QFETCH(bool, runsFromDisk);
        QFETCH(int, answer);
        QFETCH(bool, enabled);
        QFETCH(QString, calls);
        QFETCH(QStringList, message);
        QFETCH(bool, closed);
        {
            QMutexLocker l(&state.lock);
            state.unmount = Unmount(unmount);
        }
        // A manager that runs from the disk: the disk's root holds its
        // program (and, for the settings, a manager folder made here).
        const QString programFolder = QFileInfo(platform::runningProgramFile()).path();
        QDir voxaFolder(programFolder + QStringLiteral("/voxa"));
        QVERIFY(!voxaFolder.exists());
        auto removeVoxaFolder = qScopeGuard([&] { voxaFolder.removeRecursively(); });
        if (runsFromDisk) {
            drives->addFolder(QLatin1Char('V'), programFolder);
            QVERIFY(QDir(programFolder).mkpath(QStringLiteral("voxa/manager")));
        }
        drives->setDevice(QLatin1Char('V'), device);
        test::RecordingProcesses processes;

        QVERIFY(item());
        QVERIFY(form->VOXAPopup->actions().contains(item()));
        emit form->VOXAPopup->aboutToShow();
        QCOMPARE(item()->isEnabled(), enabled);
        if (!message.isEmpty())
            prompts->expectMessage(message.constFirst(), Button(answer));
        QSignalSpy finished(command(), &SafeRemovalCommand::Finished);
        item()->trigger();
        // The command itself refuses a folder drive too, not only its item.
        if (!enabled)
            command()->Run(QLatin1Char('V'));
        if (enabled && !runsFromDisk) {
            QVERIFY(finished.wait(10000));
            QCOMPARE(finished.size(), 1);
        }
        QCOMPARE(state.callList().join(QLatin1Char(' ')), calls);
        QCOMPARE(prompts->pending(), 0);
        for (const QString &part : message)
            QVERIFY2(prompts->lastMessage().text.contains(part), qPrintable(prompts->lastMessage().text));

        // The step after the end: a copy of the program, off the disk,
        // started from the root folder; then the window closes.
        QCOMPARE(processes.calls.size(), closed ? 1 : 0);
        if (closed) {
            const test::ProcessCall call = processes.calls.constFirst();
            const QString copyFolder = QFileInfo(call.program).path();
            QVERIFY(!call.program.startsWith(drives->root(QLatin1Char('V')) + QLatin1Char('/')));
            QCOMPARE(call.workingFolder, QStringLiteral("/"));
            QVERIFY(QFileInfo(call.program).isExecutable());
            QCOMPARE(fs::readRegularFile(call.program, 1 << 30), fs::readRegularFile(platform::runningProgramFile(), 1 << 30));
            QDir(copyFolder).removeRecursively();
            QTRY_VERIFY(!form->isVisible());
            // Closing saved the settings on the disk.
            QVERIFY(QFileInfo::exists(voxaFolder.filePath(QStringLiteral("manager/voxam2.ini"))));
        } else {
            // Whatever was shown was closed; the start panel stays meanwhile.
            QVERIFY(form->isVisible());
            QCOMPARE(form->VisibleFrame(), static_cast<QWidget *>(form->StartPanel));
        }
    }

    // The item's caption has its own language number; both delivered
    // language files carry every own text, English the built-in one.
    void captionsFromTheLanguageFiles()
    {
        QVERIFY(item());
        QCOMPARE(item()->text(), ownText(OwnText::SafelyRemoveDisk));
        for (const char *name : {"English.lng", "German.lng"}) {
            const auto bytes =
                fs::readRegularFile(QStringLiteral(VOXA_SOURCE_DIR "/data/Language/") + QLatin1String(name), 1 << 20);
            QVERIFY(bytes);
            QSet<int> numbers;
            for (const QByteArray &line : bytes->split('\n')) {
                const int n = line.left(line.indexOf('=')).toInt();
                if (n < FirstOwnNumber)
                    continue;
                numbers.insert(n);
                const QByteArray text = line.mid(line.indexOf('=') + 1).chopped(1);  // the CR
                if (qstrcmp(name, "English.lng") == 0)
                    QCOMPARE(QString::fromLatin1(text), n >= FirstLaterOwnNumber
                                 ? ownText(LaterOwnText(n - FirstLaterOwnNumber))
                                 : ownText(OwnText(n - FirstOwnNumber)));
                QVERIFY(LanguageTargets::instance().apply(n, QString::fromLatin1(text)));
            }
            QCOMPARE(numbers.size(), int(OwnText::Count) + int(LaterOwnText::Count));
        }
        QCOMPARE(item()->text(), QStringLiteral("VOXA-Datentr\u00e4ger sicher entfernen"));
        QCOMPARE(ownText(OwnText::DiskRemoved), QStringLiteral("Der VOXA-Datentr\u00e4ger kann jetzt entfernt werden."));
    }
};

QTEST_MAIN(TestSafeRemoval)
#include "test_saferemoval.moc"
