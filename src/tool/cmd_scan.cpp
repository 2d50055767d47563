// voxatool scan DIR [options]: the MP3 search of the find and export frame on
// a folder, printed or exported in the frame's order (by path), and
// optionally the frame's file operations on what was found. Paths take the
// drive form (V:\music\a.mp3) whenever the folder lies on a drive, else
// the native one (or with --native-paths).
#include "music/mp3fileops.h"
#include "music/mp3finder.h"
#include "music/mp3list.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "tool/command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
#include <limits>

namespace voxa::tool {
namespace {

const char *const Usage =
    "scan DIR [--kind all|marked|id3v1|id3v2|bitrate] [--bitrate OP KBPS] [--date OP YYYY-MM-DD]\n"
    "        [--size OP BYTES] [--extend] [--limit N] [--format m3u|pls|txt|csv|json] [--json]\n"
    "        [--size-unit kbyte|mbyte] [--native-paths] [--output FILE]\n"
    "        [--unmark | --delete | --quarantine DIR]";

const char *const Help =
    "arguments:\n"
    "  DIR                    the folder to search with its subfolders: on a drive (E:\\music) or\n"
    "                         native (/media/voxa/music); folder links leading off the drive are\n"
    "                         not followed\n"
    "filters (as in the find and export frame):\n"
    "  --kind K               all MP3 files (default), marked (*.MP!, the player marked them),\n"
    "                         id3v1 or id3v2 (the tag lacks title, artist or album), bitrate\n"
    "  --bitrate OP KBPS      files whose bit rate is lt (<), eq (=) or gt (>) KBPS; implies\n"
    "                         --kind bitrate, which alone means eq 128\n"
    "  --date OP YYYY-MM-DD   files modified before (lt), on (eq) or after (gt) the day\n"
    "  --size OP BYTES        files smaller (lt) or larger (gt) than BYTES (0 to 2147483647)\n"
    "  --extend               list every MP3 file of each folder where one file passed\n"
    "  --limit N              list at most N files (default 5000, as the manager's list; 0: no\n"
    "                         limit); when the limit cuts the list, standard error says so\n"
    "output:\n"
    "  --format F             m3u, pls, txt (default), csv or json: the manager's export formats\n"
    "  --json                 the list (or, with an operation, its results) as JSON on standard\n"
    "                         output; --format json unless --format names another for --output\n"
    "  --size-unit U          kbyte (default) or mbyte, for the size column of txt and csv\n"
    "  --native-paths         paths of this computer instead of the drive form E:\\music\\a.mp3\n"
    "  --output FILE          write the list to FILE instead of standard output\n"
    "operations (one at a time, on every file listed):\n"
    "  --unmark               rename *.MP! back to *.mp3\n"
    "  --delete               delete the files\n"
    "  --quarantine DIR       move the files into DIR, a folder below the drive's root\n"
    "  An operation prints one line per file: what happened (unmarked, deleted, moved, kept,\n"
    "  skipped, gone, failed), tab, path, and a tab and the new path or the reason. A file off\n"
    "  the drive (behind a folder link leading elsewhere) or changed since the search is kept.\n"
    "JSON layouts:\n"
    "  list:    {\"folder\": TEXT, \"entries\": NUMBER, \"found\": NUMBER, \"limit\": NUMBER (0: none),\n"
    "            \"table full\": BOOL, \"records\": [{\"directory\": TEXT, \"file name\": TEXT,\n"
    "            \"marked\": BOOL, \"date\": YYYY-MM-DDTHH:MM:SS, \"size\": BYTES, and with the kind:\n"
    "            \"ID3v1 incomplete\", \"ID3v2 incomplete\" or \"bit rate\"}]}\n"
    "  results: {\"results\": [{\"result\": TEXT, \"path\": TEXT, \"detail\": TEXT}]}\n"
    "Exit status: 0 done, 1 the folder could not be searched or an operation failed for a\n"
    "file, 2 wrong arguments.\n"
    "example:\n"
    "  voxatool scan E:\\music --bitrate lt 128 --date gt 2004-01-01 --size gt 1000000 --limit 0 \\\n"
    "      --format m3u --output low.m3u\n";

int fail(Io &io, const QString &text)
{
    io.err << "voxatool scan: " << text << "\nusage: voxatool " << Usage
           << "\n  (voxatool scan --help explains every option)\n";
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

enum class Operation { None, UnMark, Delete, Quarantine };

// What an operation did to each item: a line each (what happened, the path,
// and the new path or the reason), or with --json one array at the end.
struct Results {
    Io &io;
    bool json = false;
    QJsonArray all;

    void add(const char *what, const QString &path, const QString &detail = {})
    {
        if (json) {
            all.append(QJsonObject{{QStringLiteral("result"), QString::fromLatin1(what)},
                                   {QStringLiteral("path"), path},
                                   {QStringLiteral("detail"), detail}});
            return;
        }
        io.out << what << '\t' << path;
        if (!detail.isEmpty())
            io.out << '\t' << detail;
        io.out << '\n';
    }
    void finish()
    {
        if (json)
            io.out << QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("results"), all}})
                                            .toJson(QJsonDocument::Indented));
    }
};

