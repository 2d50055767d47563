// voxatool sort DIR, rollback DRIVE and play-order DIR: the directory sort of
// the manager for scripts. sort and rollback run the same engine as the
// manager (rollback is the start-up resume), so a folder sorted or rolled
// back here is in the state the manager would leave it.
#include "app/messagetable.h"
#include "music/dirsort.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "tool/command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace voxa::tool {
namespace {

int usage(Io &io, const char *command, const char *text, const QString &problem)
{
    io.err << "voxatool " << command << ": " << problem << "\nusage: voxatool " << text << "\n";
    return 2;
}

// A folder given as a drive's path or as a native folder inside a drive.
QString onDrive(const QString &arg)
{
    return platform::isDevicePath(arg) ? arg : platform::toDevice(arg);
}

// Exit status: 0 done, 1 refused (also while another sort or roll-back runs
// on the drive) or rolled back, 3 files left in voxa\Temp.
int report(const SortOutcome &o, Io &io)
{
    switch (o.Result) {
    case SortResult::Sorted:
        io.out << msg(Msg::DirectorySorted) << ": " << o.Directory << " (" << o.Files << " files)\n";
        return 0;
    case SortResult::NotStarted:
        io.err << "voxatool sort: " << o.StartError << "\n";
        return 1;
    case SortResult::RolledBack:
        io.out << SortErrorText(o.Cancelled ? QString() : o.LastError) << "\n"
               << msg(Msg::FilesRolledBack) << ": " << o.MovedBack << " files moved back into " << o.Directory
               << "\n";
        return 1;
    case SortResult::RollBackFailed:
        io.out << SortErrorText(o.LastError) << "\n" << msg(Msg::RollBackError) << ": " << o.RollBackError << "\n";
        io.err << RollBackFailureText(o.WorkFolder.isEmpty() ? QChar(u'?') : o.WorkFolder[0]) << "\n";
        return 3;
    }
    return 1;
}

const char *const SortUsage = "sort DIR [--force] [--dry-run]";

int sortCommand(const QStringList &args, Io &io)
{
    QString dir;
    bool force = false, dryRun = false;
    for (const QString &a : args) {
        if (a == QLatin1String("--force"))
            force = true;
        else if (a == QLatin1String("--dry-run"))
            dryRun = true;
        else if (a.startsWith(QLatin1String("--")) || !dir.isEmpty())
            return usage(io, "sort", SortUsage, QStringLiteral("unexpected argument '%1'").arg(a));
        else
            dir = a;
    }
    if (dir.isEmpty())
        return usage(io, "sort", SortUsage, QStringLiteral("no folder given"));
    const QString device = onDrive(dir);
    if (device.isEmpty()) {
        io.err << "voxatool sort: " << dir << " lies on no drive (see voxatool drives)\n";
        return 1;
    }
    const SortPlan plan = PlanSort(device);
    if (!plan.ok()) {
        io.err << "voxatool sort: " << PlanProblemText(plan) << "\n";
        return 1;
    }
    if (!force && !DirectoryQualifies(plan.NativeDirectory)) {
        io.err << "voxatool sort: " << msg(Msg::TooFewFilesToSort) << " (--force sorts it anyway)\n";
        return 1;
    }
    if (dryRun) {
        for (const SortStep &s : plan.Steps) {
            switch (s.kind) {
            case SortStep::Kind::MakeDir:
                io.out << "mkdir  " << s.To << "\n";
                break;
            case SortStep::Kind::MoveFile:
                io.out << "move   " << s.From << " -> " << s.To << "\n";
                break;
            case SortStep::Kind::RemoveDir:
                io.out << "rmdir  " << s.From << "\n";
                break;
            case SortStep::Kind::MoveBack:
                io.out << "rename " << s.From << " -> " << s.To << "\n";
                break;
            }
        }
        return 0;
    }
    return report(RunSort(plan), io);
}

const char *const RollBackUsage = "rollback DRIVE   (a letter such as E or E:, or a folder of the drive)";

int rollBackCommand(const QStringList &args, Io &io)
{
    if (args.size() != 1)
        return usage(io, "rollback", RollBackUsage, QStringLiteral("give one drive"));
    const QString &a = args[0];
    QChar drive;
    if (a.size() == 1 && a[0].isLetter())
        drive = a[0].toUpper();
    else
        drive = platform::driveLetterOf(onDrive(a));
    if (drive.isNull() || drive < QLatin1Char('C') || drive > QLatin1Char('Z')
        || platform::driveTable().rootOf(drive).isEmpty()) {
        io.err << "voxatool rollback: no such drive: " << a << "\n";
        return 1;
    }
    // Also without a journal: the roll-back removes unfinished copies of one.
    const SortOutcome o = RollBackSort(drive);
    if (o.Result == SortResult::NotStarted) {
        io.err << "voxatool rollback: " << o.StartError << "\n";
        return 1;
    }
    if (o.NoJournal) {
        io.out << "no interrupted sort on " << drive << ":\n";
        return 0;
    }
    if (o.Result == SortResult::RolledBack) {
        io.out << msg(Msg::FilesRolledBack) << ": " << o.MovedBack << " files moved back"
               << (o.Directory.isEmpty() ? QString() : QStringLiteral(" into ") + o.Directory) << "\n";
        return 0;
    }
    io.out << msg(Msg::RollBackError) << ": " << o.RollBackError << "\n";
    io.err << RollBackFailureText(drive) << "\n";
    return 3;
}

const char *const PlayOrderUsage = "play-order DIR [--json]";

int playOrderCommand(const QStringList &args, Io &io)
{
    QString dir;
    bool json = false;
    for (const QString &a : args) {
        if (a == QLatin1String("--json"))
            json = true;
        else if (a.startsWith(QLatin1String("--")) || !dir.isEmpty())
            return usage(io, "play-order", PlayOrderUsage, QStringLiteral("unexpected argument '%1'").arg(a));
        else
            dir = a;
    }
    if (dir.isEmpty())
        return usage(io, "play-order", PlayOrderUsage, QStringLiteral("no folder given"));
    PlayOrder order;
    QString error;
    if (!ComputePlayOrder(dir, order, &error)) {
        io.err << "voxatool play-order: " << error << "\n";
        return 1;
    }
    if (json) {
        const QJsonObject o{{QStringLiteral("now"), QJsonArray::fromStringList(order.Now)},
                            {QStringLiteral("sorted"), QJsonArray::fromStringList(order.Sorted)}};
        io.out << QString::fromUtf8(QJsonDocument(o).toJson());
        return 0;
    }
    io.out << "now:\n";
    for (qsizetype i = 0; i < order.Now.size(); ++i)
        io.out << QString::number(i + 1).rightJustified(6) << "  " << order.Now[i] << "\n";
    io.out << "after sorting:\n";
    for (qsizetype i = 0; i < order.Sorted.size(); ++i)
        io.out << QString::number(i + 1).rightJustified(6) << "  " << order.Sorted[i] << "\n";
    return 0;
}

const ToolCommand sortCmd("sort", SortUsage,
                          "sort a folder of a drive into name order through voxa\\Temp, with the roll-back journal",
                          sortCommand);
const ToolCommand rollBackCmd("rollback", "rollback DRIVE",
                              "roll back an interrupted sort (voxa\\Temp\\Sort.dat) as the manager does at start",
                              rollBackCommand);
const ToolCommand playOrderCmd("play-order", PlayOrderUsage,
                               "the MP3 files of a folder in playing order, now and after sorting", playOrderCommand);

}  // namespace
}  // namespace voxa::tool
