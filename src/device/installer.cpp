#include "device/installer.h"

#include "app/appstate.h"
#include "app/messagetable.h"
#include "app/settings.h"
#include "app/version.h"
#include "device/managerdrive.h"
#include "platform/codepage.h"
#include "platform/drives.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "platform/prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace voxa {

ChooserFlags &chooserFlags()
{
    static ChooserFlags f;
    return f;
}

namespace {

QChar programDrive()
{
    const QString p = ProgramPath();
    return platform::isDevicePath(p) ? p[0].toUpper() : QLatin1Char('C');
}

void handOver(DeviceHost &host, QChar drive)
{
    host.removeActivationHandler();
    appState().Terminating = true;
    platform::processes().startDetached(managerPath(drive, managerFiles().program), {}, managerPath(drive));
    host.quit();
}

void startDriveManager(DeviceHost &host, QChar drive)
{
    platform::processes().startDetached(managerPath(drive, managerFiles().program), {}, managerPath(drive));
    host.removeActivationHandler();
    host.quit();
}

}  // namespace

bool LocateManager(DeviceHost &host, bool chooserMode)
{
    const QChar e = programDrive();
    host.setMenusEnabled(false);
    if (chooserMode) {
        appState().DriveLetter = e;
        host.showMenuBar();
        host.showChooser();
        return true;
    }
    if (!IsManagerDrive(e))
        return false;
    appState().DriveLetter = e;
    const bool fromManagerFolder = RunsFromManagerFolder(ProgramPath());
    if (IsOlderOnDrive(host.settings(), e) && !fromManagerFolder)
        return false;
    if (ReadDriveVersion(host.settings(), e) > ManagerVersion) {
        prompts().message({QString(), QStringLiteral("The VOxaManager on the choosed drive is newer than this. I will start it!"),
                           BoxIcon::Warning, Button::Ok, Button::Ok, Placement::centered()});
        handOver(host, e);
        return true;
    }
    if (fromManagerFolder) {
        host.loadWindowSettings();
        return true;
    }
    handOver(host, e);
    return true;
}

void PrepareChooserListing()
{
    if (RunsFromManagerFolder(ProgramPath())) {
        chooserFlags().RunningFromDrive = true;
        appState().DriveLetter = programDrive();
    }
}

QString InstallSourceFolder()
{
    const QString cwd = QDir::currentPath();
    QString folder = cwd;
    if (!QFileInfo::exists(cwd + QLatin1Char('/') + managerFiles().program))
        folder = QCoreApplication::applicationDirPath();
    const QString device = platform::toDevice(folder);
    QString out = device.isEmpty() ? folder : device;
    while (out.endsWith(QLatin1Char('\\')) && out.size() > 3)
        out.chop(1);
    return out;
}

bool KeepsHistory(const QString &sourceFolder)
{
    if (RunsFromManagerFolder(ProgramPath()))
        return false;
    if (auto d = platform::driveTable().drive(programDrive()); d && d->type == platform::DriveType::Optical)
        return false;
    const QString native = QFileInfo(platform::toNative(sourceFolder)).absoluteFilePath();
    // Completing the installation deletes the source files: never the
    // system's own, nor files the user could not delete anyway.
    for (const char *system : {"/usr", "/opt", "/bin", "/sbin", "/lib", "/etc", "/snap"})
        if (native == QLatin1String(system) || native.startsWith(QLatin1String(system) + QLatin1Char('/')))
            return false;
    if (::access(QFile::encodeName(native).constData(), W_OK) != 0)
        return false;
    return true;
}

