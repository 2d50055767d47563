#include "editors/config/configfile.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "support/testdrive.h"

#include <QTest>
#include <QtEndian>

#include <unistd.h>

using namespace voxa;

namespace {

const QString kPath = QStringLiteral("E:\\voxa\\config\\test.cfg");

QByteArray newDocumentBytes()
{
    QByteArray b("R7CFG2.00", 9);
    b.append('\0');
    for (int i = 0; i < 40; ++i)
        b.append("\xFF\x7F", 2);
    for (int i = 0; i < 6; ++i)
        b.append("\xFF\xFF", 2).append(QByteArray(14, '\0'));
    return b;
}

QByteArray slotBytes(const QByteArray &content)
{
    return content + QByteArray(16 - content.size(), '\0');
}

QByteArray withSlot(QByteArray file, int slot, const QByteArray &content)
{
    file.replace(90 + 16 * (slot - 1), 16, slotBytes(content));
    return file;
}

QByteArray withWord(QByteArray file, int word, qint16 value)
{
    qToLittleEndian(value, file.data() + 10 + 2 * (word - 1));
    return file;
}

}  // namespace

class TestConfigFile : public QObject {
    Q_OBJECT

    test::TestDrive drives;

private slots:
    void init() { QVERIFY(drives.setUp('E', {QStringLiteral("voxa/config")})); }
    void cleanup() { drives.tearDown(); }

    void newDocumentIsAllUnchanged()
    {
        const ConfigDocument doc;
        for (int n = 1; n <= 40; ++n)
            QCOMPARE(doc.word(n), ConfigUnchanged);
        for (int s = 1; s <= 6; ++s)
            QVERIFY(doc.name(s).isUnchanged());
        QVERIFY(WriteConfigFile(kPath, doc).ok());
        QCOMPARE(test::TestDriveTable::readFile(kPath), newDocumentBytes());
    }

    void roundTrip_data()
    {
        QTest::addColumn<QList<int>>("words");  // values of words 1..28
        QTest::addColumn<QList<QByteArray>>("names");  // slots 1, 3, 4, 5; "-" = unchanged
        QList<int> lows, highs;
        for (int n = 1; n <= 28; ++n) {
            lows << -32768 + n;
            highs << 32766 - n;
        }
        QTest::newRow("extremes") << lows << QList<QByteArray>{"", "-", "a", "0123456789ABCDEF"};
        QTest::newRow("other extremes") << highs << QList<QByteArray>{"-", "", "-", ""};
        QList<int> typical{-10, 441, 5, -3, 272, 465, 353, 464, -66, 450, -12, 12, 277, 464, 355, 465,
                           336, 320, 1, 60, 31, 0, 303, 30, 1, 368, 385, 401};
        QTest::newRow("typical") << typical
                                 << QList<QByteArray>{"PLAY1", "LOGO", "\xE1rv\xEDzt\xFBr\xF5", "rock"};
        QList<int> unchanged(28, 32767);
        QTest::newRow("unchanged") << unchanged << QList<QByteArray>{"-", "-", "-", "-"};
    }
    void roundTrip()
    {
        QFETCH(QList<int>, words);
        QFETCH(QList<QByteArray>, names);
        ConfigDocument doc;
        for (int n = 1; n <= 28; ++n)
            doc.setWord(n, qint16(words[n - 1]));
        const int slotNumbers[] = {1, 3, 4, 5};
        for (int i = 0; i < 4; ++i)
            doc.setName(slotNumbers[i], names[i] == "-" ? ConfigName::unchanged() : ConfigName::named(names[i]));
        QVERIFY(WriteConfigFile(kPath, doc).ok());
        QCOMPARE(QFileInfo(platform::toNative(kPath)).size(), ConfigFileSize);
        const FileResult<ConfigDocument> back = ReadConfigFile(kPath);
        QVERIFY(back.ok());
        QCOMPARE(*back, doc);
    }

    // Reading and writing again keeps every byte that means something.
    void readThenWriteNormalises()
    {
        QByteArray file = newDocumentBytes();
        for (int n = 1; n <= 40; ++n)
            file = withWord(file, n, qint16(n * 7 - 100));
        file = withSlot(file, 1, "PLAYD");
        file = withSlot(file, 2, "reserved");
        file = withSlot(file, 3, QByteArray("\0junk", 5));
        file = withSlot(file, 4, "");
        file = withSlot(file, 5, "\xFF\xFF");
        file = withSlot(file, 6, "x");
        file.append("trailing bytes");
        QVERIFY(test::TestDriveTable::writeFile(kPath, file));

        const FileResult<ConfigDocument> doc = ReadConfigFile(kPath);
        QVERIFY(doc.ok());
        QVERIFY(WriteConfigFile(kPath, *doc).ok());

        QByteArray expected = file.left(186);
        for (int n = 29; n <= 40; ++n)
            expected = withWord(expected, n, 32767);
        expected = withSlot(expected, 2, "\xFF\xFF");
        expected = withSlot(expected, 3, "");
        expected = withSlot(expected, 6, "\xFF\xFF");
        QCOMPARE(test::TestDriveTable::readFile(kPath), expected);
    }

