#pragma once
// The about box: a picture, the product line with the version, and OK.
#include "app/otherframe.h"

class QLabel;

namespace voxa {

class TAboutFrame : public TOtherFrame {
    Q_OBJECT
public:
    TAboutFrame(FrameHost *host, QWidget *parent);

    static constexpr QSize FrameSize{408, 296};

    QLabel *AboutImage = nullptr;
    QLabel *AboutLabel = nullptr;

    // The product line and version; the menus, the border and the file tool
    // buttons are disabled while the box is up.
    void OnShowFrame() override;
    void OnCloseFrame() override;
    void OKButtonClick();

    static QString AboutText();
};

}  // namespace voxa
