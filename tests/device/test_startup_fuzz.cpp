// Feeds the files the start-up and the installation read thousands of
// damaged copies: voxam2.ini, language files, copy.his, the drive table, the
// system's mount table and udev's records, and program headers. Nothing may
// crash or read past its bytes (the sanitizer build checks the latter), the
// settings must keep their promises, and a damaged copy.his may delete
// nothing but the installation files of its own source.
#include "app/languagefile.h"
#include "app/settings.h"
#include "device/installer.h"
#include "device/managerdrive.h"
#include "platform/drives.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "support/mutate.h"
#include "support/recordingprocesses.h"
#include "support/testdrives.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <memory>

using namespace voxa;
using namespace voxa::test;

namespace {

QByteArray mutate(const QByteArray &b, QRandomGenerator &rng)
{
    static const char special[] = {'\0', '\r', '\n', '=', '\\', '[', ']', ' ', '\xEF', '\xFF'};
    return mutateBytes(b, rng, {8, QByteArrayView(special, sizeof special), 300});
}

QByteArray iniSeed()
{
    return "\xEF\xBB\xBF[VOXA Manager Ini File]\r\nVersion = 30101\r\nLanguage = Magyar\r\nWindow.LEFT = 100\r\n"
           "Window.TOP = 200\r\nDisplay Type = VA-DA\r\nUse Proxy = true\r\nProxy Server = proxy.example\r\n"
           "Proxy Port = 3128\r\nQuarantine Dir = Karant\xe9n\r\n";
}

QByteArray legacySeed()
{
    QByteArray b(4, 0);
    qToLittleEndian<qint32>(20500, b.data());
    QByteArray len(4, 0);
    qToLittleEndian<qint32>(6, len.data());
    return b + len + "Magyar" + QByteArray("\x64\0\0\0\xC8\0\0\0\x02", 9);
}

QByteArray languageSeed()
{
    QByteArray b = "VOXA Manager Language=Magyar\r\nID=HUN\r\nHelp=voxam2hun\r\n";
    for (int n = 0; n < 200; ++n)
        b += QByteArray::number(n) + "=sz\xf6veg " + QByteArray::number(n) + " = x\r\n";
    return b;
}

// A header the size of the bytes, so that reading one past them is caught.
QString interpreterOfExact(const QByteArray &b)
{
    std::unique_ptr<char[]> block(new char[size_t(std::max<qsizetype>(b.size(), 1))]);
    std::copy(b.cbegin(), b.cend(), block.get());
    return platform::elfInterpreter(QByteArrayView(block.get(), b.size()));
}

}  // namespace

class TestStartupFuzz : public QObject {
    Q_OBJECT

    QRandomGenerator rng{20261209};

private slots:
    void settingsFiles()
    {
        TestDriveTable drives;
        drives.add('E');
        const QString ini = QStringLiteral("E:\\voxa\\manager\\voxam2.ini");
        for (int i = 0; i < 1500; ++i) {
            const QByteArray bytes = mutate(i % 3 ? iniSeed() : legacySeed(), rng);
            QVERIFY(TestDriveTable::writeFile(ini, bytes));
            TIniFileHandler s;
            s.SetDrive('E');
            const int version = s.version();
            QVERIFY2(version >= 0 && version <= TIniFileHandler::MaxVersion, bytes.toHex().constData());
            QVERIFY(!s.language().isEmpty());
            QVERIFY(s.displayType() == 1 || s.displayType() == 2);
            s.windowPosition();
            s.useProxy();
            s.proxyServer();
            s.proxyPort();
            QVERIFY(!s.quarantineDir().isEmpty());
            // Whatever was there, a saved file reads back what was set. (Saving
            // flushes to the disk, so only now and then.)
            if (i % 10)
                continue;
            s.setVersion(30101);
            s.setQuarantineDir(QStringLiteral("Q"));
            QVERIFY(s.SaveFile());
            TIniFileHandler r;
            r.SetDrive('E');
            r.ParseSettings();
            QVERIFY(r.HasHeader());
            QCOMPARE(r.version(), 30101);
            QCOMPARE(r.quarantineDir(), QStringLiteral("Q"));
        }
    }

