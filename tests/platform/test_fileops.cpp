#include "editors/config/configfile.h"
#include "music/mp3list.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "support/testdrives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <dirent.h>
#include <sys/stat.h>

using namespace voxa;

namespace {
// A native file's permission bits in octal ("640").
QByteArray modeOf(const QString &native)
{
    struct stat st {};
    return ::stat(QFile::encodeName(native).constData(), &st) == 0 ? QByteArray::number(st.st_mode & 07777, 8) : "none";
}
}  // namespace

class TestFileOps : public QObject {
    Q_OBJECT
private slots:
    void listingKeepsEntryOrder()
    {
        test::TestDriveTable t;
        const QString root = t.add('E');
        // Names created in an order that sorting would change.
        const QStringList names = {QStringLiteral("zeta.mp3"), QStringLiteral("Alpha.mp3"),
                                   QStringLiteral("mid"), QStringLiteral("beta.MP!")};
        for (const QString &n : names) {
            if (n == QLatin1String("mid"))
                QDir(root).mkdir(n);
            else
                QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("E:\\") + n, "abc"));
        }
        // The order readdir gives is the order we must give.
        QStringList raw;
        DIR *d = opendir(QFile::encodeName(root).constData());
        while (dirent *e = readdir(d))
            if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
                raw << QString::fromUtf8(e->d_name);
        closedir(d);

        bool ok = false;
        const QList<fs::Entry> list = fs::listDir(QStringLiteral("e:\\"), &ok);
        QVERIFY(ok);
        QStringList got;
        for (const fs::Entry &e : list)
            got << e.name;
        QCOMPARE(got, raw);
        for (const fs::Entry &e : list) {
            QCOMPARE(e.isDir, e.name == QLatin1String("mid"));
            QCOMPARE(e.size, e.isDir ? 0 : 3);
            QVERIFY(e.modified.isValid());
        }
        fs::listDir(QStringLiteral("E:\\missing"), &ok);
        QVERIFY(!ok);
    }

    void readOnlyTestAndClear()
    {
        test::TestDriveTable t;
        t.add('E');
        const QString p = QStringLiteral("E:\\voxa\\config\\a.cfg");
        QVERIFY(test::TestDriveTable::writeFile(p, "x"));
        QVERIFY(!fs::isReadOnly(p));
        QVERIFY(fs::setReadOnly(p));
        QVERIFY(fs::isReadOnly(QStringLiteral("E:\\VOXA\\CONFIG\\A.CFG")));
        bool listedReadOnly = false;
        for (const fs::Entry &e : fs::listDir(QStringLiteral("E:\\voxa\\config")))
            listedReadOnly = e.readOnly;
        QVERIFY(listedReadOnly);
        QVERIFY(fs::clearReadOnly(p));
        QVERIFY(!fs::isReadOnly(p));
        QVERIFY(!fs::clearReadOnly(QStringLiteral("E:\\nothing")));
    }

    void renameRemoveAndFolders()
    {
        test::TestDriveTable t;
        t.add('E');
        QVERIFY(fs::makePath(QStringLiteral("E:\\voxa\\Temp\\deep")));
        QVERIFY(fs::isDir(QStringLiteral("E:\\VOXA\\temp\\DEEP")));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("E:\\a.mp!"), "12345"));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("E:\\b.mp3"), "1"));
        // No overwrite of another file.
        QVERIFY(!fs::rename(QStringLiteral("E:\\a.mp!"), QStringLiteral("E:\\b.mp3")));
        QVERIFY(!fs::lastErrorText().isEmpty());
        QCOMPARE(fs::fileSize(QStringLiteral("E:\\b.mp3")), qint64(1));
        QVERIFY(fs::rename(QStringLiteral("E:\\A.MP!"), QStringLiteral("E:\\a.mp3")));
        QCOMPARE(fs::fileSize(QStringLiteral("E:\\a.mp3")), qint64(5));
        QVERIFY(!fs::exists(QStringLiteral("E:\\a.mp!")));
        // A folder moves whole.
        QVERIFY(fs::rename(QStringLiteral("E:\\voxa\\temp\\deep"), QStringLiteral("E:\\moved")));
        QVERIFY(fs::isDir(QStringLiteral("E:\\moved")));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("E:\\moved\\f"), "1"));
        QVERIFY(!fs::removeDir(QStringLiteral("E:\\moved")));  // not empty
        QVERIFY(fs::removeFile(QStringLiteral("E:\\moved\\f")));
        QVERIFY(fs::removeDir(QStringLiteral("E:\\moved")));
        QVERIFY(!fs::exists(QStringLiteral("E:\\moved")));
        QCOMPARE(fs::fileSize(QStringLiteral("E:\\gone")), qint64(-1));
    }

    void linksAreNeverFollowed_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("outsideMode");
        QTest::newRow("whole-file write") << "write" << 0644;
        QTest::newRow("clear read-only") << "clear" << 0444;
        QTest::newRow("set read-only") << "set" << 0664;
        // What the editors' saves and the play-list exports show the user.
        QTest::newRow("player file save") << "config" << 0644;
        QTest::newRow("play-list export") << "playlist" << 0644;
    }
    void linksAreNeverFollowed()
    {
        QFETCH(QString, operation);
        QFETCH(int, outsideMode);
        test::TestDriveTable t;
        t.add('E');
        QTemporaryDir outside;
        const QString target = outside.path() + QStringLiteral("/thesis.txt");
        QVERIFY(test::TestDriveTable::writeFile(target, "precious"));
        QVERIFY(::chmod(QFile::encodeName(target).constData(), mode_t(outsideMode)) == 0);
        const QString path = QStringLiteral("E:\\voxa\\manager\\copy.his");
        QVERIFY(fs::makePath(QStringLiteral("E:\\voxa\\manager")));
        QVERIFY(QFile::link(target, platform::toNative(path)));

        const QString named = fs::symbolicLinkText() + QStringLiteral(" [") + path + QLatin1Char(']');
        QString error;
        if (operation == QLatin1String("write")) {
            QCOMPARE(fs::writeWholeFile(path, "crafted"), fs::symbolicLinkText());
        } else if (operation == QLatin1String("config")) {
            QCOMPARE(WriteConfigFile(path, ConfigDocument()).text(), named);
        } else if (operation == QLatin1String("playlist")) {
            QVERIFY(!WriteMp3ListFile(path, {QStringLiteral("E:\\a.mp3")}, &error));
            QCOMPARE(error, named);
        } else {
            QVERIFY(!(operation == QLatin1String("clear") ? fs::clearReadOnly(path) : fs::setReadOnly(path)));
            QCOMPARE(fs::lastErrorText(), fs::symbolicLinkText());
        }
        QVERIFY(QFileInfo(platform::toNative(path)).isSymLink());
        QCOMPARE(QDir(platform::toNative(QStringLiteral("E:\\voxa\\manager"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList{QStringLiteral("copy.his")});
        QCOMPARE(modeOf(target) + test::TestDriveTable::readFile(target), QByteArray::number(outsideMode, 8) + "precious");
    }

    void wholeFileWriteModes()
    {
        // A new file gets 0666 less the umask; a replaced one keeps its mode.
        test::TestDriveTable t;
        t.add('E');
        const QString path = QStringLiteral("E:\\a.m3u");
        const mode_t oldMask = ::umask(027);
        const QString written = fs::writeWholeFile(path, "one");
        ::umask(oldMask);
        QCOMPARE(written, QString());
        QCOMPARE(modeOf(platform::toNative(path)), QByteArray("640"));
        QVERIFY(::chmod(QFile::encodeName(platform::toNative(path)).constData(), 0604) == 0);
        QCOMPARE(fs::writeWholeFile(path, "two"), QString());
        QCOMPARE(modeOf(platform::toNative(path)) + test::TestDriveTable::readFile(path), QByteArray("604two"));
    }

    void freeSpaceComesFromTheDrive()
    {
        test::TestDriveTable t;
        t.add('E', platform::DriveType::Removable, QStringLiteral("FAT32"), QStringLiteral("V"), 4096);
        QCOMPARE(fs::freeSpace(QStringLiteral("E:\\voxa")), qint64(4096));
        QCOMPARE(fs::freeSpace(QStringLiteral("Y:\\")), qint64(-1));
        QVERIFY(fs::freeSpace(QDir::tempPath()) > 0);
    }
};

QTEST_GUILESS_MAIN(TestFileOps)
#include "test_fileops.moc"
