#pragma once
// Everything the main window knows of each frame kind, in one row: the
// status line that announces its creation, the folder and extension of an
// editor, the menu items and start-panel button that show it, the caption
// numbers of those items, and how the Return key and the closing order treat
// it. The start-up sequence, the menus, the start panel, the commands, the
// keys and the language change all read this table; a new frame adds its
// folder, its factory and a row.
#include "app/framecatalog.h"
#include "ui/skinregions.h"

#include <QPoint>
#include <span>
#include <vector>

class QWidget;

namespace voxa {

class FrameHost;

// The menu whose item shows a frame.
enum class FrameMenu { None, Voxa, Options, Help };

// A menu item: its caption before a language is applied, and its object
// name.
struct ItemText {
    const char *text = nullptr;
    const char *name = nullptr;
};

// A start-panel button: the picture it is cut from, its place, its
// position among the panel's buttons and its object name; its caption is
// the show item's.
struct StartButtonPlace {
    const char *name = nullptr;  // nullptr: the frame has no button
    skin::StartButton picture = skin::StartButton::Config;
    QPoint at;
    int order = 0;
};

struct FrameRow {
    FrameKind kind;
    // Announced while the start-up creates the frame; nullptr: the start-up
    // does not create it (the chooser comes from the drive locator).
    const char *status = nullptr;
    // Editors: the folder below the drive (":\voxa\config") and extension.
    const char *folder = nullptr;
    const char *extension = nullptr;
    // The VOXA, Options or Help item that shows the frame: its menu, its
    // order among that menu's frame items and whether a separator goes
    // before it.
    FrameMenu menu = FrameMenu::None;
    int menuOrder = 0;
    bool separatorBefore = false;
    ItemText showItem = {};
    // Editors: the items of File > Open, the Open popup and File > Delete,
    // in menuOrder too.
    ItemText openItem = {};
    ItemText popupItem = {};
    ItemText deleteItem = {};
    // The start panel's button that runs the show item.
    StartButtonPlace startButton = {};
    // Language numbers: of showItem (and the start button), and of the
    // three file items.
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
    // What the show item runs instead of showing the frame; nullptr: it
    // shows the frame.
    void (*showStep)(FrameHost &host, QWidget *frame) = nullptr;
};

// The rows in creation order (the chooser first, then the order of the
// start-up sequence).
std::span<const FrameRow> FrameTable();
const FrameRow &RowOf(FrameKind kind);
bool IsEditorKind(FrameKind kind);
// The rows whose item is in a menu, in their menu order.
std::vector<const FrameRow *> RowsInMenu(FrameMenu menu);
// The editor rows in the order of their file items.
std::vector<const FrameRow *> EditorRowsInMenuOrder();

}  // namespace voxa
