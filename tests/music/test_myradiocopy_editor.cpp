// The MyRadio editor's profile handed to the MyRadio copy, and every way out
// of the copy frame, with the real editor and copy frame in the real main
// window: unsaved changes are never dropped without the save question.
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "editors/devicedialogs.h"
#include "editors/myradio/myradioeditor.h"
#include "music/myradiocopyframe.h"
#include "support/framewindow.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "ui/skinbutton.h"

#include <QLabel>
#include <QTest>
#include <QTreeWidget>

using namespace voxa;

namespace {

const QString Profile = QStringLiteral("V:\\voxa\\myradio\\mix.mra");

QStringList savedPaths()
{
    const auto read = ReadMyRadioFile(Profile);
    QStringList out;
    if (read)
        for (const MyRadioElement &e : read.value())
            out << e.path();
    return out;
}

}  // namespace

class TestMyRadioCopyEditor : public QObject, private test::FrameWindow {
    Q_OBJECT

    TMyRadioEditor *editor = nullptr;
    TMyRadioCopyFrame *copy = nullptr;
    QString editorTitle;

    // mix.mra opened, a row added from the tree, the Copy button pressed.
    void handOverChangedProfile()
    {
        openFromDialog(form->MyRadioProfOpen, QStringLiteral("Mix"));
        QVERIFY(editor->isVisible());
        editorTitle = form->FileNameLabel->text();
        editor->FindNode(QStringLiteral("music"))->setExpanded(true);
        editor->ProfileTree->clearSelection();
        editor->FindNode(QStringLiteral("music\\b.mp3"))->setSelected(true);
        editor->AddButton->Click();
        QCOMPARE(editor->Rows().size(), 2);
        QVERIFY(editor->Modified());
        editor->MyRadioCopyButton->Click();
        QVERIFY(copy->isVisible() && copy->EditorMode());
        QVERIFY(!editor->Modified());
    }

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }

    void init()
    {
        QVERIFY(prepare());
        appState().DriveLetter = QLatin1Char('V');
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\music\\a.mp3"), "ID3"));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\music\\b.mp3"), "ID3"));
        QVERIFY(WriteMyRadioFile(Profile, {MyRadioElement::fromPath(QStringLiteral("music\\a.mp3"), 10)}).ok());
        RegisterEditorDialogs();
        RegisterMyRadioEditor();
        RegisterMyRadioCopyFrame();
        QVERIFY(showMainWindow());
        editor = qobject_cast<TMyRadioEditor *>(form->Frame(FrameKind::MyRadioEditor));
        copy = qobject_cast<TMyRadioCopyFrame *>(form->Frame(FrameKind::MyRadioCopy));
        QVERIFY(editor && copy);
    }

    void cleanup()
    {
        tearDown();
        editor = nullptr;
        copy = nullptr;
    }

    void leavingTheCopyFrame_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QList<int>>("answers");  // to the save questions, in order
        QTest::addColumn<QString>("after");       // the frame shown afterwards
        QTest::addColumn<QStringList>("saved");   // the profile file afterwards
        const QStringList old{"music\\a.mp3"};
        const QStringList both{"music\\a.mp3", "music\\b.mp3"};
        const int yes = int(Button::Yes), no = int(Button::No), cancel = int(Button::Cancel);
        QTest::newRow("menu, No") << "menu" << QList<int>{no} << "about" << old;
        QTest::newRow("menu, Yes") << "menu" << QList<int>{yes} << "about" << both;
        QTest::newRow("menu, Cancel") << "menu" << QList<int>{cancel} << "copy" << old;
        QTest::newRow("own Close") << "close" << QList<int>{} << "editor" << old;
        QTest::newRow("Escape, No") << "escape" << QList<int>{no} << "start" << old;
        QTest::newRow("Escape, Cancel") << "escape" << QList<int>{cancel} << "copy" << old;
        QTest::newRow("window, Cancel then No") << "window" << QList<int>{cancel, no} << "closed" << old;
    }
    void leavingTheCopyFrame()
    {
        QFETCH(QString, route);
        QFETCH(QList<int>, answers);
        QFETCH(QString, after);
        QFETCH(QStringList, saved);
        handOverChangedProfile();
        for (int answer : answers)
            prompts->expectMessage(msg(Msg::SaveChanges), Button(answer));

        if (route == "menu") {
            form->MenuItemClick(form->AboutMenuItem);
        } else if (route == "close") {
            copy->OKButton->Click();
        } else if (route == "escape") {
            QVERIFY(form->FormKeyDown(Qt::Key_Escape, Qt::NoModifier));
        } else {
            form->close();
            // Cancel keeps the window, on the copy frame.
            QVERIFY(form->isVisible());
            QVERIFY(copy->isVisible() && copy->EditorMode());
            form->close();
        }
        QCOMPARE(prompts->pending(), 0);
        QCOMPARE(savedPaths(), saved);

        if (after == "closed") {
            QVERIFY(!form->isVisible());
            return;
        }
        if (after == "copy") {
            QVERIFY(copy->isVisible() && copy->EditorMode());
            QCOMPARE(form->FileNameLabel->text(), QStringLiteral("MyRadio Copy"));
            QVERIFY(!editor->isVisible() && !editor->Modified());
            // Its own Close then gives the changes back to the editor.
            copy->OKButton->Click();
            after = "editor";
        }
        if (after == "editor") {
            QVERIFY(editor->isVisible());
            QCOMPARE(editor->Rows().size(), 2);
            QVERIFY(editor->Modified());
            QCOMPARE(form->FileNameLabel->text(), editorTitle);
            prompts->expectMessage(msg(Msg::SaveChanges), Button::No);
            editor->CancelButton->Click();
            QCOMPARE(prompts->pending(), 0);
            after = "start";
        }
        QVERIFY((after == "about" ? form->Frame(FrameKind::About) : form->StartPanel)->isVisible());
        QVERIFY(!copy->isVisible());
        // The profile was closed: the editor starts an untitled one.
        form->MenuItemClick(form->MyProfileEditMenuItem);
        QVERIFY(editor->isVisible());
        QVERIFY(editor->Rows().isEmpty());
        QVERIFY(!editor->Modified());
        QCOMPARE(form->FileNameLabel->text(), QStringLiteral("MyRadio Editor: Untitled"));
        QCOMPARE(savedPaths(), saved);
    }
};

QTEST_MAIN(TestMyRadioCopyEditor)
#include "test_myradiocopy_editor.moc"
