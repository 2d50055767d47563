#include "editors/myradio/myradiofile.h"
#include "platform/paths.h"
#include "support/testdrive.h"

#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

using namespace voxa;

namespace {

const QString kPath = QStringLiteral("E:\\voxa\\myradio\\test.mra");

QByteArray header()
{
    return QByteArray("R7MRA1.00\0", 10);
}

QByteArray record(const QByteArray &path, quint32 share)
{
    QByteArray r = path.left(260);
    r.append(QByteArray(260 - r.size(), '\0'));
    QByteArray s(4, '\0');
    qToLittleEndian(share, s.data());
    return r + s;
}

QByteArray file(const QList<QByteArray> &records)
{
    QByteArray b = header();
    for (const QByteArray &r : records)
        b.append(r);
    return b + QByteArray(MyRadioFileSize - b.size(), '\0');
}

MyRadioElement element(const QString &path, int weightClass)
{
    return MyRadioElement::fromPath(path, weightClass);
}

}  // namespace

class TestMyRadioFile : public QObject {
    Q_OBJECT

    test::TestDrive drives;

private slots:
    void init() { QVERIFY(drives.setUp('E', {QStringLiteral("voxa/myradio")})); }
    void cleanup() { drives.tearDown(); }

    void encode_data()
    {
        QTest::addColumn<QList<int>>("classes");
        QTest::addColumn<QList<quint32>>("shares");
        QTest::newRow("10 and 10") << QList<int>{10, 10} << QList<quint32>{2147483630u, 2147483630u};
        QTest::newRow("one of 20") << QList<int>{20} << QList<quint32>{4294967260u};
        QTest::newRow("one of 1") << QList<int>{1} << QList<quint32>{4294967293u};
        QTest::newRow("none") << QList<int>{} << QList<quint32>{};
        QTest::newRow("out of range clamps") << QList<int>{0, 25} << QList<quint32>{204522247u, 20 * 204522247u};
    }
    void encode()
    {
        QFETCH(QList<int>, classes);
        QFETCH(QList<quint32>, shares);
        QCOMPARE(EncodeShares(classes), shares);
    }

    void unitHasNoSmallFactor()
    {
        for (int sum = 1; sum <= 2000; sum += 7) {
            QList<int> classes;
            for (int left = sum; left > 0; left -= 20)
                classes.append(std::min(left, 20));
            const QList<quint32> shares = EncodeShares(classes);
            const quint32 unit = shares[0] / quint32(classes[0]);
            for (int d = 2; d <= 20; ++d)
                QVERIFY2(unit % quint32(d) != 0, qPrintable(QStringLiteral("sum %1 unit %2").arg(sum).arg(unit)));
            quint64 total = 0;
            for (quint32 s : shares)
                total += s;
            // All shares fill the 32-bit range but for a few units.
            QVERIFY(total <= 4294967295ULL);
            QVERIFY(total > 4294967295ULL - 100ULL * quint64(sum));
        }
    }

    void decode_data()
    {
        QTest::addColumn<QList<quint32>>("shares");
        QTest::addColumn<QList<int>>("classes");
        QTest::newRow("manager's 10 and 10") << QList<quint32>{2147483630u, 2147483630u} << QList<int>{10, 10};
        QTest::newRow("manager's 20") << QList<quint32>{4294967260u} << QList<int>{20};
        QTest::newRow("100 200 300") << QList<quint32>{100, 200, 300} << QList<int>{5, 10, 15};
        QTest::newRow("1000 and 7") << QList<quint32>{1000, 7} << QList<int>{20, 1};
        QTest::newRow("zeros") << QList<quint32>{0, 0} << QList<int>{1, 1};
        QTest::newRow("zero and 5") << QList<quint32>{0, 5} << QList<int>{1, 5};
        // 77 x (20 / 77) is 19.999... in floating point; the largest stays 20.
        QTest::newRow("largest keeps 20") << QList<quint32>{1, 77} << QList<int>{1, 20};
        QTest::newRow("largest 154") << QList<quint32>{1, 1, 154} << QList<int>{1, 1, 20};
        QTest::newRow("large prime first") << QList<quint32>{4294967291u, 23} << QList<int>{1, 1};
        QTest::newRow("none") << QList<quint32>{} << QList<int>{};
    }
    void decode()
    {
        QFETCH(QList<quint32>, shares);
        QFETCH(QList<int>, classes);
        QCOMPARE(DecodeShares(shares), classes);
    }

    void managerSharesDecodeExactly()
    {
        QRandomGenerator rng(4711);
        for (int round = 0; round < 3000; ++round) {
            QList<int> classes;
            const int n = 1 + int(rng.bounded(100));
            const int top = 1 + int(rng.bounded(20));
            for (int i = 0; i < n; ++i)
                classes.append(1 + int(rng.bounded(top)));
            QCOMPARE(DecodeShares(EncodeShares(classes)), classes);
        }
        for (int n = 1; n <= 100; n += 9)
            for (int c = 1; c <= 20; ++c)
                QCOMPARE(DecodeShares(EncodeShares(QList<int>(n, c))), QList<int>(n, c));
    }

