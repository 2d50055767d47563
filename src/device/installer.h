#pragma once
// Where the manager runs from, handing over to the drive's own copy,
// installing onto a drive and completing an installation. GUI-free: what it
// needs of the main window comes through DeviceHost.
#include <QChar>
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
    virtual void processEvents() = 0;
    virtual void setInstallText(const QString &text) = 0;  // the chooser's InstallLabel
};

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
// copy to delete: not from a manager folder, an optical drive, a folder the
// user cannot write to, or a system-wide installation.
bool KeepsHistory(const QString &sourceFolder);

// Deletes what copy.his lists and copy.his itself. Only what lies inside
// the installation source folder named by copy.his's last line is touched.
void CompleteInstallation(QChar drive);

}  // namespace voxa
