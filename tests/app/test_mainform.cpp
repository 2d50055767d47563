// The main window: start-up, frame switching, the tool buttons and keys,
// the animations and the settings it keeps.
#include "app/aboutframe.h"
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "app/stepanimation.h"
#include "app/messagetable.h"
#include "platform/paths.h"
#include "shellstubs.h"
#include "support/framewindow.h"
#include "support/globals.h"
#include "support/recordingprocesses.h"
#include "support/scriptedprompts.h"
#include "support/testdrive.h"
#include "ui/skin.h"
#include "ui/skinfonts.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"
#include "support/mainwidgets.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QScopeGuard>
#include <QTest>
#include <QWindow>
#include <QtEndian>

using namespace voxa;
using voxa::test::StubEditor;

namespace {

// Records like the test processes and can act while the window waits
// between two animation steps.
class SteppingProcesses : public test::RecordingProcesses {
public:
    std::function<void()> duringWait;
    void sleepMs(int ms) override
    {
        RecordingProcesses::sleepMs(ms);
        if (auto f = std::exchange(duringWait, nullptr))
            f();
    }
};

}  // namespace

using voxa::test::StubOtherFrame;

class TestMainForm : public QObject {
    Q_OBJECT

    test::TestDrive drives;
    SteppingProcesses *processes = nullptr;
    test::ScriptedPrompts *prompts = nullptr;
    test::StubLocator *locator = nullptr;
    TMainForm *form = nullptr;
    QString root;
    QList<int> waits;  // the animations' waits between steps

    StubOtherFrame *sort = nullptr;
    StubOtherFrame *update = nullptr;
    StubOtherFrame *findExport = nullptr;
    StubEditor *config = nullptr;
    StubEditor *playdisplay = nullptr;
    StubEditor *myradio = nullptr;
    StubEditor *message = nullptr;
    StubEditor *logo = nullptr;

    QString ini() const { return QStringLiteral("V:\\voxa\\manager\\voxam2.ini"); }

    void registerStandIns()
    {
        RegisterFrame(FrameKind::Sort, [this](FrameHost &m, QWidget *parent) {
            return sort = new StubOtherFrame(&m, parent, QSize(300, 200), QStringLiteral("sort"));
        });
        RegisterFrame(FrameKind::Update, [this](FrameHost &m, QWidget *parent) {
            return update = new StubOtherFrame(&m, parent, QSize(436, 230), QStringLiteral("update"));
        });
        RegisterFrame(FrameKind::FindExport, [this](FrameHost &m, QWidget *parent) {
            return findExport = new StubOtherFrame(&m, parent, QSize(500, 300), QStringLiteral("find"));
        });
        RegisterFrame(FrameKind::ConfigEditor, [this](FrameHost &m, QWidget *) { return config = new StubEditor(&m); });
        RegisterFrame(FrameKind::PlaydisplayEditor,
                      [this](FrameHost &m, QWidget *) { return playdisplay = new StubEditor(&m, QSize(420, 260)); });
        RegisterFrame(FrameKind::MyRadioEditor, [this](FrameHost &m, QWidget *) { return myradio = new StubEditor(&m); });
        RegisterFrame(FrameKind::MessageEditor, [this](FrameHost &m, QWidget *) { return message = new StubEditor(&m); });
        RegisterFrame(FrameKind::LogoEditor, [this](FrameHost &m, QWidget *) { return logo = new StubEditor(&m); });
    }

    TMainForm *start()
    {
        form = new TMainForm;
        form->CreateDialogs();
        form->show();
        if (!QTest::qWaitForWindowExposed(form))
            return nullptr;
        form->FormActivate();
        return form;
    }

    QSize screen() const { return QGuiApplication::primaryScreen()->geometry().size(); }

    TAboutFrame *about() const { return qobject_cast<TAboutFrame *>(form->Frame(FrameKind::About)); }

    void sendKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QWidget *target = QApplication::focusWidget();
        QCoreApplication::sendEvent(target && target->window() == form ? target : form, &press);
    }

