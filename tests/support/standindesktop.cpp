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
const QString kDevice = QStringLiteral("/dev/voxatest1");
const QString kBlock = QStringLiteral("/org/freedesktop/UDisks2/block_devices/voxatest1");
const QString kDrive = QStringLiteral("/org/freedesktop/UDisks2/drives/VOXA_Test_Disk");

struct Adaptor : QDBusAbstractAdaptor {
    Adaptor(QObject *parent, StandInDesktopState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
    StandInDesktopState &m_s;
};

class NotificationsAdaptor : public Adaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    using Adaptor::Adaptor;
public slots:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int)
    {
        QMutexLocker l(&m_s.lock);
        m_s.notifications.append(summary + u'|' + body);
        return uint(m_s.notifications.size());
    }
};

class ManagerAdaptor : public Adaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Manager")
public:
    using Adaptor::Adaptor;
public slots:
    QList<QDBusObjectPath> ResolveDevice(const QVariantMap &devspec, const QVariantMap &)
    {
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("ResolveDevice"));
        if (devspec.value(QStringLiteral("path")).toString() == kDevice)
            return {QDBusObjectPath(kBlock)};
        return {};
    }
};

class BlockAdaptor : public Adaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Block")
    Q_PROPERTY(QDBusObjectPath Drive READ drive)
public:
    using Adaptor::Adaptor;
    QDBusObjectPath drive() const { return QDBusObjectPath(kDrive); }
};

class FilesystemAdaptor : public Adaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Filesystem")
public:
    using Adaptor::Adaptor;
public slots:
    void Unmount(const QVariantMap &, const QDBusMessage &call)
    {
        static const char *const errors[][2] = {{nullptr, nullptr},
                                                {"DeviceBusy", "Error unmounting %1: target is busy"},
                                                {"NotAuthorizedCanObtain", "Not authorized to perform operation"}};
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("Unmount"));
        if (const auto *error = errors[int(m_s.unmount)]; error[0]) {
            call.setDelayedReply(true);
            QDBusConnection(kConnection)
                .send(call.createErrorReply(kDisks + QStringLiteral(".Error.") + QLatin1String(error[0]),
                                            QString::fromLatin1(error[1]).replace(QLatin1String("%1"), kDevice)));
        }
    }
};

class DriveAdaptor : public Adaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Drive")
    Q_PROPERTY(bool CanPowerOff READ canPowerOff)
public:
    using Adaptor::Adaptor;
    bool canPowerOff() const { QMutexLocker l(&m_s.lock); return m_s.canPowerOff; }
public slots:
    void PowerOff(const QVariantMap &)
    {
        QMutexLocker l(&m_s.lock);
        m_s.calls.append(QStringLiteral("PowerOff"));
    }
};

bool setRunning(const QString &service, bool running)
{
    QDBusConnectionInterface *bus = QDBusConnection(kConnection).interface();
    return running ? bus->registerService(service).isValid() : bus->unregisterService(service).value();
}

}  // namespace

bool StandInDesktop::usePrivateBus()
{
    if (qEnvironmentVariableIsEmpty("VOXA_PRIVATE_BUS") || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return false;
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", qgetenv("DBUS_SESSION_BUS_ADDRESS"));
    return true;
}

bool StandInDesktop::setNotificationsRunning(bool running) { return setRunning(kNotifications, running); }
bool StandInDesktop::setDisksRunning(bool running) { return setRunning(kDisks, running); }

void StandInDesktop::run()
{
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnection);
    QObject notifications, manager, block, drive;
    new NotificationsAdaptor(&notifications, state);
    new ManagerAdaptor(&manager, state);
    new BlockAdaptor(&block, state);
    new FilesystemAdaptor(&block, state);
    new DriveAdaptor(&drive, state);
    m_ok = bus.isConnected() && bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications)
        && bus.registerObject(QStringLiteral("/org/freedesktop/UDisks2/Manager"), &manager)
        && bus.registerObject(kBlock, &block) && bus.registerObject(kDrive, &drive)
        && bus.registerService(kNotifications) && bus.registerService(kDisks);
    m_ready.release();
    if (m_ok)
        exec();
    QDBusConnection::disconnectFromBus(kConnection);
}

}  // namespace voxa::test

#include "standindesktop.moc"
