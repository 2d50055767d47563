// At device pixel ratio 2 on 1920 x 1080: captions are as sharp as text drawn at 2; every frame fits or scrolls.
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
#include "support/mainwidgets.h"

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

// Pixels fully (solid) or partly (partial, the glyph-edge blur) text coloured.
struct Edges {
    int solid = 0;
    int partial = 0;
    double blur() const { return solid + partial ? double(partial) / (solid + partial) : 1.0; }
};

Edges measure(const QImage &withText, const QImage &without, QColor text)
{
    Edges e;
    const QImage a = withText.convertToFormat(QImage::Format_RGB32);
    const QImage b = without.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size())
        return e;
    const int to[3] = {text.red(), text.green(), text.blue()};
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int from[3] = {qRed(q), qGreen(q), qBlue(q)}, at[3] = {qRed(p), qGreen(p), qBlue(p)};
            double sum = 0;
            int n = 0;
            for (int c = 0; c < 3; ++c)
                if (std::abs(to[c] - from[c]) >= 40)
                    sum += double(at[c] - from[c]) / (to[c] - from[c]), ++n;
            const double share = n ? sum / n : 0;
            e.solid += share > 0.85;
            e.partial += share > 0.15 && share <= 0.85;
        }
    return e;
}

class SampleLocator : public DriveLocator {
public:
    TOtherFrame *createChooser(StartupHost &, QWidget *) override { return nullptr; }
    bool LocateManager(StartupHost &, bool) override { return true; }
    void CompleteInstallation(StartupHost &) override {}
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