private slots:
    void initTestCase()
    {
        StepAnimation::setWaitObserver([this](int ms) { waits << ms; });
        // Frame changes run their steps at once; the timed animation has
        // tests of its own.
        QVERIFY(test::FrameWindow::setUpProgram());
    }

    void init()
    {
        test::resetGlobals();
        QVERIFY(drives.setUp('V', test::FrameWindow::playerFolders()));
        root = drives.root();
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\manager\\default.mgs"), "R7MGS"));
        processes = new SteppingProcesses;
        prompts = new test::ScriptedPrompts;
        locator = new test::StubLocator;
        setDriveLocator(locator);
        sort = update = findExport = nullptr;
        config = playdisplay = myradio = message = logo = nullptr;
    }

    void cleanup()
    {
        delete form;
        form = nullptr;
        setDriveLocator(nullptr);
        delete locator;
        delete prompts;
        delete processes;
        drives.tearDown();
        ClearRegistrations();
    }

    // ------------------------------------------------------------ start-up

    void missingSkinEndsWithTheErrorBox()
    {
        QTemporaryDir work;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        UnloadSkin();
        prompts->expectMessage(QStringLiteral("defaultskin.bmp"));
        const bool loaded = LoadSkinForStartup();
        QVERIFY(!loaded);
        QCOMPARE(prompts->records().size(), 1);
        const MessageBox box = prompts->lastMessage();
        QCOMPARE(box.text, QStringLiteral("The defaultskin.bmp not found. VOXA Manager cannot run without it."));
        QCOMPARE(box.title, QString());  // the application title
        QCOMPARE(box.buttons, Buttons(Button::Ok));
        // In the working folder it is found, quietly.
        QVERIFY(QFile::copy(QStringLiteral(VOXA_SOURCE_DIR "/data/defaultskin.bmp"),
                            work.filePath(QStringLiteral("defaultskin.bmp"))));
        QVERIFY(LoadSkinForStartup());
        QCOMPARE(prompts->records().size(), 1);
        QVERIFY(QDir::setCurrent(previous));
        QVERIFY(LoadSkinFrom(QStringLiteral(VOXA_SOURCE_DIR "/data/defaultskin.bmp")));
    }

    void statusLineIsPaintedBottomRight()
    {
        form = new TMainForm;
        form->resize(380, 240);
        form->ShowStartupStatus(QStringLiteral("Initializing About..."));
        QCOMPARE(form->StartupStatus(), QStringLiteral("Initializing About..."));
        const QImage shot = form->grab().toImage();
        // Light text in the band 50 to 30 pixels above the bottom, ending
        // near the right edge; nothing of it elsewhere.
        auto isText = [](QRgb c) { return qBlue(c) > 190 && qRed(c) > 150; };
        int inBand = 0, outside = 0, rightmost = 0, leftmost = 380;
        for (int y = 89; y < 240; ++y)
            for (int x = 35; x < 380; ++x)
                if (isText(shot.pixel(x, y))) {
                    if (y >= 190 && y < 210) {
                        ++inBand;
                        rightmost = std::max(rightmost, x);
                        leftmost = std::min(leftmost, x);
                    } else {
                        ++outside;
                    }
                }
        QVERIFY(inBand > 30);
        QCOMPARE(outside, 0);
        QVERIFY(rightmost >= 360 && rightmost < 370);
        QVERIFY(leftmost > 150);
        // Showing a frame removes it.
        form->ShowFrame(new TAboutFrame(form, form));
        QCOMPARE(form->StartupStatus(), QString());
    }

    void createdAsASmallSquare()
    {
        form = new TMainForm;
        QCOMPARE(form->size(), QSize(3, 3));
        QCOMPARE(form->pos(), QPoint(screen().width() / 2 - 190, screen().height() / 2 - 120));
        QVERIFY(form->FirstActivationPending());
        QVERIFY(!form->Resizing());
        QCOMPARE(form->windowTitle(), QStringLiteral("VOXA Manager"));
        QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
        // Pictures are in place before anything is shown.
        QCOMPARE(mainChild<TSkinButton>(form, "OpenButton")->size(), QSize(24, 24));
        QCOMPARE(mainChild<TSkinButton>(form, "XButton")->size(), QSize(13, 11));
        QVERIFY(!mainChild<TSkinButton>(form, "OpenButton")->NormalPic().isNull());
    }

    void startupShowsTheStartPanel()
    {
        registerStandIns();
        QVERIFY(start());
        QCOMPARE(locator->calls, QList<bool>{false});
        QVERIFY(appState().NormalRun);
        QCOMPARE(form->size(), QSize(380, 240));
        QVERIFY(form->StartPanel->isVisible());
        QCOMPARE(form->StartPanel->pos(), QPoint(35, 89));
        QCOMPARE(form->VisibleFrame(), form->StartPanel);
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isVisible());
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QVERIFY(mainChild<TSkinPanel>(form, "ToolPanel")->isEnabled());
        QCOMPARE(form->HeaderText(), QStringLiteral("     VOXA Manager"));
        // Every registered frame exists, hidden; editors know their place.
        QVERIFY(sort && update && config && playdisplay && myradio && message && logo && about());
        QVERIFY(!sort->isVisible());
        QCOMPARE(config->Folder(), QStringLiteral(":\\voxa\\config"));
        QCOMPARE(config->Extension(), QStringLiteral("cfg"));
        QCOMPARE(myradio->Folder(), QStringLiteral(":\\voxa\\myradio"));
        QCOMPARE(myradio->Extension(), QStringLiteral("mra"));
        QCOMPARE(playdisplay->Extension(), QStringLiteral("ply"));
        QCOMPARE(logo->Extension(), QStringLiteral("lce"));
        QCOMPARE(message->Extension(), QStringLiteral("mgs"));
        // The message editor read default.mgs as its reference set.
        QCOMPARE(message->referenceLoads, QStringList{QStringLiteral("V:\\voxa\\manager\\default.mgs")});
        QVERIFY(message->referenceDefault);
        QVERIFY(mainChild<QAction>(form, "MSGEditMenuItem")->isEnabled());
        // Display type 1: the VOXA-A item carries the check mark.
        QCOMPARE(TMainForm::ImageIndex(mainChild<QAction>(form, "VOXAA")), 12);
        QCOMPARE(TMainForm::ImageIndex(mainChild<QAction>(form, "VOXAC1")), -1);
        // Titles were refreshed by the language step.
        QVERIFY(config->titles >= 1);
        QVERIFY(update->titles >= 1);
        // Later activations do nothing.
        form->FormActivate();
        QCOMPARE(locator->calls.size(), 1);
    }

    void openingAnimationEndsAtFullSize()
    {
        form = new TMainForm;
        form->move(100, 50);
        form->OpeningAnimation();
        QCOMPARE(form->size(), QSize(380, 240));
        // Where it started: a saved position does not creep.
        QCOMPARE(form->pos(), QPoint(100, 50));
        QVERIFY(!form->Resizing());
        QVERIFY(processes->calls.isEmpty());  // no waiting between steps
    }

    void missingDefaultMessagesDisablesTheMessageEditor()
    {
        registerStandIns();
        QVERIFY(QFile::remove(root + QStringLiteral("/voxa/manager/default.mgs")));
        appState().MessageEditorDisabled = true;
        QVERIFY(start());
        QVERIFY(message->referenceLoads.isEmpty());
        QVERIFY(!mainChild<QAction>(form, "MSGEditMenuItem")->isEnabled());
        QVERIFY(!mainChild<QAction>(form, "MessagePopupItem")->isEnabled());
        QVERIFY(!mainChild<QAction>(form, "LoadMGSFile")->isEnabled());
        QVERIFY(!form->StartPanel->Button(FrameKind::MessageEditor)->isEnabled());
        QVERIFY(form->StartPanel->Button(FrameKind::ConfigEditor)->isEnabled());
    }

    void interruptedSortAndInstallationAreFinished()
    {
        registerStandIns();
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\temp\\sort.dat"), "x"));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\manager\\copy.his"), "x"));
        QVERIFY(start());
        QCOMPARE(locator->completions, 1);
        QVERIFY(sort->isVisible());
        QCOMPARE(sort->resumed, 1);
        QVERIFY(!form->StartPanel->isVisible());
        QCOMPARE(form->size(), QSize(35 + 300, 89 + 200));
    }

    void installModeShowsTheChooserOnly()
    {
        registerStandIns();
        locator->normalRun = false;
        QVERIFY(start());
        QCOMPARE(locator->calls, QList<bool>({false, true}));
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Install VOXA Manager v. 3.01.01"));
        QVERIFY(locator->chooser->isVisible());
        QVERIFY(sort);  // created in both modes
        QVERIFY(!config);  // nothing else
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isVisible());
        QVERIFY(!mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QVERIFY(!mainChild<TSkinPanel>(form, "ToolPanel")->isEnabled());
        // Nothing is saved when this copy closes.
        form->close();
        QVERIFY(!QFile::exists(root + QStringLiteral("/voxa/manager/voxam2.ini")));
    }

    void handOverStopsEverything()
    {
        registerStandIns();
        locator->terminate = true;
        QVERIFY(start());
        QCOMPARE(form->size(), QSize(3, 3));
        QVERIFY(!form->ActivationHandlerInstalled());
        QVERIFY(!sort);
        form->close();
        QVERIFY(!QFile::exists(root + QStringLiteral("/voxa/manager/voxam2.ini")));
        QVERIFY(processes->calls.isEmpty());  // no closing animation either
    }

    // ------------------------------------------------------ frame switching

    void menuCommandsSwitchFrames()
    {
        registerStandIns();
        QVERIFY(start());
        form->MenuItemClick(mainChild<QAction>(form, "AboutMenuItem"));
        QVERIFY(about()->isVisible());
        QVERIFY(!form->StartPanel->isVisible());
        QCOMPARE(form->size(), QSize(35 + 408, 89 + 296));
        QCOMPARE(mainChild<TSkinPanel>(form, "Border")->width(), 35 + 408);
        QCOMPARE(mainChild<TSkinPanel>(form, "ToolPanel")->height(), 296);
        QCOMPARE(mainChild<TSkinMenu>(form, "MenuBar")->isEnabled(), false);
        QVERIFY(!mainChild<TSkinButton>(form, "OpenButton")->isEnabled());
        QVERIFY(!mainChild<TSkinButton>(form, "SaveButton")->isEnabled());
        QVERIFY(mainChild<TSkinButton>(form, "ExitButton")->isEnabled());
        QCOMPARE(about()->AboutLabel->text(), QStringLiteral("VOXA Manager for Linux v3.01.01"));
        QVERIFY(!about()->MainPanel->Background().isNull());
        QCOMPARE(form->ActiveEditor, nullptr);

        // An editor from the start panel's button.
        form->MenuItemClick(mainChild<QAction>(form, "AboutMenuItem"));  // about closes, about shows again
        QVERIFY(about()->isVisible());
        form->StartPanel->ButtonClick(form->StartPanel->Button(FrameKind::ConfigEditor));  // hidden start panel: still works
        QVERIFY(config->isVisible());
        QVERIFY(!about()->isVisible());
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());  // the about frame gave the menus back
        QCOMPARE(form->ActiveEditor, config);
        QVERIFY(mainChild<TSkinButton>(form, "OpenButton")->isEnabled());
        QCOMPARE(config->MainPanel()->Background().size(), config->size());

        // Closing goes back to the start panel.
        QVERIFY(form->CloseActiveFrame(false));
        QVERIFY(form->StartPanel->isVisible());
        QCOMPARE(form->size(), QSize(380, 240));
        // With the start panel shown, closing only hides it.
        QVERIFY(form->CloseActiveFrame(true));
        QVERIFY(!form->StartPanel->isVisible());
        QCOMPARE(form->VisibleFrame(), nullptr);
    }

    void frameThatRefusesToClose()
    {
        registerStandIns();
        QVERIFY(start());
        form->MenuItemClick(mainChild<QAction>(form, "ConfigEditMenuItem"));
        config->refuseClose = true;
        QVERIFY(!form->CloseActiveFrame(false));
        QVERIFY(config->isVisible());
        // A command then changes nothing.
        form->MenuItemClick(mainChild<QAction>(form, "AboutMenuItem"));
        QVERIFY(config->isVisible());
        QVERIFY(!about()->isVisible());
        // Neither does closing the window.
        form->close();
        QVERIFY(form->isVisible());
        QVERIFY(config->isVisible());
        config->refuseClose = false;
        QCOMPARE(form->ActiveEditor, config);
    }

    void exitAndEscape_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::addColumn<bool>("fromStartPanel");
        QTest::newRow("exit button, start panel") << false << true;
        QTest::newRow("escape, start panel") << true << true;
        QTest::newRow("exit button, other frame") << false << false;
        QTest::newRow("escape, other frame") << true << false;
    }
    void exitAndEscape()
    {
        QFETCH(bool, escape);
        QFETCH(bool, fromStartPanel);
        registerStandIns();
        QVERIFY(start());
        if (!fromStartPanel)
            form->MenuItemClick(mainChild<QAction>(form, "SortDirectory1"));
        if (escape)
            sendKey(Qt::Key_Escape);
        else
            mainChild<TSkinButton>(form, "ExitButton")->Click();
        if (fromStartPanel) {
            QVERIFY(!form->isVisible());
            QCOMPARE(form->size().height(), 3);  // shrunk away
        } else {
            QVERIFY(form->isVisible());
            QVERIFY(form->StartPanel->isVisible());
            QVERIFY(!sort->isVisible());
            QCOMPARE(sort->closed, 1);
        }
    }

    // While a frame works, whatever would leave it does nothing; once it has
    // finished, the same step leaves it. Two holders keep the window busy
    // until both have let go.
    void aWorkingFrameKeepsTheUserThere_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("nested");
        for (const char *step : {"menu item", "X button", "Exit tool", "Escape", "Return", "window close"})
            QTest::newRow(step) << QString::fromLatin1(step) << false;
        QTest::newRow("Escape, one of two holders let go") << QStringLiteral("Escape") << true;
    }
    void aWorkingFrameKeepsTheUserThere()
    {
        QFETCH(QString, step);
        QFETCH(bool, nested);
        registerStandIns();
        QVERIFY(start());
        form->MenuItemClick(mainChild<QAction>(form, "SortDirectory1"));
        QVERIFY(sort->isVisible());
        const auto tryToLeave = [&] {
            if (step == QLatin1String("menu item"))
                mainChild<QAction>(form, "AboutMenuItem")->trigger();
            else if (step == QLatin1String("X button"))
                mainChild<TSkinButton>(form, "XButton")->Click();
            else if (step == QLatin1String("Exit tool"))
                mainChild<TSkinButton>(form, "ExitButton")->Click();
            else if (step == QLatin1String("Escape"))
                sendKey(Qt::Key_Escape);
            else if (step == QLatin1String("Return"))
                sendKey(Qt::Key_Return);
            else
                form->close();
        };
        FrameHost *host = sort->Host();
        host->setBusy(true);
        if (nested)
            host->setBusy(true);
        QVERIFY(host->frameBusy());
        QVERIFY(!mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QVERIFY(!mainChild<TSkinButton>(form, "XButton")->isEnabled());
        QVERIFY(!mainChild<TSkinButton>(form, "ExitButton")->isEnabled());
        tryToLeave();
        QVERIFY(form->isVisible());
        QVERIFY(sort->isVisible());
        QCOMPARE(sort->closed + sort->okClicks, 0);

        host->setBusy(false);
        if (nested) {
            tryToLeave();
            QVERIFY(sort->isVisible());
            host->setBusy(false);
        }
        QVERIFY(!host->frameBusy());
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        tryToLeave();
        QTRY_VERIFY(!sort->isVisible());
    }

    void escapeOnAnEditorWithChangesAsks()
    {
        registerStandIns();
        QVERIFY(start());
        form->MenuItemClick(mainChild<QAction>(form, "ConfigEditMenuItem"));
        config->refuseClose = true;  // the user answers Cancel
        sendKey(Qt::Key_Escape);
        QCOMPARE(config->closeRequests, 1);
        QVERIFY(config->isVisible());
    }

    void returnPressesTheOkButton()
    {
        registerStandIns();
        QVERIFY(start());
        form->MenuItemClick(mainChild<QAction>(form, "AboutMenuItem"));
        QVERIFY(form->FormKeyDown(Qt::Key_Return, Qt::NoModifier));
        QVERIFY(form->StartPanel->isVisible());
        QVERIFY(!about()->isVisible());
        // The update frame comes before the sort frame; only visible ones count.
        form->MenuItemClick(mainChild<QAction>(form, "Update1"));
        QVERIFY(form->FormKeyDown(Qt::Key_Enter, Qt::NoModifier));
        QCOMPARE(update->okClicks, 1);
        QCOMPARE(sort->okClicks, 0);
        // Start panel: nothing is pressed, the key is used up.
        QVERIFY(form->FormKeyDown(Qt::Key_Return, Qt::NoModifier));
        QVERIFY(form->StartPanel->isVisible());
        // In the MyRadio editor Return reaches the editor.
        form->MenuItemClick(mainChild<QAction>(form, "MyProfileEditMenuItem"));
        QVERIFY(!form->FormKeyDown(Qt::Key_Return, Qt::NoModifier));
    }

    void keysReachTheEditors()
    {
        registerStandIns();
        QVERIFY(start());
        // Ctrl+S without an editor does nothing.
        QVERIFY(!form->FormKeyDown(Qt::Key_S, Qt::ControlModifier));
        form->MenuItemClick(mainChild<QAction>(form, "ConfigEditMenuItem"));
        config->saveAsName = QStringLiteral("V:\\voxa\\config\\new.cfg");
        sendKey(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(config->saves, 1);
        // Keys go to the playdisplay editor while it is shown.
        form->MenuItemClick(mainChild<QAction>(form, "PlayDisplEditorItem"));
        QVERIFY(!form->FormKeyDown(Qt::Key_Left, Qt::NoModifier));
        playdisplay->takeKeys = true;
        QVERIFY(form->FormKeyDown(Qt::Key_Up, Qt::NoModifier));
        QCOMPARE(playdisplay->keys, QList<int>({Qt::Key_Left, Qt::Key_Up}));
        QVERIFY(config->keys.isEmpty());
        // The window sees keys before the control that has the focus.
        form->MenuItemClick(mainChild<QAction>(form, "ConfigEditMenuItem"));
        auto *edit = new QLineEdit(config->MainPanel());
        edit->show();
        edit->setFocus();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &escape);
        QCOMPARE(config->closeRequests, 2);  // one from the playdisplay switch before
        QVERIFY(form->StartPanel->isVisible());
    }

    void saveAndSaveAsNeedAnEditor()
    {
        registerStandIns();
        QVERIFY(start());
        form->ToolButtonClick(TMainForm::ToolCommand::Save);
        form->ToolButtonClick(TMainForm::ToolCommand::SaveAs);
        mainChild<QAction>(form, "SaveMenu")->trigger();
        mainChild<QAction>(form, "SaveAsMenuItem")->trigger();
        for (StubEditor *e : {config, playdisplay, myradio, message, logo})
            QCOMPARE(e->saves, 0);
        QVERIFY(form->StartPanel->isVisible());
        QCOMPARE(prompts->records().size(), 0);

        // With an editor: Save As clears the name and puts it back when
        // nothing was saved.
        form->MenuItemClick(mainChild<QAction>(form, "ConfigEditMenuItem"));
        config->setFileName(QStringLiteral("V:\\voxa\\config\\old.cfg"));
        form->ToolButtonClick(TMainForm::ToolCommand::SaveAs);
        QCOMPARE(config->savedAs, QStringList{QString()});
        QCOMPARE(config->FileName(), QStringLiteral("V:\\voxa\\config\\old.cfg"));
        config->saveAsName = QStringLiteral("V:\\voxa\\config\\new.cfg");
        mainChild<QAction>(form, "SaveAsMenuItem")->trigger();
        QCOMPARE(config->FileName(), QStringLiteral("V:\\voxa\\config\\new.cfg"));
        mainChild<TSkinButton>(form, "SaveButton")->Click();
        QCOMPARE(config->savedAs.last(), QStringLiteral("V:\\voxa\\config\\new.cfg"));
    }

    void openButtonPopsUpTheOpenMenu()
    {
        registerStandIns();
        QVERIFY(start());
        form->ToolButtonClick(TMainForm::ToolCommand::Open);
        QVERIFY(mainChild<QMenu>(form, "OpenPopup")->isVisible());
        QCOMPARE(mainChild<QMenu>(form, "OpenPopup")->actions().size(), 5);
        mainChild<QMenu>(form, "OpenPopup")->hide();
    }

    void openingAFile()
    {
        registerStandIns();
        auto *dialog = new test::StubFileDialog;
        RegisteredDialogs().fileDialog = [dialog](FrameHost &, QWidget *) { return dialog; };
        QVERIFY(start());
        QCOMPARE(dialog->parentWidget(), form);
        // Cancelled: the modified editor stays as it was.
        form->MenuItemClick(mainChild<QAction>(form, "ConfigEditMenuItem"));
        config->setModified(true);
        form->SubMenuClick(mainChild<QAction>(form, "LoadLogoFile"));
        QCOMPARE(dialog->shows, 1);
        QCOMPARE(dialog->mode, DeviceFileDialog::Mode::Open);
        QCOMPARE(dialog->folder, QStringLiteral("V:\\voxa\\config"));
        QCOMPARE(dialog->extension, QStringLiteral("lce"));
        QCOMPARE(dialog->at, form->pos() + QPoint(70, 90));
        QVERIFY(config->isVisible());
        QVERIFY(config->Modified());
        QCOMPARE(config->closeRequests, 0);
        // Chosen: the visible editor closes, the other one loads.
        dialog->answer = QStringLiteral("V:\\voxa\\myradio\\rock.mra");
        form->ToolButtonClick(TMainForm::ToolCommand::Open);  // an editor is active: its own type
        QCOMPARE(dialog->extension, QStringLiteral("cfg"));
        QCOMPARE(config->loads, QStringList{QStringLiteral("V:\\voxa\\myradio\\rock.mra")});
        form->SubMenuClick(mainChild<QAction>(form, "MyRadioProfPopUp"));
        QCOMPARE(dialog->folder, QStringLiteral("V:\\voxa\\myradio"));
        QCOMPARE(myradio->FileName(), QStringLiteral("V:\\voxa\\myradio\\rock.mra"));
        QVERIFY(myradio->isVisible());
        QVERIFY(!config->isVisible());
        // A file the editor cannot load ends on the start panel.
        logo->loadResult = false;
        form->SubMenuClick(mainChild<QAction>(form, "LogoPopupItem"));
        QVERIFY(form->StartPanel->isVisible());
        QVERIFY(!logo->isVisible());
    }

    void logoEditorItemAsksForAPicture()
    {
        registerStandIns();
        QVERIFY(start());
        prompts->expectFile(QString());
        form->MenuItemClick(mainChild<QAction>(form, "LogoEditorItem"));
        QCOMPARE(prompts->records().last().request.title, QStringLiteral("Choose Logo Image"));
        QCOMPARE(prompts->records().last().request.folder, QStringLiteral("V:\\"));
        QVERIFY(form->StartPanel->isVisible());
        const QString picture = root + QStringLiteral("/pictures/car.jpg");
        prompts->expectFile(picture);
        form->MenuItemClick(mainChild<QAction>(form, "LogoEditorItem"));
        QCOMPARE(logo->imports, QStringList{picture});
        QVERIFY(logo->isVisible());
        prompts->expectFile(QString());
        form->MenuItemClick(mainChild<QAction>(form, "LogoEditorItem"));
        QCOMPARE(prompts->records().last().request.folder, root + QStringLiteral("/pictures"));
    }

    void missingFramesLeaveCommandsHarmless()
    {
        QVERIFY(start());  // nothing registered but the about frame
        form->MenuItemClick(mainChild<QAction>(form, "ConfigEditMenuItem"));
        form->MenuItemClick(mainChild<QAction>(form, "SortDirectory1"));
        form->SubMenuClick(mainChild<QAction>(form, "ConfigFileOpen"));
        form->DeleteFileClick(mainChild<QAction>(form, "ConfigFile1"));
        form->ToolButtonClick(TMainForm::ToolCommand::ProxySettings);
        QVERIFY(form->StartPanel->isVisible());
        form->MenuItemClick(mainChild<QAction>(form, "AboutMenuItem"));
        QVERIFY(about()->isVisible());
    }

    // ------------------------------------------------------------ window

    void fitWindowLeavesAFittingWindowAlone()
    {
        registerStandIns();
        QVERIFY(start());
        processes->calls.clear();
        const QRect before = form->geometry();
        waits.clear();
        form->FitWindowToFrame(345, 151);
        QCOMPARE(form->geometry(), before);
        QVERIFY(!form->Resizing());
        QVERIFY(waits.isEmpty());
        form->ShowFrame(form->StartPanel);
        QCOMPARE(form->geometry(), before);
    }

    // A frame wider than the menu bar's own 760 pixels: the bar reaches the
    // right end of the border, so no darker strip shows beside it.
    void menuBarSpansWideFrames()
    {
        registerStandIns();
        QVERIFY(start());
        form->FitWindowToFrame(821, 545);
        QCOMPARE(mainChild<TSkinPanel>(form, "Border")->width(), 35 + 821);
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->geometry().right() >= mainChild<TSkinPanel>(form, "Border")->width() - 2);
        form->FitWindowToFrame(408, 296);
        QCOMPARE(mainChild<TSkinMenu>(form, "MenuBar")->width(), 760);
    }

    void fitWindowEndsAtTheTarget_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::newRow("about") << QSize(408, 296);
        QTest::newRow("chooser") << QSize(436, 180);
        QTest::newRow("smaller") << QSize(101, 57);
        QTest::newRow("only higher") << QSize(345, 250);
        QTest::newRow("only wider") << QSize(352, 151);
    }
    void fitWindowEndsAtTheTarget()
    {
        QFETCH(QSize, frame);
        registerStandIns();
        QVERIFY(start());
        waits.clear();
        const QPoint where = form->pos();
        form->FitWindowToFrame(frame.width(), frame.height());
        QCOMPARE(form->size(), QSize(35 + frame.width(), 89 + frame.height()));
        QCOMPARE(form->pos(), where);
        QVERIFY(!form->Resizing());
        QCOMPARE(mainChild<TSkinPanel>(form, "Header")->width(), form->width());
        QCOMPARE(mainChild<TSkinButton>(form, "XButton")->geometry().right(), form->width() - 5);
        QCOMPARE(mainChild<TSkinPanel>(form, "Border")->width(), 35 + frame.width());
        QCOMPARE(mainChild<TSkinPanel>(form, "ToolPanel")->height(), frame.height());
        // The close button is drawn at the new right end of the header.
        QVERIFY(mainChild<TSkinButton>(form, "XButton")->isVisible());
        const QImage shot = form->grab().toImage();
        const QRect x = mainChild<TSkinButton>(form, "XButton")->geometry();
        QCOMPARE(shot.pixel(x.center()), mainChild<TSkinButton>(form, "XButton")->RenderPicture().pixel(x.center() - x.topLeft()));
        QCOMPARE(mainChild<TSkinPanel>(form, "ToolPanel")->Background().height(), frame.height());
        // Steps of 5 pixels along the longer side, each followed by the same
        // wait, which makes the longer side take about half a second.
        const int dx = std::abs(35 + frame.width() - 380), dy = std::abs(89 + frame.height() - 240);
        const int major = std::max(dx, dy);
        QVERIFY(waits.size() >= (major + 4) / 5);
        for (int ms : std::as_const(waits))
            QCOMPARE(ms, 500 / (major / 5 + 1));
        QVERIFY(((major + 4) / 5) * waits.constFirst() <= 500);
    }

    void commandsWaitForTheAnimation()
    {
        registerStandIns();
        QVERIFY(start());
        // The real, timed animation: the event loop runs between its steps.
        TMainForm::setInstantAnimations(false);
        auto restore = qScopeGuard([] { TMainForm::setInstantAnimations(true); });
        mainChild<QAction>(form, "AboutMenuItem")->trigger();
        QVERIFY(form->Busy());
        QVERIFY(!about()->isVisible());
        // Menu items, tool buttons, keys and closing do nothing meanwhile.
        QTest::qWait(60);
        QVERIFY(form->Resizing());
        mainChild<QAction>(form, "SortDirectory1")->trigger();
        mainChild<TSkinButton>(form, "ExitButton")->Click();
        QTest::keyClick(form, Qt::Key_Escape);
        form->close();
        QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 3000);
        QVERIFY(about()->isVisible());
        QVERIFY(!sort->isVisible());
        QVERIFY(form->isVisible());
        // Afterwards commands work again.
        mainChild<QAction>(form, "SortDirectory1")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(sort->isVisible(), 3000);
    }

    void draggedWindowIsKeptOnScreen()
    {
        registerStandIns();
        QVERIFY(start());
        const QSize s = screen();
        // Dragged by the header, partly off the bottom-right corner.
        QWidget *header = mainChild<TSkinPanel>(form, "Header");
        const QPoint grab = form->pos() + QPoint(100, 10);
        QMouseEvent hover(QEvent::MouseMove, QPointF(100, 10), QPointF(grab), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(header, &hover);
        const QPoint to(s.width() - 50, s.height() - 20);
        QMouseEvent drag(QEvent::MouseMove, QPointF(100, 10), QPointF(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(header, &drag);
        QCOMPARE(form->pos(), to - QPoint(100, 10));
        form->MenuItemClick(mainChild<QAction>(form, "AboutMenuItem"));
        QCOMPARE(form->geometry().right(), s.width() - 1);
        QCOMPARE(form->geometry().bottom(), s.height() - 1);
        // Off the top-left too: the header must stay within reach.
        form->HeaderMouseMove(form->pos(), Qt::NoButton);
        form->HeaderMouseMove(QPoint(-200, -100), Qt::LeftButton);
        QCOMPARE(form->pos(), QPoint(-200, -100));
        form->CloseActiveFrame(false);
        QCOMPARE(form->pos(), AvailableScreenAreas().constFirst().topLeft());
    }

    void keepOnScreen_data()
    {
        QTest::addColumn<QPoint>("saved");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QList<QRect>>("areas");
        QTest::addColumn<QPoint>("expected");
        const QSize full(380, 240);
        const QList<QRect> one{{0, 0, 1920, 1080}}, sideBySide{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
        const QList<QRect> leftOfFirst{{-1280, 0, 1280, 1024}, {0, 0, 1920, 1080}};
        QTest::newRow("under a top panel") << QPoint(-210, -140) << full << QList<QRect>{{0, 32, 1920, 1048}}
                                           << QPoint(0, 32);
        QTest::newRow("off the left") << QPoint(-100, 300) << full << one << QPoint(0, 300);
        QTest::newRow("off the right") << QPoint(1800, 500) << full << one << QPoint(1540, 500);
        QTest::newRow("off the bottom") << QPoint(500, 1000) << full << one << QPoint(500, 840);
        QTest::newRow("larger than the screen") << QPoint(100, 100) << QSize(900, 640)
                                                << QList<QRect>{{0, 0, 800, 600}} << QPoint(0, 0);
        QTest::newRow("across two screens") << QPoint(1700, 300) << full << sideBySide << QPoint(1700, 300);
        QTest::newRow("across, below the smaller") << QPoint(1800, 900) << full << sideBySide << QPoint(1920, 784);
        QTest::newRow("off the left screen") << QPoint(-1400, -20) << full << leftOfFirst << QPoint(-1280, 0);
        QTest::newRow("off every screen") << QPoint(3000, 3000) << full
                                          << QList<QRect>{{0, 0, 1920, 1080}, {320, 1080, 1280, 800}}
                                          << QPoint(1220, 1640);
        QTest::newRow("no screens") << QPoint(-210, -140) << full << QList<QRect>{} << QPoint(-210, -140);
    }
    void keepOnScreen()
    {
        QFETCH(QPoint, saved);
        QFETCH(QSize, window);
        QFETCH(QList<QRect>, areas);
        QFETCH(QPoint, expected);
        QCOMPARE(KeepOnScreen(saved, window, areas), expected);
    }

    // The saved position is kept reachable when read and saved; Wayland (position unknown) keeps the old one.
    void savedPositionStaysReachable_data()
    {
        QTest::addColumn<QPoint>("inFile");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QPoint>("movedTo");  // (0, 0): not moved
        QTest::addColumn<QPoint>("started");
        QTest::addColumn<QPoint>("saved");
        QTest::newRow("left over by a Wayland run") << QPoint(-210, -140) << true << QPoint() << QPoint() << QPoint();
        QTest::newRow("dragged off the left") << QPoint(123, 77) << true << QPoint(-50, 20) << QPoint(123, 77)
                                              << QPoint(0, 20);
        QTest::newRow("wayland keeps the old one") << QPoint(123, 77) << false << QPoint(300, 200)
                                                   << QPoint(123, 77) << QPoint(123, 77);
        QTest::newRow("wayland, old one off the screen") << QPoint(-210, -140) << false << QPoint(300, 200)
                                                         << QPoint() << QPoint();
    }
    void savedPositionStaysReachable()
    {
        QFETCH(QPoint, inFile);
        QFETCH(bool, known);
        QFETCH(QPoint, movedTo);
        QFETCH(QPoint, started);
        QFETCH(QPoint, saved);
        QCOMPARE(AvailableScreenAreas().constFirst().topLeft(), QPoint(0, 0));  // what the rows assume
        registerStandIns();
        TMainForm::setWindowPositionKnown(known);
        auto restore = qScopeGuard([] { TMainForm::setWindowPositionKnown(std::nullopt); });
        const auto position = [](QPoint p) {
            return "Window.LEFT = " + QByteArray::number(p.x()) + "\r\nWindow.TOP = " + QByteArray::number(p.y());
        };
        QVERIFY(test::TestDriveTable::writeFile(ini(), TIniFileHandler::Header + ("\r\n" + position(inFile))));
        QVERIFY(start());
        QCOMPARE(form->pos(), started);
        if (!movedTo.isNull())
            form->move(movedTo);
        form->close();
        const QByteArray file = test::TestDriveTable::readFile(ini());
        QVERIFY2(file.contains(position(saved) + "\r\n"), file.constData());
    }

    // Past the drag distance the header asks the window system to move the window once per drag; it moves the window
    // itself when that is refused, or accepted and nothing happens.
    void headerDragAsksTheWindowSystem_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("windowSystemMoves");
        QTest::addColumn<QPoint>("afterFirst");  // the window's move after each pointer step
        QTest::addColumn<QPoint>("afterSecond");
        QTest::newRow("refused") << false << false << QPoint(30, 20) << QPoint(60, 40);
        QTest::newRow("moved by the window system") << true << true << QPoint(0, 0) << QPoint(30, 20);
        QTest::newRow("accepted, nothing happens") << true << false << QPoint(0, 0) << QPoint(60, 40);
    }
    void headerDragAsksTheWindowSystem()
    {
        QFETCH(bool, accepted);
        QFETCH(bool, windowSystemMoves);
        QFETCH(QPoint, afterFirst);
        QFETCH(QPoint, afterSecond);
        registerStandIns();
        QVERIFY(start());
        int requests = 0;
        TMainForm::setSystemMove([&](QWindow *w) { return ++requests && w == form->windowHandle() && accepted; });
        auto restore = qScopeGuard([] { TMainForm::setSystemMove({}); });
        const QPoint start = form->pos(), grab = start + QPoint(100, 10);
        auto send = [&](QEvent::Type type, QPoint by, Qt::MouseButtons buttons) {
            const QPoint global = grab + by;
            const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent e(type, QPointF(global - form->pos()), QPointF(global), button, buttons, Qt::NoModifier);
            QCoreApplication::sendEvent(mainChild<TSkinPanel>(form, "Header"), &e);
        };
        // A click, and a press moving less than the drag distance, ask nothing.
        send(QEvent::MouseButtonPress, {}, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, {}, Qt::NoButton);
        send(QEvent::MouseButtonPress, {}, Qt::LeftButton);
        send(QEvent::MouseMove, {1, 0}, Qt::LeftButton);
        QCOMPARE(requests, 0);
        QCOMPARE(form->pos(), start);
        send(QEvent::MouseMove, {30, 20}, Qt::LeftButton);
        QCOMPARE(requests, 1);
        QCOMPARE(form->pos(), start + afterFirst);
        if (windowSystemMoves)
            form->move(start + QPoint(30, 20));
        send(QEvent::MouseMove, {60, 40}, Qt::LeftButton);
        QCOMPARE(form->pos(), start + afterSecond);
        QCOMPARE(requests, 1);
        send(QEvent::MouseButtonRelease, {60, 40}, Qt::NoButton);  // the next drag asks again
        send(QEvent::MouseButtonPress, {}, Qt::LeftButton);
        send(QEvent::MouseMove, {0, 40}, Qt::LeftButton);
        QCOMPARE(requests, 2);
    }
    void closingAnimationWaitsOnHeightOnly()
    {
        registerStandIns();
        QVERIFY(start());
        waits.clear();
        const QPoint where = form->pos();
        form->ClosingAnimation();
        QCOMPARE(form->size(), QSize(3, 3));
        // 240 shrinks by 12 while at least 16: 20 height steps of 20 ms.
        QCOMPARE(waits, QList<int>(20, 20));
        QCOMPARE(form->pos().y(), where.y() + 20 * 6);
        QCOMPARE(form->pos().x(), where.x() + 48 * 4);
    }

    void fontSetFollowsTheFontSize_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("small");
        QTest::newRow("design size") << 11 << false;
        QTest::newRow("smaller") << 9 << false;
        QTest::newRow("large fonts") << 14 << true;
    }
    void fontSetFollowsTheFontSize()
    {
        QFETCH(int, pixels);
        QFETCH(bool, small);
        QFont f = ShellDlgFont(8);
        f.setPixelSize(pixels);
        QCOMPARE(TMainForm::UseSmallFontSet(f, 368), small);
        // A far narrower title line needs the small set at any size.
        QVERIFY(TMainForm::UseSmallFontSet(f, 100));
    }

    void helpOpensThePageWhenThereIsNoViewer()
    {
        registerStandIns();
        QVERIFY(start());
        QCOMPARE(form->HelpFilePath(), QStringLiteral("V:\\voxa\\manager\\Language\\voxam2eng.chm"));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\manager\\Language\\voxam2eng.html"), "<p>"));
        QCOMPARE(form->HelpFilePath(), QStringLiteral("V:\\voxa\\manager\\Language\\voxam2eng.html"));
        sendKey(Qt::Key_F1);
        QCOMPARE(processes->calls.size(), 1);
        QCOMPARE(processes->calls[0].kind, test::ProcessCall::Open);
        QCOMPARE(processes->calls[0].program, QStringLiteral("V:\\voxa\\manager\\Language\\voxam2eng.html"));
    }

    void helpWithoutFileOrViewerSaysWhy_data()
    {
        QTest::addColumn<bool>("page");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no help file") << false << true << QStringLiteral("does not exist");
        QTest::newRow("no program for it") << true << false << QStringLiteral("No program could be started");
    }
    void helpWithoutFileOrViewerSaysWhy()
    {
        QFETCH(bool, page);
        QFETCH(bool, opens);
        QFETCH(QString, reason);
        registerStandIns();
        QVERIFY(start());
        if (page)
            QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\manager\\Language\\voxam2eng.html"), "<p>"));
        processes->startSucceeds = opens;
        prompts->expectMessage(reason);
        mainChild<QAction>(form, "MarlekVOXAManager20Help1")->trigger();
        // The file is named as this computer knows it.
        QVERIFY(prompts->lastMessage().text.contains(platform::toNative(form->HelpFilePath())));
        QVERIFY(!prompts->lastMessage().text.contains(QStringLiteral("V:\\")));
        QCOMPARE(prompts->lastMessage().icon, BoxIcon::Warning);
    }

    void displayTypeChoice()
    {
        registerStandIns();
        form = new TMainForm;
        form->VOXATypeChoose(mainChild<QAction>(form, "VOXAC1"));
        QCOMPARE(appState().DisplayType, quint8(2));
        QCOMPARE(TMainForm::ImageIndex(mainChild<QAction>(form, "VOXAC1")), 12);
        QCOMPARE(TMainForm::ImageIndex(mainChild<QAction>(form, "VOXAA")), -1);
        QVERIFY(!mainChild<QAction>(form, "VOXAC1")->icon().isNull());
        mainChild<QAction>(form, "VOXAA")->trigger();
        QCOMPARE(appState().DisplayType, quint8(1));
        QCOMPARE(TMainForm::ImageIndex(mainChild<QAction>(form, "VOXAC1")), -1);
        QVERIFY(mainChild<QAction>(form, "VOXAC1")->icon().isNull());
    }

    // ---------------------------------------------------------- settings

    void closingSavesAndStartingRestores()
    {
        registerStandIns();
        auto *proxy = new test::StubProxyDialog;
        RegisteredDialogs().proxyDialog = [proxy](FrameHost &, QWidget *) { return proxy; };
        QVERIFY(test::TestDriveTable::writeFile(ini(), QByteArray(TIniFileHandler::Header) +
                                                           "\r\nDisplay Type = va-da\r\nProxy Server = gate\r\n"
                                                           "Use Proxy = TRUE\r\nProxy Port = 3128"));
        QVERIFY(start());
        // The proxy dialog got the stored values, the display type its item.
        QCOMPARE(proxy->values, (ProxyValues{true, QStringLiteral("gate"), 3128}));
        QCOMPARE(appState().DisplayType, quint8(2));
        QCOMPARE(TMainForm::ImageIndex(mainChild<QAction>(form, "VOXAC1")), 12);
        form->move(123, 77);
        findExport->quarantine = QStringLiteral("Bad Files");
        proxy->values.Port = 8081;
        form->close();
        QVERIFY(!form->isVisible());
        const QByteArray saved = test::TestDriveTable::readFile(ini());
        QVERIFY2(saved.startsWith(QByteArray(TIniFileHandler::Header) + "\r\nDisplay Type = VA-DA"), saved.constData());
        QVERIFY(saved.contains("Window.LEFT = 123\r\n"));
        QVERIFY(saved.contains("Window.TOP = 77"));
        QVERIFY(saved.contains("Version = 30101"));
        QVERIFY(saved.contains("Language = English"));
        QVERIFY(saved.contains("Proxy Port = 8081"));
        QVERIFY(saved.endsWith("\r\nQuarantine Dir = Bad Files"));
        delete form;
        form = nullptr;

        // Started again from the same drive: the same place.
        resetAppState();
        RegisteredDialogs().proxyDialog = nullptr;
        QVERIFY(start());
        QCOMPARE(form->pos(), QPoint(123, 77));
        QCOMPARE(form->size(), QSize(380, 240));
        QCOMPARE(appState().DisplayType, quint8(2));
        QCOMPARE(form->ProxyHolder(), (ProxyValues{true, QStringLiteral("gate"), 8081}));
        // Closed again without a move, it keeps the position and the rest.
        form->close();
        const QByteArray again = test::TestDriveTable::readFile(ini());
        QVERIFY(again.contains("Window.LEFT = 123\r\nWindow.TOP = 77\r\n"));
        QVERIFY(again.contains("Use Proxy = true"));
    }

    void firstStartWritesTheWholeFile()
    {
        registerStandIns();
        QVERIFY(start());
        form->close();
        const QByteArray saved = test::TestDriveTable::readFile(ini());
        const QPoint p(screen().width() / 2 - 190, screen().height() / 2 - 120);
        // The language is stored first: applying it at start-up wrote it.
        QCOMPARE(saved, QByteArray(TIniFileHandler::Header) + "\r\nLanguage = English\r\nVersion = 30101\r\n" +
                            "Window.LEFT = " + QByteArray::number(p.x()) + "\r\nWindow.TOP = " +
                            QByteArray::number(p.y()) +
                            "\r\nDisplay Type = VOXA-A\r\nUse Proxy = false\r\nProxy Server =\r\n"
                            "Proxy Port = 8080\r\nQuarantine Dir = Quarantine");
    }

    void installSettings()
    {
        form = new TMainForm;
        appState().DriveLetter = QLatin1Char('V');
        form->move(40, 30);
        form->WriteInstallSettings();
        QCOMPARE(test::TestDriveTable::readFile(ini()),
                 QByteArray(TIniFileHandler::Header) + "\r\nVersion = 30101\r\nLanguage = English\r\n"
                                                       "Window.LEFT = 40\r\nWindow.TOP = 30");
        // Not a normal run: the shutdown's save does nothing.
        QVERIFY(QFile::remove(root + QStringLiteral("/voxa/manager/voxam2.ini")));
        form->SaveSettings();
        QVERIFY(!QFile::exists(root + QStringLiteral("/voxa/manager/voxam2.ini")));
    }

    void closingAsksAHiddenEditorWithChanges()
    {
        registerStandIns();
        QVERIFY(start());
        form->MenuItemClick(mainChild<QAction>(form, "AboutMenuItem"));
        config->setModified(true);  // hidden, holding changes
        config->refuseClose = true;  // the user answers Cancel
        QVERIFY(!form->FormCloseQuery());
        QCOMPARE(config->closeRequests, 1);
        config->refuseClose = false;
        QVERIFY(form->FormCloseQuery());
    }

    void installSettingsKeepTheLanguageOfAnOldFile()
    {
        // The old binary layout: version, language length and text, top, left.
        auto le32 = [](qint32 v) {
            QByteArray b(4, 0);
            qToLittleEndian(v, b.data());
            return b;
        };
        QVERIFY(test::TestDriveTable::writeFile(ini(), le32(20500) + le32(6) + "Magyar" + le32(100) + le32(200)));
        form = new TMainForm;
        appState().DriveLetter = QLatin1Char('V');
        form->move(40, 30);
        form->WriteInstallSettings();
        QVERIFY(test::TestDriveTable::readFile(ini()).contains("Language = Magyar\r\n"));
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
