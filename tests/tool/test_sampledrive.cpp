// The sample drive that scripts/run starts the manager from is a complete
// installation: made by scripts/make-sample-drive from the build, it passes
// the start-up's decision as a normal run from the drive's manager folder,
// not install mode (the drive chooser) and not a hand-over.
#include "app/appstate.h"
#include "app/version.h"
#include "device/devicetesthelpers.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace voxa;
using namespace voxa::test;

class TestSampleDrive : public QObject {
    Q_OBJECT

    QTemporaryDir m_out;
    QString m_drive;

private slots:
    void initTestCase()
    {
        QVERIFY(m_out.isValid());
        QProcess make;
        make.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        make.start(QStringLiteral("bash"), {QStringLiteral(VOXA_SOURCE_DIR "/scripts/make-sample-drive"),
                                            QStringLiteral(VOXA_BINARY_DIR), m_out.path()});
        QVERIFY(make.waitForFinished(240000));
        QCOMPARE(make.exitStatus(), QProcess::NormalExit);
        QCOMPARE(make.exitCode(), 0);
        const QList<QByteArray> lines = make.readAllStandardOutput().trimmed().split('\n');
        m_drive = QString::fromLocal8Bit(lines.last());
        QCOMPARE(m_drive, m_out.path() + QStringLiteral("/sample-drive"));
    }

    void cleanup()
    {
        setProgramPathForTests(QString());
        resetAppState();
        chooserFlags() = ChooserFlags();
    }

    void drivesTableDeclaresTheDrive()
    {
        QFile table(m_out.path() + QStringLiteral("/drives"));
        QVERIFY(table.open(QIODevice::ReadOnly));
        QVERIFY(table.readAll().contains("\nV removable FAT32 VOXA " + m_drive.toLocal8Bit() + "\n"));
    }

    void startsInNormalRunFromTheDrive()
    {
        TestDriveTable drives;
        drives.addFolder(QLatin1Char('V'), m_drive);
        setProgramPathForTests(QStringLiteral("V:\\voxa\\manager\\voxam2"));
        FakeHost host;
        QVERIFY2(IsManagerDrive(QLatin1Char('V')), "the sample drive is not a complete installation");
        QVERIFY(!appState().MessageEditorDisabled);
        QCOMPARE(ReadDriveVersion(host.ini, QLatin1Char('V')), ManagerVersion);

        resetAppState();
        QVERIFY(LocateManager(host, false));
        QVERIFY(!appState().Terminating);
        QCOMPARE(appState().DriveLetter, QLatin1Char('V'));
        QCOMPARE(host.calls, QStringList({QStringLiteral("menus off"), QStringLiteral("window settings")}));
    }

    void settingsFileIsWhatAnInstallationWrites()
    {
        TestDriveTable drives;
        drives.addFolder(QLatin1Char('V'), m_drive);
        TIniFileHandler ini;
        ini.SetDrive(QLatin1Char('V'));
        QCOMPARE(ini.version(), ManagerVersion);
        QVERIFY(ini.HasHeader());
        QCOMPARE(ini.language(), QStringLiteral("English"));
        QCOMPARE(ini.windowPosition(), QPoint(240, 160));
        QCOMPARE(ini.displayType(), quint8(1));
    }
};

QTEST_GUILESS_MAIN(TestSampleDrive)
#include "test_sampledrive.moc"
