#pragma once
// Who provides the frames and dialogs of the main window. Each feature
// registers a factory for what it builds; the start-up sequence creates every
// registered frame once, in its fixed order, and leaves out what nobody
// provides. The main window itself knows the frames only through the small
// interfaces below.
#include <QPoint>
#include <QList>
#include <QString>
#include <functional>

#include "editors/myradio/myradiofile.h"

class QWidget;

namespace voxa {

class FrameHost;

// The frames created by the start-up sequence (the start panel and the drive
// chooser are created before, see drivelocator.h).
enum class FrameKind {
    Chooser,
    Sort,
    PlaydisplayEditor,
    MyRadioEditor,
    LogoEditor,
    ConfigEditor,
    MessageEditor,
    About,
    Update,
    FindExport,
    MyRadioCopy,
    Count,  // not a frame: the number of kinds
};
inline constexpr int FrameKindCount = int(FrameKind::Count);

// Creates a frame as a hidden child of parent (the main window), seeing the
// window only through host. The five editors return a TEditorFrame
// (app/editorframe.h), the others a TOtherFrame (app/otherframe.h). Chooser
// factories are not registered here.
using FrameFactory = std::function<QWidget *(FrameHost &host, QWidget *parent)>;
void RegisterFrame(FrameKind kind, FrameFactory factory);
FrameFactory FrameFactoryFor(FrameKind kind);

// ------------------------------------------------------------------ dialogs

// The device-file dialog (TFileDialog).
class DeviceFileDialog {
public:
    enum class Mode { Open, Save };
    virtual ~DeviceFileDialog() = default;
    virtual QWidget *Window() = 0;
    virtual void setMode(Mode mode) = 0;
    // Full folder path including the drive, without a closing "\".
    virtual void setFolder(const QString &folder) = 0;
    virtual void setExtension(const QString &extension) = 0;
    // Shows the dialog modally with its top-left corner at a screen point.
    virtual void ShowModalAt(QPoint topLeft) = 0;
    // The chosen full path; empty when cancelled.
    virtual QString ResultPath() const = 0;
};

// The delete dialog (TDeleteFile). It places itself.
class DeleteFileDialog {
public:
    virtual ~DeleteFileDialog() = default;
    virtual QWidget *Window() = 0;
    virtual void setFolder(const QString &folder) = 0;
    virtual void setExtension(const QString &extension) = 0;
    virtual void ShowModal() = 0;
};

struct ProxyValues {
    bool UseProxy = false;
    QString Server;
    int Port = 8080;
    bool operator==(const ProxyValues &) const = default;
};

// The proxy dialog (TProxySetupForm): its check box and two fields.
class ProxyDialog {
public:
    virtual ~ProxyDialog() = default;
    virtual QWidget *Window() = 0;
    virtual ProxyValues Values() const = 0;
    virtual void setValues(const ProxyValues &values) = 0;
    virtual void ShowModal() = 0;
};

// Each factory returns the dialog, which must itself be the widget that
// Window() returns; parent (the main window) becomes its owner. The element
// prompt (TGetElement) is used by the MyRadio editor only; the main window
// just keeps it in front.
struct DialogFactories {
    std::function<DeviceFileDialog *(FrameHost &host, QWidget *parent)> fileDialog;
    std::function<QWidget *(FrameHost &host, QWidget *parent)> elementPrompt;
    std::function<DeleteFileDialog *(FrameHost &host, QWidget *parent)> deleteDialog;
    std::function<ProxyDialog *(FrameHost &host, QWidget *parent)> proxyDialog;
};
DialogFactories &RegisteredDialogs();

// Forgets every registration (tests).
void ClearRegistrations();

// ----------------------------------------------- what frames offer besides

// The sort frame: rolls back a sort that was interrupted (voxa\Temp\Sort.dat).
class SortResumeStep {
public:
    virtual ~SortResumeStep() = default;
    virtual void ResumeInterruptedSort() = 0;
};

// The message editor: reads a message file as the reference set.
class MessageReferenceSet {
public:
    virtual ~MessageReferenceSet() = default;
    virtual bool LoadReferenceSet(const QString &path, bool isDefault) = 0;
};

// The logo editor: imports a picture file.
class PictureImport {
public:
    virtual ~PictureImport() = default;
    virtual bool ImportPicture(const QString &path) = 0;
};

// The MyRadio copy frame in editor mode. The MyRadio editor's Copy button
// hands over its profile (file name and elements, as in the file) and its
// modified mark, then closes itself with CloseEditor(true) and the main
// window shows the copy frame. The copy frame's Close shows the editor
// again and gives the mark back (EditorModeEnded); leaving the copy frame
// any other way closes the editor's profile as the editor's own Close does
// (EditorModeLeft).
class MyRadioCopyHandOff {
public:
    virtual ~MyRadioCopyHandOff() = default;
    virtual void EnterEditorMode(const QString &profileFileName, const QList<MyRadioElement> &elements,
                                 bool modified) = 0;
};

// The MyRadio editor as the copy frame sees it when editor mode ends.
class MyRadioCopyReturn {
public:
    virtual ~MyRadioCopyReturn() = default;
    // Shows the editor again with its list and file name as they were, and
    // the modified mark it had.
    virtual void EditorModeEnded(bool modified) = 0;
    // The copy frame is left for another frame or the window closes: with
    // the mark given back, the editor asks about unsaved changes and closes
    // its profile, staying hidden. False when the user cancelled; the
    // editor then keeps the profile for the copy frame, which stays open.
    virtual bool EditorModeLeft(bool modified) = 0;
};

// The find and export frame: the quarantine folder the user entered.
class QuarantineField {
public:
    virtual ~QuarantineField() = default;
    virtual QString QuarantineDir() const = 0;
};

}  // namespace voxa