    // Quotients met once the candidate list is full are not listed, but the
    // listed ones keep counting.
    void candidateCapacity()
    {
        const QList<quint32> shares{23, 29, 40, 40, 40, 29};
        QCOMPARE(ShareUnit(shares), 2u);
        QCOMPARE(ShareUnit(shares, 2), 29u);
        QCOMPARE(ShareUnit(shares, 1), 23u);
        QCOMPARE(ShareUnit({}), 1u);

        // Far more distinct quotients than the list holds.
        QList<quint32> many;
        for (quint32 i = 0; i < 5000; ++i)
            many.append(232792560u + i * 997u);
        const QList<int> classes = DecodeShares(many);
        QCOMPARE(classes.size(), many.size());
        for (int c : classes)
            QVERIFY(c >= 1 && c <= 20);
    }

    void emptyProfileBytes()
    {
        QVERIFY(WriteMyRadioFile(kPath, {}).ok());
        QCOMPARE(test::TestDriveTable::readFile(kPath), header() + QByteArray(26400, '\0'));
    }

    void profileBytes()
    {
        const QList<MyRadioElement> elements{element(QStringLiteral("music\\rock"), 10),
                                             element(QStringLiteral("\\song.mp3"), 10)};
        QVERIFY(WriteMyRadioFile(kPath, elements).ok());
        QCOMPARE(test::TestDriveTable::readFile(kPath),
                 file({record("music\\rock", 2147483630u), record("\\song.mp3", 2147483630u)}));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QList<int>>("classes");
        QTest::newRow("one") << QStringList{QStringLiteral("music\\rock")} << QList<int>{7};
        QTest::newRow("mixed") << QStringList{QStringLiteral("music\\rock\\"), QStringLiteral("\\a.MP3"),
                                              QStringLiteral("music\\Kőbánya\\dal.mp3")}
                               << QList<int>{1, 20, 13};
        QStringList hundred;
        QList<int> classes;
        for (int i = 0; i < 100; ++i) {
            hundred << QStringLiteral("music\\d%1\\t.mp3").arg(i);
            classes << 1 + i % 20;
        }
        QTest::newRow("hundred") << hundred << classes;
        QTest::newRow("259 bytes") << QStringList{QString(259, QLatin1Char('x'))} << QList<int>{3};
    }
    void roundTrip()
    {
        QFETCH(QStringList, paths);
        QFETCH(QList<int>, classes);
        QList<MyRadioElement> elements;
        for (qsizetype i = 0; i < paths.size(); ++i)
            elements.append(element(paths[i], classes[i]));
        QVERIFY(WriteMyRadioFile(kPath, elements).ok());
        QCOMPARE(QFileInfo(platform::toNative(kPath)).size(), MyRadioFileSize);
        const FileResult<QList<MyRadioElement>> back = ReadMyRadioFile(kPath);
        QVERIFY(back.ok());
        QCOMPARE(*back, elements);
    }