    void languageFiles()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(QStringLiteral("x.lng"));
        for (int i = 0; i < 1000; ++i) {
            const QByteArray bytes = mutate(languageSeed(), rng);
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
            f.close();
            const auto header = ReadLanguageHeader(path);
            const QList<QByteArray> lines = LanguageLines(bytes.left(4096));
            QCOMPARE(header.has_value(), !lines.isEmpty() && lines[0].contains("Language"));
            QVERIFY(ApplyLanguageFile(path));
        }
    }

    void installHistories()
    {
        TestDriveTable drives;
        drives.add('E');
        drives.add('F');
        drives.add('S', platform::DriveType::Fixed, QStringLiteral("ext4"));
        RecordingProcesses procs;  // the retries wait through it, not for real
        const QByteArray seed = "S:\\dist\\voxam2\r\nS:\\dist\\default.mgs\r\nS:\\dist\\defaultskin.bmp\r\n"
                                "S:\\dist\\Language\\English.lng\r\nS:\\dist\\Language\\\r\n";
        const QStringList kept = {QStringLiteral("E:\\precious.mp3"), QStringLiteral("S:\\precious.mp3"),
                                  QStringLiteral("S:\\dist\\keep.txt"), QStringLiteral("F:\\voxa\\manager\\voxam2"),
                                  QStringLiteral("F:\\voxa\\manager\\Language\\English.lng"),
                                  QStringLiteral("E:\\voxa\\manager\\voxam2")};
        for (int i = 0; i < 400; ++i) {
            for (const QString &f : kept)
                QVERIFY(TestDriveTable::writeFile(f, "x"));
            for (const char *f : {"voxam2", "default.mgs", "defaultskin.bmp", "Language\\English.lng"})
                QVERIFY(TestDriveTable::writeFile(QStringLiteral("S:\\dist\\") + QLatin1String(f), "x"));
            const QByteArray his = mutate(seed, rng);
            QVERIFY(TestDriveTable::writeFile(QStringLiteral("F:\\voxa\\manager\\copy.his"), his));
            ReadInstallHistory(his);
            // Started by an installation from S:\dist whose files are those in F.
            CompleteInstallation('F', RecordInstallation('F', QFileInfo(platform::toNative(QStringLiteral("S:\\dist"))).canonicalFilePath()));
            for (const QString &f : kept)
                QVERIFY2(fs::isFile(f), qPrintable(f + QStringLiteral(" deleted by: ") + QString::fromLatin1(his.toHex())));
            QVERIFY(!fs::exists(QStringLiteral("F:\\voxa\\manager\\copy.his")));
        }
    }

    void driveTables()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(QStringLiteral("drives"));
        const QByteArray seed = "# letter type fs label folder\nV removable FAT32 VOXA /tmp/disk one\n"
                                "W fixed NTFS - img\nx network FAT32 L /\n";
        for (int i = 0; i < 800; ++i) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(mutate(seed, rng));
            f.close();
            for (const platform::DriveInfo &d : platform::readDriveTableFile(path)) {
                QVERIFY(d.letter >= QLatin1Char('C') && d.letter <= QLatin1Char('Z'));
                QVERIFY(!d.root.isEmpty());
            }
        }
    }

    void mountAndUdevRecords()
    {
        const QByteArray mounts = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                                  "40 22 8:17 / /media/me/VOXA\\040DISK rw,nosuid - vfat /dev/sdb1 rw,showexec\n"
                                  "42 22 8:17 /music /srv/m rw - vfat /dev/sdb1 rw\n"
                                  "45 22 0:50 / /mnt/share rw - cifs //server/music rw\n";
        const QByteArray udev = "S:disk/by-uuid/1234-ABCD\nE:ID_FS_TYPE=vfat\nE:ID_FS_UUID=1234-ABCD\n"
                                "E:ID_FS_LABEL_ENC=VOXA\\x20DISK\\xc3\\xa9\nE:ID_FS_LABEL=VOXA_DISK\n";
        for (int i = 0; i < 3000; ++i) {
            for (const platform::MountEntry &m : platform::parseMountInfo(mutate(mounts, rng)))
                QVERIFY(!m.fsType.contains(QLatin1Char('\n')));
            const platform::UdevVolume v = platform::parseUdevData(mutate(udev, rng));
            platform::decodeUdevName(v.label);
        }
    }

    void programHeaders()
    {
        QFile probe(QStringLiteral(VOXA_PROBE_PATH));
        QVERIFY(probe.open(QIODevice::ReadOnly));
        const QByteArray head = probe.read(4096);
        QVERIFY(!interpreterOfExact(head).isEmpty());
        for (int i = 0; i < 5000; ++i) {
            const QString loader = interpreterOfExact(mutate(head, rng));
            QVERIFY(loader.isEmpty() || (loader.startsWith(QLatin1Char('/')) && !loader.contains(QChar(0))));
        }
    }
};

QTEST_GUILESS_MAIN(TestStartupFuzz)
#include "test_startup_fuzz.moc"
