// The drive chooser inside the main window: install mode at start-up, the
// chooser opened from the menu, and its buttons.
#include "devicetesthelpers.h"

#include "app/framecatalog.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "device/chooseframe.h"
#include "platform/paths.h"
#include "support/framewindow.h"
#include "support/globals.h"
#include "support/recordingprocesses.h"
#include "support/scriptedprompts.h"
#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"
#include "support/mainwidgets.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

using namespace voxa;
using namespace voxa::test;
using platform::DriveType;

class TestChooseFrame : public QObject {
    Q_OBJECT

    TestDriveTable *drives = nullptr;
    RecordingProcesses *procs = nullptr;
    ScriptedPrompts *prompts = nullptr;
    DeviceDriveLocator locator;
    TMainForm *form = nullptr;
    QString startDir;

    TChooseFrame *chooser() const { return qobject_cast<TChooseFrame *>(form->Frame(FrameKind::Chooser)); }

    bool start()
    {
        form = new TMainForm;
        form->CreateDialogs();
        form->show();
        if (!QTest::qWaitForWindowExposed(form))
            return false;
        form->FormActivate();
        return true;
    }

    void makeSource()
    {
        for (const char *f : {"voxam2", "default.mgs", "defaultskin.bmp", "Language\\English.lng"})
            QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\") + QLatin1String(f), f));
        QVERIFY(QDir::setCurrent(platform::toNative(QStringLiteral("S:\\dist"))));
        setProgramPathForTests(QStringLiteral("S:\\dist\\voxam2"));
    }

    QStringList rowTexts(int column) const
    {
        QStringList out;
        for (int i = 0; i < chooser()->DrivesView->topLevelItemCount(); ++i)
            out << chooser()->DrivesView->topLevelItem(i)->text(column);
        return out;
    }

private slots:
    void initTestCase()
    {
        startDir = QDir::currentPath();
        // Frame changes run their steps at once; the timed animation has
        // tests of its own.
        QVERIFY(FrameWindow::setUpProgram());
    }

    void init()
    {
        resetGlobals();
        drives = new TestDriveTable;
        drives->add('S', DriveType::Fixed, QStringLiteral("ext4"), QStringLiteral("home"));
        procs = new RecordingProcesses;
        prompts = new ScriptedPrompts;
        setDriveLocator(&locator);
    }

    void cleanup()
    {
        delete form;
        form = nullptr;
        setDriveLocator(nullptr);
        delete prompts;
        delete procs;
        delete drives;
        QDir::setCurrent(startDir);
        setProgramPathForTests(QString());
    }

    void skinIsFoundInAnyLetterCase()
    {
        // A disk copied by hand: the skin spelled "DefaultSkin.bmp" in the
        // folder the program starts in.
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\voxa\\manager\\DefaultSkin.bmp"), "BM"));
        QVERIFY(QDir::setCurrent(platform::toNative(QStringLiteral("S:\\voxa\\manager"))));
        const QStringList paths = SkinSearchPaths();
        QVERIFY(!paths.isEmpty());
        QCOMPARE(paths.first(), drives->root('S') + QStringLiteral("/voxa/manager/DefaultSkin.bmp"));
    }

