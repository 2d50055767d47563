#include "app/saferemoval.h"

#include "app/appstate.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "app/owntexts.h"
#include "platform/drives.h"
#include "platform/notifications.h"
#include "platform/prompts.h"

#include <QAction>
#include <QMenu>

namespace voxa {

platform::RemovalTexts CurrentRemovalTexts()
{
    platform::RemovalTexts t;
    t.removed = ownText(OwnText::DiskRemoved);
    t.unmountedOnly = ownText(OwnText::DiskUnmountedOnly);
    t.busy = ownText(OwnText::DiskBusy);
    t.notAuthorized = ownText(OwnText::RemovalNotAuthorized);
    t.noService = ownText(OwnText::RemovalNoService);
    t.failed = ownText(OwnText::RemovalFailed);
    return t;
}

SafeRemovalCommand::SafeRemovalCommand(Window window, QObject *parent)
    : QObject(parent), m_window(std::move(window))
{
    connect(&m_job, &platform::SafeRemovalJob::Finished, this, &SafeRemovalCommand::jobFinished);
}

bool SafeRemovalCommand::Available(QChar letter) const
{
    if (m_job.IsRunning())
        return false;
    const std::optional<platform::DriveInfo> d = platform::driveTable().drive(letter);
    return d && platform::CanSafelyRemove(*d);
}

void SafeRemovalCommand::Run(QChar letter)
{
    const std::optional<platform::DriveInfo> d = platform::driveTable().drive(letter);
    if (m_job.IsRunning() || !d || !platform::CanSafelyRemove(*d))
        return;
    if (!platform::RunsFromDrive(d->root)) {
        // An editor's unsaved document belongs on the disk before it goes.
        if (m_window.closeFrames && !m_window.closeFrames())
            return;
        if (m_window.showStartPanel)
            m_window.showStartPanel();
        m_job.Start(d->device, d->root);
        return;
    }
    // The manager's own program is open on the disk: the disk can go only
    // after the manager has ended.
    if (prompts().ask(QString(), ownText(OwnText::RemoveRunningManager), Button::Yes | Button::No, Button::No)
        != Button::Yes)
        return;
    if (m_window.closeFrames && !m_window.closeFrames())
        return;
    const QString error = platform::StartRemovalAfterExit(d->device, d->root, CurrentRemovalTexts());
    if (!error.isEmpty()) {
        prompts().error(ownText(OwnText::RemovalNotStarted) + QStringLiteral(" [") + error + QLatin1Char(']'));
        return;
    }
    if (m_window.closeManager)
        m_window.closeManager();
}

void SafeRemovalCommand::jobFinished(const platform::RemovalResult &result)
{
    const QString text = platform::RemovalMessage(result, CurrentRemovalTexts());
    // The user may have turned to another window while the service asked
    // for a password or the drive spun down.
    platform::NotifyEndedIfInactive(platform::RemovalMessage({result.outcome, {}}, CurrentRemovalTexts()),
                                    result.detail);
    switch (result.outcome) {
    case platform::RemovalOutcome::Removed:
    case platform::RemovalOutcome::UnmountedOnly:
        prompts().info(text);
        break;
    case platform::RemovalOutcome::Busy:
    case platform::RemovalOutcome::NotAuthorized:
        prompts().warning(text);
        break;
    case platform::RemovalOutcome::NoService:
    case platform::RemovalOutcome::Failed:
        prompts().error(text);
        break;
    }
    emit Finished(result.outcome);
}

QAction *AddSafeRemovalCommand(TMainForm &form, QMenu *menu)
{
    auto *command = new SafeRemovalCommand(
        {[&form] { return form.CloseActiveFrame(true); }, [&form] { form.ShowStartPanel(); },
         [&form] { form.close(); }},
        &form);
    auto *item = new QAction(ownText(OwnText::SafelyRemoveDisk), menu);
    item->setObjectName(QStringLiteral("SafelyRemoveDisk"));
    item->setShortcutContext(Qt::WidgetShortcut);
    TMainForm::setImageIndex(item, -1);
    item->setEnabled(false);
    menu->addSeparator();
    menu->addAction(item);
    QObject::connect(item, &QAction::triggered, command, [&form, command] {
        form.RunCommand([command] { command->Run(appState().DriveLetter); });
    });
    // The drive may have come or gone since: look when the menu opens.
    QObject::connect(menu, &QMenu::aboutToShow, item,
                     [item, command] { item->setEnabled(command->Available(appState().DriveLetter)); });
    LanguageTargets::instance().add(ownNumber(OwnText::SafelyRemoveDisk), item,
                                    [item](const QString &t) { item->setText(t); });
    return item;
}

}  // namespace voxa
