#pragma once
// Stand-ins for the frames, dialogs and drive locator that other parts of the
// program provide, so the main window can be driven on its own.
#include "app/appstate.h"
#include "app/drivelocator.h"
#include "app/framecatalog.h"
#include "app/mainform.h"
#include "app/otherframe.h"
#include "app/editorframe.h"
#include "ui/skinbutton.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"

#include <QStringList>

namespace voxa::test {

// A tool frame that records what happens to it.
class StubOtherFrame : public TOtherFrame, public SortResumeStep, public QuarantineField {
public:
    StubOtherFrame(FrameHost *host, QWidget *parent, QSize size, QString name)
        : TOtherFrame(host, parent, size), name(std::move(name))
    {
        OKButton->setClickHandler([this] {
            ++okClicks;
            CloseFrame(false);
        });
    }
    void OnShowFrame() override
    {
        TOtherFrame::OnShowFrame();
        ++shown;
    }
    void OnCloseFrame() override { ++closed; }
    void RefreshTitle() override { ++titles; }
    void ResumeInterruptedSort() override { ++resumed; }
    QString QuarantineDir() const override { return quarantine; }

    QString name;
    int shown = 0;
    int closed = 0;
    int titles = 0;
    int okClicks = 0;
    int resumed = 0;
    QString quarantine = QStringLiteral("Quarantine");
};

// An editor whose answers are set by the test.
class StubEditor : public TEditorFrame, public MessageReferenceSet, public PictureImport {
public:
    explicit StubEditor(FrameHost *host, QSize size = QSize(348, 240))
        : TEditorFrame(host)
    {
        resize(size);
    }
    bool Load() override
    {
        loads << FileName();
        return loadResult;
    }
    bool SaveDocument() override
    {
        ++saves;
        savedAs << FileName();
        if (FileName().isEmpty() && saveAsName.isEmpty())
            return false;
        if (FileName().isEmpty())
            setFileName(saveAsName);
        setModified(false);
        return true;
    }
    bool CloseEditor(bool keepHidden) override
    {
        ++closeRequests;
        if (refuseClose)
            return false;
        hide();
        setModified(false);
        if (!keepHidden)
            Host()->ShowStartPanel();
        return true;
    }
    void RefreshTitle() override { ++titles; }
    bool ImageKeyDown(int key, Qt::KeyboardModifiers) override
    {
        keys << key;
        return takeKeys;
    }
    bool LoadReferenceSet(const QString &path, bool isDefault) override
    {
        referenceLoads << path;
        referenceDefault = isDefault;
        return true;
    }
    bool ImportPicture(const QString &path) override
    {
        imports << path;
        return importResult;
    }

    bool loadResult = true;
    bool refuseClose = false;
    bool takeKeys = false;
    bool importResult = true;
    QString saveAsName;
    int saves = 0;
    int closeRequests = 0;
    int titles = 0;
    QStringList loads;
    QStringList savedAs;
    QList<int> keys;
    QStringList referenceLoads;
    bool referenceDefault = false;
    QStringList imports;
};

// The drive locator: a fixed drive, normal run or install mode, and a
// record of its calls.
class StubLocator : public DriveLocator {
public:
    TOtherFrame *createChooser(StartupHost &host, QWidget *parent) override
    {
        chooser = new StubOtherFrame(&host, parent, QSize(436, 180), QStringLiteral("chooser"));
        return chooser;
    }
    bool LocateManager(StartupHost &main, bool chooserMode) override
    {
        calls << chooserMode;
        main.setNavigationEnabled(false);
        appState().DriveLetter = drive;
        if (chooserMode) {
            main.showMenuBar();
            main.showFrame(chooser);
            return true;
        }
        if (terminate) {
            main.removeActivationHandler();
            appState().Terminating = true;
            return true;
        }
        if (normalRun)
            main.loadWindowSettings();
        return normalRun;
    }
    void CompleteInstallation(StartupHost &) override { ++completions; }

    QChar drive = QLatin1Char('V');
    bool normalRun = true;
    bool terminate = false;
    QList<bool> calls;
    int completions = 0;
    StubOtherFrame *chooser = nullptr;
};

// The device-file dialog: answers with a fixed path (empty = cancelled).
class StubFileDialog : public QWidget, public DeviceFileDialog {
public:
    QWidget *Window() override { return this; }
    void setMode(Mode m) override { mode = m; }
    void setFolder(const QString &f) override { folder = f; }
    void setExtension(const QString &e) override { extension = e; }
    void ShowModalAt(QPoint p) override
    {
        ++shows;
        at = p;
    }
    QString ResultPath() const override { return answer; }

    Mode mode = Mode::Save;
    QString folder;
    QString extension;
    QPoint at;
    QString answer;
    int shows = 0;
};

class StubProxyDialog : public QWidget, public ProxyDialog {
public:
    QWidget *Window() override { return this; }
    ProxyValues Values() const override { return values; }
    void setValues(const ProxyValues &v) override { values = v; }
    void ShowModal() override { ++shows; }
    ProxyValues values{true, QStringLiteral("junk"), 1};
    int shows = 0;
};

}  // namespace voxa::test
