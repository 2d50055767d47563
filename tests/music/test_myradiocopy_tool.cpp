// voxatool myradio-copy: the copy from scripts, with E the player's drive
// and D the destination.
#include "editors/myradio/myradiofile.h"
#include "platform/fileops.h"
#include "support/testdrive.h"
#include "support/toolrun.h"

#include <QTest>

using namespace voxa;
using test::TestDriveTable;

class TestMyRadioCopyTool : public QObject {
    Q_OBJECT

    test::TestDrive m_drives;
    QString m_e, m_d;

    static QStringList args(const QStringList &rest)
    {
        return QStringList{QStringLiteral("myradio-copy")} + rest;
    }

private slots:
    void init()
    {
        QVERIFY(m_drives.setUp(QLatin1Char('E'), {QStringLiteral("voxa/myradio")}));
        m_e = m_drives.root();
        m_d = m_drives->add(QLatin1Char('D'), platform::DriveType::Fixed);
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\rock\\a.mp3"), QByteArray(300000, 'a')));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\b.mp3"), QByteArray(70000, 'b')));
        QVERIFY(WriteMyRadioFile(QStringLiteral("E:\\voxa\\myradio\\rock.mra"),
                                 {MyRadioElement::fromPath(QStringLiteral("music\\rock"), 2),
                                  MyRadioElement::fromPath(QStringLiteral("\\music\\b.mp3"), 5)})
                        .ok());
        QVERIFY(fs::makePath(QStringLiteral("D:\\backup")));
    }
    void cleanup() { m_drives.tearDown(); }

    void copiesEverything()
    {
        // The profile by its native path, the destination as a device path.
        const auto r = test::run(args({m_e + QStringLiteral("/voxa/myradio/rock.mra"), QStringLiteral("D:\\backup")}));
        QCOMPARE(r.status, 0);
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\backup\\music\\rock\\a.mp3")), QByteArray(300000, 'a'));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\backup\\music\\b.mp3")), QByteArray(70000, 'b'));
        QVERIFY(r.out.contains(QStringLiteral("E:\\voxa\\myradio\\rock.mra: copied, 2 files (370000 bytes)")));
        QVERIFY(r.out.contains(QStringLiteral("profile copy D:\\voxa\\myradio\\rock.mra")));
        QVERIFY(r.out.endsWith(QStringLiteral("everything was copied\n")));
        QVERIFY(r.err.contains(QStringLiteral("Copy... 7%\n")));  // 26410 of 396410 at the start
        QVERIFY(r.err.endsWith(QStringLiteral("Copy... 100%\n")));
        const auto copy = ReadMyRadioFile(QStringLiteral("D:\\voxa\\myradio\\rock.mra"));
        QVERIFY(copy.ok());
        QCOMPARE(copy.value()[0].path(), QStringLiteral("\\backup\\music\\rock"));
        QCOMPARE(copy.value()[1].path(), QStringLiteral("\\backup\\music\\b.mp3"));
        QCOMPARE(copy.value()[1].weightClass, 5);
    }

    // Without --overwrite an existing file is kept and the run fails; the
    // question is printed with the answer taken.
    void existingTarget_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("default No") << QStringList{} << 1 << QByteArray("old");
        QTest::newRow("--skip") << QStringList{"--skip"} << 1 << QByteArray("old");
        QTest::newRow("--overwrite") << QStringList{"--overwrite"} << 0 << QByteArray(70000, 'b');
    }
    void existingTarget()
    {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QByteArray, content);
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("D:\\music\\b.mp3"), "old"));
        const auto r = test::run(args(options + QStringList{"--content-only", "E:\\voxa\\myradio\\rock.mra", "D:"}));
        QCOMPARE(r.status, status);
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\b.mp3")), content);
        QCOMPARE(r.err.contains(QStringLiteral("Do you want to overwrite the existing file? [D:\\music\\b.mp3] (No)")),
                 options.isEmpty());
        QVERIFY(!QFile::exists(m_d + QStringLiteral("/voxa")));
        if (status != 0) {
            QVERIFY(r.out.contains(QStringLiteral("NOT copied, 1 files (300000 bytes), 1 skipped")));
            QVERIFY(r.out.endsWith(QStringLiteral("not everything was copied\n")));
        }
    }

    void missingElementFails()
    {
        QVERIFY(WriteMyRadioFile(QStringLiteral("E:\\voxa\\myradio\\gone.mra"),
                                 {MyRadioElement::fromPath(QStringLiteral("music\\gone.mp3"), 1),
                                  MyRadioElement::fromPath(QStringLiteral("music\\c.mp3"), 1)})
                        .ok());
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\c.mp3"), QByteArray(1000, 'c')));
        const auto r = test::run(args({"E:\\voxa\\myradio\\gone.mra", "E:\\voxa\\myradio\\rock.mra", "D:"}));
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QStringLiteral("The file does not exists! [E:\\music\\gone.mp3] (OK)")));
        QVERIFY(r.out.contains(QStringLiteral("gone.mra: NOT copied, 1 files (1000 bytes), 0 skipped, 0 failed, 1 missing")));
        QVERIFY(r.out.contains(QStringLiteral("rock.mra: copied")));
    }

    void notEnoughSpace()
    {
        m_drives->setFree(QLatin1Char('D'), 1000);
        const auto r = test::run(args({"E:\\voxa\\myradio\\rock.mra", "D:"}));
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QStringLiteral("Not enough free space int the target drive to copy the files!")));
        QVERIFY(!QFile::exists(m_d + QStringLiteral("/music")));
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("no destination") << QStringList{"E:\\voxa\\myradio\\rock.mra"} << "usage:";
        QTest::newRow("both boxes") << QStringList{"--skip", "--overwrite", "E:\\voxa\\myradio\\rock.mra", "D:"}
                                    << "usage:";
        QTest::newRow("unknown option") << QStringList{"--fast", "E:\\voxa\\myradio\\rock.mra", "D:"}
                                        << "unknown option --fast";
        QTest::newRow("same drive") << QStringList{"E:\\voxa\\myradio\\rock.mra", "E:\\music"} << "another drive";
        QTest::newRow("destination missing") << QStringList{"E:\\voxa\\myradio\\rock.mra", "D:\\nothing"}
                                             << "no folder on a known drive";
        QTest::newRow("unknown drive") << QStringList{"Q:\\rock.mra", "D:"} << "on no known drive";
        QTest::newRow("bad drive option") << QStringList{"--drive", "1", "E:\\voxa\\myradio\\rock.mra", "D:"}
                                          << "--drive takes a letter";
    }
    void usage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const auto r = test::run(args(arguments));
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(error), qPrintable(r.err));
        QVERIFY(!QFile::exists(m_d + QStringLiteral("/music")));
    }
};

QTEST_GUILESS_MAIN(TestMyRadioCopyTool)
#include "test_myradiocopy_tool.moc"
