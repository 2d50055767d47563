#include "app/settings.h"
#include "support/testdrive.h"

#include <QtEndian>
#include <QTest>

using namespace voxa;

namespace {
const QString kIni = QStringLiteral("E:\\voxa\\manager\\voxam2.ini");

QByteArray le32(qint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}
}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

    test::TestDrive drives;

private slots:
    void init()
    {
        QVERIFY(drives.setUp('E', {QStringLiteral("voxa/manager")}));
        QVERIFY(drives.addDrive('F', {QStringLiteral("voxa/manager")}));
    }
    void cleanup() { drives.tearDown(); }

    void fullSaveMatchesExample()
    {
        TIniFileHandler s;
        s.SetDrive('E');
        s.setVersion(30101);
        s.setLanguage(s.language());
        s.setWindowPosition(322, 264);
        s.setDisplayType(1);
        s.setUseProxy(false);
        s.setProxyServer(QString());
        s.setProxyPort(8080);
        s.setQuarantineDir(QStringLiteral("Quarantine"));
        QVERIFY(s.SaveFile());
        QCOMPARE(test::TestDriveTable::readFile(kIni),
                 QByteArray("[VOXA Manager Ini File]\r\nVersion = 30101\r\nLanguage = English\r\n"
                            "Window.LEFT = 322\r\nWindow.TOP = 264\r\nDisplay Type = VOXA-A\r\n"
                            "Use Proxy = false\r\nProxy Server =\r\nProxy Port = 8080\r\n"
                            "Quarantine Dir = Quarantine"));
    }

    // Appending trims the text's end, so the blank after an empty value goes.
    void keyAppendedLastReadsBack()
    {
        TIniFileHandler s;
        s.SetDrive('E');
        s.SetKey("Language", "Deutsch");
        QCOMPARE(s.SettingsText(), QByteArray("[VOXA Manager Ini File]\r\nLanguage = Deutsch"));
        QCOMPARE(s.GetKey("Language"), QByteArray("Deutsch"));
    }

    void replacingKeepsOrderAndDropsBlankLines()
    {
        test::TestDriveTable::writeFile(kIni, "[VOXA Manager Ini File]\r\nVersion = 1\r\n\r\n"
                                              "Language = English\r\n\r\nProxy Port = 1\r\n");
        TIniFileHandler s;
        s.SetDrive('E');
        s.setLanguage(QStringLiteral("Magyar"));
        QCOMPARE(s.SettingsText(), QByteArray("[VOXA Manager Ini File]\r\nVersion = 1\r\n"
                                              "Language = Magyar\r\nProxy Port = 1\r\n"));
        s.setVersion(30101);
        QCOMPARE(s.SettingsText(), QByteArray("[VOXA Manager Ini File]\r\nVersion = 30101\r\n"
                                              "Language = Magyar\r\nProxy Port = 1\r\n"));
        s.setQuarantineDir(QStringLiteral("Q"));
        QVERIFY(s.SettingsText().endsWith("Proxy Port = 1\r\nQuarantine Dir = Q"));
    }

    void readRules_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<bool>("useProxy");
        QTest::addColumn<int>("displayType");
        QTest::newRow("true") << QByteArray("Use Proxy = true") << true << 1;
        QTest::newRow("other cases and blanks") << QByteArray("uSE pROXY   =TRUE  ") << true << 1;
        QTest::newRow("yes is false") << QByteArray("Use Proxy = yes") << false << 1;
        QTest::newRow("va-da small") << QByteArray("Display Type = va-da") << false << 2;
        QTest::newRow("VA-DA") << QByteArray("Display Type = VA-DA") << false << 2;
        QTest::newRow("empty display type") << QByteArray("Display Type =") << false << 1;
        QTest::newRow("other display type") << QByteArray("Display Type = 2") << false << 1;
    }
    void readRules()
    {
        QFETCH(QByteArray, lines);
        QFETCH(bool, useProxy);
        QFETCH(int, displayType);
        test::TestDriveTable::writeFile(kIni, "[VOXA Manager Ini File]\r\n" + lines);
        TIniFileHandler s;
        s.SetDrive('E');
        QCOMPARE(s.useProxy(), useProxy);
        QCOMPARE(int(s.displayType()), displayType);
    }

    void headerOnlyGivesDefaults()
    {
        test::TestDriveTable::writeFile(kIni, "[VOXA Manager Ini File]");
        TIniFileHandler s;
        s.setWindowPositionSource([] { return QPoint(11, 22); });
        s.SetDrive('E');
        QCOMPARE(s.version(), 0);
        QCOMPARE(s.language(), QStringLiteral("English"));
        QCOMPARE(s.proxyPort(), 8080);
        QCOMPARE(s.quarantineDir(), QStringLiteral("Quarantine"));
        QCOMPARE(s.windowPosition(), QPoint(11, 22));
        QCOMPARE(s.useProxy(), false);
        QCOMPARE(s.proxyServer(), QString());
        QCOMPARE(int(s.displayType()), 1);
    }

    void missingFileGivesVersionZero()
    {
        TIniFileHandler s;
        QCOMPARE(ReadDriveVersion(s, 'F'), 0);
        // Nothing to save into: the folder does not exist on a new drive.
        drives->add('G');
        s.SetDrive('G');
        s.setVersion(1);
        QVERIFY(!s.SaveFile());
    }

    void notDecimalTakesDefault()
    {
        test::TestDriveTable::writeFile(kIni, "[VOXA Manager Ini File]\r\nVersion = 3.01\r\nProxy Port = http\r\n"
                                              "Window.LEFT = 5\r\nWindow.TOP = x");
        TIniFileHandler s;
        s.setWindowPositionSource([] { return QPoint(7, 8); });
        s.SetDrive('E');
        QCOMPARE(s.version(), 0);
        QCOMPARE(s.proxyPort(), 8080);
        QCOMPARE(s.windowPosition(), QPoint(5, 8));
    }

    void headerVariants_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<bool>("text");
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[VOXA Manager Ini File]\r\n") << true;
        QTest::newRow("header other case") << QByteArray("[voxa manager ini file]\r\n") << true;
        QTest::newRow("mark and other case") << QByteArray("\xEF\xBB\xBF[Voxa Manager INI File]\r\n") << true;
        QTest::newRow("blank first line") << QByteArray("\r\n[VOXA Manager Ini File]\r\n") << false;
        QTest::newRow("no header at all") << QByteArray() << false;
    }
    void headerVariants()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(bool, text);
        test::TestDriveTable::writeFile(kIni, prefix + "Version = 30101\r\nLanguage = Deutsch");
        TIniFileHandler s;
        s.SetDrive('E');
        s.ParseSettings();
        QCOMPARE(s.HasHeader(), text);
        // Text read as the binary layout gives a nonsense version; it must not
        // look newer than any real one.
        QCOMPARE(s.version(), text ? 30101 : 0);
        QCOMPARE(s.language(), text ? QStringLiteral("Deutsch") : QStringLiteral("English"));
        s.setVersion(30102);
        const QByteArray expected = text ? QByteArray("[VOXA Manager Ini File]\r\nVersion = 30102\r\nLanguage = Deutsch")
                                         : QByteArray("[VOXA Manager Ini File]\r\nVersion = 30102");
        QCOMPARE(s.SettingsText().mid(s.SettingsText().indexOf("\r\n")), expected.mid(expected.indexOf("\r\n")));
    }

    void versionOutOfRange_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("version");
        QTest::newRow("six digits") << QByteArray("[VOXA Manager Ini File]\r\nVersion = 999999") << 999999;
        QTest::newRow("seven digits") << QByteArray("[VOXA Manager Ini File]\r\nVersion = 1000000") << 0;
        QTest::newRow("negative") << QByteArray("[VOXA Manager Ini File]\r\nVersion = -5") << 0;
        QTest::newRow("legacy huge") << le32(0x7fffffff) << 0;
        QTest::newRow("legacy negative") << le32(-1) << 0;
    }
    void versionOutOfRange()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, version);
        test::TestDriveTable::writeFile(kIni, file);
        TIniFileHandler s;
        QCOMPARE(ReadDriveVersion(s, 'E'), version);
    }

    void settingsFileMustBeRegular()
    {
        // A folder in the file's place reads as no file, and saving reports why.
        QVERIFY(QDir().mkpath(drives->root('E') + QStringLiteral("/voxa/manager/voxam2.ini")));
        TIniFileHandler s;
        QCOMPARE(ReadDriveVersion(s, 'E'), 0);
        s.setVersion(1);
        QVERIFY(!s.SaveFile());
        QCOMPARE(s.SaveError(), QStringLiteral("Is a directory"));
    }

    void legacyLayout_data()
    {
        QTest::addColumn<int>("cut");  // bytes kept
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<int>("displayType");
        const QPoint here(3, 4);
        // Full file: version 20500, "Magyar", top 100, left 200, type 2 = 4+4+6+4+4+1 = 23 bytes
        QTest::newRow("whole") << 23 << 20500 << "Magyar" << QPoint(200, 100) << 2;
        QTest::newRow("no display type") << 22 << 20500 << "Magyar" << QPoint(200, 100) << 1;
        QTest::newRow("no left") << 21 << 20500 << "Magyar" << QPoint(here.x(), 100) << 1;
        QTest::newRow("no top") << 14 << 20500 << "Magyar" << here << 1;
        QTest::newRow("half a name") << 10 << 20500 << "English" << here << 1;
        QTest::newRow("no length") << 6 << 20500 << "English" << here << 1;
        QTest::newRow("version only") << 4 << 20500 << "English" << here << 1;
        QTest::newRow("three bytes") << 3 << 0 << "English" << here << 1;
    }
    void legacyLayout()
    {
        QFETCH(int, cut);
        QFETCH(int, version);
        QFETCH(QString, language);
        QFETCH(QPoint, position);
        QFETCH(int, displayType);
        const QByteArray full = le32(20500) + le32(6) + "Magyar" + le32(100) + le32(200) + QByteArray(1, 2);
        QCOMPARE(full.size(), 23);
        test::TestDriveTable::writeFile(kIni, full.left(cut));
        TIniFileHandler s;
        s.setWindowPositionSource([] { return QPoint(3, 4); });
        s.SetDrive('E');
        QCOMPARE(s.version(), version);
        QCOMPARE(s.language(), language);
        QCOMPARE(s.windowPosition(), position);
        QCOMPARE(int(s.displayType()), displayType);
        QCOMPARE(s.useProxy(), false);
        QCOMPARE(s.proxyServer(), QString());
        QCOMPARE(s.proxyPort(), 8080);
        QCOMPARE(s.quarantineDir(), QStringLiteral("Quarantine"));
    }

    void legacyOversizedLanguageLength()
    {
        test::TestDriveTable::writeFile(kIni, le32(301) + le32(100000) + "x");
        TIniFileHandler s;
        s.SetDrive('E');
        QCOMPARE(s.version(), 301);
        QCOMPARE(s.language(), QStringLiteral("English"));
        QCOMPARE(int(s.displayType()), 1);
    }

    void sameDriveKeepsEditsOtherDriveReloads()
    {
        test::TestDriveTable::writeFile(kIni, "[VOXA Manager Ini File]\r\nLanguage = English");
        TIniFileHandler s;
        s.SetDrive('E');
        s.setLanguage(QStringLiteral("Deutsch"));
        s.SetDrive('e');
        QCOMPARE(s.language(), QStringLiteral("Deutsch"));
        s.SetDrive('F');
        QCOMPARE(s.language(), QStringLiteral("English"));  // F has no file
        s.SetDrive('E');
        QCOMPARE(s.language(), QStringLiteral("English"));  // edits were dropped unsaved
    }

    void saveIsWholeAndTruncates()
    {
        test::TestDriveTable::writeFile(kIni, QByteArray(5000, 'x'));
        TIniFileHandler s;
        s.SetDrive('E');
        s.setVersion(7);
        QVERIFY(s.SaveFile());
        QCOMPARE(test::TestDriveTable::readFile(kIni), QByteArray("[VOXA Manager Ini File]\r\nVersion = 7"));
        // No temporary file stays behind.
        QCOMPARE(QDir(drives->root('E') + QStringLiteral("/voxa/manager")).entryList(QDir::Files),
                 QStringList{QStringLiteral("voxam2.ini")});
    }

    void codePageValues()
    {
        TIniFileHandler s;
        s.SetDrive('E');
        s.setQuarantineDir(QStringLiteral("Karantén"));
        QVERIFY(s.SaveFile());
        QVERIFY(test::TestDriveTable::readFile(kIni).endsWith("Karant\xe9n"));
        TIniFileHandler r;
        r.SetDrive('E');
        QCOMPARE(r.quarantineDir(), QStringLiteral("Karantén"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
