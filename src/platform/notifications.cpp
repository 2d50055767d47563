#include "platform/notifications.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QVariantMap>

namespace voxa::platform {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kObject = QStringLiteral("/org/freedesktop/Notifications");
// The installed desktop entry: the service shows its icon and name.
const QString kDesktopEntry = QStringLiteral("voxa-manager");

}  // namespace

bool Notify(const QString &summary, const QString &body, int waitMs)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    // Asking the bus is quick; a call to a service that is not there would
    // only come back as an error later.
    if (!bus.interface()->isServiceRegistered(kService).value())
        return false;
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kObject, kService, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), kDesktopEntry);
    const QString app = QCoreApplication::applicationName().isEmpty() ? QStringLiteral("VOXA Manager")
                                                                       : QCoreApplication::applicationName();
    m.setArguments({app, uint(0), kDesktopEntry, summary, body, QStringList(), hints, int(-1)});
    if (waitMs > 0)
        return bus.call(m, QDBus::Block, waitMs).type() == QDBusMessage::ReplyMessage;
    // The answer (the notification's id) is of no use: the window thread
    // never waits for the service.
    return bus.send(m);
}

bool ApplicationActive()
{
    // The window that has the focus, a dialog of ours included; none while
    // the user works in another program.
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && QGuiApplication::focusWindow();
}

bool NotifyEndedIfInactive(const QString &text, const QString &detail)
{
    if (ApplicationActive() || text.isEmpty())
        return false;
    return Notify(text, detail);
}

}  // namespace voxa::platform
