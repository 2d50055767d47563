// The skin picture's regions and the pictures composed from them, checked
// pixel by pixel on a skin of flat colours, and the default skin itself.
#include "ui/skin.h"
#include "ui/skinfonts.h"
#include "ui/skingen/skinpainter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace voxa;

namespace {

// Every region in a flat colour of its own, so where a pixel came from can
// be told by its colour alone.
const QRgb BorderLeftRgb = qRgb(200, 10, 10);
const QRgb FillerRgb = qRgb(10, 200, 10);
const QRgb ToolPanelRgb = qRgb(10, 10, 200);
const QRgb Piece1Rgb = qRgb(200, 200, 10);
const QRgb Piece2Rgb = qRgb(10, 200, 200);

QImage flatSkin()
{
    QImage img(skin::SkinWidth, skin::SkinHeight, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.fillRect(skin::BorderLeft, QColor(BorderLeftRgb));
    p.fillRect(skin::BorderFiller, QColor(FillerRgb));
    p.fillRect(skin::ToolPanel, QColor(ToolPanelRgb));
    p.fillRect(skin::WorkAreaPiece1, QColor(Piece1Rgb));
    p.fillRect(skin::WorkAreaPiece2, QColor(Piece2Rgb));
    // A tool button region with a gradient, to see which pixels are kept.
    const QRect open = skin::toolRegion(skin::Tool::Open, false);
    for (int y = 0; y < open.height(); ++y)
        for (int x = 0; x < open.width(); ++x)
            img.setPixel(open.left() + x, open.top() + y, qRgb(x * 10, y * 10, 77));
    return img;
}

int countColour(const QImage &img, QRect area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (img.pixel(x, y) | 0xFF000000u) == (colour | 0xFF000000u);
    return n;
}

}  // namespace

class TestSkin : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString flatPath;

    void useFlatSkin() { QVERIFY(LoadSkinFrom(flatPath)); }

private slots:
    void initTestCase()
    {
        InstallFontSubstitutes();
        flatPath = dir.filePath(QStringLiteral("flat.bmp"));
        QVERIFY(flatSkin().save(flatPath, "BMP"));
    }
    void init() { useFlatSkin(); }
    void cleanupTestCase() { UnloadSkin(); }

    void loadRefusesMissingAndGarbage()
    {
        UnloadSkin();
        QVERIFY(!LoadSkinFrom(dir.filePath(QStringLiteral("none.bmp"))));
        QFile garbage(dir.filePath(QStringLiteral("garbage.bmp")));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("BM\x10\x00 not a picture at all");
        garbage.close();
        QVERIFY(!LoadSkinFrom(garbage.fileName()));
        QVERIFY(!SkinLoaded());
        // Builders give nothing without a skin.
        QVERIFY(MakeFrameBackground(10, 10).isNull());
        QVERIFY(LoadSkinFrom(flatPath));
        QCOMPARE(SkinBitmap().format(), QImage::Format_RGB32);
    }

    void raiseSaturates_data()
    {
        QTest::addColumn<int>("component");
        QTest::addColumn<int>("amount");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << 100 << 30 << 130;
        QTest::newRow("exactly 255") << 225 << 30 << 255;
        QTest::newRow("226 + 30") << 226 << 30 << 255;
        QTest::newRow("155 + 100") << 155 << 100 << 255;
        QTest::newRow("156 + 100") << 156 << 100 << 255;
        QTest::newRow("255 + 70") << 255 << 70 << 255;
        QTest::newRow("zero amount") << 17 << 0 << 17;
    }
    void raiseSaturates()
    {
        QFETCH(int, component);
        QFETCH(int, amount);
        QFETCH(int, expected);
        QImage img(3, 1, QImage::Format_RGB32);
        img.fill(qRgb(component, component, component));
        RaiseComponents(img, QRect(1, 0, 5, 1), amount, amount);  // partly outside: clipped
        QCOMPARE(qBlue(img.pixel(1, 0)), expected);
        QCOMPARE(qGreen(img.pixel(2, 0)), expected);
        QCOMPARE(qRed(img.pixel(1, 0)), component);  // red untouched
        QCOMPARE(img.pixel(0, 0), qRgb(component, component, component));
    }

    void narrowBorderIsCopiedUnscaled()
    {
        const QImage b = MakeBorderBackground(387, 68);
        QCOMPARE(b.size(), QSize(387, 68));
        QCOMPARE(countColour(b, b.rect(), BorderLeftRgb), 387 * 68);
        const QImage narrow = MakeBorderBackground(120, 68);
        QCOMPARE(narrow.size(), QSize(120, 68));
        QCOMPARE(countColour(narrow, narrow.rect(), BorderLeftRgb), 120 * 68);
    }

