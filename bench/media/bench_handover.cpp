// Handing a long list to a media player: 10,000 files to a stand-in player
// on a private session bus, the total time of the hand-over and the longest
// time the window thread's event loop went without a turn meanwhile (a
// 1 ms timer beats on it). The 500 files a player gets one by one and a
// player that hangs in AddTrack are measured the same way.
//   dbus-run-session -- bench_handover [FILES] [RUNS]
// (bench/media/bench_handover.sh does that).
#include "platform/mediaplayer.h"
#include "support/standinplayer.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace voxa;

namespace {

struct Measure {
    double totalMs = 0;
    double stallMs = 0;
    platform::PlayedBy result = platform::PlayedBy::Nothing;
};

Measure handOver(const QStringList &paths, const QString &playList)
{
    Measure m;
    platform::MediaHandOver h;
    QEventLoop loop;
    QObject::connect(&h, &platform::MediaHandOver::Finished, &loop, [&](platform::PlayedBy r) {
        m.result = r;
        loop.quit();
    });
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 stall = 0;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        stall = std::max(stall, now - last);
        last = now;
    });
    clock.start();
    h.StartFiles(paths, playList);
    // Start itself counts as a stall of the window thread.
    last = 0;
    stall = clock.nsecsElapsed();
    beat.start(1);
    loop.exec();
    m.totalMs = double(clock.nsecsElapsed()) / 1e6;
    stall = std::max(stall, clock.nsecsElapsed() - last);
    m.stallMs = double(stall) / 1e6;
    return m;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char *what, std::vector<Measure> runs)
{
    std::vector<double> total, stall;
    for (const Measure &m : runs) {
        total.push_back(m.totalMs);
        stall.push_back(m.stallMs);
    }
    std::printf("%-32s total median %8.1f ms (max %8.1f)   longest stall median %6.1f ms (max %6.1f)   result %d\n",
                what, median(total), *std::max_element(total.begin(), total.end()), median(stall),
                *std::max_element(stall.begin(), stall.end()), int(runs.back().result));
}

QStringList files(const QTemporaryDir &dir, int n)
{
    QStringList out;
    out.reserve(n);
    for (int i = 0; i < n; ++i)
        out.append(dir.filePath(QStringLiteral("music/%1 track %2.mp3").arg(i % 97).arg(i)));
    return out;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? args[1].toInt() : 10000;
    const int runs = args.size() > 2 ? args[2].toInt() : 7;
    // Only on a private bus: on the user's own bus a real player would get
    // the lists.
    if (qEnvironmentVariableIsEmpty("VOXA_PRIVATE_BUS") || !QDBusConnection::sessionBus().isConnected()) {
        std::fprintf(stderr, "run under dbus-run-session with VOXA_PRIVATE_BUS=1 (bench/media/bench_handover.sh)\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString playList = dir.filePath(QStringLiteral("play.m3u"));

    const auto series = [&](const char *what, int n, int delayMs, int times) {
        std::vector<Measure> out;
        for (int r = 0; r < times; ++r) {
            test::StandInState s;
            s.addTrackDelayMs = delayMs;
            test::StandInPlayer player(s);
            if (!player.startPlayer()) {
                std::fprintf(stderr, "the stand-in player could not register on the bus\n");
                std::exit(1);
            }
            out.push_back(handOver(files(dir, n), playList));
        }
        report(what, out);
    };
    char label[64];
    std::snprintf(label, sizeof label, "%d files (one play list)", count);
    series(label, count, 0, runs);
    std::snprintf(label, sizeof label, "%d files (file by file)", platform::HandOverListMax);
    series(label, platform::HandOverListMax, 0, runs);
    series("20 files, AddTrack hangs", 20, 2600, 1);
    return 0;
}
