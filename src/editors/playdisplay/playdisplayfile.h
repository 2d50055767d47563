#pragma once
// Playdisplay files (*.ply in voxa\config): where the player puts its text
// fields and the VU meter on the playing screen.
//
// Layout, 512 bytes, numbers little-endian:
//   0    5  "R7PLY"
//   5    5  "1.00" and a zero byte
//   10   2  VU meter switch: 1 shown, 0 not (any non-zero value reads as shown)
//   12 330  15 field records of 22 bytes, the fields in list order, then zero
//           records; the list ends at the first record whose right is 0
//   342 170 zero
// Field record:
//   0  2  left (first column)        2  2  right (column after the last)
//   4  2  top (first row)            6  2  flags
//   8  2  right again (same value)   10 2  reserved
//   12 4  kind                       16 4  reserved      20 2  reserved
// Reserved bytes are kept as read, so a field of a kind this program does
// not know is written back unchanged.
//
// The file does not say which display a layout is for: a layout with a field
// reaching past column 128 or below row 56 is a VA-DA layout, any other a
// VOXA-A layout.
#include "editors/playerformat.h"
#include "editors/logo/displaytype.h"

#include <QList>
#include <QString>

#include <optional>

namespace voxa {

constexpr qsizetype PlaydisplayFileSize = 512;
constexpr qsizetype PlayRecordsOffset = 12;
constexpr qsizetype PlayRecordSize = 22;
constexpr int PlayMaxFields = 15;
// What the reader needs: header, switch and the 15 records.
constexpr qsizetype PlaydisplayReadSize = PlayRecordsOffset + PlayMaxFields * PlayRecordSize;

// Bits of a field's flags word.
namespace PlayFlag {
constexpr quint16 Used = 0x0001;        // set in every field
constexpr quint16 Inverse = 0x0004;     // dark text on a lit background
constexpr quint16 Right = 0x0008;       // right-aligned
constexpr quint16 Left = 0x0010;        // left-aligned
constexpr quint16 Center = 0x0020;      // centred
constexpr quint16 BigFont = 0x00C0;     // both bits: 12-pixel font
constexpr quint16 Autoscroll = 0x0100;  // the text scrolls
constexpr quint16 KindCopy = 0x7C00;    // the kind's low five bits
constexpr int KindShift = 10;
constexpr quint16 Alignment = Right | Left | Center | Autoscroll;
}  // namespace PlayFlag

enum class PlayAlignment { Left, Center, Right, Autoscroll };

// One text field, as its record holds it.
struct PlayField {
    quint16 left = 0;
    quint16 right = 0;       // left + width
    quint16 top = 0;
    quint16 flags = 0;
    quint16 rightAgain = 0;  // the record's second copy of right
    quint16 reserved10 = 0;
    quint32 kind = 0;
    quint32 reserved16 = 0;
    quint16 reserved20 = 0;

    // Sets both copies of right.
    void setRight(quint16 r) { right = rightAgain = r; }
    int width() const { return int(right) - int(left); }
    bool isInverse() const { return flags & PlayFlag::Inverse; }
    // Both font bits: the 12-pixel font; anything else the 8-pixel font.
    bool isBigFont() const { return (flags & PlayFlag::BigFont) == PlayFlag::BigFont; }
    // Autoscroll wins, then right, then centre; otherwise left.
    PlayAlignment alignment() const;

    bool operator==(const PlayField &o) const = default;
};

struct PlayLayout {
    bool vuMeter = true;
    QList<PlayField> fields;  // at most 15, in file (drawing) order

    bool operator==(const PlayLayout &o) const = default;
};

struct PlaydisplayDocument {
    PlayLayout layout;
    int displayType = VoxaADisplay;  // as detected from the records
};

// The playing screen of a display type.
struct DisplayGeometry {
    int width;     // 128 or 176
    int height;    // 56 or 64
    int vuWidth;   // 11 or 15
    int vuBottom;  // 47 or 50, the VU meter's last row
};
DisplayGeometry PlayGeometry(int displayType);

// A field's last row: top + 7 (8-pixel font) or top + 11 (12-pixel font),
// one more when inverse.
int FieldBottom(const PlayField &field);
// The rows a field adds below its top row (7, 8, 11 or 12).
int FieldHeightOffset(bool bigFont, bool inverse);

// A rectangle of display pixels: columns left to right - 1, rows top to
// bottom (both inclusive).
struct PlayRect {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // inclusive

