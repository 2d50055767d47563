// From picture to logo: loading pictures (JPEG through libjpeg, the rest
// through Qt), the working canvas, the crop and the threshold conversion.
#include "editors/logo/logoconvert.h"
#include "support/testdrives.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <QtEndian>

using namespace voxa;

namespace {

QImage filled(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// A picture with detail everywhere, so that its JPEG data is spread over
// the whole file.
QImage noisy(int w, int h, quint32 seed)
{
    QRandomGenerator rng(seed);
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 255) / w, int(rng.bounded(256)), (y * 255) / h);
    }
    return img;
}

QByteArray encoded(const QImage &img, const char *format, int quality = 95)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format, quality);
    return bytes;
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

int maxDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

}  // namespace

class TestLogoConvert : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void canvas_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("canvasW");
        QTest::addColumn<int>("canvasH");
        QTest::addColumn<int>("offsetX");
        QTest::addColumn<int>("offsetY");
        QTest::newRow("100 x 40") << 100 << 40 << 176 << 64 << 38 << 12;
        QTest::newRow("200 x 50") << 200 << 50 << 200 << 64 << 0 << 7;
        QTest::newRow("176 x 64 is its own canvas") << 176 << 64 << 176 << 64 << 0 << 0;
        QTest::newRow("175 x 64") << 175 << 64 << 176 << 64 << 0 << 0;
        QTest::newRow("176 x 63") << 176 << 63 << 176 << 64 << 0 << 0;
        QTest::newRow("1 x 1") << 1 << 1 << 176 << 64 << 87 << 31;
        QTest::newRow("800 x 600") << 800 << 600 << 800 << 600 << 0 << 0;
        QTest::newRow("50 x 300") << 50 << 300 << 176 << 300 << 63 << 0;
    }
    void canvas()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(int, canvasW);
        QFETCH(int, canvasH);
        QFETCH(int, offsetX);
        QFETCH(int, offsetY);
        const QRgb grey = qRgb(10, 100, 200);
        const QImage picture = filled(w, h, grey);
        for (bool black : {false, true}) {
            const WorkCanvas work = MakeWorkCanvas(picture, black);
            QCOMPARE(work.canvas.size(), QSize(canvasW, canvasH));
            QCOMPARE(work.offset, QPoint(offsetX, offsetY));
            QCOMPARE(work.framed, canvasW != w || canvasH != h);
            const QRgb frame = black ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            for (int y = 0; y < canvasH; ++y)
                for (int x = 0; x < canvasW; ++x) {
                    const bool onPicture = x >= offsetX && x < offsetX + w && y >= offsetY && y < offsetY + h;
                    if ((work.canvas.pixel(x, y) & 0xFFFFFF) != ((onPicture ? grey : frame) & 0xFFFFFF))
                        QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
                }
        }
    }

    // Turning the black frame on and off refills the frame and keeps the
    // picture where it was.
    void refill()
    {
        QImage picture = noisy(100, 40, 3);
        WorkCanvas work = MakeWorkCanvas(picture, false);
        RefillWorkCanvas(work, picture, true);
        QCOMPARE(work.canvas.pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(work.canvas.pixel(175, 63), qRgb(0, 0, 0));
        QCOMPARE(work.canvas.pixel(38, 12), picture.pixel(0, 0));
        QCOMPARE(work.canvas.pixel(137, 51), picture.pixel(99, 39));
        RefillWorkCanvas(work, picture, false);
        QCOMPARE(work.canvas, MakeWorkCanvas(picture, false).canvas);
    }

    void crop()
    {
        const QImage canvas = noisy(300, 200, 7);
        const QImage c = CropCanvas(canvas, {10, 20, 74, 48});
        QCOMPARE(c.size(), QSize(64, 28));
        QCOMPARE(c, canvas.copy(10, 20, 64, 28).convertToFormat(QImage::Format_RGB32));

        // Outside the canvas the crop takes the outside colour.
        const QImage over = CropCanvas(canvas, {290, -5, 310, 5}, qRgb(1, 2, 3));
        QCOMPARE(over.size(), QSize(20, 10));
        QCOMPARE(over.pixel(0, 0), qRgb(1, 2, 3));
        QCOMPARE(over.pixel(0, 5), canvas.pixel(290, 0));
        QCOMPARE(over.pixel(9, 9), canvas.pixel(299, 4));
        QCOMPARE(over.pixel(10, 9), qRgb(1, 2, 3));

        QVERIFY(CropCanvas(canvas, {10, 10, 10, 20}).isNull());
        QVERIFY(CropCanvas(canvas, {10, 10, 5, 20}).isNull());
        // A selection of absurd size is refused, not allocated.
        QVERIFY(CropCanvas(canvas, {-2000000000, -2000000000, 2000000000, 2000000000}).isNull());
    }

    // Brightness is (blue + green + red) div 3, compared with >=.
    void threshold_data()
    {
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<bool>("invert");
        QTest::addColumn<bool>("lit");
        QTest::newRow("grey 128 at 128") << qRgb(128, 128, 128) << 128 << false << true;
        QTest::newRow("grey 128 at 129") << qRgb(128, 128, 128) << 129 << false << false;
        QTest::newRow("grey 128 at 128, inverted") << qRgb(128, 128, 128) << 128 << true << false;
        QTest::newRow("grey 128 at 129, inverted") << qRgb(128, 128, 128) << 129 << true << true;
        QTest::newRow("black at 0") << qRgb(0, 0, 0) << 0 << false << true;
        QTest::newRow("white at 256") << qRgb(255, 255, 255) << 256 << false << false;
        QTest::newRow("white at 255") << qRgb(255, 255, 255) << 255 << false << true;
        QTest::newRow("pure blue is 85") << qRgb(0, 0, 255) << 85 << false << true;
        QTest::newRow("pure blue is not 86") << qRgb(0, 0, 255) << 86 << false << false;
        QTest::newRow("pure red is 85") << qRgb(255, 0, 0) << 85 << false << true;
        QTest::newRow("1+1+2 rounds down") << qRgb(2, 1, 1) << 2 << false << false;
    }
    void threshold()
    {
        QFETCH(QRgb, colour);
        QFETCH(int, threshold);
        QFETCH(bool, invert);
        QFETCH(bool, lit);
        for (int type : {1, 2}) {
            const LogoBitmap logo = ConvertLogo(filled(300, 100, colour), type, threshold, invert);
            QCOMPARE(logo.displayType(), type);
            QCOMPARE(logo.litCount(), lit ? logo.width() * logo.height() : 0);
        }
    }

    // 64 x 28 to 128 x 56: every source pixel twice in each direction.
    void doubling()
    {
        const QImage crop = noisy(64, 28, 11);
        const LogoBitmap logo = ConvertLogo(crop, 1, 128, false);
        for (int y = 0; y < 56; ++y)
            for (int x = 0; x < 128; ++x) {
                const QRgb p = crop.pixel(x / 2, y / 2);
                const bool lit = (qRed(p) + qGreen(p) + qBlue(p)) / 3 >= 128;
                if (logo.pixel(x, y) != lit)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            }
    }

    // Nearest-pixel sampling with truncation: a 3 x 3 crop with one bright
    // column and row shows where each source pixel starts.
    void sampling_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("brightColumn");
        QTest::addColumn<int>("firstX");
        QTest::addColumn<int>("lastX");
        QTest::addColumn<int>("brightRow");
        QTest::addColumn<int>("firstY");
        QTest::addColumn<int>("lastY");
        // 43 x 3/128 = 1.0078; 42 x 3/128 = 0.984; 85 x 3/128 = 1.992.
        QTest::newRow("VOXA-A middle") << 1 << 1 << 43 << 85 << 1 << 19 << 37;
        QTest::newRow("VOXA-A first") << 1 << 0 << 0 << 42 << 0 << 0 << 18;
        QTest::newRow("VOXA-A last") << 1 << 2 << 86 << 127 << 2 << 38 << 55;
        // 59 x 3/176 = 1.0057; 22 x 3/64 = 1.03; 42 x 3/64 = 1.97.
        QTest::newRow("VA-DA middle") << 2 << 1 << 59 << 117 << 1 << 22 << 42;
    }
    void sampling()
    {
        QFETCH(int, type);
        QFETCH(int, brightColumn);
        QFETCH(int, firstX);
        QFETCH(int, lastX);
        QFETCH(int, brightRow);
        QFETCH(int, firstY);
        QFETCH(int, lastY);
        QImage crop = filled(3, 3, qRgb(0, 0, 0));
        crop.setPixel(brightColumn, brightRow, qRgb(255, 255, 255));
        const LogoBitmap logo = ConvertLogo(crop, type, 128, false);
        QCOMPARE(logo.litCount(), (lastX - firstX + 1) * (lastY - firstY + 1));
        QVERIFY(logo.pixel(firstX, firstY));
        QVERIFY(logo.pixel(lastX, lastY));
        QVERIFY(!logo.pixel(firstX - 1, firstY));
        QVERIFY(!logo.pixel(lastX + 1, lastY));
        QVERIFY(!logo.pixel(firstX, firstY - 1));
        QVERIFY(!logo.pixel(lastX, lastY + 1));
    }

    void emptyCrop()
    {
        QCOMPARE(ConvertLogo(QImage(), 1, 0, false).litCount(), 0);
        QCOMPARE(ConvertLogo(QImage(), 2, 0, true).litCount(), 176 * 64);
    }

    // Other pixel formats give the same logo as RGB32.
    void otherFormats()
    {
        const QImage rgb = noisy(200, 90, 5);
        const LogoBitmap expected = ConvertLogo(rgb, 2, 120, false);
        QCOMPARE(ConvertLogo(rgb.convertToFormat(QImage::Format_RGB888), 2, 120, false), expected);
        QCOMPARE(ConvertLogo(rgb.convertToFormat(QImage::Format_ARGB32), 2, 120, false), expected);
    }

    void loadBmp()
    {
        const QImage img = noisy(120, 50, 1);
        QVERIFY(img.save(path(QStringLiteral("a.bmp"))));
        const FileResult<QImage> loaded = LoadSourcePicture(path(QStringLiteral("a.bmp")));
        QVERIFY(loaded.ok());
        QCOMPARE(loaded->format(), QImage::Format_RGB32);
        QCOMPARE(*loaded, img);
    }

    // The content decides, not the name: a BMP called .jpg and a JPEG
    // called .bmp both load.
    void contentDecides()
    {
        const QImage img = noisy(64, 32, 2);
        QVERIFY(writeAll(path(QStringLiteral("bmp.jpg")), encoded(img, "BMP")));
        QVERIFY(writeAll(path(QStringLiteral("jpeg.bmp")), encoded(img, "JPEG", 100)));
        const FileResult<QImage> a = LoadSourcePicture(path(QStringLiteral("bmp.jpg")));
        QVERIFY(a.ok());
        QCOMPARE(*a, img);
        const FileResult<QImage> b = LoadSourcePicture(path(QStringLiteral("jpeg.bmp")));
        QVERIFY(b.ok());
        QCOMPARE(b->size(), img.size());
    }

    void loadJpeg_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("colour") << filled(97, 41, qRgb(200, 40, 90)) << 6;
        QTest::newRow("grey scale") << filled(33, 70, qRgb(77, 77, 77)).convertToFormat(QImage::Format_Grayscale8)
                                    << 3;
        QImage halves = filled(256, 100, qRgb(255, 255, 255));
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 128; ++x)
                halves.setPixel(x, y, qRgb(0, 0, 0));
        QTest::newRow("black and white halves") << halves << 40;
    }
    void loadJpeg()
    {
        QFETCH(QImage, image);
        QFETCH(int, tolerance);
        QVERIFY(writeAll(path(QStringLiteral("p.jpg")), encoded(image, "JPEG", 100)));
        const FileResult<QImage> loaded = LoadSourcePicture(path(QStringLiteral("p.jpg")));
        QVERIFY(loaded.ok());
        QCOMPARE(loaded->size(), image.size());
        QCOMPARE(loaded->format(), QImage::Format_RGB32);
        QVERIFY(maxDifference(*loaded, image.convertToFormat(QImage::Format_RGB32)) <= tolerance);
    }

    void loadJpegFromDevicePath()
    {
        test::TestDriveTable drives;
        const QString root = drives.add('E');
        QVERIFY(QDir().mkpath(root + QStringLiteral("/Pictures")));
        QVERIFY(writeAll(root + QStringLiteral("/Pictures/Sun.JPG"), encoded(noisy(40, 30, 4), "JPEG")));
        QVERIFY(LoadSourcePicture(QStringLiteral("E:\\pictures\\sun.jpg")).ok());
    }

    // Transparent pixels look as on a white page.
    void transparency()
    {
        QImage img(10, 10, QImage::Format_ARGB32);
        img.fill(qRgba(0, 0, 0, 0));
        img.setPixel(1, 1, qRgba(0, 0, 0, 255));
        img.setPixel(2, 2, qRgba(0, 0, 0, 128));
        QVERIFY(writeAll(path(QStringLiteral("t.png")), encoded(img, "PNG")));
        const FileResult<QImage> loaded = LoadSourcePicture(path(QStringLiteral("t.png")));
        QVERIFY(loaded.ok());
        QCOMPARE(loaded->pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(loaded->pixel(1, 1), qRgb(0, 0, 0));
        QCOMPARE(qRed(loaded->pixel(2, 2)), 127);
    }

    // A JPEG damaged halfway is refused rather than half decoded.
    void damagedJpeg_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray good = encoded(noisy(160, 120, 9), "JPEG", 90);
        QVERIFY(good.size() > 4000);
        QVERIFY(DecodeSourcePicture(good).ok());
        const qsizetype half = good.size() / 2;
        QTest::newRow("cut at half") << good.left(half);
        QTest::newRow("cut before the end marker") << good.left(good.size() - 2 - 200);
        QByteArray b = good;
        QRandomGenerator rng(1);
        for (qsizetype i = half; i < b.size() - 2; ++i)
            b[i] = char(rng.bounded(256));
        QTest::newRow("second half garbage") << b;
        b = good;
        b.replace(half, 2, "\xFF\xD9");
        QTest::newRow("end marker halfway") << b;
        b = good;
        for (qsizetype i = half; i < half + 64; ++i)
            b[i] = '\0';
        b.replace(half + 64, 2, "\xFF\xD3");
        QTest::newRow("restart marker halfway") << b;
        QTest::newRow("header only") << good.left(200);
        QTest::newRow("signature only") << good.left(3);
        QTest::newRow("garbage after the signature") << QByteArray("\xFF\xD8\xFF") + QByteArray(500, 'x');
    }
    void damagedJpeg()
    {
        QFETCH(QByteArray, file);
        QVERIFY(writeAll(path(QStringLiteral("d.jpg")), file));
        const FileResult<QImage> loaded = LoadSourcePicture(path(QStringLiteral("d.jpg")));
        QVERIFY(!loaded.ok());
        QCOMPARE(loaded.error().reason, FileFailure::WrongFormat);
        QCOMPARE(loaded.error().subject, path(QStringLiteral("d.jpg")));
    }

    void notAPicture_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("this is not a picture\n");
        const QByteArray bmp = encoded(noisy(50, 50, 2), "BMP");
        QTest::newRow("BMP cut at half") << bmp.left(bmp.size() / 2);
        QTest::newRow("BMP header only") << bmp.left(20);
        QTest::newRow("BMP without its last byte") << bmp.left(bmp.size() - 1);
    }
    void notAPicture()
    {
        QFETCH(QByteArray, file);
        QVERIFY(writeAll(path(QStringLiteral("n.bmp")), file));
        const FileResult<QImage> loaded = LoadSourcePicture(path(QStringLiteral("n.bmp")));
        QVERIFY(!loaded.ok());
        QCOMPARE(loaded.error().reason, FileFailure::WrongFormat);
    }

    void notRegularFilesAreRefusedAtOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << QStringLiteral("fifo");
        QTest::newRow("endless device") << QStringLiteral("/dev/zero");
        QTest::newRow("folder") << QStringLiteral("dir");
    }
    void notRegularFilesAreRefusedAtOnce()
    {
        QFETCH(QString, kind);
        QString target = kind;
        if (kind == QStringLiteral("fifo")) {
            target = path(QStringLiteral("picture.bmp"));
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        } else if (kind == QStringLiteral("dir")) {
            target = dir.path();
        }
        // A pipe with no writer would block a plain read for ever, and
        // /dev/zero would stream without end.
        const FileResult<QImage> loaded = LoadSourcePicture(target);
        QCOMPARE(loaded.error().reason, FileFailure::NotRegularFile);
        QCOMPARE(loaded.error().message(), QStringLiteral("Cannot open the file! Not a regular file"));
    }

    void bmpAlphaByteIsIgnored()
    {
        // A 32-bit BMP with an alpha mask whose black pixels are fully
        // transparent: the conversion sees black, not white.
        QImage argb(4, 2, QImage::Format_ARGB32);
        argb.fill(qRgba(0, 0, 0, 0));
        argb.setPixel(0, 0, qRgba(250, 250, 250, 0));
        QBuffer bmp;
        bmp.open(QIODevice::WriteOnly);
        QVERIFY(argb.save(&bmp, "BMP"));
        const FileResult<QImage> decoded = DecodeSourcePicture(bmp.data());
        QVERIFY(decoded.ok());
        if (!decoded->isNull() && decoded->pixel(1, 1) != qRgb(0, 0, 0))
            QSKIP("this Qt writes BMP without the alpha mask");
        QCOMPARE(decoded->pixel(1, 1), qRgb(0, 0, 0));
        QCOMPARE(decoded->pixel(0, 0), qRgb(250, 250, 250));
        // A PNG is still laid on white.
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        QVERIFY(argb.save(&png, "PNG"));
        QCOMPARE(DecodeSourcePicture(png.data())->pixel(1, 1), qRgb(255, 255, 255));
    }

    // A sound header naming more pixels than the conversion takes is
    // refused as too large, whatever the format, before any pixel memory is
    // taken.
    void pictureOverThePixelLimitSaysSo_data()
    {
        QTest::addColumn<QByteArray>("file");
        // PNG: the header chunk's size fields, its CRC made right again.
        QImage small(1, 1, QImage::Format_RGB32);
        small.fill(Qt::white);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        QVERIFY(small.save(&png, "PNG"));
        QByteArray bytes = png.data();
        qToBigEndian<quint32>(9000, bytes.data() + 16);
        qToBigEndian<quint32>(9000, bytes.data() + 20);
        quint32 crc = 0xFFFFFFFFu;
        for (int i = 12; i < 29; ++i) {
            crc ^= quint8(bytes[i]);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        qToBigEndian<quint32>(~crc, bytes.data() + 29);
        QTest::newRow("PNG 9000 x 9000") << bytes;
        // JPEG: the frame header's height and width.
        const QByteArray jpeg = encoded(noisy(16, 16, 1), "JPEG");
        const qsizetype sof = jpeg.indexOf("\xFF\xC0");
        QVERIFY(sof > 0);
        auto withSize = [&](quint16 w, quint16 h) {
            QByteArray b = jpeg;
            qToBigEndian<quint16>(h, b.data() + sof + 5);
            qToBigEndian<quint16>(w, b.data() + sof + 7);
            return b;
        };
        QTest::newRow("JPEG 9000 x 8000") << withSize(9000, 8000);
        QTest::newRow("JPEG 65520 x 65520") << withSize(65520, 65520);
    }
    void pictureOverThePixelLimitSaysSo()
    {
        QFETCH(QByteArray, file);
        const FileResult<QImage> decoded = DecodeSourcePicture(file);
        QVERIFY(!decoded.ok());
        QCOMPARE(decoded.error().reason, FileFailure::TooLarge);
        QCOMPARE(decoded.error().message(), QStringLiteral("The picture is too large"));
    }

    void cannotOpen()
    {
        QCOMPARE(LoadSourcePicture(path(QStringLiteral("missing.jpg"))).error().reason, FileFailure::CannotOpen);
        QCOMPARE(LoadSourcePicture(dir.path()).error().reason, FileFailure::NotRegularFile);
        QCOMPARE(LoadSourcePicture(path(QStringLiteral("missing.jpg"))).error().message(),
                 QStringLiteral("Cannot open the file!"));
    }

    // The whole chain on a small picture with a black frame: the frame
    // stays dark, the white picture lights up.
    void smallPictureOnBlackFrame()
    {
        const WorkCanvas work = MakeWorkCanvas(filled(100, 40, qRgb(255, 255, 255)), true);
        const LogoBitmap logo = ConvertLogo(CropCanvas(work.canvas, {0, 0, 176, 64}), 2, 128, false);
        QCOMPARE(logo.litCount(), 100 * 40);
        QVERIFY(logo.pixel(38, 12));
        QVERIFY(logo.pixel(137, 51));
        QVERIFY(!logo.pixel(37, 12));
        QVERIFY(!logo.pixel(138, 51));
    }
};

QTEST_GUILESS_MAIN(TestLogoConvert)
#include "test_logoconvert.moc"
