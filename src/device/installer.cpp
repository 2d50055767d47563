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

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
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
// Set in the environment of a copy an installation starts: the source folder.
constexpr char InstallSourceMark[] = "VOXA_INSTALL_SOURCE";

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

QString TakeInstallSource()
{
    const QByteArray source = qgetenv(InstallSourceMark);
    qunsetenv(InstallSourceMark);
    return QFile::decodeName(source);
}

InstallRecord &startingInstallation()
{
    static InstallRecord record;
    return record;
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
    const QString installSource = TakeInstallSource();
    startingInstallation() = {};
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
        // Before this copy writes its settings: what the installation
        // placed is what the source's files are compared with.
        if (fromManagerFolder && !installSource.isEmpty())
            startingInstallation() = RecordInstallation(e, installSource);
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
    // The copy installed on this computer, under any prefix (~/.local too).
    if (QFileInfo::exists(native + QLatin1Char('/') + QLatin1String(InstalledCopyMark)))
        return false;
    // A build's own outputs: emptying them would leave "cmake --install"
    // nothing to install.
    for (QDir dir(native); !dir.isRoot(); dir.cdUp())
        if (dir.exists(QStringLiteral("CMakeCache.txt")))
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
    fs::makeWritable(existing);
    reason = fs::writeWholeFile(wanted, *bytes);
    if (!reason.isEmpty()) {
        copyError(shownName, reason);
        return false;
    }
    if (existing != wanted && QFileInfo::exists(existing) && !sameFile(existing, wanted))
        fs::removeFile(existing);
    // The program must stay runnable on a drive that keeps permissions.
    // Just written as a plain file; should a link have taken its place
    // since, it is not followed.
    if (!QFileInfo(wanted).isSymLink())
        QFile::setPermissions(wanted, QFileInfo(platform::toNative(source)).permissions() | QFileDevice::WriteOwner);
    return true;
}

// The first of the install folders on c that is a symbolic link; empty
// when none is. Creating folders or copying through such a link would write
// wherever it points.
QString linkedInstallFolder(QChar c)
{
    for (const QString &folder : InstallFolders()) {
        const QString path = QString(c) + QStringLiteral(":\\") + folder;
        const QByteArray native = QFile::encodeName(platform::toNative(path));
        struct stat st {};
        if (!native.isEmpty() && ::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode))
            return path;
    }
    return {};
}

