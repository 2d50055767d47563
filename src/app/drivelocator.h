#pragma once
// Finding the player's drive at start-up, the drive chooser and completing an
// installation belong to the device layer. The main window reaches them only
// through this interface; until the device layer installs its own, a normal
// run takes the drive the program runs from as the player's drive.
#include <QtGlobal>

namespace voxa {

class TMainForm;
class TOtherFrame;

class DriveLocator {
public:
    virtual ~DriveLocator() = default;
    // The chooser frame (TChooseFrame, 436 x 180), created hidden as a child
    // of the main window at the first activation; nullptr when there is none.
    virtual TOtherFrame *createChooser(TMainForm &main) = 0;
    // Sets DriveLetter and tells whether this is a normal run. It may hand
    // over to another copy of the manager instead (it then sets Terminating,
    // removes the activation handler and ends the event loop). With
    // chooserMode set it shows the chooser.
    virtual bool LocateManager(TMainForm &main, bool chooserMode) = 0;
    // Deletes the installation files listed in voxa\manager\copy.his when an
    // installation has just started this copy; at any other start removes
    // copy.his unread.
    virtual void CompleteInstallation(TMainForm &main) = 0;
};

// The locator in force.
DriveLocator &driveLocator();
// main.cpp installs the device layer's; nullptr restores the stand-in.
void setDriveLocator(DriveLocator *locator);

// The stand-in: the drive of the running program is the player's drive.
class RunningDriveLocator : public DriveLocator {
public:
    TOtherFrame *createChooser(TMainForm &main) override;
    bool LocateManager(TMainForm &main, bool chooserMode) override;
    void CompleteInstallation(TMainForm &main) override;
};

}  // namespace voxa
