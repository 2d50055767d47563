// Shows one frame of the manager on the sample drive and saves a picture of
// the window, for the screenshots in docs/. Run under Xvfb by
// scripts/frame-screenshots.
//   frameshot OUT.png FRAME [DEVICE-FILE] [--language NAME] [--find FOLDER]
//             [--select FOLDER] [--focus NAME [--then KEYS]]
// FRAME is a frame kind's menu item caption without "&" ("Playdisplay
// Editor", "About VOXA Manager", ...), or "Start Panel". The drive table comes from
// VOXA_DRIVE_TABLE; the player's drive is V. --find runs the find and export
// frame's search on a folder relative to the drive root (all items checked)
// before the picture is taken; --select selects a folder (relative to the
// drive root) in the sort frame, so its play-order view is filled; --focus
// presses Tab until the control of that name (as a screen reader reads it)
// has the focus, so the picture shows the focus mark, and --then types keys
// after that ("Space, Shift+Tab").
#include "app/appstate.h"
#include "app/drivelocator.h"
#include "app/editorframe.h"
#include "app/features.h"
#include "app/frametable.h"
#include "app/mainform.h"
#include "app/qtprompts.h"
#include "music/findexportframe.h"
#include "music/sortframe.h"
#include "ui/skin.h"
#include "ui/skinaccessible.h"
#include "ui/skinfonts.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"

#include <QAccessible>
#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace {

// The sample drive is the player's drive, in a normal run.
class SampleDriveLocator : public voxa::DriveLocator {
public:
    voxa::TOtherFrame *createChooser(voxa::StartupHost &, QWidget *) override { return nullptr; }
    bool LocateManager(voxa::StartupHost &main, bool) override
    {
        voxa::appState().DriveLetter = QLatin1Char('V');
        main.loadWindowSettings();
        return true;
    }
    void CompleteInstallation(voxa::StartupHost &) override {}
};

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString language;
    if (const qsizetype i = args.indexOf(QStringLiteral("--language")); i >= 0 && i + 1 < args.size()) {
        language = args[i + 1];
        args.remove(i, 2);
    }
    QString findFolder;
    if (const qsizetype i = args.indexOf(QStringLiteral("--find")); i >= 0 && i + 1 < args.size()) {
        findFolder = args[i + 1];
        args.remove(i, 2);
    }
    QString focusName;
    if (const qsizetype i = args.indexOf(QStringLiteral("--focus")); i >= 0 && i + 1 < args.size()) {
        focusName = args[i + 1];
        args.remove(i, 2);
    }
    QKeySequence thenKeys;
    if (const qsizetype i = args.indexOf(QStringLiteral("--then")); i >= 0 && i + 1 < args.size()) {
        thenKeys = QKeySequence::fromString(args[i + 1]);
        args.remove(i, 2);
    }
    QString selectFolder;
    if (const qsizetype i = args.indexOf(QStringLiteral("--select")); i >= 0 && i + 1 < args.size()) {
        selectFolder = args[i + 1];
        args.remove(i, 2);
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: frameshot OUT.png FRAME [DEVICE-FILE] [--language NAME] [--find FOLDER] "
                             "[--select FOLDER] [--focus NAME [--then KEYS]]\n");
        return 2;
    }
    const QString out = args[0], frameName = args[1], file = args.value(2);
    voxa::InstallFontSubstitutes();
    voxa::InstallSkinAccessibility();
    voxa::QtPrompts prompts;
    voxa::setPrompts(&prompts);
    if (!voxa::LoadSkinForStartup())
        return 1;
    voxa::RegisterFeatures();
    SampleDriveLocator locator;
    voxa::setDriveLocator(&locator);
    voxa::TMainForm::setInstantAnimations(true);
    voxa::TMainForm main;
    prompts.setMainWindow(&main);
    main.CreateDialogs();
    main.show();
    main.FormActivate();
    main.move(20, 20);

    QWidget *frame = nullptr;
    if (frameName == QLatin1String("Start Panel"))
        frame = main.StartPanel;
    for (const voxa::FrameRow &row : voxa::FrameTable()) {
        QAction *item = main.ShowItem(row.kind);
        if (item && item->text().remove(QLatin1Char('&')) == frameName)
            frame = main.Frame(row.kind);
    }
    if (!frame) {
        std::fprintf(stderr, "frameshot: no frame \"%s\" in this build\n", qPrintable(frameName));
        return 1;
    }
    // Frames are named by their English captions, so the language comes after.
    if (!language.isEmpty())
        main.ApplyLanguage(language);
    main.CloseActiveFrame(true);
    if (auto *editor = qobject_cast<voxa::TEditorFrame *>(frame); editor && !file.isEmpty()) {
        editor->setFileName(file);
        if (!editor->Load())
            return 1;
    }
    main.ShowFrame(frame);
    int delay = 800;
    if (auto *finder = qobject_cast<voxa::TFindExportFrame *>(frame); finder && !findFolder.isEmpty()) {
        if (!finder->SelectFolder(findFolder))
            return 1;
        finder->FindButtonClick();
        finder->WaitForSearch();
        finder->SelAllButtonClick();
        delay = 300;
    }
    if (auto *sorter = qobject_cast<voxa::TSortFrame *>(frame); sorter && !selectFolder.isEmpty()) {
        if (!sorter->SelectDirectory(QStringLiteral("V:\\") + selectFolder))
            return 1;
    }
    if (!focusName.isEmpty()) {
        QTimer::singleShot(delay / 2, &app, [&] {
            main.activateWindow();
            const auto type = [&main](QKeyCombination key) {
                for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease}) {
                    QWidget *f = QApplication::focusWidget();
                    QKeyEvent e(t, key.key(), key.keyboardModifiers(), key.key() == Qt::Key_Space ? QStringLiteral(" ") : QString());
                    QApplication::sendEvent(f ? f : &main, &e);
                }
            };
            for (int i = 0; i < 200; ++i) {
                QWidget *f = QApplication::focusWidget();
                QAccessibleInterface *a = f ? QAccessible::queryAccessibleInterface(f) : nullptr;
                if (a && f->isVisible() && a->text(QAccessible::Name) == focusName) {
                    for (int k = 0; k < thenKeys.count(); ++k)
                        type(thenKeys[k]);
                    return;
                }
                type(QKeyCombination(Qt::Key_Tab));
            }
            std::fprintf(stderr, "frameshot: Tab never reached \"%s\"\n", qPrintable(focusName));
            QCoreApplication::exit(1);
        });
    }
    QTimer::singleShot(delay, &app, [&] {
        const QPixmap shot = main.screen()->grabWindow(main.winId());
        const bool saved = shot.save(out, "PNG");
        std::printf("%s: %s\n", qPrintable(out), saved ? "saved" : "NOT saved");
        QCoreApplication::exit(saved ? 0 : 1);
    });
    return app.exec();
}
