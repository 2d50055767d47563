#pragma once
// What a frame may ask of the main window. Frames see the window only
// through this, not through its widgets, so they can be built and tested
// with a host of the test's own.
#include <QRect>
#include <QString>

class QWidget;

namespace voxa {

class DeviceFileDialog;

class FrameHost {
public:
    virtual ~FrameHost() = default;
    // Returns to the start panel (animated).
    virtual void ShowStartPanel() = 0;
    // The title line under the menu bar.
    virtual void setTitleLine(const QString &text) = 0;
    virtual QString titleLine() const = 0;
    // The window's place on the screen, for boxes placed relative to it.
    virtual QRect windowGeometry() const = 0;
    // The parent for a frame's own modal windows.
    virtual QWidget *hostWindow() = 0;
    // The shared device-file dialog; nullptr when there is none.
    virtual DeviceFileDialog *fileDialog() const = 0;
    // The element-number prompt of the MyRadio export; nullptr when none.
    virtual QWidget *elementPrompt() const = 0;
    // Enables or disables the Open, Save and Save As tool buttons.
    virtual void setFileToolsEnabled(bool enabled) = 0;
    // Enables or disables the menu bar and the title band together.
    virtual void setMenusEnabled(bool enabled) = 0;
    // The caption of the VOXA menu's message editor item.
    virtual QString messageEditorCaption() const = 0;
};

}  // namespace voxa
