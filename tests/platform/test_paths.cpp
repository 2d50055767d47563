// Device paths never lead off their drive: ".." stops at the drive's root.
#include "platform/fileops.h"
#include "platform/paths.h"
#include "support/testdrives.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace voxa;
using namespace voxa::platform;

class TestPaths : public QObject {
    Q_OBJECT

private slots:
    void dotDotStopsAtTheRoot_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("clean");
        QTest::addColumn<QString>("relative");
        QTest::newRow("one up inside") << "E:\\music\\rock\\..\\pop" << "E:\\music\\pop" << "music/pop";
        QTest::newRow("dot") << "e:\\.\\music\\.\\" << "E:\\music" << "music";
        QTest::newRow("above the root") << "E:\\..\\..\\etc\\passwd" << "E:\\etc\\passwd" << "etc/passwd";
        QTest::newRow("climb out later") << "E:\\Quarantine\\..\\..\\..\\x" << "E:\\x" << "x";
        QTest::newRow("only dots") << "E:\\..\\.." << "E:\\" << "";
        QTest::newRow("slashes") << "E:/a/../../b/" << "E:\\b" << "b";
        QTest::newRow("dots in a name") << "E:\\a..b\\...\\c" << "E:\\a..b\\...\\c" << "a..b/.../c";
    }
    void dotDotStopsAtTheRoot()
    {
        QFETCH(QString, device);
        QFETCH(QString, clean);
        QFETCH(QString, relative);
        test::TestDriveTable t;
        const QString root = t.add('E');
        QCOMPARE(cleanDevicePath(device), clean);
        const QString native = toNative(device);
        QCOMPARE(native, relative.isEmpty() ? root : root + QLatin1Char('/') + relative);
        QVERIFY(native.startsWith(root));
    }

    void dotDotWithCaselessMatching()
    {
        test::TestDriveTable t;
        const QString root = t.add('E');
        QDir(root).mkpath(QStringLiteral("voxa/temp"));
        QCOMPARE(toNative(QStringLiteral("E:\\VOXA\\x\\..\\Temp")), root + QStringLiteral("/voxa/temp"));
    }

    void fileOperationsStayOnTheDrive()
    {
        // A folder made through a device path with ".." lands below the
        // drive's root, not beside it.
        test::TestDriveTable t;
        const QString root = t.add('E');
        const QString outside = QDir::cleanPath(root + QStringLiteral("/../escaped"));
        QVERIFY(!QFile::exists(outside));
        QVERIFY(fs::makePath(QStringLiteral("E:\\..\\escaped")));
        QVERIFY(!QFile::exists(outside));
        QVERIFY(QFileInfo(root + QStringLiteral("/escaped")).isDir());
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("E:\\a.mp3"), "x"));
        QVERIFY(fs::rename(QStringLiteral("E:\\a.mp3"), QStringLiteral("E:\\..\\..\\escaped\\a.mp3")));
        QVERIFY(QFile::exists(root + QStringLiteral("/escaped/a.mp3")));
    }

    void otherPathsUnchanged()
    {
        QCOMPARE(cleanDevicePath(u"/home/../x"), QStringLiteral("/home/../x"));
        QVERIFY(devicePathParts(u"relative\\..\\x").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPaths)
#include "test_paths.moc"
