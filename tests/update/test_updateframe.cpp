// The update frame and the proxy dialog driven through the main window,
// against a loopback server that serves update2.ini and the update files.
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "app/shellstubs.h"
#include "envguard.h"
#include "httptestserver.h"
#include "support/framewindow.h"
#include "support/recordingprocesses.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "ui/skinbutton.h"
#include "ui/skinmenu.h"
#include "ui/skinprogressbar.h"
#include "update/proxydialog.h"
#include "update/updateframe.h"
#include "support/mainwidgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace voxa;
using test::HttpResponse;
using test::HttpTestServer;

namespace {

QList<bool> ticks(QTreeWidget *list)
{
    QList<bool> out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << (list->topLevelItem(i)->checkState(0) == Qt::Checked);
    return out;
}

}  // namespace

class TestUpdateFrame : public QObject, private test::FrameWindow {
    Q_OBJECT

    std::unique_ptr<HttpTestServer> m_server;
    std::unique_ptr<test::EnvGuard> m_serverVariable;

    TUpdateFrame *frame() const { return qobject_cast<TUpdateFrame *>(form->Frame(FrameKind::Update)); }
    TProxySetupForm *dialog() const { return dynamic_cast<TProxySetupForm *>(form->ProxySetupForm()); }

    QByteArray url(const char *path) const { return m_server->url(QString::fromLatin1(path)).toLatin1(); }

    // update2.ini offering a manager and the VOXA-A 2.xx firmware.
    void serveTwoUpdates(const HttpResponse &manager = {200, "manager bytes", true, -1})
    {
        m_server->serve("/update/update2.ini",
                        {200,
                         "[UPDATE]\r\nMANAGER_VERSION=3.01.02\r\nMANAGER_URL=" + url("/dl/vm.exe") +
                             "\r\nVOXA_FIRMWARE_VERSION=2.20\r\nVOXA_FIRMWARE_URL=" + url("/dl/fw.exe") + "\r\n",
                         true, -1});
        m_server->serve("/dl/vm.exe", manager);
        m_server->serve("/dl/fw.exe", {200, "firmware bytes", true, -1});
    }

