// Flow tests of the MyRadio copy frame through a real main window: V is the
// player's drive, D and E are destinations, F an optical drive that is never
// offered. Copies run on the frame's worker thread; the tests wait for the
// finish step.
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/editorframe.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "app/shellstubs.h"
#include "music/myradiocopyframe.h"
#include "platform/fileops.h"
#include "support/copycontent.h"
#include "support/framewindow.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "ui/skinbutton.h"
#include "ui/skinprogressbar.h"
#include "support/mainwidgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

using namespace voxa;
using test::ScriptedPrompts;
using test::TestDriveTable;

namespace {

using test::pattern;

// The copied lists' elements are of priority class 2.
QList<MyRadioElement> elements(const QStringList &paths)
{
    return test::elements(paths, 2);
}

QStringList texts(QTreeWidget *tree, QTreeWidgetItem *parent = nullptr)
{
    QStringList out;
    const int n = parent ? parent->childCount() : tree->topLevelItemCount();
    for (int i = 0; i < n; ++i)
        out << (parent ? parent->child(i) : tree->topLevelItem(i))->text(0);
    return out;
}

QStringList paths(const QList<MyRadioElement> &list)
{
    QStringList out;
    for (const MyRadioElement &e : list)
        out << e.path();
    return out;
}

// The MyRadio editor as far as the copy frame meets it: its Copy button
// hands the profile over and the frame gives it back.
class StubMyRadioEditor : public TEditorFrame, public MyRadioCopyReturn {
public:
    StubMyRadioEditor(FrameHost *host, QWidget *parent) : TEditorFrame(host, parent) { resize(348, 240); }

    void MyRadioCopyButtonClick()
    {
        auto *copy = Host()->frame(FrameKind::MyRadioCopy);
        auto *handOff = dynamic_cast<MyRadioCopyHandOff *>(copy);
        QVERIFY(handOff);
        handOff->EnterEditorMode(FileName(), list, Modified());
        setModified(false);
        QVERIFY(CloseEditor(true));
        Host()->showFrame(copy);
    }
    void EditorModeEnded(bool modified) override
    {
        ++returns;
        setModified(modified);
        Host()->showFrame(this);
    }
    bool EditorModeLeft(bool modified) override
    {
        setModified(modified);
        if (CloseEditor(true))
            return true;
        setModified(false);
        return false;
    }

    QList<MyRadioElement> list;
    int returns = 0;
};

}  // namespace

class TestMyRadioCopyFrame : public QObject, private test::FrameWindow {
    Q_OBJECT

    StubMyRadioEditor *editor = nullptr;
    bool withEditor = false;

    TMyRadioCopyFrame *frame() const
    {
        return qobject_cast<TMyRadioCopyFrame *>(form->Frame(FrameKind::MyRadioCopy));
    }

    void showMenuMode()
    {
        form->MenuItemClick(mainChild<QAction>(form, "MyRadioCopyMenu"));
        QVERIFY(frame()->isVisible());
    }

    void selectProfiles(const QStringList &names)
    {
        frame()->FileList->clearSelection();
        for (const QString &n : names) {
            const auto found = frame()->FileList->findItems(n, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            found.first()->setSelected(true);
        }
    }

    // Presses Copy and waits for the finish step.
    void copyAndWait()
    {
        QSignalSpy done(frame(), &TMyRadioCopyFrame::copyFinished);
        QVERIFY(frame()->CopyButton->isEnabled());
        frame()->CopyButton->Click();
        QVERIFY(frame()->Running());
        QVERIFY(frame()->CancelButton->isVisible());
        QVERIFY(!frame()->CopyButton->isVisible());
        QVERIFY(!frame()->DirTree->isEnabled());
        QVERIFY(done.wait(60000));
        QVERIFY(!frame()->Running());
        QVERIFY(frame()->CopyButton->isVisible());
        QVERIFY(!frame()->CancelButton->isVisible());
        QCOMPARE(frame()->CopyProgressBar->Caption(), QString());
    }

    QString selectedRowsText() const
    {
        QStringList out;
        for (QTreeWidgetItem *i : frame()->FileList->selectedItems())
            out << i->text(0);
        out.sort();
        return out.join(',');
    }

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }

