#include "support/standinplayer.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>

namespace voxa::test {
namespace {

class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QStringList SupportedUriSchemes READ schemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ mimeTypes)
public:
    RootAdaptor(QObject *parent, StandInState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
    bool hasTrackList() const { return m_s.hasTrackList; }
    QString identity() const { return QStringLiteral("test player"); }
    QStringList schemes() const { return m_s.schemes; }
    QStringList mimeTypes() const { return {QStringLiteral("audio/mpeg")}; }

private:
    StandInState &m_s;
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
public:
    PlayerAdaptor(QObject *parent, StandInState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
public slots:
    void Play()
    {
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("Play"));
        m_s.playing = true;
    }
    void OpenUri(const QString &uri)
    {
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("OpenUri"));
        m_s.opened = uri;
        m_s.playing = true;
    }

private:
    StandInState &m_s;
};

class TrackListAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.TrackList")
    Q_PROPERTY(bool CanEditTracks READ canEdit)
    Q_PROPERTY(QList<QDBusObjectPath> Tracks READ tracks)
public:
    TrackListAdaptor(QObject *parent, StandInState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
    bool canEdit() const { return m_s.canEdit; }
    QList<QDBusObjectPath> tracks() const
    {
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("Tracks"));
        QList<QDBusObjectPath> out;
        out.reserve(m_s.ids.size());
        for (const QString &id : m_s.ids)
            out.append(QDBusObjectPath(id));
        return out;
    }
public slots:
    void AddTrack(const QString &uri, const QDBusObjectPath &after, bool setAsCurrent)
    {
        int delay = 0;
        {
            QMutexLocker l(&m_s.lock);
            m_s.calls.append(QStringLiteral("AddTrack"));
            delay = m_s.addTrackDelayMs;
        }
        if (delay > 0)
            QThread::msleep(ulong(delay));
        QMutexLocker l(&m_s.lock);
        const QString id = StandInPlayer::trackPrefix() + QString::number(m_s.nextId++);
        // "NoTrack" (found nowhere) puts the track first, as the interface says.
        const qsizetype at = m_s.ids.indexOf(after.path()) + 1;
        m_s.ids.insert(at, id);
        m_s.uris.insert(at, uri);
        if (setAsCurrent)
            m_s.current = id;
    }
    void RemoveTrack(const QDBusObjectPath &track)
    {
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("RemoveTrack"));
        const qsizetype at = m_s.ids.indexOf(track.path());
        if (at >= 0) {
            m_s.ids.removeAt(at);
            m_s.uris.removeAt(at);
        }
    }
    void GoTo(const QDBusObjectPath &track)
    {
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("GoTo"));
        m_s.current = track.path();
    }

private:
    StandInState &m_s;
};

const QString kConnection = QStringLiteral("voxastandinplayer");
const QString kObject = QStringLiteral("/org/mpris/MediaPlayer2");

}  // namespace

StandInPlayer::~StandInPlayer()
{
    quit();
    wait();
}

bool StandInPlayer::startPlayer()
{
    start();
    // run() releases once the player is registered (or could not be).
    m_ready.acquire();
    return m_ok;
}

void StandInPlayer::run()
{
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnection);
    QObject object;
    new RootAdaptor(&object, m_s);
    new PlayerAdaptor(&object, m_s);
    if (m_s.hasTrackList)
        new TrackListAdaptor(&object, m_s);
    const QString service = QString::fromLatin1(ServiceName);
    m_ok = bus.isConnected() && bus.registerObject(kObject, &object) && bus.registerService(service);
    m_ready.release();
    if (m_ok)
        exec();
    bus.unregisterService(service);
    bus.unregisterObject(kObject);
    QDBusConnection::disconnectFromBus(kConnection);
}

}  // namespace voxa::test

#include "standinplayer.moc"
