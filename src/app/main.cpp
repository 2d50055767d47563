// The manager's entry: no arguments, one main window.
#include "app/appstate.h"
#include "app/drivelocator.h"
#include "app/framecatalog.h"
#include "app/mainform.h"
#include "app/qtprompts.h"
#include "app/version.h"
#include "app/features.h"
#include "ui/skinaccessible.h"
#include "ui/skinfonts.h"
#include "platform/udisks.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

// For the start-up benchmark: prints the time from the program's start to
// the end of the start-up sequence and the memory in use then, and ends.
void reportStartup(voxa::TMainForm &main, const QElapsedTimer &clock)
{
    QObject::connect(&main, &voxa::TMainForm::startupFinished, &main, [&clock] {
        const qint64 ms = clock.elapsed();
        long pages = 0, resident = 0;
        if (QFile statm(QStringLiteral("/proc/self/statm")); statm.open(QIODevice::ReadOnly))
            std::sscanf(statm.readAll().constData(), "%ld %ld", &pages, &resident);
        const double mb = double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
        std::printf("startup_ms %lld\nresident_mb %.1f\n", static_cast<long long>(ms), mb);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

}  // namespace

int main(int argc, char **argv)
{
    // The step that removes the player's disk after the manager has ended
    // runs from a copy of this program, without a window.
    if (voxa::platform::IsRemovalStep())
        return voxa::platform::RunRemovalStep(argc, argv);
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(voxa::ApplicationTitle));
    // Docks group the window with the installed entry and show its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("voxa-manager"));
    voxa::InstallFontSubstitutes();
    voxa::InstallSkinAccessibility();
    voxa::QtPrompts prompts;
    voxa::setPrompts(&prompts);

    if (!voxa::LoadSkinForStartup())
        return 1;

    voxa::RegisterFeatures();
    voxa::TMainForm main;
    prompts.setMainWindow(&main);
    main.CreateDialogs();
    if (qEnvironmentVariableIsSet("VOXA_STARTUP_REPORT"))
        reportStartup(main, clock);
    main.show();
    // Without a window manager the window may never be told that it is
    // active; the start-up then runs anyway.
    QTimer::singleShot(400, &main, &voxa::TMainForm::FormActivate);
    return app.exec();
}