    void init()
    {
        QVERIFY(prepare({QStringLiteral("voxa/manager/Language"), QStringLiteral("voxa/myradio")}));
        // C stands for the system's root, which is never offered first.
        drives->add('C', platform::DriveType::Fixed, QStringLiteral("ext4"), QStringLiteral("ROOT"));
        drives->add('D', platform::DriveType::Removable, QStringLiteral("FAT32"), QStringLiteral("STICK"));
        drives->add('E', platform::DriveType::Network, QStringLiteral("NTFS"), QStringLiteral("NET"));
        drives->add('F', platform::DriveType::Optical, QStringLiteral("ISO9660"), QStringLiteral("CD"));
        QVERIFY(TestDriveTable::writeFile("V:\\music\\rock\\a.mp3", pattern(70000, 'a')));
        QVERIFY(TestDriveTable::writeFile("V:\\music\\rock\\b.mp3", pattern(1000, 'b')));
        QVERIFY(TestDriveTable::writeFile("V:\\music\\pop\\c.mp3", pattern(3000, 'c')));
        QVERIFY(WriteMyRadioFile("V:\\voxa\\myradio\\ROCK.MRA", elements({"\\music\\rock"})).ok());
        QVERIFY(WriteMyRadioFile("V:\\voxa\\myradio\\pop.mra", elements({"music\\pop\\c.mp3"})).ok());
        QVERIFY(WriteMyRadioFile("V:\\voxa\\myradio\\gone.mra", elements({"music\\gone.mp3"})).ok());
        QVERIFY(WriteMyRadioFile("V:\\voxa\\myradio\\longprofile.mra", elements({"music"})).ok());
        QVERIFY(TestDriveTable::writeFile("V:\\voxa\\myradio\\notes.txt", "x"));
        QVERIFY(QDir(drives->root('D')).mkpath(QStringLiteral("backup/old")));
        QVERIFY(QDir(drives->root('D')).mkpath(QStringLiteral("archive")));
        QVERIFY(QDir(drives->root('D')).mkpath(QStringLiteral(".hidden")));

        RegisterMyRadioCopyFrame();
        if (withEditor)
            RegisterFrame(FrameKind::MyRadioEditor,
                          [this](FrameHost &host, QWidget *parent) { return editor = new StubMyRadioEditor(&host, parent); });
        QVERIFY(showMainWindow());
        QVERIFY(form->StartPanel->isVisible());
        QVERIFY(frame());
    }

    void cleanup()
    {
        tearDown();
        editor = nullptr;
    }

