#pragma once
// Safe removal of the player's disk through the UDisks2 service on the
// system bus: the file system is flushed and unmounted, then the drive is
// powered off, so that pulling the cable loses nothing. The service asks the
// user for permission where the system wants it (polkit), so a removal may
// wait for a long time: it runs off the window thread (SafeRemovalJob).
//
// A manager that runs from the disk holds its own program open there and
// cannot unmount it. It hands the removal to a step that runs from a copy
// of the program off the disk, waits until the manager has ended, removes
// the disk and tells the result in a desktop notification.
#include "platform/drives.h"
#include "platform/job.h"

#include <QObject>
#include <QString>

namespace voxa::platform {

enum class RemovalOutcome {
    Removed,        // unmounted and powered off
    UnmountedOnly,  // unmounted; the drive could not be powered off
    Busy,           // a program has files open on the disk
    NotAuthorized,  // the system did not allow it
    NoService,      // no UDisks2 service, or it does not know the device
    Failed,         // any other refusal; detail holds the service's text
};

struct RemovalResult {
    RemovalOutcome outcome = RemovalOutcome::Failed;
    QString detail;  // the service's own words, when it gave any
};

// Whether the disk of a drive can be removed from here: a mounted block
// device. Folder drives, the root and network shares cannot.
bool CanSafelyRemove(const DriveInfo &drive);

// Whether the running program's own file lies on the drive rooted there.
bool RunsFromDrive(const QString &root);

// Flushes, unmounts and powers off; blocks until the service has answered.
RemovalResult SafelyRemoveVolume(const QString &device, const QString &mountPoint);

// The texts the user reads for each outcome, in the user's language.
struct RemovalTexts {
    QString removed, unmountedOnly, busy, notAuthorized, noService, failed;
};
// The text of a result: the outcome's text, then the service's words.
QString RemovalMessage(const RemovalResult &result, const RemovalTexts &texts);

// Runs SafelyRemoveVolume on a worker thread; Finished comes back queued on
// the owner's thread.
class SafeRemovalJob : public QObject {
    Q_OBJECT
public:
    explicit SafeRemovalJob(QObject *parent = nullptr);
    // A running removal cannot be stopped: the job waits for its end.
    ~SafeRemovalJob() override = default;
    // False when one is running already.
    bool Start(const QString &device, const QString &mountPoint);
    bool IsRunning() const { return m_job.isRunning(); }
    // Blocks until a running removal has ended and Finished has been sent.
    void Wait() { m_job.wait(); }

signals:
    void Finished(const voxa::platform::RemovalResult &result);

private:
    Job m_job;
};

// Starts the removal step for when this program has ended: a copy of the
// program in the user's runtime folder, in a session of its own. Returns an
// empty text on success, else what went wrong.
QString StartRemovalAfterExit(const QString &device, const QString &mountPoint, const RemovalTexts &texts);

// Waits (at most waitMs) until the process pid has ended, then removes the
// disk and notifies the result.
RemovalResult FinishRemovalAfterExit(qint64 pid, const QString &device, const QString &mountPoint,
                                     const RemovalTexts &texts, int waitMs);

// The hand-over the step reads from its environment.
QByteArray RemovalHandOver(qint64 pid, const QString &device, const QString &mountPoint, const RemovalTexts &texts);
// True when this process was started as the removal step.
bool IsRemovalStep();
// The step's whole run; returns the exit status (0 when removed).
int RunRemovalStep(int argc, char **argv);

}  // namespace voxa::platform

Q_DECLARE_METATYPE(voxa::platform::RemovalResult)
