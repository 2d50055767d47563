#include "editors/messages/messagefile.h"
#include "support/testdrive.h"

#include <QTest>

using namespace voxa;

namespace {

const QString kPath = QStringLiteral("E:\\voxa\\config\\test.mgs");
const QString kDefault = QStringLiteral("E:\\voxa\\manager\\default.mgs");

QByteArray header()
{
    return QByteArray("R7MGS1.01\0SW", 12);
}

// A file's bytes as they stand, without fill: entries then the end marker.
QByteArray rawFile(const QByteArray &firmware, const MessageSet &entries, bool endMarker = true)
{
    QByteArray b = header() + firmware + '\0';
    for (const MessageEntry &e : entries) {
        b.append(char(e.Id & 0xFF)).append(char(e.Id >> 8)).append(e.text).append('\0');
    }
    if (endMarker)
        b.append("\xFF\xFF", 2);
    return b;
}

QByteArray padded(QByteArray b)
{
    return b + QByteArray(MessageFileSize - b.size(), '\xFF');
}

MessageSet set(std::initializer_list<std::pair<int, const char *>> items)
{
    MessageSet s;
    for (const auto &[id, text] : items)
        s.append({quint16(id), QByteArray(text)});
    return s;
}

}  // namespace

Q_DECLARE_METATYPE(MessageSet)

class TestMessageFile : public QObject {
    Q_OBJECT

    test::TestDrive drives;

private slots:
    void init()
    {
        QVERIFY(drives.setUp('E', {QStringLiteral("voxa/config"), QStringLiteral("voxa/manager")}));
        messageSets() = MessageSets();
    }
    void cleanup() { drives.tearDown(); }

    void emptySetBytes()
    {
        QVERIFY(WriteMessageFile(kPath, "2.10", {}).ok());
        QByteArray expected = QByteArray("R7MGS1.01\0SW2.10\0", 17) + QByteArray(4096 - 17, '\xFF');
        QCOMPARE(test::TestDriveTable::readFile(kPath), expected);
    }

    void entryLayout()
    {
        const FileResult<QByteArray> bytes = messageFileBytes("V", set({{0x12FF, "Ab"}, {513, ""}}));
        QVERIFY(bytes.ok());
        QCOMPARE(bytes->size(), MessageFileSize);
        QCOMPARE(bytes->left(24), QByteArray("R7MGS1.01\0SWV\0\xFF\x12" "Ab\0\x01\x02\0\xFF\xFF", 24));
        QCOMPARE(bytes->mid(24), QByteArray(4096 - 24, '\xFF'));
    }

    // Only 0xFF 0xFF ends the list; other numbers with a 0xFF byte are entries.
    void highByteNumbers()
    {
        const MessageSet entries = set({{0x12FF, "x"}, {0xFF12, "y"}, {0xFFFE, "z"}, {0x00FF, "w"}});
        const FileResult<MessageFile> f = parseMessageFile(*messageFileBytes("1", entries));
        QVERIFY(f.ok());
        QCOMPARE(f->entries, set({{0x00FF, "w"}, {0x12FF, "x"}, {0xFF12, "y"}, {0xFFFE, "z"}}));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("firmware");
        QTest::addColumn<MessageSet>("entries");
        QTest::newRow("empty") << QByteArray() << MessageSet();
        QTest::newRow("some") << QByteArray("2.10") << set({{256, "Off"}, {288, "88.0"}, {4096, "Blues"}});
        QTest::newRow("code page") << QByteArray("\xC1") << set({{512, "Hanger\xF5"}, {513, "\x8A\x9A"}});
        MessageSet many;
        for (int i = 0; i < MaxMessageEntries; ++i)
            many.append({quint16(i * 3), QByteArray(i % 4, 'a' + i % 26)});
        QTest::newRow("500 entries") << QByteArray("9") << many;
    }
    void roundTrip()
    {
        QFETCH(QByteArray, firmware);
        QFETCH(MessageSet, entries);
        QVERIFY(WriteMessageFile(kPath, firmware, entries).ok());
        const FileResult<MessageFile> f = readMessageFile(kPath);
        QVERIFY(f.ok());
        QCOMPARE(f->firmwareVersion, firmware);
        QCOMPARE(f->entries, entries);
    }

