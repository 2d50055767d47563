// The window's language, settings, dialogs and the activation handler.
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/editorframe.h"
#include "app/frametable.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "app/otherframe.h"
#include "app/version.h"
#include "platform/prompts.h"
#include "ui/skinaccessible.h"
#include "ui/artwork.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace voxa {
namespace {

const char *const ImageIndexProperty = "ImageIndex";

QString onDrive(const QString &below)
{
    return QString(appState().DriveLetter) + QStringLiteral(":\\") + below;
}

}  // namespace

QAction *TMainForm::languageItem(int index) const
{
    const QList<QAction *> items = LanguageSubMenu->actions();
    return index >= 0 && index < items.size() ? items[index] : nullptr;
}

void TMainForm::ListLanguages()
{
    LanguageList = FindLanguages(onDrive(QStringLiteral("voxa\\manager\\Language")));
    for (const LanguageEntry &entry : LanguageList) {
        QAction *a = LanguageSubMenu->addAction(entry.displayName);
        a->setProperty(ImageIndexProperty, -1);
        a->setIconVisibleInMenu(true);
        connect(a, &QAction::triggered, this, [this, a] { LangChoose(a); });
    }
}

void TMainForm::ApplyLanguage(const QString &name)
{
    m_settings.SetDrive(appState().DriveLetter);
    m_settings.setLanguage(name);
    const QList<QAction *> items = LanguageSubMenu->actions();
    for (QAction *a : items)
        setImageIndex(a, -1);
    int found = -1;
    for (int i = 0; i < std::min<qsizetype>(items.size(), LanguageList.size()); ++i)
        if (LanguageList[i].displayName == name) {
            found = i;
            break;
        }
    if (found >= 0) {
        setImageIndex(languageItem(found), CheckMarkImage);
        // A file that cannot be read leaves the texts as they are.
        ApplyLanguageFile(onDrive(QStringLiteral("voxa\\manager\\Language\\") + LanguageList[found].fileName));
        ApplyQtTranslation(LanguageList[found].code);
        appState().savedTop = y();
        appState().savedLeft = x();
        SaveSettings();
    }
    for (const FrameRow &row : FrameTable()) {
        if (TEditorFrame *editor = Editor(row.kind))
            editor->RefreshTitle();
        else if (TOtherFrame *frame = OtherFrame(row.kind))
            frame->RefreshTitle();
    }
    SkinToolButtons();
    RefreshAccessibleNames();
}

// ================================================================= settings

ProxyValues TMainForm::CurrentProxyValues() const
{
    return m_proxyDialog ? m_proxyDialog->Values() : m_proxy;
}

void TMainForm::SaveSettings()
{
    if (!appState().NormalRun)
        return;
    m_settings.SetDrive(appState().DriveLetter);
    // The language is read before anything is set: setting a key on a file
    // in the old binary layout starts a new text file.
    const QString language = m_settings.language();
    const QPoint position = savedPosition({appState().savedLeft, appState().savedTop});
    m_settings.setVersion(ManagerVersion);
    m_settings.setLanguage(language);
    m_settings.setWindowPosition(position.x(), position.y());
    m_settings.setDisplayType(appState().DisplayType);
    const ProxyValues proxy = CurrentProxyValues();
    m_settings.setUseProxy(proxy.UseProxy);
    m_settings.setProxyServer(proxy.Server);
    m_settings.setProxyPort(proxy.Port);
    const auto *quarantine = dynamic_cast<const QuarantineField *>(Frame(FrameKind::FindExport));
    m_settings.setQuarantineDir(quarantine ? quarantine->QuarantineDir() : m_settings.quarantineDir());
    if (!m_settings.SaveFile())
        reportSettingsNotSaved();
}

void TMainForm::LoadWindowSettings()
{
    m_settings.SetDrive(appState().DriveLetter);
    // A position saved on another screen layout (or by a window that could
    // not tell where it stood) may lie off the screens: the header must be
    // reachable.
    const QPoint p = KeepOnScreen(m_settings.windowPosition(), placementSize(), AvailableScreenAreas());
    appState().savedLeft = p.x();
    appState().savedTop = p.y();
    appState().DisplayType = m_settings.displayType();
    move(appState().savedLeft, appState().savedTop);
}

