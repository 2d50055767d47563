// The sort journal against damaged, cut, oversized and foreign files: the
// reader never crashes or accepts a path it should not, and a roll-back from
// any journal never loses a file.
#include "music/dirsort.h"
#include "platform/fileops.h"
#include "sorttestutil.h"
#include "support/mutate.h"
#include "support/testdrives.h"

#include <QTest>

#include <sys/stat.h>

using namespace voxa;
using test::TestDriveTable;

namespace {

const QByteArrayView Specials("\r\n\\:./\xEF\xBB\xBF\xE1\xC1");

QList<QByteArray> seeds()
{
    return {EncodeSortJournal(QStringLiteral("V:\\music")),
            EncodeSortJournal(QStringLiteral("V:\\zene\\\u0150szi dalok\\cd 1")),
            EncodeSortJournal(QStringLiteral("E:\\\u043C\u0443\u0437\\a")),
            QByteArray("V:\\music\r\nsecond line\r\n")};
}

// What a journal accepted by the reader must satisfy.
void checkAccepted(const SortJournal &j, const QByteArray &bytes)
{
    QVERIFY2(j.Valid, qPrintable(j.Error));
    QVERIFY(bytes.size() <= SortJournalMaxBytes);
    QVERIFY(j.Written.size() > 3);
    QCOMPARE(j.Written.mid(3), j.Relative);
    const QChar letter = j.Written[0].toUpper();
    QVERIFY(letter >= QLatin1Char('C') && letter <= QLatin1Char('Z'));
    QCOMPARE(j.Written.mid(1, 2), QStringLiteral(":\\"));
    const QStringList parts = j.Relative.split(QLatin1Char('\\'));
    for (const QString &p : parts) {
        QVERIFY(!p.isEmpty() && p != QLatin1String(".") && p != QLatin1String(".."));
        for (QChar c : p)
            QVERIFY(c.unicode() >= 0x20 && c != QLatin1Char('/') && c != QLatin1Char(':'));
    }
    QVERIFY(!(parts[0].compare(QLatin1String("voxa"), Qt::CaseInsensitive) == 0
              && (parts.size() == 1 || parts[1].compare(QLatin1String("temp"), Qt::CaseInsensitive) == 0)));
    // What is accepted is written back the same way.
    const SortJournal again = ParseSortJournal(EncodeSortJournal(j.Written));
    QVERIFY(again.Valid);
    QCOMPARE(again.Written, j.Written);
}

// The content of every file below a folder, as a sorted list (where they
// are may change, what they are may not).
QList<QByteArray> contents(const QString &native, const QString &skipName)
{
    QList<QByteArray> out;
    const auto snap = test::snapshot(native);
    for (auto it = snap.begin(); it != snap.end(); ++it)
        if (it.value() != "<dir>" && !QFileInfo(it.key()).fileName().startsWith(skipName, Qt::CaseInsensitive))
            out << it.value();
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

class TestDirSortFuzz : public QObject {
    Q_OBJECT

private slots:
    void damagedJournals()
    {
        QRandomGenerator rng(0x50a7);
        int accepted = 0;
        for (const QByteArray &seed : seeds()) {
            checkAccepted(ParseSortJournal(seed), seed);
            for (int i = 0; i < 3000; ++i) {
                const QByteArray bytes = test::mutateBytes(seed, rng, {6, Specials, 64});
                const SortJournal j = ParseSortJournal(bytes);
                if (j.Valid) {
                    ++accepted;
                    checkAccepted(j, bytes);
                    if (QTest::currentTestFailed())
                        QFAIL(bytes.toHex().constData());
                } else {
                    QVERIFY(!j.Error.isEmpty());
                }
            }
        }
        QVERIFY(accepted > 100);  // the damage leaves many journals readable
    }

    void randomBytes()
    {
        QRandomGenerator rng(7);
        for (int i = 0; i < 5000; ++i) {
            QByteArray bytes(rng.bounded(200), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(rng.bounded(256));
            const SortJournal j = ParseSortJournal(bytes);
            if (j.Valid)
                checkAccepted(j, bytes);
        }
    }

    void cutAtEveryLength()
    {
        const QByteArray full = EncodeSortJournal(QStringLiteral("V:\\zene\\\u0150szi"));
        for (qsizetype n = 0; n < full.size(); ++n) {
            const SortJournal j = ParseSortJournal(full.first(n));
            // Only a cut after the line's end keeps it; a cut path never
            // names another folder.
            QCOMPARE(j.Valid, n >= full.size() - 1);
        }
    }

    void oversized_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<bool>("valid");
        QTest::newRow("at the limit") << qsizetype(SortJournalMaxBytes) << true;
        QTest::newRow("one over") << qsizetype(SortJournalMaxBytes + 1) << false;
        QTest::newRow("a megabyte") << qsizetype(1 << 20) << false;
    }
    void oversized()
    {
        QFETCH(qsizetype, size);
        QFETCH(bool, valid);
        QByteArray bytes = "V:\\music\r\n";
        bytes.append(QByteArray(size - bytes.size(), 'x'));
        QCOMPARE(ParseSortJournal(bytes).Valid, valid);
        // Read from the drive, the file is cut at the limit plus one byte.
        TestDriveTable drives;
        drives.add(QLatin1Char('V'));
        QVERIFY(TestDriveTable::writeFile(SortJournalPath(QLatin1Char('V')), bytes));
        QCOMPARE(ReadSortJournal(QLatin1Char('V')).Valid, valid);
    }

    void notARegularFile()
    {
        TestDriveTable drives;
        const QString root = drives.add(QLatin1Char('V'));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/voxa/Temp")));
        const QByteArray fifo = QFile::encodeName(root + QStringLiteral("/voxa/Temp/Sort.dat"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        const SortJournal j = ReadSortJournal(QLatin1Char('V'));  // must not block
        QVERIFY(!j.Valid);
        QCOMPARE(RollBackSort(QLatin1Char('V')).Result, SortResult::RolledBack);
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/voxa/Temp")));

        QVERIFY(QDir().mkpath(root + QStringLiteral("/voxa/Temp/Sort.dat")));
        QCOMPARE(RollBackSort(QLatin1Char('V')).Result, SortResult::RollBackFailed);
        QVERIFY(QFileInfo(root + QStringLiteral("/voxa/Temp/Sort.dat")).isDir());
    }

    // A half-done sort with a damaged journal: whatever the roll-back does,
    // every file keeps its content somewhere on the drive, nothing appears
    // outside it, and a failed roll-back keeps its journal.
    void rollBackFromDamagedJournals()
    {
        QRandomGenerator rng(0xdead);
        const QByteArray seed = EncodeSortJournal(QStringLiteral("V:\\music\\cd"));
        for (int i = 0; i < 150; ++i) {
            TestDriveTable drives;
            const QString root = drives.add(QLatin1Char('V'));
            QVERIFY(test::makeFiles(QStringLiteral("V:\\music\\cd"),
                                    test::numbered(QStringLiteral("a%1.mp3"), 4) + QStringList{QStringLiteral("s\\x.mp3")}));
            QVERIFY(test::makeFiles(QStringLiteral("V:\\voxa\\Temp\\cd"), test::numbered(QStringLiteral("b%1.mp3"), 4)));
            const QByteArray bytes = i == 0 ? seed : test::mutateBytes(seed, rng, {4, Specials, 32});
            QVERIFY(TestDriveTable::writeFile(SortJournalPath(QLatin1Char('V')), bytes));
            const QList<QByteArray> before = contents(root, QStringLiteral("Sort.dat"));
            const SortOutcome out = RollBackSort(QLatin1Char('V'));
            QCOMPARE(contents(root, QStringLiteral("Sort.dat")), before);
            QCOMPARE(SortJournalExists(QLatin1Char('V')), out.Result == SortResult::RollBackFailed);
            if (out.Result == SortResult::RollBackFailed)
                QVERIFY(!out.RollBackError.isEmpty());
            if (i == 0) {
                QCOMPARE(out.Result, SortResult::RolledBack);
                QCOMPARE(out.MovedBack, 4);
                QVERIFY(QFileInfo::exists(root + QStringLiteral("/music/cd/b4.mp3")));
            }
            if (QTest::currentTestFailed())
                QFAIL(bytes.toHex().constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestDirSortFuzz)
#include "test_dirsortfuzz.moc"
