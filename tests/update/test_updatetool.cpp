// voxatool update-check and download against a loopback server.
#include "app/messagetable.h"
#include "envguard.h"
#include "httptestserver.h"
#include "support/testdrives.h"
#include "support/toolrun.h"
#include "update/updateinfo.h"
#include "tinyproxyrunner.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace voxa;
using test::run;

class TestUpdateTool : public QObject {
    Q_OBJECT

    std::unique_ptr<test::HttpTestServer> m_server;
    QTemporaryDir m_dir;

private slots:
    void init()
    {
        m_server = std::make_unique<test::HttpTestServer>();
        m_server->serve("/update/update2.ini",
                        {200,
                         "[UPDATE]\r\nMANAGER_VERSION=3.01.02\r\nMANAGER_URL=http://h/vm.exe\r\n"
                         "VOXA_FIRMWARE_VERSION=2.20\r\nVOXA_FIRMWARE_SHA256=" +
                             QByteArray(64, 'b') + "\r\n",
                         true, -1});
        m_server->serve("/dl/fw.exe", {200, "firmware", true, -1});
    }
    void cleanup() { m_server.reset(); }

    void checkPrintsTheOffer()
    {
        const test::Run r = run({QStringLiteral("update-check"), m_server->url(QStringLiteral("/update/update2.ini"))});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'));
        QVERIFY2(lines.value(1).startsWith(QStringLiteral("[x] VOXA Manager")), qPrintable(r.out));
        QVERIFY(lines.value(1).contains(QStringLiteral("3.01.01   3.01.02")));
        QVERIFY(lines.value(2).startsWith(QStringLiteral("[ ] VOXA-A 2.xx Firmware")));  // unknown installed
        QVERIFY(lines.value(2).contains(QStringLiteral("Unknown   2.20")));
        QVERIFY(lines.value(2).contains(QStringLiteral("sha256 ") + QString(64, QLatin1Char('b'))));
        QVERIFY(lines.value(3).contains(QStringLiteral("Not Available")));
        QCOMPARE(lines.value(7), QStringLiteral("Select update."));
    }

