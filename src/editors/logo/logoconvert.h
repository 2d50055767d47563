#pragma once
// From an ordinary picture to a logo: load the picture, put it on a working
// canvas at least as large as the biggest logo, cut the selection out of the
// canvas and turn it into lit and unlit logo pixels by a brightness
// threshold.
//
// Pictures are 32-bit (QImage::Format_RGB32: the bytes blue, green, red and
// 255 in memory order).
#include "editors/config/playerfile.h"
#include "editors/logo/logofile.h"

#include <QImage>
#include <QPoint>

namespace voxa {

// The canvas is never smaller than the largest logo.
constexpr int WorkCanvasMinWidth = 176;
constexpr int WorkCanvasMinHeight = 64;
// Pictures larger than this are refused rather than decoded (256 MB of
// pixels); a damaged header can claim up to 65535 x 65535.
constexpr qint64 MaxSourcePixels = 64LL * 1024 * 1024;

// Loads a picture as 32-bit pixels. JPEG files (recognised by their content,
// whatever their name says) are decoded by libjpeg; everything else by Qt's
// image readers (BMP, PNG, GIF, PPM, ...). Transparent pixels are laid on
// white. Failure: CannotOpen when the file cannot be read, WrongFormat when
// it is no picture or is damaged (a JPEG cut short or with corrupt data
// counts as damaged: its lost part would come out grey).
FileResult<QImage> LoadSourcePicture(const QString &path);
// The same for a picture's bytes.
FileResult<QImage> DecodeSourcePicture(const QByteArray &bytes);

struct WorkCanvas {
    QImage canvas;  // Format_RGB32
    QPoint offset;  // where the picture sits in the canvas
    // True when the canvas is larger than the picture, so that it has a
    // frame (and the frame colour matters).
    bool framed = false;
};

// The picture itself when it is at least 176 x 64; otherwise a canvas of
// max(w, 176) x max(h, 64) with the picture centred ((W - w) div 2,
// (H - h) div 2) and the rest white, or black with blackFrame.
WorkCanvas MakeWorkCanvas(const QImage &picture, bool blackFrame);
// Refills the frame in the other colour and copies the picture in again at
// the same place.
void RefillWorkCanvas(WorkCanvas &work, const QImage &picture, bool blackFrame);

// The part of the canvas under the selection, (right - left) x (bottom -
// top) pixels. Pixels of the selection that lie outside the canvas take the
// outside colour. A null picture for an empty selection or one larger than
// MaxSourcePixels.
QImage CropCanvas(const QImage &canvas, const LogoRect &selection, QRgb outside = 0xFFFFFFFF);

// The logo of a display type for a crop: every logo pixel (x, y) samples the
// crop pixel (Trunc(x * cropWidth / logoWidth), Trunc(y * cropHeight /
// logoHeight)) and is lit when (blue + green + red) div 3 >= threshold;
// invert reverses the result. A null or empty crop has no pixel to sample:
// every logo pixel is unlit (lit with invert).
LogoBitmap ConvertLogo(const QImage &crop, int displayType, int threshold, bool invert);

}  // namespace voxa
