// Transfers against a loopback server, directly and through tinyproxy: the
// file written whole or not at all, progress, abort, errors, checksums, and
// proxies from the environment never overriding the user's choice.
#include "envguard.h"
#include "httptestserver.h"
#include "support/testdrives.h"
#include "tinyproxyrunner.h"
#include "update/downloadjob.h"
#include "update/updateinfo.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace voxa;
using test::HttpRequest;
using test::HttpResponse;
using test::EnvGuard;
using test::HttpTestServer;

namespace {

QByteArray body(int n)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 7 + i / 251) & 0xFF);
    return b;
}

QByteArray sha(const QByteArray &b)
{
    return QCryptographicHash::hash(b, QCryptographicHash::Sha256);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The folder's entries, to see that no temporary or partial file is left.
QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

class TestDownload : public QObject {
    Q_OBJECT

    HttpTestServer *m_server = nullptr;
    QTemporaryDir m_dir;

    QString target(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void init()
    {
        m_server = new HttpTestServer;
        for (const QString &name : entries(m_dir.path()))
            QFile::remove(m_dir.filePath(name));
    }
    void cleanup()
    {
        delete m_server;
        m_server = nullptr;
    }

    void wholeFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("announceSize");
        QTest::newRow("with size") << body(70000) << true;
        QTest::newRow("without size") << body(70000) << false;
        QTest::newRow("empty") << QByteArray() << true;
    }

    void wholeFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, announceSize);
        m_server->serve("/dl/fw.exe", {200, content, announceSize, -1});
        QVERIFY(QFile(target(QStringLiteral("fw.exe"))).open(QIODevice::WriteOnly));  // an old file is replaced
        qint64 begun = -1, last = -1;
        TransferCallbacks cb;
        cb.begin = [&](qint64 expected) { begun = expected; };
        cb.work = [&](qint64 received) { last = received; };
        const TransferResult r = DownloadFile({m_server->url(QStringLiteral("/dl/fw.exe")), target(QStringLiteral("fw.exe")),
                                               {}, std::nullopt, false},
                                              cb);
        QVERIFY2(r.ok(), qPrintable(r.detail));
        QCOMPARE(readAll(target(QStringLiteral("fw.exe"))), content);
        QCOMPARE(entries(m_dir.path()), QStringList{QStringLiteral("fw.exe")});
        QCOMPARE(r.httpCode, 200L);
        if (!content.isEmpty()) {
            QCOMPARE(begun, announceSize ? qint64(content.size()) : 0);
            QCOMPARE(last, qint64(content.size()));
        }
        const HttpRequest req = m_server->requests().value(0);
        QCOMPARE(req.method, QByteArray("GET"));
        QCOMPARE(req.headers.value("accept"), QByteArray("text/html, */*"));
    }

    void failuresLeaveNoFile_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("checksum");
        QTest::newRow("404") << 404 << QStringLiteral("/fw.exe") << int(TransferStatus::Failed) << false;
        QTest::newRow("500") << 500 << QStringLiteral("/fw.exe") << int(TransferStatus::Failed) << false;
        QTest::newRow("wrong checksum") << 200 << QStringLiteral("/fw.exe") << int(TransferStatus::ChecksumMismatch) << true;
    }

    void failuresLeaveNoFile()
    {
        QFETCH(int, status);
        QFETCH(QString, path);
        QFETCH(int, expected);
        QFETCH(bool, checksum);
        const QByteArray old = "the old file";
        QFile f(target(QStringLiteral("fw.exe")));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
        f.close();
        m_server->serve(path.toLatin1(), {status, body(5000), true, -1});
        const std::optional<QByteArray> digest = checksum ? std::optional(sha("something else")) : std::nullopt;
        const TransferResult r =
            DownloadFile({m_server->url(path), target(QStringLiteral("fw.exe")), {}, digest, false});
        QCOMPARE(int(r.status), expected);
        QCOMPARE(readAll(target(QStringLiteral("fw.exe"))), old);
        QCOMPARE(entries(m_dir.path()), QStringList{QStringLiteral("fw.exe")});
    }

    void rightChecksum()
    {
        const QByteArray content = body(3000);
        m_server->serve("/m.exe", {200, content, true, -1});
        const TransferResult r =
            DownloadFile({m_server->url(QStringLiteral("/m.exe")), target(QStringLiteral("m.exe")), {}, sha(content), false});
        QVERIFY2(r.ok(), qPrintable(r.detail));
        QCOMPARE(readAll(target(QStringLiteral("m.exe"))), content);
        // A checksum key that was no digest never matches.
        const TransferResult bad =
            DownloadFile({m_server->url(QStringLiteral("/m.exe")), target(QStringLiteral("n.exe")), {}, QByteArray(), false});
        QCOMPARE(bad.status, TransferStatus::ChecksumMismatch);
        QVERIFY(!QFile::exists(target(QStringLiteral("n.exe"))));
    }

    void unsafeTargetMakesNoRequest_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("..") << QStringLiteral("..");
        QTest::newRow("trailing slash") << QStringLiteral("sub/");
        QTest::newRow("empty") << QString();
    }

    void unsafeTargetMakesNoRequest()
    {
        QFETCH(QString, name);
        m_server->serve("/x", {200, "x", true, -1});
        const QString t = name.isEmpty() ? QString() : m_dir.path() + QLatin1Char('/') + name;
        const TransferResult r = DownloadFile({m_server->url(QStringLiteral("/x")), t, {}, std::nullopt, false});
        QCOMPARE(r.status, TransferStatus::BadTarget);
        QCOMPARE(m_server->requestCount(), 0);
    }

    void deviceTargetOnDrive()
    {
        test::TestDriveTable drives;
        const QString root = drives.add(QLatin1Char('E'));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/VOXA/Manager")));
        m_server->serve("/update/update2.ini", {200, "[UPDATE]\r\n", true, -1});
        const TransferResult r = DownloadFile(
            {UpdateInfoUrl(m_server->url(QString())), UpdateInfoPath(QLatin1Char('E')), {}, std::nullopt, false});
        QVERIFY2(r.ok(), qPrintable(r.detail));
        QCOMPARE(readAll(root + QStringLiteral("/VOXA/Manager/update2.ini")), QByteArray("[UPDATE]\r\n"));
    }

    void tooLarge_data()
    {
        QTest::addColumn<bool>("announceSize");
        QTest::newRow("announced") << true;
        QTest::newRow("streamed") << false;
    }

    void tooLarge()
    {
        QFETCH(bool, announceSize);
        m_server->serve("/big", {200, body(5000), announceSize, -1});
        QByteArray got;
        const TransferResult r = FetchUrl(m_server->url(QStringLiteral("/big")), {}, &got, {}, 4096);
        QCOMPARE(r.status, TransferStatus::TooLarge);
        QVERIFY(got.isEmpty());
    }

    void refusedAndForeignSchemes_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("nobody listening") << QStringLiteral("http://127.0.0.1:%1/x").arg(test::freeLoopbackPort());
        QTest::newRow("file scheme") << QUrl::fromLocalFile(QFINDTESTDATA("test_download.cpp")).toString();
    }

    void refusedAndForeignSchemes()
    {
        QFETCH(QString, url);
        QByteArray got;
        const TransferResult r = FetchUrl(url, {}, &got);
        QCOMPARE(r.status, TransferStatus::Failed);
        QVERIFY(got.isEmpty());
    }

    // The progress reaches the owner's thread as signals; the caption reads
    // 50% at half of the announced size, and an abort half-way leaves nothing.
    void jobProgressAndAbort()
    {
        const QByteArray content = body(100000);
        m_server->serve("/slow.exe", {200, content, true, 50000});
        TDownloadJob job;
        TransferProgress progress;
        connect(&job, &TDownloadJob::workBegin, &job, [&](qint64 e) { progress.begin(e); });
        connect(&job, &TDownloadJob::work, &job, [&](qint64 r) { progress.work(r); });
        QSignalSpy finished(&job, &TDownloadJob::finished);
        QVERIFY(job.start({m_server->url(QStringLiteral("/slow.exe")), target(QStringLiteral("slow.exe")), {}, std::nullopt,
                           false}));
        QVERIFY(!job.start({m_server->url(QStringLiteral("/slow.exe")), target(QStringLiteral("b.exe")), {}, std::nullopt,
                            false}));
        QTRY_COMPARE_WITH_TIMEOUT(progress.caption, QStringLiteral("50%"), 10000);
        QCOMPARE(progress.maximum, qint64(content.size()));
        job.abort();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().value<TransferResult>().status, TransferStatus::Aborted);
        QVERIFY(!job.running());
        QVERIFY(entries(m_dir.path()).isEmpty());

        // The same job runs again and finishes whole.
        m_server->serve("/slow.exe", {200, content, true, 50000});
        finished.clear();
        QVERIFY(job.start({m_server->url(QStringLiteral("/slow.exe")), target(QStringLiteral("slow.exe")), {}, std::nullopt,
                           false}));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->holdsStarted(), 2, 10000);
        m_server->release();
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.first().first().value<TransferResult>().ok());
        QCOMPARE(progress.caption, QStringLiteral("100%"));
        QCOMPARE(readAll(target(QStringLiteral("slow.exe"))), content);
    }

    void destroyingARunningJobCutsIt()
    {
        m_server->serve("/slow.exe", {200, body(10000), true, 10});
        {
            TDownloadJob job;
            QVERIFY(job.start({m_server->url(QStringLiteral("/slow.exe")), target(QStringLiteral("slow.exe")), {},
                               std::nullopt, false}));
            QTRY_COMPARE_WITH_TIMEOUT(m_server->holdsStarted(), 1, 10000);
        }
        QVERIFY(entries(m_dir.path()).isEmpty());
    }

    void environmentProxyIgnoredWithoutProxy()
    {
        EnvGuard a("http_proxy"), b("HTTP_PROXY"), c("ALL_PROXY");
        const QByteArray dead = "http://127.0.0.1:" + QByteArray::number(test::freeLoopbackPort());
        qputenv("http_proxy", dead);
        qputenv("HTTP_PROXY", dead);
        qputenv("ALL_PROXY", dead);
        m_server->serve("/a", {200, "direct", true, -1});
        QByteArray got;
        const TransferResult r = FetchUrl(m_server->url(QStringLiteral("/a")), ProxyFromDialog(false, QString(), -1), &got);
        QVERIFY2(r.ok(), qPrintable(r.detail));
        QCOMPARE(got, QByteArray("direct"));
        QVERIFY(!m_server->requests().value(0).headers.contains("via"));
    }

    // Through a real proxy, also when no_proxy names the server's host.
    void throughTinyproxy()
    {
        if (test::TinyProxy::program().isEmpty())
            QSKIP("tinyproxy is not installed (scripts/deps installs tinyproxy-bin)");
        test::TinyProxy proxy;
        QVERIFY2(proxy.start(), proxy.output().constData());
        EnvGuard a("no_proxy"), b("NO_PROXY");
        qputenv("no_proxy", "127.0.0.1,localhost");
        qputenv("NO_PROXY", "127.0.0.1,localhost");
        const QByteArray content = body(20000);
        m_server->serve("/fw.exe", {200, content, true, -1});
        const ProxySettings on = ProxyFromDialog(true, QStringLiteral("127.0.0.1"), proxy.port());
        const TransferResult r =
            DownloadFile({m_server->url(QStringLiteral("/fw.exe")), target(QStringLiteral("fw.exe")), on, sha(content), false});
        QVERIFY2(r.ok(), qPrintable(r.detail));
        QCOMPARE(readAll(target(QStringLiteral("fw.exe"))), content);
        QVERIFY2(m_server->requests().value(0).headers.value("via").contains("tinyproxy"),
                 m_server->requests().value(0).headers.value("via").constData());

        // Switched off again: straight to the server.
        const TransferResult direct = DownloadFile({m_server->url(QStringLiteral("/fw.exe")), target(QStringLiteral("g.exe")),
                                                    ProxyFromDialog(false, QStringLiteral("127.0.0.1"), proxy.port()),
                                                    std::nullopt, false});
        QVERIFY(direct.ok());
        QCOMPARE(m_server->requestCount(), 2);
        QVERIFY(!m_server->requests().value(1).headers.contains("via"));

        // A 404 through the proxy is a failure too.
        const TransferResult missing = DownloadFile(
            {m_server->url(QStringLiteral("/none.exe")), target(QStringLiteral("none.exe")), on, std::nullopt, false});
        QCOMPARE(missing.status, TransferStatus::Failed);
        QVERIFY(!QFile::exists(target(QStringLiteral("none.exe"))));
    }
};

QTEST_GUILESS_MAIN(TestDownload)
#include "test_download.moc"
