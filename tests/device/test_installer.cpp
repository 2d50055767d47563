#include "devicetesthelpers.h"

#include "app/messagetable.h"
#include "platform/paths.h"
#include "support/recordingprocesses.h"
#include "support/scriptedprompts.h"

#include <QDir>
#include <QTest>

using namespace voxa;
using namespace voxa::test;
using platform::DriveType;

namespace {

// The folder an installer is unpacked into: S:\dist with the program and its files.
void makeSource(const QStringList &skip = {})
{
    const QStringList files = {managerFiles().program, QStringLiteral("default.mgs"),
                               QStringLiteral("defaultskin.bmp"),
                               QStringLiteral("Manager_3xx_version_history.txt"),
                               QStringLiteral("Language\\English.lng"), QStringLiteral("Language\\Deutsch.lng")};
    for (const QString &f : files)
        if (!skip.contains(f))
            QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\") + f, f.toUtf8()));
    QVERIFY(fs::makePath(QStringLiteral("S:\\dist\\Language\\sub")));  // folders are not copied
    QVERIFY(QDir::setCurrent(platform::toNative(QStringLiteral("S:\\dist"))));
}

}  // namespace

class TestInstaller : public QObject {
    Q_OBJECT

    TestDriveTable *drives = nullptr;
    RecordingProcesses *procs = nullptr;
    QString startDir;

private slots:
    void initTestCase() { startDir = QDir::currentPath(); }
    void init()
    {
        resetAppState();
        chooserFlags() = {};
        drives = new TestDriveTable;
        drives->add('E');
        drives->add('F');
        drives->add('S', DriveType::Fixed, QStringLiteral("ext4"), QStringLiteral("src"));
        procs = new RecordingProcesses;
    }
    void cleanup()
    {
        QDir::setCurrent(startDir);
        delete procs;
        delete drives;
        setProgramPathForTests(QString());
        setManagerFilesForTests(nullptr);
    }

