// Flow tests of the playdisplay editor: driven through the main window and
// with the pointer on its drawing area, with scripted answers.
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "app/shellstubs.h"
#include "editors/playdisplay/playdisplayeditor.h"
#include "platform/fileops.h"
#include "support/framewindow.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "support/toolrun.h"
#include "ui/skinbutton.h"
#include "support/mainwidgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QtEndian>

using namespace voxa;

class TestPlaydisplayEditor : public QObject, private test::FrameWindow {
    Q_OBJECT

    TPlaydisplayEditor *editor = nullptr;

    // A new, untitled layout shown from the VOXA menu.
    void showNew(int displayType = VoxaADisplay)
    {
        appState().DisplayType = quint8(displayType);
        mainChild<QAction>(form, "PlayDisplEditorItem")->trigger();
        QVERIFY(editor->isVisible());
    }

    void add(const char *caption, bool big = false, bool inverse = false)
    {
        (big ? editor->Point12Button : editor->Point8Button)->setChecked(true);
        editor->InvertCheck->setChecked(inverse);
        const auto items = editor->StringList->findItems(QString::fromLatin1(caption), Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        editor->StringList->setCurrentItem(items.first());
        QVERIFY(editor->NewTextFieldButton->isEnabled());
        editor->NewTextFieldButton->Click();
    }

    // The pointer on a display pixel (the middle of its 3 x 3 block).
    QPoint at(int x, int y) const { return TPlaydisplayEditor::AreaPoint({x, y}) + QPoint(1, 1); }

    void press(int x, int y)
    {
        QTest::mouseMove(editor->CurrentArea(), at(x, y));
        QTest::mousePress(editor->CurrentArea(), Qt::LeftButton, {}, at(x, y));
    }
    void dragTo(int x, int y)
    {
        // Offscreen, a synthetic move does not carry the held button.
        editor->PlayDispPaintMouseMove(at(x, y), true);
    }
    void release(int x, int y) { QTest::mouseRelease(editor->CurrentArea(), Qt::LeftButton, {}, at(x, y)); }

    PlayField selected() const { return editor->Items()[editor->Selected()]; }

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }

    void init()
    {
        QVERIFY(prepare());
        RegisterPlaydisplayEditor();
        QVERIFY(showMainWindow());
        editor = qobject_cast<TPlaydisplayEditor *>(form->Frame(FrameKind::PlaydisplayEditor));
        QVERIFY(editor);
    }

    void cleanup() { tearDown(); }

    void addedFieldsSitOnTheBottomRow_data()
    {
        QTest::addColumn<QByteArray>("caption");
        QTest::addColumn<bool>("big");
        QTest::addColumn<bool>("inverse");
        QTest::addColumn<int>("displayType");
        QTest::addColumn<QRect>("expected");  // left, top, width, bottom row
        QTest::newRow("ID3 Title, 8") << QByteArray("ID3 Title") << false << false << VoxaADisplay << QRect(0, 48, 114, 55);
        QTest::newRow("ID3 Title, 12 inverse")
            << QByteArray("ID3 Title") << true << true << VoxaADisplay << QRect(0, 43, 114, 55);
        QTest::newRow("Play status, 12") << QByteArray("Play status") << true << false << VoxaADisplay << QRect(0, 44, 18, 55);
        QTest::newRow("ID3 Year, 12, VA-DA") << QByteArray("ID3 Year") << true << false << VaDaDisplay << QRect(0, 52, 30, 63);
    }
    void addedFieldsSitOnTheBottomRow()
    {
        QFETCH(QByteArray, caption);
        QFETCH(bool, big);
        QFETCH(bool, inverse);
        QFETCH(int, displayType);
        QFETCH(QRect, expected);
        showNew(displayType);
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Playdisplay Editor: Untitled"));
        QVERIFY(!editor->Modified());
        add(caption.constData(), big, inverse);
        const PlayField f = selected();
        QCOMPARE(int(f.left), expected.x());
        QCOMPARE(int(f.top), expected.y());
        QCOMPARE(f.width(), expected.width());
        QCOMPARE(FieldBottom(f), expected.height());
        QCOMPARE(editor->TXLabel->text(), QString::number(expected.x()));
        QCOMPARE(editor->TFWidthLabel->text(), QString::number(expected.width()));
        QVERIFY(editor->Modified());
    }

