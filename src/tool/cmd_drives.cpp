// voxatool drives: the drive letters as the manager sees them.
#include "platform/drives.h"
#include "tool/command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace voxa::tool {
namespace {

const char *const Usage = "drives [--bytes] [--json]";

const char *const Help =
    "Prints a header line and one line per drive: letter, type (removable, fixed, network,\n"
    "optical, ramdisk), file system, volume label (- for none), total and free size, and the\n"
    "folder of this computer that holds the drive. Sizes are in GB of 1024 x 1024 x 1024 bytes\n"
    "with two decimals.\n"
    "options:\n"
    "  --bytes   sizes in bytes instead of GB\n"
    "  --json    print {\"drives\": [{\"letter\": \"E\", \"type\": TEXT, \"fileSystem\": TEXT,\n"
    "            \"label\": TEXT, \"totalBytes\": NUMBER, \"freeBytes\": NUMBER, \"root\": PATH}]};\n"
    "            sizes are always in bytes there\n"
    "example:\n"
    "  voxatool drives --bytes\n";

QString gigabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0 * 1024.0), 'f', 2);
}

int drives(const QStringList &args, Io &io)
{
    bool bytes = false, json = false;
    for (const QString &a : args) {
        if (a == QLatin1String("--bytes")) {
            bytes = true;
        } else if (a == QLatin1String("--json")) {
            json = true;
        } else {
            io.err << "voxatool drives: unexpected argument '" << a << "'\nusage: voxatool " << Usage << "\n";
            return 2;
        }
    }
    const QList<platform::DriveInfo> list = platform::driveTable().drives();
    if (json) {
        QJsonArray all;
        for (const platform::DriveInfo &d : list)
            all.append(QJsonObject{{QStringLiteral("letter"), QString(d.letter)},
                                   {QStringLiteral("type"), platform::driveTypeName(d.type)},
                                   {QStringLiteral("fileSystem"), d.fileSystem},
                                   {QStringLiteral("label"), d.label},
                                   {QStringLiteral("totalBytes"), d.totalBytes},
                                   {QStringLiteral("freeBytes"), d.freeBytes},
                                   {QStringLiteral("root"), d.root}});
        io.out << QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("drives"), all}}).toJson(QJsonDocument::Indented));
        return 0;
    }
    const int sizeWidth = bytes ? 15 : 10;
    const QString unit = bytes ? QStringLiteral(" bytes") : QStringLiteral(" GB");
    io.out << QStringLiteral("Drive").leftJustified(6) << QStringLiteral("Type").leftJustified(10)
           << QStringLiteral("FS").leftJustified(7) << QStringLiteral("Label").leftJustified(14)
           << (QStringLiteral("Total") + unit).rightJustified(sizeWidth)
           << (QStringLiteral("Free") + unit).rightJustified(sizeWidth) << "  Folder\n";
    for (const platform::DriveInfo &d : list) {
        const QString total = bytes ? QString::number(d.totalBytes) : gigabytes(d.totalBytes);
        const QString free = bytes ? QString::number(d.freeBytes) : gigabytes(d.freeBytes);
        io.out << d.letter << ":    " << platform::driveTypeName(d.type).leftJustified(10)
               << d.fileSystem.leftJustified(7) << (d.label.isEmpty() ? QStringLiteral("-") : d.label).leftJustified(14)
               << total.rightJustified(sizeWidth) << free.rightJustified(sizeWidth) << "  " << d.root << "\n";
    }
    return 0;
}

const ToolCommand drivesCommand("drives", Usage,
                                "list the drives C to Z with type, file system, label, sizes and folder", Help,
                                drives);

}  // namespace
}  // namespace voxa::tool
