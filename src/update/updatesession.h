#pragma once
// What the update frame does, without its widgets: the check (fetch
// update2.ini, read it, build the list), the choice rules, the downloads of
// the ticked rows with progress and Cancel, and the hand-over (a new manager
// announced, firmware programs started and awaited). The frame forwards its
// events here and shows what the signals report; transfers run on a worker
// thread (TDownloadJob), so nothing here processes events itself.
#include "platform/prompts.h"
#include "update/downloadjob.h"
#include "update/updatelist.h"

#include <QObject>

namespace voxa {

class TUpdateSession : public QObject {
    Q_OBJECT
public:
    explicit TUpdateSession(QObject *parent = nullptr);
    ~TUpdateSession() override;

    void setDrive(QChar letter) { m_drive = letter; }
    QChar drive() const { return m_drive; }
    // The server's base address (UpdateServerAddress).
    void setServer(const QString &server) { m_server = server; }
    QString server() const { return m_server; }
    // ProxyCheckClick and ProxyPortEditChanged: applies from the next transfer.
    void setProxy(const ProxySettings &proxy) { m_proxy = proxy; }
    ProxySettings proxy() const { return m_proxy; }
    // Where the warnings about update2.ini appear (near the frame's corner).
    void setInfoWarningPlacement(Placement p) { m_infoPlacement = p; }

    // CheckForUpdates, the frame's show step. Right after a Close that cut a
    // transfer, the check starts as soon as that transfer has ended.
    void CheckForUpdates();
    // dlListClick: the ticks as the user left them, one per row.
    void ListClick(const QList<bool> &ticksNow);
    // OKButtonClick ("Update").
    void StartUpdate();
    // CancelButtonClick: cuts a running transfer, otherwise asks to close.
    void Cancel();
    // The frame's close step: empties the list, the progress and the info
    // line and enables "Update".
    void Close();
    // RefreshUpdateTexts: after a language change the cells are shown anew
    // (rowsChanged) and a non-empty info line gets InfoText.
    void RefreshTexts();

    const TUpdateList &list() const { return m_list; }
    const UpdateInfo &info() const { return m_info; }
    QString infoText() const { return m_infoText; }
    const TransferProgress &progress() const { return m_progress; }
    bool transferring() const { return m_job.running(); }
    bool updateEnabled() const { return m_updateEnabled; }
    bool cancelEnabled() const { return m_cancelEnabled; }
    // The main window's navigation (its frame border and menus).
    bool navigationEnabled() const { return m_navigationEnabled; }
    // Empty until an update run changes it to "Cancel" or "Close".
    QString cancelCaption() const { return m_cancelCaption; }
    // The text a failed transfer shows.
    QString downloadErrorText() const { return m_errorText; }

signals:
    void infoTextChanged(const QString &text);
    void progressChanged();
    void rowsChanged();
    // updateEnabled, cancelEnabled, navigationEnabled or cancelCaption.
    void buttonsChanged();
    // The frame should close (back to the start panel).
    void closeRequested();
    // A check or an update run has ended (the session waits for the user).
    void idle();

private:
    enum class Mode { None, Checking, Updating };

    void startDownload(const QString &text, const DownloadRequest &request);
    void transferFinished(const TransferResult &result);
    void checkFinished(bool ok, bool invalidInfo);
    void nextRow();
    void rowFinished(bool ok, bool aborted);
    void handOverFirmware(const QString &target);
    void setInfo(const QString &text);
    void setButtons(bool update, bool cancel, bool navigation);
    void setCancelCaption(const QString &caption);

    QChar m_drive;
    QString m_server;
    ProxySettings m_proxy;
    Placement m_infoPlacement = Placement::frameBox();

    TDownloadJob m_job;
    Mode m_mode = Mode::None;
    bool m_checkWhenIdle = false;
    UpdateInfo m_info;
    TUpdateList m_list;
    QList<int> m_queue;      // rows still to download
    int m_currentRow = 0;
    QString m_currentTarget;
    QString m_errorText;
    QString m_infoText;
    TransferProgress m_progress;
    bool m_updateEnabled = true;
    bool m_cancelEnabled = true;
    bool m_navigationEnabled = true;
    QString m_cancelCaption;
};

}  // namespace voxa
