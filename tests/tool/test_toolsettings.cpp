// voxatool settings: the settings file it writes, byte for byte, and what it
// refuses without touching the file.
#include "platform/fileops.h"
#include "support/testdrive.h"
#include "support/toolrun.h"

#include <QDir>

#include <QTest>

using namespace voxa;
using namespace voxa::test;

namespace {
const QString Ini = QStringLiteral("V:\\voxa\\manager\\voxam2.ini");
}

class TestToolSettings : public QObject {
    Q_OBJECT

    test::TestDrive m_drives;

private slots:
    void init()
    {
        QVERIFY(m_drives.setUp(QLatin1Char('V'), {QStringLiteral("voxa/manager")}));
    }
    void cleanup() { m_drives.tearDown(); }

    void writesTheFile_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("after");
        const QByteArray h = "[VOXA Manager Ini File]\r\n";
        QTest::newRow("no file: what an installation writes")
            << QByteArray() << QStringList() << h + "Version = 30101\r\nLanguage = English";
        QTest::newRow("window and display")
            << QByteArray() << QStringList{QStringLiteral("left=240"), QStringLiteral("top=160"), QStringLiteral("display=va-da")}
            << h + "Version = 30101\r\nLanguage = English\r\nWindow.LEFT = 240\r\nWindow.TOP = 160\r\nDisplay Type = VA-DA";
        QTest::newRow("existing keys kept in place, version raised")
            << h + "Version = 20000\r\nLanguage = Magyar\r\nProxy Port = 3128"
            << QStringList{QStringLiteral("use-proxy=TRUE"), QStringLiteral("proxy-server=proxy.lan")}
            << h + "Version = 30101\r\nLanguage = Magyar\r\nProxy Port = 3128\r\nUse Proxy = true\r\nProxy Server = proxy.lan";
        QTest::newRow("legacy binary file replaced")
            << QByteArray("\x10\x27\x00\x00\x06\x00\x00\x00Magyar", 14) << QStringList{QStringLiteral("quarantine=Old")}
            << h + "Version = 30101\r\nLanguage = Magyar\r\nQuarantine Dir = Old";
        QTest::newRow("code page text stored as 8-bit")
            << QByteArray() << QStringList{QStringLiteral("language=Magyar"), QStringLiteral("quarantine=Karantén")}
            << h + "Version = 30101\r\nLanguage = Magyar\r\nQuarantine Dir = Karant\xe9n";
    }
    void writesTheFile()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, after);
        if (!before.isEmpty())
            QVERIFY(TestDriveTable::writeFile(Ini, before));
        const Run r = run(QStringList{QStringLiteral("settings"), QStringLiteral("v:")} + args);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QCOMPARE(TestDriveTable::readFile(Ini), after);
    }

    void refusesWithoutWriting_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("no drive") << QStringList() << 2 << QStringLiteral("usage");
        QTest::newRow("not a drive letter") << QStringList{QStringLiteral("V:\\voxa")} << 2
                                            << QStringLiteral("no drive letter");
        QTest::newRow("unknown drive") << QStringList{QStringLiteral("W:")} << 1 << QStringLiteral("no drive W:");
        QTest::newRow("no equals sign") << QStringList{QStringLiteral("V:"), QStringLiteral("left")} << 2
                                        << QStringLiteral("expected KEY=VALUE");
        QTest::newRow("unknown key") << QStringList{QStringLiteral("V:"), QStringLiteral("colour=red")} << 2
                                     << QStringLiteral("unknown key 'colour'");
        QTest::newRow("number expected") << QStringList{QStringLiteral("V:"), QStringLiteral("top=12px")} << 2
                                         << QStringLiteral("not a whole number");
        QTest::newRow("display type") << QStringList{QStringLiteral("V:"), QStringLiteral("display=VOXA-C")} << 2
                                      << QStringLiteral("VOXA-A or VA-DA");
        QTest::newRow("proxy flag") << QStringList{QStringLiteral("V:"), QStringLiteral("use-proxy=yes")} << 2
                                    << QStringLiteral("true or false");
        QTest::newRow("line break in a value")
            << QStringList{QStringLiteral("V:"), QStringLiteral("language=English\r\nVersion = 1")} << 2
            << QStringLiteral("single line");
        QTest::newRow("outside the code page")
            << QStringList{QStringLiteral("V:"), QStringLiteral("language=\u65e5\u672c")} << 2
            << QStringLiteral("code page");
    }
    void refusesWithoutWriting()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        const QByteArray before = "[VOXA Manager Ini File]\r\nVersion = 123";
        QVERIFY(TestDriveTable::writeFile(Ini, before));
        const Run r = run(QStringList{QStringLiteral("settings")} + args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(TestDriveTable::readFile(Ini), before);
    }

    void reportsTheSystemsTextWhenTheFolderIsMissing()
    {
        QVERIFY(QDir(m_drives->root(QLatin1Char('V')) + QStringLiteral("/voxa/manager")).removeRecursively());
        const Run r = run({QStringLiteral("settings"), QStringLiteral("V:")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("No such file or directory")), qPrintable(r.err));
        QVERIFY(!fs::exists(Ini));
    }
};

QTEST_GUILESS_MAIN(TestToolSettings)
#include "test_toolsettings.moc"
