// The skinned controls: their painting arithmetic over a flat background
// and their reaction to the mouse.
#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"
#include "ui/skinlabel.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"
#include "ui/skinprogressbar.h"
#include "ui/skinslider.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

using namespace voxa;

namespace {

QImage flat(QSize size, QRgb colour)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

void mouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton,
           Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void move(QWidget *w, QPoint pos, Qt::MouseButtons buttons = Qt::NoButton)
{
    mouse(w, QEvent::MouseMove, pos, Qt::NoButton, buttons);
}

void click(QWidget *w, QPoint pos)
{
    mouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

void leave(QWidget *w)
{
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(w, &e);
}

const QRgb Key = qRgb(255, 0, 255);
const QRgb Solid = qRgb(200, 30, 30);

// A 10 x 10 picture: transparent colour everywhere (its bottom-left pixel)
// except a solid square from (4,4) to (7,7).
QImage holedPicture()
{
    QImage pic = flat(QSize(10, 10), Key);
    for (int y = 4; y < 8; ++y)
        for (int x = 4; x < 8; ++x)
            pic.setPixel(x, y, Solid);
    return pic;
}

}  // namespace

class TestSkinControls : public QObject {
    Q_OBJECT

    TSkinPanel *panel = nullptr;

private slots:
    void initTestCase() { InstallFontSubstitutes(); }
    void init()
    {
        panel = new TSkinPanel;
        panel->resize(300, 100);
        panel->setBackground(flat(QSize(300, 100), qRgb(100, 100, 100)));
    }
    void cleanup()
    {
        delete panel;
        panel = nullptr;
    }

    // ---------------------------------------------------------- button

    void captionDropsTheFirstAmpersand_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");
        QTest::newRow("mnemonic") << QStringLiteral("Save &As...") << QStringLiteral("Save As...");
        QTest::newRow("only the first") << QStringLiteral("&A&B") << QStringLiteral("A&B");
        QTest::newRow("doubled") << QStringLiteral("&&x") << QStringLiteral("&x");
        QTest::newRow("none") << QStringLiteral("OK") << QStringLiteral("OK");
    }
    void captionDropsTheFirstAmpersand()
    {
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        TSkinButton b(panel);
        b.setCaption(caption);
        QCOMPARE(b.Caption(), shown);
    }