    // A caption painted at 2 is no blurrier than text drawn at 2, and sharper than one painted at 1 and enlarged.
    void captionsAreSharp_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("caption");
        QTest::newRow("menu bar") << QStringLiteral("menu") << QStringLiteral("Options");
        QTest::newRow("button") << QStringLiteral("button") << QStringLiteral("New Image");
        QTest::newRow("track-bar number") << QStringLiteral("slider") << QStringLiteral("-12 dB");
        QTest::newRow("start panel") << QStringLiteral("start") << QStringLiteral("Playdisplay Editor");
    }
    void captionsAreSharp()
    {
        QFETCH(QString, control);
        QFETCH(QString, caption);
        const QColor under(20, 20, 40);  // dark enough for white captions on every face
        QImage flat(300, 80, QImage::Format_RGB32);
        flat.fill(under);
        TSkinPanel panel;
        panel.resize(flat.size());
        panel.setBackground(flat);

        QImage with, without, withAt1, withoutAt1;
        QColor text = Qt::white;
        QFont font;
        QRect where;
        int flags = Qt::AlignCenter | Qt::TextSingleLine;
        const auto shoot = [&](auto *w) {
            w->setCaption(caption);
            const QRect g = w->geometry();
            with = w->grab().toImage();
            withAt1 = w->RenderPicture().copy();
            w->setCaption(QString());
            w->setGeometry(g);
            without = w->grab().toImage();
            withoutAt1 = w->RenderPicture().copy();
            font = w->font();
            where = QRect(QPoint(0, 0), g.size());
        };
        if (control == QLatin1String("menu")) {
            auto *bar = new TSkinMenu(&panel);
            bar->setGeometry(0, 0, 300, 20);
            shoot(new TSkinMenuButton(bar));
        } else if (control == QLatin1String("button")) {
            auto *b = new TSkinButton(&panel);
            b->setAutoSize(false);
            b->setGeometry(10, 10, 110, 25);
            b->setSkinned(true);
            QImage pic(110, 25, QImage::Format_RGB32);
            pic.fill(QColor(30, 30, 30));
            b->setNormalPic(pic);
            shoot(b);
            where.adjust(1, 1, -1, -1);
        } else if (control == QLatin1String("slider")) {
            auto *s = new TSkinSlider(&panel);
            s->setGeometry(10, 10, 160, 22);
            s->setMax(100);
            s->setPosition(100);  // the knob away from the text
            s->setFontColor(Qt::white);
            shoot(s);
        } else {
            const auto start = [](const QString &c, qreal ratio) {
                return MakeStartPanelPicture(skin::StartButton::Playdisplay, skin::State::Normal, c, false, ratio);
            };
            with = start(caption, 0);
            without = start(QString(), 0);
            withAt1 = start(caption, 1.0);
            withoutAt1 = start(QString(), 1.0);
            text = QColor(101, 101, 101);
            font = ImpactFont(StartPanelCaptionPointSize(caption, skin::StartButtonSize.width(), false));
            where = skin::region(45, 0, skin::StartButtonSize.width() - 4, skin::StartButtonSize.height());
            flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        }
        QCOMPARE(with.size(), withAt1.size() * 2);
        // The reference: the same text drawn directly at 2 on a flat picture.
        QImage blank = DevicePicture(withAt1.size(), 2.0);
        blank.fill(under);
        QImage direct = blank.copy();
        QPainter p(&direct);
        p.setFont(font);
        p.setPen(text);
        p.drawText(where, flags, caption);
        p.end();
        const Edges drawn = measure(with, without, text), ideal = measure(direct, blank, text);
        const auto enlarged = [](const QImage &at1) { return at1.scaled(at1.size() * 2, Qt::IgnoreAspectRatio); };
        const Edges before = measure(enlarged(withAt1), enlarged(withoutAt1), text);
        QVERIFY2(drawn.solid > 20, qPrintable(QString::number(drawn.solid)));
        const double limit = ideal.blur() * 1.25 + 0.02;
        const QString blurs =
            QStringLiteral("blur %1, enlarged %2, at 2x %3").arg(drawn.blur()).arg(before.blur()).arg(ideal.blur());
        QVERIFY2(drawn.blur() <= limit, qPrintable(blurs));
        QVERIFY2(before.blur() > limit, qPrintable(blurs));  // the measure tells the two apart
    }

    // A transparent start panel button at 2 keeps its exact transparent colour and hovers on the same pixels.
    void startButtonKeepsItsTransparentColour()
    {
        const QImage at2 = MakeStartPanelPicture(skin::StartButton::Config, skin::State::Normal, QString(), false);
        const QImage at1 = MakeStartPanelPicture(skin::StartButton::Config, skin::State::Normal, QString(), false, 1);
        const QRgb key = at1.pixel(0, at1.height() - 1);
        QCOMPARE(at2.pixel(0, at2.height() - 1), key);
        const auto keyed = [key](const QImage &image) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += image.pixel(x, y) == key;
            return n;
        };
        const int keyAt1 = keyed(at1), keyAt2 = keyed(at2);  // about four times as many
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
        for (const auto &[at, hovered] : {std::pair{QPoint(0, 37), false}, std::pair{QPoint(70, 19), true}}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(b->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QCoreApplication::sendEvent(b, &move);
            QVERIFY2(b->Hovered() == hovered, hovered ? "not hovered in the middle" : "hovered in the clear corner");
        }
    }

    void shownFrameSize_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("room");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("too high") << QSize(660, 470) << QSize(923, 451) << QSize(676, 451);
        QTest::newRow("too wide") << QSize(900, 300) << QSize(800, 451) << QSize(800, 316);
        QTest::newRow("bar makes it too wide") << QSize(915, 470) << QSize(923, 451) << QSize(923, 451);
    }
    void shownFrameSize()
    {
        QFETCH(QSize, frame);
        QFETCH(QSize, room);
        QFETCH(QSize, shown);
        QCOMPARE(ShownFrameSize(frame, room, 16), shown);
    }

    // Every frame at 2: the window lies on the screen, the frame in it or in a scroll area reaching all of it.
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
            frame = form.StartPanel = new TControlFrame(&form);
        } else {
            form.EnsureFrame(FrameKind(kind), false);
            frame = form.Frame(FrameKind(kind));
        }
        QVERIFY(frame);
        form.ShowFrame(frame);
        QTRY_VERIFY(!form.Busy());
        QVERIFY2(form.screen()->availableGeometry().contains(form.geometry()),
                 qPrintable(QStringLiteral("window %1 x %2").arg(form.width()).arg(form.height())));
        auto *scroller = TFrameScroller::of(&form);
        if (scroller->Held() == frame) {
            QVERIFY(form.rect().contains(scroller->geometry()));
            const QSize view = scroller->viewport()->size();
            QCOMPARE(view.width() + scroller->horizontalScrollBar()->maximum(), frame->width());
            QCOMPARE(view.height() + scroller->verticalScrollBar()->maximum(), frame->height());
            // Scrolled to the end, a control at the frame's top comes into view when focused.
            auto *top = new QLineEdit(frame);
            top->setGeometry(0, 0, 40, 20);
            top->show();
            QScrollBar *bar = scroller->verticalScrollBar();
            bar->setValue(bar->maximum());
            QApplication::setActiveWindow(&form);
            top->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(top->hasFocus());
            QCOMPARE(bar->value(), 0);
        } else {
            QVERIFY(!scroller->isVisible());
            QCOMPARE(frame->parentWidget(), &form);
            QVERIFY(form.rect().contains(frame->geometry()));
        }
        // Hidden, then a small frame shown: the frame leaves the scroller and no scroll area is left.
        auto *small = new QWidget(&form);
        small->resize(200, 100);
        small->hide();
        frame->hide();
        form.ShowFrame(small);
        QTRY_VERIFY(!form.Busy());
        QCOMPARE(frame->parentWidget(), &form);
        QVERIFY(!scroller->isVisible());
        QCOMPARE(form.size(), QSize(mainChild<TSkinPanel>(form, "ToolPanel")->x() + mainChild<TSkinPanel>(form, "ToolPanel")->width() + 200,
                                    mainChild<TSkinPanel>(form, "Border")->y() + mainChild<TSkinPanel>(form, "Border")->height() + 100));
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
