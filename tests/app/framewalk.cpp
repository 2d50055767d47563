// Run by e2e_wayland.sh: with the real animations, opens every start-panel frame through its button, returns with
// Exit after each, and closes with the header's close button; status 0 when every step finished with the frame's
// window size.   framewalk PICTURE (picked in the logo editor's chooser; drive table from VOXA_DRIVE_TABLE, drive V)
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/drivelocator.h"
#include "app/features.h"
#include "app/mainform.h"
#include "app/qtprompts.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"
#include "ui/skinpanel.h"
#include "../support/mainwidgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

using namespace voxa;

namespace {

class SampleDriveLocator : public DriveLocator {
public:
    TOtherFrame *createChooser(StartupHost &, QWidget *) override { return nullptr; }
    bool LocateManager(StartupHost &main, bool) override
    {
        appState().DriveLetter = QLatin1Char('V');
        main.loadWindowSettings();
        return true;
    }
    void CompleteInstallation(StartupHost &) override {}
};

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "framewalk: %s\n", qPrintable(why));
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString picture = app.arguments().value(1);
    if (picture.isEmpty())
        fail(QStringLiteral("usage: framewalk PICTURE"));
    QGuiApplication::setDesktopFileName(QStringLiteral("voxa-manager"));
    say(QStringLiteral("platform %1").arg(QGuiApplication::platformName()));
    InstallFontSubstitutes();
    QtPrompts prompts;
    setPrompts(&prompts);
    if (!LoadSkinForStartup())
        return 1;
    RegisterFeatures();
    SampleDriveLocator locator;
    setDriveLocator(&locator);
    TMainForm main;
    prompts.setMainWindow(&main);
    main.CreateDialogs();

    QString step = QStringLiteral("start-up");
    QTimer::singleShot(45000, &app, [&] { fail(QStringLiteral("timed out at: ") + step); });
    // The picture chooser gets the picture; any other box (a question to save, a failure) is answered No or OK.
    QTimer modals;
    QObject::connect(&modals, &QTimer::timeout, &app, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
            say(QStringLiteral("  picture chooser: ") + picture);
            files->selectFile(picture);
            static_cast<QDialog *>(files)->accept();  // public through the base
            return;
        }
        auto *box = qobject_cast<QMessageBox *>(dialog);
        say(QStringLiteral("  answered: ") + (box ? box->text() : dialog->windowTitle()));
        QAbstractButton *answer = box ? box->button(QMessageBox::No) : nullptr;
        if (box && !answer)
            answer = box->button(QMessageBox::Ok);
        answer ? answer->click() : dialog->reject();
    });
    modals.start(100);

    using skin::StartButton;
    const StartButton buttons[] = {StartButton::Config,  StartButton::Logo,        StartButton::Message,
                                   StartButton::MyRadio, StartButton::Playdisplay, StartButton::Update};
    int next = 0, shown = 0;
    std::function<void()> openNext = [&] {
        if (next == int(std::size(buttons))) {
            say(step = QStringLiteral("closing"));
            mainChild<TSkinButton>(main, "XButton")->Click();
            return;
        }
        TSkinButton *button = main.StartPanel->Button(buttons[next++]);
        step = button->Caption();
        say(step + (button->isEnabled() ? QString() : QStringLiteral(": disabled")));
        if (button->isEnabled())
            button->Click();
        else
            QTimer::singleShot(0, &app, openNext);
    };
    QObject::connect(&main, &TMainForm::startupFinished, &app, [&] {
        if (!main.StartPanel || !main.StartPanel->isVisible())
            fail(QStringLiteral("the start-up did not end on the start panel"));
        say(QStringLiteral("started at %1 x %2").arg(main.width()).arg(main.height()));
        openNext();
    });
    QObject::connect(&main, &TMainForm::frameShown, &app, [&](QWidget *frame) {
        // The events of this change run first; the next command waits for them.
        if (frame == main.StartPanel) {
            if (next > 0)
                QTimer::singleShot(200, &app, openNext);
            return;
        }
        const TSkinPanel *border = mainChild<TSkinPanel>(main, "Border");
        const QSize expected(mainChild<TSkinPanel>(main, "ToolPanel")->width() + frame->width(),
                             border->y() + border->height() + frame->height());
        if (main.size() != expected || !frame->isVisible())
            fail(QStringLiteral("%1: the window is %2 x %3, not %4 x %5")
                     .arg(step).arg(main.width()).arg(main.height()).arg(expected.width()).arg(expected.height()));
        if (mainChild<TSkinButton>(main, "XButton")->geometry().right() != main.width() - 5)
            fail(step + QStringLiteral(": the close button is not at the header's right end"));
        ++shown;
        say(QStringLiteral("  shown at %1 x %2").arg(main.width()).arg(main.height()));
        QTimer::singleShot(300, &app, [&] { mainChild<TSkinButton>(main, "ExitButton")->Click(); });
    });

    main.show();
    // As in the program: without an activation from the compositor the start-up runs anyway.
    QTimer::singleShot(400, &main, &TMainForm::FormActivate);
    const int status = app.exec();
    if (main.isVisible())
        fail(QStringLiteral("the event loop ended with the window open"));
    say(QStringLiteral("closed after %1 frames").arg(shown));
    return status;
}
