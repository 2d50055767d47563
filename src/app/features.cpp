#include "app/features.h"

#include "app/drivelocator.h"
#include "device/chooseframe.h"
#include "editors/devicedialogs.h"
#include "editors/myradio/myradioeditor.h"
#include "editors/playdisplay/playdisplayeditor.h"

namespace voxa {

void RegisterFeatures()
{
    static DeviceDriveLocator device;
    setDriveLocator(&device);
    RegisterEditorDialogs();
    RegisterPlaydisplayEditor();
    RegisterMyRadioEditor();
}

}  // namespace voxa
