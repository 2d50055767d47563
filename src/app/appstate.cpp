#include "app/appstate.h"

#include "platform/paths.h"
#include "platform/processes.h"

namespace voxa {
namespace {
QString g_programOverride;
}

AppState &appState()
{
    static AppState s;
    return s;
}

void resetAppState()
{
    appState() = AppState{};
}

QString ProgramPath()
{
    if (!g_programOverride.isEmpty())
        return g_programOverride;
    const QString native = platform::runningProgramFile();
    const QString device = platform::toDevice(native);
    return device.isEmpty() ? native : device;
}

void setProgramPathForTests(const QString &devicePath)
{
    g_programOverride = devicePath;
}

}  // namespace voxa
