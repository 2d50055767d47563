#include "platform/fileops.h"
#include "support/testdrives.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <dirent.h>

using namespace voxa;

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
