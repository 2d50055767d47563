#include "app/frametable.h"

#include "app/picturechooser.h"

#include <algorithm>
#include <array>
#include <vector>

namespace voxa {
namespace {

constexpr const char *ConfigFolder = ":\\voxa\\config";
constexpr const char *MyRadioFolder = ":\\voxa\\myradio";

using B = skin::StartButton;

// clang-format off
constexpr std::array<FrameRow, FrameKindCount> Rows = {{
    {.kind = FrameKind::Chooser, .closeRank = 5, .returnRank = 3},
    {.kind = FrameKind::Sort, .status = "Initializing Sort Directory...",
     .menu = FrameMenu::Options, .menuOrder = 0, .showItem = {"Sort Directory", "SortDirectory1"},
     .showCaption = 190, .closeRank = 6, .returnRank = 2},
    {.kind = FrameKind::PlaydisplayEditor, .status = "Initializing Playdisplay Editor...",
     .folder = ConfigFolder, .extension = "ply",
     .menu = FrameMenu::Voxa, .menuOrder = 4, .showItem = {"&Playdisplay Editor", "PlayDisplEditorItem"},
     .openItem = {"&Playdisplay File...", "PlaydisplayFileOpen"},
     .popupItem = {"Playdisplay File...", "PlaydisplayFilePopUp"},
     .deleteItem = {"&Playdisplay File...", "PlaydisplayFile1"},
     .startButton = {"PlaydisplayButton", B::Playdisplay, {191, 40}, 1},
     .showCaption = 15, .fileCaption = 10, .closeRank = 0, .takesKeys = true},
    {.kind = FrameKind::MyRadioEditor, .status = "Initializing MyRadio Editor...",
     .folder = MyRadioFolder, .extension = "mra",
     .menu = FrameMenu::Voxa, .menuOrder = 3, .showItem = {"My&Radio Editor", "MyProfileEditMenuItem"},
     .openItem = {"My&Radio File..", "MyRadioProfOpen"},
     .popupItem = {"MyRadio File...", "MyRadioProfPopUp"},
     .deleteItem = {"My&Radio File...", "MyRadioFile1"},
     .startButton = {"MyRadioButton", B::MyRadio, {191, 2}, 4},
     .showCaption = 14, .fileCaption = 9, .closeRank = 1, .returnReachesFrame = true},
    {.kind = FrameKind::LogoEditor, .status = "Initializing Logo Editor...",
     .folder = ConfigFolder, .extension = "lce",
     .menu = FrameMenu::Voxa, .menuOrder = 1, .showItem = {"&Logo Editor", "LogoEditorItem"},
     .openItem = {"&Logo File...", "LoadLogoFile"},
     .popupItem = {"Logo File...", "LogoPopupItem"},
     .deleteItem = {"&Logo File...", "LogoFile1"},
     .startButton = {"LogoButton", B::Logo, {16, 40}, 2},
     .showCaption = 12, .fileCaption = 7, .closeRank = 4, .showStep = ChoosePictureThenShow},
    {.kind = FrameKind::ConfigEditor, .status = "Initializing Config Editor...",
     .folder = ConfigFolder, .extension = "cfg",
     .menu = FrameMenu::Voxa, .menuOrder = 0, .showItem = {"&Config Editor", "ConfigEditMenuItem"},
     .openItem = {"&Config File..", "ConfigFileOpen"},
     .popupItem = {"Config File...", "ConfigFilePopUp"},
     .deleteItem = {"&Config File...", "ConfigFile1"},
     .startButton = {"ConfigButton", B::Config, {16, 2}, 0},
     .showCaption = 11, .fileCaption = 6, .closeRank = 2},
    {.kind = FrameKind::MessageEditor, .status = "Initializing Message Editor...",
     .folder = ConfigFolder, .extension = "mgs",
     .menu = FrameMenu::Voxa, .menuOrder = 2, .showItem = {"&Message Editor", "MSGEditMenuItem"},
     .openItem = {"&Message File...", "LoadMGSFile"},
     .popupItem = {"Message File...", "MessagePopupItem"},
     .deleteItem = {"&Message File...", "MessageFile1"},
     .startButton = {"MessageButton", B::Message, {16, 78}, 3},
     .showCaption = 13, .fileCaption = 8, .closeRank = 3},
    {.kind = FrameKind::About, .status = "Initializing About...",
     .menu = FrameMenu::Help, .menuOrder = 0, .showItem = {"&About VOXA Manager", "AboutMenuItem"},
     .showCaption = 191, .closeRank = 8, .returnRank = 0},
    {.kind = FrameKind::Update, .status = "Initializing Updater...",
     .menu = FrameMenu::Voxa, .menuOrder = 5, .separatorBefore = true, .showItem = {"&Update", "Update1"},
     .startButton = {"UpdateButton", B::Update, {191, 78}, 5},
     .showCaption = 50, .closeRank = 7, .returnRank = 1},
    {.kind = FrameKind::FindExport, .status = "Initializing Find/Export...",
     .menu = FrameMenu::Options, .menuOrder = 1, .showItem = {"MP3 Find/Export", "FindExportMenu"},
     .showCaption = 200, .closeRank = 9},
    {.kind = FrameKind::MyRadioCopy, .status = "Initializing MyRadio Copy...",
     .menu = FrameMenu::Options, .menuOrder = 2, .showItem = {"MyRadio Copy", "MyRadioCopyMenu"},
     .showCaption = 243, .closeRank = 10},
}};
// clang-format on

constexpr bool rowsInKindOrder()
{
    for (size_t i = 0; i < Rows.size(); ++i)
        if (size_t(Rows[i].kind) != i)
            return false;
    return true;
}
static_assert(rowsInKindOrder(), "one row per frame kind, in the order of FrameKind");

std::vector<const FrameRow *> sortedBy(auto keep)
{
    std::vector<const FrameRow *> rows;
    for (const FrameRow &row : Rows)
        if (keep(row))
            rows.push_back(&row);
    std::stable_sort(rows.begin(), rows.end(), [](auto *a, auto *b) { return a->menuOrder < b->menuOrder; });
    return rows;
}

}  // namespace

std::span<const FrameRow> FrameTable()
{
    return Rows;
}

const FrameRow &RowOf(FrameKind kind)
{
    return Rows[size_t(kind)];
}

bool IsEditorKind(FrameKind kind)
{
    return RowOf(kind).extension != nullptr;
}

std::vector<const FrameRow *> RowsInMenu(FrameMenu menu)
{
    return sortedBy([menu](const FrameRow &row) { return row.menu == menu && row.showItem.text; });
}

std::vector<const FrameRow *> EditorRowsInMenuOrder()
{
    return sortedBy([](const FrameRow &row) { return row.extension != nullptr; });
}

}  // namespace voxa
