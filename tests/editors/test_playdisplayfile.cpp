// Playdisplay files: the 512-byte layout, records kept byte for byte, the
// display detected from the records, field heights, overlaps and the table
// of contents.
#include "app/messagetable.h"
#include "editors/playdisplay/playdisplayfile.h"
#include "platform/fileops.h"
#include "support/testdrive.h"

#include <QTest>
#include <QtEndian>

Q_DECLARE_METATYPE(voxa::PlayRect)

using namespace voxa;

namespace {

const QString kPath = QStringLiteral("E:\\voxa\\config\\test.ply");

QByteArray header()
{
    return QByteArray("R7PLY1.00\0", 10);
}

// A 22-byte record from its values.
QByteArray record(quint16 left, quint16 right, quint16 top, quint16 flags, quint32 kind = 1,
                  quint16 rightAgain = 0xFFFF, quint16 r10 = 0, quint32 r16 = 0, quint16 r20 = 0)
{
    QByteArray b(22, '\0');
    qToLittleEndian(left, b.data());
    qToLittleEndian(right, b.data() + 2);
    qToLittleEndian(top, b.data() + 4);
    qToLittleEndian(flags, b.data() + 6);
    qToLittleEndian(rightAgain == 0xFFFF ? right : rightAgain, b.data() + 8);
    qToLittleEndian(r10, b.data() + 10);
    qToLittleEndian(kind, b.data() + 12);
    qToLittleEndian(r16, b.data() + 16);
    qToLittleEndian(r20, b.data() + 20);
    return b;
}

QByteArray file(quint16 vu, const QList<QByteArray> &records)
{
    QByteArray b = header();
    b.append(char(vu & 0xFF)).append(char(vu >> 8));
    for (const QByteArray &r : records)
        b.append(r);
    b.append(QByteArray(512 - b.size(), '\0'));
    return b;
}

PlayField field(int left, int right, int top, quint16 flags = PlayFlag::Used | PlayFlag::Left, quint32 kind = 1)
{
    PlayField f;
    f.left = quint16(left);
    f.setRight(quint16(right));
    f.top = quint16(top);
    f.flags = flags;
    f.kind = kind;
    return f;
}

}  // namespace

class TestPlaydisplayFile : public QObject {
    Q_OBJECT

    test::TestDrive drives;

private slots:
    void init()
    {
        resetMessages();
        QVERIFY(drives.setUp('E', {QStringLiteral("voxa/config")}));
    }
    void cleanup() { drives.tearDown(); }

    // A new layout (VU meter on, no fields) and an empty one.
    void emptyLayoutBytes_data()
    {
        QTest::addColumn<bool>("vuMeter");
        QTest::newRow("new layout") << true;
        QTest::newRow("no VU meter") << false;
    }
    void emptyLayoutBytes()
    {
        QFETCH(bool, vuMeter);
        PlayLayout layout;
        layout.vuMeter = vuMeter;
        QByteArray expected = header() + QByteArray(502, '\0');
        expected[10] = vuMeter ? '\1' : '\0';
        QCOMPARE(*playdisplayFileBytes(layout), expected);
        QCOMPARE(SavePlaydisplayFile(kPath, layout).reason, FileFailure::None);
        QCOMPARE(test::TestDriveTable::readFile(kPath), expected);
        const FileResult<PlaydisplayDocument> doc = LoadPlaydisplayFile(kPath);
        QVERIFY(doc.ok());
        QCOMPARE(doc->displayType, VoxaADisplay);
        QCOMPARE(doc->layout, layout);
    }

    void recordBytes()
    {
        PlayField f;
        f.left = 0x0102;
        f.right = 0x0304;
        f.top = 0x0506;
        f.flags = 0x0708;
        f.rightAgain = 0x090A;
        f.reserved10 = 0x0B0C;
        f.kind = 0x0D0E0F10;
        f.reserved16 = 0x11121314;
        f.reserved20 = 0x1516;
        PlayLayout layout;
        layout.vuMeter = false;
        layout.fields = {f, field(1, 2, 3)};
        const QByteArray bytes = *playdisplayFileBytes(layout);
        QCOMPARE(bytes.size(), qsizetype(512));
        QCOMPARE(bytes.mid(12, 22), QByteArray("\x02\x01\x04\x03\x06\x05\x08\x07\x0A\x09\x0C\x0B"
                                               "\x10\x0F\x0E\x0D\x14\x13\x12\x11\x16\x15",
                                               22));
        QCOMPARE(bytes.mid(34, 22), record(1, 2, 3, 0x0011, 1));
        QCOMPARE(bytes.mid(56), QByteArray(512 - 56, '\0'));
    }