    void entriesAreSortedStably()
    {
        const QByteArray file = rawFile("1", set({{700, "c"}, {256, "a"}, {700, "b"}, {300, "d"}}));
        const FileResult<MessageFile> f = parseMessageFile(file);
        QVERIFY(f.ok());
        QCOMPARE(f->entries, set({{256, "a"}, {300, "d"}, {700, "c"}, {700, "b"}}));
    }

    void merge_data()
    {
        QTest::addColumn<MessageSet>("file");
        QTest::addColumn<MessageSet>("reference");
        QTest::addColumn<MessageSet>("merged");
        const MessageSet ref = set({{256, "Off"}, {257, "On"}, {512, "Volume"}, {4096, "Blues"}});
        QTest::newRow("empty file") << MessageSet() << ref << ref;
        QTest::newRow("one changed") << set({{257, "An"}}) << ref
                                     << set({{256, "Off"}, {257, "An"}, {512, "Volume"}, {4096, "Blues"}});
        QTest::newRow("unknown numbers dropped")
            << set({{100, "x"}, {256, "Aus"}, {300, "y"}, {5000, "z"}}) << ref
            << set({{256, "Aus"}, {257, "On"}, {512, "Volume"}, {4096, "Blues"}});
        QTest::newRow("first of a pair wins") << set({{512, "A"}, {512, "B"}}) << ref
                                               << set({{256, "Off"}, {257, "On"}, {512, "A"}, {4096, "Blues"}});
        QTest::newRow("empty reference") << set({{256, "x"}}) << MessageSet() << MessageSet();
        QTest::newRow("all replaced") << set({{256, "1"}, {257, "2"}, {512, "3"}, {4096, "4"}}) << ref
                                      << set({{256, "1"}, {257, "2"}, {512, "3"}, {4096, "4"}});
    }
    void merge()
    {
        QFETCH(MessageSet, file);
        QFETCH(MessageSet, reference);
        QFETCH(MessageSet, merged);
        QCOMPARE(mergeOntoReference(file, reference), merged);
    }

