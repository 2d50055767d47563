// Thousands of damaged update2.ini files through the reader: it never
// crashes, takes a file only with its exact first line, never leaves a blank
// in a URL and always lets a later key win.
#include "support/mutate.h"
#include "support/testdrives.h"
#include "update/updateinfo.h"

#include <QRandomGenerator>
#include <QTest>

using namespace voxa;

namespace {

const QByteArray Seed =
    "[UPDATE]\r\n"
    "MANAGER_VERSION=3.01.02\r\n"
    "MANAGER_URL=http://update.example/voxa/manager setup.exe\r\n"
    "MANAGER_SHA256=00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff\r\n"
    "VOXA_FIRMWARE_VERSION=2.20\r\n"
    "VOXA_FIRMWARE_URL=http://update.example/fw2.exe\r\n"
    "SAT_FIRMWARE_VERSION = 1.05\r\n"
    "VOXA_3.xx_FIRMWARE_VERSION=3.02\r\n"
    "VOXA_3.xx_FIRMWARE_URL=http://update.example/fw3.exe\r\n"
    "VOXAC_FIRMWARE_URL=http://update.example/c.exe\r\n"
    "VOXA_CARFRONT_VERSION=1.00\n"
    "; a comment line\r\n"
    "VOXA_CARFRONT_URL=http://update.example/fp.exe";

// True when the first line is exactly the header.
bool hasHeader(const QByteArray &b)
{
    return b.startsWith("[UPDATE]") && (b.size() == 8 || b[8] == '\r' || b[8] == '\n');
}

void checkOne(const QByteArray &bytes)
{
    const std::optional<UpdateInfo> info = ParseUpdateInfo(bytes);
    QCOMPARE(bool(info), hasHeader(bytes));
    if (!info)
        return;
    for (int row = 1; row <= UpdateRowCount; ++row) {
        QVERIFY(!info->url(row).contains(QLatin1Char(' ')));
        if (const std::optional<QByteArray> &sum = info->checksum(row))
            QVERIFY(sum->isEmpty() || sum->size() == 32);
    }
    // A key added at the end always wins, whatever the damage before it.
    const std::optional<UpdateInfo> more = ParseUpdateInfo(bytes + "\r\nVOXA_FIRMWARE_VERSION=9.99\r\nSAT_FIRMWARE_URL=a b");
    QVERIFY(more);
    QCOMPARE(more->version(2).value_or(QString()), QStringLiteral("9.99"));
    QCOMPARE(more->url(3), QStringLiteral("a%20b"));
    QCOMPARE(more->version(1), info->version(1));
}

}  // namespace

class TestUpdateFuzz : public QObject {
    Q_OBJECT

private slots:
    void seedIsRead()
    {
        const std::optional<UpdateInfo> info = ParseUpdateInfo(Seed);
        QVERIFY(info);
        QCOMPARE(info->url(1), QStringLiteral("http://update.example/voxa/manager%20setup.exe"));
        QVERIFY(!info->version(3));
        QCOMPARE(info->version(6).value_or(QString()), QStringLiteral("1.00"));
        QCOMPARE(info->url(6), QStringLiteral("http://update.example/fp.exe"));
    }

    void damaged()
    {
        QRandomGenerator rng(20240517);
        const test::Damage how{12, QByteArrayView("=\r\n[] _"), 300};
        for (int i = 0; i < 4000; ++i) {
            const QByteArray bytes = test::mutateBytes(Seed, rng, how);
            checkOne(bytes);
            if (QTest::currentTestFailed()) {
                qWarning() << "damaged file" << i << bytes.toHex();
                return;
            }
        }
    }

    void garbage()
    {
        QRandomGenerator rng(7);
        for (int i = 0; i < 2000; ++i) {
            QByteArray bytes(qsizetype(rng.bounded(600)), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(rng.bounded(256));
            if (i % 2)
                bytes.prepend("[UPDATE]\n");
            checkOne(bytes);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Every cut of the file, read from a drive as the check reads it.
    void truncatedFiles()
    {
        test::TestDriveTable drives;
        drives.add(QLatin1Char('E'));
        const QString path = UpdateInfoPath(QLatin1Char('E'));
        for (qsizetype n = 0; n <= Seed.size(); ++n) {
            QVERIFY(test::TestDriveTable::writeFile(path, Seed.left(n)));
            UpdateInfoError error = UpdateInfoError::CannotOpen;
            const std::optional<UpdateInfo> info = ReadUpdateInfoFile(path, &error);
            QCOMPARE(bool(info), n >= 8);
            QCOMPARE(error, n >= 8 ? UpdateInfoError::None : UpdateInfoError::Invalid);
        }
    }
};

QTEST_GUILESS_MAIN(TestUpdateFuzz)
#include "test_updatefuzz.moc"