    // Whatever the records hold comes back byte for byte: unknown kinds,
    // reserved bytes, a second right that differs, 15 fields.
    void keptByteForByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("kind 3 with reserved bytes")
            << file(1, {record(0, 114, 48, 0x0C11, 3, 0xFFFF, 0xBEEF, 0xDEADBEEF, 0x1234)});
        QTest::newRow("unknown kinds")
            << file(0, {record(0, 20, 0, 0x0011, 0), record(30, 50, 0, 0x0011, 25), record(60, 90, 0, 0x7C11, 0xFFFFFFFF)});
        QTest::newRow("second right differs") << file(1, {record(5, 40, 10, 0x0021, 4, 77)});
        QList<QByteArray> many;
        for (int i = 0; i < 15; ++i)
            many.append(record(quint16(i), quint16(i + 3), quint16(i * 3), quint16(0x0011 | (i << 10)), quint32(i + 1)));
        QTest::newRow("15 fields") << file(1, many);
    }
    void keptByteForByte()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(test::TestDriveTable::writeFile(kPath, bytes));
        const FileResult<PlaydisplayDocument> doc = LoadPlaydisplayFile(kPath);
        QVERIFY(doc.ok());
        QCOMPARE(SavePlaydisplayFile(kPath, doc->layout).reason, FileFailure::None);
        QCOMPARE(test::TestDriveTable::readFile(kPath), bytes);
    }

    void unknownKind()
    {
        const FileResult<PlaydisplayDocument> doc =
            parsePlaydisplayFile(file(1, {record(0, 114, 48, 0x0C11, 3, 0xFFFF, 0, 0xABCD, 0)}));
        QVERIFY(doc.ok());
        QCOMPARE(doc->layout.fields.size(), qsizetype(1));
        QCOMPARE(doc->layout.fields[0].kind, quint32(3));
        QCOMPARE(doc->layout.fields[0].reserved16, quint32(0xABCD));
        QVERIFY(!FindContentKind(3));
        QCOMPARE(ContentKindCaption(3), QStringLiteral("Unknown"));
    }

    void vuMeterSwitch_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("shown");
        QTest::newRow("0") << 0 << false;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("0x0100") << 0x0100 << true;
        QTest::newRow("0xFFFF") << 0xFFFF << true;
    }
    void vuMeterSwitch()
    {
        QFETCH(int, value);
        QFETCH(bool, shown);
        const FileResult<PlaydisplayDocument> doc = parsePlaydisplayFile(file(quint16(value), {}));
        QVERIFY(doc.ok());
        QCOMPARE(doc->layout.vuMeter, shown);
        // Written back as 1 or 0.
        QCOMPARE(int(playdisplayFileBytes(doc->layout)->at(10)), shown ? 1 : 0);
    }

    void listEndsAtRightZero()
    {
        const QByteArray bytes =
            file(1, {record(0, 30, 0, 0x11), record(0, 30, 10, 0x11), record(7, 0, 20, 0x11, 4), record(0, 30, 30, 0x11)});
        const FileResult<PlaydisplayDocument> doc = parsePlaydisplayFile(bytes);
        QVERIFY(doc.ok());
        QCOMPARE(doc->layout.fields.size(), qsizetype(2));
        QCOMPARE(doc->layout.fields[1].top, quint16(10));
    }

    void detection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("type");
        QTest::newRow("no fields") << file(1, {}) << 1;
        QTest::newRow("right 128") << file(1, {record(14, 128, 48, 0x11)}) << 1;
        QTest::newRow("right 129") << file(1, {record(15, 129, 48, 0x11)}) << 2;
        QTest::newRow("bottom 57: top 45, 12 pixel, inverse") << file(1, {record(0, 30, 45, 0xD5)}) << 2;
        QTest::newRow("bottom 56: top 45, 12 pixel") << file(1, {record(0, 30, 45, 0xD1)}) << 1;
        QTest::newRow("bottom 56: top 48, 8 pixel, inverse") << file(1, {record(0, 30, 48, 0x15)}) << 1;
        QTest::newRow("bottom 57: top 50, 8 pixel") << file(1, {record(0, 30, 50, 0x11)}) << 2;
        QTest::newRow("only one font bit: 8 pixel") << file(1, {record(0, 30, 45, 0x51)}) << 1;
        QTest::newRow("a record after the end") << file(1, {record(0, 30, 0, 0x11), QByteArray(22, '\0'),
                                                            record(0, 170, 0, 0x11)})
                                                << 2;
        QTest::newRow("an ended record's bottom") << file(1, {record(0, 0, 60, 0x11)}) << 2;
    }
    void detection()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, type);
        const FileResult<PlaydisplayDocument> doc = parsePlaydisplayFile(bytes);
        QVERIFY(doc.ok());
        QCOMPARE(doc->displayType, type);
    }

    void fieldBottom_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("bottom");
        QTest::newRow("8 pixel") << 0x0011 << 17;
        QTest::newRow("8 pixel inverse") << 0x0015 << 18;
        QTest::newRow("12 pixel") << 0x00D1 << 21;
        QTest::newRow("12 pixel inverse") << 0x00D5 << 22;
        QTest::newRow("bit 6 alone") << 0x0051 << 17;
        QTest::newRow("bit 7 alone") << 0x0091 << 17;
    }
    void fieldBottom()
    {
        QFETCH(int, flags);
        QFETCH(int, bottom);
        QCOMPARE(FieldBottom(field(0, 10, 10, quint16(flags))), bottom);
    }

    void wrongHeader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = file(1, {record(0, 30, 0, 0x11)});
        for (int i = 0; i < 10; ++i) {
            QByteArray b = good;
            b[i] = char(b[i] ^ 0x01);
            QTest::addRow("byte %d", i) << b;
        }
        QTest::newRow("a logo") << QByteArray("R7LCE1.00\0", 10) + QByteArray(502, '\0');
        QTest::newRow("garbage") << QByteArray("XY");
    }
    void wrongHeader()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(test::TestDriveTable::writeFile(kPath, bytes));
        const FileResult<PlaydisplayDocument> doc = LoadPlaydisplayFile(kPath);
        QCOMPARE(doc.error().reason, FileFailure::WrongFormat);
        QCOMPARE(doc.error().message(), QStringLiteral("Wrong file format"));
    }

    // The reader needs 342 bytes; the rest of the 512 is ignored.
    void length_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("reason");
        QTest::newRow("0") << 0 << int(FileFailure::TooShort);
        QTest::newRow("header start") << 4 << int(FileFailure::TooShort);
        QTest::newRow("header") << 10 << int(FileFailure::TooShort);
        QTest::newRow("341") << 341 << int(FileFailure::TooShort);
        QTest::newRow("342") << 342 << int(FileFailure::None);
        QTest::newRow("511") << 511 << int(FileFailure::None);
        QTest::newRow("512") << 512 << int(FileFailure::None);
        QTest::newRow("4096") << 4096 << int(FileFailure::None);
    }
    void length()
    {
        QFETCH(int, length);
        QFETCH(int, reason);
        QByteArray bytes = file(1, {record(0, 30, 0, 0x11)});
        bytes.append(QByteArray(4096, '\x33'));
        QVERIFY(test::TestDriveTable::writeFile(kPath, bytes.left(length)));
        const FileResult<PlaydisplayDocument> doc = LoadPlaydisplayFile(kPath);
        QCOMPARE(int(doc.error().reason), reason);
        if (doc.ok())
            QCOMPARE(doc->layout.fields.size(), qsizetype(1));
    }

    void cannotOpen()
    {
        const FileResult<PlaydisplayDocument> doc = LoadPlaydisplayFile(QStringLiteral("E:\\voxa\\config\\no.ply"));
        QCOMPARE(doc.error().reason, FileFailure::CannotOpen);
        QCOMPARE(doc.error().message(), QStringLiteral("Cannot open the file!"));
        QCOMPARE(LoadPlaydisplayFile(QStringLiteral("E:\\voxa")).error().reason, FileFailure::NotRegularFile);
    }

    // Refused layouts leave the file that was there.
    void refusedSaves()
    {
        PlayLayout layout;
        layout.fields = {field(0, 10, 0)};
        QCOMPARE(SavePlaydisplayFile(kPath, layout).reason, FileFailure::None);
        const QByteArray before = test::TestDriveTable::readFile(kPath);

        PlayLayout tooMany;
        for (int i = 0; i < 16; ++i)
            tooMany.fields.append(field(0, 3, i));
        QCOMPARE(SavePlaydisplayFile(kPath, tooMany).reason, FileFailure::TooManyElements);
        // A field without width would end the list and lose the fields after it.
        PlayLayout zero;
        zero.fields = {field(0, 10, 0), field(5, 0, 20), field(0, 10, 40)};
        QCOMPARE(SavePlaydisplayFile(kPath, zero).reason, FileFailure::CannotStore);
        // Nor is a field that ends before it starts.
        PlayLayout reversed;
        reversed.fields = {field(0, 10, 0), field(100, 50, 20)};
        QCOMPARE(SavePlaydisplayFile(kPath, reversed).subject, QStringLiteral("field 2"));
        QCOMPARE(test::TestDriveTable::readFile(kPath), before);

        const WriteResult w = SavePlaydisplayFile(QStringLiteral("E:\\nofolder\\a.ply"), layout);
        QCOMPARE(w.reason, FileFailure::CannotCreate);
        QCOMPARE(w.message(), QStringLiteral("Error while trying to open file for write!"));
    }

    void overlap_data()
    {
        QTest::addColumn<PlayRect>("a");
        QTest::addColumn<PlayRect>("b");
        QTest::addColumn<bool>("overlap");
        QTest::addColumn<PlayRect>("area");
        QTest::newRow("side by side") << PlayRect{0, 0, 20, 7} << PlayRect{20, 0, 40, 7} << false << PlayRect{};
        QTest::newRow("one column shared") << PlayRect{0, 0, 21, 7} << PlayRect{20, 0, 40, 7} << true
                                           << PlayRect{20, 0, 21, 7};
        QTest::newRow("one above the other") << PlayRect{0, 0, 20, 7} << PlayRect{0, 8, 20, 15} << false
                                             << PlayRect{};
        QTest::newRow("one row shared") << PlayRect{0, 0, 20, 8} << PlayRect{5, 8, 20, 15} << true
                                        << PlayRect{5, 8, 20, 8};
        QTest::newRow("shared corner pixel") << PlayRect{0, 0, 11, 10} << PlayRect{10, 10, 30, 17} << true
                                             << PlayRect{10, 10, 11, 10};
        QTest::newRow("inside") << PlayRect{0, 0, 100, 20} << PlayRect{10, 5, 20, 12} << true
                                << PlayRect{10, 5, 20, 12};
        QTest::newRow("empty field") << PlayRect{200, 0, 5, 7} << PlayRect{0, 0, 300, 7} << false << PlayRect{};
    }
    void overlap()
    {
        QFETCH(PlayRect, a);
        QFETCH(PlayRect, b);
        QFETCH(bool, overlap);
        QFETCH(PlayRect, area);
        QCOMPARE(FieldsOverlap(a, b), overlap);
        QCOMPARE(FieldsOverlap(b, a), overlap);
        QCOMPARE(SharedArea(a, b).has_value(), overlap);
        if (overlap) {
            QCOMPARE(*SharedArea(a, b), area);
            QCOMPARE(*SharedArea(b, a), area);
        }
    }

    // VOXA-A's VU meter covers columns 117..127 and rows 0..47.
    void vuMeterOverlap_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("top");
        QTest::addColumn<bool>("overlap");
        QTest::newRow("last column 117, top 47") << 1 << 118 << 47 << true;
        QTest::newRow("last column 117, top 48") << 1 << 118 << 48 << false;
        QTest::newRow("last column 116, top 40") << 1 << 117 << 40 << false;
        QTest::newRow("VA-DA last column 160") << 2 << 161 << 0 << false;
        QTest::newRow("VA-DA last column 161, top 50") << 2 << 162 << 50 << true;
        QTest::newRow("VA-DA top 51") << 2 << 176 << 51 << false;
    }
    void vuMeterOverlap()
    {
        QFETCH(int, type);
        QFETCH(int, right);
        QFETCH(int, top);
        QFETCH(bool, overlap);
        PlayLayout layout;
        layout.fields = {field(right - 10, right, top)};
        const QList<PlayOverlap> found = FindOverlaps(layout, type);
        QCOMPARE(found.size(), overlap ? 1 : 0);
        if (overlap) {
            QCOMPARE(found[0].first, 0);
            QCOMPARE(found[0].second, 1);
        }
        // Without the VU meter nothing overlaps it.
        layout.vuMeter = false;
        QVERIFY(FindOverlaps(layout, type).isEmpty());
    }

    void overlapPairs()
    {
        PlayLayout layout;
        layout.vuMeter = true;
        layout.fields = {field(0, 30, 0), field(50, 80, 0), field(29, 51, 7), field(110, 128, 40)};
        const QList<PlayOverlap> found = FindOverlaps(layout, VoxaADisplay);
        const QList<PlayOverlap> expected{
            {1, 3, {29, 7, 30, 7}},
            {2, 3, {50, 7, 51, 7}},
            {0, 4, {117, 40, 128, 47}},
        };
        QCOMPARE(found, expected);
    }

    // Kinds without an entry are named "Unknown" (from the message table).
    void kindsWithoutEntry()
    {
        QCOMPARE(PlayContentKinds().size(), qsizetype(19));
        for (quint32 id : {0u, 3u, 15u, 19u, 21u, 22u, 25u, 26u, 0xFFFFFFFFu}) {
            QVERIFY(!FindContentKind(id));
            QCOMPARE(ContentKindCaption(id), QStringLiteral("Unknown"));
        }
        setMessage(Msg::Unknown, QStringLiteral("Ismeretlen"));
        QCOMPARE(ContentKindCaption(3), QStringLiteral("Ismeretlen"));
        QCOMPARE(ContentKindCaption(23), QStringLiteral("Repeat mode / MyRadio"));
    }

    // New fields as the editor adds them.
    void newField_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<quint32>("kind");
        QTest::addColumn<bool>("big");
        QTest::addColumn<bool>("inverse");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("flags");
        QTest::newRow("ID3 Title, 8 pixel") << 1 << 4u << false << false << int(PlayAlignment::Left) << 114 << 48
                                            << (0x0011 | (4 << 10));
        QTest::newRow("ID3 Title, 12 pixel, inverse")
            << 1 << 4u << true << true << int(PlayAlignment::Left) << 114 << 43 << (0x00D5 | (4 << 10));
        QTest::newRow("Play status, 12 pixel") << 1 << 20u << true << false << int(PlayAlignment::Center) << 18 << 44
                                               << (0x00E1 | (20 << 10));
        QTest::newRow("Play status, 8 pixel") << 1 << 20u << false << false << int(PlayAlignment::Right) << 18 << 48
                                              << (0x0009 | (20 << 10));
        QTest::newRow("Repeat mode on VA-DA, autoscroll")
            << 2 << 23u << false << false << int(PlayAlignment::Autoscroll) << 40 << 56 << (0x0101 | (23 << 10));
        QTest::newRow("Program items on VA-DA, 12 pixel inverse")
            << 2 << 24u << true << true << int(PlayAlignment::Left) << 34 << 51 << (0x00D5 | (24 << 10));
    }
    void newField()
    {
        QFETCH(int, type);
        QFETCH(quint32, kind);
        QFETCH(bool, big);
        QFETCH(bool, inverse);
        QFETCH(int, alignment);
        QFETCH(int, right);
        QFETCH(int, top);
        QFETCH(int, flags);
        const PlayField f = MakePlayField(*FindContentKind(kind), big, inverse, PlayAlignment(alignment), type);
        QCOMPARE(f.left, quint16(0));
        QCOMPARE(int(f.right), right);
        QCOMPARE(int(f.rightAgain), right);
        QCOMPARE(int(f.top), top);
        QCOMPARE(int(f.flags), flags);
        QCOMPARE(f.kind, kind);
        QCOMPARE(f.alignment(), PlayAlignment(alignment));
        // It sits on the bottom row.
        QCOMPARE(FieldBottom(f), PlayGeometry(type).height - 1);
        QCOMPARE(f.reserved10 | f.reserved16 | f.reserved20, 0u);
    }

    void alignmentBits()
    {
        PlayField f = field(0, 10, 0, quint16(PlayFlag::Used | PlayFlag::Right | PlayFlag::Center | 0x0C00));
        QCOMPARE(f.alignment(), PlayAlignment::Right);
        SetFieldAlignment(f, PlayAlignment::Autoscroll);
        QCOMPARE(int(f.flags), 0x0101 | 0x0C00);
        SetFieldAlignment(f, PlayAlignment::Center);
        QCOMPARE(int(f.flags), 0x0021 | 0x0C00);
    }
};

QTEST_GUILESS_MAIN(TestPlaydisplayFile)
#include "test_playdisplayfile.moc"