// Runs the operation on every item in list order; false when any item
// failed.
bool applyOperation(Operation op, const QString &quarantine, const QList<Mp3FileInfo> &items, Io &io,
                    Results &results)
{
    bool allDone = true;
    switch (op) {
    case Operation::None:
        break;
    case Operation::UnMark: {
        const QList<Mp3ItemOutcome> out = UnMarkFiles(items);
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QString path = Mp3FullPath(items[i]);
            if (out[i].Refused) {
                results.add("kept", path, out[i].Error);
                allDone = false;
            } else if (!out[i].Tried) {
                results.add("skipped", path, QStringLiteral("not marked"));
            } else if (out[i].Done) {
                results.add("unmarked", path, out[i].NewPath);
            } else {
                results.add("failed", path, out[i].Error);
                allDone = false;
            }
        }
        break;
    }
    case Operation::Delete: {
        const QList<Mp3ItemOutcome> out = DeleteFiles(items);
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QString path = Mp3FullPath(items[i]);
            if (out[i].Done) {
                results.add("deleted", path);
            } else if (out[i].Refused) {
                results.add("kept", path, out[i].Error);
                allDone = false;
            } else if (out[i].LeavesList) {
                results.add("gone", path, out[i].Error);
            } else {
                results.add("failed", path, out[i].Error);
                allDone = false;
            }
        }
        break;
    }
    case Operation::Quarantine: {
        const QuarantineOutcome q = MoveToQuarantine(items.first().Directory[0], quarantine, items);
        if (!q.Started) {
            io.err << "voxatool scan: " << q.Error << "\n";
            return false;
        }
        for (qsizetype i = 0; i < items.size(); ++i) {
            const Mp3FileInfo &f = items[i];
            const Mp3ItemOutcome &o = q.Items[i];
            if (o.Done) {
                results.add("moved", Mp3FullPath(f), o.NewPath);
            } else {
                results.add(o.Tried ? "failed" : "kept", Mp3FullPath(f), o.Error);
                allDone = false;
            }
        }
        break;
    }
    }
    return allDone;
}

struct ScanOptions {
    TFindFilter flt;
    bool keepNativePaths = false;
    int limit = Mp3Finder::TableSize;
    QString dir, format, output, quarantine;
    bool kindGiven = false, bitrateGiven = false, inMBytes = false, jsonOut = false;
    Operation op = Operation::None;
};

// Hands the next n arguments over as an option's values; false when there
// are fewer.
using TakeValues = std::function<bool(int n, QStringList &values)>;

