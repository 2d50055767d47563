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

// The longest time the calling thread's event loop went without a turn
// while a hand-over ran, and how it ended.
struct HandOverRun {
    qint64 longestStallMs = 0;
    qint64 startMs = 0;  // how long Start itself took
    PlayedBy result = PlayedBy::Nothing;
    bool finished = false;
};

HandOverRun runWatched(const std::function<void(platform::MediaHandOver &)> &start,
                       const std::function<void(platform::MediaHandOver &)> &meanwhile = {}, int finishes = 1)
{
    HandOverRun run;
    platform::MediaHandOver handOver;
    QSignalSpy spy(&handOver, &platform::MediaHandOver::Finished);
    QElapsedTimer clock;
    clock.start();
    start(handOver);
    run.startMs = clock.elapsed();
    qint64 last = clock.elapsed();
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        run.longestStallMs = std::max(run.longestStallMs, clock.elapsed() - last);
        last = clock.elapsed();
        if (meanwhile)
            meanwhile(handOver);
    });
    beat.start(5);
    while (spy.size() < finishes && spy.wait(15000)) {
    }
    run.finished = spy.size() == finishes;
    if (run.finished)
        run.result = spy.constFirst().constFirst().value<PlayedBy>();
    return run;
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

    // The calls grow by one per file and one per track removed; a read of
    // the whole list is made three times whatever its length. Longer lists
    // go over as one play list.
    void callsGrowWithTheList_data()
    {
        QTest::addColumn<int>("files");
        QTest::newRow("1") << 1;
        QTest::newRow("50") << 50;
        QTest::newRow("longest file by file") << platform::HandOverListMax;
        QTest::newRow("play list") << platform::HandOverListMax + 1;
        QTest::newRow("10000") << 10000;
    }
    void callsGrowWithTheList()
    {
        QFETCH(int, files);
        PlayerState s;
        s.ids = {kTrackPrefix + "old1", kTrackPrefix + "old2", kTrackPrefix + "old3"};
        s.uris = {"file:///1.mp3", "file:///2.mp3", "file:///3.mp3"};
        StandInPlayer player(s);
        QVERIFY(player.startPlayer());
        QStringList paths, uris;
        for (int i = 0; i < files; ++i) {
            paths.append(dir.filePath(QStringLiteral("%1 x.mp3").arg(i)));
            uris.append(uri(paths.last()));
        }
        const QString playList = dir.filePath("play.m3u");
        QFile::remove(playList);
        QCOMPARE(platform::PlayFiles(paths, playList), PlayedBy::Player);
        QMutexLocker l(&s.lock);
        QStringList expected{"Tracks", "RemoveTrack", "RemoveTrack", "RemoveTrack"};
        if (files <= platform::HandOverListMax) {
            expected << "Tracks" << QStringList(files, "AddTrack") << "Tracks" << "GoTo" << "Play";
            QCOMPARE(s.uris, uris);
            QCOMPARE(s.current, s.ids.first());
            QVERIFY(!QFile::exists(playList));
        } else {
            expected << "OpenUri" << "Play";
            QCOMPARE(s.opened, uri(playList));
            QVERIFY(s.ids.isEmpty());
            QFile list(playList);
            QVERIFY(list.open(QIODevice::ReadOnly));
            QCOMPARE(list.readAll().count("\r\n"), files);
        }
        QCOMPARE(s.calls, expected);
        QVERIFY(s.playing);
    }

    // A player whose AddTrack never answers in time: the window thread
    // keeps its turns, the hand-over gives up after that one call instead
    // of waiting once per file, and nothing more is sent.
    void hangingPlayerDoesNotBlockTheWindow()
    {
        PlayerState s;
        s.addTrackDelayMs = 2600;
        StandInPlayer player(s);
        QVERIFY(player.startPlayer());
        QStringList paths;
        for (int i = 0; i < 20; ++i)
            paths.append(dir.filePath(QStringLiteral("%1.mp3").arg(i)));
        const HandOverRun run =
            runWatched([&](platform::MediaHandOver &h) { h.StartFiles(paths, dir.filePath("play.m3u")); });
        QVERIFY(run.finished);
        QCOMPARE(run.result, PlayedBy::PlayerNotAnswering);
        QVERIFY2(run.startMs < 50, qPrintable(QString::number(run.startMs)));
        QVERIFY2(run.longestStallMs < 500, qPrintable(QString::number(run.longestStallMs)));
        QMutexLocker l(&s.lock);
        QCOMPARE(s.calls.count("AddTrack"), 1);
        QVERIFY(!s.calls.contains("Play"));
    }

    // Cancel stops the hand-over between two calls; a new one while one
    // runs stops it too and follows it.
    void cancelStopsBetweenCalls_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("cancel") << false;
        QTest::newRow("another hand-over") << true;
    }
    void cancelStopsBetweenCalls()
    {
        QFETCH(bool, replace);
        PlayerState s;
        s.addTrackDelayMs = 20;
        StandInPlayer player(s);
        QVERIFY(player.startPlayer());
        QStringList paths;
        for (int i = 0; i < 200; ++i)
            paths.append(dir.filePath(QStringLiteral("%1.mp3").arg(i)));
        const QString other = dir.filePath("other.mp3");
        bool asked = false;
        int addsWhenAsked = 0;
        QList<PlayedBy> results;
        const HandOverRun run = runWatched(
            [&](platform::MediaHandOver &h) {
                QObject::connect(&h, &platform::MediaHandOver::Finished, [&](PlayedBy r) { results.append(r); });
                h.StartFiles(paths, dir.filePath("play.m3u"));
            },
            [&](platform::MediaHandOver &h) {
                QMutexLocker l(&s.lock);
                if (asked || s.calls.count("AddTrack") < 3)
                    return;
                asked = true;
                addsWhenAsked = int(s.calls.count("AddTrack"));
                l.unlock();
                if (replace)
                    h.StartFile(other);
                else
                    h.Cancel();
            },
            replace ? 2 : 1);
        QVERIFY(run.finished);
        QVERIFY(asked);
        QCOMPARE(run.result, PlayedBy::Cancelled);
        QCOMPARE(results.size(), replace ? 2 : 1);
        if (replace)
            QCOMPARE(results.last(), PlayedBy::Player);
        QMutexLocker l(&s.lock);
        // At most the call under way when asked, and the follower's one.
        QVERIFY(s.calls.count("AddTrack") <= addsWhenAsked + 1 + (replace ? 1 : 0));
        QCOMPARE(s.calls.count("Play"), replace ? 1 : 0);
        if (replace)
            QCOMPARE(s.uris, QStringList{uri(other)});
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
