// voxatool make-mp3 FILE [options]: writes a small MP3 file of silent frames
// with the tags and headers asked for (sample drives, tests, benchmarks).
#include "music/mp3maker.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "tool/command.h"

#include <optional>


namespace voxa::tool {
namespace {

const char *const Usage =
    "make-mp3 FILE [--mpeg 1|2|2.5] [--layer 1|2|3] [--rate HZ] [--mono] [--kbps N] [--frames N]\n"
    "        [--vbr KBPS,KBPS,...] [--xing|--vbri] [--junk BYTES] [--id3v1] [--title T] [--artist A]\n"
    "        [--album B] [--year Y] [--comment C] [--track N] [--genre N] [--id3v2 VERSION]\n"
    "        [--frame ID=TEXT]...";

const char *const Help =
    "arguments:\n"
    "  FILE               the MP3 file to write (native, or on a drive: E:\\music\\a.mp3); missing\n"
    "                     folders are made\n"
    "frames:\n"
    "  --mpeg V           MPEG version 1 (default), 2 or 2.5\n"
    "  --layer L          layer 1, 2 or 3 (default)\n"
    "  --rate HZ          sample rate, one the version allows\n"
    "  --mono             one channel instead of two\n"
    "  --kbps N           bit rate of every frame\n"
    "  --frames N         number of frames\n"
    "  --vbr K,K,...      one bit rate per frame instead of --kbps and --frames\n"
    "  --xing             a Xing VBR header in the first frame\n"
    "  --vbri             a VBRI header in the first frame\n"
    "  --junk BYTES       that many bytes of rubbish before the first frame\n"
    "ID3v1 tag (any of these adds one):\n"
    "  --id3v1            an empty tag\n"
    "  --title T, --artist A, --album B, --year Y, --comment C\n"
    "                     its texts (the player's code page)\n"
    "  --track N          track number 0 to 255\n"
    "  --genre N          genre number 0 to 255\n"
    "ID3v2 tag:\n"
    "  --id3v2 VERSION    a tag of version 2, 3 or 4\n"
    "  --frame ID=TEXT    a text frame such as TIT2=Title (repeatable; version 3 unless --id3v2)\n"
    "Exit status: 0 written, 1 not written, 2 wrong arguments.\n"
    "example:\n"
    "  voxatool make-mp3 E:\\music\\test\\a.mp3 --kbps 96 --frames 40 --id3v1 --title Song --artist Band\n";

int fail(Io &io, const QString &text)
{
    io.err << "voxatool make-mp3: " << text << "\nusage: voxatool " << Usage << "\n";
    return 2;
}

bool toInt(const QString &s, int lo, int hi, int &out)
{
    bool ok = false;
    const int v = s.toInt(&ok);
    if (!ok || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

// An option with a value: false for a value it cannot take, nothing for an
// option make-mp3 does not know.
std::optional<bool> valueOption(const QString &a, const QString &v, Mp3Recipe &r)
{
    // Tag texts are 8-bit, in the player's code page.
    auto latin = [&]() { return toCodePage(v); };
    bool good = true;
    if (a == QLatin1String("--mpeg")) {
        if (v == QLatin1String("1"))
            r.VersionID = 3;
        else if (v == QLatin1String("2"))
            r.VersionID = 2;
        else if (v == QLatin1String("2.5"))
            r.VersionID = 0;
        else
            good = false;
    } else if (a == QLatin1String("--layer")) {
        good = toInt(v, 1, 3, r.Layer);
    } else if (a == QLatin1String("--rate")) {
        good = toInt(v, 1, 48000, r.SampleRate);
    } else if (a == QLatin1String("--kbps")) {
        good = toInt(v, 1, 448, r.Kbps);
    } else if (a == QLatin1String("--frames")) {
        good = toInt(v, 1, 100000, r.Frames);
    } else if (a == QLatin1String("--junk")) {
        int n = 0;
        good = toInt(v, 0, 1 << 20, n);
        // Never 0xFF, so the junk holds no frame header of its own.
        for (int k = 0; k < n; ++k)
            r.Junk += char((k * 37 + 11) % 251);
    } else if (a == QLatin1String("--vbr")) {
        for (const QString &part : v.split(QLatin1Char(','))) {
            int kbps = 0;
            good = good && toInt(part, 1, 448, kbps);
            r.VbrKbps << kbps;
        }
        if (r.Vbr == Mp3Recipe::NoVbr)
            r.Vbr = Mp3Recipe::Xing;
    } else if (a == QLatin1String("--title")) {
        r.Title = latin(), r.HasId3v1 = true;
    } else if (a == QLatin1String("--artist")) {
        r.Artist = latin(), r.HasId3v1 = true;
    } else if (a == QLatin1String("--album")) {
        r.Album = latin(), r.HasId3v1 = true;
    } else if (a == QLatin1String("--year")) {
        r.Year = latin(), r.HasId3v1 = true;
    } else if (a == QLatin1String("--comment")) {
        r.Comment = latin(), r.HasId3v1 = true;
    } else if (a == QLatin1String("--track")) {
        good = toInt(v, 0, 255, r.Track), r.HasId3v1 = true;
    } else if (a == QLatin1String("--genre")) {
        int g = 0;
        good = toInt(v, 0, 255, g);
        r.Genre = quint8(g), r.HasId3v1 = true;
    } else if (a == QLatin1String("--id3v2")) {
        good = toInt(v, 2, 4, r.Id3v2Version);
    } else if (a == QLatin1String("--frame")) {
        const qsizetype eq = v.indexOf(QLatin1Char('='));
        good = eq == 4;
        if (good)
            r.addText(v.left(4).toLatin1().constData(), toCodePage(v.mid(5)));
    } else {
        return std::nullopt;
    }
    return good;
}

int makeMp3File(const QStringList &args, Io &io)
{
    Mp3Recipe r;
    QString file;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        const QString v = hasValue ? args[i + 1] : QString();
        auto needValue = [&]() { return hasValue ? (++i, true) : false; };
        if (a == QLatin1String("--mono")) {
            r.Mono = true;
        } else if (a == QLatin1String("--xing")) {
            r.Vbr = Mp3Recipe::Xing;
        } else if (a == QLatin1String("--vbri")) {
            r.Vbr = Mp3Recipe::Vbri;
        } else if (a == QLatin1String("--id3v1")) {
            r.HasId3v1 = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            if (!needValue())
                return fail(io, QStringLiteral("%1 needs a value").arg(a));
            const std::optional<bool> good = valueOption(a, v, r);
            if (!good)
                return fail(io, QStringLiteral("unknown option %1").arg(a));
            if (!*good)
                return fail(io, QStringLiteral("bad value '%1' for %2").arg(v, a));
        } else if (file.isEmpty()) {
            file = a;
        } else {
            return fail(io, QStringLiteral("more than one FILE"));
        }
    }
    if (file.isEmpty())
        return fail(io, QStringLiteral("no FILE given"));
    if (!r.Id3v2Frames.isEmpty() && r.Id3v2Version == 0)
        r.Id3v2Version = 3;

    QString error;
    const QByteArray bytes = makeMp3(r, &error);
    if (bytes.isEmpty())
        return fail(io, error);
    const QString native = platform::toNative(file);
    if (native.isEmpty())
        return fail(io, QStringLiteral("unknown drive in %1").arg(file));
    fs::makePath(platform::folderOf(native));
    if (const QString error = fs::writeWholeFile(file, bytes); !error.isEmpty()) {
        io.err << "voxatool make-mp3: " << error << " [" << file << "]\n";
        return 1;
    }
    return 0;
}

const ToolCommand makeMp3Command("make-mp3", Usage,
                                 "write a small MP3 file of silent frames with the tags and VBR header asked for",
                                 Help, makeMp3File);

}  // namespace
}  // namespace voxa::tool
