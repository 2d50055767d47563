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
        QTest::newRow("FUSE alone says nothing") << "fuseblk" << "fuseblk";
        QTest::newRow("exfat") << "exfat" << "exFAT";
        QTest::newRow("cifs share") << "cifs" << "NTFS";
        QTest::newRow("smb3 share") << "smb3" << "NTFS";
        QTest::newRow("nfs share") << "nfs" << "NTFS";
        QTest::newRow("nfs4 share") << "nfs4" << "NTFS";
        QTest::newRow("ext4") << "ext4" << "ext4";
    }
    void fileSystemNames()
    {
        QFETCH(QString, linux);
        QFETCH(QString, shown);
        QCOMPARE(fileSystemName(linux), shown);
    }

    void declaredDriveThroughALinkIsResolved()
    {
        QTemporaryDir tmp;
        QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("real/disk")));
        QVERIFY(QFile::link(tmp.filePath(QStringLiteral("real/disk")), tmp.filePath(QStringLiteral("alias"))));
        QFile f(tmp.filePath(QStringLiteral("drives")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("V removable FAT32 VOXA alias\n");
        f.close();
        const QList<DriveInfo> d = readDriveTableFile(f.fileName());
        QCOMPARE(d.size(), 1);
        QCOMPARE(d[0].root, QFileInfo(tmp.filePath(QStringLiteral("real/disk"))).canonicalFilePath());
    }

    void udevNames_data()
    {
        QTest::addColumn<QString>("encoded");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("blank") << "VOXA\\x20DISK" << "VOXA DISK";
        QTest::newRow("slash and quote") << "A\\x2fB\\x22" << "A/B\"";
        QTest::newRow("UTF-8 bytes") << "Zen\\xc3\\xa9" << "Zené";
        QTest::newRow("not an escape") << "a\\xZZ\\x4" << "a\\xZZ\\x4";
    }
    void udevNames()
    {
        QFETCH(QString, encoded);
        QFETCH(QString, decoded);
        QCOMPARE(decodeUdevName(encoded), decoded);
    }

    void mountedVolumes()
    {
        // A made-up system: mountinfo, udev's data and the letters memory.
        QTemporaryDir tmp;
        QDir top(tmp.path());
        for (const char *d : {"m/voxa", "m/voxa2", "m/sub", "m/exfat", "m/ntfs", "m/share", "m/nfs", "m/lab", "udev", "disk", "cfg"})
            QVERIFY(top.mkpath(QLatin1String(d)));
        auto m = [&](const char *name) { return tmp.filePath(QStringLiteral("m/") + QLatin1String(name)).toUtf8(); };
        const QByteArray mountinfo =
            "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
            "40 22 8:17 / " + m("voxa") + " rw,nosuid - vfat /dev/sdb1 rw,showexec\n"
            "41 22 8:17 / " + m("voxa2") + " rw - vfat /dev/sdb1 rw\n"              // the same volume again
            "42 22 8:17 /music " + m("sub") + " rw - vfat /dev/sdb1 rw\n"           // a bind mount of a folder
            "43 22 8:33 / " + m("exfat") + " rw - fuseblk /dev/sdc1 rw\n"           // exFAT through FUSE
            "44 22 8:49 / " + m("ntfs") + " rw - fuseblk /dev/sdd1 rw\n"            // NTFS through FUSE
            "45 22 0:50 / " + m("share") + " rw - cifs //server/music rw\n"
            "46 22 0:51 / " + m("nfs") + " rw - nfs4 server:/export rw\n"
            "47 22 8:65 / " + m("lab") + " rw - vfat /dev/sde1 rw\n"
            "garbage line\n";
        QFile mi(top.filePath(QStringLiteral("mountinfo")));
        QVERIFY(mi.open(QIODevice::WriteOnly));
        mi.write(mountinfo);
        mi.close();
        auto udev = [&](const char *dev, const QByteArray &text) {
            QFile f(top.filePath(QStringLiteral("udev/b") + QLatin1String(dev)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        };
        udev("8:17", "S:disk/by-uuid/1234-ABCD\nE:ID_FS_TYPE=vfat\nE:ID_FS_UUID=1234-ABCD\nE:ID_FS_LABEL_ENC=VOXA\\x20DISK\n");
        udev("8:33", "E:ID_FS_TYPE=exfat\nE:ID_FS_UUID=EX-1\n");
        udev("8:49", "E:ID_FS_TYPE=ntfs\nE:ID_FS_UUID=NT-1\nE:ID_FS_LABEL_ENC=Win\\x2fData\n");
        udev("8:65", "E:ID_FS_TYPE=vfat\nE:ID_FS_UUID=LAB-1\nE:ID_FS_LABEL_ENC=Zen\\xc3\\xa9\n");
        qputenv("VOXA_DRIVE_TABLE", top.filePath(QStringLiteral("none")).toUtf8());
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", top.filePath(QStringLiteral("cfg")).toUtf8());
        SystemDriveTable table({top.filePath(QStringLiteral("mountinfo")), top.filePath(QStringLiteral("udev")),
                                top.filePath(QStringLiteral("disk"))});
        const QList<DriveInfo> first = table.drives();
        auto byRoot = [&](const QList<DriveInfo> &list, const char *name) -> std::optional<DriveInfo> {
            for (const DriveInfo &d : list)
                if (d.root == QString::fromUtf8(m(name)))
                    return d;
            return std::nullopt;
        };
        QVERIFY(byRoot(first, "voxa"));
        QVERIFY(!byRoot(first, "voxa2"));
        QVERIFY(!byRoot(first, "sub"));
        QCOMPARE(byRoot(first, "voxa")->label, QStringLiteral("VOXA DISK"));
        QCOMPARE(byRoot(first, "voxa")->fileSystem, QStringLiteral("FAT32"));
        QCOMPARE(byRoot(first, "exfat")->fileSystem, QStringLiteral("exFAT"));
        QCOMPARE(byRoot(first, "ntfs")->fileSystem, QStringLiteral("NTFS"));
        QCOMPARE(byRoot(first, "ntfs")->label, QStringLiteral("Win/Data"));
        QCOMPARE(byRoot(first, "lab")->label, QStringLiteral("Zené"));
        QCOMPARE(byRoot(first, "share")->fileSystem, QStringLiteral("NTFS"));
        QCOMPARE(byRoot(first, "share")->type, DriveType::Network);
        QCOMPARE(byRoot(first, "nfs")->fileSystem, QStringLiteral("NTFS"));
        QCOMPARE(first.size(), 7);  // C and six volumes

        // A second look gives the same letters and leaves the memory alone.
        const QString letters = top.filePath(QStringLiteral("cfg/voxa/letters"));
        QFile lf(letters);
        QVERIFY(lf.open(QIODevice::ReadOnly));
        const QByteArray remembered = lf.readAll();
        lf.close();
        QVERIFY(remembered.contains("uuid:1234-ABCD="));
        const QDateTime written = QFileInfo(letters).lastModified();
        const qint64 changed = QFileInfo(letters).fileTime(QFileDevice::FileMetadataChangeTime).toMSecsSinceEpoch();
        QTest::qWait(20);
        for (int i = 0; i < 3; ++i) {
            const QList<DriveInfo> again = table.drives();
            QCOMPARE(again.size(), first.size());
            for (int k = 0; k < first.size(); ++k) {
                QCOMPARE(again[k].letter, first[k].letter);
                QCOMPARE(again[k].root, first[k].root);
            }
        }
        QCOMPARE(QFileInfo(letters).lastModified(), written);
        QCOMPARE(QFileInfo(letters).fileTime(QFileDevice::FileMetadataChangeTime).toMSecsSinceEpoch(), changed);
        qunsetenv("VOXA_DRIVE_TABLE");
        qputenv("XDG_CONFIG_HOME", oldConfig);
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
