// Feeds the logo, companion, playdisplay and picture readers thousands of
// damaged files: every cut of a good file, and good files with flipped,
// overwritten, inserted and deleted bytes, plus plain garbage. No reader may
// crash or read past the bytes it was given (build with VOXA_ASAN to check
// the latter), and whatever a reader accepts must write back and read again
// to the same document.
#include "editors/logo/logoconvert.h"
#include "editors/logo/logofile.h"
#include "editors/playdisplay/playdisplayfile.h"
#include "support/testdrive.h"
#include "support/mutate.h"

#include <QBuffer>
#include <algorithm>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTest>

using namespace voxa;

namespace {

QByteArray logoSeed(int type, quint32 seed)
{
    QRandomGenerator rng(seed);
    LogoBitmap logo(type);
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            logo.setPixel(x, y, rng.bounded(3) == 0);
    return logoFileBytes(logo);
}

QByteArray companionSeed()
{
    return *logoCompanionBytes({{-3, 12, 600, 280}, 140, QStringLiteral("V:\\pictures\\Esti fény.jpg")});
}

QByteArray playdisplaySeed()
{
    PlayLayout layout;
    for (int i = 0; i < PlayMaxFields; ++i) {
        PlayField f = MakePlayField(PlayContentKinds()[i], i % 2, i % 3 == 0, PlayAlignment(i % 4), 2);
        f.left = quint16(i * 3);
        f.setRight(quint16(f.left + 10));
        f.top = quint16(i * 3);
        f.reserved16 = quint32(i * 0x01010101);
        layout.fields.append(f);
    }
    return *playdisplayFileBytes(layout);
}

QByteArray pictureSeed(const char *format, bool grey = false, bool progressive = false)
{
    QImage img(48, 32, QImage::Format_RGB32);
    QRandomGenerator rng(5);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x * 5, int(rng.bounded(256)), y * 8));
    if (grey)
        img = img.convertToFormat(QImage::Format_Grayscale8);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(75);
    writer.setProgressiveScanWrite(progressive);
    writer.write(img);
    return bytes;
}

QByteArray mutate(const QByteArray &b, QRandomGenerator &rng)
{
    static const char special[] = {'\0', '\x01', '\x7F', '\x80', '\xFF', '\xD8', '\xD9', '\xC0'};
    return test::mutateBytes(b, rng, {6, QByteArrayView(special, sizeof special), 64});
}

// The damaged files of a seed: every cut, then mutations.
QList<QByteArray> damaged(const QByteArray &seed, int mutations, quint32 rngSeed, int cutStep = 1)
{
    QList<QByteArray> out;
    for (qsizetype n = 0; n < seed.size(); n += cutStep)
        out.append(seed.left(n));
    QRandomGenerator rng(rngSeed);
    for (int i = 0; i < mutations; ++i)
        out.append(mutate(seed, rng));
    for (int i = 0; i < 50; ++i) {
        QByteArray garbage(qsizetype(rng.bounded(2000)), '\0');
        for (char &c : garbage)
            c = char(rng.bounded(256));
        out.append(garbage);
        out.append(seed.left(10) + garbage);
    }
    return out;
}

}  // namespace

class TestFormatsFuzzB : public QObject {
    Q_OBJECT

    test::TestDrive drives;
    const QString dir = QStringLiteral("E:\\voxa\\config\\");

    bool put(const QString &name, const QByteArray &bytes)
    {
        return test::TestDriveTable::writeFile(dir + name, bytes);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(drives.setUp('E', {QStringLiteral("voxa/config")}));
    }
    void cleanupTestCase() { drives.tearDown(); }

