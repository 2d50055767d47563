// The hand-over against a real session bus: a small test player offers the
// media-player interfaces from a thread of its own, on the private bus that
// dbus-run-session starts for this test.
#include "platform/mediaplayer.h"
#include "support/recordingprocesses.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMutex>
#include <QTest>
#include <QThread>

using namespace voxa;
using platform::MediaPlayer;

namespace {

const QString kTrackPrefix = QStringLiteral("/org/voxatest/track/");

// The player's state; its adaptors run in the player's thread, the test
// reads it after each blocking call has returned.
struct PlayerState {
    QMutex lock;
    bool hasTrackList = true;
    bool canEdit = true;
    QStringList schemes{QStringLiteral("file")};
    QStringList ids;   // track ids in list order
    QStringList uris;  // their addresses
    QString current;
    QString opened;    // OpenUri's address
    bool playing = false;
    QStringList calls;
    int nextId = 1;
};

class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QStringList SupportedUriSchemes READ schemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ mimeTypes)
public:
    RootAdaptor(QObject *parent, PlayerState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
    bool hasTrackList() const { return m_s.hasTrackList; }
    QString identity() const { return QStringLiteral("test player"); }
    QStringList schemes() const { return m_s.schemes; }
    QStringList mimeTypes() const { return {QStringLiteral("audio/mpeg")}; }

private:
    PlayerState &m_s;
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
public:
    PlayerAdaptor(QObject *parent, PlayerState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
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
    PlayerState &m_s;
};

class TrackListAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.TrackList")
    Q_PROPERTY(bool CanEditTracks READ canEdit)
    Q_PROPERTY(QList<QDBusObjectPath> Tracks READ tracks)
public:
    TrackListAdaptor(QObject *parent, PlayerState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
    bool canEdit() const { return m_s.canEdit; }
    QList<QDBusObjectPath> tracks() const
    {
        QMutexLocker l(&m_s.lock);
        QList<QDBusObjectPath> out;
        for (const QString &id : m_s.ids)
            out.append(QDBusObjectPath(id));
        return out;
    }
public slots:
    void AddTrack(const QString &uri, const QDBusObjectPath &after, bool setAsCurrent)
    {
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("AddTrack"));
        const QString id = kTrackPrefix + QString::number(m_s.nextId++);
        // "NoTrack" puts the track first, as the interface says.
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
    PlayerState &m_s;
};

// Runs the player in its own thread with its own bus connection, so the
// blocking calls of the code under test get their answers.
class TestPlayer : public QThread {
public:
    explicit TestPlayer(PlayerState &s) : m_s(s) {}
    ~TestPlayer() override
    {
        quit();
        wait();
    }
    bool startPlayer()
    {
        start();
        m_ready.lock();
        const bool ok = m_ok;
        m_ready.unlock();
        return ok;
    }

protected:
    void run() override
    {
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("testplayer"));
        QObject object;
        new RootAdaptor(&object, m_s);
        new PlayerAdaptor(&object, m_s);
        if (m_s.hasTrackList)
            new TrackListAdaptor(&object, m_s);
        m_ok = bus.isConnected() && bus.registerObject(QStringLiteral("/org/mpris/MediaPlayer2"), &object)
            && bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.voxatest"));
        m_ready.unlock();
        if (m_ok)
            exec();
        bus.unregisterService(QStringLiteral("org.mpris.MediaPlayer2.voxatest"));
        bus.unregisterObject(QStringLiteral("/org/mpris/MediaPlayer2"));
        QDBusConnection::disconnectFromBus(QStringLiteral("testplayer"));
    }

private:
    PlayerState &m_s;
    bool m_ok = false;

public:
    QMutex m_ready;
};

QString uri(const QString &path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

}  // namespace