    void readFailures_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("reason");
        const QByteArray good = padded(rawFile("2.10", set({{256, "Off"}, {512, "Volume"}})));
        QTest::newRow("good") << good << int(FileFailure::None);
        QTest::newRow("empty") << QByteArray() << int(FileFailure::TooShort);
        QTest::newRow("signature") << QByteArray("R7MGX") + good.mid(5) << int(FileFailure::WrongFormat);
        QTest::newRow("version") << good.left(5) + QByteArray("1.00\0", 5) + good.mid(10)
                                 << int(FileFailure::WrongFormat);
        QTest::newRow("version end") << good.left(9) + "X" + good.mid(10) << int(FileFailure::WrongFormat);
        QTest::newRow("SW") << good.left(10) + "SV" + good.mid(12) << int(FileFailure::WrongFormat);
        QTest::newRow("short garbage") << QByteArray("hello") << int(FileFailure::WrongFormat);
        QTest::newRow("header cut") << good.left(11) << int(FileFailure::TooShort);
        QTest::newRow("header only") << good.left(12) << int(FileFailure::TooShort);
        QTest::newRow("in firmware") << good.left(14) << int(FileFailure::TooShort);
        QTest::newRow("in an Id") << good.left(18) << int(FileFailure::TooShort);
        QTest::newRow("in a text") << good.left(21) << int(FileFailure::TooShort);
        QTest::newRow("before marker") << rawFile("2.10", set({{256, "Off"}}), false) << int(FileFailure::TooShort);
        QTest::newRow("half marker") << rawFile("2.10", set({{256, "Off"}}), false) + '\xFF'
                                     << int(FileFailure::TooShort);
        QTest::newRow("marker, no fill") << rawFile("2.10", set({{256, "Off"}})) << int(FileFailure::None);
        QTest::newRow("longer than 4096") << good + QByteArray(5000, 'x') << int(FileFailure::None);
        QByteArray noMarker = header() + "1" + '\0';
        while (noMarker.size() < 5000)
            noMarker.append("\x01\x01text\0", 7);
        QTest::newRow("no marker in 4096 bytes") << noMarker << int(FileFailure::WrongFormat);
        QTest::newRow("4096 bytes without zero") << header() + QByteArray(4084, 'a') << int(FileFailure::WrongFormat);
    }
    void readFailures()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, reason);
        QVERIFY(test::TestDriveTable::writeFile(kPath, content));
        const FileResult<MessageFile> f = readMessageFile(kPath);
        QCOMPARE(int(f.ok() ? FileFailure::None : f.error().reason), reason);
    }

    void fiveHundredEntries_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("ok");
        QTest::newRow("500") << 500 << true;
        QTest::newRow("501") << 501 << false;
        QTest::newRow("1300") << 1300 << false;
    }
    void fiveHundredEntries()
    {
        QFETCH(int, count);
        QFETCH(bool, ok);
        MessageSet entries;
        for (int i = 0; i < count; ++i)
            entries.append({quint16(i), QByteArray()});
        const QByteArray file = padded(rawFile("", entries));
        QCOMPARE(file.size(), MessageFileSize);
        const FileResult<MessageFile> f = parseMessageFile(file);
        QCOMPARE(f.ok(), ok);
        if (ok)
            QCOMPARE(f->entries.size(), count);
        else
            QCOMPARE(f.error().reason, FileFailure::WrongFormat);
        // The writer never produces what the reader refuses.
        QCOMPARE(messageFileBytes("", entries).ok(), ok);
    }

    // An entry, its zero byte and the end marker must fit in 4096 bytes.
    void tooLong_data()
    {
        QTest::addColumn<int>("textLength");
        QTest::addColumn<bool>("fits");
        // 12 header + "1" + zero = 14; entry = 2 + n + 1; marker 2 -> n = 4077 fills exactly.
        QTest::newRow("exactly full") << 4077 << true;
        QTest::newRow("one byte over") << 4078 << false;
        QTest::newRow("far over") << 10000 << false;
    }
    void tooLong()
    {
        QFETCH(int, textLength);
        QFETCH(bool, fits);
        QVERIFY(test::TestDriveTable::writeFile(kPath, "old content"));
        const MessageSet entries{{256, QByteArray(textLength, 'a')}};
        const WriteResult w = WriteMessageFile(kPath, "1", entries);
        if (fits) {
            QVERIFY(w.ok());
            const QByteArray b = test::TestDriveTable::readFile(kPath);
            QCOMPARE(b.right(2), QByteArray("\xFF\xFF"));
            QCOMPARE(b.at(4093), '\0');
            QCOMPARE(readMessageFile(kPath)->entries, entries);
        } else {
            QCOMPARE(w.reason, FileFailure::DataTooLong);
            QCOMPARE(w.text(),
                     QStringLiteral("Cannot save the file, because the data is too long. Try using shorter texts!"));
            QCOMPARE(test::TestDriveTable::readFile(kPath), QByteArray("old content"));
        }
    }

    void cannotStore_data()
    {
        QTest::addColumn<QByteArray>("firmware");
        QTest::addColumn<MessageSet>("entries");
        QTest::addColumn<int>("reason");
        QTest::newRow("number 65535") << QByteArray("1") << set({{65535, "x"}}) << int(FileFailure::CannotStore);
        QTest::newRow("zero in a text") << QByteArray("1") << MessageSet{{256, QByteArray("a\0b", 3)}}
                                        << int(FileFailure::CannotStore);
        QTest::newRow("zero in the version") << QByteArray("1\0002", 3) << MessageSet()
                                             << int(FileFailure::CannotStore);
        QTest::newRow("version too long") << QByteArray(4083, 'v') << MessageSet() << int(FileFailure::DataTooLong);
        QTest::newRow("version fits") << QByteArray(4081, 'v') << MessageSet() << int(FileFailure::None);
    }
    void cannotStore()
    {
        QFETCH(QByteArray, firmware);
        QFETCH(MessageSet, entries);
        QFETCH(int, reason);
        const FileResult<QByteArray> b = messageFileBytes(firmware, entries);
        QCOMPARE(int(b.ok() ? FileFailure::None : b.error().reason), reason);
    }

    void readAsDefaultSetsFirmware()
    {
        QVERIFY(WriteMessageFile(kDefault, "2.10", set({{512, "Volume"}, {256, "Off"}})).ok());
        QVERIFY(LoadReferenceSet(kDefault, true).ok());
        MessageSets &s = messageSets();
        QCOMPARE(s.FirmwareVersion, QByteArray("2.10"));
        QCOMPARE(s.ReferenceMessages, set({{256, "Off"}, {512, "Volume"}}));
        QCOMPARE(s.WorkingMessages, s.ReferenceMessages);

        // A user's file merges onto the reference and leaves the version.
        QVERIFY(WriteMessageFile(kPath, "9.99", set({{512, "Hangero"}, {777, "lost"}})).ok());
        MessageSet table;
        QVERIFY(ReadMessageFile(kPath, table, false).ok());
        QCOMPARE(table, set({{256, "Off"}, {512, "Hangero"}}));
        QCOMPARE(s.FirmwareVersion, QByteArray("2.10"));

        // Loading it as the reference chains the merge.
        QVERIFY(LoadReferenceSet(kPath, false).ok());
        QCOMPARE(s.ReferenceMessages, table);
    }

    void failedReadChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("reason");
        QTest::addColumn<QString>("text");
        QTest::newRow("wrong format") << QByteArray("R7CFG2.00\0......", 16) << int(FileFailure::WrongFormat)
                                      << QStringLiteral("Wrong file format");
        QTest::newRow("cut") << rawFile("2", set({{256, "x"}}), false) << int(FileFailure::TooShort) << QString();
    }
    void failedReadChangesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, reason);
        QFETCH(QString, text);
        QVERIFY(WriteMessageFile(kDefault, "2.10", set({{256, "Off"}})).ok());
        QVERIFY(LoadReferenceSet(kDefault, true).ok());
        const MessageSets before = messageSets();
        QVERIFY(test::TestDriveTable::writeFile(kPath, content));
        for (bool asDefault : {true, false}) {
            const FileError e = LoadReferenceSet(kPath, asDefault);
            QCOMPARE(int(e.reason), reason);
            if (!text.isEmpty())
                QCOMPARE(e.text(), text);
            QCOMPARE(messageSets().ReferenceMessages, before.ReferenceMessages);
            QCOMPARE(messageSets().WorkingMessages, before.WorkingMessages);
            QCOMPARE(messageSets().FirmwareVersion, before.FirmwareVersion);
        }
        const FileError missing = LoadReferenceSet(QStringLiteral("E:\\voxa\\config\\none.mgs"), true);
        QCOMPARE(missing.text(), QStringLiteral("Cannot open the file!"));
    }

    void ranges_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("caption");
        QTest::newRow("255") << 255 << "Other Messages";
        QTest::newRow("256") << 256 << "Menu Values";
        QTest::newRow("fm") << 303 << "Menu Values";
        QTest::newRow("511") << 511 << "Menu Values";
        QTest::newRow("512") << 512 << "Menu Items";
        QTest::newRow("767") << 767 << "Menu Items";
        QTest::newRow("768") << 768 << "Error Messages";
        QTest::newRow("1279") << 1279 << "Error Messages";
        QTest::newRow("1280") << 1280 << "not shown";
        QTest::newRow("1281") << 1281 << "not shown";
        QTest::newRow("1282") << 1282 << "Other Messages";
        QTest::newRow("4095") << 4095 << "Other Messages";
        QTest::newRow("4096") << 4096 << "ID3 Genre";
        QTest::newRow("4351") << 4351 << "ID3 Genre";
        QTest::newRow("4352") << 4352 << "Other Messages";
    }
    void ranges()
    {
        QFETCH(int, id);
        QFETCH(QString, caption);
        QCOMPARE(messageRangeCaption(messageRange(quint16(id))), caption);
    }
};

QTEST_GUILESS_MAIN(TestMessageFile)
#include "test_messagefile.moc"
