#pragma once
// Everything the main window knows of each frame kind, in one row: the
// status line that announces its creation, the folder and extension of an
// editor, the menu items and start-panel button that show it, the caption
// numbers of those items, and how the Return key and the closing order treat
// it. The start-up sequence, the commands, the keys and the language change
// all read this table; a new frame adds its folder, its factory and a row.
#include "app/framecatalog.h"

#include <span>

class QAction;

namespace voxa {

class TControlFrame;
class TMainForm;
class TSkinButton;

struct FrameRow {
    FrameKind kind;
    // Announced while the start-up creates the frame; nullptr: the start-up
    // does not create it (the chooser comes from the drive locator).
    const char *status = nullptr;
    // Editors: the folder below the drive (":\voxa\config") and extension.
    const char *folder = nullptr;
    const char *extension = nullptr;
    // The VOXA, Options or Help item that shows the frame.
    QAction *TMainForm::*showItem = nullptr;
    // Editors: the items of File > Open, the Open popup and File > Delete.
    QAction *TMainForm::*openItem = nullptr;
    QAction *TMainForm::*popupItem = nullptr;
    QAction *TMainForm::*deleteItem = nullptr;
    // The start panel's button that forwards to showItem.
    TSkinButton *TControlFrame::*startButton = nullptr;
    // Language numbers: of showItem, and of the three file items.
    int showCaption = -1;
    int fileCaption = -1;
    // CloseActiveFrame closes the first visible frame by this rank.
    int closeRank = 0;
    // Return presses the OK button of the first visible frame by this rank;
    // -1: never.
    int returnRank = -1;
    // Return reaches the frame instead of being used up.
    bool returnReachesFrame = false;
    // Every other key goes to the editor's ImageKeyDown while it is visible.
    bool takesKeys = false;
    // Its menu item runs the picture chooser before showing it.
    bool picksPicture = false;
};

// The rows in creation order (the chooser first, then the order of the
// start-up sequence).
std::span<const FrameRow> FrameTable();
const FrameRow &RowOf(FrameKind kind);
bool IsEditorKind(FrameKind kind);

}  // namespace voxa
