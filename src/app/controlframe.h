#pragma once
// The start panel: one big button per editor and one for the update, with
// their captions painted into their pictures.
#include "ui/skinregions.h"

#include <QWidget>
#include <array>

class QAction;

namespace voxa {

class TMainForm;
class TSkinButton;
class TSkinPanel;

class TControlFrame : public QWidget {
    Q_OBJECT
public:
    explicit TControlFrame(TMainForm *main);

    static constexpr QSize FrameSize{345, 151};

    TSkinPanel *ButtonPanel = nullptr;
    TSkinButton *ConfigButton = nullptr;
    TSkinButton *LogoButton = nullptr;
    TSkinButton *MessageButton = nullptr;
    TSkinButton *MyRadioButton = nullptr;
    TSkinButton *PlaydisplayButton = nullptr;
    TSkinButton *UpdateButton = nullptr;

    // The button cut from a row of the skin.
    TSkinButton *Button(skin::StartButton which) const;
    // Rebuilds the three pictures of every button with its current caption.
    void SkinButtons(bool smallFontSet);

    // Forwards to the main window's command of the matching VOXA menu item.
    void ButtonClick(TSkinButton *button);

private:
    TMainForm *m_main;
    std::array<TSkinButton *, skin::StartButtonCount> m_buttons{};
};

}  // namespace voxa