    void selectingACoveredFieldBringsItToTheEnd()
    {
        showNew();
        add("ID3 Title");   // 0..113, rows 48..55
        add("ID3 Year");    // 0..25, same rows: on top of the title
        QCOMPARE(editor->Fields().size(), 2);
        QVERIFY(editor->Overlapped());
        const bool modified = editor->Modified();
        // A click on a pixel only the title covers selects it and moves it last.
        press(60, 50);
        release(60, 50);
        QCOMPARE(editor->Fields().last().kind, quint32(4));
        QCOMPARE(editor->Selected(), 2);
        QCOMPARE(editor->StringList->currentItem()->text(), QStringLiteral("ID3 Title"));
        QCOMPARE(editor->Modified(), modified);
        // An empty spot selects nothing.
        press(60, 10);
        release(60, 10);
        QCOMPARE(editor->Selected(), 0);
        QCOMPARE(editor->TXLabel->text(), QStringLiteral("N/A"));
    }

    void edgeResizeKeepsThreeColumns()
    {
        showNew();
        add("Mono/Stereo Info");  // 8 wide: columns 0..7
        // Shrink from the right edge to 3 wide, then try further.
        editor->PlayDispPaintMouseMove(at(7, 50), false);
        QCOMPARE(editor->PointerShape(), Qt::SizeHorCursor);
        press(7, 50);
        dragTo(3, 50);
        QCOMPARE(selected().width(), 3);
        dragTo(1, 50);
        dragTo(0, 50);
        QCOMPARE(selected().width(), 3);
        QCOMPARE(selected().right, selected().rightAgain);
        release(0, 50);
        editor->PlayDispPaintMouseMove(at(60, 20), false);
        QCOMPARE(editor->PointerShape(), Qt::ArrowCursor);
    }

    void dragStopsAtTheEdges()
    {
        showNew();
        editor->VUMeterCheck->click();  // no VU meter in the way
        add("ID3 Track");  // 16 wide, rows 48..55
        press(5, 50);
        // Up and right, slowly, then far beyond the right edge.
        for (int x = 6; x <= 127; ++x)
            dragTo(x, 50);
        QCOMPARE(int(selected().right), 128);
        QCOMPARE(int(selected().left), 112);
        dragTo(200, 50);
        QCOMPARE(int(selected().right), 128);
        // Down against the last row.
        for (int y = 49; y <= 60; ++y)
            dragTo(127, y);
        QCOMPARE(FieldBottom(selected()), 55);
        release(127, 60);
        // Down on the last row does nothing.
        QVERIFY(editor->ImageKeyDown(Qt::Key_Down, {}));
        QCOMPARE(FieldBottom(selected()), 55);
        QVERIFY(editor->ImageKeyDown(Qt::Key_Up, {}));
        QCOMPARE(FieldBottom(selected()), 54);
        QCOMPARE(editor->TYLabel->text(), QStringLiteral("47"));
    }

    void keysReachTheEditorThroughTheWindow()
    {
        showNew();
        add("ID3 Track");
        QTest::keyClick(form, Qt::Key_Right);
        QCOMPARE(int(selected().left), 1);
        QTest::keyClick(form, Qt::Key_Left);
        QTest::keyClick(form, Qt::Key_Left);
        QCOMPARE(int(selected().left), 0);
        QTest::keyClick(form, Qt::Key_Delete);
        QVERIFY(editor->Fields().isEmpty());
        QCOMPARE(editor->Selected(), 0);
    }

