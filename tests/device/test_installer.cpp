#include "devicetesthelpers.h"

#include "app/messagetable.h"
#include "platform/paths.h"
#include "support/recordingprocesses.h"
#include "support/scriptedprompts.h"
#include "support/testdrive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

// What an installation from S:\dist onto F would have handed to the copy it starts.
InstallRecord recordFromDist()
{
    return RecordInstallation('F', QFileInfo(platform::toNative(QStringLiteral("S:\\dist"))).canonicalFilePath());
}

// Every entry below the native roots but outside F's voxa\manager, links not followed: mode and content.
QMap<QString, QByteArray> entriesBelow(const QStringList &roots)
{
    QMap<QString, QByteArray> out;
    const QString manager = platform::toNative(managerPath('F'));
    for (const QString &root : roots)
        for (QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString path = it.next();
            struct stat st {};
            if (path == manager || path.startsWith(manager + QLatin1Char('/'))
                || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
                continue;
            out.insert(path, QByteArray::number(st.st_mode, 8) + ' '
                                 + (S_ISLNK(st.st_mode) ? QFile::encodeName(QFileInfo(path).symLinkTarget())
                                    : S_ISREG(st.st_mode) ? TestDriveTable::readFile(path) : QByteArray()));
        }
    return out;
}

// Makes a folder's entries undeletable (on) or deletable again: its write permission and, for
// root, whom permissions do not stop, the immutable flag. True when nothing can be made in it.
bool protect(const QString &folder, bool on)
{
    const QByteArray path = QFile::encodeName(platform::toNative(folder));
    if (on)
        ::chmod(path.constData(), 0555);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    if (fd >= 0)
        ::close(fd);
    if (!on)
        ::chmod(path.constData(), 0755);
    const QByteArray probe = path + "/.probe";
    return ::mkdir(probe.constData(), 0700) != 0 || ::rmdir(probe.constData()) != 0;
}

}  // namespace

class TestInstaller : public QObject {
    Q_OBJECT

    test::TestDrive drives;
    RecordingProcesses *procs = nullptr;
    QString startDir;

private slots:
    void initTestCase() { startDir = QDir::currentPath(); }
    void init()
    {
        resetAppState();
        chooserFlags() = {};
        QVERIFY(drives.setUp('E'));
        QVERIFY(drives.addDrive('F'));
        drives->add('S', DriveType::Fixed, QStringLiteral("ext4"), QStringLiteral("src"));
        procs = new RecordingProcesses;
    }
    void cleanup()
    {
        QDir::setCurrent(startDir);
        delete procs;
        drives.tearDown();
        setProgramPathForTests(QString());
        setManagerFilesForTests(nullptr);
        TakeHandOverMark();
        TakeInstallSource();
        startingInstallation() = {};
    }

