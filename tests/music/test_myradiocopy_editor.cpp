// Every way out of the copy frame with the real editor: unsaved changes never go without the save question.
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
#include "support/mainwidgets.h"

#include <QLabel>
#include <QTest>
#include <QTreeWidget>

using namespace voxa;

namespace {

const QString Profile = QStringLiteral("V:\\voxa\\myradio\\mix.mra");

QStringList savedPaths()
{
    QStringList out;
    if (const auto read = ReadMyRadioFile(Profile))
        for (const MyRadioElement &e : read.value())
            out << e.path();
    return out;
}

}  // namespace

class TestMyRadioCopyEditor : public QObject, private test::FrameWindow {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }
    void cleanup() { tearDown(); }

    void leavingTheCopyFrame_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QList<int>>("answers");  // to the save questions, in order
        QTest::addColumn<QString>("after");       // the frame shown afterwards
        const int yes = int(Button::Yes), no = int(Button::No), cancel = int(Button::Cancel);
        QTest::newRow("menu, No") << "menu" << QList<int>{no} << "about";
        QTest::newRow("menu, Yes") << "menu" << QList<int>{yes} << "about";
        QTest::newRow("menu, Cancel") << "menu" << QList<int>{cancel} << "copy";
        QTest::newRow("Escape, No") << "escape" << QList<int>{no} << "start";
        QTest::newRow("window, Cancel then No") << "window" << QList<int>{cancel, no} << "closed";
    }
    void leavingTheCopyFrame()
    {
        QFETCH(QString, route);
        QFETCH(QList<int>, answers);
        QFETCH(QString, after);
        const QStringList saved = answers.contains(int(Button::Yes)) ? QStringList{"music\\a.mp3", "music\\b.mp3"}
                                                                     : QStringList{"music\\a.mp3"};
        QVERIFY(prepare());
        appState().DriveLetter = QLatin1Char('V');
        for (const char *n : {"a", "b"})
            QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\music\\%1.mp3").arg(QLatin1String(n)), "ID3"));
        QVERIFY(WriteMyRadioFile(Profile, {MyRadioElement::fromPath(QStringLiteral("music\\a.mp3"), 10)}).ok());
        RegisterEditorDialogs();
        RegisterMyRadioEditor();
        RegisterMyRadioCopyFrame();
        QVERIFY(showMainWindow());
        auto *editor = qobject_cast<TMyRadioEditor *>(form->Frame(FrameKind::MyRadioEditor));
        auto *copy = qobject_cast<TMyRadioCopyFrame *>(form->Frame(FrameKind::MyRadioCopy));
        QVERIFY(editor && copy);
        // mix.mra opened, a row added from the tree, the Copy button pressed.
        openFromDialog(mainChild<QAction>(form, "MyRadioProfOpen"), QStringLiteral("Mix"));
        const QString editorTitle = mainChild<QLabel>(form, "FileNameLabel")->text();
        editor->FindNode(QStringLiteral("music"))->setExpanded(true);
        editor->ProfileTree->clearSelection();
        editor->FindNode(QStringLiteral("music\\b.mp3"))->setSelected(true);
        editor->AddButton->Click();
        QVERIFY(editor->Modified());
        editor->MyRadioCopyButton->Click();
        QVERIFY(copy->isVisible() && copy->EditorMode());
        for (int answer : answers)
            prompts->expectMessage(msg(Msg::SaveChanges), Button(answer));

        if (route == "menu")
            form->MenuItemClick(mainChild<QAction>(form, "AboutMenuItem"));
        else if (route == "escape")
            QVERIFY(form->FormKeyDown(Qt::Key_Escape, Qt::NoModifier));
        else {
            form->close();
            QVERIFY2(form->isVisible() && copy->isVisible(), "Cancel keeps the window on the copy frame");
            form->close();
        }
        QCOMPARE(prompts->pending(), 0);
        QCOMPARE(savedPaths(), saved);
        QCOMPARE(form->isVisible(), after != "closed");
        if (after == "closed")
            return;
        if (after == "copy") {  // still on the copy frame; its own Close gives the changes back, unasked
            QVERIFY(copy->isVisible() && !editor->isVisible());
            copy->OKButton->Click();
            QVERIFY(editor->isVisible() && editor->Modified());
            QCOMPARE(editor->Rows().size(), 2);
            QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), editorTitle);
            prompts->expectMessage(msg(Msg::SaveChanges), Button::No);
            editor->CancelButton->Click();
            QCOMPARE(prompts->pending(), 0);
            after = "start";
        }
        QVERIFY((after == "about" ? form->Frame(FrameKind::About) : form->StartPanel)->isVisible());
        // The profile was closed: the editor starts an untitled one.
        form->MenuItemClick(mainChild<QAction>(form, "MyProfileEditMenuItem"));
        QVERIFY(editor->Rows().isEmpty() && !editor->Modified());
        QCOMPARE(savedPaths(), saved);
    }
};

QTEST_MAIN(TestMyRadioCopyEditor)
#include "test_myradiocopy_editor.moc"
