// The update frame's flows without widgets: the check, the downloads of the
// ticked rows, Cancel, and the hand-over to the manager and the firmware.
#include "app/messagetable.h"
#include "httptestserver.h"
#include "support/recordingprocesses.h"
#include "support/scriptedprompts.h"
#include "support/testdrive.h"
#include "update/updatesession.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

using namespace voxa;
using test::HttpResponse;
using test::HttpTestServer;
using test::ScriptedPrompts;
using test::TestDriveTable;

namespace {
const QChar E('E');

// Every entry below root with its permissions and content.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        out.insert(f.fileName().mid(root.size()), QByteArray::number(int(it.fileInfo().permissions()), 16) + ' ' +
                                                     (f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray()));
    }
    return out;
}
}  // namespace

class TestUpdateSession : public QObject {
    Q_OBJECT

    test::TestDrive m_drives;
    std::unique_ptr<HttpTestServer> m_server;
    QString m_root;

    QByteArray url(const char *path) const { return m_server->url(QString::fromLatin1(path)).toLatin1(); }

    void serveInfo(const QByteArray &lines)
    {
        m_server->serve("/update/update2.ini", {200, "[UPDATE]\r\n" + lines, true, -1});
    }

    // Serves update2.ini offering a manager and the VOXA-A 2.xx firmware.
    void serveTwoUpdates(const QByteArray &extra = {})
    {
        serveInfo("MANAGER_VERSION=3.01.02\r\nMANAGER_URL=" + url("/dl/vm.exe") +
                  "\r\nVOXA_FIRMWARE_VERSION=2.20\r\nVOXA_FIRMWARE_URL=" + url("/dl/fw 2.exe") + "\r\n" + extra);
        m_server->serve("/dl/vm.exe", {200, "manager bytes", true, -1});
        m_server->serve("/dl/fw%202.exe", {200, "firmware bytes", true, -1});
    }

    // Runs the check and waits for its end.
    bool check(TUpdateSession &s)
    {
        QSignalSpy idle(&s, &TUpdateSession::idle);
        s.CheckForUpdates();
        return idle.wait(10000);
    }

    QByteArray file(const QString &rel) const
    {
        QFile f(m_root + QLatin1Char('/') + rel);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    void makeSession(TUpdateSession &s)
    {
        s.setDrive(E);
        s.setServer(m_server->url(QString()));
    }

    int requestsFor(const QByteArray &path) const
    {
        int n = 0;
        for (const test::HttpRequest &r : m_server->requests())
            n += r.path == path;
        return n;
    }

private slots:
    void init()
    {
        resetMessages();
        QVERIFY(m_drives.setUp(E, {QStringLiteral("voxa/manager")}));
        m_root = m_drives.root();
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\autoupd.dat"), "R7USW2.10"));
        m_server = std::make_unique<HttpTestServer>();
    }

    void cleanup()
    {
        m_server.reset();
        m_drives.tearDown();
    }

    void checkListsTheOffers()
    {
        serveTwoUpdates();
        ScriptedPrompts prompts;
        TUpdateSession s;
        makeSession(s);
        QSignalSpy closes(&s, &TUpdateSession::closeRequested);
        QSignalSpy idle(&s, &TUpdateSession::idle);
        s.CheckForUpdates();
        QCOMPARE(s.infoText(), QStringLiteral("Checking for update..."));
        QVERIFY(!s.navigationEnabled());
        QVERIFY(!s.cancelEnabled());
        QVERIFY(idle.wait(10000));
        QCOMPARE(s.list().tickedRows(), (QList<int>{1, 2}));
        QCOMPARE(s.list().rows()[1].currentCell(), QStringLiteral("2.10"));
        QCOMPARE(s.info().url(2), QString::fromLatin1(url("/dl/fw%202.exe")));
        QVERIFY(s.updateEnabled());
        QVERIFY(s.navigationEnabled());
        QVERIFY(s.cancelEnabled());
        QCOMPARE(s.infoText(), QStringLiteral("Select update."));
        QCOMPARE(s.progress().caption, QString());
        QVERIFY(file(QStringLiteral("voxa/manager/update2.ini")).startsWith("[UPDATE]"));
        QCOMPARE(closes.count(), 0);
    }

    void checkOutcomes_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("updateEnabled");
        QTest::newRow("not on the server") << 404 << QByteArray() << msg(Msg::DownloadError) << true << true;
        QTest::newRow("invalid") << 200 << QByteArray("[update]\r\nMANAGER_VERSION=9") << msg(Msg::UpdateInfoInvalid)
                                 << false << false;
        QTest::newRow("nothing newer") << 200 << QByteArray("[UPDATE]\r\nMANAGER_VERSION=3.01.01") << QString() << false
                                       << false;
    }

