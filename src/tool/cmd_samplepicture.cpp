// voxatool sample-picture OUT [--size WxH] [--quality N]: writes a made-up
// picture to try the logo conversion with (an evening sky, a sun, hills and
// the word VOXA), in the format OUT's extension names (jpg, bmp, png, ppm).
// The sample drive gets its pictures this way instead of from binaries kept
// in the sources.
#include "app/messagetable.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "tool/command.h"

#include <QImage>
#include <QFileInfo>
#include <QImageWriter>
#include <QBuffer>

#include <cmath>

namespace voxa::tool {
namespace {

// 5 x 7 letters, one string per row, '#' set.
const char *const glyphs[4][7] = {
    {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."},  // V
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},  // O
    {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"},  // X
    {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"},  // A
};

int mix(int a, int b, double t)
{
    return int(std::lround(a + (b - a) * std::clamp(t, 0.0, 1.0)));
}

QImage samplePicture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    const double sunX = 0.75 * w;
    const double sunY = 0.45 * h;
    const double sunR = 0.12 * std::min(w, h);
    // The word: 4 letters of 5 columns with 1 column between them.
    const int scale = std::max(1, std::min(int(0.8 * w / 23), int(0.35 * h / 7)));
    const int wordLeft = (w - 23 * scale) / 2;
    const int wordTop = int(0.08 * h);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        const double v = double(y) / h;
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / w;
            QRgb c = qRgb(mix(20, 250, v / 0.6), mix(30, 150, v / 0.6), mix(110, 60, v / 0.6));
            const double dx = x - sunX, dy = y - sunY;
            if (dx * dx + dy * dy < sunR * sunR)
                c = qRgb(255, 230, 120);
            if (v > 0.68 + 0.06 * std::sin(u * 2 * M_PI * 1.5))
                c = qRgb(mix(40, 15, (v - 0.6) / 0.4), mix(55, 25, (v - 0.6) / 0.4), 35);
            const int gx = (x - wordLeft) / scale;
            const int gy = (y - wordTop) / scale;
            if (x >= wordLeft && y >= wordTop && gx < 23 && gy < 7 && gx % 6 < 5
                && glyphs[gx / 6][gy][gx % 6] == '#')
                c = qRgb(245, 245, 245);
            line[x] = c;
        }
    }
    return img;
}

const char *const Help =
    "arguments:\n"
    "  OUT              the picture to write; its extension names the format (jpg, bmp, png, ppm)\n"
    "options:\n"
    "  --size WxH       its size in pixels, 1 to 10000 each way (default 800x600)\n"
    "  --quality N      JPEG quality 1 to 100 (default 90)\n"
    "Exit status: 0 written, 1 not written, 2 wrong arguments.\n"
    "example:\n"
    "  voxatool sample-picture /tmp/sky.jpg --size 640x480 --quality 80\n";

int samplePictureCommand(const QStringList &args, Io &io)
{
    QString out;
    int w = 800, h = 600, quality = 90;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--size") && i + 1 < args.size()) {
            const QStringList p = args[++i].toLower().split(QLatin1Char('x'));
            bool okW = false, okH = false;
            if (p.size() == 2) {
                w = p[0].toInt(&okW);
                h = p[1].toInt(&okH);
            }
            if (!okW || !okH || w < 1 || h < 1 || w > 10000 || h > 10000) {
                io.err << "voxatool sample-picture: --size is WIDTHxHEIGHT (1 to 10000), not '" << args[i] << "'\n";
                return 2;
            }
        } else if (a == QLatin1String("--quality") && i + 1 < args.size()) {
            bool ok = false;
            quality = args[++i].toInt(&ok);
            if (!ok || quality < 1 || quality > 100) {
                io.err << "voxatool sample-picture: --quality is 1 to 100\n";
                return 2;
            }
        } else if (out.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            out = a;
        } else {
            io.err << "usage: voxatool sample-picture OUT [--size WxH] [--quality N]\n";
            return 2;
        }
    }
    if (out.isEmpty()) {
        io.err << "usage: voxatool sample-picture OUT [--size WxH] [--quality N]\n";
        return 2;
    }
    const QString native = platform::toNative(out);
    if (native.isEmpty()) {
        io.err << out << ": " << msg(Msg::OpenForWriteError) << "\n";
        return 1;
    }
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, QFileInfo(native).suffix().toLower().toLatin1());
    writer.setQuality(quality);
    if (!writer.write(samplePicture(w, h))) {
        io.err << out << ": " << writer.errorString() << "\n";
        return 1;
    }
    if (const QString error = fs::writeWholeFile(out, encoded.data()); !error.isEmpty()) {
        io.err << out << ": " << msg(Msg::OpenForWriteError) << " [" << error << "]\n";
        return 1;
    }
    return 0;
}

const ToolCommand sampleCommand("sample-picture", "sample-picture OUT [--size WxH] [--quality N]",
                                "write a made-up picture (sky, sun, hills and the word VOXA) to try logos "
                                "with; the format follows OUT's extension (jpg, bmp, png, ppm)",
                                Help, samplePictureCommand);

}  // namespace
}  // namespace voxa::tool
