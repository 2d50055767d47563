#pragma once
// The two displays the player drives, by their DisplayType number as the
// settings store it.
namespace voxa {

constexpr int VoxaADisplay = 1;  // VOXA-A display, 128 x 56
constexpr int VaDaDisplay = 2;   // VA-DA front panel, 176 x 64

// Anything but 1 is a VA-DA display, as the settings read it.
constexpr int normalizedDisplayType(int type)
{
    return type == VoxaADisplay ? VoxaADisplay : VaDaDisplay;
}

}  // namespace voxa
