#include "app/features.h"

#include "app/drivelocator.h"
#include "device/chooseframe.h"
#include "editors/config/configeditor.h"
#include "editors/devicedialogs.h"
#include "editors/messages/messageeditor.h"
#include "editors/myradio/myradioeditor.h"
#include "editors/logo/logoeditor.h"
#include "editors/playdisplay/playdisplayeditor.h"
#include "update/updateframe.h"
#include "music/myradiocopyframe.h"
#include "music/sortframe.h"
#include "music/findexportframe.h"

namespace voxa {

void RegisterFeatures()
{
    static DeviceDriveLocator device;
    setDriveLocator(&device);
    RegisterEditorDialogs();
    RegisterPlaydisplayEditor();
    RegisterConfigEditor();
    RegisterMessageEditor();
    RegisterUpdateFrame();
    RegisterMyRadioCopyFrame();
    RegisterSortFrame();
    RegisterFindExport();
    RegisterMyRadioEditor();
    RegisterLogoEditor();
}

}  // namespace voxa
