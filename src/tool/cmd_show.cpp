// voxatool show FILE... [--json]: any player file, printed readably.
#include "app/messagetable.h"
#include "platform/paths.h"
#include "tool/showformat.h"

#include "editors/config/playerfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace voxa::tool {
namespace {

QList<const ShowFormat *> &registry()
{
    static QList<const ShowFormat *> list;
    return list;
}

const char *const Help =
    "arguments:\n"
    "  FILE...    player files of any kind; the kind comes from the first five bytes (R7CFG,\n"
    "             R7MGS, R7MRA, R7LCE, R7PLY), not from the name\n"
    "options:\n"
    "  --json     print one JSON array with an object per FILE: \"file\" (the name given),\n"
    "             \"kind\" (cfg, mgs, mra, lce, ply) and the file's fields under the names the\n"
    "             code uses:\n"
    "               cfg: \"ConfigWords\", \"ConfigNames\"\n"
    "               mgs: \"FirmwareVersion\", \"entries\"\n"
    "               mra: \"elements\"\n"
    "               lce: \"DisplayType\", \"display\", \"fileSize\", \"width\", \"height\", ...\n"
    "               ply: \"DisplayType\", \"display\", \"fileSize\", \"VUMeter\", \"fields\", ...\n"
    "             a file that cannot be read gives {\"file\": NAME, \"error\": TEXT}\n"
    "Exit status: 0 every file was shown, 1 a file could not be read, 2 no FILE.\n"
    "example:\n"
    "  voxatool show E:\\voxa\\config\\default.cfg E:\\voxa\\myradio\\rock.mra --json\n";

int show(const QStringList &args, Io &io)
{
    bool json = false;
    QStringList files;
    for (const QString &a : args) {
        if (a == QLatin1String("--json"))
            json = true;
        else
            files << a;
    }
    if (files.isEmpty()) {
        io.err << "usage: voxatool show FILE... [--json]\n";
        return 2;
    }
    int status = 0;
    QJsonArray all;
    for (const QString &file : files) {
        ShowResult r;
        // Pipes and devices are refused before anything is read from them.
        const FileResult<QByteArray> start = playerfile::readHead(file, 5);
        if (!start) {
            r.error = start.error().message();
        } else {
            const PlayerFormat *kind = playerFormatOf(*start);
            const ShowFormat *format = nullptr;
            for (const ShowFormat *s : registry())
                if (&s->format == kind)
                    format = s;
            if (!format)
                r.error = msg(Msg::WrongFileFormat);
            else
                r = format->show(file);
        }
        if (!r.ok) {
            status = 1;
            io.err << file << ": " << r.error << "\n";
            if (json)
                all.append(QJsonObject{{QStringLiteral("file"), file}, {QStringLiteral("error"), r.error}});
            continue;
        }
        if (json) {
            QJsonObject o = r.json;
            o.insert(QStringLiteral("file"), file);
            all.append(o);
        } else {
            io.out << "== " << file << "\n" << r.text;
            if (!r.text.endsWith(QLatin1Char('\n')))
                io.out << "\n";
        }
    }
    if (json)
        io.out << QJsonDocument(all).toJson(QJsonDocument::Indented);
    return status;
}

const ToolCommand showCommand("show", "show FILE... [--json]",
                              "print any player file (cfg, mgs, mra, lce, ply) readably or as JSON",
                              Help, show);

}  // namespace

ShowFormat::ShowFormat(const PlayerFormat &f, std::function<ShowResult(const QString &)> s)
    : format(f), show(std::move(s))
{
    registry().append(this);
}

const QList<const ShowFormat *> &showFormats()
{
    return registry();
}

}  // namespace voxa::tool
