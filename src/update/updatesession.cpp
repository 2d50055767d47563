#include "update/updatesession.h"

#include "app/messagetable.h"
#include "platform/notifications.h"
#include "platform/paths.h"
#include "platform/processes.h"

#include <QTimer>

namespace voxa {

TUpdateSession::TUpdateSession(QObject *parent)
    : QObject(parent), m_server(QString::fromLatin1(DefaultUpdateServer)), m_errorText(msg(Msg::DownloadError))
{
    connect(&m_job, &TDownloadJob::workBegin, this, [this](qint64 expected) {
        m_progress.begin(expected);
        emit progressChanged();
    });
    connect(&m_job, &TDownloadJob::work, this, [this](qint64 received) {
        m_progress.work(received);
        emit progressChanged();
    });
    connect(&m_job, &TDownloadJob::finished, this, &TUpdateSession::transferFinished);
}

TUpdateSession::~TUpdateSession() = default;

void TUpdateSession::setInfo(const QString &text)
{
    m_infoText = text;
    emit infoTextChanged(text);
}

void TUpdateSession::setButtons(bool update, bool cancel, bool navigation)
{
    m_updateEnabled = update;
    m_cancelEnabled = cancel;
    m_navigationEnabled = navigation;
    emit buttonsChanged();
}

void TUpdateSession::setCancelCaption(const QString &caption)
{
    m_cancelCaption = caption;
    emit buttonsChanged();
}

void TUpdateSession::startDownload(const QString &text, const DownloadRequest &request)
{
    m_errorText = msg(Msg::DownloadError);
    setInfo(text);
    m_job.start(request);
}

void TUpdateSession::CheckForUpdates()
{
    if (m_mode != Mode::None)
        return;
    if (m_job.running()) {
        // A transfer cut by Close is still ending: check when it has.
        m_checkWhenIdle = true;
        return;
    }
    m_checkWhenIdle = false;
    m_mode = Mode::Checking;
    m_list.Clear();
    emit rowsChanged();
    setButtons(m_updateEnabled, false, false);
    DownloadRequest request;
    request.url = UpdateInfoUrl(m_server);
    request.target = UpdateInfoPath(m_drive);
    request.proxy = m_proxy;
    // The description is held in memory up to its size limit and reaches
    // the drive only when it is whole and valid.
    request.maxBytes = MaxUpdateInfoBytes;
    request.accept = [](const QByteArray &bytes) { return ParseUpdateInfo(bytes).has_value(); };
    startDownload(msg(Msg::CheckingForUpdate) + QStringLiteral("..."), request);
}

void TUpdateSession::transferFinished(const TransferResult &result)
{
    const bool aborted = result.status == TransferStatus::Aborted;
    // A description that arrived but is too long or no description is an
    // invalid one, not a failed transfer.
    const bool invalidInfo = m_mode == Mode::Checking &&
                             (result.status == TransferStatus::Rejected || result.status == TransferStatus::TooLarge);
    m_progress.end(result.ok());
    emit progressChanged();
    platform::NotifyEndedIfInactive(result.ok() ? msg(m_mode == Mode::Checking ? Msg::SelectUpdate : Msg::DownloadEnded)
                                    : msg(aborted ? Msg::DownloadAborted : Msg::DownloadError));
    if (!result.ok() && !invalidInfo && m_errorText != msg(Msg::DownloadAborted)) {
        const QString target = m_mode == Mode::Checking ? UpdateInfoPath(m_drive) : m_currentTarget;
        prompts().warning(TransferFailureText(result, target));
    }
    if (result.ok() || invalidInfo) {
        m_progress.clear();
        emit progressChanged();
    }
    if (m_mode == Mode::Checking)
        checkFinished(result.ok(), invalidInfo);
    else if (m_mode == Mode::Updating)
        rowFinished(result.ok(), aborted);
    else if (m_checkWhenIdle)
        CheckForUpdates();
}

void TUpdateSession::checkFinished(bool ok, bool invalidInfo)
{
    m_mode = Mode::None;
    if (!ok && !invalidInfo) {
        setButtons(m_updateEnabled, true, true);
        emit idle();
        emit closeRequested();
        return;
    }
    setInfo(msg(Msg::SelectUpdate));
    m_progress.clear();
    emit progressChanged();
    if (invalidInfo)
        prompts().warning(msg(Msg::UpdateInfoInvalid), m_infoPlacement);
    if (std::optional<UpdateInfo> info = invalidInfo ? std::nullopt : ReadUpdateInfo(m_drive, m_infoPlacement)) {
        m_info = *info;
        m_list.Build(m_info, m_drive);
    } else {
        m_info = UpdateInfo();
        m_list.Clear();
    }
    emit rowsChanged();
    const bool nothingToDo = !m_list.anyTicked();
    setButtons(nothingToDo ? false : m_updateEnabled, true, true);
    emit idle();
}

void TUpdateSession::ListClick(const QList<bool> &ticksNow)
{
    const bool enable = m_list.ListClick(ticksNow);
    emit rowsChanged();
    setButtons(enable, m_cancelEnabled, m_navigationEnabled);
}

void TUpdateSession::StartUpdate()
{
    if (m_mode != Mode::None || m_job.running())
        return;
    m_mode = Mode::Updating;
    setButtons(false, true, false);
    setCancelCaption(msg(Msg::Cancel));
    m_queue = m_list.tickedRows();
    nextRow();
}

void TUpdateSession::nextRow()
{
    if (m_queue.isEmpty()) {
        m_mode = Mode::None;
        setButtons(m_updateEnabled, m_cancelEnabled, true);
        emit idle();
        emit closeRequested();
        return;
    }
    m_currentRow = m_queue.takeFirst();
    const QString url = m_info.url(m_currentRow);
    const std::optional<QString> target = UpdateTargetPath(m_drive, m_currentRow, url);
    const QString text = msg(Msg::Downloading) + QString::fromLatin1(updateRowDef(m_currentRow).label);
    if (!target) {
        // A URL without a usable file name fails as a failed transfer would.
        m_errorText = msg(Msg::DownloadError);
        setInfo(text);
        prompts().warning(m_errorText);
        rowFinished(false, false);
        return;
    }
    m_currentTarget = *target;
    DownloadRequest request;
    request.url = url;
    request.target = m_currentTarget;
    request.proxy = m_proxy;
    request.sha256 = m_info.checksum(m_currentRow);
    // The new manager and the firmware programs are started as programs.
    request.executable = true;
    startDownload(text, request);
}

void TUpdateSession::rowFinished(bool ok, bool aborted)
{
    if (!ok) {
        m_mode = Mode::None;
        m_queue.clear();
        // Only the user's abort enables "Update" again.
        setButtons(aborted, true, true);
        setCancelCaption(msg(Msg::Close));
        emit idle();
        return;
    }
    if (m_currentRow == 1) {
        // The user starts the new manager: name it where this computer has it.
        const QString native = platform::toNative(m_currentTarget);
        const QString shown = native.isEmpty() ? m_currentTarget : native;
        prompts().info(msg(Msg::NewManagerDownloaded) + QLatin1Char(' ') + shown + QStringLiteral(" file."));
        nextRow();
        return;
    }
    setInfo(msg(Msg::DownloadEnded));
    // Let the window show the line before the wait for the program blocks it.
    const QString target = m_currentTarget;
    QTimer::singleShot(0, this, [this, target] {
        handOverFirmware(target);
        nextRow();
    });
}

void TUpdateSession::handOverFirmware(const QString &target)
{
    // The download gave the file the owner's execute permission.
    int error = 0;
    const int code = platform::processes().runAndWait(target, {}, platform::folderOf(target), &error);
    if (code == -1 && error != 0)
        prompts().error(QString::number(error));
}

void TUpdateSession::Cancel()
{
    if (m_job.running()) {
        m_errorText = msg(Msg::DownloadAborted);
        m_job.abort();
        setInfo(m_errorText);
        return;
    }
    emit closeRequested();
}

void TUpdateSession::Close()
{
    // A transfer still ending is dropped without a warning.
    m_mode = Mode::None;
    m_checkWhenIdle = false;
    m_errorText = msg(Msg::DownloadAborted);
    m_job.abort();
    m_queue.clear();
    m_list.Clear();
    emit rowsChanged();
    m_progress = TransferProgress();
    emit progressChanged();
    setInfo(QString());
    m_cancelCaption.clear();
    setButtons(true, m_cancelEnabled, m_navigationEnabled);
}

void TUpdateSession::RefreshTexts()
{
    emit rowsChanged();
    if (!m_infoText.isEmpty() && !m_job.running())
        setInfo(m_list.InfoText());
}

}  // namespace voxa