    void wideBorderStretchesTheFiller_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("388") << 388;
        QTest::newRow("chooser") << 471;
        QTest::newRow("about") << 443;
    }
    void wideBorderStretchesTheFiller()
    {
        QFETCH(int, width);
        const QImage b = MakeBorderBackground(width, 68);
        QCOMPARE(b.size(), QSize(width, 68));
        QCOMPARE(countColour(b, QRect(0, 0, 387, 68), BorderLeftRgb), 387 * 68);
        QCOMPARE(countColour(b, QRect(387, 0, width - 387, 68), FillerRgb), (width - 387) * 68);
    }

    void toolPanelKeepsItsSizeAndFillsBelow()
    {
        const QImage t = MakeToolPanelBackground(35, 296);
        QCOMPARE(t.size(), QSize(35, 296));
        QCOMPARE(countColour(t, QRect(0, 0, 35, 151), ToolPanelRgb), 35 * 151);
        QCOMPARE(countColour(t, QRect(0, 151, 35, 145), skin::BackgroundRgb), 35 * 145);
    }

    void frameBackgroundPlacesBothPieces_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("start panel") << QSize(345, 151);
        QTest::newRow("about") << QSize(408, 296);
        QTest::newRow("chooser") << QSize(436, 180);
    }
    void frameBackgroundPlacesBothPieces()
    {
        QFETCH(QSize, size);
        const int w = size.width(), h = size.height();
        const QImage f = MakeFrameBackground(w, h);
        QCOMPARE(f.size(), size);
        // Piece 1 is drawn last and wins where the two meet.
        const QRect piece1 = skin::Piece1Target.intersected(f.rect());
        QCOMPARE(countColour(f, piece1, Piece1Rgb), piece1.width() * piece1.height());
        // Piece 2 ends one pixel before the right and bottom edges.
        QCOMPARE((f.pixel(w - 2, h - 2) | 0xFF000000u), Piece2Rgb);
        QCOMPARE((f.pixel(w - 1, h - 1) | 0xFF000000u), skin::BackgroundRgb);
        QCOMPARE(countColour(f, QRect(0, h - 1, w, 1), skin::BackgroundRgb) + countColour(f, QRect(0, h - 1, w, 1), Piece1Rgb), w);
        if (w > 264 + 74)
            QCOMPARE((f.pixel(w - 264 - 1, h - 2) | 0xFF000000u), skin::BackgroundRgb);
    }

    void buttonPictureDropsTheLastRowAndColumn()
    {
        const QRect region = skin::toolRegion(skin::Tool::Open, false);
        const QImage pic = MakeButtonPicture(region, skin::ToolButtonSize);
        QCOMPARE(pic.size(), QSize(24, 24));
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 23; ++x)
                QCOMPARE(pic.pixel(x, y), qRgb(x * 10, y * 10, 77));
        QCOMPARE(countColour(pic, QRect(23, 0, 1, 24), skin::BackgroundRgb), 24);
        QCOMPARE(countColour(pic, QRect(0, 23, 24, 1), skin::BackgroundRgb), 24);
    }

    void scaleNearestStretches()
    {
        QImage src(2, 1, QImage::Format_RGB32);
        src.setPixel(0, 0, qRgb(1, 1, 1));
        src.setPixel(1, 0, qRgb(2, 2, 2));
        const QImage wide = ScaleNearest(src, QSize(5, 2));
        QCOMPARE(wide.pixel(0, 1), qRgb(1, 1, 1));
        QCOMPARE(wide.pixel(2, 0), qRgb(1, 1, 1));
        QCOMPARE(wide.pixel(3, 0), qRgb(2, 2, 2));
        QCOMPARE(wide.pixel(4, 1), qRgb(2, 2, 2));
        QVERIFY(ScaleNearest(src, QSize(0, 3)).isNull());
    }

    void stretchColumnKeepsTheEnds_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("column");
        QTest::addColumn<QList<int>>("picked");  // source column of each target column
        QTest::newRow("middle column repeated") << 8 << 2 << QList<int>{0, 1, 2, 2, 2, 2, 3, 4};
        QTest::newRow("first column repeated") << 7 << 0 << QList<int>{0, 0, 0, 1, 2, 3, 4};
        QTest::newRow("last column repeated") << 7 << 4 << QList<int>{0, 1, 2, 3, 4, 4, 4};
        QTest::newRow("same width: a copy") << 5 << 2 << QList<int>{0, 1, 2, 3, 4};
        // Out of its use: the nearest-neighbour scale.
        QTest::newRow("narrower") << 3 << 2 << QList<int>{0, 1, 3};
        QTest::newRow("column outside") << 10 << 5 << QList<int>{0, 0, 1, 1, 2, 2, 3, 3, 4, 4};
        QTest::newRow("negative column") << 10 << -1 << QList<int>{0, 0, 1, 1, 2, 2, 3, 3, 4, 4};
    }
    void stretchColumnKeepsTheEnds()
    {
        QFETCH(int, width);
        QFETCH(int, column);
        QFETCH(QList<int>, picked);
        QImage src(5, 3, QImage::Format_RGB32);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                src.setPixel(x, y, qRgb(x * 40, y * 40, 9));
        // Two rows from three: the top ones, as ScaleNearest picks them.
        const QImage out = StretchColumn(src, QSize(width, 2), column);
        QCOMPARE(out.size(), QSize(width, 2));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < width; ++x)
                QCOMPARE(out.pixel(x, y), qRgb(picked[x] * 40, y * 40, 9));
        QVERIFY(StretchColumn(QImage(), QSize(4, 4), 1).isNull());
        QVERIFY(StretchColumn(src, QSize(0, 4), 1).isNull());
    }

    void pressedStartPictureIsWidenedByItsStretchColumn()
    {
        // A pressed region with a column of its own colour each; the
        // picture keeps its first 32 and its last 8 (but the region's last)
        // columns, and the stretch column fills the rest.
        QImage img = flatSkin();
        const QRect r = skin::startRegion(skin::StartButton::Logo, skin::State::Pressed);
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x)
                img.setPixel(r.left() + x, r.top() + y, qRgb(x * 6, y * 6, 201));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("skin.bmp"));
        QVERIFY(img.save(path));
        QVERIFY(LoadSkinFrom(path));
        const QImage pic = MakeStartPanelPicture(skin::StartButton::Logo, skin::State::Pressed, QString(), false);
        QCOMPARE(pic.size(), skin::StartButtonSize);
        const int c = skin::StartPressedStretchColumn;
        for (int y = 0; y < 37; ++y) {
            for (int x = 0; x < 141; ++x) {
                const int from = x < c ? x : x < 141 - (40 - c) ? c : x - 141 + 41;
                QCOMPARE(pic.pixel(x, y), qRgb(from * 6, y * 6, 201));
            }
        }
        QCOMPARE(countColour(pic, QRect(141, 0, 1, 38), skin::BackgroundRgb), 38);
        QCOMPARE(countColour(pic, QRect(0, 37, 142, 1), skin::BackgroundRgb), 142);
        UnloadSkin();
    }

    void captionShrinks_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("small");
        QTest::addColumn<int>("expected");
        QTest::newRow("short, normal set") << QStringLiteral("Update") << false << 10;
        QTest::newRow("short, small set") << QStringLiteral("Update") << true << 8;
        const QString huge = QStringLiteral("An extraordinarily long caption for a start button");
        QTest::newRow("too long, normal set stops at 6") << huge << false << 6;
        QTest::newRow("too long, small set stops at 4") << huge << true << 4;
    }
    void captionShrinks()
    {
        QFETCH(QString, caption);
        QFETCH(bool, small);
        QFETCH(int, expected);
        QCOMPARE(StartPanelCaptionPointSize(caption, 142, small), expected);
    }

    void captionShrinksUntilItFits()
    {
        // A caption just too wide at 10 points is made smaller, but no more
        // than needed.
        QImage probe(1, 1, QImage::Format_RGB32);
        QString caption = QStringLiteral("Playdisplay");
        while (QFontMetrics(ImpactFont(10), &probe).horizontalAdvance(caption) <= 92)
            caption += QLatin1Char('x');
        const int size = StartPanelCaptionPointSize(caption, 142, false);
        QVERIFY(size < 10);
        QVERIFY(size >= 6);
        if (size > 6)
            QVERIFY(QFontMetrics(ImpactFont(size), &probe).horizontalAdvance(caption) <= 92);
        QVERIFY(QFontMetrics(ImpactFont(size + 1), &probe).horizontalAdvance(caption) > 92);
    }

    void captionIsPaintedRightOfTheIcon()
    {
        QImage pic(142, 38, QImage::Format_RGB32);
        pic.fill(Qt::white);
        PaintStartPanelCaption(pic, QStringLiteral("Config Editor"), false);
        // Left of 45 nothing is written; to the right there is grey text,
        // vertically around the middle.
        QCOMPARE(countColour(pic, QRect(0, 0, 45, 38), qRgb(255, 255, 255)), 45 * 38);
        int dark = 0, top = 38, bottom = 0;
        for (int y = 0; y < 38; ++y)
            for (int x = 45; x < 142; ++x)
                if (qGray(pic.pixel(x, y)) < 140) {
                    ++dark;
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        QVERIFY(dark > 20);
        QVERIFY(std::abs((top + bottom) / 2 - 19) <= 3);
        QCOMPARE(countColour(pic, pic.rect(), qRgb(101, 101, 101)) > 0, true);
    }

    void defaultSkinMatchesItsPainter()
    {
        QImage committed(QStringLiteral(VOXA_SOURCE_DIR "/data/defaultskin.bmp"));
        QVERIFY2(!committed.isNull(), "data/defaultskin.bmp is missing");
        const QImage painted = voxa::skingen::PaintDefaultSkin();
        QCOMPARE(committed.size(), painted.size());
        QVERIFY2(committed.convertToFormat(QImage::Format_RGB32) == painted.convertToFormat(QImage::Format_RGB32),
                 "data/defaultskin.bmp is out of date: run \"ninja defaultskin\"");
    }

    void defaultSkinPressedStartPicturesLookLikeTheOthers()
    {
        // Pressed, a start button keeps the outline of its normal picture
        // (no stair-stepped or blurred corners from widening a narrow
        // picture) and shows its icon.
        QVERIFY(LoadSkinFrom(QStringLiteral(VOXA_SOURCE_DIR "/data/defaultskin.bmp")));
        const QRgb key = skin::BackgroundRgb;
        for (int b = 0; b < skin::StartButtonCount; ++b) {
            const auto button = skin::StartButton(b);
            const QImage normal = MakeStartPanelPicture(button, skin::State::Normal, QString(), false);
            const QImage pressed = MakeStartPanelPicture(button, skin::State::Pressed, QString(), false);
            QCOMPARE(pressed.size(), normal.size());
            int outlineDiffers = 0;
            for (int y = 0; y < normal.height(); ++y)
                for (int x = 0; x < normal.width(); ++x)
                    outlineDiffers += ((normal.pixel(x, y) | 0xFF000000u) == key)
                                      != ((pressed.pixel(x, y) | 0xFF000000u) == key);
            QCOMPARE(outlineDiffers, 0);
            // The badge: a dark disc left of the caption, out of the
            // repeated column, on a light plate.
            int dark = 0;
            for (int y = 6; y < 32; ++y)
                for (int x = 8; x < 32; ++x)
                    dark += qGray(pressed.pixel(x, y)) < 100;
            QVERIFY2(dark > 250, qPrintable(QString::number(dark)));
            for (int y = 6; y < 32; ++y)
                QVERIFY(qGray(pressed.pixel(skin::StartPressedStretchColumn, y)) > 140);
        }
        UnloadSkin();
    }

    void defaultSkinButtonsHaveTransparentCorners()
    {
        QVERIFY(LoadSkinFrom(QStringLiteral(VOXA_SOURCE_DIR "/data/defaultskin.bmp")));
        auto check = [](QRect region, QSize size) {
            const QImage pic = MakeButtonPicture(region, size);
            const QRgb key = pic.pixel(0, pic.height() - 1) | 0xFF000000u;
            QCOMPARE(key, skin::BackgroundRgb);
            QCOMPARE(pic.pixel(0, 0) | 0xFF000000u, key);
            QVERIFY((pic.pixel(size.width() / 2, size.height() / 2) | 0xFF000000u) != key);
        };
        for (int t = 0; t < skin::ToolCount; ++t) {
            check(skin::toolRegion(skin::Tool(t), false), skin::ToolButtonSize);
            check(skin::toolRegion(skin::Tool(t), true), skin::ToolButtonSize);
        }
        for (int b = 0; b < skin::StartButtonCount; ++b)
            for (skin::State s : {skin::State::Normal, skin::State::Hover, skin::State::Pressed})
                check(skin::startRegion(skin::StartButton(b), s), skin::StartButtonSize);
        check(skin::XButtonNormal, skin::XButtonSize);
        check(skin::XButtonHover, skin::XButtonSize);
        // The work-area pieces blend into the background colour at the
        // edges that meet the plain work area.
        const QImage piece1 = SkinRegion(skin::WorkAreaPiece1);
        QCOMPARE(countColour(piece1, QRect(85, 0, 1, 151), skin::BackgroundRgb), 151);
        QCOMPARE(countColour(piece1, QRect(0, 150, 86, 1), skin::BackgroundRgb), 86);
        const QImage piece2 = SkinRegion(skin::WorkAreaPiece2);
        QCOMPARE(countColour(piece2, QRect(0, 0, 1, 151), skin::BackgroundRgb), 151);
        QCOMPARE(countColour(piece2, QRect(0, 0, 264, 1), skin::BackgroundRgb), 264);
    }
};

QTEST_MAIN(TestSkin)
#include "test_skin.moc"
