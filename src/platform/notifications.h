#pragma once
// Desktop notifications through the org.freedesktop.Notifications service
// on the session bus. Without a bus or without a running service nothing is
// shown and nothing fails: a notification is a courtesy, never the only
// place a result is told.
#include <QString>

namespace voxa::platform {

// Shows a notification; false when no notification service took it. With
// waitMs the call waits that long for the service's answer (a program about
// to end would otherwise drop the message unsent).
bool Notify(const QString &summary, const QString &body = QString(), int waitMs = 0);

// Whether one of the program's windows has the keyboard focus. Without a
// windowing application (voxatool, the removal step) there is none.
bool ApplicationActive();

// Tells the desktop how a long operation ended, but only while the user is
// looking elsewhere: with the window active the frame itself shows it.
// Returns whether a notification was sent.
bool NotifyEndedIfInactive(const QString &text, const QString &detail = QString());

}  // namespace voxa::platform
