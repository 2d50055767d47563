#pragma once
// voxatool's commands. Each command lives in a file of its own (cmd_*.cpp)
// and registers itself with a static ToolCommand object, so features add
// commands without touching a central list.
#include <QStringList>
#include <QTextStream>
#include <functional>

namespace voxa::tool {

struct Io {
    QTextStream &out;
    QTextStream &err;
};

// args excludes the program and the command name. Returns the exit status.
using CommandFn = std::function<int(const QStringList &args, Io &io)>;

struct ToolCommand {
    // help: what "voxatool NAME --help" shows below the usage: every
    // argument and option explained, a JSON layout where the command has
    // one, and an example.
    ToolCommand(const char *name, const char *usage, const char *summary, const char *help, CommandFn fn);
    QString name;
    QString usage;
    QString summary;
    QString help;
    CommandFn fn;
};

const QList<const ToolCommand *> &commands();

// The text "voxatool NAME --help" prints.
QString commandHelp(const ToolCommand &c);

// Runs voxatool with the given arguments (without the program name).
int runTool(const QStringList &args, Io &io);

}  // namespace voxa::tool