// The search options. Sets taken when a is one of them; the text says what
// is wrong with its values.
QString filterOption(const QString &a, const TakeValues &take, ScanOptions &o, bool &taken)
{
    taken = true;
    QStringList v;
    TFindFilter &flt = o.flt;
    if (a == QLatin1String("--extend")) {
        flt.Extend = true;
    } else if (a == QLatin1String("--limit")) {
        if (!take(1, v))
            return QStringLiteral("--limit needs a number");
        bool ok = false;
        o.limit = v[0].toInt(&ok);
        if (!ok || o.limit < 0)
            return QStringLiteral("--limit is a number of files, 0 for no limit, not '%1'").arg(v[0]);
    } else if (a == QLatin1String("--kind")) {
        if (!take(1, v))
            return QStringLiteral("--kind needs a value");
        static const QStringList kinds = {QStringLiteral("all"), QStringLiteral("marked"), QStringLiteral("id3v1"),
                                          QStringLiteral("id3v2"), QStringLiteral("bitrate")};
        const qsizetype k = kinds.indexOf(v[0]);
        if (k < 0)
            return QStringLiteral("unknown kind '%1'").arg(v[0]);
        flt.SearchKind = FindKind(k);
        o.kindGiven = true;
    } else if (a == QLatin1String("--bitrate")) {
        if (!take(2, v))
            return QStringLiteral("--bitrate needs OP and KBPS");
        bool ok = false;
        flt.BitrateOp = toOperator(v[0], true);
        flt.Bitrate = v[1].toInt(&ok);
        if (!flt.BitrateOp)
            return QStringLiteral("unknown operator '%1'").arg(v[0]);
        if (!ok || flt.Bitrate < 0 || flt.Bitrate > 65535)
            return QStringLiteral("bad bit rate '%1'").arg(v[1]);
        o.bitrateGiven = true;
    } else if (a == QLatin1String("--date")) {
        if (!take(2, v))
            return QStringLiteral("--date needs OP and YYYY-MM-DD");
        flt.DateFilter = true;
        flt.DateOp = toOperator(v[0], true);
        flt.Date = QDate::fromString(v[1], QStringLiteral("yyyy-MM-dd"));
        if (!flt.DateOp)
            return QStringLiteral("unknown operator '%1'").arg(v[0]);
        if (!flt.Date.isValid())
            return QStringLiteral("'%1' is not a valid date").arg(v[1]);
    } else if (a == QLatin1String("--size")) {
        if (!take(2, v))
            return QStringLiteral("--size needs OP and BYTES");
        bool ok = false;
        flt.SizeFilter = true;
        flt.SizeOp = toOperator(v[0], false);
        const qint64 bytes = v[1].toLongLong(&ok);
        if (!flt.SizeOp)
            return QStringLiteral("unknown size operator '%1' (lt or gt)").arg(v[0]);
        if (!ok || bytes < 0 || bytes > 2147483647)
            return QStringLiteral("bad size '%1' (0 to 2147483647 bytes)").arg(v[1]);
        flt.SizeLimit = qint32(bytes);
    } else {
        taken = false;
    }
    return {};
}

// The options of the list's form and of the operation, as filterOption.
QString outputOption(const QString &a, const TakeValues &take, ScanOptions &o, bool &taken)
{
    taken = true;
    QStringList v;
    const QString oneOperation = QStringLiteral("one of --unmark, --delete and --quarantine at a time");
    if (a == QLatin1String("--native-paths")) {
        o.keepNativePaths = true;
    } else if (a == QLatin1String("--json")) {
        o.jsonOut = true;
    } else if (a == QLatin1String("--format")) {
        if (!take(1, v))
            return QStringLiteral("--format needs a value");
        static const QStringList formats = {QStringLiteral("m3u"), QStringLiteral("pls"), QStringLiteral("txt"),
                                            QStringLiteral("csv"), QStringLiteral("json")};
        if (!formats.contains(v[0]))
            return QStringLiteral("unknown format '%1'").arg(v[0]);
        o.format = v[0];
    } else if (a == QLatin1String("--size-unit")) {
        if (!take(1, v))
            return QStringLiteral("--size-unit needs kbyte or mbyte");
        if (v[0].compare(QLatin1String("kbyte"), Qt::CaseInsensitive) == 0)
            o.inMBytes = false;
        else if (v[0].compare(QLatin1String("mbyte"), Qt::CaseInsensitive) == 0)
            o.inMBytes = true;
        else
            return QStringLiteral("unknown size unit '%1' (kbyte or mbyte)").arg(v[0]);
    } else if (a == QLatin1String("--unmark") || a == QLatin1String("--delete")) {
        if (o.op != Operation::None)
            return oneOperation;
        o.op = a == QLatin1String("--unmark") ? Operation::UnMark : Operation::Delete;
    } else if (a == QLatin1String("--quarantine")) {
        if (!take(1, v) || v[0].isEmpty())
            return QStringLiteral("--quarantine needs a folder");
        if (o.op != Operation::None)
            return oneOperation;
        o.op = Operation::Quarantine;
        o.quarantine = v[0];
    } else if (a == QLatin1String("--output")) {
        if (!take(1, v))
            return QStringLiteral("--output needs a file");
        o.output = v[0];
    } else {
        taken = false;
    }
    return {};
}