    void unskinnedButtonTintsItsBackground_data()
    {
        QTest::addColumn<QRgb>("under");
        QTest::addColumn<bool>("hover");
        QTest::addColumn<bool>("pressed");
        QTest::addColumn<QRgb>("expected");
        QTest::newRow("normal") << qRgb(10, 20, 150) << false << false << qRgb(10, 90, 220);
        QTest::newRow("hover") << qRgb(10, 20, 150) << true << false << qRgb(10, 120, 250);
        QTest::newRow("pressed") << qRgb(10, 20, 150) << true << true << qRgb(10, 90, 220);
        QTest::newRow("saturates") << qRgb(10, 180, 200) << true << false << qRgb(10, 255, 255);
    }
    void unskinnedButtonTintsItsBackground()
    {
        QFETCH(QRgb, under);
        QFETCH(bool, hover);
        QFETCH(bool, pressed);
        QFETCH(QRgb, expected);
        panel->setBackground(flat(QSize(300, 100), under));
        TSkinButton b(panel);
        b.setAutoSize(false);
        b.setGeometry(10, 10, 81, 25);
        b.setCaption(QStringLiteral("OK"));
        if (hover)
            move(&b, QPoint(2, 2));
        if (pressed)
            mouse(&b, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(b.Hovered(), hover);
        QCOMPARE(b.Pressed(), pressed);
        const QImage pic = b.RenderPicture();
        QCOMPARE(pic.size(), QSize(81, 25));
        QCOMPARE(pic.pixel(1, 1), expected);  // a corner, away from the caption
        // The caption is written in the middle, standing out from the face
        // (white where that reads on it, else dark).
        bool written = false;
        for (int x = 30; x < 50 && !written; ++x)
            for (int y = 5; y < 20 && !written; ++y) {
                const QRgb px = pic.pixel(x, y);
                written = qAbs(qRed(px) - qRed(expected)) + qAbs(qGreen(px) - qGreen(expected))
                        + qAbs(qBlue(px) - qBlue(expected))
                    > 200;
            }
        QVERIFY(written);
    }

    void buttonWithoutParentPictureUsesBaseColor()
    {
        QWidget plain;
        TSkinButton b(&plain);
        b.setAutoSize(false);
        b.resize(20, 10);
        b.setBaseColor(QColor(1, 2, 3));
        // Unskinned: the base colour with blue and green raised by 70.
        QCOMPARE(b.RenderPicture().pixel(0, 0), qRgb(1, 72, 73));
    }

    void normalPictureSizesTheButton()
    {
        TSkinButton b(panel);
        b.setSkinned(true);
        b.setNormalPic(flat(QSize(24, 20), Solid));
        QCOMPARE(b.size(), QSize(24, 20));
        b.setAutoSize(false);
        b.setNormalPic(flat(QSize(50, 50), Solid));
        QCOMPARE(b.size(), QSize(24, 20));
    }

    void transparentPixelDoesNotHover()
    {
        TSkinButton b(panel);
        b.setSkinned(true);
        b.setTransparent(true);
        b.setNormalPic(holedPicture());
        b.setMouseOverPic(holedPicture());
        b.setMouseDownPic(holedPicture());
        b.move(20, 20);
        move(&b, QPoint(1, 1));
        QVERIFY(!b.Hovered());
        move(&b, QPoint(5, 5));
        QVERIFY(b.Hovered());
        // A transparent button loses the hover on a transparent pixel.
        move(&b, QPoint(8, 8));
        QVERIFY(!b.Hovered());
        // Clicking there does nothing.
        int clicks = 0;
        connect(&b, &TSkinButton::OnClick, this, [&] { ++clicks; });
        click(&b, QPoint(1, 1));
        QCOMPARE(clicks, 0);
        // Painting: the parent shows through the transparent pixels.
        const QImage pic = b.RenderPicture();
        QCOMPARE(pic.pixel(1, 1), qRgb(100, 100, 100));
        QCOMPARE(pic.pixel(5, 5), Solid);
    }

    void opaqueButtonKeepsHoverOverKeyColour()
    {
        TSkinButton b(panel);
        b.setSkinned(true);
        b.setNormalPic(holedPicture());
        b.setMouseOverPic(holedPicture());
        move(&b, QPoint(1, 1));
        QVERIFY(!b.Hovered());  // a hover starts only on a picture pixel
        move(&b, QPoint(5, 5));
        QVERIFY(b.Hovered());
        move(&b, QPoint(1, 1));
        QVERIFY(b.Hovered());
        leave(&b);
        QVERIFY(!b.Hovered());
        // Painted without transparency, the key colour shows.
        QCOMPARE(b.RenderPicture().pixel(1, 1), Key);
    }

    void emptyPictureNeverHovers()
    {
        TSkinButton b(panel);
        b.setSkinned(true);
        b.setAutoSize(false);
        b.resize(10, 10);
        move(&b, QPoint(5, 5));
        QVERIFY(!b.Hovered());
    }

    void clickFiresOnceHandlerFirst()
    {
        TSkinButton b(panel);
        b.setAutoSize(false);
        b.resize(30, 20);
        QStringList order;
        b.setClickHandler([&] {
            order << QStringLiteral("handler");
            b.Click();  // not re-entered
        });
        connect(&b, &TSkinButton::OnClick, this, [&] { order << QStringLiteral("OnClick"); });
        move(&b, QPoint(5, 5));
        mouse(&b, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(b.CurrentLook(), TSkinButton::Look::Pressed);
        mouse(&b, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton);
        QCOMPARE(order, QStringList({QStringLiteral("handler"), QStringLiteral("OnClick")}));
        QCOMPARE(b.CurrentLook(), TSkinButton::Look::Hover);
        // A release outside after the pointer left: no click.
        order.clear();
        mouse(&b, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
        move(&b, QPoint(50, 5), Qt::LeftButton);
        mouse(&b, QEvent::MouseButtonRelease, QPoint(50, 5), Qt::LeftButton);
        QVERIFY(order.isEmpty());
        // A press without hover does not press.
        leave(&b);
        mouse(&b, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
        QVERIFY(!b.Pressed());
        // Disabled: no hover, no click.
        b.setEnabled(false);
        move(&b, QPoint(5, 5));
        QVERIFY(!b.Hovered());
        click(&b, QPoint(5, 5));
        QVERIFY(order.isEmpty());
    }

    void hintAppearsAfterADelay()
    {
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        TSkinButton b(panel);
        b.setAutoSize(false);
        b.setGeometry(0, 0, 100, 50);
        b.show();
        b.setShowHint(true);
        b.setHint(QStringLiteral("Open"));
        QCursor::setPos(b.mapToGlobal(QPoint(10, 10)));
        if (b.mapFromGlobal(QCursor::pos()) != QPoint(10, 10))
            QSKIP("this platform does not move the pointer");
        move(&b, QPoint(10, 10));
        QVERIFY(!b.HintShown());
        QTRY_VERIFY_WITH_TIMEOUT(b.HintShown(), 3000);
        const QRect hint = SkinHintWindow()->geometry();
        QCOMPARE(hint.top(), QCursor::pos().y() + 20);
        QCOMPARE(hint.width(), SkinHintWindow()->fontMetrics().horizontalAdvance(QStringLiteral("Open")) + 8);
        mouse(&b, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
        QVERIFY(!b.HintShown());
    }

    // ---------------------------------------------------------- slider

    void knobPosition_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("left");
        QTest::newRow("middle") << 0 << 10 << 5 << 111 << 50;
        QTest::newRow("start") << 0 << 10 << 0 << 111 << 0;
        QTest::newRow("end") << 0 << 10 << 10 << 111 << 100;
        QTest::newRow("rounds down") << 0 << 3 << 1 << 111 << 33;
        QTest::newRow("rounds up") << 0 << 3 << 2 << 111 << 67;
        QTest::newRow("negative range") << -66 << 12 << 0 << 89 << 66;
        QTest::newRow("min equals max") << 5 << 5 << 5 << 111 << 0;
    }
    void knobPosition()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, position);
        QFETCH(int, width);
        QFETCH(int, left);
        TSkinSlider s(panel);
        s.resize(width, 12);
        s.setMax(max);
        s.setMin(min);
        s.setPosition(position);
        QCOMPARE(s.Position(), position);
        QCOMPARE(s.KnobLeft(), left);
    }

    void sliderRangeRules()
    {
        TSkinSlider s(panel);
        s.setMin(0);
        s.setMax(10);
        s.setPosition(4);
        s.setPosition(11);
        QCOMPARE(s.Position(), 4);
        s.setPosition(-1);
        QCOMPARE(s.Position(), 4);
        s.setMin(6);
        QCOMPARE(s.Position(), 6);
        s.setMax(3);
        QCOMPARE(s.Position(), 3);
        QCOMPARE(s.Min(), 3);
        s.setMin(0);
        s.setMax(10);
        s.setFrequency(9);
        QCOMPARE(s.Frequency(), 9);
        s.setFrequency(10);
        QCOMPARE(s.Frequency(), 1);
        s.setFrequency(0);
        QCOMPARE(s.Frequency(), 1);
    }

    void sliderPainting_data()
    {
        QTest::addColumn<int>("grey");
        QTest::newRow("dark") << 100;
        QTest::newRow("bright, saturating") << 200;
    }
    void sliderPainting()
    {
        QFETCH(int, grey);
        panel->setBackground(flat(QSize(300, 100), qRgb(grey, grey, grey)));
        TSkinSlider s(panel);
        s.setGeometry(0, 0, 60, 14);
        s.setMin(0);
        s.setMax(10);
        s.setPosition(10);  // knob at 49..59
        const QImage pic = s.RenderPicture();
        auto up = [&](int by) { return qRgb(grey, std::min(255, grey + by), std::min(255, grey + by)); };
        const int h = 14;
        // Away from the knob: only the track rows are raised.
        QCOMPARE(pic.pixel(5, 0), qRgb(grey, grey, grey));
        QCOMPARE(pic.pixel(5, 2), qRgb(grey, grey, grey));
        for (int y = 3; y <= h - 4; ++y)
            QCOMPARE(pic.pixel(5, y), up(100));
        QCOMPARE(pic.pixel(5, h - 3), qRgb(grey, grey, grey));
        // The knob: highlight at top and bottom and in the middle, the
        // track's line in rows 3 and h - 4.
        for (int x : {49, 54, 59}) {
            QCOMPARE(pic.pixel(x, 0), up(30));
            QCOMPARE(pic.pixel(x, 2), up(30));
            QCOMPARE(pic.pixel(x, 3), up(100));
            QCOMPARE(pic.pixel(x, 4), up(30));
            QCOMPARE(pic.pixel(x, h - 5), up(30));
            QCOMPARE(pic.pixel(x, h - 4), up(100));
            QCOMPARE(pic.pixel(x, h - 1), up(30));
        }
        QCOMPARE(pic.pixel(48, 0), qRgb(grey, grey, grey));
        // Hovering the knob raises its highlight.
        move(&s, QPoint(54, 7));
        QVERIFY(s.KnobHot());
        QCOMPARE(s.RenderPicture().pixel(54, 7), up(50));
        leave(&s);
        QCOMPARE(s.RenderPicture().pixel(54, 7), up(30));
    }

    void sliderDrag()
    {
        TSkinSlider s(panel);
        s.setGeometry(0, 0, 111, 12);  // 100 pixels of travel
        s.setMin(0);
        s.setMax(100);
        s.setPosition(20);
        int changes = 0;
        connect(&s, &TSkinSlider::OnChange, this, [&] { ++changes; });
        // Pressing beside the knob does not drag: it moves a page towards the press.
        mouse(&s, QEvent::MouseButtonPress, QPoint(60, 5), Qt::LeftButton, Qt::LeftButton);
        move(&s, QPoint(70, 5), Qt::LeftButton);
        QCOMPARE(s.Position(), 30);
        mouse(&s, QEvent::MouseButtonRelease, QPoint(70, 5), Qt::LeftButton);
        s.setPosition(20);
        changes = 0;
        // Grabbing the knob 3 pixels into it keeps that offset.
        mouse(&s, QEvent::MouseButtonPress, QPoint(23, 5), Qt::LeftButton, Qt::LeftButton);
        QVERIFY(s.Dragging());
        move(&s, QPoint(53, 5), Qt::LeftButton);
        QCOMPARE(s.Position(), 50);
        QCOMPARE(changes, 1);
        move(&s, QPoint(53, 9), Qt::LeftButton);  // same column: no change
        QCOMPARE(changes, 1);
        move(&s, QPoint(500, 5), Qt::LeftButton);
        QCOMPARE(s.Position(), 100);
        move(&s, QPoint(-500, 5), Qt::LeftButton);
        QCOMPARE(s.Position(), 0);
        QCOMPARE(changes, 3);
        mouse(&s, QEvent::MouseButtonRelease, QPoint(-500, 5), Qt::LeftButton);
        QVERIFY(!s.Dragging());
        move(&s, QPoint(90, 5));
        QCOMPARE(s.Position(), 0);
    }

    // ---------------------------------------------------- progress bar

    void fillEdge_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("edge");
        QTest::newRow("half") << 0 << 100 << 50 << 50;
        QTest::newRow("empty") << 0 << 100 << 0 << 0;
        QTest::newRow("full") << 0 << 100 << 100 << 100;
        QTest::newRow("third") << 0 << 3 << 1 << 33;
        QTest::newRow("min equals max") << 7 << 7 << 7 << 0;
    }
    void fillEdge()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, position);
        QFETCH(int, edge);
        TSkinProgressBar bar(panel);
        bar.resize(101, 10);
        bar.setMax(max);
        bar.setMin(min);
        bar.setPosition(position);
        QCOMPARE(bar.FillEdge(), edge);
    }

    void progressIgnoresOutOfRangeAndPaints()
    {
        TSkinProgressBar bar(panel);
        bar.setGeometry(0, 0, 101, 10);
        bar.setMin(0);
        bar.setMax(10);
        bar.setPosition(5);
        bar.setPosition(11);
        QCOMPARE(bar.Position(), 5);
        bar.setPosition(-1);
        QCOMPARE(bar.Position(), 5);
        const QImage pic = bar.RenderPicture();
        QCOMPARE(pic.pixel(0, 0), qRgb(100, 100, 170));
        QCOMPARE(pic.pixel(50, 9), qRgb(100, 100, 170));
        QCOMPARE(pic.pixel(51, 0), qRgb(100, 200, 200));
        QCOMPARE(pic.pixel(100, 5), qRgb(100, 200, 200));
        bar.setMax(2);
        QCOMPARE(bar.Position(), 2);
        bar.setMin(3);
        QCOMPARE(bar.Position(), 3);
    }

    // ------------------------------------------------------------ menu

    void menuButtonsAreLaidOutByTheirCaptions()
    {
        TSkinMenu bar(panel);
        bar.setGeometry(1, 1, 120, 20);
        QStringList captions = {QStringLiteral("&File"), QStringLiteral("VOXA"), QStringLiteral("Options"),
                                QStringLiteral("Help")};
        QList<TSkinMenuButton *> buttons;
        for (const QString &c : captions) {
            auto *b = new TSkinMenuButton(&bar);
            b->setCaption(c);
            buttons << b;
        }
        bar.LayoutButtons();
        QCOMPARE(buttons[0]->Caption(), QStringLiteral("File"));
        int left = 1;
        for (TSkinMenuButton *b : buttons) {
            QCOMPARE(b->x(), left);
            QCOMPARE(b->y(), 1);
            QCOMPARE(b->height(), 18);
            const int wanted = b->fontMetrics().horizontalAdvance(b->Caption()) + 10;
            QCOMPARE(b->width(), std::min(wanted, std::max(0, 120 - left)));
            left += b->width();
        }
        QVERIFY(buttons.last()->width() < buttons.last()->PreferredWidth());  // shortened at the end
    }

    void menuPainting()
    {
        panel->setBackground(flat(QSize(300, 100), qRgb(20, 40, 200)));
        TSkinMenu bar(panel);
        bar.setGeometry(1, 1, 200, 20);
        auto *b = new TSkinMenuButton(&bar);
        b->setCaption(QStringLiteral("File"));
        bar.LayoutButtons();
        QCOMPARE(bar.BarPicture().pixel(150, 5), qRgb(20, 40, 230));
        QCOMPARE(b->RenderPicture().pixel(1, 1), qRgb(20, 40, 230));
        b->setPopupShown(true);  // hot while its popup is open
        QCOMPARE(b->RenderPicture().pixel(1, 1), qRgb(20, 70, 255));
        b->setPopupShown(false);
        // Without a parent picture the bar tints its colour.
        QWidget plain;
        TSkinMenu lone(&plain);
        lone.resize(10, 10);
        lone.setColor(QColor(0, 0, 0));
        QCOMPARE(lone.BarPicture().pixel(2, 2), qRgb(0, 0, 30));
    }

    void menuOpensAndSwitchesPopups()
    {
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        TSkinMenu bar(panel);
        bar.setGeometry(1, 1, 200, 20);
        auto *file = new TSkinMenuButton(&bar);
        file->setCaption(QStringLiteral("File"));
        auto *help = new TSkinMenuButton(&bar);
        help->setCaption(QStringLiteral("Help"));
        QMenu filePopup, helpPopup;
        filePopup.addAction(QStringLiteral("Exit"));
        helpPopup.addAction(QStringLiteral("About"));
        file->setPopupMenu(&filePopup);
        help->setPopupMenu(&helpPopup);
        bar.show();
        bar.LayoutButtons();
        int clicks = 0;
        connect(file, &TSkinMenuButton::OnClick, this, [&] { ++clicks; });

        click(file, QPoint(3, 3));
        QCOMPARE(clicks, 1);
        QVERIFY(file->PopupShown());
        QVERIFY(bar.MenuOpen());
        QVERIFY(filePopup.isVisible());
        QCOMPARE(filePopup.pos(), file->mapToGlobal(QPoint(0, file->height() + 1)));

        // With a popup open, pointing at another button opens its popup.
        bar.TrackPointer(help->mapToGlobal(QPoint(3, 3)));
        QVERIFY(!file->PopupShown());
        QVERIFY(!filePopup.isVisible());
        QVERIFY(help->PopupShown());
        QVERIFY(helpPopup.isVisible());
        QVERIFY(bar.MenuOpen());
        // Below the button (into the popup) keeps it open.
        bar.TrackPointer(help->mapToGlobal(QPoint(3, 40)));
        QVERIFY(helpPopup.isVisible());
        // Leaving upwards closes it.
        bar.TrackPointer(help->mapToGlobal(QPoint(3, -10)));
        QVERIFY(!help->PopupShown());
        QVERIFY(!helpPopup.isVisible());
        QVERIFY(!bar.MenuOpen());

        // A second click on an open button closes its popup.
        file->Click();
        QVERIFY(filePopup.isVisible());
        file->Click();
        QVERIFY(!filePopup.isVisible());
        QVERIFY(!bar.MenuOpen());

        // A finished command closes the bar.
        file->Click();
        bar.CloseMenus();
        QVERIFY(!file->PopupShown());
        QVERIFY(!bar.MenuOpen());
        QVERIFY(!filePopup.isVisible());

        // Disabling the bar disables its buttons.
        bar.setEnabled(false);
        QVERIFY(!file->isEnabled());
    }

    // ----------------------------------------------------------- label

    void labelSizeAndBorder()
    {
        TSkinLabel label(panel);
        label.setCaption(QStringLiteral("Priority"));
        label.setAutoSize(true);
        const QFontMetrics fm(label.font());
        QCOMPARE(label.size(), QSize(fm.horizontalAdvance(QStringLiteral("Priority")) + 2, fm.height() + 2));
        label.setBorder(true);
        const QImage pic = label.RenderPicture();
        QCOMPARE(pic.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(pic.pixel(pic.width() - 1, pic.height() - 1), qRgb(255, 255, 255));
        label.setBorder(false);
        QCOMPARE(label.RenderPicture().pixel(0, 0), qRgb(100, 100, 100));
    }
};

QTEST_MAIN(TestSkinControls)
#include "test_skincontrols.moc"