class TestMyRadioMpris : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        // Only on the private bus the test registration starts: on the
        // user's own bus the code under test could clear a real player.
        if (qEnvironmentVariableIsEmpty("VOXA_PRIVATE_BUS") || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")
            || !QDBusConnection::sessionBus().isConnected())
            QSKIP("needs a private session bus (ctest runs this under dbus-run-session)");
        QVERIFY(dir.isValid());
    }

    // Clear, add in order, play: the list holds exactly the files, in
    // order, the first is current and the player plays.
    void listPlayer()
    {
        PlayerState s;
        s.ids = {kTrackPrefix + "old1", kTrackPrefix + "old2"};
        s.uris = {"file:///old1.mp3", "file:///old2.mp3"};
        TestPlayer player(s);
        player.m_ready.lock();
        QVERIFY(player.startPlayer());
        test::RecordingProcesses processes;
        const QStringList files{dir.filePath("1 one.mp3"), dir.filePath("2.mp3"), dir.filePath("3.mp3")};
        QCOMPARE(platform::PlayFiles(files, dir.filePath("play.m3u")), platform::PlayedBy::Player);
        QMutexLocker l(&s.lock);
        QCOMPARE(s.uris, (QStringList{uri(files[0]), uri(files[1]), uri(files[2])}));
        QCOMPARE(s.current, s.ids.first());
        QVERIFY(s.playing);
        QCOMPARE(s.calls, (QStringList{"RemoveTrack", "RemoveTrack", "AddTrack", "AddTrack", "AddTrack", "GoTo", "Play"}));
        QVERIFY(processes.calls.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("play.m3u")));
    }

    // A player without a list opens one address: the file, or the play
    // list carrying several.
    void singleFilePlayer()
    {
        PlayerState s;
        s.hasTrackList = false;
        TestPlayer player(s);
        player.m_ready.lock();
        QVERIFY(player.startPlayer());
        platform::MprisMediaPlayer mpris;
        QCOMPARE(mpris.findPlayer(), MediaPlayer::Reach::SingleFile);
        QCOMPARE(mpris.service(), QStringLiteral("org.mpris.MediaPlayer2.voxatest"));
        test::RecordingProcesses processes;
        QCOMPARE(platform::PlayFile(dir.filePath("one.mp3")), platform::PlayedBy::Player);
        {
            QMutexLocker l(&s.lock);
            QCOMPARE(s.opened, uri(dir.filePath("one.mp3")));
            QCOMPARE(s.calls, (QStringList{"OpenUri", "Play"}));
        }
        const QStringList files{dir.filePath("a.mp3"), dir.filePath("b.mp3")};
        QCOMPARE(platform::PlayFiles(files, dir.filePath("play.m3u")), platform::PlayedBy::Player);
        QMutexLocker l(&s.lock);
        QCOMPARE(s.opened, uri(dir.filePath("play.m3u")));
        QFile list(dir.filePath("play.m3u"));
        QVERIFY(list.open(QIODevice::ReadOnly));
        QCOMPARE(list.readAll(), QFile::encodeName(files[0]) + "\r\n" + QFile::encodeName(files[1]) + "\r\n");
        QVERIFY(processes.calls.isEmpty());
    }

    // A player that does not open local files is passed over; with no other
    // the desktop opens the file.
    void noUsablePlayer()
    {
        PlayerState s;
        s.schemes = {QStringLiteral("http")};
        TestPlayer player(s);
        player.m_ready.lock();
        QVERIFY(player.startPlayer());
        test::RecordingProcesses processes;
        QCOMPARE(platform::PlayFile(dir.filePath("x.mp3")), platform::PlayedBy::AssociatedProgram);
        QCOMPARE(processes.calls.size(), 1);
        QCOMPARE(processes.calls[0].program, dir.filePath("x.mp3"));
        QMutexLocker l(&s.lock);
        QVERIFY(s.calls.isEmpty());
    }

    void noPlayerAtAll()
    {
        platform::MprisMediaPlayer mpris;
        QCOMPARE(mpris.findPlayer(), MediaPlayer::Reach::None);
        QVERIFY(!mpris.clearList());
        QVERIFY(!mpris.addFiles({dir.filePath("x.mp3")}));
        QVERIFY(!mpris.play());
    }
};

QTEST_GUILESS_MAIN(TestMyRadioMpris)
#include "test_myradio_mpris.moc"
