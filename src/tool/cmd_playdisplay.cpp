// voxatool playdisplay OUT.ply [--type voxa-a|va-da] [--no-vumeter]
//                              [FIELD [OPTION...]]...
// writes a playdisplay layout. A FIELD is a content caption ("ID3 Title",
// "play time elapsed"; case, blanks and punctuation do not matter) or
// kind=N for a raw kind number; the options after it shape that field:
//   at=LEFT,TOP  width=N  font=8|12  inverse  align=left|center|right|autoscroll
// A field starts as the editor adds it (column 0, bottom row, the kind's
// default width). Like the editor, the command refuses overlapping fields.
#include "app/messagetable.h"
#include "editors/playdisplay/playdisplayfile.h"
#include "platform/fileops.h"
#include "tool/command.h"

#include <limits>
#include <optional>

namespace voxa::tool {
namespace {

const char *const usageText =
    "usage: voxatool playdisplay OUT.ply [--type voxa-a|va-da] [--no-vumeter] "
    "[FIELD [at=L,T] [width=N] [font=8|12] [inverse] [align=left|center|right|autoscroll]]...\n";

const char *const Help =
    "arguments:\n"
    "  OUT.ply              the layout to write\n"
    "  FIELD                a content caption (\"ID3 Title\", \"play time elapsed\"; case, blanks and\n"
    "                       punctuation do not matter) or kind=N for a raw kind number, followed\n"
    "                       by its options; a field starts as the editor adds it (left edge, the\n"
    "                       bottom row, the kind's default width)\n"
    "field options:\n"
    "  at=L,T               its left and top edge in pixels\n"
    "  width=N              its width in pixels\n"
    "  font=8|12            its font height\n"
    "  inverse              light text on dark\n"
    "  align=A              left, center, right or autoscroll\n"
    "options:\n"
    "  --type T             voxa-a (default) or va-da: the display the layout is for\n"
    "  --no-vumeter         no VU meter\n"
    "Overlapping fields are refused, as in the editor. Exit status: 0 written, 1 not written,\n"
    "2 wrong arguments or overlapping fields.\n"
    "example:\n"
    "  voxatool playdisplay E:\\voxa\\config\\big.ply --type va-da \"ID3 Title\" at=0,0 font=12 align=autoscroll \"play time elapsed\" at=0,40\n";

QString squeeze(const QString &s)
{
    QString out;
    for (QChar c : s)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

struct FieldRequest {
    QString name;  // as given, for messages
    quint32 kind = 0;
    const PlayContentKind *known = nullptr;
    std::optional<int> left;
    std::optional<int> top;
    std::optional<int> width;
    bool bigFont = false;
    bool inverse = false;
    PlayAlignment alignment = PlayAlignment::Left;
};

bool isOption(const QString &a)
{
    static const char *const keys[] = {"at=", "width=", "font=", "align="};
    for (const char *k : keys)
        if (a.startsWith(QLatin1String(k)))
            return true;
    return a == QLatin1String("inverse");
}

std::optional<int> number(const QString &s, int min, int max)
{
    bool ok = false;
    const int v = s.trimmed().toInt(&ok);
    if (!ok || v < min || v > max)
        return std::nullopt;
    return v;
}

// Applies one option to a field; false when it is not understood.
bool applyOption(FieldRequest &f, const QString &a)
{
    if (a == QLatin1String("inverse")) {
        f.inverse = true;
        return true;
    }
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    const QString key = a.left(eq);
    const QString value = a.mid(eq + 1);
    if (key == QLatin1String("at")) {
        const QStringList p = value.split(QLatin1Char(','));
        if (p.size() != 2)
            return false;
        f.left = number(p[0], 0, 65535);
        f.top = number(p[1], 0, 65535);
        return f.left && f.top;
    }
    if (key == QLatin1String("width")) {
        f.width = number(value, 1, 65535);
        return bool(f.width);
    }
    if (key == QLatin1String("font")) {
        if (value != QLatin1String("8") && value != QLatin1String("12"))
            return false;
        f.bigFont = value == QLatin1String("12");
        return true;
    }
    if (key == QLatin1String("align")) {
        static const std::pair<const char *, PlayAlignment> names[] = {
            {"left", PlayAlignment::Left},
            {"center", PlayAlignment::Center},
            {"right", PlayAlignment::Right},
            {"autoscroll", PlayAlignment::Autoscroll}};
        for (const auto &[n, al] : names)
            if (value.toLower() == QLatin1String(n)) {
                f.alignment = al;
                return true;
            }
    }
    return false;
}

// A field named by its content's caption or as kind=N; nothing (and why on
// standard error) for a name no content has.
std::optional<FieldRequest> fieldRequest(const QString &a, Io &io)
{
    FieldRequest f;
    f.name = a;
    if (a.startsWith(QLatin1String("kind="))) {
        const auto k = number(a.mid(5), 1, std::numeric_limits<int>::max());
        if (!k) {
            io.err << "voxatool playdisplay: '" << a << "' needs a kind number above 0\n";
            return std::nullopt;
        }
        f.kind = quint32(*k);
        f.known = FindContentKind(f.kind);
        return f;
    }
    for (const PlayContentKind &k : PlayContentKinds())
        if (squeeze(QString::fromLatin1(k.caption)) == squeeze(a))
            f.known = &k;
    if (!f.known) {
        io.err << "voxatool playdisplay: no content is called '" << a << "'; the contents are:\n";
        for (const PlayContentKind &k : PlayContentKinds())
            io.err << "  " << k.caption << "\n";
        return std::nullopt;
    }
    f.kind = f.known->id;
    return f;
}

int playdisplay(const QStringList &args, Io &io)
{
    if (args.isEmpty() || args[0].startsWith(QLatin1String("--"))) {
        io.err << usageText;
        return 2;
    }
    const QString out = args[0];
    int type = VoxaADisplay;
    bool vuMeter = true;
    QList<FieldRequest> requests;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--type") && i + 1 < args.size()) {
            const QString t = args[++i].toLower();
            if (t == QLatin1String("voxa-a")) {
                type = VoxaADisplay;
            } else if (t == QLatin1String("va-da")) {
                type = VaDaDisplay;
            } else {
                io.err << "voxatool playdisplay: --type is voxa-a or va-da, not '" << args[i] << "'\n";
                return 2;
            }
        } else if (a == QLatin1String("--no-vumeter")) {
            vuMeter = false;
        } else if (a.startsWith(QLatin1String("--"))) {
            io.err << "voxatool playdisplay: unknown option '" << a << "'\n" << usageText;
            return 2;
        } else if (isOption(a)) {
            if (requests.isEmpty() || !applyOption(requests.last(), a)) {
                io.err << "voxatool playdisplay: '" << a << "' is no option of a field\n" << usageText;
                return 2;
            }
        } else {
            const std::optional<FieldRequest> f = fieldRequest(a, io);
            if (!f)
                return 2;
            requests.append(*f);
        }
    }
    if (requests.size() > PlayMaxFields) {
        io.err << "voxatool playdisplay: a layout holds at most " << PlayMaxFields << " fields\n";
        return 2;
    }

