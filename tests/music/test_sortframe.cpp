// Flow tests of the sort frame through a real main window on a test drive:
// choosing a folder, sorting it on the worker, the refusals, a failing or
// cancelled sort rolling back, and the roll-back of an interrupted sort at
// start-up.
#include "../app/shellstubs.h"
#include "app/messagetable.h"
#include "music/sortframe.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "sorttestutil.h"
#include "support/framewindow.h"
#include "support/scriptedprompts.h"
#include "ui/skinprogressbar.h"
#include "support/mainwidgets.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <atomic>
#include <semaphore>

using namespace voxa;

namespace {

// Holds the worker at one rename until the test lets it go on.
class GateOps : public SortFileOps {
public:
    int holdAt = 0;
    std::atomic_int renames = 0;
    std::atomic_bool reached = false;
    std::binary_semaphore release{0};

    bool rename(const QString &from, const QString &to) override
    {
        if (++renames == holdAt) {
            reached = true;
            release.acquire();
        }
        return SortFileOps::rename(from, to);
    }
};

// Records where each rename went (native paths).
class RecordingOps : public SortFileOps {
public:
    QStringList targets;
    bool rename(const QString &from, const QString &to) override
    {
        targets << QDir::cleanPath(to);
        return SortFileOps::rename(from, to);
    }
};

QStringList names(const QString &folder)
{
    QStringList out;
    for (const fs::Entry &e : fs::listDir(folder))
        out << e.name;
    return out;
}

}  // namespace

class TestSortFrame : public QObject, private test::FrameWindow {
    Q_OBJECT

    SortFileOps *ops = nullptr;  // given to the frame when set

    TSortFrame *frame() const { return qobject_cast<TSortFrame *>(form->Frame(FrameKind::Sort)); }

    // The main window through its start-up, on drive V.
    void start()
    {
        RegisterFrame(FrameKind::Sort, [this](FrameHost &host, QWidget *parent) {
            auto *f = new TSortFrame(&host, parent);
            f->setFileOps(ops);
            return f;
        });
        QVERIFY(showMainWindow());
        QTRY_VERIFY(!form->FirstActivationPending() && !form->Busy());
        QVERIFY(frame());
    }

    void openFrame()
    {
        form->MenuItemClick(mainChild<QAction>(form, "SortDirectory1"));
        QTRY_VERIFY(frame()->isVisible());
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Sort Directory"));
    }

    SortOutcome sortSelected(const QString &dir)
    {
        QSignalSpy done(frame(), &TSortFrame::sortFinished);
        if (!frame()->SelectDirectory(dir) || !frame()->SortButton->isEnabled())
            return {};
        frame()->SortButton->Click();
        if (!done.wait(60000) && done.isEmpty())
            return {};
        return done.first().first().value<SortOutcome>();
    }