// Reads the arguments into o; the text says what is wrong with them.
QString parseScanArgs(const QStringList &args, ScanOptions &o)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const TakeValues take = [&](int n, QStringList &values) {
            if (i + n >= args.size())
                return false;
            values = args.mid(i + 1, n);
            i += n;
            return true;
        };
        bool taken = false;
        QString error = filterOption(a, take, o, taken);
        if (!taken)
            error = outputOption(a, take, o, taken);
        if (!error.isEmpty())
            return error;
        if (taken)
            continue;
        if (a.startsWith(QLatin1String("--")))
            return QStringLiteral("unknown option %1").arg(a);
        if (!o.dir.isEmpty())
            return QStringLiteral("more than one DIR");
        o.dir = a;
    }
    if (o.dir.isEmpty())
        return QStringLiteral("no DIR given");
    if (o.format.isEmpty())
        o.format = o.jsonOut ? QStringLiteral("json") : QStringLiteral("txt");
    if (o.bitrateGiven && !o.kindGiven)
        o.flt.SearchKind = FindKind::Bitrate;
    if (o.bitrateGiven && o.flt.SearchKind != FindKind::Bitrate)
        return QStringLiteral("--bitrate goes with --kind bitrate");
    if (o.flt.SearchKind == FindKind::Bitrate && !o.bitrateGiven) {
        // As the find frame does when nothing was chosen.
        o.flt.BitrateOp = '=';
        o.flt.Bitrate = 128;
    }
    if (platform::isDevicePath(o.dir) && platform::toNative(o.dir).isEmpty())
        return QStringLiteral("unknown drive %1:").arg(o.dir.left(1).toUpper());
    if (!fs::isDir(o.dir))
        return QStringLiteral("no such folder: %1").arg(o.dir);
    return {};
}

// What was found, in the chosen form: JSON bytes or the export's lines.
struct ScanList {
    QStringList lines;
    QByteArray json;
};

ScanList listOf(const ScanOptions &o, const Mp3Finder &finder, const Mp3SearchRoot &root,
                const Mp3SearchResult &result, const QList<Mp3FileInfo> &items)
{
    ScanList list;
    if (o.format == QLatin1String("json")) {
        QJsonArray records;
        for (const Mp3FileInfo &f : items)
            records.append(recordJson(f, finder.FindFilter.SearchKind));
        const QJsonObject json{{QStringLiteral("folder"), root.Record},
                               {QStringLiteral("entries"), finder.EntryCount},
                               {QStringLiteral("found"), finder.FoundCount - 1},
                               {QStringLiteral("limit"), o.limit},
                               {QStringLiteral("table full"), result.TableFull},
                               {QStringLiteral("records"), records}};
        list.json = QJsonDocument(json).toJson(QJsonDocument::Indented);
        return list;
    }
    Mp3ListColumns columns;
    columns.Date = o.flt.DateFilter;
    columns.Size = o.flt.SizeFilter;
    columns.SizeInMBytes = o.inMBytes;
    columns.SizeUnitText = o.inMBytes ? QStringLiteral("MByte") : QStringLiteral("kByte");
    columns.Bitrate = finder.FindFilter.SearchKind == FindKind::Bitrate;
    const Mp3ExportFormat f = o.format == QLatin1String("m3u")   ? Mp3ExportFormat::M3U
                              : o.format == QLatin1String("pls") ? Mp3ExportFormat::PLS
                              : o.format == QLatin1String("csv") ? Mp3ExportFormat::CSV
                                                                 : Mp3ExportFormat::Text;
    list.lines = Mp3ExportLines(f, items, columns);
    return list;
}

