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
    ToolCommand(const char *name, const char *usage, const char *summary, CommandFn fn);
    QString name;
    QString usage;
    QString summary;
    CommandFn fn;
};

const QList<const ToolCommand *> &commands();

// Runs voxatool with the given arguments (without the program name).
int runTool(const QStringList &args, Io &io);

}  // namespace voxa::tool
