// The VOXA menu's safe removal through the main window, against the stand-in disk service.
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
#include "support/mainwidgets.h"

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

    test::StandInDesktop services;
    test::StandInDesktopState &state = services.state;

    QAction *item() const { return form->findChild<QAction *>(QStringLiteral("SafelyRemoveDisk")); }
    SafeRemovalCommand *command() const { return form->findChild<SafeRemovalCommand *>(); }

private slots:
    void initTestCase()
    {
        if (!test::StandInDesktop::usePrivateBus())
            QSKIP("needs the private bus of dbus-run-session");
        QVERIFY(services.startServices());
        QVERIFY(setUpProgram());
    }

    void init()
    {
        QVERIFY(prepare());
        QVERIFY(showMainWindow());
        state.reset();
    }

    void cleanup() { tearDown(); }

    void menuCommand_data()
    {
        QTest::addColumn<QString>("device");  // empty: a folder drive
        QTest::addColumn<int>("unmount");
        QTest::addColumn<QString>("calls");        // none with a device: the manager runs from the disk
        QTest::addColumn<QStringList>("message");  // parts of the box's text
        QTest::addColumn<bool>("closed");          // the answer to the running-from-disk question
        const QString dev = QStringLiteral("/dev/voxatest1"), unmount = QStringLiteral("ResolveDevice Unmount");
        const QStringList running{ownText(OwnText::RemoveRunningManager)};
        QTest::newRow("folder drive") << QString() << int(Unmount::Ok) << "" << QStringList() << false;
        QTest::newRow("removed") << dev << int(Unmount::Ok) << unmount + QStringLiteral(" PowerOff")
                                 << QStringList{ownText(OwnText::DiskRemoved)} << false;
        QTest::newRow("busy") << dev << int(Unmount::Busy) << unmount
                              << QStringList{ownText(OwnText::DiskBusy), QStringLiteral("target is busy")} << false;
        QTest::newRow("runs from the disk, kept open") << dev << int(Unmount::Ok) << "" << running << false;
        QTest::newRow("runs from the disk, closed") << dev << int(Unmount::Ok) << "" << running << true;
    }

    void menuCommand()
    {
        QFETCH(QString, device);
        QFETCH(int, unmount);
        QFETCH(QString, calls);
        QFETCH(QStringList, message);
        QFETCH(bool, closed);
        const bool enabled = !device.isEmpty(), runsFromDisk = enabled && calls.isEmpty();
        state.reset(Unmount(unmount));
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
        QVERIFY(item() && mainChild<QMenu>(form, "VOXAPopup")->actions().contains(item()));
        emit mainChild<QMenu>(form, "VOXAPopup")->aboutToShow();
        QCOMPARE(item()->isEnabled(), enabled);
        if (!message.isEmpty())
            prompts->expectMessage(message.constFirst(), closed ? Button::Yes : Button::No);
        QSignalSpy finished(command(), &SafeRemovalCommand::Finished);
        item()->trigger();
        if (!enabled)
            command()->Run(QLatin1Char('V'));  // the command itself refuses a folder drive too
        if (enabled && !runsFromDisk)
            QVERIFY(finished.wait(10000));
        QCOMPARE(state.callList().join(QLatin1Char(' ')), calls);
        QCOMPARE(prompts->pending(), 0);
        for (const QString &part : message)
            QVERIFY2(prompts->lastMessage().text.contains(part), qPrintable(prompts->lastMessage().text));
        // Closing starts a copy of the program off the disk, from "/", and saves the settings.
        QCOMPARE(processes.calls.size(), closed ? 1 : 0);
        if (closed) {
            const test::ProcessCall call = processes.calls.constFirst();
            QVERIFY(!call.program.startsWith(drives->root(QLatin1Char('V')) + QLatin1Char('/')));
            QCOMPARE(call.workingFolder, QStringLiteral("/"));
            QVERIFY(QFileInfo(call.program).isExecutable());
            QCOMPARE(fs::readRegularFile(call.program, 1 << 30), fs::readRegularFile(platform::runningProgramFile(), 1 << 30));
            QDir(QFileInfo(call.program).path()).removeRecursively();
            QTRY_VERIFY(!form->isVisible());
            QVERIFY(QFileInfo::exists(voxaFolder.filePath(QStringLiteral("manager/voxam2.ini"))));
        } else {
            QCOMPARE(form->VisibleFrame(), static_cast<QWidget *>(form->StartPanel));
        }
    }

    // Both language files carry every own text, the item's caption too.
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
    }
};

QTEST_MAIN(TestSafeRemoval)
#include "test_saferemoval.moc"
