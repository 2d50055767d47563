// voxatool scan DIR [options]: the MP3 search of the find and export frame on
// a folder, printed or exported. Paths keep the form DIR was given in: a
// drive's (V:\music\a.mp3) or the native one.
#include "music/mp3finder.h"
#include "music/mp3list.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "tool/command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace voxa::tool {
namespace {

const char *const Usage =
    "scan DIR [--kind all|marked|id3v1|id3v2|bitrate] [--bitrate OP KBPS] [--date OP YYYY-MM-DD]\n"
    "        [--size OP BYTES] [--extend] [--format m3u|pls|txt|csv|json] [--output FILE]";

int fail(Io &io, const QString &text)
{
    io.err << "voxatool scan: " << text << "\nusage: voxatool " << Usage
           << "\n  OP is lt, eq or gt (or <, =, >); the size takes lt or gt only.\n";
    return 2;
}

// The operator characters the filter knows.
char toOperator(const QString &s, bool allowEqual)
{
    if (s == QLatin1String("lt") || s == QLatin1String("<"))
        return '<';
    if (s == QLatin1String("gt") || s == QLatin1String(">"))
        return '>';
    if (allowEqual && (s == QLatin1String("eq") || s == QLatin1String("=")))
        return '=';
    return 0;
}

QJsonObject recordJson(const Mp3FileInfo &f, FindKind kind)
{
    // The names the records' fields go by.
    QJsonObject o{{QStringLiteral("directory"), f.Directory},
                  {QStringLiteral("file name"), f.FileName},
                  {QStringLiteral("marked"), f.Marked}};
    if (kind == FindKind::IncompleteID3v1)
        o.insert(QStringLiteral("ID3v1 incomplete"), f.ID3v1Incomplete);
    if (kind == FindKind::IncompleteID3v2)
        o.insert(QStringLiteral("ID3v2 incomplete"), f.ID3v2Incomplete);
    if (kind == FindKind::Bitrate)
        o.insert(QStringLiteral("bit rate"), int(f.Bitrate));
    o.insert(QStringLiteral("date"), f.Date.isValid() ? f.Date.toString(Qt::ISODate) : QString());
    o.insert(QStringLiteral("size"), f.Size);
    return o;
}

int scan(const QStringList &args, Io &io)
{
    Mp3Finder finder;
    finder.KeepNativePaths = true;
    TFindFilter &flt = finder.FindFilter;
    QString dir, format = QStringLiteral("txt"), output;
    bool kindGiven = false, bitrateGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        auto take = [&](int n, QStringList &values) {
            if (i + n >= args.size())
                return false;
            values = args.mid(i + 1, n);
            i += n;
            return true;
        };
        QStringList v;
        if (a == QLatin1String("--extend")) {
            flt.Extend = true;
        } else if (a == QLatin1String("--kind")) {
            if (!take(1, v))
                return fail(io, QStringLiteral("--kind needs a value"));
            static const QStringList kinds = {QStringLiteral("all"), QStringLiteral("marked"),
                                              QStringLiteral("id3v1"), QStringLiteral("id3v2"),
                                              QStringLiteral("bitrate")};
            const qsizetype k = kinds.indexOf(v[0]);
            if (k < 0)
                return fail(io, QStringLiteral("unknown kind '%1'").arg(v[0]));
            flt.SearchKind = FindKind(k);
            kindGiven = true;
        } else if (a == QLatin1String("--bitrate")) {
            if (!take(2, v))
                return fail(io, QStringLiteral("--bitrate needs OP and KBPS"));
            bool ok = false;
            flt.BitrateOp = toOperator(v[0], true);
            flt.Bitrate = v[1].toInt(&ok);
            if (!flt.BitrateOp)
                return fail(io, QStringLiteral("unknown operator '%1'").arg(v[0]));
            if (!ok || flt.Bitrate < 0 || flt.Bitrate > 65535)
                return fail(io, QStringLiteral("bad bit rate '%1'").arg(v[1]));
            bitrateGiven = true;
        } else if (a == QLatin1String("--date")) {
            if (!take(2, v))
                return fail(io, QStringLiteral("--date needs OP and YYYY-MM-DD"));
            flt.DateFilter = true;
            flt.DateOp = toOperator(v[0], true);
            flt.Date = QDate::fromString(v[1], QStringLiteral("yyyy-MM-dd"));
            if (!flt.DateOp)
                return fail(io, QStringLiteral("unknown operator '%1'").arg(v[0]));
            if (!flt.Date.isValid())
                return fail(io, QStringLiteral("'%1' is not a valid date").arg(v[1]));
        } else if (a == QLatin1String("--size")) {
            if (!take(2, v))
                return fail(io, QStringLiteral("--size needs OP and BYTES"));
            bool ok = false;
            flt.SizeFilter = true;
            flt.SizeOp = toOperator(v[0], false);
            const qint64 bytes = v[1].toLongLong(&ok);
            if (!flt.SizeOp)
                return fail(io, QStringLiteral("unknown size operator '%1' (lt or gt)").arg(v[0]));
            if (!ok || bytes < 0 || bytes > 2147483647)
                return fail(io, QStringLiteral("bad size '%1' (0 to 2147483647 bytes)").arg(v[1]));
            flt.SizeLimit = qint32(bytes);
        } else if (a == QLatin1String("--format")) {
            if (!take(1, v))
                return fail(io, QStringLiteral("--format needs a value"));
            static const QStringList formats = {QStringLiteral("m3u"), QStringLiteral("pls"),
                                                QStringLiteral("txt"), QStringLiteral("csv"),
                                                QStringLiteral("json")};
            if (!formats.contains(v[0]))
                return fail(io, QStringLiteral("unknown format '%1'").arg(v[0]));
            format = v[0];
        } else if (a == QLatin1String("--output")) {
            if (!take(1, v))
                return fail(io, QStringLiteral("--output needs a file"));
            output = v[0];
        } else if (a.startsWith(QLatin1String("--"))) {
            return fail(io, QStringLiteral("unknown option %1").arg(a));
        } else if (dir.isEmpty()) {
            dir = a;
        } else {
            return fail(io, QStringLiteral("more than one DIR"));
        }
    }
    if (dir.isEmpty())
        return fail(io, QStringLiteral("no DIR given"));
    if (bitrateGiven && !kindGiven)
        flt.SearchKind = FindKind::Bitrate;
    if (bitrateGiven && flt.SearchKind != FindKind::Bitrate)
        return fail(io, QStringLiteral("--bitrate goes with --kind bitrate"));
    if (flt.SearchKind == FindKind::Bitrate && !bitrateGiven) {
        // As the find frame does when nothing was chosen.
        flt.BitrateOp = '=';
        flt.Bitrate = 128;
    }
    if (platform::isDevicePath(dir) && platform::toNative(dir).isEmpty())
        return fail(io, QStringLiteral("unknown drive %1:").arg(dir.left(1).toUpper()));
    if (!fs::isDir(dir))
        return fail(io, QStringLiteral("no such folder: %1").arg(dir));

