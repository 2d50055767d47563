#include "app/frametable.h"

#include "app/controlframe.h"
#include "app/mainform.h"

#include <array>

namespace voxa {
namespace {

constexpr const char *ConfigFolder = ":\\voxa\\config";
constexpr const char *MyRadioFolder = ":\\voxa\\myradio";

using M = TMainForm;
using C = TControlFrame;

// clang-format off
constexpr std::array<FrameRow, FrameKindCount> Rows = {{
    {.kind = FrameKind::Chooser, .closeRank = 5, .returnRank = 3},
    {.kind = FrameKind::Sort, .status = "Initializing Sort Directory...",
     .showItem = &M::SortDirectory1, .showCaption = 190, .closeRank = 6, .returnRank = 2},
    {.kind = FrameKind::PlaydisplayEditor, .status = "Initializing Playdisplay Editor...",
     .folder = ConfigFolder, .extension = "ply",
     .showItem = &M::PlayDisplEditorItem, .openItem = &M::PlaydisplayFileOpen,
     .popupItem = &M::PlaydisplayFilePopUp, .deleteItem = &M::PlaydisplayFile1,
     .startButton = &C::PlaydisplayButton, .showCaption = 15, .fileCaption = 10,
     .closeRank = 0, .takesKeys = true},
    {.kind = FrameKind::MyRadioEditor, .status = "Initializing MyRadio Editor...",
     .folder = MyRadioFolder, .extension = "mra",
     .showItem = &M::MyProfileEditMenuItem, .openItem = &M::MyRadioProfOpen,
     .popupItem = &M::MyRadioProfPopUp, .deleteItem = &M::MyRadioFile1,
     .startButton = &C::MyRadioButton, .showCaption = 14, .fileCaption = 9,
     .closeRank = 1, .returnReachesFrame = true},
    {.kind = FrameKind::LogoEditor, .status = "Initializing Logo Editor...",
     .folder = ConfigFolder, .extension = "lce",
     .showItem = &M::LogoEditorItem, .openItem = &M::LoadLogoFile,
     .popupItem = &M::LogoPopupItem, .deleteItem = &M::LogoFile1,
     .startButton = &C::LogoButton, .showCaption = 12, .fileCaption = 7,
     .closeRank = 4, .picksPicture = true},
    {.kind = FrameKind::ConfigEditor, .status = "Initializing Config Editor...",
     .folder = ConfigFolder, .extension = "cfg",
     .showItem = &M::ConfigEditMenuItem, .openItem = &M::ConfigFileOpen,
     .popupItem = &M::ConfigFilePopUp, .deleteItem = &M::ConfigFile1,
     .startButton = &C::ConfigButton, .showCaption = 11, .fileCaption = 6,
     .closeRank = 2},
    {.kind = FrameKind::MessageEditor, .status = "Initializing Message Editor...",
     .folder = ConfigFolder, .extension = "mgs",
     .showItem = &M::MSGEditMenuItem, .openItem = &M::LoadMGSFile,
     .popupItem = &M::MessagePopupItem, .deleteItem = &M::MessageFile1,
     .startButton = &C::MessageButton, .showCaption = 13, .fileCaption = 8,
     .closeRank = 3},
    {.kind = FrameKind::About, .status = "Initializing About...",
     .showItem = &M::AboutMenuItem, .showCaption = 191, .closeRank = 8, .returnRank = 0},
    {.kind = FrameKind::Update, .status = "Initializing Updater...",
     .showItem = &M::Update1, .startButton = &C::UpdateButton, .showCaption = 50,
     .closeRank = 7, .returnRank = 1},
    {.kind = FrameKind::FindExport, .status = "Initializing Find/Export...",
     .showItem = &M::FindExportMenu, .showCaption = 200, .closeRank = 9},
    {.kind = FrameKind::MyRadioCopy, .status = "Initializing MyRadio Copy...",
     .showItem = &M::MyRadioCopyMenu, .showCaption = 243, .closeRank = 10},
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

}  // namespace voxa
