#include "support/globals.h"

#include "app/appstate.h"
#include "app/framecatalog.h"
#include "app/languagetargets.h"
#include "app/messagetable.h"
#include "device/installer.h"
#include "editors/messages/messagefile.h"

namespace voxa::test {

void resetGlobals()
{
    resetAppState();
    resetMessages();
    messageSets() = MessageSets();
    LanguageTargets::instance().clear();
    ClearRegistrations();
    chooserFlags() = {};
}

}  // namespace voxa::test
