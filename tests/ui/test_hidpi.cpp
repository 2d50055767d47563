// On a screen at twice the density: the custom-drawn captions are drawn as
// text at the device pixel ratio (as sharp as text drawn there directly), and
// every frame's window fits a 1920 x 1080 screen or scrolls. The program runs
// on its own screen of that size at scale factor 2 (see main).
#include "app/controlframe.h"
#include "app/drivelocator.h"
#include "app/features.h"
#include "app/frametable.h"
#include "app/mainform.h"
#include "app/stepanimation.h"
#include "support/testdrives.h"
#include "ui/framescroller.h"
#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"
#include "ui/skinslider.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QTest>

using namespace voxa;

namespace {

// Pixels of a caption, told apart by how much of the text colour they carry
// over what lies beneath (the same picture without the caption).
struct Edges {
    int solid = 0;
    int partial = 0;
    // The share of the caption's pixels that are neither text nor
    // background: the blur along the glyph edges.
    double blur() const { return solid + partial ? double(partial) / (solid + partial) : 1.0; }
};

Edges measure(const QImage &withText, const QImage &without, QColor text)
{
    Edges e;
    const QImage a = withText.convertToFormat(QImage::Format_RGB32);
    const QImage b = without.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size())
        return e;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int to[3] = {text.red(), text.green(), text.blue()};
            const int from[3] = {qRed(q), qGreen(q), qBlue(q)};
            const int at[3] = {qRed(p), qGreen(p), qBlue(p)};
            double sum = 0;
            int channels = 0;
            for (int c = 0; c < 3; ++c)
                if (std::abs(to[c] - from[c]) >= 40) {
                    sum += double(at[c] - from[c]) / (to[c] - from[c]);
                    ++channels;
                }
            if (!channels)
                continue;
            const double coverage = sum / channels;
            if (coverage > 0.85)
                ++e.solid;
            else if (coverage > 0.15)
                ++e.partial;
        }
    return e;
}

// The same text drawn directly at ratio 2 on a flat picture: the sharpness
// to match.
Edges reference(QSize logical, const QFont &font, QColor text, QColor under, const QRect &where, int flags,
                const QString &caption)
{
    QImage blank = DevicePicture(logical, 2.0);
    blank.fill(under);
    QImage drawn = blank.copy();
    QPainter p(&drawn);
    p.setFont(font);
    p.setPen(text);
    p.drawText(where, flags, caption);
    p.end();
    return measure(drawn, blank, text);
}

