// The hand-over against a real session bus: a small test player offers the
// media-player interfaces from a thread of its own, on the private bus that
// dbus-run-session starts for this test.
#include "platform/mediaplayer.h"
#include "support/recordingprocesses.h"
#include "support/standinplayer.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace voxa;
using platform::MediaPlayer;
using platform::PlayedBy;
using test::StandInPlayer;
using PlayerState = test::StandInState;

namespace {

const QString kTrackPrefix = StandInPlayer::trackPrefix();

QString uri(const QString &path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

}  // namespace

class TestMyRadioMpris : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QStringList files(int count) const
    {
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths.append(dir.filePath(QStringLiteral("%1 x.mp3").arg(i)));
        return paths;
    }

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
        StandInPlayer player(s);
        QVERIFY(player.startPlayer());
        test::RecordingProcesses processes;
        const QStringList files{dir.filePath("1 one.mp3"), dir.filePath("2.mp3"), dir.filePath("3.mp3")};
        QCOMPARE(platform::PlayFiles(files, dir.filePath("play.m3u")), platform::PlayedBy::Player);
        QMutexLocker l(&s.lock);
        QCOMPARE(s.uris, (QStringList{uri(files[0]), uri(files[1]), uri(files[2])}));
        QCOMPARE(s.current, s.ids.first());
        QVERIFY(s.playing);
        // One read of the list to clear it, one before and one after adding.
        QCOMPARE(s.calls, (QStringList{"Tracks", "RemoveTrack", "RemoveTrack", "Tracks", "AddTrack", "AddTrack",
                                       "AddTrack", "Tracks", "GoTo", "Play"}));
        QVERIFY(processes.calls.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("play.m3u")));
    }

    // A player without a list opens one address: the file, or the play
    // list carrying several.
    void singleFilePlayer()
    {
        PlayerState s;
        s.hasTrackList = false;
        StandInPlayer player(s);
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
        StandInPlayer player(s);
        QVERIFY(player.startPlayer());
        test::RecordingProcesses processes;
        QCOMPARE(platform::PlayFile(dir.filePath("x.mp3")), platform::PlayedBy::AssociatedProgram);
        QCOMPARE(processes.calls.size(), 1);
        QCOMPARE(processes.calls[0].program, dir.filePath("x.mp3"));
        QMutexLocker l(&s.lock);
        QVERIFY(s.calls.isEmpty());
    }

    // The calls grow by one per file and per track removed, with three reads of the list; longer lists go over
    // as one play list.
    void callsGrowWithTheList_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("longest file by file") << platform::HandOverListMax;
        QTest::newRow("play list") << platform::HandOverListMax + 1;
    }
    void callsGrowWithTheList()
    {
        QFETCH(int, count);
        PlayerState s;
        s.ids = {kTrackPrefix + "old1", kTrackPrefix + "old2", kTrackPrefix + "old3"};
        s.uris = {"file:///1.mp3", "file:///2.mp3", "file:///3.mp3"};
        StandInPlayer player(s);
        QVERIFY(player.startPlayer());
        const QStringList paths = files(count);
        const QString playList = dir.filePath("play.m3u");
        QFile::remove(playList);
        QCOMPARE(platform::PlayFiles(paths, playList), PlayedBy::Player);
        QMutexLocker l(&s.lock);
        QStringList expected{"Tracks", "RemoveTrack", "RemoveTrack", "RemoveTrack"};
        if (count <= platform::HandOverListMax) {
            expected << "Tracks" << QStringList(count, "AddTrack") << "Tracks" << "GoTo" << "Play";
            QCOMPARE(s.uris.size(), count);
            QCOMPARE(s.uris.last(), uri(paths.last()));
            QVERIFY(!QFile::exists(playList));
        } else {
            expected << "OpenUri" << "Play";
            QCOMPARE(s.opened, uri(playList));
            QFile list(playList);
            QVERIFY(list.open(QIODevice::ReadOnly));
            QCOMPARE(list.readAll().count("\r\n"), count);
        }
        QCOMPARE(s.calls, expected);
    }

    // The window thread keeps its turns while a hand-over runs: an AddTrack that never answers in time ends it
    // after that one call, and Cancel stops it between two calls.
    void handOverLeavesTheWindowFree_data()
    {
        QTest::addColumn<int>("delayMs");      // of each AddTrack
        QTest::addColumn<int>("cancelAfter");  // AddTrack calls before Cancel; 0: none
        QTest::addColumn<PlayedBy>("result");
        QTest::newRow("hanging player") << 2600 << 0 << PlayedBy::PlayerNotAnswering;
        QTest::newRow("cancel") << 20 << 3 << PlayedBy::Cancelled;
    }
    void handOverLeavesTheWindowFree()
    {
        QFETCH(int, delayMs);
        QFETCH(int, cancelAfter);
        QFETCH(PlayedBy, result);
        PlayerState s;
        s.addTrackDelayMs = delayMs;
        StandInPlayer player(s);
        QVERIFY(player.startPlayer());
        platform::MediaHandOver handOver;
        QSignalSpy finished(&handOver, &platform::MediaHandOver::Finished);
        QElapsedTimer clock;
        clock.start();
        handOver.StartFiles(files(200), dir.filePath("play.m3u"));
        const qint64 startMs = clock.elapsed();
        qint64 last = startMs, longestStallMs = 0;
        qsizetype allowedAdds = cancelAfter ? -1 : 1;  // after Cancel: at most the call under way
        QTimer beat;
        QObject::connect(&beat, &QTimer::timeout, [&] {
            longestStallMs = std::max(longestStallMs, clock.elapsed() - last);
            last = clock.elapsed();
            QMutexLocker l(&s.lock);
            if (allowedAdds < 0 && s.calls.count("AddTrack") >= cancelAfter) {
                allowedAdds = s.calls.count("AddTrack") + 1;
                l.unlock();
                handOver.Cancel();
            }
        });
        beat.start(5);
        QVERIFY(!finished.isEmpty() || finished.wait(15000));
        QCOMPARE(finished.constFirst().constFirst().value<PlayedBy>(), result);
        QVERIFY2(startMs < 50, qPrintable(QString::number(startMs)));
        QVERIFY2(longestStallMs < 500, qPrintable(QString::number(longestStallMs)));
        QMutexLocker l(&s.lock);
        QVERIFY2(s.calls.count("AddTrack") <= allowedAdds, qPrintable(s.calls.join(' ')));
        QVERIFY(!s.calls.contains("Play"));
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