    void menuModeShowsProfilesAndOtherDrives()
    {
        showMenuMode();
        TMyRadioCopyFrame *f = frame();
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("MyRadio Copy"));
        // Short names only, in the file lists' form; other files left out.
        QCOMPARE(texts(f->FileList), (QStringList{"Gone", "Pop", "Rock"}));
        QVERIFY(f->FileList->isVisible() && f->SelectMRALabel->isVisible());
        QVERIFY(!f->CopyLabel->isVisible());
        // Neither the player's drive nor the optical drive.
        QCOMPARE(texts(f->DirTree), (QStringList{"C:\\", "D:\\", "E:\\"}));
        QCOMPARE(texts(f->DirTree, f->DirTree->topLevelItem(1)), (QStringList{"archive", "backup"}));
        QCOMPARE(f->SelectedDirectory(), QStringLiteral("D:"));
        QVERIFY(f->CopyMRAFile->isEnabled() && !f->CopyMRAFile->isChecked());
        QVERIFY(!f->CancelButton->isVisible());
        // Copy waits for a profile.
        QVERIFY(!f->CopyButton->isEnabled());
        QCOMPARE(f->TargetDirectory(), QString());
        selectProfiles({"Pop"});
        QVERIFY(f->CopyButton->isEnabled());
        // Expanding lists one level further.
        QVERIFY(f->SelectDirectory("D:\\backup"));
        QCOMPARE(texts(f->DirTree, f->DirTree->currentItem()), QStringList{"old"});
        QCOMPARE(f->TargetDirectory(), QStringLiteral("D:\\backup"));
        f->DirTree->clearSelection();
        QVERIFY(!f->CopyButton->isEnabled());
    }

    // Without a removable drive no destination is chosen, not even C (the system's root).
    void startingDestination_data()
    {
        QTest::addColumn<bool>("editorMode");
        QTest::newRow("menu mode") << false;
        QTest::newRow("editor mode") << true;
    }
    void startingDestination()
    {
        QFETCH(bool, editorMode);
        if (editorMode) {
            cleanup();
            withEditor = true;
            init();
            withEditor = false;
            editor->list = elements({"music\\pop"});
            QVERIFY(form->CloseActiveFrame(true));
            form->ShowFrame(editor);
        }
        drives->addFolder('D', drives->root('D'), platform::DriveType::Fixed, QStringLiteral("ext4"));
        if (editorMode) {
            editor->MyRadioCopyButtonClick();
        } else {
            showMenuMode();
            selectProfiles({"Pop"});
        }
        QVERIFY(frame()->isVisible());
        QCOMPARE(frame()->SelectedDirectory(), QString());
        QVERIFY(!frame()->CopyButton->isEnabled());
        frame()->CopyButton->Click();
        QVERIFY(!frame()->Running());
    }

    void promptBoxesExcludeEachOther()
    {
        showMenuMode();
        TMyRadioCopyFrame *f = frame();
        f->OverwriteBox->click();
        QCOMPARE(f->Switches(), CopySwitches::fromBoxes(true, false));
        f->SkipBox->click();
        QVERIFY(!f->OverwriteBox->isChecked());
        QCOMPARE(f->Switches(), CopySwitches::fromBoxes(false, true));
        f->SkipBox->click();
        QCOMPARE(f->Switches(), CopySwitches{});
        // Showing the frame again starts with the switches off.
        f->OverwriteBox->click();
        QVERIFY(form->CloseActiveFrame(false));
        showMenuMode();
        QCOMPARE(f->Switches(), CopySwitches{});
    }

    // A profile copied end to end into a folder of another drive.
    void menuModeCopiesProfileAndItsCopy()
    {
        showMenuMode();
        TMyRadioCopyFrame *f = frame();
        selectProfiles({"Rock"});
        QVERIFY(f->SelectDirectory("D:\\backup"));
        copyAndWait();
        QCOMPARE(TestDriveTable::readFile("D:\\backup\\music\\rock\\a.mp3"), pattern(70000, 'a'));
        QCOMPARE(TestDriveTable::readFile("D:\\backup\\music\\rock\\b.mp3"), pattern(1000, 'b'));
        QVERIFY(!fs::exists("D:\\backup\\music\\pop"));
        const auto copy = ReadMyRadioFile("D:\\voxa\\myradio\\rock.mra");
        QVERIFY(copy.ok());
        QCOMPARE(paths(copy.value()), QStringList{"\\backup\\music\\rock"});
        QCOMPARE(f->LastCaption(), QStringLiteral("Copy... 100%"));
        // Copied, so no longer selected; the tree shows the target again.
        QCOMPARE(selectedRowsText(), QString());
        QCOMPARE(f->SelectedDirectory(), QStringLiteral("D:\\backup"));
        QVERIFY(!f->CopyButton->isEnabled());
        QVERIFY(f->LastResult().allCopied());
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("MyRadio Copy"));
    }

    // Two profiles: the one whose element is missing (Cancel at the
    // question) stays selected, the other is copied and unselected.
    void menuModeFailedProfileStaysSelected()
    {
        showMenuMode();
        TMyRadioCopyFrame *f = frame();
        f->CopyMRAFile->setChecked(true);
        selectProfiles({"Gone", "Pop"});
        prompts->expectMessage(msg(Msg::FileNotExists), Button::Cancel);
        copyAndWait();
        QCOMPARE(prompts->lastMessage().text, msg(Msg::FileNotExists) + QStringLiteral(" [V:\\music\\gone.mp3]"));
        QCOMPARE(selectedRowsText(), QStringLiteral("Gone"));
        QCOMPARE(TestDriveTable::readFile("D:\\music\\pop\\c.mp3"), pattern(3000, 'c'));
        QVERIFY(!fs::exists("D:\\voxa"));  // content only
        QVERIFY(f->LastResult().aborted);
        QVERIFY(f->CopyButton->isEnabled());
    }

    // Too little room on the target: one message, nothing written, not even
    // the profile copy.
    void notEnoughSpace()
    {
        drives->setFree('D', MyRadioFileSize + 3000 - 1);
        showMenuMode();
        selectProfiles({"Pop"});
        prompts->expectMessage(msg(Msg::NotEnoughSpace));
        copyAndWait();
        QCOMPARE(prompts->records().size(), 1);
        QVERIFY(!fs::exists("D:\\music"));
        QVERIFY(!fs::exists("D:\\voxa"));
        QCOMPARE(selectedRowsText(), QStringLiteral("Pop"));
    }

    // An existing target with each box and answer.
    void existingTarget_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QList<int>>("answers");  // to the questions asked, in order
        QTest::addColumn<bool>("replaced");
        QTest::newRow("asked, No") << "" << false << QList<int>{int(Button::No)} << false;
        QTest::newRow("asked, Yes") << "" << false << QList<int>{int(Button::Yes)} << true;
        QTest::newRow("read-only, Yes then No") << "" << true << QList<int>{int(Button::Yes), int(Button::No)}
                                                << false;
        QTest::newRow("read-only, Yes twice") << "" << true << QList<int>{int(Button::Yes), int(Button::Yes)}
                                              << true;
        QTest::newRow("Skip box") << "skip" << false << QList<int>{} << false;
        QTest::newRow("Skip box, read-only") << "skip" << true << QList<int>{} << false;
        QTest::newRow("Overwrite box") << "overwrite" << false << QList<int>{} << true;
        QTest::newRow("Overwrite box, read-only") << "overwrite" << true << QList<int>{} << true;
    }
    void existingTarget()
    {
        QFETCH(QString, box);
        QFETCH(bool, readOnly);
        QFETCH(QList<int>, answers);
        QFETCH(bool, replaced);
        QVERIFY(TestDriveTable::writeFile("D:\\music\\pop\\c.mp3", "old"));
        if (readOnly)
            QVERIFY(fs::setReadOnly("D:\\music\\pop\\c.mp3"));
        showMenuMode();
        TMyRadioCopyFrame *f = frame();
        f->CopyMRAFile->setChecked(true);
        if (box == "skip")
            f->SkipBox->click();
        if (box == "overwrite")
            f->OverwriteBox->click();
        selectProfiles({"Pop"});
        if (!answers.isEmpty())
            prompts->expectMessage(msg(Msg::OverwriteExisting) + " [D:\\music\\pop\\c.mp3]", Button(answers[0]));
        if (answers.size() > 1)
            prompts->expectMessage(msg(Msg::ReadOnlyOverwrite) + " [D:\\music\\pop\\c.mp3]", Button(answers[1]));
        copyAndWait();
        QCOMPARE(TestDriveTable::readFile("D:\\music\\pop\\c.mp3"), replaced ? pattern(3000, 'c') : QByteArray("old"));
        // A skipped file still moves the bar to its end.
        QCOMPARE(f->LastCaption(), QStringLiteral("Copy... 100%"));
        QCOMPARE(selectedRowsText(), replaced ? QString() : QStringLiteral("Pop"));
        fs::clearReadOnly("D:\\music\\pop\\c.mp3");
    }

    // Cancel in the middle of a big file: the job stops, the partly written
    // file is removed and the frame is idle again.
    void cancelLeavesNoPartialFile()
    {
        const qint64 size = 8 << 20;
        QVERIFY(TestDriveTable::writeFile("V:\\music\\big\\big.mp3", pattern(size, 'z')));
        QVERIFY(WriteMyRadioFile("V:\\voxa\\myradio\\big.mra", elements({"music\\big\\big.mp3", "music\\pop"})).ok());
        showMenuMode();
        TMyRadioCopyFrame *f = frame();
        f->CopyMRAFile->setChecked(true);
        selectProfiles({"Big"});
        QSignalSpy done(f, &TMyRadioCopyFrame::copyFinished);
        f->CopyButton->Click();
        auto *thread = f->findChild<TCopyTask *>();
        QVERIFY(thread);
        // Stopped once the file is under way, seen on the worker so the
        // moment is exact (the Cancel button only sets this request).
        connect(
            thread, &TCopyTask::progressChanged, thread,
            [thread, size](qint64 pos, qint64) {
                if (pos > MyRadioFileSize + size / 10)
                    thread->cancel();
            },
            Qt::DirectConnection);
        QVERIFY(done.wait(60000));
        QVERIFY(f->LastResult().cancelled);
        QVERIFY(!fs::exists("D:\\music\\big\\big.mp3"));
        QVERIFY(!fs::exists("D:\\music\\pop"));
        QCOMPARE(selectedRowsText(), QStringLiteral("Big"));
        QVERIFY(f->CopyButton->isVisible() && f->CopyButton->isEnabled());
        QVERIFY(f->DirTree->isEnabled());
    }

    // Cancel while the job waits for an answer: the question is dropped and
    // the frame is idle again.
    void cancelButtonStopsTheJob()
    {
        QVERIFY(TestDriveTable::writeFile("D:\\music\\pop\\c.mp3", "old"));
        showMenuMode();
        TMyRadioCopyFrame *f = frame();
        f->CopyMRAFile->setChecked(true);
        selectProfiles({"Pop"});
        prompts->failOnLeftover = false;
        prompts->expectMessage(msg(Msg::OverwriteExisting), Button::Yes);
        QSignalSpy done(f, &TMyRadioCopyFrame::copyFinished);
        f->CopyButton->Click();
        f->CancelButton->Click();
        QVERIFY(done.wait(60000));
        QVERIFY(f->LastResult().cancelled);
        QCOMPARE(TestDriveTable::readFile("D:\\music\\pop\\c.mp3"), QByteArray("old"));
        QCOMPARE(selectedRowsText(), QStringLiteral("Pop"));
        QVERIFY(f->CopyButton->isVisible() && !f->CancelButton->isVisible());
        QTRY_VERIFY(f->findChild<TCopyTask *>() == nullptr);
    }

    // Leaving the frame while a copy runs stops the copy first.
    void closingStopsTheJob()
    {
        QVERIFY(TestDriveTable::writeFile("V:\\music\\big\\big.mp3", pattern(8 << 20, 'z')));
        QVERIFY(WriteMyRadioFile("V:\\voxa\\myradio\\big.mra", elements({"music\\big\\big.mp3"})).ok());
        QVERIFY(TestDriveTable::writeFile("D:\\music\\big\\big.mp3", "old"));
        showMenuMode();
        TMyRadioCopyFrame *f = frame();
        f->CopyMRAFile->setChecked(true);
        selectProfiles({"Big"});
        // The overwrite question holds the job; Escape leaves the frame.
        prompts->failOnLeftover = false;
        prompts->expectMessage(msg(Msg::OverwriteExisting), Button::Yes);
        f->CopyButton->Click();
        QVERIFY(f->Running());
        QVERIFY(form->CloseActiveFrame(false));
        QVERIFY(!f->Running());
        QVERIFY(f->findChild<TCopyTask *>() == nullptr);
        QVERIFY(form->StartPanel->isVisible());
        QCOMPARE(TestDriveTable::readFile("D:\\music\\big\\big.mp3"), QByteArray("old"));
        QCOMPARE(f->DirTree->topLevelItemCount(), 0);
    }

    void editorModeRoundTrip_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("modified");
        QTest::newRow("saved profile") << "V:\\voxa\\myradio\\rock.mra" << false;
        QTest::newRow("changed profile") << "V:\\voxa\\myradio\\rock.mra" << true;
        QTest::newRow("never saved") << "" << true;
    }
    void editorModeRoundTrip()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, modified);
        cleanup();
        withEditor = true;
        init();
        withEditor = false;
        QVERIFY(editor);
        editor->list = elements({"music\\rock\\b.mp3", "\\music\\pop"});
        editor->setFileName(fileName);
        QVERIFY(form->CloseActiveFrame(true));
        form->ShowFrame(editor);
        editor->setModified(modified);
        editor->MyRadioCopyButtonClick();
        TMyRadioCopyFrame *f = frame();
        QVERIFY(f->isVisible());
        QVERIFY(f->EditorMode());
        QVERIFY(f->CopyLabel->isVisible());
        QVERIFY(!f->FileList->isVisible() && !f->SelectMRALabel->isVisible());
        // Without a profile file there is nothing but the content to copy.
        QCOMPARE(f->CopyMRAFile->isEnabled(), !fileName.isEmpty());
        QCOMPARE(f->CopyMRAFile->isChecked(), fileName.isEmpty());
        QVERIFY(f->CopyButton->isEnabled());
        QCOMPARE(f->TargetDirectory(), QStringLiteral("D:"));

        copyAndWait();
        QCOMPARE(TestDriveTable::readFile("D:\\music\\rock\\b.mp3"), pattern(1000, 'b'));
        QCOMPARE(TestDriveTable::readFile("D:\\music\\pop\\c.mp3"), pattern(3000, 'c'));
        QVERIFY(!fs::exists("D:\\music\\rock\\a.mp3"));
        if (fileName.isEmpty()) {
            QVERIFY(!fs::exists("D:\\voxa"));
        } else {
            // The editor's rows, not the file on the drive.
            const auto copy = ReadMyRadioFile("D:\\voxa\\myradio\\rock.mra");
            QVERIFY(copy.ok());
            QCOMPARE(paths(copy.value()), (QStringList{"\\music\\rock\\b.mp3", "\\music\\pop"}));
        }
        // The one profile is done.
        QVERIFY(!f->CopyButton->isEnabled());
        QVERIFY(!f->DirTree->isEnabled() && !f->OverwriteBox->isEnabled() && !f->SkipBox->isEnabled());
        QVERIFY(!f->CopyMRAFile->isEnabled());

        // Close gives the editor back, with its mark, and no start panel.
        f->OKButton->Click();
        QVERIFY(!f->isVisible());
        QVERIFY(!f->EditorMode());
        QCOMPARE(editor->returns, 1);
        QVERIFY(editor->isVisible());
        QCOMPARE(form->ActiveEditor, editor);
        QCOMPARE(editor->Modified(), modified);
        QVERIFY(!form->StartPanel->isVisible());
        QCOMPARE(editor->FileName(), fileName);

        // The menu command afterwards is menu mode again.
        editor->setModified(false);
        showMenuMode();
        QVERIFY(!f->EditorMode());
        QVERIFY(f->FileList->isVisible());
        QVERIFY(f->CopyMRAFile->isEnabled());
    }

    // A cancelled copy in editor mode leaves the copy possible again.
    void editorModeCancelledCanCopyAgain()
    {
        cleanup();
        withEditor = true;
        init();
        withEditor = false;
        editor->list = elements({"music\\gone.mp3", "music\\pop"});
        editor->setFileName("V:\\voxa\\myradio\\pop.mra");
        QVERIFY(form->CloseActiveFrame(true));
        form->ShowFrame(editor);
        editor->MyRadioCopyButtonClick();
        TMyRadioCopyFrame *f = frame();
        prompts->expectMessage(msg(Msg::FileNotExists), Button::Cancel);
        copyAndWait();
        QVERIFY(f->LastResult().aborted);
        QVERIFY(!fs::exists("D:\\music"));
        QVERIFY(f->CopyButton->isEnabled() && f->DirTree->isEnabled());
        prompts->expectMessage(msg(Msg::FileNotExists), Button::Ok);
        copyAndWait();
        QCOMPARE(TestDriveTable::readFile("D:\\music\\pop\\c.mp3"), pattern(3000, 'c'));
        QVERIFY(!f->CopyButton->isEnabled());
    }
};

QTEST_MAIN(TestMyRadioCopyFrame)
#include "test_myradiocopyframe.moc"
