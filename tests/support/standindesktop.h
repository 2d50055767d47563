#pragma once
// The desktop services of our own on a private bus (dbus-run-session): a
// notification service and a small disk service in the manner of UDisks2
// (one file system on one drive), offered from a thread of their own with
// their own connection, so the blocking calls of the code under test get
// answers. Every call is recorded. Tests point the system bus at the
// session bus (DBUS_SYSTEM_BUS_ADDRESS) before the first use of either.
#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <QThread>

namespace voxa::test {

struct StandInDesktopState {
    enum class Unmount { Ok, Busy, NotAuthorized, NotMounted };

    QMutex lock;
    // Notifications shown: their summary and body.
    QStringList summaries;
    QStringList bodies;

    // The one device the disk service knows.
    QString device = QStringLiteral("/dev/voxatest1");
    Unmount unmount = Unmount::Ok;
    bool canPowerOff = true;
    bool powerOffFails = false;
    // "ResolveDevice", "Unmount", "PowerOff" in the order they came.
    QStringList calls;

    int notificationCount()
    {
        QMutexLocker l(&lock);
        return int(summaries.size());
    }
    QStringList callList()
    {
        QMutexLocker l(&lock);
        return calls;
    }
};

class StandInDesktop : public QThread {
public:
    static constexpr const char *BlockPath = "/org/freedesktop/UDisks2/block_devices/voxatest1";
    static constexpr const char *DrivePath = "/org/freedesktop/UDisks2/drives/VOXA_Test_Disk";

    explicit StandInDesktop(StandInDesktopState &s) : m_s(s) {}
    ~StandInDesktop() override;
    // Starts the thread and takes both services' names; false when the bus
    // refused.
    bool startServices();
    // Gives up or takes again a service's name (a service that is not
    // running).
    bool setNotificationsRunning(bool running);
    bool setDisksRunning(bool running);

protected:
    void run() override;

private:
    StandInDesktopState &m_s;
    QSemaphore m_ready;
    bool m_ok = false;
};

}  // namespace voxa::test
