#pragma once
// Starting other programs, opening files with their associated program and
// waiting. Tests install a recording implementation (setProcesses).
#include <QString>
#include <QByteArrayView>
#include <QStringList>

namespace voxa::platform {

// The running program's own file as a native, fully resolved path. A
// program started through the dynamic loader (see SystemProcesses) is the
// file the loader runs, not the loader.
QString runningProgramFile();

// The program interpreter (the dynamic loader) an ELF file's header names, or
// an empty text when the bytes are not a dynamically linked ELF program. Takes
// the first bytes of the file; offsets beyond them count as absent.
QString elfInterpreter(QByteArrayView head);

class Processes {
public:
    virtual ~Processes() = default;
    // Starts a program and returns at once. Paths may be device paths.
    virtual bool startDetached(const QString &program, const QStringList &args,
                               const QString &workingFolder) = 0;
    // Starts a program and waits for its end. Returns its exit code, or -1
    // with *errorNumber set to the system's error number when it cannot start.
    virtual int runAndWait(const QString &program, const QStringList &args,
                           const QString &workingFolder, int *errorNumber) = 0;
    // Opens a file with the program the desktop associates with it.
    virtual bool openWithAssociated(const QString &path) = 0;
    // Waits without processing events.
    virtual void sleepMs(int ms) = 0;
};

Processes &processes();
// nullptr restores the system's own.
void setProcesses(Processes *p);

class SystemProcesses : public Processes {
public:
    // A program file without execute permission (a FAT disk mounted with
    // "showexec" gives it only to .exe, .com and .bat) is started through
    // the loader its header names, which needs only read permission.
    bool startDetached(const QString &program, const QStringList &args,
                       const QString &workingFolder) override;
    int runAndWait(const QString &program, const QStringList &args,
                   const QString &workingFolder, int *errorNumber) override;
    bool openWithAssociated(const QString &path) override;
    void sleepMs(int ms) override;
};

}  // namespace voxa::platform
