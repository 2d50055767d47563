#include "platform/drives.h"
#include "platform/paths.h"
#include "support/testdrives.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace voxa;
using namespace voxa::platform;

class TestDrives : public QObject {
    Q_OBJECT
private slots:
    void driveTableFileLines()
    {
        QTemporaryDir tmp;
        QDir(tmp.path()).mkpath(QStringLiteral("disk one"));
        QDir(tmp.path()).mkpath(QStringLiteral("img"));
        QFile f(tmp.filePath(QStringLiteral("drives")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("# letter type fs label folder\n\n"
                "v removable FAT32 VOXA " + tmp.filePath(QStringLiteral("disk one")).toUtf8() + "\n"
                "W fixed NTFS - img\n"          // relative to the table's folder
                "B fixed FAT32 X /tmp\n"        // A and B are not drive letters
                "X removable FAT32\n");         // no folder
        f.close();
        const QList<DriveInfo> d = readDriveTableFile(f.fileName());
        QCOMPARE(d.size(), 2);
        QCOMPARE(d[0].letter, QChar('V'));
        QCOMPARE(d[0].type, DriveType::Removable);
        QCOMPARE(d[0].fileSystem, QStringLiteral("FAT32"));
        QCOMPARE(d[0].label, QStringLiteral("VOXA"));
        QCOMPARE(d[0].root, tmp.filePath(QStringLiteral("disk one")));
        QCOMPARE(d[1].letter, QChar('W'));
        QCOMPARE(d[1].label, QString());
        QCOMPARE(d[1].root, tmp.filePath(QStringLiteral("img")));
    }

    void systemTableHasDeclaredDrivesAndRoot()
    {
        QTemporaryDir tmp;
        const QString disk = tmp.filePath(QStringLiteral("player"));
        QDir().mkpath(disk);
        QFile f(tmp.filePath(QStringLiteral("drives")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("P removable FAT32 VOXA " + disk.toUtf8() + "\n");
        f.close();
        qputenv("VOXA_DRIVE_TABLE", f.fileName().toUtf8());
        qputenv("XDG_CONFIG_HOME", tmp.filePath(QStringLiteral("cfg")).toUtf8());
        SystemDriveTable table;
        const QList<DriveInfo> drives = table.drives();
        qunsetenv("VOXA_DRIVE_TABLE");
        QVERIFY(drives.size() >= 2);
        QCOMPARE(drives[0].letter, QChar('C'));
        QCOMPARE(drives[0].root, QStringLiteral("/"));
        auto p = std::find_if(drives.begin(), drives.end(), [](auto &d) { return d.letter == 'P'; });
        QVERIFY(p != drives.end());
        QCOMPARE(p->root, disk);
        QVERIFY(p->totalBytes > 0);
        QVERIFY(p->freeBytes > 0);
        for (const DriveInfo &d : drives)
            QVERIFY(d.letter >= QLatin1Char('C') && d.letter <= QLatin1Char('Z'));
    }

    void fileSystemNames_data()
    {
        QTest::addColumn<QString>("linux");
        QTest::addColumn<QString>("shown");
        QTest::newRow("vfat") << "vfat" << "FAT32";
        QTest::newRow("ntfs") << "ntfs" << "NTFS";
        QTest::newRow("ntfs3") << "ntfs3" << "NTFS";
        QTest::newRow("ntfs-3g") << "fuseblk" << "NTFS";
        QTest::newRow("ext4") << "ext4" << "ext4";
    }
    void fileSystemNames()
    {
        QFETCH(QString, linux);
        QFETCH(QString, shown);
        QCOMPARE(fileSystemName(linux), shown);
    }

    void testTableReplacesSystem()
    {
        {
            test::TestDriveTable t;
            const QString root = t.add('E', DriveType::Removable, QStringLiteral("FAT32"),
                                       QStringLiteral("PLAYER"), 1234);
            QCOMPARE(&driveTable(), static_cast<DriveTable *>(&t));
            QCOMPARE(driveTable().rootOf('e'), root);
            auto d = driveTable().drive('E');
            QVERIFY(d.has_value());
            QCOMPARE(d->freeBytes, qint64(1234));
            QCOMPARE(d->label, QStringLiteral("PLAYER"));
            t.setFree('E', 0);
            QCOMPARE(driveTable().drive('E')->freeBytes, qint64(0));
            QVERIFY(!driveTable().drive('F').has_value());
        }
        QVERIFY(dynamic_cast<SystemDriveTable *>(&driveTable()) != nullptr);
    }

    void devicePaths_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("relative");
        QTest::newRow("exact") << "E:\\voxa\\config\\a.cfg" << "voxa/config/a.cfg";
        QTest::newRow("other case") << "e:\\VOXA\\Config\\A.CFG" << "voxa/config/a.cfg";
        QTest::newRow("Temp vs temp") << "E:\\voxa\\Temp\\Sort.dat" << "voxa/temp/Sort.dat";
        QTest::newRow("missing tail kept") << "E:\\Voxa\\NEW\\x.txt" << "voxa/NEW/x.txt";
        QTest::newRow("slashes") << "E:/voxa/config/" << "voxa/config";
        QTest::newRow("root") << "E:\\" << "";
        QTest::newRow("bare letter") << "E:" << "";
    }
    void devicePaths()
    {
        QFETCH(QString, device);
        QFETCH(QString, relative);
        test::TestDriveTable t;
        const QString root = t.add('E');
        QDir(root).mkpath(QStringLiteral("voxa/config"));
        QDir(root).mkpath(QStringLiteral("voxa/temp"));
        QFile(root + QStringLiteral("/voxa/config/a.cfg")).open(QIODevice::WriteOnly);
        const QString expected = relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
        QCOMPARE(toNative(device), expected);
    }

    void nativeToDevice()
    {
        test::TestDriveTable t;
        const QString e = t.add('E');
        const QString f = t.add('F');
        QCOMPARE(toDevice(e + QStringLiteral("/voxa/manager/voxam2")), QStringLiteral("E:\\voxa\\manager\\voxam2"));
        QCOMPARE(toDevice(f), QStringLiteral("F:\\"));
        QCOMPARE(toDevice(QStringLiteral("/nowhere/at/all")), QString());
        t.addFolder('C', QStringLiteral("/"));
        QCOMPARE(toDevice(QStringLiteral("/usr/bin/x")), QStringLiteral("C:\\usr\\bin\\x"));
        // The deepest root wins over C.
        QCOMPARE(toDevice(e + QStringLiteral("/a")), QStringLiteral("E:\\a"));
    }

    void unknownLetterAndNativePaths()
    {
        test::TestDriveTable t;
        QCOMPARE(toNative(QStringLiteral("Q:\\voxa")), QString());
        QCOMPARE(toNative(QStringLiteral("/home/x")), QStringLiteral("/home/x"));
        QVERIFY(!isDevicePath(u"A:\\x"));
        QVERIFY(!isDevicePath(u"E:x"));
        QVERIFY(isDevicePath(u"z:\\"));
        QCOMPARE(driveLetterOf(u"g:\\voxa"), QChar('G'));
    }

    void pathPieces()
    {
        QCOMPARE(joinDevice(QStringLiteral("E:\\voxa\\"), QStringLiteral("\\config")), QStringLiteral("E:\\voxa\\config"));
        QCOMPARE(fileNameOf(u"E:\\voxa\\a.cfg"), QStringLiteral("a.cfg"));
        QCOMPARE(folderOf(u"E:\\voxa\\a.cfg"), QStringLiteral("E:\\voxa"));
        QCOMPARE(fileNameOf(u"plain"), QStringLiteral("plain"));
    }
};

QTEST_GUILESS_MAIN(TestDrives)
#include "test_drives.moc"
