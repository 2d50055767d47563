#include "platform/processes.h"

#include "platform/paths.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QtEndian>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <cerrno>
#include <spawn.h>
#include <sys/auxv.h>
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

namespace {

template <typename T>
bool readField(QByteArrayView b, quint64 at, bool bigEndian, T &out)
{
    if (at > quint64(b.size()) || quint64(b.size()) - at < sizeof(T))
        return false;
    out = bigEndian ? qFromBigEndian<T>(b.data() + at) : qFromLittleEndian<T>(b.data() + at);
    return true;
}

constexpr qsizetype InterpreterHeadSize = 64 * 1024;

// The loader to start a program through when the program itself may not be
// executed; empty when it can be run directly or there is no usable loader.
QString loaderFor(const QString &nativeProgram)
{
    const QByteArray p = QFile::encodeName(nativeProgram);
    if (p.isEmpty() || ::access(p.constData(), X_OK) == 0)
        return {};
    QFile f(nativeProgram);
    if (!QFileInfo(nativeProgram).isFile() || !f.open(QIODevice::ReadOnly))
        return {};
    const QString loader = elfInterpreter(f.read(InterpreterHeadSize));
    if (loader.isEmpty() || ::access(QFile::encodeName(loader).constData(), X_OK) != 0)
        return {};
    return loader;
}

}  // namespace

QString elfInterpreter(QByteArrayView head)
{
    if (head.size() < 16 || !head.startsWith("\x7F" "ELF"))
        return {};
    const char elfClass = head[4];
    const char data = head[5];
    if ((elfClass != 1 && elfClass != 2) || (data != 1 && data != 2))
        return {};
    const bool wide = elfClass == 2;
    const bool big = data == 2;
    quint64 phoff = 0;
    quint16 phentsize = 0, phnum = 0;
    if (wide) {
        if (!readField(head, 32, big, phoff))
            return {};
    } else {
        quint32 off32 = 0;
        if (!readField(head, 28, big, off32))
            return {};
        phoff = off32;
    }
    if (!readField(head, wide ? 54 : 42, big, phentsize) || !readField(head, wide ? 56 : 44, big, phnum))
        return {};
    if (phentsize < (wide ? 56 : 32))
        return {};
    for (quint64 i = 0; i < phnum; ++i) {
        const quint64 at = phoff + i * phentsize;
        quint32 type = 0;
        if (!readField(head, at, big, type))
            return {};
        if (type != 3)  // PT_INTERP
            continue;
        quint64 offset = 0, size = 0;
        if (wide) {
            if (!readField(head, at + 8, big, offset) || !readField(head, at + 32, big, size))
                return {};
        } else {
            quint32 o = 0, s = 0;
            if (!readField(head, at + 4, big, o) || !readField(head, at + 16, big, s))
                return {};
            offset = o;
            size = s;
        }
        if (offset > quint64(head.size()) || size > quint64(head.size()) - offset || size < 2 || size > 4096)
            return {};
        QByteArrayView name = head.sliced(qsizetype(offset), qsizetype(size));
        if (name.back() != '\0')
            return {};
        name.chop(1);
        if (name.contains('\0') || !name.startsWith('/'))
            return {};
        return QFile::decodeName(name.toByteArray());
    }
    return {};
}

QString runningProgramFile()
{
    // Started through the loader, the kernel ran the loader itself, which
    // then has no loader of its own (AT_BASE 0 in a dynamically linked
    // program); the loader hands the program's path on as the first argument.
    if (::getauxval(AT_BASE) == 0 && QCoreApplication::instance()) {
        const QStringList args = QCoreApplication::arguments();
        if (!args.isEmpty() && !args.first().isEmpty()) {
            const QFileInfo program(args.first());
            if (program.isFile())
                return program.canonicalFilePath();
        }
    }
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

bool SystemProcesses::startDetached(const QString &program, const QStringList &args,
                                    const QString &workingFolder)
{
    const QString native = toNative(program);
    const QString loader = loaderFor(native);
    if (!loader.isEmpty())
        return QProcess::startDetached(loader, QStringList{QFileInfo(native).absoluteFilePath()} + args,
                                       toNative(workingFolder));
    return QProcess::startDetached(native, args, toNative(workingFolder));
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
