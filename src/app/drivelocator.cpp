#include "app/drivelocator.h"

#include "app/appstate.h"
#include "platform/fileops.h"
#include "platform/paths.h"

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

TOtherFrame *RunningDriveLocator::createChooser(StartupHost &, QWidget *)
{
    return nullptr;
}

bool RunningDriveLocator::LocateManager(StartupHost &host, bool chooserMode)
{
    host.setNavigationEnabled(false);
    AppState &state = appState();
    state.DriveLetter = runningDrive();
    if (chooserMode) {
        // Nothing to choose from: back to where the user was.
        host.showMenuBar();
        host.setNavigationEnabled(true);
        host.ShowStartPanel();
        return true;
    }
    state.MessageEditorDisabled =
        !fs::exists(QString(state.DriveLetter) + QStringLiteral(":\\voxa\\manager\\default.mgs"));
    host.loadWindowSettings();
    return true;
}

void RunningDriveLocator::CompleteInstallation(StartupHost &)
{
}

}  // namespace voxa
