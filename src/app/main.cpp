// The manager's entry: no arguments, one main window.
#include "app/appstate.h"
#include "app/drivelocator.h"
#include "app/framecatalog.h"
#include "app/mainform.h"
#include "app/qtprompts.h"
#include "app/version.h"
#include "device/chooseframe.h"
#include "editors/devicedialogs.h"
#include "ui/skinfonts.h"

#include <QApplication>
#include <QTimer>

namespace {

// Each feature folder registers the frames and dialogs it provides here:
// voxa::RegisterFrame(...), voxa::RegisteredDialogs().fileDialog = ...,
// voxa::setDriveLocator(...). Whatever is not registered is left out.
void RegisterFeatures()
{
    static voxa::DeviceDriveLocator device;
    voxa::setDriveLocator(&device);
    voxa::RegisterEditorDialogs();
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(voxa::ApplicationTitle));
    voxa::InstallFontSubstitutes();
    voxa::QtPrompts prompts;
    voxa::setPrompts(&prompts);

    if (!voxa::LoadSkinForStartup())
        return 1;

    RegisterFeatures();
    voxa::TMainForm main;
    prompts.setMainWindow(&main);
    main.CreateDialogs();
    main.show();
    // Without a window manager the window may never be told that it is
    // active; the start-up then runs anyway.
    QTimer::singleShot(400, &main, &voxa::TMainForm::FormActivate);
    return app.exec();
}
