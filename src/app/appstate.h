#pragma once
// Process-wide state shared by the start-up, the drive layer and the editors.
#include <QChar>
#include <QString>

namespace voxa {

struct AppState {
    QChar DriveLetter = QLatin1Char('C');  // the player's drive
    quint8 DisplayType = 1;                // 1 = VOXA-A, 2 = VA-DA front panel
    bool NormalRun = false;                // running from the player's drive; settings are saved
    bool Terminating = false;              // handed over to another copy; do nothing more
    bool MessageEditorDisabled = false;    // default.mgs missing on the drive
    int savedTop = 0;
    int savedLeft = 0;
};

AppState &appState();
// Back to the values of a fresh start (tests).
void resetAppState();

// The device path of the running manager's program file ("E:\voxa\manager\voxam2").
// Tests may pretend another place.
QString ProgramPath();
void setProgramPathForTests(const QString &devicePath);

}  // namespace voxa
