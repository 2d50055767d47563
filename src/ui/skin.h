#pragma once
// The skin picture defaultskin.bmp and the pictures composed from it: the
// backgrounds of the border, the tool panel and every frame, and the pictures
// of the tool buttons and the start panel's buttons.
#include "ui/skinregions.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

namespace voxa {

// The loaded skin, shared for the whole run; null until LoadSkin succeeds.
const QImage &SkinBitmap();
inline bool SkinLoaded() { return SkinBitmap().width() > 0; }

// Where the skin is looked for, in order: the working folder, voxa\manager
// on drive C (the player's drive letter at program start), the program's own
// folder. Native paths.
QStringList SkinSearchPaths();
// Loads the first skin found. Shows nothing; the caller reports a failure.
bool LoadSkin();
// Loads a given file (tests, and LoadSkin itself).
bool LoadSkinFrom(const QString &nativePath);
void UnloadSkin();

QColor BackgroundColor();

// Raises colour components of every pixel of r by the amounts; a component
// that would pass 255 becomes 255. The image must be 32-bit.
void RaiseComponents(QImage &image, const QRect &r, int blue, int green, int red = 0);

// A copy of a region of the skin, 32-bit.
QImage SkinRegion(const QRect &region);
// Scales an image to a size by picking the pixel at (x * sw / dw, y * sh / dh):
// a region one pixel larger than the target keeps its top-left part exactly.
QImage ScaleNearest(const QImage &source, QSize size);
// Widens an image to a size by repeating one column: the columns left of it
// stay at the left, those right of it move to the right end. Rows are picked
// as ScaleNearest picks them. A narrower size, or a column outside the
// image, falls back to ScaleNearest.
QImage StretchColumn(const QImage &source, QSize size, int column);
// A button picture of the given size: background colour, with the region
// scaled into its size minus the last row and column. With a stretch column
// the region (without its last column) is widened by repeating that column
// instead, so its ends keep their pixels. Null without skin.
QImage MakeButtonPicture(const QRect &region, QSize size, int stretchColumn = -1);

// Backgrounds; null pictures when the skin cannot be loaded.
QImage MakeFrameBackground(int w, int h);
QImage MakeBorderBackground(int w, int h);
QImage MakeToolPanelBackground(int w, int h);

// The caption painted into a start panel picture: "Impact" in grey 101,
// 10 points shrinking to 6 (8 to 4 with the small font set) while wider than
// the picture's width - 50; left-aligned and vertically centred in
// (45, 0, width - 4, height).
// The size is chosen in logical pixels, so a picture at a device pixel ratio
// gets the same size as at 1; the text is drawn at the picture's ratio.
int StartPanelCaptionPointSize(const QString &caption, int pictureWidth, bool smallFontSet);
void PaintStartPanelCaption(QImage &picture, const QString &caption, bool smallFontSet);
// Made at a device pixel ratio (0: the application's): the skin's part is
// scaled smoothly, the caption drawn at the ratio.
QImage MakeStartPanelPicture(skin::StartButton button, skin::State state, const QString &caption,
                             bool smallFontSet, qreal dpr = 0);
// A button picture scaled smoothly to a device pixel ratio (ratio set). The
// transparent colour (its bottom-left pixel) stays exact: a pixel is either
// that colour or the button's own, with smooth edges between them.
QImage ScaleButtonPicture(const QImage &picture, qreal dpr);

}  // namespace voxa
