#pragma once
// Where the manager runs from, handing over to the drive's own copy,
// installing onto a drive and completing an installation. GUI-free: what it
// needs of the main window comes through DeviceHost.
#include <QChar>
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
// not a folder the user cannot write to or a system-wide installation.
bool KeepsHistory(const QString &sourceFolder);

inline constexpr qint64 MaxHistorySize = 1 << 20;
// The lines of copy.his: code-page text, blank lines dropped.
QList<QString> ReadInstallHistory(const QByteArray &bytes);

// Deletes what copy.his lists and copy.his itself. Only plain files the
// installation could have copied (the install list's names in the source
// folder, files of its Language folder) are deleted, each compared by its
// fully resolved folder, following no links; a source that is a drive's
// root, a voxa\manager folder or the installed copy itself deletes nothing.
void CompleteInstallation(QChar drive);

}  // namespace voxa
