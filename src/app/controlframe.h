#pragma once
// The start panel: one big button per frame row that has one (the editors
// and the update), with their captions painted into their pictures.
#include "app/framecatalog.h"
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

    // The button that shows a frame kind; nullptr when the kind has none.
    TSkinButton *Button(FrameKind kind) const { return m_byKind[size_t(kind)]; }
    // The button cut from a row of the skin.
    TSkinButton *Button(skin::StartButton which) const;
    // Rebuilds the three pictures of every button with its current caption.
    void SkinButtons(bool smallFontSet);

    // Forwards to the main window's command of the frame's show item.
    void ButtonClick(TSkinButton *button);

private:
    TMainForm *m_main;
    std::array<TSkinButton *, skin::StartButtonCount> m_buttons{};
    std::array<TSkinButton *, FrameKindCount> m_byKind{};
};

}  // namespace voxa