    void logoFiles()
    {
        int accepted = 0;
        QList<QByteArray> files = damaged(logoSeed(1, 1), 3000, 11);
        files += damaged(logoSeed(2, 2), 3000, 12, 3);
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QByteArray &f = files[i];
            const FileResult<LogoBitmap> logo = parseLogoFile(f);
            if (!logo)
                continue;
            ++accepted;
            QVERIFY(f.startsWith(QByteArray("R7LCE1.00\0", 10)) || f.size() == 9);
            QCOMPARE(logo->displayType(), f.size() == VaDaLogoFileSize ? VaDaDisplay : VoxaADisplay);
            const FileResult<LogoBitmap> again = parseLogoFile(logoFileBytes(*logo));
            QVERIFY(again.ok());
            QCOMPARE(*again, *logo);
            if (i % 20 == 0) {
                QVERIFY(put(QStringLiteral("f.lce"), f));
                QCOMPARE(*LoadLogoFile(dir + QStringLiteral("f.lce")), *logo);
            }
        }
        QVERIFY(accepted > 1000);
    }

    void companions()
    {
        int accepted = 0;
        const QList<QByteArray> files = damaged(companionSeed(), 4000, 21);
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QByteArray &f = files[i];
            const FileResult<LogoCompanion> c = parseLogoCompanion(f);
            if (i % 20 == 0) {
                QVERIFY(put(QStringLiteral("f.lcx"), f));
                const FileResult<LogoCompanion> read = LoadLogoCompanion(dir + QStringLiteral("f.lce"));
                QCOMPARE(read.ok(), c.ok());
            }
            if (!c)
                continue;
            ++accepted;
            QVERIFY(c->threshold >= 0 && c->threshold <= 256);
            const FileResult<QByteArray> back = logoCompanionBytes(*c);
            QVERIFY(back.ok());
            QCOMPARE(*back, f);
        }
        QVERIFY(accepted > 500);
    }

    void playdisplayFiles()
    {
        int accepted = 0;
        const QList<QByteArray> files = damaged(playdisplaySeed(), 5000, 31);
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QByteArray &f = files[i];
            const FileResult<PlaydisplayDocument> doc = parsePlaydisplayFile(f);
            if (i % 20 == 0) {
                QVERIFY(put(QStringLiteral("f.ply"), f));
                QCOMPARE(LoadPlaydisplayFile(dir + QStringLiteral("f.ply")).ok(), doc.ok());
            }
            if (!doc)
                continue;
            ++accepted;
            QVERIFY(f.size() >= PlaydisplayReadSize);
            QVERIFY(doc->layout.fields.size() <= PlayMaxFields);
            const FileResult<QByteArray> back = playdisplayFileBytes(doc->layout);
            // A field that ends before it starts is never written back.
            const bool reversed = std::any_of(doc->layout.fields.cbegin(), doc->layout.fields.cend(),
                                              [](const PlayField &p) { return p.right < p.left; });
            QCOMPARE(back.ok(), !reversed);
            if (reversed) {
                QCOMPARE(back.error().reason, FileFailure::CannotStore);
                continue;
            }
            // The records written are the records read, byte for byte.
            const qsizetype used = PlayRecordsOffset + doc->layout.fields.size() * PlayRecordSize;
            QCOMPARE(back->left(used).mid(12), f.left(used).mid(12));
            const FileResult<PlaydisplayDocument> again = parsePlaydisplayFile(*back);
            QVERIFY(again.ok());
            QCOMPARE(again->layout, doc->layout);
            (void)FindOverlaps(doc->layout, doc->displayType);
        }
        QVERIFY(accepted > 1000);
    }

    void pictures_data()
    {
        QTest::addColumn<QByteArray>("seed");
        QTest::addColumn<int>("mutations");
        QTest::newRow("JPEG") << pictureSeed("jpeg") << 2500;
        QTest::newRow("grey JPEG") << pictureSeed("jpeg", true) << 1000;
        QTest::newRow("progressive JPEG") << pictureSeed("jpeg", false, true) << 1000;
        QTest::newRow("BMP") << pictureSeed("bmp") << 1500;
        QTest::newRow("PNG") << pictureSeed("png") << 500;
    }
    void pictures()
    {
        QFETCH(QByteArray, seed);
        QFETCH(int, mutations);
        QVERIFY(seed.size() > 100);
        QVERIFY(DecodeSourcePicture(seed).ok());
        const QList<QByteArray> files = damaged(seed, mutations, 41, std::max<int>(1, int(seed.size() / 1500)));
        int accepted = 0;
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QByteArray &f = files[i];
            const FileResult<QImage> image = DecodeSourcePicture(f);
            if (i % 25 == 0) {
                QVERIFY(put(QStringLiteral("f.jpg"), f));
                QCOMPARE(LoadSourcePicture(dir + QStringLiteral("f.jpg")).ok(), image.ok());
            }
            if (!image)
                continue;
            ++accepted;
            QVERIFY(!image->isNull());
            QCOMPARE(image->format(), QImage::Format_RGB32);
            QVERIFY(qint64(image->width()) * image->height() <= MaxSourcePixels);
            const WorkCanvas work = MakeWorkCanvas(*image, i % 2);
            const LogoBitmap logo = ConvertLogo(CropCanvas(work.canvas, {0, 0, 176, 64}), 2, 128, false);
            QCOMPARE(logo.width(), 176);
        }
        // The cuts and mutations that leave the picture whole.
        QVERIFY(accepted > 0);
    }
};

QTEST_GUILESS_MAIN(TestFormatsFuzzB)
#include "test_formats_fuzz_b.moc"
