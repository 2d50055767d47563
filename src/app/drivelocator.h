#pragma once
// Finding the player's drive at start-up, the drive chooser and completing an
// installation belong to the device layer. The main window reaches them only
// through this interface; until the device layer installs its own, a normal
// run takes the drive the program runs from as the player's drive.
#include "app/framehost.h"

#include <QtGlobal>

namespace voxa {

class TOtherFrame;

// What the start-up's drive look-up and the chooser may ask of the main
// window beyond what any frame may.
class StartupHost : public FrameHost {
public:
    // Enables or disables the menu bar and the tool panel.
    virtual void setNavigationEnabled(bool enabled) = 0;
    virtual void showMenuBar() = 0;
    // Window position and display type from the player's drive; moves the
    // window there.
    virtual void loadWindowSettings() = 0;
    // A fresh settings file for an installation on the player's drive.
    virtual void writeInstallSettings() = 0;
    virtual void removeActivationHandler() = 0;
    // Ends the event loop without closing (hand-over to another copy).
    virtual void endEventLoop() = 0;
};

class DriveLocator {
public:
    virtual ~DriveLocator() = default;
    // The chooser frame (TChooseFrame, 436 x 180), created hidden as a child
    // of parent (the main window) at the first activation; nullptr when there
    // is none.
    virtual TOtherFrame *createChooser(StartupHost &host, QWidget *parent) = 0;
    // Sets DriveLetter and tells whether this is a normal run. It may hand
    // over to another copy of the manager instead (it then sets Terminating,
    // removes the activation handler and ends the event loop). With
    // chooserMode set it shows the chooser.
    virtual bool LocateManager(StartupHost &host, bool chooserMode) = 0;
    // Deletes the installation files listed in voxa\manager\copy.his when an
    // installation has just started this copy; at any other start removes
    // copy.his unread.
    virtual void CompleteInstallation(StartupHost &host) = 0;
};

// The locator in force.
DriveLocator &driveLocator();
// main.cpp installs the device layer's; nullptr restores the stand-in.
void setDriveLocator(DriveLocator *locator);

// The stand-in: the drive of the running program is the player's drive.
class RunningDriveLocator : public DriveLocator {
public:
    TOtherFrame *createChooser(StartupHost &host, QWidget *parent) override;
    bool LocateManager(StartupHost &host, bool chooserMode) override;
    void CompleteInstallation(StartupHost &host) override;
};

}  // namespace voxa
