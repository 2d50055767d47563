#pragma once
// The base of the tool frames (chooser, sort, update, about, find and export,
// MyRadio copy): a panel filling the frame and an OK button at the bottom
// right. Showing the frame runs OnShowFrame; closing it runs OnCloseFrame and
// returns to the start panel.
#include <QWidget>

namespace voxa {

class FrameHost;
class TSkinButton;
class TSkinPanel;

class TOtherFrame : public QWidget {
    Q_OBJECT
public:
    // Created hidden, as a child of parent (the main window), at the given
    // size; it sees the window through host.
    TOtherFrame(FrameHost *host, QWidget *parent, QSize size);

    TSkinPanel *MainPanel = nullptr;
    TSkinButton *OKButton = nullptr;  // "OK", 81 x 25

    // Runs whenever the frame becomes visible. Base: disables the Open, Save
    // and Save As tool buttons.
    virtual void OnShowFrame();
    // Runs when the frame is closed. Base: nothing.
    virtual void OnCloseFrame();
    // Runs when the main panel changes size. Base: OKButton at the bottom
    // right, 6 pixels from the right, 30 from the bottom.
    virtual void LayoutButtons();
    // Rebuilds texts after a language change and, while visible, writes the
    // frame's title line. Base: nothing.
    virtual void RefreshTitle();

    // Runs before the frame closes; false keeps it open (the user cancelled
    // a question about work the frame holds for another frame). Base: true.
    virtual bool QueryCloseFrame();

    // Unless QueryCloseFrame refuses: hides the frame, runs OnCloseFrame and,
    // unless keepHidden, shows the start panel. False when refused.
    bool CloseFrame(bool keepHidden);

    // The main window as a frame sees it.
    FrameHost *Host() const { return m_host; }

protected:
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    FrameHost *m_host;
};

}  // namespace voxa