    void checkOutcomes()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, content);
        QFETCH(QString, warning);
        QFETCH(bool, closes);
        QFETCH(bool, updateEnabled);
        if (status == 200)
            m_server->serve("/update/update2.ini", {status, content, true, -1});
        ScriptedPrompts prompts;
        if (!warning.isEmpty())
            prompts.expectMessage(warning);
        TUpdateSession s;
        makeSession(s);
        QSignalSpy closeSpy(&s, &TUpdateSession::closeRequested);
        QVERIFY(check(s));
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(closeSpy.count(), closes ? 1 : 0);
        QCOMPARE(s.updateEnabled(), updateEnabled);
        QVERIFY(s.navigationEnabled());
        QVERIFY(s.cancelEnabled());
        if (status == 200)
            QCOMPARE(s.list().isEmpty(), !warning.isEmpty());
    }

    void languageChangeRewritesTheInfoLine()
    {
        serveInfo("MANAGER_VERSION=3.01.01");
        ScriptedPrompts prompts;
        TUpdateSession s;
        makeSession(s);
        QVERIFY(check(s));
        setMessage(Msg::SelectUpdate, QStringLiteral("Vyberte."));
        setMessage(Msg::Unknown, QStringLiteral("?"));
        QSignalSpy rows(&s, &TUpdateSession::rowsChanged);
        s.RefreshTexts();
        QCOMPARE(s.infoText(), QStringLiteral("Vyberte."));
        QCOMPARE(rows.count(), 1);
        QCOMPARE(s.list().rows()[2].currentCell(), QStringLiteral("?"));
        s.Close();
        s.RefreshTexts();
        QCOMPARE(s.infoText(), QString());  // an empty line stays empty
    }

    void managerAndFirmwareHandedOver()
    {
        serveTwoUpdates();
        ScriptedPrompts prompts;
        test::RecordingProcesses processes;
        TUpdateSession s;
        makeSession(s);
        QVERIFY(check(s));
        // The user starts the new manager, so it is named where this computer has it.
        prompts.expectMessage(QStringLiteral("The new VOXA Manager was downloaded. For update close the running VOXA "
                                             "Manager and run the ") +
                              m_root + QStringLiteral("/voxa/manager/vm.exe file."));
        QSignalSpy closes(&s, &TUpdateSession::closeRequested);
        s.StartUpdate();
        QVERIFY(!s.navigationEnabled());
        QVERIFY(!s.updateEnabled());
        QCOMPARE(s.cancelCaption(), QStringLiteral("Cancel"));
        QCOMPARE(s.infoText(), QStringLiteral("Downloading VOXA Manager..."));
        QVERIFY(closes.wait(10000));
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(file(QStringLiteral("voxa/manager/vm.exe")), QByteArray("manager bytes"));
        QCOMPARE(file(QStringLiteral("voxa/fw%202.exe")), QByteArray("firmware bytes"));
        for (const char *program : {"/voxa/manager/vm.exe", "/voxa/fw%202.exe"})
            QVERIFY(QFile::permissions(m_root + QLatin1String(program)) & QFile::ExeOwner);
        QCOMPARE(processes.calls.size(), 1);
        QCOMPARE(processes.calls[0].kind, test::ProcessCall::Wait);
        QCOMPARE(processes.calls[0].program, QStringLiteral("E:\\voxa\\fw%202.exe"));
        QCOMPARE(processes.calls[0].workingFolder, QStringLiteral("E:\\voxa"));
        QCOMPARE(processes.calls[0].args, QStringList());
        QCOMPARE(s.infoText(), QStringLiteral("Download ended succesfully. Executing file."));
        QVERIFY(s.navigationEnabled());
    }

    void firstRowFailingStopsTheRun_data()
    {
        QTest::addColumn<QByteArray>("managerLines");
        // SERVER stands for the test server's address.
        QTest::newRow("404") << QByteArray("MANAGER_URL=SERVER/dl/missing.exe");
        QTest::newRow("URL ending in /..") << QByteArray("MANAGER_URL=SERVER/dl/x/..");
        QTest::newRow("URL ending in /") << QByteArray("MANAGER_URL=SERVER/dl/");
    }

    void firstRowFailingStopsTheRun()
    {
        QFETCH(QByteArray, managerLines);
        serveTwoUpdates(managerLines.replace("SERVER", url("")));
        ScriptedPrompts prompts;
        test::RecordingProcesses processes;
        TUpdateSession s;
        makeSession(s);
        QVERIFY(check(s));
        QCOMPARE(s.list().tickedRows(), (QList<int>{1, 2}));
        prompts.expectMessage(msg(Msg::DownloadError));
        QSignalSpy idle(&s, &TUpdateSession::idle);
        QSignalSpy closes(&s, &TUpdateSession::closeRequested);
        s.StartUpdate();
        QTRY_COMPARE_WITH_TIMEOUT(idle.count(), 1, 10000);
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(prompts.lastMessage().icon, BoxIcon::Warning);
        QCOMPARE(requestsFor("/dl/fw%202.exe"), 0);
        QCOMPARE(QDir(m_root + QStringLiteral("/voxa/manager")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("update2.ini")});
        QCOMPARE(s.cancelCaption(), QStringLiteral("Close"));
        QVERIFY(!s.updateEnabled());
        QVERIFY(s.navigationEnabled());
        QCOMPARE(closes.count(), 0);
        QVERIFY(processes.calls.isEmpty());
        // Cancel now closes the frame.
        s.Cancel();
        QCOMPARE(closes.count(), 1);
    }

    void abortHalfwayThenAgain()
    {
        serveTwoUpdates();
        const QByteArray manager(200000, 'm');
        m_server->serve("/dl/vm.exe", {200, manager, true, 100000});
        ScriptedPrompts prompts;
        test::RecordingProcesses processes;
        TUpdateSession s;
        makeSession(s);
        QVERIFY(check(s));
        s.ListClick({1, 0, 0, 0, 0, 0});
        QCOMPARE(s.list().tickedRows(), QList<int>{1});
        QSignalSpy idle(&s, &TUpdateSession::idle);
        s.StartUpdate();
        QTRY_COMPARE_WITH_TIMEOUT(s.progress().caption, QStringLiteral("50%"), 10000);
        QVERIFY(s.transferring());
        s.Cancel();
        QCOMPARE(s.infoText(), QStringLiteral("Download aborted by user!"));
        QVERIFY(idle.wait(10000));
        QCOMPARE(prompts.records().size(), 0);  // no warning
        QVERIFY(!QFile::exists(m_root + QStringLiteral("/voxa/manager/vm.exe")));
        QCOMPARE(QDir(m_root + QStringLiteral("/voxa/manager")).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QVERIFY(s.updateEnabled());
        QCOMPARE(s.progress().caption, QString());

        // "Update" again, and this time the file arrives whole.
        m_server->serve("/dl/vm.exe", {200, manager, true, -1});
        prompts.expectMessage(QStringLiteral("vm.exe file."));
        QSignalSpy closes(&s, &TUpdateSession::closeRequested);
        s.StartUpdate();
        QVERIFY(closes.wait(10000));
        QCOMPARE(file(QStringLiteral("voxa/manager/vm.exe")), manager);
    }

    void firmwareThatCannotStart()
    {
        serveTwoUpdates("SAT_FIRMWARE_VERSION=1.10\r\nSAT_FIRMWARE_URL=" + url("/dl/sat.exe"));
        m_server->serve("/dl/sat.exe", {200, "sat", true, -1});
        ScriptedPrompts prompts;
        test::RecordingProcesses processes;
        processes.startError = 8;
        TUpdateSession s;
        makeSession(s);
        QVERIFY(check(s));
        s.ListClick({0, 1, 1, 0, 0, 0});
        QCOMPARE(s.list().tickedRows(), (QList<int>{2, 3}));
        prompts.expectMessage(QStringLiteral("8")).expectMessage(QStringLiteral("8"));
        QSignalSpy closes(&s, &TUpdateSession::closeRequested);
        s.StartUpdate();
        QVERIFY(closes.wait(10000));
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(prompts.records().size(), 2);
        for (const test::PromptRecord &r : prompts.records()) {
            QCOMPARE(r.box.text, QStringLiteral("8"));
            QCOMPARE(r.box.icon, BoxIcon::Error);
        }
        QCOMPARE(processes.calls.size(), 2);
        QCOMPARE(processes.calls[1].program, QStringLiteral("E:\\voxa\\sat.exe"));
    }

    // With the system's own processes: a program is started in its folder and
    // awaited; a file that is no program shows the system's error number.
    void realHandOver_data()
    {
        QTest::addColumn<QByteArray>("firmware");
        QTest::addColumn<QString>("error");
        QTest::newRow("runs") << QByteArray("#!/bin/sh\nsleep 0.2\necho ran > marker\n") << QString();
        QTest::newRow("not a program") << QByteArray("MZ\x90\0\3\0\0\0", 8) << QString::number(ENOEXEC);
    }

    void realHandOver()
    {
        QFETCH(QByteArray, firmware);
        QFETCH(QString, error);
        serveTwoUpdates();
        m_server->serve("/dl/fw%202.exe", {200, firmware, true, -1});
        ScriptedPrompts prompts;
        TUpdateSession s;
        makeSession(s);
        QVERIFY(check(s));
        s.ListClick({0, 1, 0, 0, 0, 0});
        if (!error.isEmpty())
            prompts.expectMessage(error);
        QSignalSpy closes(&s, &TUpdateSession::closeRequested);
        s.StartUpdate();
        QVERIFY(closes.wait(10000));
        QCOMPARE(prompts.pending(), 0);
        if (error.isEmpty())
            QCOMPARE(file(QStringLiteral("voxa/marker")), QByteArray("ran\n"));
        else
            QCOMPARE(prompts.lastMessage().text, error);
    }

    // A hostile server changes nothing on the drive, and each refusal has its own warning.
    void hostileServer_data()
    {
        QTest::addColumn<QByteArray>("lines");  // of update2.ini; SERVER stands for the server's address
        QTest::addColumn<int>("proxyPort");     // 0: no proxy
        QTest::addColumn<QString>("text");      // the one warning
        QTest::addColumn<int>("requests");      // that reach the server
        const QString own = "would replace a file of the VOXA Manager installation";
        const QByteArray manager = "MANAGER_VERSION=3.01.02\r\nMANAGER_URL=SERVER/dl/";
        QTest::newRow("own file, other letter case") << manager + "VOXAM2.INI" << 0 << own << 1;
        QTest::newRow("own file, trailing dot") << manager + "voxam2.ini." << 0 << own << 1;
        QTest::newRow("own file's other name (hard link)") << manager + "defaul~1.bmp" << 0 << own << 1;
        QTest::newRow("firmware onto a link off the drive")
            << QByteArray("VOXA_FIRMWARE_VERSION=2.20\r\nVOXA_FIRMWARE_URL=SERVER/dl/link.exe") << 0
            << msg(Msg::OpenForWriteError) << 2;
        QTest::newRow("endless description") << QByteArray() << 0 << msg(Msg::UpdateInfoInvalid) << 1;
        QTest::newRow("wrong checksum") << manager + "vm.exe\r\nMANAGER_SHA256=" + QByteArray(64, 'a') << 0
                                        << "does not match its checksum, so it was not saved. [E:\\voxa\\manager\\vm.exe]" << 2;
        QTest::newRow("proxy port 65536") << manager + "vm.exe" << 65536
                                          << "The proxy port in the Proxy Settings must be a number from 1 to 65535." << 0;
    }

    void hostileServer()
    {
        QFETCH(QByteArray, lines);
        QFETCH(int, proxyPort);
        QFETCH(QString, text);
        QFETCH(int, requests);
        const QString manager = m_root + "/voxa/manager/";
        for (const char *own : {"voxam2", "voxam2.ini", "defaultskin.bmp"})
            QVERIFY(TestDriveTable::writeFile("E:\\voxa\\manager\\" + QString::fromLatin1(own), own));
        QVERIFY(QFile::setPermissions(manager + "defaultskin.bmp", QFile::ReadOwner));
        // FAT finds a file by its short name too; a hard link stands in for one.
        QVERIFY(::link(QFile::encodeName(manager + "defaultskin.bmp"), QFile::encodeName(manager + "DEFAUL~1.BMP")) == 0);
        // A link on the drive to a read-only file elsewhere: the snapshot
        // reads through it, so a write or a mode change shows.
        QTemporaryDir outside;
        const QString mine = outside.filePath("mine.txt");
        QVERIFY(QFile(mine).open(QIODevice::WriteOnly));
        QVERIFY(QFile::setPermissions(mine, QFile::ReadOwner));
        QVERIFY(QFile::link(mine, m_root + "/voxa/link.exe"));
        m_server->serve("/dl/link.exe", {200, "from the server", true, -1});
        if (lines.isEmpty())
            m_server->serve("/update/update2.ini", {200, "[UPDATE]\r\nMANAGER_VERSION=3.01.02\r\n", false, -1, true});
        else
            serveInfo(lines.replace("SERVER", url("")));
        m_server->serve("/dl/vm.exe", {200, "from the server", true, -1});
        const QMap<QString, QByteArray> before = snapshot(m_root);

        ScriptedPrompts prompts;
        prompts.expectMessage(text);
        test::RecordingProcesses processes;
        TUpdateSession s;
        makeSession(s);
        if (proxyPort)
            s.setProxy(ProxyFromDialog(true, "127.0.0.1", proxyPort));
        QVERIFY(check(s));
        if (!s.list().tickedRows().isEmpty()) {
            QSignalSpy idle(&s, &TUpdateSession::idle);
            s.StartUpdate();
            QTRY_COMPARE_WITH_TIMEOUT(idle.count(), 1, 10000);
        }
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(prompts.records().size(), 1);
        QCOMPARE(prompts.lastMessage().icon, BoxIcon::Warning);
        QVERIFY(processes.calls.isEmpty());
        QCOMPARE(m_server->requests().size(), requests);
        QVERIFY2(m_server->endlessBytesSent() < 8 * MaxUpdateInfoBytes, qPrintable(QString::number(m_server->endlessBytesSent())));
        // Nothing changed but a whole and valid description.
        QMap<QString, QByteArray> after = snapshot(m_root);
        if (s.list().isEmpty())
            QVERIFY(!after.contains("/voxa/manager/update2.ini"));
        after.remove("/voxa/manager/update2.ini");
        QCOMPARE(after, before);
    }

    void proxyIsUsed()
    {
        serveInfo("MANAGER_VERSION=3.01.02");
        ScriptedPrompts prompts;
        prompts.expectMessage(msg(Msg::DownloadError));
        TUpdateSession s;
        makeSession(s);
        // A proxy where nobody listens: the check fails and the frame closes.
        s.setProxy(ProxyFromDialog(true, QStringLiteral("127.0.0.1"), test::freeLoopbackPort()));
        QSignalSpy closes(&s, &TUpdateSession::closeRequested);
        QVERIFY(check(s));
        QCOMPARE(closes.count(), 1);
        QCOMPARE(m_server->requestCount(), 0);
        // Switched off, the server is reached.
        s.setProxy(ProxyFromDialog(false, QStringLiteral("127.0.0.1"), 1));
        QVERIFY(check(s));
        QCOMPARE(m_server->requestCount(), 1);
        QCOMPARE(s.list().tickedRows(), QList<int>{1});
    }

    void closeEmptiesTheFrame()
    {
        serveTwoUpdates();
        ScriptedPrompts prompts;
        TUpdateSession s;
        makeSession(s);
        QVERIFY(check(s));
        s.ListClick({0, 0, 0, 0, 0, 0});
        QVERIFY(!s.updateEnabled());
        s.Close();
        QVERIFY(s.list().isEmpty());
        QVERIFY(s.updateEnabled());
        QCOMPARE(s.infoText(), QString());
        QCOMPARE(s.progress().position, 0);
        QVERIFY(check(s));  // the next showing checks again
        QCOMPARE(s.list().tickedRows(), (QList<int>{1, 2}));
    }

    // The frame closed in the middle of a download and shown again at once:
    // the check waits for the cut transfer to end, then runs.
    void showAgainWhileACutTransferEnds()
    {
        serveTwoUpdates();
        m_server->serve("/dl/vm.exe", {200, QByteArray(200000, 'm'), true, 100000});
        ScriptedPrompts prompts;
        TUpdateSession s;
        makeSession(s);
        QVERIFY(check(s));
        s.ListClick({1, 0, 0, 0, 0, 0});
        s.StartUpdate();
        QTRY_COMPARE_WITH_TIMEOUT(s.progress().caption, QStringLiteral("50%"), 10000);
        s.Close();
        QVERIFY(s.transferring());
        QVERIFY(check(s));
        QCOMPARE(s.list().tickedRows(), (QList<int>{1, 2}));
        QCOMPARE(s.infoText(), QStringLiteral("Select update."));
        QCOMPARE(requestsFor("/update/update2.ini"), 2);
        QCOMPARE(prompts.records().size(), 0);
        QVERIFY(!QFile::exists(m_root + QStringLiteral("/voxa/manager/vm.exe")));
    }
};

QTEST_GUILESS_MAIN(TestUpdateSession)
#include "test_updatesession.moc"
