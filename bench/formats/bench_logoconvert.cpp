// How long the logo conversion takes while the user drags the selection:
// the editor crops the canvas and converts again on every pointer movement,
// so one step must stay well under a millisecond.
//
//   bench_logoconvert [ROUNDS]
//
// Prints the mean and the best time of ConvertLogo on a 615 x 375 crop (the
// size of the picture view) for both displays, and of a whole drag step
// (crop out of an 800 x 600 canvas, then convert).
#include "editors/logo/logoconvert.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <cstdio>

using namespace voxa;

namespace {

QImage picture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(1);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 255) / w, int(rng.bounded(256)), (y * 255) / h);
    }
    return img;
}

struct Timing {
    double meanUs;
    double bestUs;
};

template <class F>
Timing measure(int rounds, F &&step)
{
    QElapsedTimer total;
    qint64 best = std::numeric_limits<qint64>::max();
    total.start();
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        step(i);
        best = std::min(best, t.nsecsElapsed());
    }
    return {double(total.nsecsElapsed()) / rounds / 1000.0, double(best) / 1000.0};
}

}  // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    QTextStream out(stdout);
    const QImage canvas = picture(800, 600);
    const QImage crop = CropCanvas(canvas, {40, 30, 655, 405});
    long long lit = 0;  // keeps the work from being optimised away

    out << "ConvertLogo and crop, " << rounds << " rounds each (microseconds per call)\n";
    for (int type : {VoxaADisplay, VaDaDisplay}) {
        const char *name = type == VoxaADisplay ? "VOXA-A" : "VA-DA ";
        const Timing convert = measure(rounds, [&](int i) {
            lit += ConvertLogo(crop, type, 100 + i % 56, i % 2).litCount();
        });
        out << QStringLiteral("  %1 ConvertLogo, 615 x 375 crop:            mean %2, best %3\n")
                   .arg(QLatin1String(name))
                   .arg(convert.meanUs, 7, 'f', 1)
                   .arg(convert.bestUs, 7, 'f', 1);
        const Timing drag = measure(rounds, [&](int i) {
            const int dx = i % 185, dy = (i / 185) % 225;
            lit += ConvertLogo(CropCanvas(canvas, {dx, dy, dx + 615, dy + 375}), type, 128, false).litCount();
        });
        out << QStringLiteral("  %1 drag step (CropCanvas + ConvertLogo):  mean %2, best %3\n")
                   .arg(QLatin1String(name))
                   .arg(drag.meanUs, 7, 'f', 1)
                   .arg(drag.bestUs, 7, 'f', 1);
    }
    out << "(checksum " << lit << ")\n";
    return 0;
}
