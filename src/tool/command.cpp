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

ToolCommand::ToolCommand(const char *n, const char *u, const char *s, const char *h, CommandFn f)
    : name(QString::fromLatin1(n)), usage(QString::fromLatin1(u)), summary(QString::fromLatin1(s)),
      help(QString::fromUtf8(h)), fn(std::move(f))
{
    registry().append(this);
}

QString commandHelp(const ToolCommand &c)
{
    QString text = QStringLiteral("usage: voxatool ") + c.usage + QStringLiteral("\n      ") + c.summary
                   + QLatin1Char('\n');
    if (!c.help.isEmpty()) {
        text += QLatin1Char('\n') + c.help;
        if (!c.help.endsWith(QLatin1Char('\n')))
            text += QLatin1Char('\n');
    }
    return text;
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
      << "       voxatool COMMAND --help   (every option of COMMAND, with an example)\n"
      << "       voxatool --version\n\ncommands:\n";
    for (const ToolCommand *c : commands())
        s << "  " << c->usage << "\n      " << c->summary << "\n";
    s.flush();
}

static const ToolCommand *findCommand(const QString &name)
{
    for (const ToolCommand *c : commands())
        if (c->name == name)
            return c;
    return nullptr;
}

// Scripts test the exit status; people read one line that says what to do.
static int unknownCommand(const QString &name, Io &io)
{
    io.err << "voxatool: unknown command '" << name << "'; see voxatool --help\n";
    io.err.flush();
    return 2;
}

int runTool(const QStringList &args, Io &io)
{
    // "voxatool help COMMAND" is "voxatool COMMAND --help".
    if (args.size() == 2 && args[0] == QLatin1String("help")) {
        const ToolCommand *c = findCommand(args[1]);
        if (!c)
            return unknownCommand(args[1], io);
        io.out << commandHelp(*c);
        io.out.flush();
        return 0;
    }
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
    const ToolCommand *c = findCommand(args[0]);
    if (!c)
        return unknownCommand(args[0], io);
    // "voxatool myradio --help" must not write a profile named "--help":
    // asking for help anywhere runs nothing.
    const QStringList rest = args.mid(1);
    if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h"))) {
        io.out << commandHelp(*c);
        io.out.flush();
        return 0;
    }
    const int rc = c->fn(rest, io);
    io.out.flush();
    io.err.flush();
    return rc;
}

}  // namespace voxa::tool