    const DisplayGeometry g = PlayGeometry(type);
    PlayLayout layout;
    layout.vuMeter = vuMeter;
    for (const FieldRequest &r : requests) {
        // A kind without an entry is placed like one of the width of its
        // widest neighbours, unless a width is given.
        static const PlayContentKind unknownKind{-1, "", 0, 114, 114};
        PlayContentKind kind = r.known ? *r.known : unknownKind;
        kind.id = r.kind;
        PlayField f = MakePlayField(kind, r.bigFont, r.inverse, r.alignment, type);
        const int width = r.width.value_or(f.width());
        if (r.left)
            f.left = quint16(*r.left);
        if (r.top)
            f.top = quint16(*r.top);
        if (int(f.left) + width > g.width || FieldBottom(f) > g.height - 1) {
            io.err << "voxatool playdisplay: '" << r.name << "' at " << f.left << "," << f.top << ", "
                   << width << " wide, does not fit the " << g.width << " x " << g.height << " display\n";
            return 2;
        }
        f.setRight(quint16(f.left + width));
        layout.fields.append(f);
    }

    const QList<PlayOverlap> overlaps = FindOverlaps(layout, type);
    if (!overlaps.isEmpty()) {
        io.err << msg(Msg::OverlappedFields) << "\n";
        for (const PlayOverlap &o : overlaps)
            io.err << "  " << (o.first == 0 ? QStringLiteral("VU meter") : requests[o.first - 1].name)
                   << " and " << requests[o.second - 1].name << "\n";
        return 1;
    }

    fs::makeWritable(out);
    const WriteResult w = SavePlaydisplayFile(out, layout);
    if (w.failed()) {
        io.err << out << ": " << w.text() << "\n";
        return 1;
    }
    // The file does not name its display; only the fields tell it.
    if (type == VaDaDisplay && DetectDisplayType(layout.fields) != VaDaDisplay)
        io.err << "voxatool playdisplay: note: no field reaches past the VOXA-A display, so " << out
               << " reads back as a VOXA-A layout\n";
    return 0;
}

const ToolCommand playdisplayCommand(
    "playdisplay",
    "playdisplay OUT.ply [--type voxa-a|va-da] [--no-vumeter] [FIELD [at=L,T] [width=N] [font=8|12] "
    "[inverse] [align=left|center|right|autoscroll]]...",
    "write a playdisplay layout: each FIELD is a content caption (\"ID3 Title\") or kind=N, placed "
    "as the editor adds it unless at= and width= say otherwise; overlapping fields are refused",
    Help, playdisplay);

}  // namespace
}  // namespace voxa::tool
