// The start-up sequence of the first activation, and the end: the close
// question, the settings and the closing animation. The steps run one per
// pass of the event loop, so each status line is painted before its step.
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/drivelocator.h"
#include "app/editorframe.h"
#include "app/frametable.h"
#include "app/mainform.h"
#include "app/otherframe.h"
#include "app/stepanimation.h"
#include "app/version.h"
#include "platform/fileops.h"
#include "ui/artwork.h"
#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <deque>

namespace voxa {
namespace {

QString onDrive(const QString &below)
{
    return QString(appState().DriveLetter) + QStringLiteral(":\\") + below;
}

using Steps = std::deque<std::function<void()>>;

// Runs the steps one per event-loop pass (at once in instant mode), then
// done.
void runSteps(QObject *context, std::shared_ptr<Steps> steps, std::function<void()> done)
{
    while (!steps->empty()) {
        auto step = std::move(steps->front());
        steps->pop_front();
        step();
        if (!StepAnimation::instant()) {
            QTimer::singleShot(0, context, [context, steps, done] { runSteps(context, steps, done); });
            return;
        }
    }
    done();
}

}  // namespace

void TMainForm::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (m_firstActivationPending) {
        raise();
        activateWindow();
    }
}

void TMainForm::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TMainForm::FormActivate()
{
    if (!m_firstActivationPending)
        return;
    m_firstActivationPending = false;
    m_starting = true;
    startupSteps();
}

void TMainForm::startupSteps()
{
    MenuBar->hide();
    InstallActivationHandler();

    StartPanel = new TControlFrame(this);
    StartPanel->ButtonPanel->setBackground(MakeFrameBackground(StartPanel->width(), StartPanel->height()));
    StartPanel->SkinButtons(m_smallFontSet);
    if (TOtherFrame *chooser = driveLocator().createChooser(*this, this)) {
        if (chooser->parentWidget() != this)
            chooser->setParent(this);
        chooser->hide();
        m_frames[size_t(FrameKind::Chooser)] = chooser;
    }

    appState().NormalRun = driveLocator().LocateManager(*this, false);
    if (appState().Terminating) {
        m_starting = false;
        emit startupFinished();
        return;
    }
    OpeningAnimation([this] {
        if (appState().NormalRun) {
            runNormalStartup();
            return;
        }
        FileNameLabel->setText(QStringLiteral("Install VOXA Manager v. ") + QString::fromLatin1(ManagerVersionText));
        EnsureFrame(FrameKind::Sort, false);
        m_starting = false;
        driveLocator().LocateManager(*this, true);
        emit startupFinished();
    });
}

void TMainForm::runNormalStartup()
{
    auto steps = std::make_shared<Steps>();
    steps->push_back([this] { setHeaderCaption(QStringLiteral("     Starting VOXA Manager")); });
    for (const FrameRow &row : FrameTable())
        if (row.status)
            steps->push_back([this, kind = row.kind] { EnsureFrame(kind, true); });
    steps->push_back([this] {
        m_framesCreated = true;
        ShowStartupStatus(QStringLiteral("Applying proxy settings..."));
        LoadProxySettings();
    });
    steps->push_back([this] {
        ShowStartupStatus(QStringLiteral("Directory found. Looking for language files..."));
        LanguageSubMenu->clear();
        ListLanguages();
    });
    steps->push_back([this] {
        ShowStartupStatus(QStringLiteral("Reading language files..."));
        m_settings.SetDrive(appState().DriveLetter);
        ApplyLanguage(m_settings.language());
        LoadWindowSettings();
        VOXATypeChoose(appState().DisplayType == 1 ? VOXAA : VOXAC1);
    });
    steps->push_back([this] {
        const bool messageEditor = !appState().MessageEditorDisabled;
        if (messageEditor) {
            ShowStartupStatus(QStringLiteral("Reading default.mgs..."));
            if (auto *reference = dynamic_cast<MessageReferenceSet *>(Frame(FrameKind::MessageEditor)))
                reference->LoadReferenceSet(onDrive(QStringLiteral("voxa\\manager\\default.mgs")), true);
        }
        const size_t message = size_t(FrameKind::MessageEditor);
        for (QAction *a : {m_showItems[message], m_popupItems[message], m_openItems[message]})
            a->setEnabled(messageEditor);
        StartPanel->Button(FrameKind::MessageEditor)->setEnabled(messageEditor);
    });
    steps->push_back([this] {
        if (fs::exists(onDrive(QStringLiteral("voxa\\manager\\copy.his")))) {
            ShowStartupStatus(QStringLiteral("Completing installation..."));
            driveLocator().CompleteInstallation(*this);
        }
    });
    steps->push_back([this] { ShowStartupStatus(QStringLiteral("Looking for uncompleted Sort Directory...")); });
    runSteps(this, steps, [this] {
        QWidget *sort = Frame(FrameKind::Sort);
        if (sort && fs::exists(onDrive(QStringLiteral("voxa\\Temp\\Sort.dat")))) {
            ShowFrame(sort, [this, sort] {
                if (auto *resume = dynamic_cast<SortResumeStep *>(sort))
                    resume->ResumeInterruptedSort();
                finishStartup();
            });
        } else {
            ShowFrame(StartPanel, [this] { finishStartup(); });
        }
    });
}

void TMainForm::finishStartup()
{
    setHeaderCaption(QStringLiteral("     VOXA Manager"));
    MenuBar->setEnabled(true);
    ToolPanel->setEnabled(true);
    MenuBar->show();
    m_starting = false;
    emit startupFinished();
}

bool TMainForm::FormCloseQuery()
{
    if (!CloseActiveFrame(true))
        return false;
    // An editor can hold unsaved changes while hidden (the MyRadio editor
    // while its profile is being copied); it is asked too.
    for (const FrameRow &row : FrameTable())
        if (TEditorFrame *editor = Editor(row.kind); editor && editor->Modified() && !editor->CloseEditor(true))
            return false;
    return true;
}

void TMainForm::FormClose(std::function<void()> then)
{
    if (appState().Terminating) {
        if (then)
            then();
        return;
    }
    appState().savedTop = y();
    appState().savedLeft = x();
    SaveSettings();
    ClosingAnimation(std::move(then));
}

void TMainForm::closeEvent(QCloseEvent *e)
{
    if (m_closed) {
        e->accept();
        return;
    }
    // The window closes when the closing animation has run; closing half-way
    // through the start-up or an animation would leave it running on a
    // closed window.
    e->ignore();
    if (Busy() || frameBusy())
        return;
    MenuBar->CloseMenus();
    if (!FormCloseQuery())
        return;
    m_closing = true;
    auto inHandler = std::make_shared<bool>(true);
    FormClose([this, inHandler] {
        m_closed = true;
        m_closing = false;
        // Finished at once (no animation to wait for): this event closes it.
        if (!*inHandler)
            close();
    });
    *inHandler = false;
    if (m_closed)
        e->accept();
}

}  // namespace voxa
