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

const char *const SortUsage = "sort DIR [--force] [--dry-run] [--json]";

const char *const SortHelp =
    "arguments:\n"
    "  DIR          the folder to sort, on a drive (E:\\music) or a native folder inside one\n"
    "options:\n"
    "  --force      sort also a folder the manager would leave alone: one holding 100 or\n"
    "               fewer MP3 files, M3U files and subfolders (none of them qualifying)\n"
    "  --dry-run    move nothing: list the planned steps (mkdir, move, rmdir, rename) and\n"
    "               say on standard error whether a real sort would run, and if not, why;\n"
    "               works on any folder. Exit status 0 when a real sort would run, 1 when\n"
    "               it would not\n"
    "  --json       with --dry-run, print {\"directory\": TEXT, \"wouldSort\": BOOL,\n"
    "               \"reason\": TEXT, \"files\": NUMBER, \"steps\": [{\"step\": \"mkdir\", \"move\",\n"
    "               \"rmdir\" or \"rename\", \"from\": TEXT, \"to\": TEXT}]} (\"reason\" and unused\n"
    "               paths empty)\n"
    "The sort moves every entry into voxa\\Temp and back in name order, keeping the journal\n"
    "voxa\\Temp\\Sort.dat until it has finished; one sort or roll-back runs per drive at a time.\n"
    "Exit status: 0 sorted, 1 refused or rolled back, 2 wrong arguments, 3 files left in\n"
    "voxa\\Temp (see voxatool rollback).\n"
    "example:\n"
    "  voxatool sort E:\\music\\rock --dry-run\n";

// What a real sort of the folder would do, and whether it would run at all:
// on no drive, with a plan problem or too few files it would not.
int dryRun(const QString &dir, const QString &device, bool force, bool json, Io &io)
{
    SortPlan plan;
    QString why;
    if (device.isEmpty()) {
        why = dir + QStringLiteral(" lies on no drive (see voxatool drives)");
    } else {
        plan = PlanSort(device);
        if (!plan.ok())
            why = PlanProblemText(plan);
        else if (!force && !DirectoryQualifies(plan.Directory))
            why = msg(Msg::TooFewFilesToSort) + QStringLiteral(" (--force sorts it anyway)");
    }
    static const char *const names[] = {"mkdir", "move", "rmdir", "rename"};
    auto nameOf = [](SortStep::Kind k) {
        switch (k) {
        case SortStep::Kind::MakeDir: return names[0];
        case SortStep::Kind::MoveFile: return names[1];
        case SortStep::Kind::RemoveDir: return names[2];
        case SortStep::Kind::MoveBack: return names[3];
        }
        return names[1];
    };
    if (json) {
        QJsonArray steps;
        for (const SortStep &s : plan.Steps)
            steps.append(QJsonObject{{QStringLiteral("step"), QString::fromLatin1(nameOf(s.kind))},
                                     {QStringLiteral("from"), s.From.device()},
                                     {QStringLiteral("to"), s.To.device()}});
        const QString shown = plan.Directory.isEmpty() ? dir : plan.Directory.device();
        const QJsonObject o{{QStringLiteral("directory"), shown},
                            {QStringLiteral("wouldSort"), why.isEmpty()},
                            {QStringLiteral("reason"), why},
                            {QStringLiteral("files"), plan.FileCount},
                            {QStringLiteral("steps"), steps}};
        io.out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
        return why.isEmpty() ? 0 : 1;
    }
    for (const SortStep &s : plan.Steps) {
        const QString kind = QString::fromLatin1(nameOf(s.kind)).leftJustified(7);
        switch (s.kind) {
        case SortStep::Kind::MakeDir:
            io.out << kind << s.To.device() << "\n";
            break;
        case SortStep::Kind::RemoveDir:
            io.out << kind << s.From.device() << "\n";
            break;
        case SortStep::Kind::MoveFile:
        case SortStep::Kind::MoveBack:
            io.out << kind << s.From.device() << " -> " << s.To.device() << "\n";
            break;
        }
    }
    // The plan alone on standard output, for scripts; the verdict beside it.
    if (why.isEmpty())
        io.err << "voxatool sort: a real sort would run: " << plan.FileCount << " files in "
               << plan.Directory.device() << "\n";
    else
        io.err << "voxatool sort: a real sort would not run: " << why << "\n";
    return why.isEmpty() ? 0 : 1;
}

int sortCommand(const QStringList &args, Io &io)
{
    QString dir;
    bool force = false, planOnly = false, json = false;
    for (const QString &a : args) {
        if (a == QLatin1String("--force"))
            force = true;
        else if (a == QLatin1String("--dry-run"))
            planOnly = true;
        else if (a == QLatin1String("--json"))
            json = true;
        else if (a.startsWith(QLatin1String("--")) || !dir.isEmpty())
            return usage(io, "sort", SortUsage, QStringLiteral("unexpected argument '%1'").arg(a));
        else
            dir = a;
    }
    if (dir.isEmpty())
        return usage(io, "sort", SortUsage, QStringLiteral("no folder given"));
    if (json && !planOnly)
        return usage(io, "sort", SortUsage, QStringLiteral("--json goes with --dry-run"));
    const QString device = onDrive(dir);
    if (planOnly)
        return dryRun(dir, device, force, json, io);
    if (device.isEmpty()) {
        io.err << "voxatool sort: " << dir << " lies on no drive (see voxatool drives)\n";
        return 1;
    }
    const SortPlan plan = PlanSort(device);
    if (!plan.ok()) {
        io.err << "voxatool sort: " << PlanProblemText(plan) << "\n";
        return 1;
    }
    if (!force && !DirectoryQualifies(plan.Directory)) {
        io.err << "voxatool sort: " << msg(Msg::TooFewFilesToSort) << " (--force sorts it anyway)\n";
        return 1;
    }
    return report(RunSort(plan), io);
}

const char *const RollBackHelp =
    "arguments:\n"
    "  DRIVE        the drive: a letter (E or E:) or any folder of the drive\n"
    "Rolls back an interrupted sort as the manager does at start: the files in voxa\\Temp go\n"
    "back into the folder the journal voxa\\Temp\\Sort.dat names. Without a journal it says so\n"
    "and changes nothing. Exit status: 0 rolled back or nothing to do, 1 no such drive or\n"
    "another sort or roll-back runs there, 3 files left in voxa\\Temp.\n"
    "example:\n"
    "  voxatool rollback E\n";

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

const char *const PlayOrderHelp =
    "arguments:\n"
    "  DIR          any folder (on a drive or not)\n"
    "options:\n"
    "  --json       print {\"now\": [PATH...], \"sorted\": [PATH...]}: the MP3 files in playing\n"
    "               order now and after sorting, relative to DIR\n"
    "Without --json, two numbered lists. Nothing is changed. Exit status: 0 listed, 1 the folder\n"
    "could not be read, 2 wrong arguments.\n"
    "example:\n"
    "  voxatool play-order E:\\music\\rock --json\n";

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
                          SortHelp, sortCommand);
const ToolCommand rollBackCmd("rollback", "rollback DRIVE",
                              "roll back an interrupted sort (voxa\\Temp\\Sort.dat) as the manager does at start",
                              RollBackHelp, rollBackCommand);
const ToolCommand playOrderCmd("play-order", PlayOrderUsage,
                               "the MP3 files of a folder in playing order, now and after sorting", PlayOrderHelp,
                               playOrderCommand);

}  // namespace
}  // namespace voxa::tool
