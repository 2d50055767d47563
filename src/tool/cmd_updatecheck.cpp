// voxatool update-check [URL]: fetches update2.ini as the update frame does
// (at most MaxUpdateInfoBytes of it) and prints the rows it would offer,
// ticked where the offered version is newer. Nothing is written.
#include "app/messagetable.h"
#include "tool/update_options.h"
#include "update/updatelist.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace voxa::tool {
namespace {

const char *const Usage = "update-check [URL] [--drive X] [--proxy HOST:PORT | --no-proxy] [--json]";

const char *const Help =
    "arguments:\n"
    "  URL               the update description to read; default: /update/update2.ini on the update\n"
    "                    server (VOXA_UPDATE_SERVER, else ~/.config/voxa/update, else\n"
    "                    http://update.voxamanager.net)\n"
    "options:\n"
    "  --drive X         compare with what drive X has installed (voxa\\autoupd.dat, extupd.dat)\n"
    "                    and use the proxy of that drive's settings\n"
    "  --proxy HOST:PORT fetch through this HTTP proxy (overrides the drive's proxy)\n"
    "  --no-proxy        connect directly, whatever the drive's settings say\n"
    "  --json            print the offer as one JSON object:\n"
    "                    {\"url\": TEXT, \"updates\": [{\"title\": TEXT, \"installed\": TEXT,\n"
    "                     \"latest\": TEXT, \"newer\": BOOL, \"url\": TEXT, \"sha256\": HEX or null}],\n"
    "                     \"message\": TEXT}\n"
    "Nothing is written. Exit status: 0 the offer was read, 1 it could not be fetched or is\n"
    "invalid, 2 wrong arguments.\n"
    "example:\n"
    "  voxatool update-check --drive E --proxy proxy.example.net:3128\n";

int updateCheck(const QStringList &args, Io &io)
{
    UpdateOptions o;
    const QString error = parseUpdateOptions(args, o);
    if (!error.isEmpty() || o.rest.size() > 1) {
        io.err << "voxatool update-check: " << (error.isEmpty() ? QStringLiteral("too many arguments") : error)
               << "\nusage: voxatool " << Usage << "\n";
        return 2;
    }
    const QString url = o.rest.isEmpty() ? UpdateInfoUrl(o.server) : o.rest.first();

    QByteArray bytes;
    const TransferResult r = FetchUrl(url, o.proxy, &bytes, {}, MaxUpdateInfoBytes);
    // Too long is invalid, as in the update frame.
    if (!r.ok() && r.status != TransferStatus::TooLarge) {
        io.err << "voxatool update-check: " << terminalFailureText(r, url, o) << failureDetail(r) << "\n";
        return 1;
    }
    const std::optional<UpdateInfo> info = r.ok() ? ParseUpdateInfo(bytes) : std::nullopt;
    if (!info) {
        io.err << "voxatool update-check: " << msg(Msg::UpdateInfoInvalid) << "\n";
        return 1;
    }
    TUpdateList list;
    list.Build(*info, o.drive);
    const QString message = list.anyTicked() ? msg(Msg::SelectUpdate) : msg(Msg::NoNeedToUpdate);
    if (o.json) {
        QJsonArray updates;
        for (const UpdateRow &row : list.rows()) {
            const auto sum = info->checksum(row.row);
            updates.append(QJsonObject{{QStringLiteral("title"), row.title()},
                                       {QStringLiteral("installed"), row.currentCell()},
                                       {QStringLiteral("latest"), row.latestCell()},
                                       {QStringLiteral("newer"), row.ticked},
                                       {QStringLiteral("url"), info->url(row.row)},
                                       {QStringLiteral("sha256"), sum ? QJsonValue(QString::fromLatin1(sum->toHex()))
                                                                      : QJsonValue(QJsonValue::Null)}});
        }
        const QJsonObject all{{QStringLiteral("url"), url},
                              {QStringLiteral("updates"), updates},
                              {QStringLiteral("message"), message}};
        io.out << QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Indented));
        return 0;
    }
    io.out << "   " << msg(Msg::OnlineUpdate) << " " << url << "\n";
    for (const UpdateRow &row : list.rows()) {
        io.out << (row.ticked ? "[x] " : "[ ] ") << row.title().leftJustified(34) << row.currentCell().leftJustified(10)
               << row.latestCell().leftJustified(14) << info->url(row.row);
        if (info->checksum(row.row))
            io.out << "  sha256 " << QString::fromLatin1(info->checksum(row.row)->toHex());
        io.out << "\n";
    }
    io.out << message << "\n";
    return 0;
}

const ToolCommand command("update-check", Usage,
                          "fetch update2.ini (default: the update server) and list the updates the manager would offer",
                          Help, updateCheck);

}  // namespace
}  // namespace voxa::tool
