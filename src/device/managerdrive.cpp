#include "device/managerdrive.h"

#include "app/appstate.h"
#include "app/messagetable.h"
#include "app/settings.h"
#include "app/version.h"
#include "platform/drives.h"
#include "platform/fileops.h"

namespace voxa {
namespace {
const ManagerFileNames *g_namesOverride = nullptr;
}

ManagerFileNames windowsManagerFiles()
{
    return {QStringLiteral("voxam2.exe"), QStringLiteral("qtintf70.dll"), QStringLiteral("qtintf.dll")};
}

ManagerFileNames linuxManagerFiles()
{
    return {QStringLiteral("voxam2"), QString(), QString()};
}

const ManagerFileNames &managerFiles()
{
    static const ManagerFileNames linux = linuxManagerFiles();
    return g_namesOverride ? *g_namesOverride : linux;
}

void setManagerFilesForTests(const ManagerFileNames *names)
{
    g_namesOverride = names;
}

QStringList InstallFolders()
{
    return {QStringLiteral("voxa"), QStringLiteral("voxa\\manager"), QStringLiteral("voxa\\config"),
            QStringLiteral("voxa\\myradio"), QStringLiteral("voxa\\manager\\Language")};
}

QList<InstallFile> InstallFileList()
{
    const ManagerFileNames &n = managerFiles();
    const QList<InstallFile> all = {
        {n.runtime, InstallFile::ErrorBox},
        {QStringLiteral("default.mgs"), InstallFile::ErrorBox},
        {n.program, InstallFile::ErrorBox},
        {QStringLiteral("voxam2.ini"), InstallFile::WriteSettings},
        {QStringLiteral("defaultskin.bmp"), InstallFile::ErrorBox},
        {QStringLiteral("Manager_3xx_verzio_tortenet.txt"), InstallFile::SkipSilently},
        {QStringLiteral("Manager_3xx_version_history.txt"), InstallFile::SkipSilently},
    };
    QList<InstallFile> out;
    for (const InstallFile &f : all)
        if (!f.name.isEmpty())
            out.append(f);
    return out;
}

QString managerPath(QChar drive, const QString &name)
{
    QString p = QString(drive) + QStringLiteral(":\\voxa\\manager");
    if (!name.isEmpty())
        p += QLatin1Char('\\') + name;
    return p;
}

namespace {

bool hasInstallation(QChar d, const QString &runtime)
{
    const QString root = QString(d) + QStringLiteral(":\\");
    for (const char *folder : {"voxa", "voxa\\config", "voxa\\manager", "voxa\\myradio"})
        if (!fs::isDir(root + QLatin1String(folder)))
            return false;
    QStringList files = {managerFiles().program, QStringLiteral("voxam2.ini"), QStringLiteral("defaultskin.bmp")};
    if (!runtime.isEmpty())
        files << runtime;
    for (const QString &f : files)
        if (!fs::isFile(managerPath(d, f)))
            return false;
    return true;
}

}  // namespace

bool IsManagerDrive(QChar drive)
{
    appState().MessageEditorDisabled = !fs::exists(managerPath(drive, QStringLiteral("default.mgs")));
    return hasInstallation(drive, managerFiles().runtime);
}

bool IsOlderInstallationDrive(QChar drive)
{
    const QString older = managerFiles().olderRuntime;
    if (older.isEmpty())
        return false;
    return hasInstallation(drive, older);
}

bool IsOlderOnDrive(TIniFileHandler &settings, QChar drive)
{
    return ReadDriveVersion(settings, drive) < ManagerVersion;
}

bool RunsFromManagerFolder(const QString &programPath)
{
    QString p = programPath;
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const qsizetype last = p.lastIndexOf(QLatin1Char('\\'));
    if (p.size() < 3 || p[1] != QLatin1Char(':') || last < 3)
        return false;
    return p.mid(3, last - 3).toUpper() == QLatin1String("VOXA\\MANAGER");
}

QString VersionText(int version)
{
    QString v = QString::number(version);
    if (v == QLatin1String("0"))
        return msg(Msg::NotAvailable);
    if (v == QLatin1String("-1"))
        return QString();
    while (v.size() < 5)
        v += QLatin1Char('0');
    if (v.size() != 6)
        v.prepend(QLatin1Char(' '));
    return v.mid(0, 2) + QLatin1Char('.') + v.mid(2, 2) + QLatin1Char('.') + v.mid(4, 2);
}

QString SizeText(qint64 bytes, const QLocale &locale)
{
    static const char *units[] = {"B", "KB", "MB", "GB", "TB"};
    double v = double(bytes);
    int n = 0;
    while (v > 1024 && n < 4) {
        v /= 1024;
        ++n;
    }
    QLocale l = locale;
    l.setNumberOptions(l.numberOptions() & ~QLocale::OmitGroupSeparator);
    return l.toString(v, 'f', 2) + QLatin1String(units[n]);
}

QList<ChooserRow> ListChooserDrives(TIniFileHandler &settings, const QLocale &locale)
{
    QList<ChooserRow> rows;
    const QList<platform::DriveInfo> drives = platform::driveTable().drives();
    for (char c = 'C'; c <= 'Z'; ++c) {
        const QChar letter = QLatin1Char(c);
        auto it = std::find_if(drives.begin(), drives.end(),
                               [&](const platform::DriveInfo &d) { return d.letter == letter; });
        if (it == drives.end())
            continue;
        const platform::DriveInfo &d = *it;
        const bool typeOk = d.type == platform::DriveType::Removable || d.type == platform::DriveType::Fixed
                            || d.type == platform::DriveType::Network;
        const bool fsOk = d.fileSystem == QLatin1String("FAT32") || d.fileSystem == QLatin1String("NTFS");
        if (!typeOk || !fsOk || d.freeBytes <= 0)
            continue;
        ChooserRow row;
        row.letter = letter;
        row.label = d.label;
        // Listing must not disturb the running drive's message editor state.
        const bool disabled = appState().MessageEditorDisabled;
        row.managerDrive = IsManagerDrive(letter) || IsOlderInstallationDrive(letter);
        appState().MessageEditorDisabled = disabled;
        row.driveText = QString(letter) + QStringLiteral(" [") + d.label + QLatin1Char(']');
        if (!row.managerDrive)
            row.driveText.prepend(QStringLiteral("      "));
        row.versionText = VersionText(ReadDriveVersion(settings, letter));
        row.sizeText = SizeText(d.totalBytes, locale);
        row.freeText = SizeText(d.freeBytes, locale);
        rows.append(row);
    }
    return rows;
}

}  // namespace voxa
