#include "platform/processes.h"

#include "platform/paths.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace voxa::platform {
namespace {
Processes *g_processes = nullptr;
}

Processes &processes()
{
    static SystemProcesses system;
    return g_processes ? *g_processes : system;
}

void setProcesses(Processes *p)
{
    g_processes = p;
}

bool SystemProcesses::startDetached(const QString &program, const QStringList &args,
                                    const QString &workingFolder)
{
    return QProcess::startDetached(toNative(program), args, toNative(workingFolder));
}

int SystemProcesses::runAndWait(const QString &program, const QStringList &args,
                                const QString &workingFolder, int *errorNumber)
{
    // posix_spawn reports the exact error number of a failed start, which
    // QProcess does not.
    const QByteArray prog = QFile::encodeName(toNative(program));
    QList<QByteArray> argBytes{prog};
    for (const QString &a : args)
        argBytes.append(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : argBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray wd = QFile::encodeName(toNative(workingFolder));
    if (!wd.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, wd.constData());
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, prog.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        if (errorNumber)
            *errorNumber = rc;
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            if (errorNumber)
                *errorNumber = errno;
            return -1;
        }
    }
    // posix_spawn on glibc reports a failed exec as exit status 127.
    if (errorNumber)
        *errorNumber = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool SystemProcesses::openWithAssociated(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(toNative(path)).absoluteFilePath()));
}

void SystemProcesses::sleepMs(int ms)
{
    if (ms > 0)
        QThread::msleep(ulong(ms));
}

}  // namespace voxa::platform
