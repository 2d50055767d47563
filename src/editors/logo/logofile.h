#pragma once
// Logo files (*.lce in voxa\config): the monochrome picture the player shows
// at start-up, and the companion file (*.lcx) that remembers how a logo was
// made from a picture.
//
// Logo file, little-endian, 1042 bytes (VOXA-A) or 1426 bytes (VA-DA):
//   0    5  "R7LCE"
//   5    5  "1.00" and a zero byte
//   10   1  stored width, 128 or 176; 11: zero
//   12   1  stored height, always 64; 13: zero
//   14   4  reserved, zero
//   18      pixel data, 8 x width bytes
// The 64 stored rows form four bands of 16 rows. Within a band every column
// takes two bytes (upper eight rows, lower eight rows); bit k of a byte is
// the row k below the byte's first row. Pixel (x, y) is bit (y mod 8) of the
// byte at 18 + (y div 16) * 2 * width + 2 * x + ((y mod 16) div 8). A set bit
// is a lit pixel. VOXA-A shows rows 0..55 only; rows 56..63 stay zero.
//
// A file of exactly 1426 bytes is a VA-DA logo; any other length is read as
// VOXA-A (bytes missing at the end read as unlit pixels). Bytes 10..17 are
// not examined.
//
// Companion file, beside the logo with the extension ".lcx":
//   0    4  selection left    signed 32-bit, working-canvas pixels
//   4    4  selection top
//   8    4  selection right   (exclusive)
//   12   4  selection bottom  (exclusive)
//   16   4  threshold, 0..256
//   20   N  full path of the source picture, code-page text, N <= 255,
//           no length and no terminator (N is the file's length - 20)
#include "editors/playerformat.h"
#include "editors/logo/displaytype.h"

#include <QByteArray>
#include <QString>

namespace voxa {

constexpr qsizetype LogoHeaderSize = 18;
constexpr int LogoStoredHeight = 64;
constexpr qsizetype VoxaALogoFileSize = 1042;
constexpr qsizetype VaDaLogoFileSize = 1426;
constexpr qsizetype LogoCompanionFixedSize = 20;
constexpr qsizetype LogoCompanionMaxPath = 255;

// The visible logo of a display type: 128 x 56 or 176 x 64.
int LogoWidth(int displayType);
int LogoHeight(int displayType);
qsizetype LogoFileSize(int displayType);

// The byte of the pixel data (counted from the start of the file) that holds
// pixel (x, y) of a logo stored with the given width; the pixel is its bit
// (y mod 8).
constexpr qsizetype LogoPixelOffset(int x, int y, int storedWidth)
{
    return LogoHeaderSize + qsizetype(y / 16) * 2 * storedWidth + 2 * x + (y % 16) / 8;
}

// The logo in memory: one byte per visible pixel, 1 = lit, row 0 at the top.
class LogoBitmap {
public:
    LogoBitmap() = default;  // no logo
    explicit LogoBitmap(int displayType);  // every pixel unlit

    bool isNull() const { return m_type == 0; }
    int displayType() const { return m_type; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    // Outside the logo a pixel reads as unlit and cannot be set.
    bool pixel(int x, int y) const;
    void setPixel(int x, int y, bool lit);
    // Row y's pixels, width() bytes of 0 or 1.
    uchar *row(int y) { return reinterpret_cast<uchar *>(m_pixels.data()) + qsizetype(y) * m_width; }
    const uchar *row(int y) const
    {
        return reinterpret_cast<const uchar *>(m_pixels.constData()) + qsizetype(y) * m_width;
    }
    int litCount() const;

    bool operator==(const LogoBitmap &o) const = default;

private:
    int m_type = 0;
    int m_width = 0;
    int m_height = 0;
    QByteArray m_pixels;
};

// Flips every pixel: a logo without a source picture is inverted this way.
void InvertLogo(LogoBitmap &logo);

// Decodes a logo file's content. Only the first 1426 bytes are used, but the
// length of the given bytes decides the display type, so pass the whole file
// or at least its first 1427 bytes. Failure: WrongFormat.
FileResult<LogoBitmap> parseLogoFile(const QByteArray &bytes);
// The 1042 or 1426 bytes of a logo (the header and the pixel data).
QByteArray logoFileBytes(const LogoBitmap &logo);

// The logo kind (R7LCE): parseLogoFile, and logoFileBytes of a logo that
// is not null (WrongFormat for a null one).
const DocumentFormat<LogoBitmap> &logoFormat();

// Failure: CannotOpen or WrongFormat.
FileResult<LogoBitmap> LoadLogoFile(const QString &path);
// Replaces the file whole or not at all. Failure: CannotCreate (or
// WrongFormat for a null logo).
WriteResult SaveLogoFile(const QString &path, const LogoBitmap &logo);

// A selection on the working canvas; right and bottom are exclusive.
struct LogoRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    qint64 width() const { return qint64(right) - left; }
    qint64 height() const { return qint64(bottom) - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const LogoRect &o) const = default;
};

// How a logo was made.
struct LogoCompanion {
    LogoRect selection;
    int threshold = 128;  // 0..256
    QString sourcePath;   // full path of the source picture

    bool operator==(const LogoCompanion &o) const = default;
};

// The companion's path: the logo's path with its extension replaced by
// ".lcx" ("E:\voxa\config\a.lce" -> "E:\voxa\config\a.lcx"); a name without
// an extension gets ".lcx" appended.
QString LogoCompanionPath(const QString &logoPath);

// Decodes a companion's content. Failure: TooShort (under 20 bytes),
// WrongFormat (a threshold outside 0..256, an empty selection, no path, a
// path with a zero byte or longer than 255 bytes): such a companion is
// unusable.
FileResult<LogoCompanion> parseLogoCompanion(const QByteArray &bytes);
// The companion's bytes. Failure: DataTooLong for a path over 255 bytes,
// CannotStore for an empty path or one with characters outside the code
// page, WrongFormat for a threshold outside 0..256.
FileResult<QByteArray> logoCompanionBytes(const LogoCompanion &companion);

// The companion of a logo file. Failure: CannotOpen when there is none (or
// it cannot be read), otherwise as parseLogoCompanion.
FileResult<LogoCompanion> LoadLogoCompanion(const QString &logoPath);
// Writes the companion of a logo file whole, first clearing a read-only
// attribute. Failure: as logoCompanionBytes, or CannotCreate.
WriteResult SaveLogoCompanion(const QString &logoPath, const LogoCompanion &companion);

// Saves a logo and, when companion is given, its companion, as the editor
// does. Everything is checked and both files are prepared before either is
// replaced, so a companion that cannot be stored (a path over 255 bytes)
// refuses the whole save and leaves both files as they were. Without a
// companion an existing one is left alone.
WriteResult SaveLogoWithCompanion(const QString &logoPath, const LogoBitmap &logo,
                                  const LogoCompanion *companion);

}  // namespace voxa
