#pragma once
// Paints the default skin picture. The layout of the picture (where the
// border, the tool panel, the work-area pieces and the buttons are cut from)
// is fixed by the regions in ui/skin.h; this file only decides the look.
#include <QImage>

namespace voxa::skingen {

// The whole skin, 420 x 450 pixels, without alpha.
QImage PaintDefaultSkin();

}  // namespace voxa::skingen