bool refuseLinkedDrive(QChar c)
{
    const QString linked = linkedInstallFolder(c);
    if (linked.isEmpty())
        return false;
    prompts().message({QString(),
                       QStringLiteral("Cannot install on drive %1: %2 is a symbolic link, and nothing is written through a link.")
                           .arg(c)
                           .arg(linked),
                       BoxIcon::Warning, Button::Ok, Button::Ok, Placement::centered()});
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
    qunsetenv(InstallSourceMark);
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
            fs::makeWritable(his);
            // Without the history the installed copy merely leaves the
            // installation files in place. With it, the copy started next
            // learns the source from this process, not from the file.
            const QString real = realPath(source);
            if (fs::writeWholeFile(his, history).isEmpty() && !real.isEmpty())
                qputenv(InstallSourceMark, QFile::encodeName(real));
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
    const bool installs = (!managerDrive || IsOlderOnDrive(host.settings(), c)) && !flags.RunningFromDrive;
    // Nothing is installed through a link, and whatever the link leads to
    // is not started as the drive's manager either.
    if ((installs || (!managerDrive && flags.RunningFromDrive)) && refuseLinkedDrive(c)) {
        flags.StartAfterInstall = false;
        return;
    }
    if (installs) {
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

// One budget for all retries of a clean-up: a copy.his of many lines that
// cannot be deleted must not hold the window for minutes.
struct RetryBudget {
    int leftMs = CleanUpRetryBudgetMs;
};

template <typename Fn>
void withRetries(RetryBudget &budget, Fn attempt)
{
    for (int retry = 0;; ++retry) {
        if (attempt())
            return;
        if (retry == 5 || budget.leftMs < 500)
            return;
        platform::processes().sleepMs(500);
        budget.leftMs -= 500;
    }
}

QByteArray encoded(const QString &name)
{
    return QFile::encodeName(name);
}

// The SHA-256 of a plain file in a folder, the file itself no link; empty
// when it is anything else or cannot be read.
QByteArray digestAt(int folderFd, const QString &name)
{
    const int fd = ::openat(folderFd, encoded(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {};
    struct stat st {};
    QByteArray digest;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= MaxInstallFile) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        QByteArray block(64 * 1024, Qt::Uninitialized);
        bool ok = true;
        for (;;) {
            const ssize_t n = ::read(fd, block.data(), size_t(block.size()));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                ok = false;
            if (n <= 0)
                break;
            hash.addData(QByteArrayView(block.constData(), n));
        }
        if (ok)
            digest = hash.result();
    }
    ::close(fd);
    return digest;
}

int openFolder(const QString &native)
{
    return ::open(encoded(native).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

int openFolderAt(int parentFd, const QString &name)
{
    return ::openat(parentFd, encoded(name).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The entry of a folder called name: that spelling when it exists, else the
// first entry equal to it without regard to letter case (FAT is blind to
// it, the other file systems are not). Empty when there is none.
QString entryNamed(int folderFd, const QString &name)
{
    struct stat st {};
    if (::fstatat(folderFd, encoded(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return name;
    const int fd = ::dup(folderFd);
    DIR *dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    ::rewinddir(dir);
    QString found;
    while (dirent *e = ::readdir(dir)) {
        const QString n = QFile::decodeName(e->d_name);
        if (n.compare(name, Qt::CaseInsensitive) == 0 && n != QLatin1String(".") && n != QLatin1String("..")) {
            found = n;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

void removeHistory(const QString &his)
{
    fs::clearReadOnly(his);  // refused for a link, which goes all the same
    fs::removeFile(his);
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

InstallRecord RecordInstallation(QChar drive, const QString &source)
{
    // Handed over fully resolved: a path that resolves elsewhere now passed
    // through a link put there since.
    InstallRecord record;
    if (source.isEmpty() || QFileInfo(source).canonicalFilePath() != source || !QFileInfo(source).isDir())
        return record;
    const int managerFd = openFolder(platform::toNative(managerPath(drive)));
    if (managerFd < 0)
        return record;
    record.drive = drive.toUpper();
    record.source = source;
    for (const InstallFile &f : InstallFileList()) {
        const QByteArray digest = digestAt(managerFd, f.name);
        if (!digest.isEmpty())
            record.installed.insert(f.name.toLower(), digest);
    }
    const QString languageName = entryNamed(managerFd, QStringLiteral("Language"));
    const int languageFd = languageName.isEmpty() ? -1 : openFolderAt(managerFd, languageName);
    if (languageFd >= 0) {
        const int listFd = ::dup(languageFd);
        if (DIR *dir = listFd < 0 ? nullptr : ::fdopendir(listFd)) {
            while (dirent *e = ::readdir(dir)) {
                const QString name = QFile::decodeName(e->d_name);
                const QByteArray digest = digestAt(languageFd, name);
                if (!digest.isEmpty())
                    record.installed.insert(QStringLiteral("language/") + name.toLower(), digest);
            }
            ::closedir(dir);
        } else if (listFd >= 0) {
            ::close(listFd);
        }
        ::close(languageFd);
    }
    ::close(managerFd);
    return record;
}

void CompleteInstallation(QChar drive, const InstallRecord &record)
{
    const QString his = managerPath(drive, QStringLiteral("copy.his"));
    const QByteArray hisNative = encoded(platform::toNative(his));
    struct stat hisStat {};
    if (hisNative.isEmpty() || ::lstat(hisNative.constData(), &hisStat) != 0)
        return;
    // Only the copy an installation has just started knows where it was
    // installed from; any other finds a file that anybody may have put there.
    if (record.isEmpty() || record.drive != drive.toUpper() || !S_ISREG(hisStat.st_mode)) {
        removeHistory(his);
        return;
    }
    // One line per installed file: a few hundred bytes.
    const std::optional<QByteArray> bytes = fs::readRegularFile(his, MaxHistorySize + 1);
    const QList<QString> lines = bytes && bytes->size() <= MaxHistorySize ? ReadInstallHistory(*bytes) : QList<QString>();

    // The last line must name the recorded source, as it is on the disk
    // now and reached through no link; and the source must be a plain
    // folder of its own: not a drive's root, not a manager folder (another
    // drive's or this one's).
    const QString source = historySource(lines);
    const QString sourceNative = source.isEmpty() ? QString() : platform::toNative(source);
    const QString real = sourceNative.isEmpty() ? QString() : QFileInfo(sourceNative).canonicalFilePath();
    const bool trusted = !real.isEmpty() && real == record.source
                         && real == QDir::cleanPath(QFileInfo(sourceNative).absoluteFilePath())
                         && !isManagerFolder(real) && !isDriveRoot(real) && real != realPath(managerPath(drive));
    const int sourceFd = trusted ? openFolder(real) : -1;
    if (sourceFd < 0) {
        removeHistory(his);
        return;
    }

    // Only what the installation could have copied from there.
    QStringList installNames;
    for (const InstallFile &f : InstallFileList())
        installNames << f.name;
    const QString languageSource = source + QStringLiteral("\\Language");
    const QString languageName = entryNamed(sourceFd, QStringLiteral("Language"));
    const int languageFd = languageName.isEmpty() ? -1 : openFolderAt(sourceFd, languageName);

    RetryBudget budget;
    QSet<QString> done;
    for (const QString &line : lines) {
        if (line.endsWith(QLatin1Char('\\')))
            continue;
        const QString folder = platform::folderOf(line);
        const QString name = platform::fileNameOf(line);
        if (name.isEmpty() || name == QLatin1String("..") || name == QLatin1String("."))
            continue;
        int folderFd = -1;
        QString key;
        if (folder.compare(source, Qt::CaseInsensitive) == 0 && installNames.contains(name, Qt::CaseInsensitive)) {
            folderFd = sourceFd;
            key = name.toLower();
        } else if (languageFd >= 0 && folder.compare(languageSource, Qt::CaseInsensitive) == 0) {
            folderFd = languageFd;
            key = QStringLiteral("language/") + name.toLower();
        }
        // Each file once, however often it is listed.
        if (folderFd < 0 || done.contains(key))
            continue;
        done.insert(key);
        const QByteArray installed = record.installed.value(key);
        const QString entry = installed.isEmpty() ? QString() : entryNamed(folderFd, name);
        if (entry.isEmpty() || digestAt(folderFd, entry) != installed)
            continue;
        withRetries(budget, [&] { return ::unlinkat(folderFd, encoded(entry).constData(), 0) == 0 || errno == ENOENT; });
    }
    if (languageFd >= 0) {
        ::close(languageFd);
        withRetries(budget, [&] {
            return ::unlinkat(sourceFd, encoded(languageName).constData(), AT_REMOVEDIR) == 0 || errno == ENOENT;
        });
    }
    ::close(sourceFd);
    removeHistory(his);
}

}  // namespace voxa