    void locateManager_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("driveVersion");  // 0: no installation on E
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("terminating");
        QTest::addColumn<bool>("warning");
        QTest::addColumn<QChar>("driveLetter");
        QTest::newRow("not a manager drive") << "E:\\dist\\voxam2" << 0 << false << false << false << QChar('C');
        QTest::newRow("older drive, run from elsewhere") << "E:\\dist\\voxam2" << 30000 << false << false << false << QChar('E');
        QTest::newRow("older drive, run from its folder") << "E:\\voxa\\manager\\voxam2" << 30000 << true << false << false << QChar('E');
        QTest::newRow("newer drive") << "E:\\dist\\voxam2" << 30200 << true << true << true << QChar('E');
        QTest::newRow("same version, run from elsewhere") << "E:\\dist\\voxam2" << 30101 << true << true << false << QChar('E');
        QTest::newRow("run from the manager folder") << "e:\\Voxa\\Manager\\voxam2" << 30101 << true << false << false << QChar('E');
    }
    void locateManager()
    {
        QFETCH(QString, program);
        QFETCH(int, driveVersion);
        QFETCH(bool, result);
        QFETCH(bool, terminating);
        QFETCH(bool, warning);
        QFETCH(QChar, driveLetter);
        if (driveVersion)
            makeManagerDrive('E', driveVersion);
        setProgramPathForTests(program);
        ScriptedPrompts prompts;
        if (warning)
            prompts.expectMessage(QStringLiteral("The VOxaManager on the choosed drive is newer than this. I will start it!"));
        FakeHost host;
        QCOMPARE(LocateManager(host, false), result);
        QCOMPARE(appState().Terminating, terminating);
        QCOMPARE(appState().DriveLetter, driveLetter);
        QCOMPARE(host.calls.first(), QStringLiteral("menus off"));
        if (terminating) {
            QCOMPARE(procs->calls.size(), 1);
            QCOMPARE(procs->calls[0].kind, ProcessCall::Detached);
            QCOMPARE(procs->calls[0].program, QStringLiteral("E:\\voxa\\manager\\voxam2"));
            QVERIFY(host.calls.contains(QStringLiteral("no activation")));
            QCOMPARE(host.calls.last(), QStringLiteral("quit"));
        } else {
            QVERIFY(procs->calls.isEmpty());
            QVERIFY(!host.calls.contains(QStringLiteral("quit")));
        }
        QCOMPARE(host.calls.contains(QStringLiteral("window settings")), result && !terminating);
        QCOMPARE(prompts.pending(), 0);
    }

    void chooserModeShowsTheChooser()
    {
        setProgramPathForTests(QStringLiteral("F:\\anywhere\\voxam2"));
        FakeHost host;
        QVERIFY(LocateManager(host, true));
        QCOMPARE(appState().DriveLetter, QChar('F'));
        QCOMPARE(host.calls, (QStringList{QStringLiteral("menus off"), QStringLiteral("menubar"), QStringLiteral("chooser")}));
    }

    void freshInstallWritesFilesHistoryAndStarts()
    {
        makeSource();
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
        ScriptedPrompts prompts;  // nothing may be asked
        FakeHost host;
        InstallOrStart(host, 'f');
        QCOMPARE(appState().DriveLetter, QChar('F'));
        for (const char *folder : {"voxa", "voxa\\manager", "voxa\\config", "voxa\\myradio", "voxa\\manager\\Language"})
            QVERIFY2(fs::isDir(QStringLiteral("F:\\") + QLatin1String(folder)), folder);
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("F:\\voxa\\manager\\voxam2")), QByteArray("voxam2"));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("F:\\voxa\\manager\\Language\\Deutsch.lng")),
                 QByteArray("Language\\Deutsch.lng"));
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\Language\\sub")));
        // No voxam2.ini in the source: a fresh one is written.
        QVERIFY(host.calls.contains(QStringLiteral("install settings")));
        QVERIFY(TestDriveTable::readFile(QStringLiteral("F:\\voxa\\manager\\voxam2.ini")).contains("Version = 30101"));
        QVERIFY(host.calls.contains(QStringLiteral("text Installing. Please wait...")));

        const QByteArray his = TestDriveTable::readFile(QStringLiteral("F:\\voxa\\manager\\copy.his"));
        QStringList lang;
        for (const fs::Entry &e : fs::listDir(QStringLiteral("S:\\dist\\Language")))
            if (!e.isDir)
                lang << QStringLiteral("S:\\dist\\Language\\") + e.name;
        const QString expected = QStringList{QStringLiteral("S:\\dist\\default.mgs"), QStringLiteral("S:\\dist\\voxam2"),
                                             QStringLiteral("S:\\dist\\defaultskin.bmp"),
                                             QStringLiteral("S:\\dist\\Manager_3xx_version_history.txt")}.join(QStringLiteral("\r\n"))
                                 + QStringLiteral("\r\n") + lang.join(QStringLiteral("\r\n"))
                                 + QStringLiteral("\r\nS:\\dist\\Language\\\r\n");
        QCOMPARE(QString::fromLatin1(his), expected);

        QCOMPARE(procs->calls.size(), 1);
        QCOMPARE(procs->calls[0].program, QStringLiteral("F:\\voxa\\manager\\voxam2"));
        QCOMPARE(procs->calls[0].workingFolder, QStringLiteral("F:\\voxa\\manager"));
        QCOMPARE(host.calls.last(), QStringLiteral("quit"));
        QVERIFY(chooserFlags().StartAfterInstall);
    }

    void missingSourceFileIsReportedAndSkipped()
    {
        makeSource({QStringLiteral("default.mgs")});
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("Cannot copy file: default.mgs [No such file or directory]"));
        FakeHost host;
        InstallOrStart(host, 'F');
        const MessageBox box = prompts.lastMessage();
        QCOMPARE(box.title, QStringLiteral("Error"));
        QCOMPARE(box.placement.point, QPoint(70, 50));
        QVERIFY(fs::exists(QStringLiteral("F:\\voxa\\manager\\defaultskin.bmp")));  // went on
        QVERIFY(!TestDriveTable::readFile(QStringLiteral("F:\\voxa\\manager\\copy.his")).contains("default.mgs"));
        QCOMPARE(prompts.pending(), 0);
    }

    void folderThatCannotBeCreated()
    {
        makeSource();
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
        // A file where the voxa folder should be.
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa"), "x"));
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("Cannot create directory: F:\\voxa"));
        FakeHost host;
        InstallOrStart(host, 'F');
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
        // The drive's manager is started anyway.
        QCOMPARE(procs->calls.size(), 1);
    }

    void olderRuntimeInstallationIsReplaced()
    {
        const ManagerFileNames win = windowsManagerFiles();
        setManagerFilesForTests(&win);
        makeManagerDrive('F', 30101, true, QStringLiteral("qtintf.dll"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\qtintf70.dll"), "rt"));
        makeSource();
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2.exe"));
        ScriptedPrompts prompts;
        FakeHost host;
        InstallOrStart(host, 'F');
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("F:\\voxa\\manager\\qtintf70.dll")), QByteArray("rt"));
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\qtintf.dll")));
        QVERIFY(IsManagerDrive('F'));
        QVERIFY(TestDriveTable::readFile(QStringLiteral("F:\\voxa\\manager\\copy.his")).startsWith("S:\\dist\\qtintf70.dll\r\n"));
        QCOMPARE(procs->calls.last().program, QStringLiteral("F:\\voxa\\manager\\voxam2.exe"));
    }

    void upToDateDriveIsJustStarted()
    {
        makeManagerDrive('F', 30101);
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
        FakeHost host;
        InstallOrStart(host, 'F');
        QVERIFY(!host.calls.contains(QStringLiteral("text Installing. Please wait...")));
        QCOMPARE(procs->calls.size(), 1);
    }

    void noHistory_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("programDriveType");
        QTest::newRow("from another drive's manager folder") << "S:\\voxa\\manager\\voxam2" << int(DriveType::Fixed);
        QTest::newRow("from an optical drive") << "S:\\dist\\voxam2" << int(DriveType::Optical);
    }
    void noHistory()
    {
        QFETCH(QString, program);
        QFETCH(int, programDriveType);
        drives->addFolder('S', drives->root('S'), DriveType(programDriveType), QStringLiteral("FAT32"));
        makeSource();
        setProgramPathForTests(program);
        FakeHost host;
        InstallOrStart(host, 'F');
        QVERIFY(fs::exists(QStringLiteral("F:\\voxa\\manager\\voxam2")));
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
    }

    void systemFoldersKeepNoHistory()
    {
        drives->addFolder('C', QStringLiteral("/"), DriveType::Fixed, QStringLiteral("ext4"));
        setProgramPathForTests(QStringLiteral("C:\\usr\\bin\\voxam2"));
        QVERIFY(fs::makePath(QStringLiteral("S:\\dist")));
        QVERIFY(!KeepsHistory(QStringLiteral("C:\\usr\\share\\voxam2")));
        QVERIFY(!KeepsHistory(QStringLiteral("C:\\opt\\voxa")));
        QVERIFY(KeepsHistory(QStringLiteral("S:\\dist")));
    }

    void incompleteRunningDriveGetsFoldersAndSettings()
    {
        // The manager runs from F:\voxa\manager, but F lacks voxa\config and voxa\myradio.
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa\\manager\\voxam2"), "p"));
        setProgramPathForTests(QStringLiteral("F:\\voxa\\manager\\voxam2"));
        PrepareChooserListing();
        QVERIFY(chooserFlags().RunningFromDrive);
        QCOMPARE(appState().DriveLetter, QChar('F'));
        FakeHost host;
        InstallOrStart(host, 'F');
        QVERIFY(fs::isDir(QStringLiteral("F:\\voxa\\myradio")));
        QVERIFY(appState().NormalRun);
        QVERIFY(host.calls.contains(QStringLiteral("install settings")));
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
        QCOMPARE(procs->calls.size(), 1);
    }

    void choosingAnotherDriveClearsRunningFromDrive()
    {
        makeSource();
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\manager\\voxam2"), "p"));
        setProgramPathForTests(QStringLiteral("E:\\voxa\\manager\\voxam2"));
        PrepareChooserListing();
        FakeHost host;
        InstallOrStart(host, 'F');
        QVERIFY(!chooserFlags().RunningFromDrive);
        QVERIFY(fs::exists(QStringLiteral("F:\\voxa\\manager\\defaultskin.bmp")));
    }

    void completeInstallationDeletesTheListedFiles()
    {
        makeSource();
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
        {
            FakeHost host;
            InstallOrStart(host, 'F');
        }
        QVERIFY(fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
        // One listed file vanished meanwhile: skipped without retries.
        QVERIFY(fs::removeFile(QStringLiteral("S:\\dist\\default.mgs")));
        QVERIFY(fs::removeDir(QStringLiteral("S:\\dist\\Language\\sub")));
        procs->calls.clear();
        CompleteInstallation('F');
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
        QVERIFY(!fs::exists(QStringLiteral("S:\\dist\\voxam2")));
        QVERIFY(!fs::exists(QStringLiteral("S:\\dist\\Language")));
        QCOMPARE(fs::listDir(QStringLiteral("S:\\dist")).size(), 0);
        QCOMPARE(procs->sleptMs, 0);
        // The installed copy is untouched.
        QVERIFY(fs::exists(QStringLiteral("F:\\voxa\\manager\\voxam2")));
        QVERIFY(fs::exists(QStringLiteral("F:\\voxa\\manager\\Language\\English.lng")));
    }

    void completeInstallationRetriesAFolderThatStaysFull()
    {
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\Language\\English.lng")));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\Language\\notes.txt")));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa\\manager\\copy.his"),
                                          "S:\\dist\\Language\\English.lng\r\nS:\\dist\\Language\\\r\n"));
        CompleteInstallation('F');
        QCOMPARE(procs->sleptMs, 5 * 500);
        QVERIFY(fs::exists(QStringLiteral("S:\\dist\\Language\\notes.txt")));
        QVERIFY(!fs::exists(QStringLiteral("S:\\dist\\Language\\English.lng")));
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
    }

    void damagedHistoryDeletesNothingOutsideTheSource_data()
    {
        QTest::addColumn<QByteArray>("his");
        QTest::addColumn<bool>("keptInside");
        QTest::newRow("line outside the source")
            << QByteArray("E:\\precious.mp3\r\nS:\\dist\\voxam2\r\nS:\\dist\\Language\\\r\n") << false;
        QTest::newRow("climbing out with ..")
            << QByteArray("S:\\dist\\..\\precious.mp3\r\nS:\\dist\\voxam2\r\nS:\\dist\\Language\\\r\n") << false;
        QTest::newRow("no source folder line") << QByteArray("E:\\precious.mp3\r\nS:\\dist\\voxam2\r\n") << true;
        QTest::newRow("source is the installed copy")
            << QByteArray("E:\\precious.mp3\r\nF:\\voxa\\manager\\voxam2\r\nF:\\voxa\\manager\\Language\\\r\n") << true;
    }
    void damagedHistoryDeletesNothingOutsideTheSource()
    {
        QFETCH(QByteArray, his);
        QFETCH(bool, keptInside);
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\precious.mp3"), "music"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\precious.mp3"), "music"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\voxam2"), "p"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa\\manager\\voxam2"), "p"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa\\manager\\copy.his"), his));
        CompleteInstallation('F');
        QVERIFY(fs::exists(QStringLiteral("E:\\precious.mp3")));
        QVERIFY(fs::exists(QStringLiteral("S:\\precious.mp3")));
        QVERIFY(fs::exists(QStringLiteral("F:\\voxa\\manager\\voxam2")));
        QCOMPARE(fs::exists(QStringLiteral("S:\\dist\\voxam2")), keptInside);
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
    }

    void noHistoryFileDoesNothing()
    {
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\voxam2"), "p"));
        CompleteInstallation('F');
        QVERIFY(fs::exists(QStringLiteral("S:\\dist\\voxam2")));
    }
};

QTEST_GUILESS_MAIN(TestInstaller)
#include "test_installer.moc"