    const Mp3SearchResult result = finder.Search(dir);
    if (!result.RootListed) {
        io.err << "voxatool scan: cannot read " << dir << ": " << fs::lastErrorText() << "\n";
        return 1;
    }
    if (result.TableFull)
        io.err << "voxatool scan: more than " << finder.Capacity()
               << " MP3 files; only the first ones found are listed\n";
    const QList<Mp3FileInfo> items = finder.SelectedRecords();

    QStringList lines;
    QByteArray json;
    if (format == QLatin1String("json")) {
        QJsonArray records;
        for (const Mp3FileInfo &f : items)
            records.append(recordJson(f, flt.SearchKind));
        const QJsonObject o{{QStringLiteral("folder"), dir},
                            {QStringLiteral("entries"), finder.EntryCount},
                            {QStringLiteral("found"), finder.FoundCount - 1},
                            {QStringLiteral("table full"), result.TableFull},
                            {QStringLiteral("records"), records}};
        json = QJsonDocument(o).toJson(QJsonDocument::Indented);
    } else {
        Mp3ListColumns columns;
        columns.Date = flt.DateFilter;
        columns.Size = flt.SizeFilter;
        columns.SizeInMBytes = false;
        columns.SizeUnitText = QStringLiteral("kByte");
        columns.Bitrate = flt.SearchKind == FindKind::Bitrate;
        const Mp3ExportFormat f = format == QLatin1String("m3u")   ? Mp3ExportFormat::M3U
                                  : format == QLatin1String("pls") ? Mp3ExportFormat::PLS
                                  : format == QLatin1String("csv") ? Mp3ExportFormat::CSV
                                                                   : Mp3ExportFormat::Text;
        lines = Mp3ExportLines(f, items, columns);
    }

    if (output.isEmpty()) {
        if (!json.isEmpty())
            io.out << QString::fromUtf8(json);
        for (const QString &l : lines)
            io.out << l << "\n";
        return 0;
    }
    if (fs::exists(output) && fs::isReadOnly(output)) {
        io.err << "voxatool scan: the file is read-only [" << output << "]\n";
        return 1;
    }
    QString error;
    bool written;
    if (json.isEmpty()) {
        written = WriteMp3ListFile(output, lines, &error);
    } else {
        QSaveFile file(platform::toNative(output));
        written = file.open(QIODevice::WriteOnly) && file.write(json) == json.size() && file.commit();
        if (!written)
            error = file.errorString() + QStringLiteral(" [") + output + QLatin1Char(']');
    }
    if (!written) {
        io.err << "voxatool scan: " << error << "\n";
        return 1;
    }
    return 0;
}

const ToolCommand scanCommand("scan", Usage,
                              "find the MP3 files below a folder (native or on a drive) and list or export them",
                              scan);

}  // namespace
}  // namespace voxa::tool