void TMainForm::LoadProxySettings()
{
    m_settings.SetDrive(appState().DriveLetter);
    m_proxy.UseProxy = m_settings.useProxy();
    m_proxy.Server = m_settings.proxyServer();
    m_proxy.Port = m_settings.proxyPort();
    if (m_proxyDialog)
        m_proxyDialog->setValues(m_proxy);
}

void TMainForm::WriteInstallSettings()
{
    m_settings.SetDrive(appState().DriveLetter);
    // The language is read before anything is set: setting a key on a file
    // in the old binary layout starts a new text file.
    const QString language = m_settings.language();
    const QPoint position = savedPosition(pos());
    m_settings.setVersion(ManagerVersion);
    m_settings.setLanguage(language);
    m_settings.setWindowPosition(position.x(), position.y());
    if (!m_settings.SaveFile())
        reportSettingsNotSaved();
}

QPoint TMainForm::savedPosition(QPoint current)
{
    // Where the platform cannot tell the window's position, the one saved
    // before is kept rather than a guess.
    const QPoint position = WindowPositionKnown() ? current : m_settings.windowPosition();
    return KeepOnScreen(position, placementSize(), AvailableScreenAreas());
}

void TMainForm::reportSettingsNotSaved()
{
    // Lost settings are no reason to stop, but the user should know why
    // the next start does not remember them.
    MessageBox box;
    box.text = QStringLiteral("The settings could not be saved to %1: %2")
                   .arg(m_settings.filePath(), m_settings.SaveError());
    box.icon = BoxIcon::Warning;
    box.placement = Placement::frameBox();
    prompts().message(box);
}

// ================================================================== dialogs

void TMainForm::CreateDialogs()
{
    const DialogFactories &f = RegisteredDialogs();
    auto adopt = [this](QWidget *w) {
        if (w && w->parentWidget() != this)
            w->setParent(this, w->windowFlags() | Qt::Dialog);
        if (w)
            w->hide();
    };
    if (f.fileDialog && (m_fileDialog = f.fileDialog(*this, this)))
        adopt(m_fileDialog->Window());
    if (f.elementPrompt && (m_elementPrompt = f.elementPrompt(*this, this)))
        adopt(m_elementPrompt);
    if (f.deleteDialog && (m_deleteDialog = f.deleteDialog(*this, this)))
        adopt(m_deleteDialog->Window());
    if (f.proxyDialog && (m_proxyDialog = f.proxyDialog(*this, this))) {
        adopt(m_proxyDialog->Window());
        ProxyValues initial = m_proxyDialog->Values();
        initial.Port = 8080;
        m_proxyDialog->setValues(initial);
    }
}

void TMainForm::InstallActivationHandler()
{
    if (m_activationHandler)
        return;
    m_activationHandler = true;
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (m_activationHandler && state == Qt::ApplicationActive)
            ApplicationActivate();
    });
}

void TMainForm::RemoveActivationHandler()
{
    if (!m_activationHandler)
        return;
    m_activationHandler = false;
    disconnect(qApp, &QGuiApplication::applicationStateChanged, this, nullptr);
}

void TMainForm::ApplicationActivate()
{
    const std::pair<QWidget *, bool> dialogs[] = {
        {m_fileDialog ? m_fileDialog->Window() : nullptr, true},
        {m_deleteDialog ? m_deleteDialog->Window() : nullptr, true},
        {m_elementPrompt.data(), false},
        {m_proxyDialog ? m_proxyDialog->Window() : nullptr, false},
    };
    for (const auto &[w, focus] : dialogs) {
        if (!w || !w->isVisible())
            continue;
        w->raise();
        if (focus) {
            w->activateWindow();
            w->setFocus();
        }
    }
}

void TMainForm::EndEventLoop()
{
    QCoreApplication::exit(0);
}

}  // namespace voxa
