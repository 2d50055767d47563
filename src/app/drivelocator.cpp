#include "app/drivelocator.h"

#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/mainform.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"

namespace voxa {
namespace {

DriveLocator *g_locator = nullptr;

QChar runningDrive()
{
    const QChar letter = platform::driveLetterOf(ProgramPath());
    return letter.isNull() ? QLatin1Char('C') : letter;
}

}  // namespace

DriveLocator &driveLocator()
{
    static RunningDriveLocator standIn;
    return g_locator ? *g_locator : standIn;
}

void setDriveLocator(DriveLocator *locator)
{
    g_locator = locator;
}

TOtherFrame *RunningDriveLocator::createChooser(TMainForm &)
{
    return nullptr;
}

bool RunningDriveLocator::LocateManager(TMainForm &main, bool chooserMode)
{
    main.MenuBar->setEnabled(false);
    main.ToolPanel->setEnabled(false);
    AppState &state = appState();
    state.DriveLetter = runningDrive();
    if (chooserMode) {
        // Nothing to choose from: back to where the user was.
        main.MenuBar->show();
        main.MenuBar->setEnabled(true);
        main.ToolPanel->setEnabled(true);
        main.ShowFrame(main.StartPanel);
        return true;
    }
    state.MessageEditorDisabled =
        !fs::exists(QString(state.DriveLetter) + QStringLiteral(":\\voxa\\manager\\default.mgs"));
    main.LoadWindowSettings();
    return true;
}

void RunningDriveLocator::CompleteInstallation(TMainForm &)
{
}

}  // namespace voxa
