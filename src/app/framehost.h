#pragma once
// What a frame may ask of the main window. Frames see the window only
// through this, not through its widgets, so they can be built and tested
// with a host of the test's own.
#include "app/framecatalog.h"

#include <QList>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace voxa {

class TIniFileHandler;

class FrameHost {
public:
    virtual ~FrameHost() = default;
    // Returns to the start panel (animated).
    virtual void ShowStartPanel() = 0;
    // The title line under the menu bar.
    virtual void setTitleLine(const QString &text) = 0;
    virtual QString titleLine() const = 0;
    // The title line's own font again, after a frame wrote in another.
    virtual void restoreTitleFont() = 0;
    // The window's place on the screen, for boxes placed relative to it.
    virtual QRect windowGeometry() const = 0;
    // The parent for a frame's own modal windows.
    virtual QWidget *hostWindow() = 0;
    // Whether the window uses its small font set (large screen fonts).
    virtual bool smallFontSet() const = 0;
    // The shared device-file dialog; nullptr when there is none.
    virtual DeviceFileDialog *fileDialog() const = 0;
    // The element-number prompt of the MyRadio export; nullptr when none.
    virtual QWidget *elementPrompt() const = 0;
    // The proxy dialog; nullptr when there is none.
    virtual ProxyDialog *proxyDialog() const = 0;
    // Enables or disables the Open, Save and Save As tool buttons.
    virtual void setFileToolsEnabled(bool enabled) = 0;
    // Enables or disables the menu bar and the title band together.
    virtual void setMenusEnabled(bool enabled) = 0;
    // The caption of the VOXA menu's message editor item.
    virtual QString messageEditorCaption() const = 0;
    // The caption of the menu item that shows a frame of this kind, without
    // its accelerator mark.
    virtual QString frameCaption(FrameKind kind) const = 0;

    // Another frame of the window; nullptr when this build has none.
    virtual QWidget *frame(FrameKind kind) const = 0;
    // Makes a frame the current one (animated); then runs once it shows.
    virtual void showFrame(QWidget *frame, std::function<void()> then = {}) = 0;

    // The settings file and its saving (only in a normal run).
    virtual TIniFileHandler &settings() = 0;
    virtual void saveSettings() = 0;

    // While a frame works, nothing may leave it: the menus, the header's
    // close button, the Exit tool, Escape and Return and closing the window
    // do nothing. Calls nest; the last setBusy(false) ends the state.
    virtual void setBusy(bool busy) = 0;
    virtual bool frameBusy() const = 0;
    // Closes the window once the step that asks has returned.
    virtual void closeLater() = 0;
};

// Keys a control handles itself, before the window's keys see them (an edit
// field's Return and Escape). The window's key routing leaves them alone.
void ClaimKeys(QWidget *control, const QList<int> &keys);
bool ClaimsKey(const QWidget *control, int key);

// The busy state for the length of a scope.
class BusyScope {
public:
    explicit BusyScope(FrameHost *host) : m_host(host)
    {
        if (m_host)
            m_host->setBusy(true);
    }
    ~BusyScope()
    {
        if (m_host)
            m_host->setBusy(false);
    }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    FrameHost *m_host;
};

}  // namespace voxa
