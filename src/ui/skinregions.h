#pragma once
// Where each piece of the main window's look is cut from defaultskin.bmp.
// Shared by the manager and by the program that paints the default skin, so
// the two cannot drift apart.
#include <QRect>
#include <QRgb>

namespace voxa::skin {

// Left, top, right and bottom in pixels of the skin picture; right and bottom
// exclusive.
constexpr QRect region(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// The background colour of composed pictures, 7028781 (red 45, green 64,
// blue 107). It is also the colour the pictures use for "transparent".
inline constexpr QRgb BackgroundRgb = 0xFF2D406B;

inline constexpr int SkinWidth = 420;
inline constexpr int SkinHeight = 450;

inline constexpr QRect BorderLeft = region(0, 0, 387, 68);
inline constexpr QRect BorderFiller = region(388, 0, 394, 68);
inline constexpr QRect ToolPanel = region(0, 70, 37, 221);
inline constexpr QRect WorkAreaPiece1 = region(38, 70, 124, 221);
inline constexpr QRect WorkAreaPiece2 = region(126, 70, 390, 221);
inline constexpr QRect XButtonNormal = region(390, 192, 403, 203);
inline constexpr QRect XButtonHover = region(403, 192, 416, 203);

// Where the stretched work-area pieces go in a frame background of w x h.
inline constexpr QRect Piece1Target = region(0, 0, 74, 183);
inline QRect piece2Target(int w, int h) { return region(w - 264, h - 151, w - 1, h - 1); }

// The four tool buttons in the order Open, Save, Save As, Exit.
enum class Tool { Open, Save, SaveAs, Exit };
inline constexpr int ToolCount = 4;
// The normal (and hover) picture, or the pressed one.
constexpr QRect toolRegion(Tool t, bool pressed)
{
    const int top = int(t) * 48 + (pressed ? 24 : 0);
    return region(395, top, 419, top + 24);
}

// The six start panel buttons in the order of their rows in the picture.
enum class StartButton { Config, Playdisplay, Logo, Message, MyRadio, Update };
inline constexpr int StartButtonCount = 6;
enum class State { Normal, Hover, Pressed };
constexpr QRect startRegion(StartButton b, State s)
{
    const int top = 222 + int(b) * 38;
    switch (s) {
    case State::Normal: return region(0, top, 142, top + 38);
    case State::Hover: return region(142, top, 284, top + 38);
    case State::Pressed: break;
    }
    return region(284, top, 326, top + 38);
}

// The pressed picture is cut narrower than it is shown. Its columns left of
// this one are kept at the picture's left, its columns right of it (but the
// last, as for every button) at the picture's right end, and this column is
// repeated in between: the corners and the icon keep their pixels.
inline constexpr int StartPressedStretchColumn = 32;

// Button pictures are made at these sizes; the region is scaled into the
// picture minus its last row and column.
inline constexpr QSize ToolButtonSize(24, 24);
inline constexpr QSize XButtonSize(13, 11);
inline constexpr QSize StartButtonSize(142, 38);

}  // namespace voxa::skin
