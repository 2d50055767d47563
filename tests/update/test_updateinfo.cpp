// update2.ini, the firmware records, the version order, the list rules, the
// target names and the progress caption.
#include "app/messagetable.h"
#include "app/settings.h"
#include "envguard.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "update/httpdownload.h"
#include "update/updatelist.h"

#include <QTemporaryDir>
#include <QTest>

using namespace voxa;
using test::ScriptedPrompts;
using test::TestDriveTable;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

const QChar E('E');

QByteArray ini(const QByteArray &body)
{
    return "[UPDATE]\r\n" + body;
}

}  // namespace

class TestUpdateInfo : public QObject {
    Q_OBJECT

private slots:
    void init() { resetMessages(); }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("row");
        QTest::addColumn<std::optional<QString>>("version");
        QTest::addColumn<QString>("url");

        QTest::newRow("manager") << ini("MANAGER_VERSION=3.01.02\r\nMANAGER_URL=http://h/m.exe\r\n") << 1
                                 << std::optional<QString>(QStringLiteral("3.01.02")) << QStringLiteral("http://h/m.exe");
        QTest::newRow("row 4 key with a dot") << ini("VOXA_3.xx_FIRMWARE_VERSION=3.02\r\nVOXA_3.xx_FIRMWARE_URL=u4")
                                              << 4 << std::optional<QString>(QStringLiteral("3.02")) << QStringLiteral("u4");
        QTest::newRow("spaces around = make another key")
            << ini("VOXA_FIRMWARE_VERSION = 2.20\r\nVOXA_FIRMWARE_URL =x\r\n") << 2 << std::optional<QString>() << QString();
        QTest::newRow("value keeps its blanks") << ini("SAT_FIRMWARE_VERSION= 1.05 \r\n") << 3
                                                << std::optional<QString>(QStringLiteral(" 1.05 ")) << QString();
        QTest::newRow("space in URL") << ini("VOXAC_FIRMWARE_URL=http://h/a b.exe\r\n") << 5 << std::optional<QString>()
                                      << QStringLiteral("http://h/a%20b.exe");
        QTest::newRow("later key wins") << ini("VOXA_CARFRONT_VERSION=1\r\nVOXA_CARFRONT_VERSION=2\r\n") << 6
                                        << std::optional<QString>(QStringLiteral("2")) << QString();
        QTest::newRow("key case matters") << ini("manager_version=9\r\n") << 1 << std::optional<QString>() << QString();
        QTest::newRow("value with =") << ini("MANAGER_URL=http://h/get?a=b&c=d") << 1 << std::optional<QString>()
                                      << QStringLiteral("http://h/get?a=b&c=d");
        QTest::newRow("empty value") << ini("MANAGER_VERSION=\r\n") << 1 << std::optional<QString>(QString()) << QString();
        QTest::newRow("LF lines") << QByteArray("[UPDATE]\nMANAGER_VERSION=3.1\n") << 1
                                  << std::optional<QString>(QStringLiteral("3.1")) << QString();
        QTest::newRow("CR lines") << QByteArray("[UPDATE]\rMANAGER_VERSION=3.1\rMANAGER_URL=u") << 1
                                  << std::optional<QString>(QStringLiteral("3.1")) << QStringLiteral("u");
        QTest::newRow("code page") << ini("MANAGER_VERSION=3.01 \x9a\r\n") << 1
                                   << std::optional<QString>(QStringLiteral("3.01 š")) << QString();
    }

    void parse()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, row);
        QFETCH(std::optional<QString>, version);
        QFETCH(QString, url);
        const std::optional<UpdateInfo> info = ParseUpdateInfo(file);
        QVERIFY(info);
        QCOMPARE(info->version(row), version);
        QCOMPARE(info->url(row), url);
    }

    void invalid_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("lower case") << QByteArray("[update]\r\nMANAGER_VERSION=3.1\r\n");
        QTest::newRow("blank after") << QByteArray("[UPDATE] \r\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("blank first line") << QByteArray("\r\n[UPDATE]\r\n");
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[UPDATE]\r\n");
    }

    void invalid()
    {
        QFETCH(QByteArray, file);
        QVERIFY(!ParseUpdateInfo(file));
    }

    void headerAlone() { QVERIFY(ParseUpdateInfo("[UPDATE]")); }

    void checksums_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("digest");
        const QByteArray hex = QByteArray("00112233445566778899aabbccddeeff").repeated(2);
        QTest::newRow("absent") << QByteArray("MANAGER_VERSION=1") << false << QByteArray();
        QTest::newRow("lower hex") << "MANAGER_SHA256=" + hex << true << QByteArray::fromHex(hex);
        QTest::newRow("upper hex, blanks") << "MANAGER_SHA256= " + hex.toUpper() + " " << true << QByteArray::fromHex(hex);
        QTest::newRow("too short") << "MANAGER_SHA256=" + hex.left(62) << true << QByteArray();
        QTest::newRow("not hex") << "MANAGER_SHA256=" + hex.left(63) + "g" << true << QByteArray();
    }

    void checksums()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, present);
        QFETCH(QByteArray, digest);
        const std::optional<UpdateInfo> info = ParseUpdateInfo(ini(line));
        QVERIFY(info);
        QCOMPARE(bool(info->checksum(1)), present);
        if (present)
            QCOMPARE(*info->checksum(1), digest);
        QVERIFY(!info->checksum(2));
    }

    void readFromDrive_data()
    {
        QTest::addColumn<int>("kind");  // 0 file, 1 none, 2 folder, 3 oversized
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("warning");
        QTest::newRow("good") << 0 << ini("MANAGER_VERSION=3.1") << QString();
        QTest::newRow("missing") << 1 << QByteArray() << QStringLiteral("Cannot open the update information file!");
        QTest::newRow("folder") << 2 << QByteArray() << QStringLiteral("Cannot open the update information file!");
        QTest::newRow("invalid") << 0 << QByteArray("[update]") << QStringLiteral("The update information file is invalid!");
        QTest::newRow("oversized") << 3 << QByteArray() << QStringLiteral("The update information file is invalid!");
    }

    void readFromDrive()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, content);
        QFETCH(QString, warning);
        TestDriveTable drives;
        const QString root = drives.add(E);
        const QString path = QStringLiteral("E:\\voxa\\manager\\update2.ini");
        if (kind == 0)
            QVERIFY(TestDriveTable::writeFile(path, content));
        else if (kind == 2)
            QVERIFY(QDir().mkpath(root + QStringLiteral("/voxa/manager/update2.ini")));
        else if (kind == 3)
            QVERIFY(TestDriveTable::writeFile(path, ini(QByteArray(MaxUpdateInfoBytes, 'x'))));
        ScriptedPrompts prompts;
        if (!warning.isEmpty())
            prompts.expectMessage(warning);
        const std::optional<UpdateInfo> info = ReadUpdateInfo(E, Placement::frameBox(40, 10));
        QCOMPARE(bool(info), warning.isEmpty());
        QCOMPARE(prompts.pending(), 0);
        if (!warning.isEmpty()) {
            QCOMPARE(prompts.lastMessage().icon, BoxIcon::Warning);
            QCOMPARE(prompts.lastMessage().placement.point, QPoint(40, 10));
        }
    }

    void compare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("equal") << QStringLiteral("3.01.01") << QStringLiteral("3.01.01") << 0;
        QTest::newRow("3.01.02") << QStringLiteral("3.01.02") << QStringLiteral("3.01.01") << 1;
        QTest::newRow("3.1") << QStringLiteral("3.1") << QStringLiteral("3.01.01") << 1;
        QTest::newRow("10.00 vs 9.99") << QStringLiteral("10.00") << QStringLiteral("9.99") << -1;
        QTest::newRow("prefix smaller") << QStringLiteral("3.01") << QStringLiteral("3.01.01") << -1;
        QTest::newRow("placeholder above digits") << QStringLiteral("9.99") << QStringLiteral("z.zz") << -1;
        QTest::newRow("bytes above 127") << QStringLiteral("š") << QStringLiteral("z") << 1;
        QTest::newRow("empty") << QString() << QStringLiteral("0") << -1;
    }

    void compare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        QCOMPARE(CompareVersions(a, b) > 0 ? 1 : CompareVersions(a, b) < 0 ? -1 : 0, sign);
        QCOMPARE(CompareVersions(b, a) > 0 ? 1 : CompareVersions(b, a) < 0 ? -1 : 0, -sign);
    }

    void absentOfferIsNeverNewer()
    {
        QVERIFY(!IsNewerVersion(std::nullopt, QString()));
        QVERIFY(IsNewerVersion(QStringLiteral("0"), QString()));
    }

    void firmwareRecords_data()
    {
        QTest::addColumn<QByteArray>("autoupd");
        QTest::addColumn<QByteArray>("extupd");
        QTest::addColumn<QStringList>("installed");  // rows 2 to 6
        const QString z = QStringLiteral("z.zz");
        QTest::newRow("R7USW3.01") << QByteArray("R7USW3.01") << QByteArray()
                                   << QStringList{z, z, QStringLiteral("3.01"), z, z};
        QTest::newRow("R7USW2 with tail") << QByteArray("R7USW2.10 and more") << QByteArray("R7SAT1.05")
                                          << QStringList{QStringLiteral("2.10"), QStringLiteral("1.05"), z, z, z};
        QTest::newRow("short record") << QByteArray("R7USW2.1") << QByteArray("R7SA") << QStringList{z, z, z, z, z};
        QTest::newRow("VOXA-C") << QByteArray("VOXAC1.23") << QByteArray() << QStringList{z, z, z, QStringLiteral("1.23"), z};
        QTest::newRow("front panel KX") << QByteArray() << QByteArray("KX_FP2.00")
                                        << QStringList{z, z, z, z, QStringLiteral("2.00")};
        QTest::newRow("front panel VA-DA") << QByteArray() << QByteArray("VA-DA1.20")
                                           << QStringList{z, z, z, z, QStringLiteral("1.20")};
        QTest::newRow("other identifier") << QByteArray("R7XXX9.99") << QByteArray("\0\0\0\0\0\0\0\0\0", 9)
                                          << QStringList{z, z, z, z, z};
    }

    void firmwareRecords()
    {
        QFETCH(QByteArray, autoupd);
        QFETCH(QByteArray, extupd);
        QFETCH(QStringList, installed);
        TestDriveTable drives;
        drives.add(E);
        if (!autoupd.isEmpty())
            QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\autoupd.dat"), autoupd));
        if (!extupd.isEmpty())
            QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\extupd.dat"), extupd));
        QCOMPARE(InstalledVersion(E, 1), QStringLiteral("3.01.01"));
        for (int row = 2; row <= 6; ++row)
            QCOMPARE(InstalledVersion(E, row), installed[row - 2]);
    }

    void recordThatIsAFolder()
    {
        TestDriveTable drives;
        const QString root = drives.add(E);
        QVERIFY(QDir().mkpath(root + QStringLiteral("/voxa/autoupd.dat")));
        QCOMPARE(ReadInstalledFirmware(E, QStringLiteral("autoupd.dat"), QStringLiteral("R7USW2")), QStringLiteral("z.zz"));
    }

    // Rows as the check builds them, then the cells and the ticks.
    void build()
    {
        TestDriveTable drives;
        drives.add(E);
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\autoupd.dat"), "VOXAC9.99"));
        const std::optional<UpdateInfo> info = ParseUpdateInfo(ini("MANAGER_VERSION=3.1\r\n"
                                                                   "VOXAC_FIRMWARE_VERSION=10.00\r\n"
                                                                   "SAT_FIRMWARE_VERSION=2.20\r\n"));
        QVERIFY(info);
        TUpdateList list;
        list.Build(*info, E);
        QCOMPARE(list.rows().size(), 6);
        QCOMPARE(list.tickedRows(), QList<int>{1});  // 10.00 < 9.99 as text; unknown SAT never ticked by itself
        const UpdateRow &sat = list.rows()[2];
        QCOMPARE(sat.currentCell(), QStringLiteral("Unknown"));
        QCOMPARE(sat.latestCell(), QStringLiteral("2.20"));
        QCOMPARE(list.rows()[3].latestCell(), QStringLiteral("Not Available"));
        QCOMPARE(list.rows()[4].currentCell(), QStringLiteral("9.99"));
        QCOMPARE(list.rows()[4].latestCell(), QStringLiteral("10.00"));
        QCOMPARE(list.rows()[0].title(), QStringLiteral("VOXA Manager"));

        // A language change reaches the cells at once.
        setMessage(Msg::Unknown, QStringLiteral("Neznámá"));
        setMessage(Msg::NotAvailable, QStringLiteral("Není"));
        QCOMPARE(sat.currentCell(), QStringLiteral("Neznámá"));
        QCOMPARE(list.rows()[3].latestCell(), QStringLiteral("Není"));
    }

    void listClick_data()
    {
        QTest::addColumn<QList<bool>>("clicked");
        QTest::addColumn<QList<bool>>("expected");
        QTest::addColumn<bool>("updateEnabled");
        // Built state: rows 1 and 2 ticked (row 1 offered 3.01.02, row 2 2.20 over 2.10).
        // Row 3 offers 1.10 over unknown, row 4 3.02 over unknown, row 5 is
        // not offered, row 6 offers 1.00.
        using L = QList<bool>;
        QTest::newRow("row 4 unticks row 2") << L{1, 1, 0, 1, 0, 0} << L{1, 0, 0, 1, 0, 0} << true;
        QTest::newRow("row 3 newly ticked") << L{1, 1, 1, 0, 0, 0} << L{1, 1, 1, 0, 0, 0} << true;
        QTest::newRow("Not Available is undone") << L{0, 0, 0, 0, 1, 0} << L{0, 0, 0, 0, 0, 0} << false;
        QTest::newRow("all off") << L{0, 0, 0, 0, 0, 0} << L{0, 0, 0, 0, 0, 0} << false;
        QTest::newRow("row 2 kept, row 4 newly ticked") << L{0, 1, 0, 1, 0, 0} << L{0, 0, 0, 1, 0, 0} << true;
    }

    void listClick()
    {
        QFETCH(QList<bool>, clicked);
        QFETCH(QList<bool>, expected);
        QFETCH(bool, updateEnabled);
        TestDriveTable drives;
        drives.add(E);
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\autoupd.dat"), "R7USW2.10"));
        const std::optional<UpdateInfo> info =
            ParseUpdateInfo(ini("MANAGER_VERSION=3.01.02\r\nVOXA_FIRMWARE_VERSION=2.20\r\nSAT_FIRMWARE_VERSION=1.10\r\n"
                                "VOXA_3.xx_FIRMWARE_VERSION=3.02\r\nVOXA_CARFRONT_VERSION=1.00\r\n"));
        TUpdateList list;
        list.Build(*info, E);
        QCOMPARE(list.tickedRows(), (QList<int>{1, 2}));
        QCOMPARE(list.ListClick(clicked), updateEnabled);
        QList<bool> ticks;
        for (const UpdateRow &r : list.rows()) {
            ticks.append(r.ticked);
            QCOMPARE(r.previouslyTicked, r.ticked);
        }
        QCOMPARE(ticks, expected);
    }

    void sixAfterThree()
    {
        // Ticking row 6 while row 3 was ticked before unticks row 3.
        const std::optional<UpdateInfo> info = ParseUpdateInfo(ini("SAT_FIRMWARE_VERSION=1.10\r\nVOXA_CARFRONT_VERSION=1.00"));
        TUpdateList list;
        list.Build(*info, QChar());
        QVERIFY(list.ListClick({0, 0, 1, 0, 0, 0}));
        QCOMPARE(list.tickedRows(), QList<int>{3});
        QVERIFY(list.ListClick({0, 0, 1, 0, 0, 1}));
        QCOMPARE(list.tickedRows(), QList<int>{6});
    }

    void twoNewlyTickedAtOnce()
    {
        // Only the first rule that applies counts: row 2 before row 4.
        const std::optional<UpdateInfo> info =
            ParseUpdateInfo(ini("VOXA_FIRMWARE_VERSION=2.20\r\nVOXA_3.xx_FIRMWARE_VERSION=3.02\r\nVOXAC_FIRMWARE_VERSION=1"));
        TUpdateList list;
        list.Build(*info, QChar());
        QVERIFY(list.tickedRows().isEmpty());
        QVERIFY(list.ListClick({0, 1, 0, 1, 0, 0}));
        QCOMPARE(list.tickedRows(), QList<int>{2});
    }

    void sameVersionIsUndone()
    {
        const std::optional<UpdateInfo> info = ParseUpdateInfo(ini("MANAGER_VERSION=3.01.01"));
        TUpdateList list;
        list.Build(*info, QChar());
        QVERIFY(list.tickedRows().isEmpty());
        QVERIFY(!list.ListClick({1, 0, 0, 0, 0, 0}));
        QVERIFY(list.tickedRows().isEmpty());
        QCOMPARE(list.InfoText(), QStringLiteral("Select update."));  // rows 2-6 differ: Unknown vs Not Available
    }

    void infoText()
    {
        TUpdateList list;
        QCOMPARE(list.InfoText(), QStringLiteral("No need to update, you already have the latest versions."));
        list.Build(*ParseUpdateInfo(ini("MANAGER_VERSION=3.01.02")), QChar());
        QCOMPARE(list.InfoText(), QStringLiteral("Select update."));
    }

    void targetName_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("name");  // empty: refused
        QTest::newRow("plain") << QStringLiteral("http://h/dl/fw.exe") << QStringLiteral("fw.exe");
        QTest::newRow("%20 kept") << QStringLiteral("http://h/a%20b.exe") << QStringLiteral("a%20b.exe");
        QTest::newRow("no slash") << QStringLiteral("fw.exe") << QStringLiteral("fw.exe");
        QTest::newRow("ends in /..") << QStringLiteral("http://h/x/..") << QString();
        QTest::newRow("ends in /.") << QStringLiteral("http://h/x/.") << QString();
        QTest::newRow("ends in /") << QStringLiteral("http://h/x/") << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("backslash") << QStringLiteral("http://h/..\\..\\evil.exe") << QString();
        QTest::newRow("drive colon") << QStringLiteral("http://h/C:evil") << QString();
        QTest::newRow("control") << QStringLiteral("http://h/a\tb") << QString();
        QTest::newRow("three dots is a name") << QStringLiteral("http://h/...") << QStringLiteral("...");
    }

    void targetName()
    {
        QFETCH(QString, url);
        QFETCH(QString, name);
        const std::optional<QString> got = TargetFileName(url);
        QCOMPARE(got.value_or(QString()), name);
        QCOMPARE(bool(got), !name.isEmpty());
    }

    void targetPath()
    {
        QCOMPARE(UpdateTargetPath(E, 1, QStringLiteral("http://h/m.exe")).value_or(QString()),
                 QStringLiteral("E:\\voxa\\manager\\m.exe"));
        for (int row = 2; row <= 6; ++row)
            QCOMPARE(UpdateTargetPath(E, row, QStringLiteral("http://h/f.exe")).value_or(QString()),
                     QStringLiteral("E:\\voxa\\f.exe"));
        QVERIFY(!UpdateTargetPath(E, 2, QStringLiteral("http://h/x/..")));
    }

    // The server comes from this computer; a drive's settings never name it.
    void server_data()
    {
        QTest::addColumn<QByteArray>("variable");     // VOXA_UPDATE_SERVER; null: unset
        QTest::addColumn<QByteArray>("settingsFile");  // ~/.config/voxa/update; null: none
        QTest::addColumn<QString>("server");
        QTest::newRow("built in") << QByteArray() << QByteArray() << QString::fromLatin1(DefaultUpdateServer);
        QTest::newRow("settings file") << QByteArray() << QByteArray("# mine\nupdate server = http://u:81/ \n")
                                       << QStringLiteral("http://u:81/");
        QTest::newRow("variable wins") << QByteArray(" http://v:82") << QByteArray("Update Server = http://u:81/\n")
                                       << QStringLiteral("http://v:82");
    }

    void server()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QByteArray, settingsFile);
        QFETCH(QString, server);
        test::EnvGuard home("XDG_CONFIG_HOME"), var(UpdateServerVariable);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        QVERIFY(variable.isNull() ? qunsetenv(UpdateServerVariable) : qputenv(UpdateServerVariable, variable));
        QCOMPARE(UpdateSettingsFile(), config.path() + QStringLiteral("/voxa/update"));
        if (!settingsFile.isNull()) {
            QVERIFY(QDir().mkpath(config.path() + QStringLiteral("/voxa")));
            QFile f(UpdateSettingsFile());
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(settingsFile) == settingsFile.size());
        }
        TestDriveTable drives;
        drives.add(E);
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\manager\\voxam2.ini"),
                                          "[VOXA Manager Ini File]\r\nUpdate Server = http://disk:81/\r\n"));
        QCOMPARE(UpdateServerAddress(), server);
        QCOMPARE(UpdateInfoUrl(QStringLiteral("http://u:81/")), QStringLiteral("http://u:81/update/update2.ini"));
    }

    void progress_data()
    {
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<qint64>("received");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<qint64>("position");
        QTest::newRow("half") << qint64(1000) << qint64(500) << QStringLiteral("50%") << qint64(500);
        QTest::newRow("truncated") << qint64(1000) << qint64(999) << QStringLiteral("99%") << qint64(999);
        QTest::newRow("whole") << qint64(1000) << qint64(1000) << QStringLiteral("100%") << qint64(1000);
        QTest::newRow("more than announced") << qint64(10) << qint64(20) << QStringLiteral("100%") << qint64(10);
        QTest::newRow("no size announced") << qint64(0) << qint64(500) << QString() << qint64(0);
        QTest::newRow("huge") << (qint64(200) << 20) << (qint64(100) << 20) << QStringLiteral("50%") << (qint64(100) << 20);
    }

    void progress()
    {
        QFETCH(qint64, expected);
        QFETCH(qint64, received);
        QFETCH(QString, caption);
        QFETCH(qint64, position);
        TransferProgress p;
        p.begin(expected);
        p.work(received);
        QCOMPARE(p.caption, caption);
        QCOMPARE(p.position, position);
        p.end(true);
        QCOMPARE(p.caption, QStringLiteral("100%"));
        QCOMPARE(p.percent(), 100);
        p.end(false);
        QCOMPARE(p.caption, QString());
        QCOMPARE(p.position, 0);
    }
};

QTEST_GUILESS_MAIN(TestUpdateInfo)
#include "test_updateinfo.moc"