    void pathParts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isFile");
        QTest::newRow("file") << "music\\rock\\song.mp3" << "music\\rock\\" << "song.mp3" << true;
        QTest::newRow("folder") << "music\\rock" << "music\\" << "rock" << false;
        QTest::newRow("root file") << "\\song.MP3" << "\\" << "song.MP3" << true;
        QTest::newRow("slashes") << "music/pop/a.Mp3" << "music\\pop\\" << "a.Mp3" << true;
        QTest::newRow("no folder") << "rock" << "" << "rock" << false;
        QTest::newRow("mp3 folder name") << "music\\mp3" << "music\\" << "mp3" << false;
        QTest::newRow("other extension") << "music\\a.mp4" << "music\\" << "a.mp4" << false;
    }
    void pathParts()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(bool, isFile);
        // Read from a file, as written by another program.
        const QByteArray f = file({record(path.toLatin1(), 5)});
        const FileResult<QList<MyRadioElement>> r = parseMyRadioFile(f);
        QVERIFY(r.ok());
        QCOMPARE(r->size(), 1);
        QCOMPARE(r->at(0).folder, folder);
        QCOMPARE(r->at(0).name, name);
        QCOMPARE(r->at(0).isFile(), isFile);
    }

    void listEndsAtFirstEmptyRecord()
    {
        const QByteArray f = file({record("a", 7), record("", 0), record("c", 7)});
        QCOMPARE(parseMyRadioFile(f)->size(), 1);
    }

    // A path field without any zero byte is taken whole (260 bytes) and the
    // share after it still read; saving it back is refused rather than cut.
    void fullPathField()
    {
        const QByteArray f = file({record(QByteArray(260, 'p'), 1000), record("b", 7)});
        const FileResult<QList<MyRadioRecord>> r = parseMyRadioRecords(f);
        QVERIFY(r.ok());
        QCOMPARE(r->size(), 2);
        QCOMPARE(r->at(0).element.path().size(), 260);
        QCOMPARE(r->at(0).share, 1000u);
        const FileResult<QList<MyRadioElement>> e = parseMyRadioFile(f);
        QCOMPARE(myRadioFileBytes(*e).error().reason, FileFailure::DataTooLong);
    }

    void foreignSharesAreDecoded()
    {
        const QByteArray f = file({record("a", 100), record("b", 200), record("c", 300)});
        const FileResult<QList<MyRadioElement>> e = parseMyRadioFile(f);
        QVERIFY(e.ok());
        QCOMPARE(e->at(0).weightClass, 5);
        QCOMPARE(e->at(1).weightClass, 10);
        QCOMPARE(e->at(2).weightClass, 15);
    }

    void refusedPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("reason");
        QTest::newRow("260 bytes") << QString(260, QLatin1Char('x')) << int(FileFailure::DataTooLong);
        QTest::newRow("259 code page letters") << QString(259, QChar(0x0151)) << int(FileFailure::None);
        QTest::newRow("260 code page letters") << QString(260, QChar(0x0151)) << int(FileFailure::DataTooLong);
        QTest::newRow("outside code page") << QStringLiteral("music\\日本.mp3") << int(FileFailure::CannotStore);
        QTest::newRow("empty") << QString() << int(FileFailure::CannotStore);
        QTest::newRow("zero character") << QStringLiteral("a") + QChar(0) + QStringLiteral("b")
                                        << int(FileFailure::CannotStore);
    }
    void refusedPaths()
    {
        QFETCH(QString, path);
        QFETCH(int, reason);
        QVERIFY(test::TestDriveTable::writeFile(kPath, "old"));
        const QList<MyRadioElement> elements{element(QStringLiteral("music"), 3), element(path, 3)};
        const WriteResult w = WriteMyRadioFile(kPath, elements);
        QCOMPARE(int(w.reason), reason);
        if (reason != int(FileFailure::None)) {
            QCOMPARE(test::TestDriveTable::readFile(kPath), QByteArray("old"));
            const QString subject = path.isEmpty() ? QStringLiteral("element 2") : path;
            QVERIFY(w.text().endsWith(QStringLiteral(" [") + subject + QLatin1Char(']')));
        } else {
            QCOMPARE(*ReadMyRadioFile(kPath), elements);
        }
    }

    void moreThanHundredElements()
    {
        QList<MyRadioElement> elements;
        for (int i = 0; i < 101; ++i)
            elements.append(element(QStringLiteral("m\\%1").arg(i), 1));
        const WriteResult w = WriteMyRadioFile(kPath, elements);
        QCOMPARE(w.reason, FileFailure::TooManyElements);
        QCOMPARE(w.text(), QStringLiteral("You riched the maximal 100 elements!"));
        QVERIFY(!QFile::exists(platform::toNative(kPath)));
    }

    void readFailures_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("reason");
        const QByteArray good = file({record("music", 7)});
        QTest::newRow("good") << good << int(FileFailure::None);
        QTest::newRow("longer") << good + "extra" << int(FileFailure::None);
        QTest::newRow("one byte short") << good.left(26409) << int(FileFailure::TooShort);
        QTest::newRow("empty") << QByteArray() << int(FileFailure::TooShort);
        QTest::newRow("signature") << QByteArray("R7MRB") + good.mid(5) << int(FileFailure::WrongFormat);
        QTest::newRow("version") << good.left(5) + QByteArray("1.01\0", 5) + good.mid(10)
                                 << int(FileFailure::WrongFormat);
        QTest::newRow("version zero") << good.left(9) + "!" + good.mid(10) << int(FileFailure::WrongFormat);
    }
    void readFailures()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, reason);
        QVERIFY(test::TestDriveTable::writeFile(kPath, content));
        const FileResult<QList<MyRadioElement>> r = ReadMyRadioFile(kPath);
        QCOMPARE(int(r.ok() ? FileFailure::None : r.error().reason), reason);
    }

    void cannotOpenOrCreate()
    {
        QCOMPARE(ReadMyRadioFile(QStringLiteral("E:\\voxa\\myradio\\no.mra")).error().reason,
                 FileFailure::CannotOpen);
        QCOMPARE(WriteMyRadioFile(QStringLiteral("E:\\nofolder\\a.mra"), {}).reason, FileFailure::CannotCreate);
    }
};

QTEST_GUILESS_MAIN(TestMyRadioFile)
#include "test_myradiofile.moc"
