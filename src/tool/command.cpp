#include "tool/command.h"

#include "app/version.h"

namespace voxa::tool {
namespace {
QList<const ToolCommand *> &registry()
{
    static QList<const ToolCommand *> list;
    return list;
}
}  // namespace

ToolCommand::ToolCommand(const char *n, const char *u, const char *s, CommandFn f)
    : name(QString::fromLatin1(n)), usage(QString::fromLatin1(u)), summary(QString::fromLatin1(s)),
      fn(std::move(f))
{
    registry().append(this);
}

const QList<const ToolCommand *> &commands()
{
    auto &list = registry();
    std::sort(list.begin(), list.end(),
              [](const ToolCommand *a, const ToolCommand *b) { return a->name < b->name; });
    return list;
}

static void usage(QTextStream &s)
{
    s << "voxatool " << ManagerVersionText
      << ": service the player's files and music from the command line\n\n"
      << "usage: voxatool COMMAND [ARGS...]\n"
      << "       voxatool --version\n\ncommands:\n";
    for (const ToolCommand *c : commands())
        s << "  " << c->usage << "\n      " << c->summary << "\n";
    s.flush();
}

int runTool(const QStringList &args, Io &io)
{
    if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")
        || args[0] == QLatin1String("help")) {
        usage(args.isEmpty() ? io.err : io.out);
        return args.isEmpty() ? 2 : 0;
    }
    if (args[0] == QLatin1String("--version")) {
        io.out << "voxatool " << ManagerVersionText << "\n";
        io.out.flush();
        return 0;
    }
    for (const ToolCommand *c : commands())
        if (c->name == args[0]) {
            // "voxatool myradio --help" must not write a profile named
            // "--help": asking for help anywhere runs nothing.
            const QStringList rest = args.mid(1);
            if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h"))) {
                io.out << "usage: voxatool " << c->usage << "\n      " << c->summary << "\n";
                io.out.flush();
                return 0;
            }
            const int rc = c->fn(args.mid(1), io);
            io.out.flush();
            io.err.flush();
            return rc;
        }
    io.err << "voxatool: unknown command '" << args[0] << "'\n\n";
    usage(io.err);
    return 2;
}

}  // namespace voxa::tool
