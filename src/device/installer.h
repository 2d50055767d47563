#pragma once
// Where the manager runs from, handing over to the drive's own copy,
// installing onto a drive and completing an installation. GUI-free: what it
// needs of the main window comes through DeviceHost.
#include <QByteArray>
#include <QChar>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

namespace voxa {

class TIniFileHandler;

class DeviceHost {
public:
    virtual ~DeviceHost() = default;
    virtual TIniFileHandler &settings() = 0;
    virtual void setMenusEnabled(bool enabled) = 0;  // MenuBar and ToolPanel
    virtual void showMenuBar() = 0;
    virtual void showChooser() = 0;                  // ShowFrame(chooser)
    virtual void loadWindowSettings() = 0;           // LoadWindowSettings and move the window there
    virtual void writeInstallSettings() = 0;         // WriteInstallSettings for DriveLetter
    virtual void removeActivationHandler() = 0;
    virtual void quit() = 0;                         // end the event loop
    // Paints the install text now: the copy that follows blocks the window,
    // and no input may be handled in the middle of an installation.
    virtual void paintInstallText() = 0;
    virtual void setInstallText(const QString &text) = 0;  // the chooser's InstallLabel
};

// Whether this copy was started by a hand-over; reads and clears the mark
// in the environment.
bool TakeHandOverMark();
// The folder an installation copied from, handed to the copy it starts
// beside the hand-over mark, and only when it wrote a history: the native,
// fully resolved path. Reads and clears it; empty when this copy was not
// just started by an installation.
QString TakeInstallSource();
// The program (device or native path) is the running program's own file,
// compared by fully resolved path.
bool IsRunningProgram(const QString &program);
// Whether the start-up may hand over to another copy: never to the running
// program itself, and at most once in a row, so that a drive whose settings
// claim a newer version cannot make copies start each other for ever.
bool MayHandOver(const QString &targetProgram, bool startedByHandOver);

// The start-up's decision: true for a normal run or a hand-over (Terminating
// tells them apart), false for install mode. In chooser mode it shows the
// chooser and returns true.
bool LocateManager(DeviceHost &host, bool chooserMode);

// The chooser's flags.
struct ChooserFlags {
    bool RunningFromDrive = false;
    bool StartAfterInstall = false;
};
ChooserFlags &chooserFlags();

// What the chooser does on showing: RunningFromDrive and DriveLetter for a
// manager that runs from a voxa\manager folder.
void PrepareChooserListing();

// OK in the chooser with drive c chosen (the letter of the selected row).
// Installs when needed, then starts the drive's manager and ends this one.
void InstallOrStart(DeviceHost &host, QChar c);

// The folder an installation copies from: the working folder, or the
// program's own folder when the working folder does not hold the program.
QString InstallSourceFolder();
// Whether an installation from this source keeps a history for the installed
// copy to delete: only when the source is the running program's own folder,
// and not a voxa\manager folder or a drive's root, not on an optical drive,
// not a folder the user cannot write to or a system-wide installation, and
// not the copy installed on this computer (it holds InstalledCopyMark), and
// not a build's output folder (a folder above it holds CMakeCache.txt).
bool KeepsHistory(const QString &sourceFolder);
// The file "cmake --install" and the package put into the installed
// distribution folder.
inline constexpr char InstalledCopyMark[] = "voxa-manager.installed";

inline constexpr qint64 MaxHistorySize = 1 << 20;
// The lines of copy.his: code-page text, blank lines dropped.
QList<QString> ReadInstallHistory(const QByteArray &bytes);

// The installation that started this copy, taken at start-up before this
// copy writes anything into voxa\manager: where it copied from, and a
// SHA-256 digest of each file it placed there (keys: the name in lower
// case, "language/<name>" for the language files).
struct InstallRecord {
    QChar drive;
    QString source;  // native, fully resolved; empty: not started by an installation
    QHash<QString, QByteArray> installed;
    bool isEmpty() const { return source.isEmpty(); }
};
// Reads drive's voxa\manager for an installation from source (as
// TakeInstallSource gives it); an empty record when source is no longer the
// plain folder it was.
InstallRecord RecordInstallation(QChar drive, const QString &source);
// The record of this run, set by LocateManager.
InstallRecord &startingInstallation();

// All retries of one clean-up together wait at most this long: the window
// does not answer meanwhile.
inline constexpr int CleanUpRetryBudgetMs = 3000;

// Deletes what copy.his lists and copy.his itself. Without a record for this
// drive, copy.his is removed unread. Otherwise its last line must name the
// recorded source (compared fully resolved, reached through no link), and
// only plain files the installation copied from there (the install list's
// names in the source folder, files of its Language folder) are deleted,
// each only when its content is the same as the file of that name the
// installation placed in voxa\manager; then the source's Language folder
// when it is empty. Nothing follows a link. A source that is a drive's root,
// a voxa\manager folder or the installed copy itself deletes nothing.
void CompleteInstallation(QChar drive, const InstallRecord &record);

}  // namespace voxa
