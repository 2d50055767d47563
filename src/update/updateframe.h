#pragma once
// The update frame: the six update rows with their ticks, the info line, the
// transfer progress and the Update and Cancel buttons. What the frame does is
// decided by TUpdateSession; the frame forwards clicks to it and shows what
// it reports.
#include "app/framehost.h"
#include "app/otherframe.h"
#include "update/updatesession.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace voxa {

class TSkinButton;
class TSkinProgressBar;

class TUpdateFrame : public TOtherFrame {
    Q_OBJECT
public:
    static constexpr QSize FrameSize{468, 236};
    TUpdateFrame(FrameHost *host, QWidget *parent);

    QTreeWidget *dlList = nullptr;
    QLabel *dlInfoLabel = nullptr;
    TSkinProgressBar *dlProgress = nullptr;
    // OKButton (of TOtherFrame) is "Update".
    TSkinButton *CancelButton = nullptr;

    TUpdateSession &Session() { return m_session; }

    // CheckForUpdates: the show step.
    void OnShowFrame() override;
    void OnCloseFrame() override;
    void LayoutButtons() override;
    // RefreshUpdateTexts.
    void RefreshTitle() override;

    void OKButtonClick();
    void CancelButtonClick();
    // ProxyCheckClick and ProxyPortEditChanged of the proxy dialog end here.
    void ApplyProxy(const ProxySettings &proxy);

private:
    void showRows();
    void showButtons();
    void showProgress();
    void listChanged(QTreeWidgetItem *item, int column);

    TUpdateSession m_session;
    bool m_showingRows = false;
    std::optional<BusyScope> m_hostBusy;  // while the session keeps the user here
};

void RegisterUpdateFrame();

}  // namespace voxa