    // The drive's settings name a server of their own, which is not heard.
    void writeSettings(const QByteArray &lines)
    {
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\manager\\voxam2.ini"),
                                                "[VOXA Manager Ini File]\r\nUpdate Server = http://127.0.0.1:" +
                                                    QByteArray::number(test::freeLoopbackPort()) + "\r\n" + lines));
    }

    void startForm()
    {
        QVERIFY(showMainWindow());
        QVERIFY(form->StartPanel->isVisible());
        QVERIFY(frame());
        QVERIFY(dialog());
    }

    // Shows the frame and waits for the check to end with the rows listed.
    void showAndCheck()
    {
        form->MenuItemClick(mainChild<QAction>(form, "Update1"));
        QTRY_COMPARE_WITH_TIMEOUT(frame()->dlList->topLevelItemCount(), 6, 10000);
    }

    QString file(const char *rel) const { return root + QLatin1Char('/') + QLatin1String(rel); }

    // Acts on the proxy dialog once its event loop runs; a failed check
    // inside still closes it.
    void whenShown(std::function<void()> act)
    {
        QTimer::singleShot(0, [this, act] {
            act();
            if (dialog()->isVisible())
                dialog()->reject();
        });
    }

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }

    void init()
    {
        // Each test installs its own scripted prompts, or none.
        QVERIFY(prepare({QStringLiteral("voxa/manager/Language")}, PromptsBy::Test));
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\autoupd.dat"), "R7USW2.10"));
        m_server = std::make_unique<HttpTestServer>();
        m_serverVariable = std::make_unique<test::EnvGuard>(UpdateServerVariable);
        qputenv(UpdateServerVariable, url(""));
        RegisterUpdateFrame();
        writeSettings({});
    }

    void cleanup()
    {
        tearDown();
        m_serverVariable.reset();
        m_server.reset();
    }

    void checkShowsTheRows()
    {
        serveTwoUpdates();
        test::ScriptedPrompts prompts;
        startForm();
        TUpdateFrame *f = frame();
        form->MenuItemClick(mainChild<QAction>(form, "Update1"));
        QVERIFY(f->isVisible());
        QCOMPARE(form->titleLine(), QStringLiteral("Online Update"));
        // While the check runs, Cancel and the navigation are off.
        QCOMPARE(f->dlInfoLabel->text(), QStringLiteral("Checking for update..."));
        QVERIFY(!f->CancelButton->isEnabled());
        QVERIFY(!mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(f->dlList->topLevelItemCount(), 6, 10000);
        QCOMPARE(f->dlList->headerItem()->text(0), QStringLiteral("Available Updates"));
        QCOMPARE(column(f->dlList, 0).first(), QStringLiteral("VOXA Manager"));
        QCOMPARE(column(f->dlList, 1),
                 (QStringList{QStringLiteral("3.01.01"), QStringLiteral("2.10"), QStringLiteral("Unknown"),
                              QStringLiteral("Unknown"), QStringLiteral("Unknown"), QStringLiteral("Unknown")}));
        QCOMPARE(column(f->dlList, 2),
                 (QStringList{QStringLiteral("3.01.02"), QStringLiteral("2.20"), QStringLiteral("Not Available"),
                              QStringLiteral("Not Available"), QStringLiteral("Not Available"),
                              QStringLiteral("Not Available")}));
        QCOMPARE(ticks(f->dlList), (QList<bool>{true, true, false, false, false, false}));
        QCOMPARE(f->dlInfoLabel->text(), QStringLiteral("Select update."));
        QVERIFY(f->OKButton->isEnabled());
        QVERIFY(f->CancelButton->isEnabled());
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QCOMPARE(f->OKButton->Caption(), QStringLiteral("Update"));
        QCOMPARE(f->CancelButton->Caption(), QStringLiteral("Cancel"));
        // The buttons sit at the bottom right.
        QCOMPARE(f->CancelButton->geometry().right(), f->width() - 7);
        QCOMPARE(f->OKButton->x(), f->CancelButton->x() - 6 - f->OKButton->width());

        // A language change rewrites the cells that are no version.
        setMessage(Msg::NotAvailable, QStringLiteral("n/a"));
        f->RefreshTitle();
        QCOMPARE(column(f->dlList, 2).last(), QStringLiteral("n/a"));
        QCOMPARE(column(f->dlList, 2).first(), QStringLiteral("3.01.02"));

        // Cancel without a transfer closes the frame and empties it.
        f->CancelButton->Click();
        QVERIFY(!f->isVisible());
        QVERIFY(form->StartPanel->isVisible());
        QCOMPARE(f->dlList->topLevelItemCount(), 0);
        QCOMPARE(f->dlInfoLabel->text(), QString());
        QCOMPARE(form->titleLine(), QString());
        QVERIFY(f->OKButton->isEnabled());
    }

    void ticksFollowTheRules_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<bool>>("expected");
        QTest::addColumn<bool>("updateEnabled");
        // Rows 2, 4 and 5 exclude each other; row 4 has a version to offer.
        QTest::newRow("row 4 unticks row 2") << 4 << QList<bool>{true, false, false, true, false, false} << true;
        QTest::newRow("Not Available undone") << 3 << QList<bool>{true, true, false, false, false, false} << true;
        QTest::newRow("untick the manager") << 1 << QList<bool>{false, true, false, false, false, false} << true;
    }

    void ticksFollowTheRules()
    {
        QFETCH(int, row);
        QFETCH(QList<bool>, expected);
        QFETCH(bool, updateEnabled);
        m_server->serve("/update/update2.ini", {200,
                                                "[UPDATE]\r\nMANAGER_VERSION=3.01.02\r\nVOXA_FIRMWARE_VERSION=2.20\r\n"
                                                "VOXA_3.xx_FIRMWARE_VERSION=3.05\r\n",
                                                true, -1});
        test::ScriptedPrompts prompts;
        startForm();
        showAndCheck();
        QTreeWidgetItem *item = frame()->dlList->topLevelItem(row - 1);
        item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        QCOMPARE(ticks(frame()->dlList), expected);
        QCOMPARE(frame()->OKButton->isEnabled(), updateEnabled);
        // Nothing ticked: Update is off.
        for (int i = 0; i < 6; ++i)
            frame()->dlList->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
        QVERIFY(!frame()->OKButton->isEnabled());
    }

    void updateDownloadsWithProgress()
    {
        const QByteArray manager(200000, 'm');
        serveTwoUpdates({200, manager, true, 100000});
        test::ScriptedPrompts prompts;
        test::RecordingProcesses processes;
        startForm();
        showAndCheck();
        TUpdateFrame *f = frame();
        f->dlList->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        QCOMPARE(ticks(f->dlList), (QList<bool>{true, false, false, false, false, false}));
        prompts.expectMessage(QStringLiteral("The new VOXA Manager was downloaded. For update close the running VOXA "
                                             "Manager and run the ") +
                              file("voxa/manager/vm.exe") + QStringLiteral(" file."));
        f->OKButton->Click();
        QVERIFY(!f->OKButton->isEnabled());
        QVERIFY(!mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        // The download keeps the window: its close button and closing wait.
        QVERIFY(!mainChild<TSkinButton>(form, "XButton")->isEnabled());
        form->close();
        QVERIFY(form->isVisible());
        QCOMPARE(f->CancelButton->Caption(), QStringLiteral("Cancel"));
        QCOMPARE(f->dlInfoLabel->text(), QStringLiteral("Downloading VOXA Manager..."));
        QTRY_COMPARE_WITH_TIMEOUT(f->dlProgress->Caption(), QStringLiteral("50%"), 10000);
        QCOMPARE(f->dlProgress->Position(), 50);
        m_server->release();
        // After the last row the frame closes.
        QTRY_VERIFY_WITH_TIMEOUT(form->StartPanel->isVisible(), 10000);
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\voxa\\manager\\vm.exe")), manager);
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QVERIFY(mainChild<TSkinButton>(form, "XButton")->isEnabled());
        QVERIFY(processes.calls.isEmpty());
        QCOMPARE(f->dlProgress->Position(), 0);
    }

    void cancelLeavesNoFile()
    {
        serveTwoUpdates({200, QByteArray(200000, 'm'), true, 100000});
        test::ScriptedPrompts prompts;
        test::RecordingProcesses processes;
        startForm();
        showAndCheck();
        TUpdateFrame *f = frame();
        f->OKButton->Click();
        QTRY_COMPARE_WITH_TIMEOUT(f->dlProgress->Caption(), QStringLiteral("50%"), 10000);
        f->CancelButton->Click();
        QCOMPARE(f->dlInfoLabel->text(), QStringLiteral("Download aborted by user!"));
        QTRY_VERIFY_WITH_TIMEOUT(f->OKButton->isEnabled(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(f->CancelButton->Caption(), QStringLiteral("Close"), 10000);
        QVERIFY(prompts.records().isEmpty());  // no warning
        QVERIFY(!QFile::exists(file("voxa/manager/vm.exe")));
        QCOMPARE(QDir(file("voxa/manager")).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("update2.ini"), QStringLiteral("voxam2.ini")}));
        QVERIFY(processes.calls.isEmpty());  // row 2 was not tried
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QCOMPARE(f->dlProgress->Caption(), QString());
        QVERIFY(f->isVisible());
        f->CancelButton->Click();
        QVERIFY(form->StartPanel->isVisible());
    }

    void failedRowLeavesClose()
    {
        serveTwoUpdates({404, {}, true, -1});
        test::ScriptedPrompts prompts;
        test::RecordingProcesses processes;
        startForm();
        showAndCheck();
        TUpdateFrame *f = frame();
        prompts.expectMessage(msg(Msg::DownloadError));
        f->OKButton->Click();
        QTRY_COMPARE_WITH_TIMEOUT(f->CancelButton->Caption(), QStringLiteral("Close"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(prompts.pending(), 0, 10000);
        QVERIFY(!f->OKButton->isEnabled());
        QVERIFY(f->isVisible());
        QVERIFY(processes.calls.isEmpty());
        QVERIFY(!QFile::exists(file("voxa/manager/vm.exe")));
        QVERIFY(!QFile::exists(file("voxa/fw.exe")));
    }

    void storedProxyReachesTheTransfers()
    {
        const quint16 deadPort = test::freeLoopbackPort();
        writeSettings("Use Proxy = true\r\nProxy Server = 127.0.0.1\r\nProxy Port = " + QByteArray::number(deadPort) +
                      "\r\n");
        serveTwoUpdates();
        test::ScriptedPrompts prompts;
        startForm();
        QCOMPARE(dialog()->Values(), (ProxyValues{true, QStringLiteral("127.0.0.1"), deadPort}));
        QVERIFY(dialog()->ProxyServerEdit->isEnabled());
        QCOMPARE(frame()->Session().proxy(), (ProxySettings{QStringLiteral("127.0.0.1"), deadPort}));
        // Nobody listens on the proxy: the check fails and the frame closes.
        prompts.expectMessage(msg(Msg::DownloadError));
        form->MenuItemClick(mainChild<QAction>(form, "Update1"));
        QTRY_VERIFY_WITH_TIMEOUT(form->StartPanel->isVisible(), 10000);
        QCOMPARE(m_server->requestCount(), 0);

        // Switched off in the dialog and closed without saving: the next
        // check goes straight to the server, and the file is as it was.
        const QByteArray stored = test::TestDriveTable::readFile(QStringLiteral("V:\\voxa\\manager\\voxam2.ini"));
        whenShown([this] {
            dialog()->ProxyCheck->click();
            QVERIFY(!dialog()->ProxyServerEdit->isEnabled());
            QVERIFY(!dialog()->ProxyPortEdit->isEnabled());
            QCOMPARE(frame()->Session().proxy(), (ProxySettings{QString(), -1}));
            dialog()->CloseButton->Click();
        });
        form->ToolButtonClick(TMainForm::ToolCommand::ProxySettings);
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\voxa\\manager\\voxam2.ini")), stored);
        showAndCheck();
        QCOMPARE(m_server->requestCount(), 1);
    }

    // OK keeps the dialog open and saves nothing while the transfers would refuse the proxy, with their text.
    void proxyDialogRefuses()
    {
        test::ScriptedPrompts prompts;
        startForm();
        const QByteArray stored = test::TestDriveTable::readFile(QStringLiteral("V:\\voxa\\manager\\voxam2.ini"));
        prompts.expectMessage(QStringLiteral("The proxy port in the Proxy Settings must be a number from 1 to 65535."));
        whenShown([&] {
            TProxySetupForm *d = dialog();
            d->ProxyCheck->click();
            d->ProxyServerEdit->setText(QStringLiteral("proxy.lan"));
            d->ProxyPortEdit->setValue(0);
            d->OKButton->Click();
            QVERIFY(d->isVisible());
            QCOMPARE(prompts.pending(), 0);
            QCOMPARE(TransferFailureText({TransferStatus::BadProxy, ProxyProblem(frame()->Session().proxy())}, {}),
                     prompts.lastMessage().text);
            d->CloseButton->Click();
        });
        mainChild<QAction>(form, "ProxySettingsMenu")->trigger();
        QCOMPARE(prompts.records().size(), 1);
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\voxa\\manager\\voxam2.ini")), stored);
    }

    void proxyDialogSavesItsValues()
    {
        test::ScriptedPrompts prompts;
        startForm();
        QCOMPARE(dialog()->Values(), (ProxyValues{false, QString(), 8080}));
        QVERIFY(!dialog()->ProxyPortEdit->isEnabled());
        whenShown([this] {
            TProxySetupForm *d = dialog();
            QVERIFY(d->isVisible());
            QCOMPARE(d->windowTitle(), QStringLiteral("Proxy Settings"));
            d->ProxyCheck->click();
            QVERIFY(d->ProxyServerEdit->isEnabled());
            QTest::keyClicks(d->ProxyServerEdit, QStringLiteral("proxy.lan"));
            d->ProxyPortEdit->setValue(3128);
            QCOMPARE(frame()->Session().proxy(), (ProxySettings{QStringLiteral("proxy.lan"), 3128}));
            // Off and on again: the boxes' values come back.
            d->ProxyCheck->click();
            QCOMPARE(frame()->Session().proxy(), (ProxySettings{QString(), -1}));
            d->ProxyCheck->click();
            QCOMPARE(frame()->Session().proxy(), (ProxySettings{QStringLiteral("proxy.lan"), 3128}));
            d->OKButton->Click();
        });
        mainChild<QAction>(form, "ProxySettingsMenu")->trigger();
        QVERIFY(!dialog()->isVisible());
        TIniFileHandler stored;
        stored.SetDrive(QLatin1Char('V'));
        QVERIFY(stored.useProxy());
        QCOMPARE(stored.proxyServer(), QStringLiteral("proxy.lan"));
        QCOMPARE(stored.proxyPort(), 3128);
        // A key the dialog does not know survives the save.
        QVERIFY(stored.GetKey("Update Server").startsWith("http://127.0.0.1:"));

        // A new run reads them back into the dialog.
        delete form;
        form = nullptr;
        resetAppState();
        startForm();
        QCOMPARE(dialog()->Values(), (ProxyValues{true, QStringLiteral("proxy.lan"), 3128}));
        QCOMPARE(frame()->Session().proxy(), (ProxySettings{QStringLiteral("proxy.lan"), 3128}));
    }
};

QTEST_MAIN(TestUpdateFrame)
#include "test_updateframe.moc"
