#include "support/standindesktop.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace voxa::test {
namespace {

const QString kConnection = QStringLiteral("voxa-standin-desktop");
const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kDisks = QStringLiteral("org.freedesktop.UDisks2");

void replyError(const QDBusMessage &call, const QString &name, const QString &text)
{
    call.setDelayedReply(true);
    QDBusConnection(kConnection).send(call.createErrorReply(name, text));
}

class NotificationsAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    NotificationsAdaptor(QObject *parent, StandInDesktopState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
public slots:
    uint Notify(const QString &app, uint replacesId, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int timeout)
    {
        Q_UNUSED(app) Q_UNUSED(replacesId) Q_UNUSED(icon) Q_UNUSED(actions) Q_UNUSED(hints) Q_UNUSED(timeout)
        QMutexLocker l(&m_s.lock);
        m_s.summaries.append(summary);
        m_s.bodies.append(body);
        return uint(m_s.summaries.size());
    }

private:
    StandInDesktopState &m_s;
};

class ManagerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Manager")
public:
    ManagerAdaptor(QObject *parent, StandInDesktopState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
public slots:
    QList<QDBusObjectPath> ResolveDevice(const QVariantMap &devspec, const QVariantMap &options)
    {
        Q_UNUSED(options)
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("ResolveDevice"));
        if (devspec.value(QStringLiteral("path")).toString() == m_s.device)
            return {QDBusObjectPath(QString::fromLatin1(StandInDesktop::BlockPath))};
        return {};
    }

private:
    StandInDesktopState &m_s;
};

class BlockAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Block")
    Q_PROPERTY(QDBusObjectPath Drive READ drive)
public:
    BlockAdaptor(QObject *parent) : QDBusAbstractAdaptor(parent) {}
    QDBusObjectPath drive() const { return QDBusObjectPath(QString::fromLatin1(StandInDesktop::DrivePath)); }
};

class FilesystemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Filesystem")
public:
    FilesystemAdaptor(QObject *parent, StandInDesktopState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
public slots:
    void Unmount(const QVariantMap &options, const QDBusMessage &call)
    {
        Q_UNUSED(options)
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("Unmount"));
        switch (m_s.unmount) {
        case StandInDesktopState::Unmount::Ok:
            break;
        case StandInDesktopState::Unmount::Busy:
            replyError(call, QStringLiteral("org.freedesktop.UDisks2.Error.DeviceBusy"),
                       QStringLiteral("Error unmounting %1: target is busy").arg(m_s.device));
            break;
        case StandInDesktopState::Unmount::NotAuthorized:
            replyError(call, QStringLiteral("org.freedesktop.UDisks2.Error.NotAuthorizedCanObtain"),
                       QStringLiteral("Not authorized to perform operation"));
            break;
        case StandInDesktopState::Unmount::NotMounted:
            replyError(call, QStringLiteral("org.freedesktop.UDisks2.Error.NotMounted"),
                       QStringLiteral("Filesystem is not mounted"));
            break;
        }
    }

private:
    StandInDesktopState &m_s;
};

class DriveAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Drive")
    Q_PROPERTY(bool CanPowerOff READ canPowerOff)
public:
    DriveAdaptor(QObject *parent, StandInDesktopState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
    bool canPowerOff() const
    {
        QMutexLocker l(&m_s.lock);
        return m_s.canPowerOff;
    }
public slots:
    void PowerOff(const QVariantMap &options, const QDBusMessage &call)
    {
        Q_UNUSED(options)
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("PowerOff"));
        if (m_s.powerOffFails)
            replyError(call, QStringLiteral("org.freedesktop.UDisks2.Error.Failed"),
                       QStringLiteral("Error powering off drive: another partition is mounted"));
    }

private:
    StandInDesktopState &m_s;
};

}  // namespace

StandInDesktop::~StandInDesktop()
{
    quit();
    wait();
}

bool StandInDesktop::startServices()
{
    start();
    m_ready.acquire();
    return m_ok;
}

bool StandInDesktop::setNotificationsRunning(bool running)
{
    QDBusConnectionInterface *bus = QDBusConnection(kConnection).interface();
    return running ? bus->registerService(kNotifications).isValid() : bus->unregisterService(kNotifications).value();
}

bool StandInDesktop::setDisksRunning(bool running)
{
    QDBusConnectionInterface *bus = QDBusConnection(kConnection).interface();
    return running ? bus->registerService(kDisks).isValid() : bus->unregisterService(kDisks).value();
}

void StandInDesktop::run()
{
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnection);
    QObject notifications, manager, block, drive;
    new NotificationsAdaptor(&notifications, m_s);
    new ManagerAdaptor(&manager, m_s);
    new BlockAdaptor(&block);
    new FilesystemAdaptor(&block, m_s);
    new DriveAdaptor(&drive, m_s);
    m_ok = bus.isConnected()
        && bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications)
        && bus.registerObject(QStringLiteral("/org/freedesktop/UDisks2/Manager"), &manager)
        && bus.registerObject(QString::fromLatin1(BlockPath), &block)
        && bus.registerObject(QString::fromLatin1(DrivePath), &drive) && bus.registerService(kNotifications)
        && bus.registerService(kDisks);
    m_ready.release();
    if (m_ok)
        exec();
    bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    bus.unregisterObject(QStringLiteral("/org/freedesktop/UDisks2/Manager"));
    bus.unregisterObject(QString::fromLatin1(BlockPath));
    bus.unregisterObject(QString::fromLatin1(DrivePath));
    QDBusConnection::disconnectFromBus(kConnection);
}

}  // namespace voxa::test

#include "standindesktop.moc"