    void checkReadsTheDrive()
    {
        // With a drive: its firmware record, but never the update server of its settings.
        test::EnvGuard variable(UpdateServerVariable);
        qputenv(UpdateServerVariable, m_server->url(QString()).toLatin1());
        test::TestDriveTable drives;
        drives.add(QLatin1Char('E'));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\autoupd.dat"), "R7USW2.10"));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\manager\\voxam2.ini"),
                                                "[VOXA Manager Ini File]\r\nUpdate Server = http://127.0.0.1:" +
                                                    QByteArray::number(test::freeLoopbackPort()) + "\r\n"));
        const test::Run r = run({QStringLiteral("update-check"), QStringLiteral("--drive"), QStringLiteral("E")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(QStringLiteral("[x] VOXA-A 2.xx Firmware              2.10      2.20")), qPrintable(r.out));
    }

    // The commands refuse what the update frame refuses, and their failures name --proxy, never the manager's
    // menus; nothing is saved.
    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");      // SERVER: the server, DEAD: nobody listens, DIR: a fresh folder
        QTest::addColumn<QByteArray>("settings");   // lines of drive E's voxam2.ini (used with --drive E)
        QTest::addColumn<QString>("error");         // DEADHOSTPORT: host:port of DEAD
        QTest::addColumn<QByteArray>("requested");  // the one path asked for; empty: none
        const auto w = [](const char *text) { return QString::fromLatin1(text).split(QLatin1Char(' ')); };
        const QByteArray proxy = "Use Proxy = true\r\nProxy Server = 127.0.0.1";
        QTest::newRow("endless description") << w("update-check SERVER/endless") << QByteArray()
                                             << msg(Msg::UpdateInfoInvalid) << QByteArray("/endless");
        QTest::newRow("the manager's settings") << w("download SERVER/dl/Voxam2.Ini DIR") << QByteArray()
                                                << "would replace a file of the VOXA Manager installation" << QByteArray();
        QTest::newRow("port in the drive's proxy text") << w("download SERVER/dl/fw.exe DIR --drive E")
                                                        << proxy + ":SERVERPORT\r\nProxy Port = 8080"
                                                        << "carries a port of its own" << QByteArray();
        QTest::newRow("check, no proxy") << w("update-check DEAD/update/update2.ini") << QByteArray()
                                         << "give it with --proxy HOST:PORT (or --drive X" << QByteArray();
        QTest::newRow("download, the drive's proxy") << w("download DEAD/dl/fw.exe DIR --drive E") << proxy + "\r\nProxy Port = DEADPORT"
                                                     << "proxy DEADHOSTPORT (from drive E's settings): give another with --proxy HOST:PORT, or --no-proxy" << QByteArray();
        QTest::newRow("the drive's proxy port") << w("update-check DEAD/update/update2.ini --drive E") << proxy + "\r\nProxy Port = 70000"
                                                << "70000 in drive E's settings is not a number from 1 to 65535; give the proxy with --proxy HOST:PORT" << QByteArray();
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, settings);
        QFETCH(QString, error);
        QFETCH(QByteArray, requested);
        m_server->serve("/endless", {200, "[UPDATE]\r\nMANAGER_VERSION=3.01.02\r\n", false, -1, true});
        m_server->serve("/dl/Voxam2.Ini", {200, "[VOXA Manager Ini File]\r\n", true, -1});
        const QByteArray deadPort = QByteArray::number(test::freeLoopbackPort());
        const QString dead = "127.0.0.1:" + QString::fromLatin1(deadPort);
        QTemporaryDir dir;
        test::TestDriveTable drives;
        drives.add(QLatin1Char('E'));
        settings.replace("SERVERPORT", QByteArray::number(m_server->port())).replace("DEADPORT", deadPort);
        QVERIFY(test::TestDriveTable::writeFile("E:\\voxa\\manager\\voxam2.ini",
                                                "[VOXA Manager Ini File]\r\n" + settings + "\r\n"));
        args.replaceInStrings("SERVER", m_server->url(QString())).replaceInStrings("DEADHOSTPORT", dead);
        args.replaceInStrings("DEAD", "http://" + dead).replaceInStrings("DIR", dir.path());
        const test::Run r = run(args);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(error.replace("DEADHOSTPORT", dead)), qPrintable(r.err));
        QVERIFY2(!r.err.contains("Options") && !r.err.contains("Proxy Settings"), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(m_server->endlessBytesSent() < 8 * MaxUpdateInfoBytes);
        QCOMPARE(m_server->requests().size(), requested.isEmpty() ? 0 : 1);
        QCOMPARE(m_server->requests().value(0).path, requested);
    }

    void download_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("status");
        const QString right = QString::fromLatin1(QCryptographicHash::hash("firmware", QCryptographicHash::Sha256).toHex());
        QTest::newRow("plain") << QStringLiteral("/dl/fw.exe") << QStringList() << 0;
        QTest::newRow("right checksum") << QStringLiteral("/dl/fw.exe") << QStringList{QStringLiteral("--sha256"), right} << 0;
        QTest::newRow("wrong checksum") << QStringLiteral("/dl/fw.exe")
                                        << QStringList{QStringLiteral("--sha256"), QString(64, QLatin1Char('0'))} << 1;
        QTest::newRow("ends in /..") << QStringLiteral("/dl/x/..") << QStringList() << 1;
        QTest::newRow("bad proxy option") << QStringLiteral("/dl/fw.exe") << QStringList{QStringLiteral("--proxy"), QStringLiteral("nohost")} << 2;
        QTest::newRow("port inside the proxy server")
            << QStringLiteral("/dl/fw.exe") << QStringList{QStringLiteral("--proxy"), QStringLiteral("host:80:8080")} << 2;
    }

    void download()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, extra);
        QFETCH(int, status);
        QTemporaryDir dir;
        const test::Run r = run(QStringList{QStringLiteral("download"), m_server->url(path), dir.path()} + extra);
        QCOMPARE(r.status, status);
        const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(files, status == 0 ? QStringList{QStringLiteral("fw.exe")} : QStringList());
        if (status == 0) {
            QCOMPARE(test::readAll(dir.filePath(QStringLiteral("fw.exe"))), QByteArray("firmware"));
            QCOMPARE(r.out, dir.filePath(QStringLiteral("fw.exe")) + QStringLiteral(" 8\n"));
        }
    }

    void downloadThroughTinyproxy()
    {
        if (test::TinyProxy::program().isEmpty())
            QSKIP("tinyproxy is not installed (scripts/deps installs tinyproxy-bin)");
        test::TinyProxy proxy;
        QVERIFY(proxy.start());
        // The proxy from a drive's settings, as the manager keeps it.
        test::TestDriveTable drives;
        drives.add(QLatin1Char('E'));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\manager\\voxam2.ini"),
                                                "[VOXA Manager Ini File]\r\nUse Proxy = true\r\nProxy Server = 127.0.0.1\r\n"
                                                "Proxy Port = " +
                                                    QByteArray::number(proxy.port()) + "\r\n"));
        QTemporaryDir dir;
        const test::Run r = run({QStringLiteral("download"), m_server->url(QStringLiteral("/dl/fw.exe")), dir.path(),
                                 QStringLiteral("--drive"), QStringLiteral("E")});
        QCOMPARE(r.status, 0);
        QVERIFY(m_server->requests().value(0).headers.value("via").contains("tinyproxy"));
        // --no-proxy overrides the drive's choice.
        QCOMPARE(run({QStringLiteral("download"), m_server->url(QStringLiteral("/dl/fw.exe")), dir.path(),
                      QStringLiteral("--drive"), QStringLiteral("E"), QStringLiteral("--no-proxy")})
                     .status,
                 0);
        QVERIFY(!m_server->requests().value(1).headers.contains("via"));
    }

    // --json: the offer and the saved file, in the documented layouts.
    void json()
    {
        test::Run r = run({"update-check", m_server->url("/update/update2.ini"), "--json"});
        QCOMPARE(r.status, 0);
        const QJsonObject offer = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(offer.keys(), (QStringList{"message", "updates", "url"}));
        const QJsonArray updates = offer.value("updates").toArray();
        QCOMPARE(updates.size(), 6);
        for (const QJsonValue &u : updates)
            QCOMPARE(u.toObject().keys(), (QStringList{"installed", "latest", "newer", "sha256", "title", "url"}));
        QVERIFY(updates[0].toObject().value("sha256").isNull());
        QCOMPARE(updates[1].toObject().value("sha256").toString(), QString(64, QLatin1Char('b')));

        QTemporaryDir dir;
        r = run({"download", m_server->url("/dl/fw.exe"), dir.path(), "--json"});
        QCOMPARE(r.status, 0);
        const QJsonObject saved = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(saved.keys(), (QStringList{"bytes", "file"}));
        QCOMPARE(saved.value("file").toString(), dir.filePath("fw.exe"));
        QCOMPARE(saved.value("bytes").toInteger(), 8);
    }
};

QTEST_GUILESS_MAIN(TestUpdateTool)
#include "test_updatetool.moc"