    bool isEmpty() const { return right <= left || bottom < top; }
    bool operator==(const PlayRect &o) const = default;
};

PlayRect FieldRect(const PlayField &field);
// Columns (width - VU width) to width - 1, rows 0 to the VU bottom row.
PlayRect VuMeterRect(int displayType);
// True when the rectangles share a pixel; an empty rectangle shares none.
bool FieldsOverlap(const PlayRect &a, const PlayRect &b);
// The pixels both share (lefts and tops at their maximum, rights and bottoms
// at their minimum), when they overlap.
std::optional<PlayRect> SharedArea(const PlayRect &a, const PlayRect &b);

// One overlapping pair, numbered as the editor numbers its items: 0 is the
// VU meter, 1..n the fields in list order; first < second.
struct PlayOverlap {
    int first = 0;
    int second = 0;
    PlayRect area;

    bool operator==(const PlayOverlap &o) const = default;
};
// Every field against the VU meter (when shown) and every field before it.
QList<PlayOverlap> FindOverlaps(const PlayLayout &layout, int displayType);

// VA-DA as soon as one of the records has right > 128 or a bottom row > 56,
// used or not; VOXA-A otherwise.
int DetectDisplayType(const QList<PlayField> &records);

// The contents a field can show, in the order of the editor's list.
struct PlayContentKind {
    int listPosition;
    const char *caption;  // "ID3 Title"
    quint32 id;
    int width8;   // default width with the 8-pixel font
    int width12;  // and with the 12-pixel font
};
const QList<PlayContentKind> &PlayContentKinds();
// The kind of an identifier, or nullptr for a kind without an entry.
const PlayContentKind *FindContentKind(quint32 id);
// The kind's caption, or the message-table text "Unknown".
QString ContentKindCaption(quint32 id);
int DefaultFieldWidth(const PlayContentKind &kind, bool bigFont);

// A new field as the editor adds it: at column 0 on the bottom row, the
// kind's default width (at most the display's width), flags from the
// options and the kind's low five bits, reserved bytes zero.
PlayField MakePlayField(const PlayContentKind &kind, bool bigFont, bool inverse, PlayAlignment alignment,
                        int displayType);
// Sets the alignment bit and clears the other three.
void SetFieldAlignment(PlayField &field, PlayAlignment alignment);

// Brings a field read from a damaged file onto the display: right at most
// the display's width and at least 1, left at least one column before
// right, and a top row below the display up to the last place the field
// fits. Both copies of right are set when right changes; a field that
// already lies on the display is left as it is. True when it changed.
bool ClampFieldToDisplay(PlayField &field, int displayType);

// Decodes a file's content (only the first 342 bytes are used). Failure:
// WrongFormat, or TooShort when the header is right but the records are cut.
FileResult<PlaydisplayDocument> parsePlaydisplayFile(const QByteArray &bytes);
// The 512 bytes of a layout. Failure: TooManyElements for more than 15
// fields; CannotStore for a field whose right is 0 (it would end the list,
// losing the fields after it) or whose right lies before its left.
FileResult<QByteArray> playdisplayFileBytes(const PlayLayout &layout);

// The playdisplay kind (R7PLY): parsePlaydisplayFile, and
// playdisplayFileBytes of the document's layout.
const DocumentFormat<PlaydisplayDocument> &playdisplayFormat();

// Failure: CannotOpen, WrongFormat or TooShort.
FileResult<PlaydisplayDocument> LoadPlaydisplayFile(const QString &path);
// Replaces the file whole or not at all. Failure: as playdisplayFileBytes,
// or CannotCreate.
WriteResult SavePlaydisplayFile(const QString &path, const PlayLayout &layout);

}  // namespace voxa
