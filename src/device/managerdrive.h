#pragma once
// The player's drive: its folder layout, the files of an installed manager,
// and the checks the start-up and the drive chooser make on a drive.
#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace voxa {

class TIniFileHandler;

// The files of an installation that differ between platforms. The logic is
// written once against this table; the Windows names stay here so that the
// rules read the same for both.
struct ManagerFileNames {
    QString program;       // the manager's program file
    QString runtime;       // the toolkit runtime beside it; empty when none is needed
    QString olderRuntime;  // the runtime of an older installation; empty when none
};

// Windows: voxam2.exe beside qtintf70.dll (older installations: qtintf.dll).
ManagerFileNames windowsManagerFiles();
// Linux: the program "voxam2"; Qt comes from the system's packages, so
// nothing needs to sit beside it.
ManagerFileNames linuxManagerFiles();
// The table in force (Linux); tests may switch to the Windows one.
const ManagerFileNames &managerFiles();
void setManagerFilesForTests(const ManagerFileNames *names);

// Created in this order when installing.
QStringList InstallFolders();  // "voxa", "voxa\manager", ...

struct InstallFile {
    QString name;
    enum Missing { ErrorBox, WriteSettings, SkipSilently } whenMissing;
};
// Copied in this order into voxa\manager; empty names are left out.
QList<InstallFile> InstallFileList();

// "E:\voxa\manager\<name>"
QString managerPath(QChar drive, const QString &name = QString());

// Sets MessageEditorDisabled when default.mgs is missing, then tells whether
// the drive holds a complete installation.
bool IsManagerDrive(QChar drive);
// The same check with the older runtime accepted in place of the current one.
bool IsOlderInstallationDrive(QChar drive);
bool IsOlderOnDrive(TIniFileHandler &settings, QChar drive);
// The program path (device form) lies directly in a voxa\manager folder.
bool RunsFromManagerFolder(const QString &programPath);

// " 3.01.01" for 30101, "12.34.56" for 123456, "Not Available" for 0, "" for -1.
QString VersionText(int version);
// "1,024.00B", "1.00KB", "37.25GB" in the locale's separators.
QString SizeText(qint64 bytes, const QLocale &locale = QLocale::system());

struct ChooserRow {
    QChar letter;
    QString label;
    bool managerDrive = false;  // gets the icon
    QString driveText;          // "E [VOXA]" or six blanks before it without the icon
    QString versionText;
    QString sizeText;
    QString freeText;
};
// The drives the chooser lists: removable, fixed and network drives with
// FAT32 or NTFS and free space above 0, C to Z.
QList<ChooserRow> ListChooserDrives(TIniFileHandler &settings, const QLocale &locale = QLocale::system());

}  // namespace voxa
