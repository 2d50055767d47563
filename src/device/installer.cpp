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

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
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
    QString p = ProgramPath();
    if (!platform::isDevicePath(p)) {
        // Reached through a link: the drive of the real file.
        const QString device = platform::toDevice(QFileInfo(p).canonicalFilePath());
        if (!device.isEmpty())
            p = device;
    }
    return platform::isDevicePath(p) ? p[0].toUpper() : QLatin1Char('C');
}

// Set in the environment of a copy started by a hand-over.
constexpr char HandOverMark[] = "VOXA_HANDED_OVER";

void handOver(DeviceHost &host, QChar drive)
{
    host.removeActivationHandler();
    appState().Terminating = true;
    qputenv(HandOverMark, "1");
    platform::processes().startDetached(managerPath(drive, managerFiles().program), {}, managerPath(drive));
    host.quit();
}

// The fully resolved native path of a device or native path; empty when it
// does not exist.
QString realPath(const QString &path)
{
    const QString native = platform::toNative(path);
    return native.isEmpty() ? QString() : QFileInfo(native).canonicalFilePath();
}

// A real native folder path ending in voxa/manager, in any letter case.
bool isManagerFolder(const QString &real)
{
    QDir dir(real);
    if (real.isEmpty() || dir.dirName().compare(QLatin1String("manager"), Qt::CaseInsensitive) != 0)
        return false;
    return dir.cdUp() && dir.dirName().compare(QLatin1String("voxa"), Qt::CaseInsensitive) == 0;
}

bool isDriveRoot(const QString &real)
{
    if (real == QLatin1String("/"))
        return true;
    for (const platform::DriveInfo &d : platform::driveTable().drives())
        if (QFileInfo(d.root).canonicalFilePath() == real)
            return true;
    return false;
}

QString programFolderReal()
{
    return realPath(platform::folderOf(ProgramPath()));
}

void startDriveManager(DeviceHost &host, QChar drive)
{
    platform::processes().startDetached(managerPath(drive, managerFiles().program), {}, managerPath(drive));
    host.removeActivationHandler();
    host.quit();
}

}  // namespace

bool TakeHandOverMark()
{
    const bool marked = qEnvironmentVariableIsSet(HandOverMark);
    qunsetenv(HandOverMark);
    return marked;
}

bool IsRunningProgram(const QString &program)
{
    const QString target = realPath(program);
    return !target.isEmpty() && target == realPath(ProgramPath());
}

bool MayHandOver(const QString &targetProgram, bool startedByHandOver)
{
    return !startedByHandOver && !IsRunningProgram(targetProgram);
}

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
    // Taken away at once, so that a copy this one starts later (after an
    // installation) is not mistaken for a hand-over.
    const bool handedOver = TakeHandOverMark();
    if (!IsManagerDrive(e))
        return false;
    appState().DriveLetter = e;
    const QString driveProgram = managerPath(e, managerFiles().program);
    // The drive's own copy, however it was reached (a link, other letter case).
    const bool fromManagerFolder = RunsFromManagerFolder(ProgramPath()) || IsRunningProgram(driveProgram);
    if (IsOlderOnDrive(host.settings(), e) && !fromManagerFolder)
        return false;
    const bool mayHandOver = MayHandOver(driveProgram, handedOver);
    if (ReadDriveVersion(host.settings(), e) > ManagerVersion && mayHandOver) {
        prompts().message({QString(), QStringLiteral("The VOxaManager on the choosed drive is newer than this. I will start it!"),
                           BoxIcon::Warning, Button::Ok, Button::Ok, Placement::centered()});
        handOver(host, e);
        return true;
    }
    // A settings file claiming a newer version than the copy that reads it,
    // or a second hand-over in a row: this copy runs rather than start
    // itself again and again.
    if (fromManagerFolder || !mayHandOver) {
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
    QString out;
    if (QFileInfo::exists(cwd + QLatin1Char('/') + managerFiles().program)) {
        const QString device = platform::toDevice(cwd);
        out = device.isEmpty() ? cwd : device;
    } else {
        out = platform::folderOf(ProgramPath());
    }
    while (out.endsWith(QLatin1Char('\\')) && out.size() > 3)
        out.chop(1);
    return out;
}