// Writes the list to --output; false (and why on standard error) when it
// could not be written.
bool writeList(const QString &output, const ScanList &list, Io &io)
{
    if (fs::isReadOnly(output)) {
        io.err << "voxatool scan: the file is read-only [" << output << "]\n";
        return false;
    }
    QString error;
    if (list.json.isEmpty()) {
        WriteMp3ListFile(output, list.lines, &error);
    } else {
        error = fs::writeWholeFile(output, list.json);
        if (!error.isEmpty())
            error += QStringLiteral(" [") + output + QLatin1Char(']');
    }
    if (!error.isEmpty()) {
        io.err << "voxatool scan: " << error << "\n";
        return false;
    }
    return true;
}

// The search, with what stopped or cut it on standard error. 0 when the
// list may be used, else the exit status.
int search(const ScanOptions &o, Mp3Finder &finder, Mp3SearchRoot &root, Mp3SearchResult &result, Io &io)
{
    root = finder.ResolveRoot(o.dir);
    if (o.op == Operation::Quarantine && !platform::isDevicePath(root.Record))
        return fail(io, QStringLiteral("--quarantine needs a folder on a drive"));
    result = finder.Search(root);
    if (result.OffDrive) {
        // Nothing there is the drive's, so nothing is listed or changed.
        io.err << "voxatool scan: " << o.dir << " leads off its drive\n";
        return 1;
    }
    if (!result.RootListed) {
        io.err << "voxatool scan: cannot read " << o.dir << ": " << fs::lastErrorText() << "\n";
        return 1;
    }
    if (result.TableFull)
        io.err << "voxatool scan: the list stops at " << o.limit << " MP3 files (--limit " << o.limit
               << "); more lie below " << o.dir << " (--limit 0 lists them all)\n";
    for (const QString &name : result.LeftOut)
        io.err << "voxatool scan: left out, the name is not valid in the system's encoding: " << name << "\n";
    return 0;
}

int scan(const QStringList &args, Io &io)
{
    ScanOptions o;
    if (const QString error = parseScanArgs(args, o); !error.isEmpty())
        return fail(io, error);
    Mp3Finder finder(o.limit == 0 ? std::numeric_limits<int>::max() : o.limit);
    finder.FindFilter = o.flt;
    finder.KeepNativePaths = o.keepNativePaths;
    Mp3SearchRoot root;
    Mp3SearchResult result;
    if (const int status = search(o, finder, root, result, io))
        return status;
    QList<Mp3FileInfo> items = finder.SelectedRecords();
    SortMp3ListByPath(items);
    const ScanList list = listOf(o, finder, root, result, items);

    if (o.output.isEmpty() && o.op == Operation::None) {
        if (!list.json.isEmpty())
            io.out << QString::fromUtf8(list.json);
        for (const QString &l : list.lines)
            io.out << l << "\n";
        return 0;
    }
    // The list of what was found is written before anything is changed.
    if (!o.output.isEmpty() && !writeList(o.output, list, io))
        return 1;
    if (o.op == Operation::None)
        return 0;
    Results results{io, o.jsonOut, {}};
    const bool allDone = items.isEmpty() || applyOperation(o.op, o.quarantine, items, io, results);
    results.finish();
    return allDone ? 0 : 1;
}

const ToolCommand scanCommand("scan", Usage,
                              "find the MP3 files below a folder (native or on a drive) and list or export them",
                              Help, scan);

}  // namespace
}  // namespace voxa::tool
