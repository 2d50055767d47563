#include "devicetesthelpers.h"

#include "app/messagetable.h"

#include <QTest>

using namespace voxa;
using namespace voxa::test;
using platform::DriveType;

class TestManagerDrive : public QObject {
    Q_OBJECT
private slots:
    void init() { resetAppState(); }
    void cleanup() { setManagerFilesForTests(nullptr); }

    void versionTexts_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("30101") << 30101 << " 3.01.01";
        QTest::newRow("123456") << 123456 << "12.34.56";
        QTest::newRow("301") << 301 << " 3.01.00";
        QTest::newRow("0") << 0 << "Not Available";
        QTest::newRow("-1") << -1 << "";
    }
    void versionTexts()
    {
        QFETCH(int, version);
        QFETCH(QString, text);
        QCOMPARE(VersionText(version), text);
    }

    void sizeTexts_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("1024") << qint64(1024) << "1,024.00B";
        QTest::newRow("1025") << qint64(1025) << "1.00KB";
        QTest::newRow("37.25 GB") << qint64(37.25 * 1024 * 1024 * 1024) << "37.25GB";
        QTest::newRow("4 divisions at most") << (qint64(3000) << 40) << "3,000.00TB";
        QTest::newRow("0") << qint64(0) << "0.00B";
    }
    void sizeTexts()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(SizeText(bytes, QLocale(QLocale::English, QLocale::UnitedStates)), text);
    }

    void sizeTextFollowsLocale()
    {
        QCOMPARE(SizeText(1024, QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("1.024,00B"));
    }

    void managerDriveChecks()
    {
        TestDriveTable t;
        t.add('E');
        QVERIFY(!IsManagerDrive('E'));
        makeManagerDrive('E', 30101, false);
        QVERIFY(IsManagerDrive('E'));
        QVERIFY(appState().MessageEditorDisabled);  // default.mgs is missing
        TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\manager\\default.mgs"), "x");
        QVERIFY(IsManagerDrive('E'));
        QVERIFY(!appState().MessageEditorDisabled);
        QVERIFY(fs::removeFile(QStringLiteral("E:\\voxa\\manager\\defaultskin.bmp")));
        QVERIFY(!IsManagerDrive('E'));
    }

    void olderRuntimeCountsForTheIconOnly()
    {
        const ManagerFileNames win = windowsManagerFiles();
        setManagerFilesForTests(&win);
        TestDriveTable t;
        t.add('E');
        makeManagerDrive('E', 30101, true, QStringLiteral("qtintf.dll"));
        QVERIFY(!IsManagerDrive('E'));
        QVERIFY(IsOlderInstallationDrive('E'));
        TIniFileHandler ini;
        const QList<ChooserRow> rows = ListChooserDrives(ini);
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows[0].managerDrive);
        QCOMPARE(rows[0].driveText, QStringLiteral("E [VOXA]"));
    }

    void runningFromManagerFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("result");
        QTest::newRow("exact") << "E:\\voxa\\manager\\voxam2" << true;
        QTest::newRow("other case") << "e:\\VOXA\\Manager\\voxam2.exe" << true;
        QTest::newRow("deeper") << "E:\\x\\voxa\\manager\\voxam2" << false;
        QTest::newRow("elsewhere") << "C:\\home\\me\\dist\\voxam2" << false;
        QTest::newRow("native") << "/media/voxa/manager/voxam2" << false;
    }
    void runningFromManagerFolder()
    {
        QFETCH(QString, path);
        QFETCH(bool, result);
        QCOMPARE(RunsFromManagerFolder(path), result);
    }

    void chooserListsOnlyUsableDrives()
    {
        TestDriveTable t;
        t.add('D', DriveType::Optical);
        t.add('E', DriveType::Removable, QStringLiteral("FAT32"), QStringLiteral("PLAYER"), 5000);
        t.add('F', DriveType::Removable, QStringLiteral("FAT32"), QStringLiteral("FULL"), 0);
        t.add('G', DriveType::Fixed, QStringLiteral("NTFS"), QStringLiteral("DATA"));
        t.add('H', DriveType::Fixed, QStringLiteral("ext4"), QStringLiteral("HOME"));
        t.add('I', DriveType::Network, QStringLiteral("FAT32"), QStringLiteral("NET"));
        t.add('J', DriveType::RamDisk, QStringLiteral("FAT32"), QStringLiteral("RAM"));
        t.add('K', DriveType::Removable, QStringLiteral("fat32"), QStringLiteral("CASE"));
        makeManagerDrive('G', 30101);
        TIniFileHandler ini;
        const QList<ChooserRow> rows = ListChooserDrives(ini, QLocale(QLocale::English, QLocale::UnitedStates));
        QStringList letters;
        for (const ChooserRow &r : rows)
            letters << QString(r.letter);
        QCOMPARE(letters, (QStringList{QStringLiteral("E"), QStringLiteral("G"), QStringLiteral("I")}));
        QCOMPARE(rows[0].driveText, QStringLiteral("      E [PLAYER]"));
        QCOMPARE(rows[0].versionText, QStringLiteral("Not Available"));
        QCOMPARE(rows[0].freeText, QStringLiteral("4.88KB"));
        QVERIFY(rows[1].managerDrive);
        QCOMPARE(rows[1].driveText, QStringLiteral("G [DATA]"));
        QCOMPARE(rows[1].versionText, QStringLiteral(" 3.01.01"));
        QCOMPARE(rows[1].sizeText, QStringLiteral("16.00GB"));
    }
};

QTEST_GUILESS_MAIN(TestManagerDrive)
#include "test_managerdrive.moc"
