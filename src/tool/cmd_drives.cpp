// voxatool drives: the drive letters as the manager sees them.
#include "platform/drives.h"
#include "tool/command.h"

namespace voxa::tool {
namespace {

const ToolCommand drivesCommand(
    "drives", "drives", "list the drives C to Z with type, file system, label, sizes and folder",
    [](const QStringList &, Io &io) {
        for (const platform::DriveInfo &d : platform::driveTable().drives())
            io.out << d.letter << ":  " << platform::driveTypeName(d.type).leftJustified(10)
                   << d.fileSystem.leftJustified(7) << (d.label.isEmpty() ? QStringLiteral("-") : d.label).leftJustified(14)
                   << QString::number(d.totalBytes).rightJustified(15) << QString::number(d.freeBytes).rightJustified(15)
                   << "  " << d.root << "\n";
        return 0;
    });

}  // namespace
}  // namespace voxa::tool