    void locateManager_data()
    {
        QTest::addColumn<bool>("handedOver");  // started by a hand-over
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("driveVersion");  // 0: no installation on E
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("terminating");
        QTest::addColumn<bool>("warning");
        QTest::addColumn<QChar>("driveLetter");
        QTest::newRow("not a manager drive") << false << "E:\\dist\\voxam2" << 0 << false << false << false << QChar('C');
        QTest::newRow("older drive, run from elsewhere") << false << "E:\\dist\\voxam2" << 30000 << false << false << false << QChar('E');
        QTest::newRow("older drive, run from its folder") << false << "E:\\voxa\\manager\\voxam2" << 30000 << true << false << false << QChar('E');
        QTest::newRow("newer drive") << false << "E:\\dist\\voxam2" << 30200 << true << true << true << QChar('E');
        QTest::newRow("same version, run from elsewhere") << false << "E:\\dist\\voxam2" << 30101 << true << true << false << QChar('E');
        QTest::newRow("run from the manager folder") << false << "e:\\Voxa\\Manager\\voxam2" << 30101 << true << false << false << QChar('E');
        // A settings file claiming a newer version than every real copy.
        QTest::newRow("newer settings, run from the drive's folder") << false << "E:\\voxa\\manager\\voxam2" << 99999 << true << false << false << QChar('E');
        QTest::newRow("newer drive, started by a hand-over") << true << "E:\\dist\\voxam2" << 99999 << true << false << false << QChar('E');
        QTest::newRow("same version, started by a hand-over") << true << "E:\\dist\\voxam2" << 30101 << true << false << false << QChar('E');
        QTest::newRow("older drive, started by a hand-over") << true << "E:\\dist\\voxam2" << 30000 << false << false << false << QChar('E');
    }
    void locateManager()
    {
        QFETCH(bool, handedOver);
        QFETCH(QString, program);
        QFETCH(int, driveVersion);
        QFETCH(bool, result);
        QFETCH(bool, terminating);
        QFETCH(bool, warning);
        QFETCH(QChar, driveLetter);
        if (driveVersion)
            makeManagerDrive('E', driveVersion);
        setProgramPathForTests(program);
        if (handedOver)
            qputenv("VOXA_HANDED_OVER", "1");
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
            // The started copy knows it was handed over to.
            QCOMPARE(qgetenv("VOXA_HANDED_OVER"), QByteArray("1"));
        } else {
            QVERIFY(procs->calls.isEmpty());
            QVERIFY(!host.calls.contains(QStringLiteral("quit")));
        }
        QCOMPARE(host.calls.contains(QStringLiteral("window settings")), result && !terminating);
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(TakeHandOverMark(), terminating);  // the mark was taken on the look
    }

    void ownCopyThroughALinkIsNeverHandedOverTo()
    {
        // The program runs from the drive's manager folder reached through a
        // link; its settings claim a newer version. It must run, not start
        // itself again.
        makeManagerDrive('E', 99999);
        QTemporaryDir links;
        const QString alias = links.filePath(QStringLiteral("alias"));
        QVERIFY(QFile::link(platform::toNative(managerPath('E')), alias));
        setProgramPathForTests(alias + QStringLiteral("/voxam2"));
        QVERIFY(IsRunningProgram(managerPath('E', QStringLiteral("voxam2"))));
        QVERIFY(!MayHandOver(managerPath('E', QStringLiteral("voxam2")), false));
        QVERIFY(!MayHandOver(QStringLiteral("F:\\voxa\\manager\\voxam2"), true));
        FakeHost host;
        QVERIFY(LocateManager(host, false));
        QVERIFY(!appState().Terminating);
        QVERIFY(procs->calls.isEmpty());
        QVERIFY(host.calls.contains(QStringLiteral("window settings")));
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
        QVERIFY(!KeepsHistory(QStringLiteral("C:\\usr\\bin")));
        QVERIFY(!KeepsHistory(QStringLiteral("C:\\opt\\voxa")));
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
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
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\voxam2.ini"),
                                          "[VOXA Manager Ini File]\r\nVersion = 30101\r\n"));
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
        {
            FakeHost host;
            InstallOrStart(host, 'F');
        }
        QVERIFY(fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
        // The installed copy starts with the handed source and records what was installed before its settings.
        setProgramPathForTests(managerPath('F', managerFiles().program));
        FakeHost started;
        QVERIFY(LocateManager(started, false));
        QVERIFY(!qEnvironmentVariableIsSet("VOXA_INSTALL_SOURCE"));
        QCOMPARE(startingInstallation().source, QFileInfo(platform::toNative(QStringLiteral("S:\\dist"))).canonicalFilePath());
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa\\manager\\voxam2.ini"),
                                          "[VOXA Manager Ini File]\r\nVersion = 30101\r\nWindow.LEFT = 5\r\n"));
        // One listed file vanished meanwhile: skipped without retries.
        QVERIFY(fs::removeFile(QStringLiteral("S:\\dist\\default.mgs")));
        QVERIFY(fs::removeDir(QStringLiteral("S:\\dist\\Language\\sub")));
        procs->calls.clear();
        CompleteInstallation('F', startingInstallation());
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
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa\\manager\\Language\\English.lng")));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa\\manager\\copy.his"),
                                          "S:\\dist\\Language\\English.lng\r\nS:\\dist\\Language\\\r\n"));
        CompleteInstallation('F', recordFromDist());
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
        CompleteInstallation('F', recordFromDist());
        QVERIFY(fs::exists(QStringLiteral("E:\\precious.mp3")));
        QVERIFY(fs::exists(QStringLiteral("S:\\precious.mp3")));
        QVERIFY(fs::exists(QStringLiteral("F:\\voxa\\manager\\voxam2")));
        QCOMPARE(fs::exists(QStringLiteral("S:\\dist\\voxam2")), keptInside);
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
    }

    void installFromAnotherDrivesManagerFolderKeepsItWhole()
    {
        // The working folder is E's installed manager; the program runs from
        // S:\dist. The new copy on F may delete nothing of E.
        makeSource();
        makeManagerDrive('E', 30101);
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\manager\\Language\\English.lng"), "E"));
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
        QVERIFY(QDir::setCurrent(platform::toNative(managerPath('E'))));
        QCOMPARE(InstallSourceFolder(), managerPath('E'));
        QVERIFY(!KeepsHistory(managerPath('E')));
        FakeHost host;
        InstallOrStart(host, 'F');
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("F:\\voxa\\manager\\voxam2")), QByteArray("program"));
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
        const QString handed = TakeInstallSource();
        QVERIFY2(handed.isEmpty(), qPrintable(handed));
        // Even a history naming E's folder, as a damaged or older installer
        // might leave, deletes nothing there.
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa\\manager\\copy.his"),
                                          "E:\\voxa\\manager\\voxam2\r\nE:\\voxa\\manager\\defaultskin.bmp\r\n"
                                          "E:\\voxa\\manager\\Language\\English.lng\r\nE:\\voxa\\manager\\Language\\\r\n"));
        QDir::setCurrent(startDir);
        CompleteInstallation('F', RecordInstallation('F', handed));
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
        for (const char *f : {"voxam2", "defaultskin.bmp", "default.mgs", "voxam2.ini", "Language\\English.lng"})
            QVERIFY2(fs::isFile(managerPath('E', QLatin1String(f))), f);
    }

    void keepsHistory_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("keeps");
        QTest::newRow("the program's own folder") << "S:\\dist\\voxam2" << "S:\\dist" << true;
        QTest::newRow("own folder in other letter case") << "S:\\dist\\voxam2" << "s:\\DIST" << true;
        QTest::newRow("a folder that is not the program's") << "S:\\dist\\voxam2" << "S:\\other" << false;
        QTest::newRow("a manager folder") << "S:\\voxa\\manager\\voxam2" << "S:\\voxa\\manager" << false;
        QTest::newRow("a manager folder in other case") << "S:\\VOXA\\Manager\\voxam2" << "S:\\VOXA\\Manager" << false;
        QTest::newRow("a drive's root") << "S:\\voxam2" << "S:\\" << false;
        QTest::newRow("a missing folder") << "S:\\gone\\voxam2" << "S:\\gone" << false;
        QTest::newRow("a build's output folder") << "S:\\build\\dist\\voxam2" << "S:\\build\\dist" << false;
        QTest::newRow("the copy installed on this computer") << "S:\\dist\\voxam2" << "S:\\dist" << false;
    }
    void keepsHistory()
    {
        QFETCH(QString, program);
        QFETCH(QString, source);
        QFETCH(bool, keeps);
        for (const QString &folder : {QStringLiteral("S:\\dist"), QStringLiteral("S:\\other"), QStringLiteral("S:\\VOXA\\Manager")})
            QVERIFY(fs::makePath(folder));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\build\\CMakeCache.txt"), "# cache"));
        QVERIFY(fs::makePath(QStringLiteral("S:\\build\\dist")));
        if (QByteArray(QTest::currentDataTag()).contains("installed"))  // as "cmake --install" leaves it
            QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\") + QLatin1String(InstalledCopyMark), "mark"));
        setProgramPathForTests(program);
        QCOMPARE(KeepsHistory(source), keeps);
    }

    void historyThatReachesOutside_data()
    {
        QTest::addColumn<QByteArray>("his");
        QTest::addColumn<QStringList>("deleted");
        const QByteArray lang = "S:\\dist\\Language\\\r\n";
        QTest::newRow("a drive's root as source")
            << QByteArray("S:\\voxam2\r\nS:\\keep.mp3\r\nS:\\Language\\English.lng\r\nS:\\Language\\\r\n") << QStringList();
        QTest::newRow("C:\\Language\\ as source") << QByteArray("S:\\dist\\voxam2\r\nC:\\Language\\\r\n") << QStringList();
        QTest::newRow("a name the installation never copies")
            << QByteArray("S:\\dist\\keep.mp3\r\nS:\\dist\\voxam2\r\n") + lang << QStringList{QStringLiteral("S:\\dist\\voxam2")};
        QTest::newRow("a file below a subfolder")
            << QByteArray("S:\\dist\\sub\\voxam2\r\nS:\\dist\\Language\\sub\\English.lng\r\n") + lang << QStringList();
        QTest::newRow("a link in the source")
            << QByteArray("S:\\dist\\defaultskin.bmp\r\nS:\\dist\\Language\\Link.lng\r\nS:\\dist\\Language\\English.lng\r\n") + lang
            << QStringList{QStringLiteral("S:\\dist\\Language\\English.lng")};
        QTest::newRow("the source through a link")
            << QByteArray("S:\\alias\\voxam2\r\nS:\\alias\\Language\\English.lng\r\nS:\\alias\\Language\\\r\n") << QStringList();
        QTest::newRow("the installed copy through a link")
            << QByteArray("S:\\installed\\voxam2\r\nS:\\installed\\Language\\English.lng\r\nS:\\installed\\Language\\\r\n")
            << QStringList();
        QTest::newRow("another drive's manager folder")
            << QByteArray("E:\\voxa\\manager\\voxam2\r\nE:\\voxa\\manager\\Language\\\r\n") << QStringList();
    }
    void historyThatReachesOutside()
    {
        QFETCH(QByteArray, his);
        QFETCH(QStringList, deleted);
        const QStringList files = {
            QStringLiteral("S:\\voxam2"), QStringLiteral("S:\\keep.mp3"), QStringLiteral("S:\\Language\\English.lng"),
            QStringLiteral("S:\\dist\\voxam2"), QStringLiteral("S:\\dist\\keep.mp3"), QStringLiteral("S:\\dist\\Language\\English.lng"),
            QStringLiteral("S:\\dist\\sub\\voxam2"), QStringLiteral("S:\\dist\\Language\\sub\\English.lng"),
            QStringLiteral("E:\\outside\\Link.lng"), QStringLiteral("E:\\outside\\skin.bmp"),
            QStringLiteral("F:\\voxa\\manager\\voxam2"), QStringLiteral("F:\\voxa\\manager\\Language\\English.lng"),
            QStringLiteral("E:\\voxa\\manager\\voxam2")};
        for (const QString &f : files)
            QVERIFY(TestDriveTable::writeFile(f, "x"));
        // Links: a language file and the skin pointing outside the source, the
        // source itself and the installed copy reached through links.
        QVERIFY(QFile::link(platform::toNative(QStringLiteral("E:\\outside\\Link.lng")),
                            platform::toNative(QStringLiteral("S:\\dist\\Language")) + QStringLiteral("/Link.lng")));
        QVERIFY(QFile::link(platform::toNative(QStringLiteral("E:\\outside\\skin.bmp")),
                            platform::toNative(QStringLiteral("S:\\dist")) + QStringLiteral("/defaultskin.bmp")));
        QVERIFY(QFile::link(platform::toNative(QStringLiteral("S:\\dist")), drives->root('S') + QStringLiteral("/alias")));
        QVERIFY(QFile::link(platform::toNative(managerPath('F')), drives->root('S') + QStringLiteral("/installed")));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa\\manager\\copy.his"), his));
        CompleteInstallation('F', recordFromDist());
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
        for (const QString &f : files)
            QVERIFY2(fs::isFile(f) != deleted.contains(f), qPrintable(f));
        QVERIFY(QFileInfo(platform::toNative(QStringLiteral("S:\\dist\\Language")) + QStringLiteral("/Link.lng")).isSymLink());
        QVERIFY(QFileInfo(platform::toNative(QStringLiteral("S:\\dist")) + QStringLiteral("/defaultskin.bmp")).isSymLink());
    }

    void upgradeWritesTheExactNames()
    {
        // A drive copied by hand, with the skin and a language file in other
        // letter case; the program finds its files by exact name.
        makeManagerDrive('F', 30000);
        const QString manager = platform::toNative(managerPath('F'));
        QVERIFY(QFile::rename(manager + QStringLiteral("/defaultskin.bmp"), manager + QStringLiteral("/DefaultSkin.bmp")));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa\\manager\\language\\ENGLISH.LNG"), "old"));
        makeSource();
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
        FakeHost host;
        InstallOrStart(host, 'F');
        const QStringList names = QDir(manager).entryList(QDir::Files);
        QVERIFY2(names.contains(QStringLiteral("defaultskin.bmp")), qPrintable(names.join(QLatin1Char(' '))));
        QVERIFY(!names.contains(QStringLiteral("DefaultSkin.bmp")));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("F:\\voxa\\manager\\defaultskin.bmp")), QByteArray("defaultskin.bmp"));
        QCOMPARE(QDir(manager + QStringLiteral("/language")).entryList(QDir::Files),
                 (QStringList{QStringLiteral("Deutsch.lng"), QStringLiteral("English.lng")}));
    }

    void fullDiskReportsTheSystemsText()
    {
        // A file-size limit fails the write the way a full disk does, with the
        // system's own text.
        makeSource();
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\voxam2"), QByteArray(64 * 1024, 'p')));
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("Cannot copy file: voxam2 [File too large]"));
        FakeHost host;
        struct rlimit old {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 16 * 1024;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        InstallOrStart(host, 'F');
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(prompts.pending(), 0);
        QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\voxam2")));
        // No temporary file stays behind.
        for (const fs::Entry &e : fs::listDir(managerPath('F')))
            QVERIFY2(!e.name.startsWith(QStringLiteral("voxam2.")) || e.name == QStringLiteral("voxam2.ini"), qPrintable(e.name));
    }

    void craftedHistoryKeepsEveryFileOutsideTheManager_data()
    {
        QTest::addColumn<QString>("twist");
        QTest::addColumn<int>("sleptMs");  // the retries' waits
        QTest::newRow("last line naming elsewhere") << "elsewhere" << 0;
        QTest::newRow("found without a hand-over") << "no hand-over" << 0;
        QTest::newRow("listed files differ from the installed ones") << "differ" << 5 * 500;
        QTest::newRow("many undeletable lines") << "undeletable" << int(CleanUpRetryBudgetMs);
        QTest::newRow("copy.his is a link") << "link" << 0;
    }
    void craftedHistoryKeepsEveryFileOutsideTheManager()
    {
        QFETCH(QString, twist);
        QFETCH(int, sleptMs);
        // The installed copy, its source, and the user's files holding the same bytes as the installed ones.
        QStringList installed = {QStringLiteral("voxam2"), QStringLiteral("voxam2.ini"), QStringLiteral("Language\\English.lng")};
        for (int i = 0; twist == QLatin1String("undeletable") && i < 100; ++i)
            installed << QStringLiteral("Language\\%1.lng").arg(i);
        const QByteArray listed = twist == QLatin1String("elsewhere") ? "E:\\thesis\\" : "S:\\dist\\";
        QByteArray his;
        for (const QString &f : installed + QStringList{QStringLiteral("Language\\notes.txt")}) {
            QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\") + f, f.toUtf8()));
            QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\thesis\\") + f, f.toUtf8()));
            QVERIFY(TestDriveTable::writeFile(managerPath('F', f), (twist == QLatin1String("differ") ? "installed " : "") + f.toUtf8()));
            his += listed + f.toUtf8() + "\r\n";
        }
        his += listed + "Language\\\r\n";
        QVERIFY(fs::setReadOnly(QStringLiteral("E:\\thesis\\Language\\notes.txt")));
        const QString hisPath = platform::toNative(managerPath('F', QStringLiteral("copy.his")));
        const QString history = platform::toNative(QStringLiteral("E:\\thesis\\history.txt"));
        QVERIFY(TestDriveTable::writeFile(twist == QLatin1String("link") ? history : hisPath, his));
        QVERIFY(twist != QLatin1String("link") || QFile::link(history, hisPath));
        const InstallRecord record = twist == QLatin1String("no hand-over") ? InstallRecord() : recordFromDist();
        QCOMPARE(record.isEmpty(), twist == QLatin1String("no hand-over"));
        const QStringList locked = twist == QLatin1String("undeletable")
                                       ? QStringList{QStringLiteral("S:\\dist"), QStringLiteral("S:\\dist\\Language")}
                                       : QStringList();
        const auto unlock = qScopeGuard([&] { for (const QString &f : locked) protect(f, false); });
        for (const QString &f : locked)
            if (!protect(f, true))
                QSKIP("no way to make a folder's entries undeletable here");
        const QStringList roots = {drives->root('E'), drives->root('F'), drives->root('S')};
        const QMap<QString, QByteArray> before = entriesBelow(roots);

        CompleteInstallation('F', record);

        QCOMPARE(entriesBelow(roots), before);
        QVERIFY(!QFileInfo(hisPath).exists() && !QFileInfo(hisPath).isSymLink());
        QCOMPARE(procs->sleptMs, sleptMs);
    }

    void linkedInstallFolderIsRefused_data()
    {
        QTest::addColumn<QString>("linked");  // below F:\, a link to E:\elsewhere
        QTest::newRow("voxa") << "voxa";
        QTest::newRow("voxa\\manager\\Language") << "voxa\\manager\\Language";
    }
    void linkedInstallFolderIsRefused()
    {
        QFETCH(QString, linked);
        makeSource();
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\elsewhere\\precious.txt"), "precious"));
        const QString elsewhere = platform::toNative(QStringLiteral("E:\\elsewhere"));
        const QString link = drives->root('F') + QLatin1Char('/') + QString(linked).replace(QLatin1Char('\\'), QLatin1Char('/'));
        QVERIFY(QDir().mkpath(QFileInfo(link).path()) && QFile::link(elsewhere, link));
        const QMap<QString, QByteArray> before = entriesBelow({elsewhere});

        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("Cannot install on drive F: F:\\%1 is a symbolic link").arg(linked));
        FakeHost host;
        InstallOrStart(host, 'F');
        QCOMPARE(prompts.pending(), 0);

        QCOMPARE(entriesBelow({elsewhere}), before);
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(procs->calls.isEmpty());  // a refused drive is not started either
        QVERIFY(!chooserFlags().StartAfterInstall);
    }

    void noHistoryFileDoesNothing()
    {
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\voxam2"), "p"));
        CompleteInstallation('F', recordFromDist());
        QVERIFY(fs::exists(QStringLiteral("S:\\dist\\voxam2")));
    }
};

QTEST_GUILESS_MAIN(TestInstaller)
#include "test_installer.moc"
