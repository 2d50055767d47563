// Started by e2e_wayland.sh under a headless compositor: the manager's window
// on the sample drive runs its start-up with the real, timed animations,
// opens every frame of the start panel through its button, returns to the
// start panel with the Exit tool button after each, and closes with the
// header's close button. Each step is printed; the status is 0 when all of
// them finished in time and the window had each frame's size.
//   framewalk PICTURE
// PICTURE is the file picked in the logo editor's picture chooser. The drive
// table comes from VOXA_DRIVE_TABLE; the player's drive is V.
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/drivelocator.h"
#include "app/features.h"
#include "app/mainform.h"
#include "app/qtprompts.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"
#include "ui/skinpanel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

namespace {

// The sample drive is the player's drive, in a normal run.
class SampleDriveLocator : public voxa::DriveLocator {
public:
    voxa::TOtherFrame *createChooser(voxa::TMainForm &) override { return nullptr; }
    bool LocateManager(voxa::TMainForm &main, bool) override
    {
        voxa::appState().DriveLetter = QLatin1Char('V');
        main.LoadWindowSettings();
        return true;
    }
    void CompleteInstallation(voxa::TMainForm &) override {}
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
    if (argc < 2) {
        std::fprintf(stderr, "usage: framewalk PICTURE\n");
        return 2;
    }
    const QString picture = QString::fromLocal8Bit(argv[1]);
    QGuiApplication::setDesktopFileName(QStringLiteral("voxa-manager"));
    say(QStringLiteral("platform %1").arg(QGuiApplication::platformName()));
    voxa::InstallFontSubstitutes();
    voxa::QtPrompts prompts;
    voxa::setPrompts(&prompts);
    if (!voxa::LoadSkinForStartup())
        return 1;
    voxa::RegisterFeatures();
    SampleDriveLocator locator;
    voxa::setDriveLocator(&locator);
    voxa::TMainForm main;
    prompts.setMainWindow(&main);
    main.CreateDialogs();

    QString step = QStringLiteral("start-up");
    QTimer::singleShot(45000, &app, [&] { fail(QStringLiteral("timed out at: ") + step); });
    // Modal windows: the picture chooser gets the picture, anything else
    // (the update check's failure box) is answered and reported.
    QTimer modals;
    QObject::connect(&modals, &QTimer::timeout, &app, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
            say(QStringLiteral("  picture chooser: ") + picture);
            files->selectFile(picture);
            static_cast<QDialog *>(files)->accept();  // public through the base
        } else {
            // A question to save is answered No, so the frame closes.
            auto *box = qobject_cast<QMessageBox *>(dialog);
            say(QStringLiteral("  answered: ") + (box ? box->text() : dialog->windowTitle()));
            QAbstractButton *answer = box ? box->button(QMessageBox::No) : nullptr;
            if (!answer && box)
                answer = box->button(QMessageBox::Ok);
            if (answer)
                answer->click();
            else
                dialog->reject();
        }
    });
    modals.start(100);

    const voxa::skin::StartButton buttons[] = {
        voxa::skin::StartButton::Config,  voxa::skin::StartButton::Logo,        voxa::skin::StartButton::Message,
        voxa::skin::StartButton::MyRadio, voxa::skin::StartButton::Playdisplay, voxa::skin::StartButton::Update,
    };
    int next = 0;
    int shown = 0;
    std::function<void()> openNext = [&] {
        if (next == int(std::size(buttons))) {
            step = QStringLiteral("closing");
            say(step);
            main.XButton->Click();
            return;
        }
        voxa::TSkinButton *button = main.StartPanel->Button(buttons[next++]);
        step = button->Caption();
        if (!button->isEnabled()) {
            say(step + QStringLiteral(": disabled"));
            QTimer::singleShot(0, &app, openNext);
            return;
        }
        say(step);
        button->Click();
    };
    QObject::connect(&main, &voxa::TMainForm::startupFinished, &app, [&] {
        if (!main.StartPanel || !main.StartPanel->isVisible())
            fail(QStringLiteral("the start-up did not end on the start panel"));
        say(QStringLiteral("started at %1 x %2").arg(main.width()).arg(main.height()));
        openNext();
    });
    QObject::connect(&main, &voxa::TMainForm::frameShown, &app, [&](QWidget *frame) {
        // The events of this change run first; the next command waits for them.
        if (frame == main.StartPanel) {
            if (next > 0)
                QTimer::singleShot(200, &app, openNext);
            return;
        }
        const QSize expected(main.ToolPanel->width() + frame->width(),
                             main.Border->y() + main.Border->height() + frame->height());
        if (main.size() != expected || !frame->isVisible())
            fail(QStringLiteral("%1: the window is %2 x %3, not %4 x %5")
                     .arg(step)
                     .arg(main.width())
                     .arg(main.height())
                     .arg(expected.width())
                     .arg(expected.height()));
        if (main.XButton->geometry().right() != main.width() - 5)
            fail(step + QStringLiteral(": the close button is not at the header's right end"));
        ++shown;
        say(QStringLiteral("  shown at %1 x %2").arg(main.width()).arg(main.height()));
        QTimer::singleShot(300, &app, [&] { main.ExitButton->Click(); });
    });

    main.show();
    // As in the program: without an activation from the compositor the
    // start-up runs anyway.
    QTimer::singleShot(400, &main, &voxa::TMainForm::FormActivate);
    const int status = app.exec();
    if (main.isVisible())
        fail(QStringLiteral("the event loop ended with the window open"));
    say(QStringLiteral("closed after %1 frames").arg(shown));
    return status;
}
