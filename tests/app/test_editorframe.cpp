// Flow tests of the editor framework: a small text editor registered
// through the frame table, driven through the main window with the real
// file and delete dialogs and scripted answers to every question.
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/editorframe.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "editors/devicedialogs.h"
#include "platform/fileops.h"
#include "shellstubs.h"
#include "support/framewindow.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "ui/skinbutton.h"
#include "support/mainwidgets.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

using namespace voxa;

namespace {

// A document of one line of text after a five-byte signature.
class TextEditor : public TEditorFrame {
public:
    TextEditor(FrameHost *host, QWidget *parent) : TEditorFrame(host, parent) {}

    bool Load() override
    {
        setModified(false);
        const auto bytes = fs::readRegularFile(FileName(), 1000);
        if (!bytes)
            return false;
        if (!bytes->startsWith("R7TXT")) {
            ReportWrongFormat();
            return false;
        }
        text = QString::fromLatin1(bytes->mid(5));
        WriteTitle();
        return true;
    }
    bool Save() override
    {
        ++saves;
        TEditorFrame::Save();
        if (!fs::writeWholeFile(FileName(), "R7TXT" + text.toLatin1()).isEmpty())
            return false;
        setModified(false);
        WriteTitle();
        return true;
    }
    void Reset() override
    {
        TEditorFrame::Reset();
        ++resets;
    }
    void CommitEdits() override { ++commits; }
    QString KindWord() const override { return QStringLiteral("Config "); }

    void edit(const QString &t)
    {
        text = t;
        setModified(true);
    }

    QString text;
    int saves = 0;
    int resets = 0;
    int commits = 0;
};

}  // namespace

class TestEditorFrame : public QObject, private test::FrameWindow {
    Q_OBJECT

    TextEditor *editor = nullptr;