// What a caption painted at 1 and enlarged looks like (how it was).
QImage enlarged(const QImage &picture)
{
    return picture.scaled(picture.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage grabbed(QWidget *w)
{
    return w->grab().toImage();
}

// The sample player's drive for the frames, and the frames themselves.
class SampleLocator : public DriveLocator {
public:
    TOtherFrame *createChooser(TMainForm &) override { return nullptr; }
    bool LocateManager(TMainForm &, bool) override { return true; }
    void CompleteInstallation(TMainForm &) override {}
};

}  // namespace

class TestHiDpi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        InstallFontSubstitutes();
        QVERIFY(LoadSkinFrom(QStringLiteral(VOXA_SOURCE_DIR "/data/defaultskin.bmp")));
        QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(960, 540));
    }

    // Each custom-drawn caption: painted at ratio 2, its edges are no blurrier
    // than the same text drawn at 2, and clearly sharper than the caption
    // painted at 1 and enlarged.
    void captionsAreSharp_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("caption");
        QTest::newRow("menu bar") << QStringLiteral("menu") << QStringLiteral("Options");
        QTest::newRow("skinned button") << QStringLiteral("button") << QStringLiteral("New Image");
        QTest::newRow("unskinned button") << QStringLiteral("plain") << QStringLiteral("Cancel");
        QTest::newRow("track-bar number") << QStringLiteral("slider") << QStringLiteral("-12 dB");
        QTest::newRow("start panel") << QStringLiteral("start") << QStringLiteral("Playdisplay Editor");
    }
    void captionsAreSharp()
    {
        QFETCH(QString, control);
        QFETCH(QString, caption);
        // Dark enough that white captions keep their colour on every face.
        const QColor under(20, 20, 40);
        TSkinPanel panel;
        panel.resize(300, 80);
        QImage flat(300, 80, QImage::Format_RGB32);
        flat.fill(under);
        panel.setBackground(flat);

        QImage with, without, withAt1, withoutAt1;
        QColor text = Qt::white;
        QFont font;
        QRect where;
        int flags = Qt::AlignCenter | Qt::TextSingleLine;
        if (control == QLatin1String("menu")) {
            auto *bar = new TSkinMenu(&panel);
            bar->setGeometry(0, 0, 300, 20);
            auto *b = new TSkinMenuButton(bar);
            b->setCaption(caption);
            const QRect g = b->geometry();
            with = grabbed(b);
            withAt1 = b->RenderPicture();
            b->setCaption(QString());
            b->setGeometry(g);
            without = grabbed(b);
            withoutAt1 = b->RenderPicture();
            font = b->font();
            where = QRect(QPoint(0, 0), g.size());
        } else if (control == QLatin1String("button") || control == QLatin1String("plain")) {
            auto *b = new TSkinButton(&panel);
            b->setAutoSize(false);
            b->setGeometry(10, 10, 110, 25);
            if (control == QLatin1String("button")) {
                b->setSkinned(true);
                QImage pic(110, 25, QImage::Format_RGB32);
                pic.fill(QColor(30, 30, 30));
                b->setNormalPic(pic);
            }
            b->setCaption(caption);
            with = grabbed(b);
            withAt1 = b->RenderPicture().copy();
            b->setCaption(QString());
            without = grabbed(b);
            withoutAt1 = b->RenderPicture().copy();
            font = b->font();
            where = control == QLatin1String("button") ? QRect(1, 1, 108, 23) : QRect(0, 0, 110, 25);
        } else if (control == QLatin1String("slider")) {
            auto *s = new TSkinSlider(&panel);
            s->setGeometry(10, 10, 160, 22);
            s->setMax(100);
            s->setPosition(100);  // the knob away from the text
            s->setFontColor(Qt::white);
            s->setCaption(caption);
            with = grabbed(s);
            withAt1 = s->RenderPicture();
            s->setCaption(QString());
            without = grabbed(s);
            withoutAt1 = s->RenderPicture();
            font = s->font();
            where = QRect(0, 0, 160, 22);
        } else {
            // Made as the start panel makes it: at the application's ratio.
            with = MakeStartPanelPicture(skin::StartButton::Playdisplay, skin::State::Normal, caption, false);
            without = MakeStartPanelPicture(skin::StartButton::Playdisplay, skin::State::Normal, QString(), false);
            withAt1 = MakeStartPanelPicture(skin::StartButton::Playdisplay, skin::State::Normal, caption, false, 1.0);
            withoutAt1 = MakeStartPanelPicture(skin::StartButton::Playdisplay, skin::State::Normal, QString(), false,
                                               1.0);
            QCOMPARE(with.deviceIndependentSize().toSize(), skin::StartButtonSize);
            text = QColor(101, 101, 101);
            font = ImpactFont(StartPanelCaptionPointSize(caption, skin::StartButtonSize.width(), false));
            where = skin::region(45, 0, skin::StartButtonSize.width() - 4, skin::StartButtonSize.height());
            flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        }
        QCOMPARE(with.size(), withAt1.size() * 2);
        const Edges drawn = measure(with, without, text);
        const Edges before = measure(enlarged(withAt1), enlarged(withoutAt1), text);
        const QSize logical = withAt1.size();
        const Edges ideal = reference(logical, font, text, under, where, flags, caption);
        QVERIFY2(drawn.solid > 20, qPrintable(QString::number(drawn.solid)));
        const double limit = ideal.blur() * 1.25 + 0.02;
        QVERIFY2(drawn.blur() <= limit, qPrintable(QStringLiteral("blur %1, text at 2x %2")
                                                        .arg(drawn.blur())
                                                        .arg(ideal.blur())));
        // The measure tells the two apart.
        QVERIFY2(before.blur() > limit, qPrintable(QStringLiteral("enlarged %1, text at 2x %2")
                                                        .arg(before.blur())
                                                        .arg(ideal.blur())));
    }

    // The skinned controls' tints land on the same logical pixels at 2 as
    // at 1: the picture at 2, shrunk by picking every second pixel, is the
    // picture at 1 where no text is.
    void tintsKeepTheirPlaces_data()
    {
        QTest::addColumn<int>("position");
        QTest::newRow("knob left") << 0;
        QTest::newRow("knob middle") << 50;
    }
    void tintsKeepTheirPlaces()
    {
        QFETCH(int, position);
        TSkinPanel panel;
        panel.resize(200, 40);
        QImage ramp(200, 40, QImage::Format_RGB32);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 200; ++x)
                ramp.setPixel(x, y, qRgb(x, 40 + y, 100));
        panel.setBackground(ramp);
        auto *s = new TSkinSlider(&panel);
        s->setGeometry(20, 10, 120, 20);
        s->setMax(100);
        s->setPosition(position);
        const QImage at1 = s->RenderPicture(1.0);
        const QImage at2 = s->RenderPicture(2.0);
        QCOMPARE(at2.size(), QSize(240, 40));
        // The panel's picture is scaled smoothly: compare with what lies
        // beneath at 2, tinted as at 1.
        QImage under2 = panel.BackgroundAt(2.0).copy(40, 20, 240, 40);
        QImage under1 = ramp.copy(20, 10, 120, 20);
        int differing = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 120; ++x) {
                const int raised1 = qBlue(at1.pixel(x, y)) - qBlue(under1.pixel(x, y));
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx) {
                        const int raised2 = qBlue(at2.pixel(2 * x + dx, 2 * y + dy))
                                          - qBlue(under2.pixel(2 * x + dx, 2 * y + dy));
                        differing += raised1 != raised2;
                    }
            }
        QCOMPARE(differing, 0);
    }

    // A transparent start panel button at 2: its transparent colour stays
    // exact, so nothing of the button's surroundings shows a fringe, and its
    // hover follows the same pixels as at 1.
    void startButtonKeepsItsTransparentColour()
    {
        const QImage at2 = MakeStartPanelPicture(skin::StartButton::Config, skin::State::Normal, QString(), false);
        const QImage at1 = MakeStartPanelPicture(skin::StartButton::Config, skin::State::Normal, QString(), false, 1);
        const QRgb key = at1.pixel(0, at1.height() - 1);
        QCOMPARE(at2.pixel(0, at2.height() - 1), key);
        int keyAt1 = 0, keyAt2 = 0;
        for (int y = 0; y < at1.height(); ++y)
            for (int x = 0; x < at1.width(); ++x)
                keyAt1 += at1.pixel(x, y) == key;
        for (int y = 0; y < at2.height(); ++y)
            for (int x = 0; x < at2.width(); ++x)
                keyAt2 += at2.pixel(x, y) == key;
        // About four times as many, give or take the smoothed contour.
        QVERIFY2(std::abs(keyAt2 - 4 * keyAt1) <= keyAt1 / 10,
                 qPrintable(QStringLiteral("%1 %2").arg(keyAt1).arg(keyAt2)));

        TSkinPanel panel;
        panel.resize(200, 60);
        auto *b = new TSkinButton(&panel);
        b->setSkinned(true);
        b->setTransparent(true);
        b->setNormalPic(at2);
        b->setMouseOverPic(at2);
        QCOMPARE(b->size(), skin::StartButtonSize);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QMouseEvent corner(QEvent::MouseMove, QPointF(0, 37), QPointF(b->mapToGlobal(QPoint(0, 37))), Qt::NoButton,
                           Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(b, &corner);
        QVERIFY(!b->Hovered());
        QMouseEvent middle(QEvent::MouseMove, QPointF(70, 19), QPointF(b->mapToGlobal(QPoint(70, 19))), Qt::NoButton,
                           Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(b, &middle);
        QVERIFY(b->Hovered());
    }

    void shownFrameSize_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("room");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("fits") << QSize(600, 400) << QSize(923, 451) << QSize(600, 400);
        QTest::newRow("fits exactly") << QSize(923, 451) << QSize(923, 451) << QSize(923, 451);
        QTest::newRow("too high") << QSize(660, 470) << QSize(923, 451) << QSize(676, 451);
        QTest::newRow("too wide") << QSize(900, 300) << QSize(800, 451) << QSize(800, 316);
        QTest::newRow("bar makes it too wide") << QSize(915, 470) << QSize(923, 451) << QSize(923, 451);
        QTest::newRow("both") << QSize(1200, 900) << QSize(923, 451) << QSize(923, 451);
    }
    void shownFrameSize()
    {
        QFETCH(QSize, frame);
        QFETCH(QSize, room);
        QFETCH(QSize, shown);
        QCOMPARE(ShownFrameSize(frame, room, 16), shown);
    }

    // Every frame, shown on the 1920 x 1080 screen at 2: the window lies
    // within the available area, and the frame lies within the window or in
    // a scroll area whose scroll bars reach all of it.
    void everyFrameIsReachable_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("start panel") << int(FrameKind::Count);
        for (const FrameRow &row : FrameTable())
            if (row.status)
                QTest::newRow(row.status) << int(row.kind);
    }
    void everyFrameIsReachable()
    {
        QFETCH(int, kind);
        test::TestDriveTable drives;
        const QString root = drives.add('V');
        for (const char *dir : {"voxa/manager/Language", "voxa/config", "voxa/myradio"})
            QVERIFY(QDir(root).mkpath(QString::fromLatin1(dir)));
        SampleLocator locator;
        setDriveLocator(&locator);
        auto restore = qScopeGuard([] { setDriveLocator(nullptr); });
        TMainForm::setInstantAnimations(true);
        RegisterFeatures();
        TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.move(0, 0);
        QWidget *frame = nullptr;
        if (kind == int(FrameKind::Count)) {
            form.StartPanel = new TControlFrame(&form);
            frame = form.StartPanel;
        } else {
            form.EnsureFrame(FrameKind(kind), false);
            frame = form.Frame(FrameKind(kind));
        }
        QVERIFY(frame);
        form.ShowFrame(frame);
        QTRY_VERIFY(!form.Busy());
        QVERIFY(frame->isVisible());

        const QRect available = form.screen()->availableGeometry();
        QVERIFY2(available.contains(form.geometry()),
                 qPrintable(QStringLiteral("window %1 x %2 at %3, %4")
                                .arg(form.width())
                                .arg(form.height())
                                .arg(form.x())
                                .arg(form.y())));
        auto *scroller = TFrameScroller::of(&form);
        if (scroller->Held() == frame) {
            QVERIFY(scroller->isVisible());
            QVERIFY(form.rect().contains(scroller->geometry()));
            const QSize view = scroller->viewport()->size();
            QCOMPARE(view.width() + scroller->horizontalScrollBar()->maximum(), frame->width());
            QCOMPARE(view.height() + scroller->verticalScrollBar()->maximum(), frame->height());
            // Scrolled to the end, a control at the frame's top comes back
            // into view when it takes the focus.
            auto *top = new QLineEdit(frame);
            top->setGeometry(0, 0, 40, 20);
            top->show();
            QScrollBar *bar = scroller->verticalScrollBar();
            bar->setValue(bar->maximum());
            QVERIFY(bar->maximum() > 0);
            QApplication::setActiveWindow(&form);
            top->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(top->hasFocus());
            QCOMPARE(bar->value(), 0);
        } else {
            QVERIFY(!scroller->isVisible());
            QCOMPARE(frame->parentWidget(), &form);
            QVERIFY(form.rect().contains(frame->geometry()));
        }
        // Back to a small frame: the frame leaves the scroller.
        auto *small = new QWidget(&form);
        small->resize(200, 100);
        small->hide();
        frame->hide();  // as closing it does
        QVERIFY(!scroller->isVisible());
        form.ShowFrame(small);
        QTRY_VERIFY(!form.Busy());
        QCOMPARE(frame->parentWidget(), &form);
        QVERIFY(frame->isHidden());
        QVERIFY(!scroller->isVisible());
        QCOMPARE(form.size(), QSize(form.ToolPanel->x() + form.ToolPanel->width() + 200,
                                    form.Border->y() + form.Border->height() + 100));
    }
};

int main(int argc, char **argv)
{
    // One 1920 x 1080 screen at twice the density.
    QTemporaryFile config(QDir::tempPath() + QStringLiteral("/voxa-hidpi-XXXXXX.json"));
    if (!config.open())
        return 1;
    config.write(R"({"screens": [{"name": "hidpi", "x": 0, "y": 0, "width": 1920, "height": 1080,
                     "logicalDpi": 96, "logicalBaseDpi": 96}]})");
    config.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hidpi.moc"