    void verifyIdle()
    {
        QVERIFY(!frame()->SortRunning());
        QVERIFY(frame()->OKButton->isEnabled());
        QVERIFY(frame()->ProfileTree->isEnabled());
        QVERIFY(!frame()->CancelButton->isEnabled());
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QVERIFY(mainChild<TSkinButton>(form, "XButton")->isEnabled());
        QVERIFY(mainChild<TSkinButton>(form, "ExitButton")->isEnabled());
    }

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }

    void init()
    {
        QVERIFY(prepare({QStringLiteral("voxa/manager/Language"), QStringLiteral("voxa/config")}));
        ops = nullptr;
    }

    void cleanup() { tearDown(); }

    // ------------------------------------------------------------ sorting

    void sortsAFolderEndToEnd()
    {
        // Stored order: z, b.mp3, A.MP3, list.m3u, cover.jpg, then t101..t001.
        QVERIFY(test::makeFiles(QStringLiteral("V:\\music"), {QStringLiteral("z\\y.mp3"), QStringLiteral("z\\x.mp3")}));
        QVERIFY(test::makeFiles(QStringLiteral("V:\\music"), {QStringLiteral("b.mp3"), QStringLiteral("A.MP3"),
                                                              QStringLiteral("list.m3u"), QStringLiteral("cover.jpg")}));
        QStringList numbered;
        for (int i = 101; i >= 1; --i)
            numbered << QStringLiteral("t%1.mp3").arg(i, 3, 10, QLatin1Char('0'));
        QVERIFY(test::makeFiles(QStringLiteral("V:\\music"), numbered));
        const QString native = root + QStringLiteral("/music");
        const auto before = test::snapshot(native);
        const QStringList stored = names(QStringLiteral("V:\\music"));
        RecordingOps recorder;
        ops = &recorder;
        start();
        openFrame();

        // The tree: folders and MP3/M3U files in stored entry order.
        QCOMPARE(column(frame()->ProfileTree), names(QStringLiteral("V:\\")));
        QVERIFY(frame()->SelectDirectory(QStringLiteral("V:\\music")));
        QTreeWidgetItem *music = frame()->ProfileTree->currentItem();
        QStringList shown;
        for (int i = 0; i < music->childCount(); ++i)
            shown << music->child(i)->text(0);
        QStringList expectedShown = stored;
        expectedShown.removeAll(QStringLiteral("cover.jpg"));
        QCOMPARE(shown, expectedShown);
        QVERIFY(frame()->SortButton->isEnabled());
        QCOMPARE(frame()->ErrorLabel->text(), QString());

        // The play order now (stored order, depth first) and after sorting.
        QStringList now;
        for (const QString &n : stored)
            if (n == QLatin1String("z"))
                for (const QString &inner : names(QStringLiteral("V:\\music\\z")))
                    now << QStringLiteral("z\\") + inner;
            else if (n.endsWith(QLatin1String("mp3"), Qt::CaseInsensitive))
                now << n;
        QStringList sortedNumbered = numbered;
        std::reverse(sortedNumbered.begin(), sortedNumbered.end());
        const QStringList after = QStringList{QStringLiteral("z\\x.mp3"), QStringLiteral("z\\y.mp3"),
                                              QStringLiteral("A.MP3"), QStringLiteral("b.mp3")}
                                  + sortedNumbered;
        QCOMPARE(column(frame()->PlayOrderView, 1), now);
        QCOMPARE(column(frame()->PlayOrderView, 2), after);
        QCOMPARE(frame()->PlayOrderView->topLevelItem(0)->toolTip(2), after.first());
        QCOMPARE(frame()->PlayOrderView->topLevelItem(1)->toolTip(1), now.at(1));

        QSignalSpy done(frame(), &TSortFrame::sortFinished);
        frame()->SortButton->Click();
        // While it runs nothing leaves the frame or ends the program.
        QVERIFY(frame()->SortRunning());
        QVERIFY(!frame()->SortButton->isEnabled());
        QVERIFY(!frame()->OKButton->isEnabled());
        QVERIFY(frame()->CancelButton->isEnabled());
        QVERIFY(!mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QVERIFY(!mainChild<TSkinButton>(form, "XButton")->isEnabled());
        QVERIFY(!mainChild<TSkinButton>(form, "ExitButton")->isEnabled());
        QTest::keyClick(form, Qt::Key_Escape);
        frame()->OKButton->Click();
        form->close();
        QVERIFY(frame()->isVisible());
        QVERIFY(form->isVisible());

        QVERIFY(done.wait(60000) || !done.isEmpty());
        const auto outcome = done.first().first().value<SortOutcome>();
        QCOMPARE(outcome.Result, SortResult::Sorted);
        QCOMPARE(frame()->RenameProgress->Caption(), QStringLiteral("Directory Sorted"));
        QCOMPARE(frame()->RenameProgress->Position(), 107);
        QCOMPARE(frame()->RenameProgress->Max(), 107);
        QCOMPARE(frame()->ErrorLabel->text(), QString());
        verifyIdle();

        // The files were moved out in sorted order (the order the entries
        // are created in, which FAT keeps), then the folder moved back.
        QStringList movedFiles;
        for (const QString &to : recorder.targets)
            if (to.contains(QLatin1String("voxa/Temp/music/")))
                movedFiles << to.section(QStringLiteral("voxa/Temp/music/"), 1);
        const QStringList movedInOrder = QStringList{QStringLiteral("z/x.mp3"), QStringLiteral("z/y.mp3"),
                                                     QStringLiteral("A.MP3"), QStringLiteral("b.mp3")}
                                         + sortedNumbered
                                         + QStringList{QStringLiteral("list.m3u"), QStringLiteral("cover.jpg")};
        QCOMPARE(movedFiles, movedInOrder);
        QCOMPARE(recorder.targets.last(), QDir::cleanPath(native));
        QCOMPARE(test::snapshot(native), before);
        QVERIFY(!fs::exists(QStringLiteral("V:\\voxa\\Temp")));
        // The folder is chosen again and now plays in sorted order.
        QCOMPARE(frame()->SelectedPath(), QStringLiteral("V:\\music"));
        QVERIFY(frame()->SortButton->isEnabled());
        QCOMPARE(column(frame()->PlayOrderView, 2), after);

        // Close leaves the frame clean.
        frame()->OKButton->Click();
        QTRY_VERIFY(form->StartPanel->isVisible());
        QCOMPARE(frame()->ProfileTree->topLevelItemCount(), 0);
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QString());
    }

    void choosingAFolder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("select");
        QTest::addColumn<bool>("sortable");
        QTest::addColumn<QString>("error");
        const QString tooFew = QStringLiteral("There are less then 100 files in directory, so you cannot sort it!");
        QTest::newRow("100 MP3 files") << test::numbered(QStringLiteral("m\\f%1.mp3"), 100) << "V:\\m" << false << tooFew;
        QTest::newRow("101 MP3 files") << test::numbered(QStringLiteral("m\\f%1.mp3"), 101) << "V:\\m" << true << "";
        QTest::newRow("3 files and a subfolder of 150")
            << QStringList{QStringLiteral("m\\a.mp3"), QStringLiteral("m\\b.txt"), QStringLiteral("m\\c.m3u")}
                   + test::numbered(QStringLiteral("m\\sub\\f%1.mp3"), 150)
            << "V:\\m" << true << "";
        QTest::newRow("a file") << test::numbered(QStringLiteral("m\\f%1.mp3"), 101) << "V:\\m\\f7.mp3" << false << "";
    }

    void choosingAFolder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, select);
        QFETCH(bool, sortable);
        QFETCH(QString, error);
        QVERIFY(test::makeFiles(QStringLiteral("V:"), files));
        const auto before = test::snapshot(root);
        start();
        openFrame();
        QVERIFY(!frame()->SortButton->isEnabled());  // nothing chosen yet
        QVERIFY(frame()->SelectDirectory(select));
        QCOMPARE(frame()->SortButton->isEnabled(), sortable);
        QCOMPARE(frame()->ErrorLabel->text(), error);
        if (!sortable) {
            // Sort refuses while disabled (Return reaches the buttons).
            frame()->SortButton->Click();
            QVERIFY(!frame()->SortRunning());
            QCOMPARE(test::snapshot(root), before);
        }
    }

    void planRefusalIsShownAndMovesNothing()
    {
        // The voxa folder qualifies by count but holds the work folder.
        QVERIFY(test::makeFiles(QStringLiteral("V:\\voxa"), test::numbered(QStringLiteral("f%1.mp3"), 101)));
        const auto before = test::snapshot(root);
        start();
        openFrame();
        QVERIFY(frame()->SelectDirectory(QStringLiteral("V:\\voxa")));
        QVERIFY(frame()->SortButton->isEnabled());
        frame()->SortButton->Click();
        QVERIFY(!frame()->SortRunning());
        QCOMPARE(frame()->ErrorLabel->text(), PlanProblemText(PlanSort(QStringLiteral("V:\\voxa"))));
        QVERIFY(!frame()->ErrorLabel->text().isEmpty());
        QCOMPARE(test::snapshot(root), before);
    }

    void failedSortRollsBack_data()
    {
        QTest::addColumn<QString>("failContaining");  // the first rename touching it fails
        QTest::addColumn<int>("failFrom");            // every rename from this one on fails
        QTest::addColumn<QString>("journalError");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("error");
        const QString failure =
            QStringLiteral("There was some error while trying to roll back. You can find your files in  "
                           "V:\\voxa\\Temp directory and you can move them back.");
        QTest::newRow("a file cannot be moved")
            << "f050.mp3" << 0 << "" << int(SortResult::RolledBack) << "Files Rolled Back"
            << "There was an error while sorting. Trying to roll back. (V:\\m\\f050.mp3) ";
        QTest::newRow("the journal cannot be written")
            << "" << 0 << "Disk full" << int(SortResult::NotStarted) << ""
            << "Disk full \"Temp\" or \"sort.dat\".";
        QTest::newRow("the roll-back fails too")
            << "" << 40 << "" << int(SortResult::RollBackFailed) << "Error While RollBack" << failure;
    }

    void failedSortRollsBack()
    {
        QFETCH(QString, failContaining);
        QFETCH(int, failFrom);
        QFETCH(QString, journalError);
        QFETCH(int, result);
        QFETCH(QString, caption);
        QFETCH(QString, error);
        QStringList files;
        for (int i = 1; i <= 101; ++i)
            files << QStringLiteral("f%1.mp3").arg(i, 3, 10, QLatin1Char('0'));
        QVERIFY(test::makeFiles(QStringLiteral("V:\\m"), files));
        const auto before = test::snapshot(root + QStringLiteral("/m"));
        test::FailingOps failing;
        failing.failRenameContaining = failContaining;
        failing.failRenameAt = failContaining.isEmpty() ? 0 : 1;
        failing.failRenamesFrom = failFrom;
        failing.journalError = journalError;
        ops = &failing;
        start();
        openFrame();
        const SortOutcome outcome = sortSelected(QStringLiteral("V:\\m"));
        QCOMPARE(int(outcome.Result), result);
        QCOMPARE(frame()->RenameProgress->Caption(), caption);
        QCOMPARE(frame()->ErrorLabel->text(), error);
        verifyIdle();
        if (outcome.Result == SortResult::RollBackFailed) {
            // The files wait in the work folder, and the journal for the next start.
            QVERIFY(fs::exists(QStringLiteral("V:\\voxa\\Temp\\Sort.dat")));
            QVERIFY(fs::exists(QStringLiteral("V:\\voxa\\Temp\\m")));
            // A second sort is refused until the roll-back has been done.
            frame()->SelectDirectory(QStringLiteral("V:\\m"));
            frame()->SortButton->Click();
            QVERIFY(!frame()->SortRunning());
            QCOMPARE(frame()->ErrorLabel->text(), error);
            return;
        }
        QCOMPARE(test::snapshot(root + QStringLiteral("/m")), before);
        QVERIFY(!fs::exists(QStringLiteral("V:\\voxa\\Temp\\Sort.dat")));
        QCOMPARE(frame()->SelectedPath(), QStringLiteral("V:\\m"));

        // A language change writes the texts again, the path kept.
        if (outcome.Result == SortResult::RolledBack) {
            setMessage(Msg::SortErrorRollBack, QStringLiteral("Hiba a rendezés közben."));
            setMessage(Msg::FilesRolledBack, QStringLiteral("Visszaállítva"));
            frame()->RefreshTitle();
            QCOMPARE(frame()->ErrorLabel->text(), QStringLiteral("Hiba a rendezés közben. (V:\\m\\f050.mp3) "));
            QCOMPARE(frame()->RenameProgress->Caption(), QStringLiteral("Visszaállítva"));
        }
    }

    void cancelRollsBack()
    {
        QVERIFY(test::makeFiles(QStringLiteral("V:\\m"), test::numbered(QStringLiteral("f%1.mp3"), 120)));
        const auto before = test::snapshot(root + QStringLiteral("/m"));
        GateOps gate;
        gate.holdAt = 30;
        ops = &gate;
        start();
        openFrame();
        QVERIFY(frame()->SelectDirectory(QStringLiteral("V:\\m")));
        QSignalSpy done(frame(), &TSortFrame::sortFinished);
        frame()->SortButton->Click();
        QTRY_VERIFY_WITH_TIMEOUT(gate.reached, 30000);
        // The window is alive while the worker moves files.
        QTRY_COMPARE(frame()->RenameProgress->Caption(), QStringLiteral("Sorting: 24%"));
        frame()->CancelButton->Click();
        QVERIFY(!frame()->CancelButton->isEnabled());
        gate.release.release();
        QVERIFY(done.wait(60000) || !done.isEmpty());
        const auto outcome = done.first().first().value<SortOutcome>();
        QCOMPARE(outcome.Result, SortResult::RolledBack);
        QVERIFY(outcome.Cancelled);
        QCOMPARE(frame()->RenameProgress->Caption(), QStringLiteral("Files Rolled Back"));
        QCOMPARE(frame()->ErrorLabel->text(), QString());
        verifyIdle();
        QCOMPARE(test::snapshot(root + QStringLiteral("/m")), before);
        QVERIFY(!fs::exists(QStringLiteral("V:\\voxa\\Temp")));
    }

    // Another sort or roll-back holds the drive (voxatool, a second manager): the frame refuses
    // with the reason, moves nothing and stays usable.
    void refusedWhileDriveBusy_data()
    {
        QTest::addColumn<bool>("atStartUp");
        QTest::newRow("sort") << false;
        QTest::newRow("start-up roll-back") << true;
    }
    void refusedWhileDriveBusy()
    {
        QFETCH(bool, atStartUp);
        QVERIFY(test::makeFiles(QStringLiteral("V:\\m"), test::numbered(QStringLiteral("f%1.mp3"), 101)));
        if (atStartUp) {  // as the other program's sort leaves it while it runs
            QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\Temp\\Sort.dat"), "V:\\m\r\n"));
            QVERIFY(QDir().mkpath(root + QStringLiteral("/voxa/Temp/m")));
            QVERIFY(QFile::rename(root + QStringLiteral("/m/f9.mp3"), root + QStringLiteral("/voxa/Temp/m/f9.mp3")));
        }
        const auto before = test::snapshot(root);
        fs::FolderLock other;
        QVERIFY(LockSortDrive(QLatin1Char('V'), other));
        start();
        QSignalSpy finished(frame(), &TSortFrame::sortFinished);
        if (atStartUp) {
            QVERIFY(frame()->isVisible());
            QVERIFY(finished.wait(60000) || !finished.isEmpty());
            QCOMPARE(finished.first().first().value<SortOutcome>().Result, SortResult::NotStarted);
        } else {
            openFrame();
            QVERIFY(frame()->SelectDirectory(QStringLiteral("V:\\m")));
            frame()->SortButton->Click();
        }
        QCOMPARE(frame()->ErrorLabel->text(), DriveBusyText(QLatin1Char('V')));
        QCOMPARE(frame()->RenameProgress->Caption(), QString());
        verifyIdle();
        QCOMPARE(test::snapshot(root), before);
    }

    // ----------------------------------------------------------- start-up

    void startupRollsBackAnInterruptedSort_data()
    {
        QTest::addColumn<QString>("journalDrive");
        QTest::addColumn<bool>("renamesFail");
        QTest::newRow("same drive") << "V" << false;
        // The drive's letter changed since the sort was interrupted: the
        // roll-back stays on the drive that holds the journal.
        QTest::newRow("letter changed") << "E" << false;
        QTest::newRow("roll-back fails") << "V" << true;
    }

    void startupRollsBackAnInterruptedSort()
    {
        QFETCH(QString, journalDrive);
        QFETCH(bool, renamesFail);
        // Half moved out: a.mp3 is still in place, the rest in voxa\Temp.
        QVERIFY(test::makeFiles(QStringLiteral("V:\\music"), {QStringLiteral("a.mp3")}));
        QVERIFY(test::makeFiles(QStringLiteral("V:\\voxa\\Temp\\music"),
                                {QStringLiteral("b.mp3"), QStringLiteral("sub\\c.mp3")}));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\Temp\\Sort.dat"),
                                                EncodeSortJournal(journalDrive + QStringLiteral(":\\music"))));
        drives->add('E');
        QVERIFY(QDir(drives->root('E')).mkpath(QStringLiteral("music")));
        test::FailingOps failing;
        failing.failRenamesFrom = 1;
        if (renamesFail)
            ops = &failing;
        start();
        QVERIFY(frame()->isVisible());
        QVERIFY(!form->StartPanel->isVisible());
        // The roll-back began at once with the empty reason.
        QSignalSpy finished(frame(), &TSortFrame::sortFinished);
        // The start-up ends at once (no animations) while the worker still
        // moves files: its result reaches the frame through the event loop.
        QVERIFY(frame()->SortRunning());
        QCOMPARE(frame()->ErrorLabel->text(), QStringLiteral("There was an error while sorting. Trying to roll back. () "));
        // The end of the start-up does not give the menus back mid-way.
        QVERIFY(!mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QVERIFY(!mainChild<TSkinButton>(form, "XButton")->isEnabled());
        QVERIFY(!frame()->OKButton->isEnabled());
        QVERIFY(!frame()->CancelButton->isEnabled());
        QVERIFY(finished.wait(60000) || !finished.isEmpty());
        verifyIdle();
        if (renamesFail) {
            QCOMPARE(frame()->RenameProgress->Caption(), QStringLiteral("Error While RollBack"));
            QCOMPARE(frame()->ErrorLabel->text(),
                     QStringLiteral("There was some error while trying to roll back. You can find your files in  "
                                    "V:\\voxa\\Temp directory and you can move them back."));
            QVERIFY(fs::exists(QStringLiteral("V:\\voxa\\Temp\\Sort.dat")));
            return;
        }
        QCOMPARE(frame()->RenameProgress->Caption(), QStringLiteral("Files Rolled Back"));
        QCOMPARE(frame()->ErrorLabel->text(),
                 QStringLiteral("There was an error while sorting. Trying to roll back. () "));
        QVERIFY(!fs::exists(QStringLiteral("V:\\voxa\\Temp")));
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\music\\a.mp3")), QByteArray("a.mp3\n"));
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\music\\b.mp3")), QByteArray("b.mp3\n"));
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\music\\sub\\c.mp3")), QByteArray("sub\\c.mp3\n"));
        QVERIFY(QDir(drives->root('E') + QStringLiteral("/music")).isEmpty());
        QCOMPARE(frame()->SelectedPath(), QStringLiteral("V:\\music"));
    }
};

QTEST_MAIN(TestSortFrame)
#include "test_sortframe.moc"