    void displayTypeSwitchRescales()
    {
        showNew();
        add("ID3 Title", true);  // 12 pixel: top 44
        QCOMPARE(int(selected().top), 44);
        editor->VOXACCheck->click();
        QCOMPARE(editor->CurrentDisplayType(), VaDaDisplay);
        QVERIFY(!editor->VOXAACheck->isChecked());
        QVERIFY(!editor->AutoscrollButton->isEnabled());
        QCOMPARE(int(selected().top), 51);
        QCOMPARE(int(selected().right), 156);  // 114 x 531/387 = 156.4
        editor->VOXAACheck->click();
        QCOMPARE(int(selected().top), 44);
        // Clicking the box in force leaves it on.
        editor->VOXAACheck->click();
        QVERIFY(editor->VOXAACheck->isChecked());
        QCOMPARE(editor->CurrentDisplayType(), VoxaADisplay);
    }

    void sharedCornerBlocksSaving()
    {
        showNew();
        add("ID3 Track");  // columns 0..15, rows 48..55
        press(2, 50);
        for (int y = 49; y >= 40; --y)
            dragTo(2, y);
        release(2, 40);
        QCOMPARE(int(selected().top), 38);  // rows 38..45
        add("ID3 Track");  // columns 0..15, rows 48..55
        press(2, 50);
        for (int x = 3; x <= 17; ++x)
            dragTo(x, 50);
        for (int y = 49; y >= 47; --y)
            dragTo(17, y);
        release(17, 47);
        // The second field's top-left pixel (15, 45) is the first one's last.
        QCOMPARE(int(selected().left), 15);
        QCOMPARE(int(selected().top), 45);
        QVERIFY(editor->Overlapped());
        const QImage img = editor->CurrentArea()->picture;
        QCOMPARE(img.pixelColor(TPlaydisplayEditor::AreaPoint({15, 45}) + QPoint(1, 1)), QColor(Qt::red));
        prompts->expectMessage(QStringLiteral("overlapped fields"));
        QTest::keyClick(form, Qt::Key_S, Qt::ControlModifier);
        // One column to the right, the two no longer touch.
        QTest::keyClick(form, Qt::Key_Right);
        QVERIFY(!editor->Overlapped());
    }

    void vuMeterOffAllowsSavingAndMatchesTheTool()
    {
        showNew();
        add("Play status");  // columns 0..17, rows 48..55
        editor->ImageKeyDown(Qt::Key_Up, {});
        for (int i = 0; i < 110; ++i)
            editor->ImageKeyDown(Qt::Key_Right, {});
        QCOMPARE(int(selected().left), 110);  // last column 127, rows 47..54: on the VU meter
        QVERIFY(editor->Overlapped());
        editor->VUMeterCheck->click();
        QVERIFY(!editor->Overlapped());
        editor->setFileName(QStringLiteral("V:\\voxa\\config\\play.ply"));
        QTest::keyClick(form, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!editor->Modified());
        const QByteArray saved = test::TestDriveTable::readFile(editor->FileName());
        QCOMPARE(saved.size(), 512);
        const QString toolOut = drives->root('V') + QStringLiteral("/tool.ply");
        const test::Run r = test::run({QStringLiteral("playdisplay"), toolOut, QStringLiteral("--no-vumeter"),
                                       QStringLiteral("Play status"), QStringLiteral("at=110,47")});
        QCOMPARE(r.status, 0);
        QCOMPARE(saved, test::readAll(toolOut));
        // Reopened, the layout is the same.
        QVERIFY(editor->CloseEditor(true));
        editor->setFileName(QStringLiteral("V:\\voxa\\config\\play.ply"));
        QVERIFY(editor->Load());
        QCOMPARE(editor->Fields().size(), 1);
        QVERIFY(!editor->VUMeterCheck->isChecked());
    }

    void openedLayoutShowsItsNameAndSelectsNothing()
    {
        const test::Run r = test::run({QStringLiteral("playdisplay"),
                                       drives->root('V') + QStringLiteral("/voxa/config/wide.ply"), QStringLiteral("--type"),
                                       QStringLiteral("va-da"), QStringLiteral("ID3 Title"), QStringLiteral("width=150")});
        QCOMPARE(r.status, 0);
        editor->setFileName(QStringLiteral("V:\\voxa\\config\\wide.ply"));
        QVERIFY(editor->Load());
        form->ShowFrame(editor);
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Playdisplay Editor: wide"));
        QCOMPARE(editor->CurrentDisplayType(), VaDaDisplay);
        QVERIFY(editor->BigPlayDispPaint->isVisible());
        QVERIFY(!editor->PlayDispPaint->isVisible());
        QCOMPARE(editor->Selected(), 0);
        editor->ImageKeyDown(Qt::Key_Up, {});  // nothing selected: no change
        QVERIFY(!editor->Modified());
    }