namespace {

void copyError(const QString &name, const QString &reason)
{
    prompts().message({QStringLiteral("Error"),
                       msg(Msg::CannotCopyFile) + name + QStringLiteral(" [") + reason + QLatin1Char(']'),
                       BoxIcon::Warning, Button::Ok, Button::Ok, Placement::frameBox()});
}

// Copies one file whole into the target; reports failures itself.
bool copyFile(const QString &source, const QString &target, const QString &shownName)
{
    QFile in(platform::toNative(source));
    if (!in.open(QIODevice::ReadOnly)) {
        copyError(shownName, in.errorString());
        return false;
    }
    const QString targetNative = platform::toNative(target);
    fs::clearReadOnly(target);
    QSaveFile out(targetNative);
    if (!out.open(QIODevice::WriteOnly)) {
        copyError(shownName, out.errorString());
        return false;
    }
    QByteArray block;
    while (!(block = in.read(65535)).isEmpty()) {
        if (out.write(block) != block.size()) {
            copyError(shownName, out.errorString());
            out.cancelWriting();
            return false;
        }
    }
    if (in.error() != QFile::NoError) {
        copyError(shownName, in.errorString());
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        copyError(shownName, out.errorString());
        return false;
    }
    // The program must stay runnable on a drive that keeps permissions.
    QFile::setPermissions(targetNative, in.permissions() | QFileDevice::WriteOwner);
    return true;
}

bool createInstallFolders(QChar c)
{
    for (const QString &folder : InstallFolders()) {
        const QString path = QString(c) + QStringLiteral(":\\") + folder;
        if (!fs::makePath(path)) {
            prompts().message({QString(), msg(Msg::CannotCreateDirectory) + path, BoxIcon::Warning, Button::Ok,
                               Button::Ok, Placement::centered()});
            return false;
        }
    }
    return true;
}

void install(DeviceHost &host, QChar c)
{
    chooserFlags().StartAfterInstall = false;
    host.setInstallText(msg(Msg::Installing));
    host.processEvents();

    if (createInstallFolders(c)) {
        const QString source = InstallSourceFolder();
        QFile history;
        if (KeepsHistory(source)) {
            const QString his = managerPath(c, QStringLiteral("copy.his"));
            if (fs::isReadOnly(his))
                fs::clearReadOnly(his);
            history.setFileName(platform::toNative(his));
            if (!history.open(QIODevice::WriteOnly | QIODevice::Truncate))
                history.setFileName(QString());
        }
        auto addHistory = [&](const QString &line) {
            if (history.isOpen())
                history.write(toCodePage(line) + "\r\n");
        };

        for (const InstallFile &f : InstallFileList()) {
            const QString from = platform::joinDevice(source, f.name);
            if (!fs::isFile(from)) {
                if (f.whenMissing == InstallFile::WriteSettings) {
                    host.writeInstallSettings();
                    continue;
                }
                if (f.whenMissing == InstallFile::SkipSilently)
                    continue;
            }
            if (copyFile(from, managerPath(c, f.name), f.name))
                addHistory(from);
        }
        const QString languageSource = platform::joinDevice(source, QStringLiteral("Language"));
        for (const fs::Entry &e : fs::listDir(languageSource)) {
            if (e.isDir)
                continue;
            const QString from = platform::joinDevice(languageSource, e.name);
            if (copyFile(from, managerPath(c, QStringLiteral("Language\\") + e.name), e.name))
                addHistory(from);
        }
        addHistory(languageSource + QLatin1Char('\\'));
        history.close();
    }
    chooserFlags().StartAfterInstall = true;
}

}  // namespace

void InstallOrStart(DeviceHost &host, QChar c)
{
    ChooserFlags &flags = chooserFlags();
    flags.StartAfterInstall = true;
    c = c.toUpper();
    if (flags.RunningFromDrive && c != appState().DriveLetter)
        flags.RunningFromDrive = false;
    appState().DriveLetter = c;

    const bool managerDrive = IsManagerDrive(c);
    if ((!managerDrive || IsOlderOnDrive(host.settings(), c)) && !flags.RunningFromDrive) {
        install(host, c);
    } else if (!managerDrive && flags.RunningFromDrive) {
        if (createInstallFolders(c)) {
            appState().NormalRun = true;
            host.writeInstallSettings();
        }
        flags.StartAfterInstall = true;
    }
    if (flags.StartAfterInstall) {
        const QString older = managerFiles().olderRuntime;
        if (!older.isEmpty() && fs::exists(managerPath(c, older))) {
            fs::clearReadOnly(managerPath(c, older));
            fs::removeFile(managerPath(c, older));
        }
        startDriveManager(host, c);
    }
}

namespace {

// The folder that copy.his's last line names: "<source>\Language\".
QString historySource(const QList<QString> &lines)
{
    if (lines.isEmpty())
        return {};
    QString last = lines.last();
    if (!last.endsWith(QStringLiteral("\\Language\\"), Qt::CaseInsensitive))
        return {};
    last.chop(QStringLiteral("\\Language\\").size());
    return last;
}

bool inside(const QString &path, const QString &folder)
{
    if (folder.isEmpty() || path.contains(QStringLiteral("\\..")) || path.contains(QStringLiteral("/..")))
        return false;
    return path.startsWith(folder + QLatin1Char('\\'), Qt::CaseInsensitive);
}

template <typename Fn>
void withRetries(Fn attempt)
{
    for (int i = 0; i < 6; ++i) {
        if (attempt())
            return;
        if (i < 5)
            platform::processes().sleepMs(500);
    }
}

}  // namespace

void CompleteInstallation(QChar drive)
{
    const QString his = managerPath(drive, QStringLiteral("copy.his"));
    QFile f(platform::toNative(his));
    if (!f.open(QIODevice::ReadOnly))
        return;
    QList<QString> lines;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QString line = fromCodePage(raw).trimmed();
        if (!line.isEmpty())
            lines.append(line);
    }
    f.close();

    const QString source = historySource(lines);
    // Never the installed copy itself.
    const bool sourceIsTarget = source.compare(managerPath(drive), Qt::CaseInsensitive) == 0;
    for (const QString &line : lines) {
        if (sourceIsTarget || !inside(line, source))
            continue;
        if (line.endsWith(QLatin1Char('\\'))) {
            if (fs::isDir(line))
                withRetries([&] { return fs::removeDir(line); });
        } else if (fs::exists(line)) {
            withRetries([&] { return fs::removeFile(line) || !fs::exists(line); });
        }
    }
    fs::clearReadOnly(his);
    fs::removeFile(his);
}

}  // namespace voxa