    void slotContents_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("zeros") << QByteArray() << int(ConfigName::Kind::Empty) << QByteArray();
        QTest::newRow("zero first") << QByteArray("\0AB", 3) << int(ConfigName::Kind::Empty) << QByteArray();
        QTest::newRow("unchanged mark") << QByteArray("\xFF\xFF") << int(ConfigName::Kind::Unchanged)
                                        << QByteArray();
        QTest::newRow("unchanged mark, junk after")
            << QByteArray("\xFF\xFFxyz") << int(ConfigName::Kind::Unchanged) << QByteArray();
        QTest::newRow("0xFF 0x41 is a name") << QByteArray("\xFF\x41") << int(ConfigName::Kind::Name)
                                             << QByteArray("\xFF\x41");
        QTest::newRow("16 characters") << QByteArray("ABCDEFGHIJKLMNOP") << int(ConfigName::Kind::Name)
                                       << QByteArray("ABCDEFGHIJKLMNOP");
        QTest::newRow("inner zero kept") << QByteArray("AB\0CD", 5) << int(ConfigName::Kind::Name)
                                         << QByteArray("AB\0CD", 5);
    }
    void slotContents()
    {
        QFETCH(QByteArray, slot);
        QFETCH(int, kind);
        QFETCH(QByteArray, name);
        const FileResult<ConfigDocument> doc = parseConfigFile(withSlot(newDocumentBytes(), LogoSlot, slot));
        QVERIFY(doc.ok());
        QCOMPARE(int(doc->name(LogoSlot).kind()), kind);
        QCOMPARE(doc->name(LogoSlot).bytes(), name);
    }

    void sixteenCharacterNameHasNoZero()
    {
        ConfigDocument doc;
        doc.setName(MyRadioSlot, ConfigName::fromBaseName(QStringLiteral("0123456789abcdefXYZ")));
        QCOMPARE(doc.name(MyRadioSlot).text(), QStringLiteral("0123456789abcdef"));
        const FileResult<QByteArray> bytes = configFileBytes(doc);
        QVERIFY(bytes.ok());
        QCOMPARE(bytes->mid(154, 16), QByteArray("0123456789abcdef"));
        QCOMPARE(bytes->mid(170, 2), QByteArray("\xFF\xFF"));
    }

    void codePageName()
    {
        ConfigDocument doc;
        doc.setName(MessageSlot, ConfigName::fromBaseName(QStringLiteral("Kőbánya")));
        const FileResult<QByteArray> bytes = configFileBytes(doc);
        QVERIFY(bytes.ok());
        QCOMPARE(bytes->mid(138, 8), QByteArray("K\xF5" "b\xE1nya\0", 8));
        QCOMPARE(parseConfigFile(*bytes)->name(MessageSlot).text(), QStringLiteral("Kőbánya"));
    }

    void volumeMinusOneIsNotUnchanged()
    {
        ConfigDocument doc;
        doc.setWord(1, -1);
        const FileResult<QByteArray> bytes = configFileBytes(doc);
        QCOMPARE(bytes->mid(10, 2), QByteArray("\xFF\xFF"));
        const FileResult<ConfigDocument> back = parseConfigFile(*bytes);
        QCOMPARE(back->word(1), qint16(-1));
        QCOMPARE(configValueText(1, back->word(1)), QStringLiteral("-1"));
    }

    void unusedWordsAlwaysUnchanged()
    {
        ConfigDocument doc;
        for (int n = 29; n <= 40; ++n)
            doc.setWord(n, 5);
        const FileResult<QByteArray> bytes = configFileBytes(doc);
        QCOMPARE(*bytes, newDocumentBytes());
        // and reading ignores them
        const FileResult<ConfigDocument> back = parseConfigFile(withWord(newDocumentBytes(), 35, 12));
        QCOMPARE(back->word(35), ConfigUnchanged);
    }

    void overlongNameIsRefused()
    {
        QVERIFY(test::TestDriveTable::writeFile(kPath, "old"));
        ConfigDocument doc;
        doc.setName(LogoSlot, ConfigName::named(QByteArray(17, 'x')));
        const WriteResult w = WriteConfigFile(kPath, doc);
        QCOMPARE(w.reason, FileFailure::DataTooLong);
        QCOMPARE(test::TestDriveTable::readFile(kPath), QByteArray("old"));
    }

    void readFailures_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("reason");
        const QByteArray good = newDocumentBytes();
        QTest::newRow("empty") << QByteArray() << int(FileFailure::TooShort);
        QTest::newRow("185 bytes") << good.left(185) << int(FileFailure::TooShort);
        QTest::newRow("header only") << good.left(10) << int(FileFailure::TooShort);
        for (int i = 0; i < 10; ++i) {
            QByteArray bad = good;
            bad[i] = char(bad[i] ^ 0x20);
            QTest::addRow("header byte %d", i) << bad << int(FileFailure::WrongFormat);
        }
        QByteArray v = good;
        v.replace(5, 5, QByteArray("2.01\0", 5));
        QTest::newRow("other version") << v << int(FileFailure::WrongFormat);
        QTest::newRow("message file") << QByteArray("R7MGS1.01\0SW", 12) + QByteArray(200, '\xFF')
                                      << int(FileFailure::WrongFormat);
        QTest::newRow("longer is fine") << good + QByteArray(1000, 'x') << int(FileFailure::None);
    }
    void readFailures()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, reason);
        QVERIFY(test::TestDriveTable::writeFile(kPath, content));
        const FileResult<ConfigDocument> doc = ReadConfigFile(kPath);
        QCOMPARE(int(doc.ok() ? FileFailure::None : doc.error().reason), reason);
        if (reason == int(FileFailure::WrongFormat))
            QCOMPARE(doc.error().text(), QStringLiteral("Wrong file format"));
    }

    void cannotOpen()
    {
        const FileResult<ConfigDocument> missing = ReadConfigFile(QStringLiteral("E:\\voxa\\config\\none.cfg"));
        QCOMPARE(missing.error().reason, FileFailure::CannotOpen);
        QCOMPARE(missing.error().text(), QStringLiteral("Cannot open the file!"));
        // A folder is refused as what it is, with the same first words.
        const FileError folder = ReadConfigFile(QStringLiteral("E:\\voxa\\config")).error();
        QCOMPARE(folder.reason, FileFailure::NotRegularFile);
        QVERIFY(folder.cannotOpen());
        QCOMPARE(folder.message(), QStringLiteral("Cannot open the file! Not a regular file"));
        QCOMPARE(ReadConfigFile(QStringLiteral("Q:\\voxa\\a.cfg")).error().reason, FileFailure::CannotOpen);
    }

    void tooShortSaysHowShort()
    {
        const FileResult<ConfigDocument> doc = parseConfigFile(newDocumentBytes().left(100));
        QCOMPARE(doc.error().reason, FileFailure::TooShort);
        QVERIFY(doc.error().text().contains(QStringLiteral("100 of 186")));
    }

    void deviceNamesAreCaseless()
    {
        ConfigDocument doc;
        doc.setWord(21, 20);
        QVERIFY(WriteConfigFile(kPath, doc).ok());
        const FileResult<ConfigDocument> back = ReadConfigFile(QStringLiteral("e:\\VOXA\\Config\\TEST.CFG"));
        QVERIFY(back.ok());
        QCOMPARE(back->word(21), qint16(20));
    }

    void cannotCreate()
    {
        const WriteResult noFolder = WriteConfigFile(QStringLiteral("E:\\voxa\\missing\\a.cfg"), ConfigDocument());
        QCOMPARE(noFolder.reason, FileFailure::CannotCreate);
        QCOMPARE(noFolder.text(), QStringLiteral("Error while trying to open file for write!"));
        QCOMPARE(WriteConfigFile(QStringLiteral("Q:\\a.cfg"), ConfigDocument()).reason, FileFailure::CannotCreate);
    }

    // A save that cannot complete leaves the old file as it was.
    void failedSaveKeepsOldFile()
    {
        if (geteuid() == 0)
            QSKIP("permissions do not hold for root");
        ConfigDocument doc;
        doc.setWord(1, 3);
        QVERIFY(WriteConfigFile(kPath, doc).ok());
        const QByteArray before = test::TestDriveTable::readFile(kPath);
        const QString folder = drives->root('E') + QStringLiteral("/voxa/config");
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        doc.setWord(1, 4);
        const WriteResult w = WriteConfigFile(kPath, doc);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(w.reason, FileFailure::CannotCreate);
        QCOMPARE(test::TestDriveTable::readFile(kPath), before);
    }

    void valueTexts_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("volume +") << 1 << 12 << "+12" << true;
        QTest::newRow("volume too low") << 1 << -67 << "invalid (-67)" << false;
        QTest::newRow("balance centre") << 2 << 441 << "0" << true;
        QTest::newRow("equalizer") << 13 << 276 << "Rock" << true;
        QTest::newRow("equalizer 278") << 5 << 278 << "invalid (278)" << false;
        QTest::newRow("repeat off") << 18 << 320 << "Off" << true;
        QTest::newRow("intro") << 20 << 15 << "15 sec" << true;
        QTest::newRow("fm") << 23 << 290 << "290" << true;
        QTest::newRow("fm out") << 23 << 304 << "invalid (304)" << false;
        QTest::newRow("turn off 0") << 25 << 0 << "invalid (0)" << false;
        QTest::newRow("unchanged") << 7 << 32767 << "unchanged" << true;
        QTest::newRow("unused word") << 30 << 1 << "invalid (1)" << false;
    }
    void valueTexts()
    {
        QFETCH(int, word);
        QFETCH(int, value);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(configValueText(word, value), text);
        QCOMPARE(isValidConfigValue(word, value), valid);
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "test_configfile.moc"
