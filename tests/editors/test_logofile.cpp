// Logo files and their companions: the byte layout, the reading of short,
// long and foreign files, and saves that replace both files or neither.
#include "app/messagetable.h"
#include "editors/logo/logofile.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "support/testdrive.h"

#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

using namespace voxa;

namespace {

const QString kLogo = QStringLiteral("E:\\voxa\\config\\test.lce");
const QString kCompanion = QStringLiteral("E:\\voxa\\config\\test.lcx");

QByteArray headerBytes(quint8 width)
{
    QByteArray b("R7LCE1.00", 9);
    b.append('\0');
    b.append(char(width)).append('\0').append('\x40').append('\0');
    b.append(QByteArray(4, '\0'));
    return b;
}

LogoBitmap randomLogo(int type, quint32 seed)
{
    QRandomGenerator rng(seed);
    LogoBitmap logo(type);
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            logo.setPixel(x, y, rng.bounded(2) == 1);
    return logo;
}

}  // namespace

class TestLogoFile : public QObject {
    Q_OBJECT

    test::TestDrive drives;

private slots:
    void init()
    {
        resetMessages();
        QVERIFY(drives.setUp('E', {QStringLiteral("voxa/config")}));
    }
    void cleanup() { drives.tearDown(); }

    // A new logo: header, width, 64, zeros.
    void emptyLogoBytes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("width");
        QTest::newRow("VOXA-A") << 1 << 128;
        QTest::newRow("VA-DA") << 2 << 176;
    }
    void emptyLogoBytes()
    {
        QFETCH(int, type);
        QFETCH(int, width);
        const QByteArray expected = headerBytes(quint8(width)) + QByteArray(8 * width, '\0');
        QCOMPARE(logoFileBytes(LogoBitmap(type)), expected);
        QCOMPARE(SaveLogoFile(kLogo, LogoBitmap(type)).reason, FileFailure::None);
        QCOMPARE(test::TestDriveTable::readFile(kLogo), expected);
    }

    // One lit pixel sets exactly one bit, where the layout puts it.
    void pixelPlace_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::newRow("top-left") << 1 << 0 << 0 << 18 << 0x01;
        QTest::newRow("row 7 is the top byte's last bit") << 1 << 0 << 7 << 18 << 0x80;
        QTest::newRow("row 8 is the second byte") << 1 << 0 << 8 << 19 << 0x01;
        QTest::newRow("column 1") << 1 << 1 << 0 << 20 << 0x01;
        QTest::newRow("band 1 of VOXA-A") << 1 << 0 << 16 << 274 << 0x01;
        QTest::newRow("VOXA-A last pixel") << 1 << 127 << 55 << 1040 << 0x80;
        QTest::newRow("VA-DA band 1") << 2 << 5 << 21 << 380 << 0x20;
        QTest::newRow("VA-DA band 1 lower half") << 2 << 5 << 29 << 381 << 0x20;
        QTest::newRow("VA-DA last pixel") << 2 << 175 << 63 << 1425 << 0x80;
    }
    void pixelPlace()
    {
        QFETCH(int, type);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, offset);
        QFETCH(int, value);
        const int width = type == 1 ? 128 : 176;
        QCOMPARE(LogoPixelOffset(x, y, width), qsizetype(offset));
        LogoBitmap logo(type);
        logo.setPixel(x, y, true);
        const QByteArray bytes = logoFileBytes(logo);
        QByteArray expected = headerBytes(quint8(width)) + QByteArray(8 * width, '\0');
        expected[offset] = char(value);
        QCOMPARE(bytes, expected);
        const FileResult<LogoBitmap> back = parseLogoFile(bytes);
        QVERIFY(back.ok());
        QCOMPARE(back->litCount(), 1);
        QVERIFY(back->pixel(x, y));
    }

    // Rows 56..63 are not part of a VOXA-A logo: the second byte of every
    // column of the last band stays zero even with every pixel lit.
    void voxaABand3IsZero()
    {
        LogoBitmap logo(1);
        InvertLogo(logo);
        QCOMPARE(logo.litCount(), 128 * 56);
        const QByteArray bytes = logoFileBytes(logo);
        QCOMPARE(bytes.size(), qsizetype(1042));
        for (qsizetype i = 18; i < 18 + 3 * 256; ++i)
            QCOMPARE(uchar(bytes[i]), uchar(0xFF));
        for (int x = 0; x < 128; ++x) {
            QCOMPARE(uchar(bytes[18 + 768 + 2 * x]), uchar(0xFF));
            QCOMPARE(uchar(bytes[18 + 768 + 2 * x + 1]), uchar(0x00));
        }
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 3; ++seed) {
            QTest::addRow("VOXA-A %u", seed) << 1 << seed;
            QTest::addRow("VA-DA %u", seed) << 2 << seed;
        }
    }
    void roundTrip()
    {
        QFETCH(int, type);
        QFETCH(quint32, seed);
        const LogoBitmap logo = randomLogo(type, seed);
        QCOMPARE(SaveLogoFile(kLogo, logo).reason, FileFailure::None);
        QCOMPARE(fs::fileSize(kLogo), LogoFileSize(type));
        const FileResult<LogoBitmap> back = LoadLogoFile(kLogo);
        QVERIFY(back.ok());
        QCOMPARE(*back, logo);
    }

    // Short files read as VOXA-A with the missing bytes unlit.
    void shortFileIsVoxaA()
    {
        QByteArray file = headerBytes(128) + QByteArray(1000 - 18, '\xFF');
        QCOMPARE(file.size(), qsizetype(1000));
        QVERIFY(test::TestDriveTable::writeFile(kLogo, file));
        const FileResult<LogoBitmap> logo = LoadLogoFile(kLogo);
        QVERIFY(logo.ok());
        QCOMPARE(logo->displayType(), 1);
        int lit = 0;
        for (int y = 0; y < 56; ++y)
            for (int x = 0; x < 128; ++x) {
                const bool inFile = LogoPixelOffset(x, y, 128) < 1000;
                QCOMPARE(logo->pixel(x, y), inFile);
                lit += inFile;
            }
        QCOMPARE(logo->litCount(), lit);
        QVERIFY(logo->pixel(0, 48));     // byte 786
        QVERIFY(!logo->pixel(127, 55));  // byte 1040
    }

    // Only the length decides the type; bytes 10..17 are not looked at.
    void typeFromLength_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("widthByte");
        QTest::addColumn<int>("type");
        QTest::newRow("1426 bytes saying 128") << 1426 << 128 << 2;
        QTest::newRow("1426 bytes saying 0") << 1426 << 0 << 2;
        QTest::newRow("1042 bytes saying 176") << 1042 << 176 << 1;
        QTest::newRow("1425 bytes") << 1425 << 176 << 1;
        QTest::newRow("1427 bytes") << 1427 << 176 << 1;
        QTest::newRow("5000 bytes") << 5000 << 176 << 1;
        QTest::newRow("header only") << 10 << 0 << 1;
        // The zeroed buffer supplies the version's zero byte.
        QTest::newRow("nine bytes") << 9 << 0 << 1;
    }
    void typeFromLength()
    {
        QFETCH(int, length);
        QFETCH(int, widthByte);
        QFETCH(int, type);
        QByteArray file = headerBytes(0).left(10);
        file.append(char(widthByte)).append("\x55\x66\x77\x88\x99\xAA\xBB", 7);
        file.append(QByteArray(std::max(0, length - 18), '\x01'));
        file.truncate(length);
        QVERIFY(test::TestDriveTable::writeFile(kLogo, file));
        const FileResult<LogoBitmap> logo = LoadLogoFile(kLogo);
        QVERIFY(logo.ok());
        QCOMPARE(logo->displayType(), type);
        // 0x01 everywhere: the top row of every band is lit, up to the file's end.
        const int w = logo->width();
        QCOMPARE(logo->pixel(0, 0), length > 18);
        QCOMPARE(logo->pixel(0, 1), false);
        QCOMPARE(logo->pixel(w - 1, 48), LogoPixelOffset(w - 1, 48, w) < length);
    }

    void wrongHeader_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray good = headerBytes(128) + QByteArray(1024, '\0');
        for (int i = 0; i < 10; ++i) {
            QByteArray b = good;
            b[i] = char(b[i] ^ 0x20);
            QTest::addRow("byte %d", i) << b;
        }
        QByteArray version = good;
        version.replace(5, 4, "1.01");
        QTest::newRow("version 1.01") << version;
        QTest::newRow("another kind") << QByteArray("R7PLY1.00\0", 10) + QByteArray(1032, '\0');
        QTest::newRow("eight bytes") << good.left(8);
        QTest::newRow("empty") << QByteArray();
    }
    void wrongHeader()
    {
        QFETCH(QByteArray, file);
        QVERIFY(test::TestDriveTable::writeFile(kLogo, file));
        const FileResult<LogoBitmap> logo = LoadLogoFile(kLogo);
        QVERIFY(!logo.ok());
        QCOMPARE(logo.error().reason, FileFailure::WrongFormat);
        QCOMPARE(logo.error().message(), QStringLiteral("Wrong file format"));
    }

    void cannotOpen_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<FileFailure>("reason");
        QTest::newRow("missing") << QStringLiteral("E:\\voxa\\config\\none.lce") << FileFailure::CannotOpen;
        QTest::newRow("a folder") << QStringLiteral("E:\\voxa\\config") << FileFailure::NotRegularFile;
        QTest::newRow("unknown drive") << QStringLiteral("Q:\\voxa\\config\\a.lce") << FileFailure::CannotOpen;
    }
    void cannotOpen()
    {
        QFETCH(QString, path);
        QFETCH(FileFailure, reason);
        const FileResult<LogoBitmap> logo = LoadLogoFile(path);
        QCOMPARE(logo.error().reason, reason);
        QVERIFY(logo.error().cannotOpen());
        QVERIFY(logo.error().message().startsWith(QStringLiteral("Cannot open the file!")));
        QVERIFY(LoadLogoCompanion(path).error().cannotOpen());
    }

    void cannotCreate()
    {
        const WriteResult w = SaveLogoFile(QStringLiteral("E:\\voxa\\nofolder\\a.lce"), LogoBitmap(1));
        QCOMPARE(w.reason, FileFailure::CannotCreate);
        QCOMPARE(w.message(), QStringLiteral("Error while trying to open file for write!"));
        QVERIFY(SaveLogoFile(kLogo, LogoBitmap()).failed());
    }

    void companionPath_data()
    {
        QTest::addColumn<QString>("logo");
        QTest::addColumn<QString>("companion");
        QTest::newRow("device") << QStringLiteral("E:\\voxa\\config\\a.lce") << QStringLiteral("E:\\voxa\\config\\a.lcx");
        QTest::newRow("upper case") << QStringLiteral("E:\\voxa\\config\\LOGO.LCE")
                                    << QStringLiteral("E:\\voxa\\config\\LOGO.lcx");
        QTest::newRow("native") << QStringLiteral("/tmp/x.y/logo.lce") << QStringLiteral("/tmp/x.y/logo.lcx");
        QTest::newRow("no extension") << QStringLiteral("/tmp/x.y/logo") << QStringLiteral("/tmp/x.y/logo.lcx");
    }
    void companionPath()
    {
        QFETCH(QString, logo);
        QFETCH(QString, companion);
        QCOMPARE(LogoCompanionPath(logo), companion);
    }

    void companionBytes()
    {
        const LogoCompanion c{{-5, 7, 300, 0x01020304}, 256, QStringLiteral("V:\\képek\\ő.jpg")};
        QByteArray expected;
        expected.append("\xFB\xFF\xFF\xFF", 4).append("\x07\0\0\0", 4).append("\x2C\x01\0\0", 4);
        expected.append("\x04\x03\x02\x01", 4).append("\x00\x01\0\0", 4);
        expected.append("V:\\k\xE9pek\\\xF5.jpg");
        QCOMPARE(*logoCompanionBytes(c), expected);
        QCOMPARE(SaveLogoCompanion(kLogo, c).reason, FileFailure::None);
        QCOMPARE(test::TestDriveTable::readFile(kCompanion), expected);
        const FileResult<LogoCompanion> back = LoadLogoCompanion(kLogo);
        QVERIFY(back.ok());
        QCOMPARE(*back, c);
    }

    void companionPathLength_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("fits");
        QTest::newRow("1") << 1 << true;
        QTest::newRow("255") << 255 << true;
        QTest::newRow("256") << 256 << false;
    }
    void companionPathLength()
    {
        QFETCH(int, length);
        QFETCH(bool, fits);
        const LogoCompanion c{{0, 0, 128, 56}, 128, QString(length, QLatin1Char('p'))};
        QCOMPARE(logoCompanionBytes(c).ok(), fits);
        QCOMPARE(SaveLogoCompanion(kLogo, c).ok(), fits);
        QCOMPARE(fs::exists(kCompanion), fits);

        // The reader is as strict as the writer.
        QByteArray raw(20, '\0');
        qToLittleEndian<qint32>(128, raw.data() + 8);
        qToLittleEndian<qint32>(56, raw.data() + 12);
        qToLittleEndian<qint32>(128, raw.data() + 16);
        raw.append(QByteArray(length, 'p'));
        QCOMPARE(parseLogoCompanion(raw).ok(), fits);
    }

    void unusableCompanion_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("reason");
        QByteArray good(20, '\0');
        qToLittleEndian<qint32>(128, good.data() + 8);
        qToLittleEndian<qint32>(56, good.data() + 12);
        qToLittleEndian<qint32>(128, good.data() + 16);
        good.append("C:\\a.bmp");
        QVERIFY(parseLogoCompanion(good).ok());
        QTest::newRow("19 bytes") << good.left(19) << int(FileFailure::TooShort);
        QTest::newRow("no path") << good.left(20) << int(FileFailure::WrongFormat);
        QByteArray b = good;
        qToLittleEndian<qint32>(257, b.data() + 16);
        QTest::newRow("threshold 257") << b << int(FileFailure::WrongFormat);
        b = good;
        qToLittleEndian<qint32>(-1, b.data() + 16);
        QTest::newRow("threshold -1") << b << int(FileFailure::WrongFormat);
        b = good;
        qToLittleEndian<qint32>(0, b.data() + 8);
        QTest::newRow("empty selection") << b << int(FileFailure::WrongFormat);
        b = good;
        b[22] = '\0';
        QTest::newRow("zero byte in the path") << b << int(FileFailure::WrongFormat);
    }
    void unusableCompanion()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, reason);
        QVERIFY(test::TestDriveTable::writeFile(kCompanion, file));
        QCOMPARE(int(LoadLogoCompanion(kLogo).error().reason), reason);
    }

    void companionRefusals_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<int>("reason");
        QTest::newRow("256 characters") << QString(256, QLatin1Char('x')) << 128 << int(FileFailure::DataTooLong);
        QTest::newRow("outside the code page") << QStringLiteral("C:\\日本.jpg") << 128 << int(FileFailure::CannotStore);
        QTest::newRow("empty path") << QString() << 128 << int(FileFailure::CannotStore);
        QTest::newRow("threshold 257") << QStringLiteral("C:\\a.jpg") << 257 << int(FileFailure::WrongFormat);
    }
    // A companion that cannot be stored refuses the whole save: the logo and
    // companion already there stay as they were, new ones are not created.
    void companionRefusals()
    {
        QFETCH(QString, path);
        QFETCH(int, threshold);
        QFETCH(int, reason);
        const LogoCompanion bad{{0, 0, 128, 56}, threshold, path};
        const QString fresh = QStringLiteral("E:\\voxa\\config\\fresh.lce");
        const WriteResult w = SaveLogoWithCompanion(fresh, randomLogo(1, 9), &bad);
        QCOMPARE(int(w.reason), reason);
        QVERIFY(!fs::exists(fresh));
        QVERIFY(!fs::exists(LogoCompanionPath(fresh)));

        const LogoCompanion old{{1, 2, 129, 58}, 100, QStringLiteral("C:\\old.bmp")};
        QCOMPARE(SaveLogoWithCompanion(kLogo, randomLogo(1, 1), &old).reason, FileFailure::None);
        const QByteArray oldLogo = test::TestDriveTable::readFile(kLogo);
        const QByteArray oldCompanion = test::TestDriveTable::readFile(kCompanion);
        QCOMPARE(int(SaveLogoWithCompanion(kLogo, randomLogo(2, 2), &bad).reason), reason);
        QCOMPARE(test::TestDriveTable::readFile(kLogo), oldLogo);
        QCOMPARE(test::TestDriveTable::readFile(kCompanion), oldCompanion);
    }

    void saveWithCompanion()
    {
        const LogoBitmap logo = randomLogo(2, 5);
        const LogoCompanion c{{10, 20, 186, 84}, 77, QStringLiteral("V:\\pictures\\a.jpg")};
        QCOMPARE(SaveLogoWithCompanion(kLogo, logo, &c).reason, FileFailure::None);
        QCOMPARE(*LoadLogoFile(kLogo), logo);
        QCOMPARE(*LoadLogoCompanion(kLogo), c);

        // Without a source picture the companion is left alone.
        const LogoBitmap other = randomLogo(1, 6);
        QCOMPARE(SaveLogoWithCompanion(kLogo, other, nullptr).reason, FileFailure::None);
        QCOMPARE(*LoadLogoFile(kLogo), other);
        QCOMPARE(*LoadLogoCompanion(kLogo), c);

        // No folder: neither file.
        const QString nowhere = QStringLiteral("E:\\voxa\\missing\\a.lce");
        QCOMPARE(SaveLogoWithCompanion(nowhere, logo, &c).reason, FileFailure::CannotCreate);
    }

    // A read-only companion is replaced, and not left read-only.
    void readOnlyCompanion()
    {
        const LogoCompanion c{{0, 0, 128, 56}, 128, QStringLiteral("C:\\a.bmp")};
        QCOMPARE(SaveLogoCompanion(kLogo, c).reason, FileFailure::None);
        QVERIFY(fs::setReadOnly(kCompanion));
        QVERIFY(fs::isReadOnly(kCompanion));
        const LogoCompanion d{{5, 5, 133, 61}, 90, QStringLiteral("C:\\b.bmp")};
        QCOMPARE(SaveLogoCompanion(kLogo, d).reason, FileFailure::None);
        QCOMPARE(*LoadLogoCompanion(kLogo), d);
        QVERIFY(!fs::isReadOnly(kCompanion));

        QVERIFY(fs::setReadOnly(kCompanion));
        QCOMPARE(SaveLogoWithCompanion(kLogo, LogoBitmap(1), &c).reason, FileFailure::None);
        QCOMPARE(*LoadLogoCompanion(kLogo), c);
        QVERIFY(!fs::isReadOnly(kCompanion));
    }

    void invert()
    {
        LogoBitmap logo = randomLogo(2, 11);
        const int lit = logo.litCount();
        LogoBitmap flipped = logo;
        InvertLogo(flipped);
        QCOMPARE(flipped.litCount(), 176 * 64 - lit);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 176; ++x)
                QCOMPARE(flipped.pixel(x, y), !logo.pixel(x, y));
        InvertLogo(flipped);
        QCOMPARE(flipped, logo);
    }
};

QTEST_GUILESS_MAIN(TestLogoFile)
#include "test_logofile.moc"
