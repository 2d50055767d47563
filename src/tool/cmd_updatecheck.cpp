// voxatool update-check [URL]: fetches update2.ini as the update frame does
// (at most MaxUpdateInfoBytes of it) and prints the rows it would offer,
// ticked where the offered version is newer. Nothing is written.
#include "app/messagetable.h"
#include "tool/update_options.h"
#include "update/updatelist.h"

namespace voxa::tool {
namespace {

const char *const Usage = "update-check [URL] [--drive X] [--proxy HOST:PORT | --no-proxy]";

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
        io.err << "voxatool update-check: " << TransferFailureText(r, url) << " (" << transferStatusText(r) << ": "
               << r.detail << ")\n";
        return 1;
    }
    const std::optional<UpdateInfo> info = r.ok() ? ParseUpdateInfo(bytes) : std::nullopt;
    if (!info) {
        io.err << "voxatool update-check: " << msg(Msg::UpdateInfoInvalid) << "\n";
        return 1;
    }
    TUpdateList list;
    list.Build(*info, o.drive);
    io.out << "   " << msg(Msg::OnlineUpdate) << " " << url << "\n";
    for (const UpdateRow &row : list.rows()) {
        io.out << (row.ticked ? "[x] " : "[ ] ") << row.title().leftJustified(34) << row.currentCell().leftJustified(10)
               << row.latestCell().leftJustified(14) << info->url(row.row);
        if (info->checksum(row.row))
            io.out << "  sha256 " << QString::fromLatin1(info->checksum(row.row)->toHex());
        io.out << "\n";
    }
    io.out << (list.anyTicked() ? msg(Msg::SelectUpdate) : msg(Msg::NoNeedToUpdate)) << "\n";
    return 0;
}

const ToolCommand command("update-check", Usage,
                          "fetch update2.ini (default: the update server) and list the updates the manager would offer",
                          updateCheck);

}  // namespace
}  // namespace voxa::tool
