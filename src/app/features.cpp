#include "app/features.h"

#include "app/drivelocator.h"
#include "device/chooseframe.h"
#include "editors/devicedialogs.h"
#include "editors/logo/logoeditor.h"
#include "editors/playdisplay/playdisplayeditor.h"

namespace voxa {

void RegisterFeatures()
{
    static DeviceDriveLocator device;
    setDriveLocator(&device);
    RegisterEditorDialogs();
    RegisterPlaydisplayEditor();
    RegisterLogoEditor();
}

}  // namespace voxa
