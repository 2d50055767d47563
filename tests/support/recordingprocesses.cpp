#include "support/recordingprocesses.h"

namespace voxa::test {

RecordingProcesses::RecordingProcesses()
{
    platform::setProcesses(this);
}

RecordingProcesses::~RecordingProcesses()
{
    platform::setProcesses(nullptr);
}

bool RecordingProcesses::startDetached(const QString &program, const QStringList &args,
                                       const QString &workingFolder)
{
    calls.append({ProcessCall::Detached, program, args, workingFolder, 0});
    return startSucceeds;
}

int RecordingProcesses::runAndWait(const QString &program, const QStringList &args,
                                   const QString &workingFolder, int *errorNumber)
{
    calls.append({ProcessCall::Wait, program, args, workingFolder, 0});
    if (startError != 0) {
        if (errorNumber)
            *errorNumber = startError;
        return -1;
    }
    if (errorNumber)
        *errorNumber = 0;
    return exitCode;
}

bool RecordingProcesses::openWithAssociated(const QString &path)
{
    calls.append({ProcessCall::Open, path, {}, {}, 0});
    return startSucceeds;
}

void RecordingProcesses::sleepMs(int ms)
{
    // Tests never wait; the total is kept for checks.
    calls.append({ProcessCall::Sleep, {}, {}, {}, ms});
    sleptMs += ms;
}

}  // namespace voxa::test