    // A damaged field is brought onto the display when read, no drag or key moves it off, and it saves right > left.
    void damagedFieldsStayOnTheDisplay_data()
    {
        QTest::addColumn<QList<int>>("record");  // left, right, top
        QTest::addColumn<int>("displayType");
        QTest::newRow("wider than VA-DA") << QList<int>{0, 200, 20} << VaDaDisplay;
        QTest::newRow("right before left") << QList<int>{100, 50, 20} << VoxaADisplay;
        QTest::newRow("beyond the right side") << QList<int>{300, 310, 10} << VaDaDisplay;
        QTest::newRow("below the display") << QList<int>{10, 40, 900} << VaDaDisplay;
    }
    void damagedFieldsStayOnTheDisplay()
    {
        QFETCH(QList<int>, record);
        QFETCH(int, displayType);
        const QString path = QStringLiteral("V:\\voxa\\config\\damaged.ply");
        QByteArray bytes = QByteArray("R7PLY1.00\0", 10) + QByteArray(502, '\0');
        for (const int i : {0, 1, 2})  // left, right, top
            qToLittleEndian<quint16>(quint16(record[i]), bytes.data() + 12 + 2 * i);
        qToLittleEndian<quint16>(quint16(record[1]), bytes.data() + 20);  // right again
        bytes[18] = char(PlayFlag::Used | PlayFlag::Left);
        QVERIFY(test::TestDriveTable::writeFile(path, bytes));
        editor->setFileName(path);
        QVERIFY(editor->Load());
        form->ShowFrame(editor);
        QCOMPARE(editor->CurrentDisplayType(), displayType);
        const DisplayGeometry g = PlayGeometry(displayType);
        const auto onDisplay = [&] {
            const PlayField f = editor->Fields().first();
            return f.left < f.right && f.right <= g.width && f.right == f.rightAgain && FieldBottom(f) < g.height;
        };
        QVERIFY(onDisplay());
        const PlayField f = editor->Fields().first();
        for (const int x : {(f.left + f.right - 1) / 2, int(f.left), f.right - 1}) {
            editor->PlayDispPaintMouseMove(at(x, f.top + 1), false);
            press(x, f.top + 1);
            for (const QPoint to : {QPoint(x - 3, f.top), QPoint(-300, -300), QPoint(300, 300), QPoint(x + 2, 5)}) {
                dragTo(to.x(), to.y());
                QVERIFY(onDisplay());
            }
            release(x + 2, 5);
        }
        for (const int key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up})
            for (int i = 0; i < 200; ++i) {
                editor->ImageKeyDown(key, {});
                QVERIFY(onDisplay());
            }
        QVERIFY(editor->SaveDocument());
        const FileResult<PlaydisplayDocument> saved = LoadPlaydisplayFile(path);
        QVERIFY(saved.ok());
        QCOMPARE(saved->layout.fields, editor->Fields());
    }

    void unreadableFilesAreReported_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("Cannot open the file!");
        QTest::newRow("garbage") << QByteArray("R7CFG1.00\0junk") << QStringLiteral("Wrong file format");
        QTest::newRow("cut after header") << QByteArray("R7PLY1.00\0\1", 12) << QStringLiteral("Wrong file format");
    }
    void unreadableFilesAreReported()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString path = QStringLiteral("V:\\voxa\\config\\bad.ply");
        if (!content.isEmpty())
            QVERIFY(test::TestDriveTable::writeFile(path, content));
        prompts->expectMessage(message);
        editor->setFileName(path);
        QVERIFY(!editor->Load());
        QVERIFY(!editor->isVisible());
    }
};

QTEST_MAIN(TestPlaydisplayEditor)
#include "test_playdisplayeditor.moc"
