#pragma once
// The drive chooser: lists the drives a manager can live on, and installs
// onto the chosen one or starts the manager installed there.
#include "app/drivelocator.h"
#include "app/otherframe.h"
#include "device/installer.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace voxa {

class TChooseFrame : public TOtherFrame {
    Q_OBJECT
public:
    static constexpr QSize FrameSize{436, 180};
    TChooseFrame(StartupHost *host, QWidget *parent);

    QLabel *TextLabel = nullptr;
    QTreeWidget *DrivesView = nullptr;
    QLabel *InstallLabel = nullptr;
    TSkinButton *CloseButton = nullptr;

    void OnShowFrame() override;
    void OnCloseFrame() override;
    void LayoutButtons() override;
    void OKButtonClick();
    void CloseButtonClick();

    DeviceHost &Host() { return *m_host; }

private:
    std::unique_ptr<DeviceHost> m_host;
};

// The device layer's answer to the main window: the real chooser, drive
// check, hand-over, installation and its completion.
class DeviceDriveLocator : public DriveLocator {
public:
    TOtherFrame *createChooser(StartupHost &host, QWidget *parent) override;
    bool LocateManager(StartupHost &main, bool chooserMode) override;
    void CompleteInstallation(StartupHost &main) override;
};

// DeviceHost over the main window.
std::unique_ptr<DeviceHost> MakeMainFormHost(StartupHost &main, TChooseFrame *chooser);

}  // namespace voxa