bool KeepsHistory(const QString &sourceFolder)
{
    // Completing the installation deletes the source files. Only the
    // running program's own folder may be such a source, and never another
    // drive's installed manager or a whole drive.
    const QString native = realPath(sourceFolder);
    if (native.isEmpty() || isManagerFolder(native) || isDriveRoot(native) || native != programFolderReal())
        return false;
    if (auto d = platform::driveTable().drive(programDrive()); d && d->type == platform::DriveType::Optical)
        return false;
    // Never the system's own files, nor files the user could not delete anyway.
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

// The program with its Qt libraries is a few tens of megabytes.
constexpr qint64 MaxInstallFile = qint64(1) << 30;

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa {}, sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Copies one file whole into the target; reports failures itself. The
// target gets exactly the name asked for: a file of the same name in another
// letter case (DefaultSkin.bmp) is replaced, since the program looks its
// files up by their exact names.
bool copyFile(const QString &source, const QString &target, const QString &shownName)
{
    QString reason;
    const std::optional<QByteArray> bytes = fs::readRegularFile(source, MaxInstallFile + 1, &reason);
    if (!bytes) {
        copyError(shownName, reason);
        return false;
    }
    if (bytes->size() > MaxInstallFile) {
        copyError(shownName, QString::fromLocal8Bit(std::strerror(EFBIG)));
        return false;
    }
    const QString existing = platform::toNative(target);
    const QString wanted = platform::toNative(platform::folderOf(target)) + QLatin1Char('/') + platform::fileNameOf(target);
    if (fs::exists(existing))
        fs::clearReadOnly(existing);
    reason = fs::writeWholeFile(wanted, *bytes);
    if (!reason.isEmpty()) {
        copyError(shownName, reason);
        return false;
    }
    if (existing != wanted && QFileInfo::exists(existing) && !sameFile(existing, wanted))
        fs::removeFile(existing);
    // The program must stay runnable on a drive that keeps permissions.
    QFile::setPermissions(wanted, QFileInfo(platform::toNative(source)).permissions() | QFileDevice::WriteOwner);
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
    host.paintInstallText();

    if (createInstallFolders(c)) {
        const QString source = InstallSourceFolder();
        const bool keepHistory = KeepsHistory(source);
        QByteArray history;
        auto addHistory = [&](const QString &line) {
            if (keepHistory)
                history += toCodePage(line) + "\r\n";
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
        if (keepHistory) {
            const QString his = managerPath(c, QStringLiteral("copy.his"));
            if (fs::isReadOnly(his))
                fs::clearReadOnly(his);
            // Without the history the installed copy merely leaves the
            // installation files in place.
            fs::writeWholeFile(his, history);
        }
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

// The real folder of an entry that is itself no link; empty otherwise.
QString realParentOfPlainEntry(const QString &native)
{
    const QFileInfo info(native);
    if (info.isSymLink())
        return {};
    return QFileInfo(info.absolutePath()).canonicalFilePath();
}

}  // namespace

QList<QString> ReadInstallHistory(const QByteArray &bytes)
{
    QList<QString> lines;
    for (const QByteArray &raw : bytes.split('\n')) {
        const QString line = fromCodePage(raw).trimmed();
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

void CompleteInstallation(QChar drive)
{
    const QString his = managerPath(drive, QStringLiteral("copy.his"));
    if (!fs::isFile(his))
        return;
    // One line per installed file: a few hundred bytes.
    const std::optional<QByteArray> bytes = fs::readRegularFile(his, MaxHistorySize);
    const QList<QString> lines = bytes ? ReadInstallHistory(*bytes) : QList<QString>();

    // The source as it is on the disk now, links resolved. It must be a
    // plain folder of its own: not a drive's root, not a manager folder
    // (another drive's or this one's), and reached through no link.
    const QString source = historySource(lines);
    const QString sourceNative = source.isEmpty() ? QString() : platform::toNative(source);
    const QString real = sourceNative.isEmpty() ? QString() : QFileInfo(sourceNative).canonicalFilePath();
    const bool trusted = !real.isEmpty() && real == QDir::cleanPath(QFileInfo(sourceNative).absoluteFilePath())
                         && !isManagerFolder(real) && !isDriveRoot(real)
                         && real != realPath(managerPath(drive));

    // Only what the installation could have copied from there.
    QStringList installNames;
    for (const InstallFile &f : InstallFileList())
        installNames << f.name;
    const QString languageSource = source + QStringLiteral("\\Language");
    const QString languageNative = trusted ? platform::toNative(languageSource) : QString();
    const QFileInfo languageInfo(languageNative);
    const QString languageReal = languageNative.isEmpty() || languageInfo.isSymLink()
                                     ? QString()
                                     : languageInfo.canonicalFilePath();
    const bool languageTrusted = !languageReal.isEmpty() && QFileInfo(languageReal).path() == real;

    for (const QString &line : lines) {
        if (!trusted || line.endsWith(QLatin1Char('\\')))
            continue;
        const QString folder = platform::folderOf(line);
        const QString name = platform::fileNameOf(line);
        const bool inSource = folder.compare(source, Qt::CaseInsensitive) == 0
                              && installNames.contains(name, Qt::CaseInsensitive);
        const bool inLanguage = languageTrusted && folder.compare(languageSource, Qt::CaseInsensitive) == 0;
        if ((!inSource && !inLanguage) || name.isEmpty() || name == QLatin1String("..") || name == QLatin1String("."))
            continue;
        const QString native = platform::toNative(line);
        const QFileInfo info(native);
        if (info.isSymLink() || !info.exists() || !info.isFile())
            continue;
        if (realParentOfPlainEntry(native) != (inSource ? real : languageReal))
            continue;
        withRetries([&] { return fs::removeFile(native) || !QFileInfo::exists(native); });
    }
    if (languageTrusted && fs::isDir(languageNative))
        withRetries([&] { return fs::removeDir(languageNative); });
    fs::clearReadOnly(his);
    fs::removeFile(his);
}

}  // namespace voxa
