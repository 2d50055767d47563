#pragma once
// Processes for tests: nothing is started; every call is recorded.
#include "platform/processes.h"

#include <QList>

namespace voxa::test {

struct ProcessCall {
    enum Kind { Detached, Wait, Open, Sleep } kind;
    QString program;
    QStringList args;
    QString workingFolder;
    int ms = 0;
};

class RecordingProcesses : public platform::Processes {
public:
    RecordingProcesses();   // installs itself
    ~RecordingProcesses() override;

    bool startDetached(const QString &program, const QStringList &args,
                       const QString &workingFolder) override;
    int runAndWait(const QString &program, const QStringList &args,
                   const QString &workingFolder, int *errorNumber) override;
    bool openWithAssociated(const QString &path) override;
    void sleepMs(int ms) override;

    QList<ProcessCall> calls;
    // Answers of runAndWait: exit code, or -1 with this error number.
    int exitCode = 0;
    int startError = 0;
    bool startSucceeds = true;
    int sleptMs = 0;
};

}  // namespace voxa::test