    void openThroughTheMenu(const QString &row) { openFromDialog(mainChild<QAction>(form, "ConfigFileOpen"), row); }

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }

    void init()
    {
        QVERIFY(prepare());
        for (const char *name : {"short", "eightchr", "ninechars", "Mixed"})
            QVERIFY(test::TestDriveTable::writeFile(
                QStringLiteral("V:\\voxa\\config\\%1.cfg").arg(QString::fromLatin1(name)), "R7TXTdoc"));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\config\\other.lce"), "x"));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\config\\broken.cfg"), "R7CFG"));
        // A name that would be a path once the row is made a file name again.
        QVERIFY(QFile(root + QStringLiteral("/voxa/config/..\\up.cfg")).open(QIODevice::WriteOnly));
        QVERIFY(QDir(root).mkpath(QStringLiteral("voxa/config/folder.cfg")));
        RegisterEditorDialogs();
        RegisterFrame(FrameKind::ConfigEditor, [this](FrameHost &host, QWidget *parent) { return editor = new TextEditor(&host, parent); });
        QVERIFY(showMainWindow());
        QVERIFY(form->StartPanel->isVisible());
    }

    void cleanup() { tearDown(); }

    void openListsShortNamesAndDiscardsTyping()
    {
        whenShown([this] {
            TFileDialog *d = fileDialog();
            const auto close = qScopeGuard([d] { if (d->isVisible()) d->CancelButton->Click(); });
            QCOMPARE(d->windowTitle(), QStringLiteral("Open File"));
            // Folders, other kinds and names over 8 characters are left out.
            QCOMPARE(column(d->FileList), (QStringList{QStringLiteral("Broken"), QStringLiteral("Eightchr"),
                                                    QStringLiteral("Mixed"), QStringLiteral("Short")}));
            QVERIFY(!d->OpenSaveButton->isEnabled());
            d->FileList->setCurrentItem(d->FileList->findItems(QStringLiteral("Short"), Qt::MatchExactly).first());
            QCOMPARE(d->FileNameEdit->text(), QStringLiteral("Short"));
            QTest::keyClicks(d->FileNameEdit, QStringLiteral("zz"));
            QCOMPARE(d->FileNameEdit->text(), QStringLiteral("Short"));
            QTest::keyClick(d->FileNameEdit, Qt::Key_Backspace);
            QCOMPARE(d->FileNameEdit->text(), QStringLiteral("Short"));
            QGuiApplication::clipboard()->setText(QStringLiteral("zz"));  // nor is pasted text a choice
            d->FileNameEdit->selectAll();
            d->FileNameEdit->paste();
            QCOMPARE(d->FileNameEdit->text(), QStringLiteral("Short"));
            d->OpenSaveButton->Click();
        });
        form->SubMenuClick(mainChild<QAction>(form, "ConfigFileOpen"));
        QCOMPARE(editor->FileName(), QStringLiteral("V:\\voxa\\config\\Short.cfg"));
        QVERIFY(editor->isVisible());
        QCOMPARE(form->ActiveEditor, editor);
        QCOMPARE(editor->text, QStringLiteral("doc"));
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Config Editor: Short"));
        // The dialog forgets its list when it closes.
        QCOMPARE(fileDialog()->FileList->topLevelItemCount(), 0);
    }

    void deleteListsLongNamesToo()
    {
        QStringList rows;
        whenShown([this, &rows] {
            TDeleteFile *d = deleteDialog();
            rows = column(d->FileList);
            QVERIFY(column(d->FileList).contains(QStringLiteral("Ninechars")));
            QVERIFY(!d->DeleteButton->isEnabled());
            d->ExitButton->Click();
        });
        form->DeleteFileClick(mainChild<QAction>(form, "ConfigFile1"));
        QVERIFY2(rows.filter(QStringLiteral("\\Up")).isEmpty(), "deleting that row would delete another file");
    }

    void wrongFormatClosesWithoutTheQuestion()
    {
        prompts->expectMessage(QStringLiteral("Wrong file format"));
        openThroughTheMenu(QStringLiteral("Broken"));
        const MessageBox box = prompts->lastMessage();
        QCOMPARE(box.title, QStringLiteral("Error"));
        QCOMPARE(box.placement.point, QPoint(70, 50));
        QVERIFY(!editor->isVisible());
        QVERIFY(form->StartPanel->isVisible());
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QString());
    }

    void saveAsCancelledKeepsTheName()
    {
        openThroughTheMenu(QStringLiteral("Short"));
        editor->edit(QStringLiteral("changed"));
        whenShown([this] {
            TFileDialog *d = fileDialog();
            QCOMPARE(d->windowTitle(), QStringLiteral("Save File"));
            QCOMPARE(d->SaveLabel->text(), QStringLiteral("Save As"));
            d->CancelButton->Click();
        });
        form->ToolButtonClick(TMainForm::ToolCommand::SaveAs);
        QCOMPARE(editor->FileName(), QStringLiteral("V:\\voxa\\config\\Short.cfg"));
        QVERIFY(editor->Modified());
        QCOMPARE(editor->saves, 0);
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\voxa\\config\\short.cfg")), QByteArray("R7TXTdoc"));
    }

    void saveAsTypesANewName()
    {
        openThroughTheMenu(QStringLiteral("Short"));
        editor->edit(QStringLiteral("copy"));
        whenShown([this] {
            TFileDialog *d = fileDialog();
            // At most 8 characters; Return presses Save.
            QTest::keyClicks(d->FileNameEdit, QStringLiteral("newname12"));
            QCOMPARE(d->FileNameEdit->text(), QStringLiteral("newname1"));
            QTest::keyClick(d->FileNameEdit, Qt::Key_Return);
        });
        mainChild<QAction>(form, "SaveAsMenuItem")->trigger();
        QCOMPARE(editor->FileName(), QStringLiteral("V:\\voxa\\config\\newname1.cfg"));
        QCOMPARE(test::TestDriveTable::readFile(editor->FileName()), QByteArray("R7TXTcopy"));
        QVERIFY(!editor->Modified());
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Config Editor: newname1"));
    }

    // A name that would lead out of the folder is refused, pasted or set, and nothing is written.
    void saveRefusesPathNames_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"../../zz", "..\\zz", "C:zz", "..", "a\tb"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void saveRefusesPathNames()
    {
        QFETCH(QString, name);
        mainChild<QAction>(form, "ConfigEditMenuItem")->trigger();
        editor->edit(QStringLiteral("fresh"));
        whenShown([this, name] {
            TFileDialog *d = fileDialog();
            const auto close = qScopeGuard([d] { if (d->isVisible()) d->CancelButton->Click(); });
            QGuiApplication::clipboard()->setText(name);
            d->FileNameEdit->paste();
            QVERIFY(!d->OpenSaveButton->isEnabled());
            QVERIFY(d->FileNameEdit->text().isEmpty() || d->FileNameEdit->text() == QStringLiteral(".."));
            d->FileNameEdit->setText(name);  // behind the field's back
            d->OpenSaveButtonClick();
            QVERIFY(d->isVisible());
        });
        QVERIFY(!editor->SaveDocument());
        QVERIFY(editor->FileName().isEmpty());
        QCOMPARE(editor->saves, 0);  // nothing written anywhere
    }

    void closeWithChanges_data()
    {
        QTest::addColumn<Button>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QByteArray>("onDisk");
        QTest::newRow("yes saves") << Button::Yes << true << QByteArray("R7TXTedited");
        QTest::newRow("no drops") << Button::No << true << QByteArray("R7TXTdoc");
        QTest::newRow("cancel keeps all") << Button::Cancel << false << QByteArray("R7TXTdoc");
    }
    void closeWithChanges()
    {
        QFETCH(Button, answer);
        QFETCH(bool, closes);
        QFETCH(QByteArray, onDisk);
        openThroughTheMenu(QStringLiteral("Short"));
        editor->edit(QStringLiteral("edited"));
        prompts->expectMessage(QStringLiteral("Do you want to save changes?"), answer);
        // Escape is the Exit tool button: back to the start panel.
        QTest::keyClick(form, Qt::Key_Escape);
        const MessageBox box = prompts->lastMessage();
        QCOMPARE(box.title, QStringLiteral("Warning"));
        QCOMPARE(box.buttons, Button::Yes | Button::No | Button::Cancel);
        QCOMPARE(box.defaultButton, Button::No);
        QCOMPARE(box.placement.kind, Placement::MainWindowOffset);
        QCOMPARE(box.placement.point, QPoint(70, 50));
        // The question commits the edit; saving commits again.
        QCOMPARE(editor->commits, answer == Button::Yes ? 2 : 1);
        QCOMPARE(editor->isVisible(), !closes);
        QCOMPARE(form->StartPanel->isVisible(), closes);
        QCOMPARE(editor->Modified(), !closes);
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text().isEmpty(), closes);
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\voxa\\config\\short.cfg")), onDisk);
    }

    void closingWithoutChangesAsksNothing()
    {
        openThroughTheMenu(QStringLiteral("Short"));
        editor->CancelButton->Click();
        QVERIFY(form->StartPanel->isVisible());
        QCOMPARE(editor->resets, 1);
    }

    void untitledSaveCancelledStaysModified()
    {
        mainChild<QAction>(form, "ConfigEditMenuItem")->trigger();
        QVERIFY(editor->isVisible());
        QVERIFY(!editor->FirstShow());
        editor->edit(QStringLiteral("fresh"));
        whenShown([this] { fileDialog()->CancelButton->Click(); });
        QVERIFY(!editor->SaveDocument());
        QVERIFY(editor->FileName().isEmpty());
        QVERIFY(editor->Modified());
    }

    void saveReachesTheVisibleEditor_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("ctrl+s") << 0;
        QTest::newRow("save tool button") << 1;
        QTest::newRow("file menu") << 2;
    }
    void saveReachesTheVisibleEditor()
    {
        QFETCH(int, how);
        openThroughTheMenu(QStringLiteral("Mixed"));
        editor->edit(QStringLiteral("saved"));
        if (how == 0)
            QTest::keyClick(form, Qt::Key_S, Qt::ControlModifier);
        else if (how == 1)
            mainChild<TSkinButton>(form, "SaveButton")->Click();
        else
            mainChild<QAction>(form, "SaveMenu")->trigger();
        QCOMPARE(editor->saves, 1);
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\voxa\\config\\mixed.cfg")), QByteArray("R7TXTsaved"));
        QVERIFY(!editor->Modified());
    }

    void overlappedDocumentIsNotSaved()
    {
        openThroughTheMenu(QStringLiteral("Short"));
        editor->edit(QStringLiteral("x"));
        editor->setOverlapped(true);
        prompts->expectMessage(QStringLiteral("overlapped fields"));
        QVERIFY(!editor->SaveDocument());
        QCOMPARE(prompts->lastMessage().placement.kind, Placement::Centered);
        QCOMPARE(editor->saves, 0);
    }

    void deleteRemovesAReadOnlyFileAndStaysOpen()
    {
        const QString path = QStringLiteral("V:\\voxa\\config\\short.cfg");
        QVERIFY(fs::setReadOnly(path));
        prompts->expectMessage(QStringLiteral("Do you really want to delete this file?"), Button::Yes);
        whenShown([this, path] {
            TDeleteFile *d = deleteDialog();
            d->FileList->setCurrentItem(d->FileList->findItems(QStringLiteral("Short"), Qt::MatchExactly).first());
            QVERIFY(d->DeleteButton->isEnabled());
            d->DeleteButton->Click();
            QVERIFY(!fs::exists(path));
            QVERIFY(d->isVisible());
            QVERIFY(!column(d->FileList).contains(QStringLiteral("Short")));
            QVERIFY(!d->DeleteButton->isEnabled());
            d->ExitButton->Click();
        });
        form->DeleteFileClick(mainChild<QAction>(form, "ConfigFile1"));
        QCOMPARE(prompts->lastMessage().buttons, Button::Yes | Button::No);
    }

    void deleteFailureShowsTheSystemText()
    {
        prompts->expectMessage(QStringLiteral("delete this file"), Button::Yes)
            .expectMessage(QStringLiteral("No such file or directory"));
        whenShown([this] {
            TDeleteFile *d = deleteDialog();
            d->FileList->setCurrentItem(d->FileList->findItems(QStringLiteral("Mixed"), Qt::MatchExactly).first());
            // Gone behind the dialog's back.
            QVERIFY(fs::removeFile(QStringLiteral("V:\\voxa\\config\\Mixed.cfg")));
            d->DeleteButton->Click();
            // The list is not refilled after a failure.
            QVERIFY(column(d->FileList).contains(QStringLiteral("Mixed")));
            d->ExitButton->Click();
        });
        form->DeleteFileClick(mainChild<QAction>(form, "ConfigFile1"));
    }
};

QTEST_MAIN(TestEditorFrame)
#include "test_editorframe.moc"
