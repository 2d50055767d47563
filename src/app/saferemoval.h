#pragma once
// The VOXA menu's "Safely Remove VOXA Disk": flushes, unmounts and powers
// off the disk of the player's drive (the drive the manager runs from or the
// one chosen), and says how it went. A manager that runs from that disk
// asks, closes (saving its settings as every close does) and leaves the
// removal to a step that finishes it after the manager has ended.
#include "platform/udisks.h"

#include <QObject>
#include <functional>

class QAction;
class QMenu;

namespace voxa {

class TMainForm;

// The outcome texts in the current language.
platform::RemovalTexts CurrentRemovalTexts();

class SafeRemovalCommand : public QObject {
    Q_OBJECT
public:
    // What the command needs of the main window.
    struct Window {
        std::function<bool()> closeFrames;     // false when the user kept a frame open
        std::function<void()> showStartPanel;  // after the frames were closed
        std::function<void()> closeManager;    // closes the window, saving the settings
    };
    explicit SafeRemovalCommand(Window window, QObject *parent = nullptr);

    // Whether the command can act on the drive of that letter now: a mounted
    // disk, and no removal running.
    bool Available(QChar letter) const;
    // The command itself.
    void Run(QChar letter);
    bool IsRunning() const { return m_job.IsRunning(); }
    platform::SafeRemovalJob &Job() { return m_job; }

signals:
    // The removal has ended and its message has been shown.
    void Finished(platform::RemovalOutcome outcome);

private:
    void jobFinished(const platform::RemovalResult &result);

    Window m_window;
    platform::SafeRemovalJob m_job;
};

// Adds the command to the main window's menu (the VOXA menu), with its language
// number; the item is enabled only for a drive that can be removed.
QAction *AddSafeRemovalCommand(TMainForm &form, QMenu *menu);

}  // namespace voxa
