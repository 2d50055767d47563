// Started by the launch test: writes the path the program believes is its
// own file, and its working folder, into the file named by its argument.
#include "platform/processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QFile out(QString::fromLocal8Bit(argv[argc - 1]));
    if (!out.open(QIODevice::WriteOnly))
        return 1;
    out.write((voxa::platform::runningProgramFile() + QLatin1Char('\n') + QDir::currentPath()).toUtf8());
    return 0;
}
