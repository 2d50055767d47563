#include "platform/mediaplayer.h"

#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/processes.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFileInfo>
#include <QMutex>
#include <QUrl>

#include <utility>

namespace voxa::platform {
namespace {

MediaPlayer *g_player = nullptr;

const QString kObject = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kTrackList = QStringLiteral("org.mpris.MediaPlayer2.TrackList");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int kTimeoutMs = 2000;

bool succeeded(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage;
}

// No answer within the wait: the player hangs (or is gone).
bool unanswered(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ErrorMessage
        && (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply")
            || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.Timeout"));
}

QDBusMessage callOn(const QString &service, const QString &interface, const QString &method,
                    const QVariantList &args = {})
{
    QDBusMessage m = QDBusMessage::createMethodCall(service, kObject, interface, method);
    m.setArguments(args);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, kTimeoutMs);
}

QVariantList propertyArgs(const QString &interface, const QString &name)
{
    return {interface, name};
}

QVariant propertyOf(const QDBusMessage &reply)
{
    if (!succeeded(reply) || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

QVariant property(const QString &service, const QString &interface, const QString &name)
{
    return propertyOf(callOn(service, kProperties, QStringLiteral("Get"), propertyArgs(interface, name)));
}

QStringList stringList(const QVariant &v)
{
    if (v.canConvert<QDBusArgument>())
        return qdbus_cast<QStringList>(v.value<QDBusArgument>());
    return v.toStringList();
}

QString uriOf(const QString &nativePath)
{
    return QUrl::fromLocalFile(QFileInfo(nativePath).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

QString nativeOf(const QString &path)
{
    return isDevicePath(path) ? toNative(path) : path;
}

}  // namespace

MediaPlayer &mediaPlayer()
{
    static MprisMediaPlayer system;
    return g_player ? *g_player : system;
}

void setMediaPlayer(MediaPlayer *p)
{
    g_player = p;
}

MediaPlayer::Reach MprisMediaPlayer::findPlayer()
{
    m_service.clear();
    m_reach = Reach::None;
    m_firstTrack.clear();
    m_hung = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return m_reach;
    QStringList names = bus.interface()->registeredServiceNames().value();
    names.sort();
    for (const QString &name : std::as_const(names)) {
        if (!name.startsWith(kRoot + QLatin1Char('.')))
            continue;
        // A player that cannot open local files is of no use here.
        const QStringList schemes = stringList(property(name, kRoot, QStringLiteral("SupportedUriSchemes")));
        if (!schemes.contains(QLatin1String("file"), Qt::CaseInsensitive))
            continue;
        m_service = name;
        const bool hasList = property(name, kRoot, QStringLiteral("HasTrackList")).toBool()
            && property(name, kTrackList, QStringLiteral("CanEditTracks")).toBool();
        m_reach = hasList ? Reach::List : Reach::SingleFile;
        break;
    }
    return m_reach;
}

QDBusMessage MprisMediaPlayer::call(const QString &interface, const QString &method, const QVariantList &args)
{
    // A player that left one call unanswered would most likely leave the
    // next one too; a stop request ends the hand-over between two calls.
    if (m_hung || stopRequested() || m_service.isEmpty())
        return QDBusMessage::createError(QStringLiteral("org.voxa.NotSent"), QString());
    QDBusMessage reply = callOn(m_service, interface, method, args);
    if (unanswered(reply))
        m_hung = true;
    return reply;
}

QStringList MprisMediaPlayer::tracks()
{
    const QVariant v =
        propertyOf(call(kProperties, QStringLiteral("Get"), propertyArgs(kTrackList, QStringLiteral("Tracks"))));
    QList<QDBusObjectPath> paths;
    if (v.canConvert<QDBusArgument>())
        paths = qdbus_cast<QList<QDBusObjectPath>>(v.value<QDBusArgument>());
    else
        paths = v.value<QList<QDBusObjectPath>>();
    QStringList ids;
    ids.reserve(paths.size());
    for (const QDBusObjectPath &p : std::as_const(paths))
        ids.append(p.path());
    return ids;
}

bool MprisMediaPlayer::clearList()
{
    if (m_reach != Reach::List)
        return false;
    bool all = true;
    for (const QString &id : tracks())
        all = succeeded(call(kTrackList, QStringLiteral("RemoveTrack"), {QVariant::fromValue(QDBusObjectPath(id))}))
            && all;
    return all && !m_hung && !stopRequested();
}

bool MprisMediaPlayer::addFiles(const QStringList &nativePaths)
{
    switch (m_reach) {
    case Reach::None:
        return false;
    case Reach::SingleFile:
        return !nativePaths.isEmpty()
            && succeeded(call(kPlayer, QStringLiteral("OpenUri"), {uriOf(nativePaths.constFirst())}));
    case Reach::List:
        break;
    }
    // The list is read once before and once after. A track goes right after
    // the one named, so adding the files last to first, each after the same
    // track (the list's last, or "no track", the start), leaves them in the
    // given order after whatever the player kept, with one call per file.
    const QStringList before = tracks();
    if (m_hung)
        return false;
    const QString anchor = before.isEmpty() ? kNoTrack : before.constLast();
    const QVariant after = QVariant::fromValue(QDBusObjectPath(anchor));
    bool all = true;
    for (qsizetype i = nativePaths.size() - 1; i >= 0; --i) {
        if (m_hung || stopRequested())
            return false;
        all = succeeded(call(kTrackList, QStringLiteral("AddTrack"), {uriOf(nativePaths[i]), after, false})) && all;
    }
    // The first file is the track right after the anchor.
    const QStringList now = tracks();
    const qsizetype first = before.isEmpty() ? 0 : now.indexOf(anchor) + 1;
    if (first > 0 || before.isEmpty())
        if (first < now.size() && !before.contains(now[first]))
            m_firstTrack = now[first];
    return all && !m_hung;
}

bool MprisMediaPlayer::openList(const QString &nativePath)
{
    return m_reach != Reach::None && succeeded(call(kPlayer, QStringLiteral("OpenUri"), {uriOf(nativePath)}));
}

bool MprisMediaPlayer::play()
{
    if (m_reach == Reach::None)
        return false;
    if (m_reach == Reach::List && !m_firstTrack.isEmpty())
        call(kTrackList, QStringLiteral("GoTo"), {QVariant::fromValue(QDBusObjectPath(m_firstTrack))});
    return succeeded(call(kPlayer, QStringLiteral("Play")));
}

QByteArray HandOverPlayListBytes(const QStringList &paths)
{
    QByteArray out;
    for (const QString &p : paths)
        out += QFile::encodeName(nativeOf(p)) + "\r\n";
    return out;
}

namespace {

PlayedBy openAssociated(const QString &path)
{
    return processes().openWithAssociated(path) ? PlayedBy::AssociatedProgram : PlayedBy::OpenFailed;
}

bool writePlayList(const QStringList &paths, const QString &playListPath)
{
    return !playListPath.isEmpty() && fs::writeWholeFile(playListPath, HandOverPlayListBytes(paths)).isEmpty();
}

// Hand-overs take turns: one player, one list at a time.
QMutex &handOverTurn()
{
    static QMutex turn;
    return turn;
}

// The player's steps see the stop flag while a hand-over runs.
class StopScope {
public:
    StopScope(MediaPlayer &player, const std::atomic<bool> *stop) : m_player(player) { player.setStop(stop); }
    ~StopScope() { m_player.setStop(nullptr); }
    StopScope(const StopScope &) = delete;
    StopScope &operator=(const StopScope &) = delete;

private:
    MediaPlayer &m_player;
};

bool stopped(const std::atomic<bool> *stop)
{
    return stop && stop->load();
}

// How the steps went, once they have run.
HandOverStep outcome(const MediaPlayer &player, const std::atomic<bool> *stop)
{
    if (player.stoppedAnswering())
        return {PlayedBy::PlayerNotAnswering, {}};
    if (stopped(stop))
        return {PlayedBy::Cancelled, {}};
    return {PlayedBy::Player, {}};
}

// Clear, add in order, play: each step as far as the player goes along.
HandOverStep handOver(MediaPlayer &player, const QStringList &nativePaths, const std::atomic<bool> *stop)
{
    player.clearList();
    player.addFiles(nativePaths);
    player.play();
    return outcome(player, stop);
}

// Clear, the play list in place of the files, play.
HandOverStep handOverList(MediaPlayer &player, const QStringList &paths, const QString &playListPath,
                          const std::atomic<bool> *stop)
{
    if (!writePlayList(paths, playListPath))
        return {PlayedBy::PlayListNotWritten, {}};
    player.clearList();
    player.openList(nativeOf(playListPath));
    player.play();
    return outcome(player, stop);
}

// One hand-over at a time, the player's steps seeing the stop flag.
template <class Steps>
HandOverStep inTurn(const std::atomic<bool> *stop, Steps steps)
{
    QMutexLocker turn(&handOverTurn());
    if (stopped(stop))
        return {PlayedBy::Cancelled, {}};
    MediaPlayer &player = mediaPlayer();
    const StopScope scope(player, stop);
    return steps(player);
}

}  // namespace

HandOverStep HandOverFile(const QString &path, const std::atomic<bool> *stop)
{
    if (path.isEmpty())
        return {PlayedBy::Nothing, {}};
    return inTurn(stop, [&](MediaPlayer &player) {
        if (player.findPlayer() == MediaPlayer::Reach::None)
            return stopped(stop) ? HandOverStep{PlayedBy::Cancelled, {}}
                                 : HandOverStep{PlayedBy::AssociatedProgram, path};
        return handOver(player, {nativeOf(path)}, stop);
    });
}

HandOverStep HandOverFiles(const QStringList &paths, const QString &playListPath, const std::atomic<bool> *stop)
{
    if (paths.isEmpty())
        return {PlayedBy::Nothing, {}};
    return inTurn(stop, [&](MediaPlayer &player) -> HandOverStep {
        switch (player.findPlayer()) {
        case MediaPlayer::Reach::List:
            if (paths.size() > HandOverListMax)
                return handOverList(player, paths, playListPath, stop);
            break;
        case MediaPlayer::Reach::SingleFile:
            // Opening the files one by one would leave only the last; the
            // play list carries them all.
            if (paths.size() > 1)
                return handOverList(player, paths, playListPath, stop);
            break;
        case MediaPlayer::Reach::None:
            if (stopped(stop))
                return {PlayedBy::Cancelled, {}};
            if (!writePlayList(paths, playListPath))
                return {PlayedBy::PlayListNotWritten, {}};
            return {PlayedBy::AssociatedProgram, playListPath};
        }
        QStringList native;
        native.reserve(paths.size());
        for (const QString &p : paths)
            native.append(nativeOf(p));
        return handOver(player, native, stop);
    });
}

PlayedBy FinishHandOver(const HandOverStep &step)
{
    return step.openPath.isEmpty() ? step.playedBy : openAssociated(step.openPath);
}

PlayedBy PlayFile(const QString &path)
{
    return FinishHandOver(HandOverFile(path));
}

PlayedBy PlayFiles(const QStringList &paths, const QString &playListPath)
{
    return FinishHandOver(HandOverFiles(paths, playListPath));
}

// ------------------------------------------------------------ MediaHandOver

MediaHandOver::MediaHandOver(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<voxa::platform::PlayedBy>();
    connect(&m_job, &Job::finished, this, &MediaHandOver::workerEnded);
}

MediaHandOver::~MediaHandOver()
{
    m_next = nullptr;  // the job stops and waits for its worker
}

void MediaHandOver::Start(Work work)
{
    if (m_job.isRunning()) {
        // The newest request wins: the running one stops at its next call
        // and this one follows it.
        m_next = std::move(work);
        m_job.cancel();
        return;
    }
    run(std::move(work));
}

void MediaHandOver::StartFile(const QString &path)
{
    Start([path](const std::atomic<bool> &stop) { return HandOverFile(path, &stop); });
}

void MediaHandOver::StartFiles(const QStringList &paths, const QString &playListPath)
{
    Start([paths, playListPath](const std::atomic<bool> &stop) { return HandOverFiles(paths, playListPath, &stop); });
}

void MediaHandOver::Cancel()
{
    m_next = nullptr;
    m_job.cancel();
}

void MediaHandOver::run(Work work)
{
    m_job.start([work = std::move(work)](JobControl &control) {
        return JobResult::success(QVariant::fromValue(work(control.cancelFlag())));
    });
}

void MediaHandOver::workerEnded(const JobResult &result)
{
    const auto step = result.value.value<HandOverStep>();
    // Stopped or overtaken: nothing more is opened for it.
    const bool cancelled = m_job.isCancelled() || step.playedBy == PlayedBy::Cancelled;
    if (m_next)
        run(std::exchange(m_next, nullptr));
    emit Finished(cancelled ? PlayedBy::Cancelled : FinishHandOver(step));
}

void MediaHandOver::Wait()
{
    while (m_job.isRunning())
        m_job.wait();
}

}  // namespace voxa::platform
