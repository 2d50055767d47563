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
#include <QUrl>

namespace voxa::platform {
namespace {

MediaPlayer *g_player = nullptr;

const QString kObject = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kTrackList = QStringLiteral("org.mpris.MediaPlayer2.TrackList");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
constexpr int kTimeoutMs = 2000;

QDBusMessage callPlayer(const QString &service, const QString &interface, const QString &method,
                        const QVariantList &args = {})
{
    QDBusMessage m = QDBusMessage::createMethodCall(service, kObject, interface, method);
    m.setArguments(args);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, kTimeoutMs);
}

bool succeeded(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage;
}

QVariant property(const QString &service, const QString &interface, const QString &name)
{
    const QDBusMessage reply = callPlayer(service, QStringLiteral("org.freedesktop.DBus.Properties"),
                                          QStringLiteral("Get"), {interface, name});
    if (!succeeded(reply) || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

QStringList stringList(const QVariant &v)
{
    if (v.canConvert<QDBusArgument>())
        return qdbus_cast<QStringList>(v.value<QDBusArgument>());
    return v.toStringList();
}

// The player's track ids in list order.
QStringList tracks(const QString &service)
{
    const QVariant v = property(service, kTrackList, QStringLiteral("Tracks"));
    QList<QDBusObjectPath> paths;
    if (v.canConvert<QDBusArgument>())
        paths = qdbus_cast<QList<QDBusObjectPath>>(v.value<QDBusArgument>());
    else
        paths = v.value<QList<QDBusObjectPath>>();
    QStringList ids;
    for (const QDBusObjectPath &p : paths)
        ids.append(p.path());
    return ids;
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

bool MprisMediaPlayer::clearList()
{
    if (m_reach != Reach::List)
        return false;
    bool all = true;
    for (const QString &id : tracks(m_service))
        all = succeeded(callPlayer(m_service, kTrackList, QStringLiteral("RemoveTrack"),
                                   {QVariant::fromValue(QDBusObjectPath(id))}))
            && all;
    return all;
}

bool MprisMediaPlayer::addFiles(const QStringList &nativePaths)
{
    switch (m_reach) {
    case Reach::None:
        return false;
    case Reach::SingleFile:
        return !nativePaths.isEmpty()
            && succeeded(callPlayer(m_service, kPlayer, QStringLiteral("OpenUri"), {uriOf(nativePaths.constFirst())}));
    case Reach::List:
        break;
    }
    // Each file goes after the last track, so the list keeps the given order
    // even when the player kept tracks it would not remove. "After nothing"
    // means at the start, which only the first file of an empty list wants.
    bool all = true;
    QStringList before = tracks(m_service);
    for (const QString &path : nativePaths) {
        const QString after = before.isEmpty() ? kNoTrack : before.constLast();
        if (!succeeded(callPlayer(m_service, kTrackList, QStringLiteral("AddTrack"),
                                  {uriOf(path), QVariant::fromValue(QDBusObjectPath(after)), false}))) {
            all = false;
            continue;
        }
        const QStringList now = tracks(m_service);
        if (m_firstTrack.isEmpty())
            for (const QString &id : now)
                if (!before.contains(id)) {
                    m_firstTrack = id;
                    break;
                }
        before = now;
    }
    return all;
}

bool MprisMediaPlayer::play()
{
    if (m_reach == Reach::None)
        return false;
    if (m_reach == Reach::List && !m_firstTrack.isEmpty())
        callPlayer(m_service, kTrackList, QStringLiteral("GoTo"),
                   {QVariant::fromValue(QDBusObjectPath(m_firstTrack))});
    return succeeded(callPlayer(m_service, kPlayer, QStringLiteral("Play")));
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

// Clear, add in order, play: each step as far as the player goes along.
void handOver(MediaPlayer &player, const QStringList &nativePaths)
{
    player.clearList();
    player.addFiles(nativePaths);
    player.play();
}

}  // namespace

PlayedBy PlayFile(const QString &path)
{
    if (path.isEmpty())
        return PlayedBy::Nothing;
    MediaPlayer &player = mediaPlayer();
    if (player.findPlayer() != MediaPlayer::Reach::None) {
        handOver(player, {nativeOf(path)});
        return PlayedBy::Player;
    }
    return openAssociated(path);
}

PlayedBy PlayFiles(const QStringList &paths, const QString &playListPath)
{
    if (paths.isEmpty())
        return PlayedBy::Nothing;
    MediaPlayer &player = mediaPlayer();
    switch (player.findPlayer()) {
    case MediaPlayer::Reach::List: {
        QStringList native;
        for (const QString &p : paths)
            native.append(nativeOf(p));
        handOver(player, native);
        return PlayedBy::Player;
    }
    case MediaPlayer::Reach::SingleFile:
        if (paths.size() == 1) {
            handOver(player, {nativeOf(paths.constFirst())});
            return PlayedBy::Player;
        }
        // Opening the files one by one would leave only the last; the play
        // list carries them all.
        if (!writePlayList(paths, playListPath))
            return PlayedBy::PlayListNotWritten;
        handOver(player, {nativeOf(playListPath)});
        return PlayedBy::Player;
    case MediaPlayer::Reach::None:
        break;
    }
    if (!writePlayList(paths, playListPath))
        return PlayedBy::PlayListNotWritten;
    return openAssociated(playListPath);
}

}  // namespace voxa::platform
