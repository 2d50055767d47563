#pragma once
// Stand-in notification and disk services on the private bus of dbus-run-session, served from
// their own thread and connection so blocking calls get answers; every call is recorded.
#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <QThread>

namespace voxa::test {

struct StandInDesktopState {
    enum class Unmount { Ok, Busy, NotAuthorized };

    QMutex lock;
    QStringList notifications;  // "summary|body" of each shown
    QStringList calls;          // "ResolveDevice", "Unmount", "PowerOff" in order
    Unmount unmount = Unmount::Ok;
    bool canPowerOff = true;

    void reset(Unmount u = Unmount::Ok, bool powerOff = true)
    {
        QMutexLocker l(&lock);
        notifications.clear();
        calls.clear();
        unmount = u;
        canPowerOff = powerOff;
    }
    QStringList shown() { QMutexLocker l(&lock); return notifications; }
    QStringList callList() { QMutexLocker l(&lock); return calls; }
};

// The disk service knows one device, /dev/voxatest1.
class StandInDesktop : public QThread {
public:
    StandInDesktopState state;

    ~StandInDesktop() override { quit(); wait(); }
    // False without dbus-run-session's bus; otherwise points the system bus at it.
    static bool usePrivateBus();
    // Starts the thread and takes both services' names; false when the bus refused.
    bool startServices() { start(); m_ready.acquire(); return m_ok; }
    // Gives up or takes again a service's name.
    bool setNotificationsRunning(bool running);
    bool setDisksRunning(bool running);

protected:
    void run() override;

private:
    QSemaphore m_ready;
    bool m_ok = false;
};

}  // namespace voxa::test
