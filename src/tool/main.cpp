#include "tool/command.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    voxa::tool::Io io{out, err};
    return voxa::tool::runTool(app.arguments().mid(1), io);
}