    void installModeListsTheDriveAndInstallsOnReturn()
    {
        drives->add('E', DriveType::Removable, QStringLiteral("FAT32"), QStringLiteral("PLAYER"));
        makeSource();
        QVERIFY(start());
        QVERIFY(!appState().NormalRun);
        QVERIFY(chooser());
        QVERIFY(chooser()->isVisibleTo(form));
        QVERIFY(!mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QVERIFY(!mainChild<TSkinPanel>(form, "ToolPanel")->isEnabled());
        QCOMPARE(rowTexts(0), QStringList{QStringLiteral("      E [PLAYER]")});
        QCOMPARE(rowTexts(1), QStringList{QStringLiteral("Not Available")});
        // Install mode: no way out but OK, which sits at the bottom right.
        QVERIFY(!chooser()->CloseButton->isVisibleTo(chooser()));
        QCOMPARE(chooser()->OKButton->geometry().right(), 436 - 6 - 1);
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Install VOXA Manager v. 3.01.01"));

        QVERIFY(form->FormKeyDown(Qt::Key_Return, Qt::NoModifier));
        QVERIFY(fs::exists(QStringLiteral("E:\\voxa\\manager\\voxam2")));
        QVERIFY(TestDriveTable::readFile(QStringLiteral("E:\\voxa\\manager\\voxam2.ini")).contains("Version = 30101"));
        QVERIFY(TestDriveTable::readFile(QStringLiteral("E:\\voxa\\manager\\copy.his")).endsWith("S:\\dist\\Language\\\r\n"));
        QCOMPARE(chooser()->InstallLabel->text(), QStringLiteral("Installing. Please wait..."));
        QCOMPARE(procs->calls.last().kind, ProcessCall::Detached);
        QCOMPARE(procs->calls.last().program, QStringLiteral("E:\\voxa\\manager\\voxam2"));
        QCOMPARE(prompts->unexpectedCalls(), 0);
    }

    void okWithoutASelectedRowDoesNothing()
    {
        drives->add('E');
        makeSource();
        QVERIFY(start());
        chooser()->DrivesView->clearSelection();
        chooser()->DrivesView->setCurrentItem(nullptr);
        const int calls = int(procs->calls.size());
        chooser()->OKButton->Click();
        QCOMPARE(int(procs->calls.size()), calls);
        QVERIFY(!fs::exists(QStringLiteral("E:\\voxa")));
    }

    void managerDriveIsPreselected()
    {
        drives->add('E');
        drives->add('F', DriveType::Removable, QStringLiteral("FAT32"), QStringLiteral("OLD"));
        makeManagerDrive('F', 30000);
        makeSource();
        QVERIFY(start());
        QCOMPARE(rowTexts(0), (QStringList{QStringLiteral("      E [VOXA]"), QStringLiteral("F [OLD]")}));
        QCOMPARE(rowTexts(1)[1], QStringLiteral(" 3.00.00"));
        QCOMPARE(chooser()->DrivesView->currentItem()->text(0), QStringLiteral("F [OLD]"));
        QVERIFY(!chooser()->DrivesView->currentItem()->icon(0).isNull());
        QVERIFY(chooser()->DrivesView->topLevelItem(0)->icon(0).isNull());
    }

    void noUsableDriveClosesTheManager()
    {
        drives->add('E', DriveType::Removable, QStringLiteral("FAT32"), QStringLiteral("FULL"), 0);
        makeSource();
        prompts->expectMessage(QStringLiteral("Fat32 patition not found. Press OK to close the program."));
        QVERIFY(start());
        QCOMPARE(prompts->pending(), 0);
        QCOMPARE(prompts->lastMessage().title, QString());
        QTRY_VERIFY(!form->isVisible());
    }

    void chooserFromTheMenuInANormalRun()
    {
        drives->add('V');
        makeManagerDrive('V', 30101);
        setProgramPathForTests(QStringLiteral("V:\\voxa\\manager\\voxam2"));
        QVERIFY(start());
        QVERIFY(appState().NormalRun);
        QVERIFY(form->StartPanel->isVisibleTo(form));

        // A drive plugged in after the start shows up.
        drives->add('G', DriveType::Fixed, QStringLiteral("NTFS"), QStringLiteral("USBDISK"));
        form->MenuItemClick(mainChild<QAction>(form, "ChooseVOXADrive1"));
        QVERIFY(chooser()->isVisibleTo(form));
        QCOMPARE(rowTexts(0), (QStringList{QStringLiteral("      G [USBDISK]"), QStringLiteral("V [VOXA]")}));
        QCOMPARE(chooser()->DrivesView->currentItem()->text(0), QStringLiteral("V [VOXA]"));
        // Close at the bottom right, OK six pixels to its left.
        QVERIFY(chooser()->CloseButton->isVisibleTo(chooser()));
        QCOMPARE(chooser()->CloseButton->geometry().right(), 436 - 6 - 1);
        QCOMPARE(chooser()->OKButton->geometry().right(), chooser()->CloseButton->x() - 6 - 1);
        QVERIFY(chooserFlags().RunningFromDrive);

        chooser()->CloseButton->Click();
        QVERIFY(form->StartPanel->isVisibleTo(form));
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QVERIFY(mainChild<TSkinPanel>(form, "ToolPanel")->isEnabled());
        QCOMPARE(chooser()->DrivesView->topLevelItemCount(), 0);
        QVERIFY(procs->calls.isEmpty() || procs->calls.last().kind == ProcessCall::Sleep);
    }

    void languageReachesTheColumns()
    {
        drives->add('E');
        makeSource();
        QVERIFY(start());
        LanguageTargets::instance().apply(51, QStringLiteral("Laufwerk"));
        LanguageTargets::instance().apply(48, QStringLiteral("Version"));
        LanguageTargets::instance().apply(54, QStringLiteral("Wählen Sie das Laufwerk"));
        QCOMPARE(chooser()->DrivesView->headerItem()->text(0), QStringLiteral("Laufwerk"));
        QCOMPARE(chooser()->DrivesView->headerItem()->text(1), QStringLiteral("Version"));
        QCOMPARE(chooser()->TextLabel->text(), QStringLiteral("Wählen Sie das Laufwerk"));
    }
};

QTEST_MAIN(TestChooseFrame)
#include "test_chooseframe.moc"
