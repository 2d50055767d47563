#include "editors/playdisplay/playdisplayfile.h"

#include "app/messagetable.h"

#include <QtEndian>

#include <algorithm>

namespace voxa {
namespace {

constexpr const char *Signature = "R7PLY";

const QByteArray &playHeader()
{
    static const QByteArray h = playerfile::header(Signature, "1.00");
    return h;
}

PlayField readRecord(const char *r)
{
    PlayField f;
    f.left = qFromLittleEndian<quint16>(r);
    f.right = qFromLittleEndian<quint16>(r + 2);
    f.top = qFromLittleEndian<quint16>(r + 4);
    f.flags = qFromLittleEndian<quint16>(r + 6);
    f.rightAgain = qFromLittleEndian<quint16>(r + 8);
    f.reserved10 = qFromLittleEndian<quint16>(r + 10);
    f.kind = qFromLittleEndian<quint32>(r + 12);
    f.reserved16 = qFromLittleEndian<quint32>(r + 16);
    f.reserved20 = qFromLittleEndian<quint16>(r + 20);
    return f;
}

void writeRecord(const PlayField &f, char *r)
{
    qToLittleEndian(f.left, r);
    qToLittleEndian(f.right, r + 2);
    qToLittleEndian(f.top, r + 4);
    qToLittleEndian(f.flags, r + 6);
    qToLittleEndian(f.rightAgain, r + 8);
    qToLittleEndian(f.reserved10, r + 10);
    qToLittleEndian(f.kind, r + 12);
    qToLittleEndian(f.reserved16, r + 16);
    qToLittleEndian(f.reserved20, r + 20);
}

quint16 alignmentBit(PlayAlignment a)
{
    switch (a) {
    case PlayAlignment::Left:
        return PlayFlag::Left;
    case PlayAlignment::Center:
        return PlayFlag::Center;
    case PlayAlignment::Right:
        return PlayFlag::Right;
    case PlayAlignment::Autoscroll:
        return PlayFlag::Autoscroll;
    }
    return PlayFlag::Left;
}

}  // namespace

PlayAlignment PlayField::alignment() const
{
    if (flags & PlayFlag::Autoscroll)
        return PlayAlignment::Autoscroll;
    if (flags & PlayFlag::Right)
        return PlayAlignment::Right;
    if (flags & PlayFlag::Center)
        return PlayAlignment::Center;
    return PlayAlignment::Left;
}

DisplayGeometry PlayGeometry(int displayType)
{
    if (normalizedDisplayType(displayType) == VoxaADisplay)
        return {128, 56, 11, 47};
    return {176, 64, 15, 50};
}

int FieldHeightOffset(bool bigFont, bool inverse)
{
    return (bigFont ? 11 : 7) + (inverse ? 1 : 0);
}

int FieldBottom(const PlayField &field)
{
    return int(field.top) + FieldHeightOffset(field.isBigFont(), field.isInverse());
}

PlayRect FieldRect(const PlayField &field)
{
    return {int(field.left), int(field.top), int(field.right), FieldBottom(field)};
}

PlayRect VuMeterRect(int displayType)
{
    const DisplayGeometry g = PlayGeometry(displayType);
    return {g.width - g.vuWidth, 0, g.width, g.vuBottom};
}

bool FieldsOverlap(const PlayRect &a, const PlayRect &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    return a.left <= b.right - 1 && b.left <= a.right - 1 && a.top <= b.bottom && b.top <= a.bottom;
}

std::optional<PlayRect> SharedArea(const PlayRect &a, const PlayRect &b)
{
    if (!FieldsOverlap(a, b))
        return std::nullopt;
    return PlayRect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom)};
}

QList<PlayOverlap> FindOverlaps(const PlayLayout &layout, int displayType)
{
    QList<PlayOverlap> out;
    const PlayRect vu = VuMeterRect(displayType);
    for (qsizetype i = 0; i < layout.fields.size(); ++i) {
        const PlayRect r = FieldRect(layout.fields[i]);
        if (layout.vuMeter)
            if (const auto area = SharedArea(vu, r))
                out.append({0, int(i + 1), *area});
        for (qsizetype j = 0; j < i; ++j)
            if (const auto area = SharedArea(FieldRect(layout.fields[j]), r))
                out.append({int(j + 1), int(i + 1), *area});
    }
    return out;
}

int DetectDisplayType(const QList<PlayField> &records)
{
    for (const PlayField &f : records)
        if (f.right > 128 || FieldBottom(f) > 56)
            return VaDaDisplay;
    return VoxaADisplay;
}

const QList<PlayContentKind> &PlayContentKinds()
{
    static const QList<PlayContentKind> kinds{
        {0, "Filename", 1, 114, 114},
        {1, "Extended Filename", 2, 114, 114},
        {2, "ID3 Title", 4, 114, 114},
        {3, "ID3 Artist", 5, 114, 114},
        {4, "ID3 Album", 6, 114, 114},
        {5, "ID3 Year", 7, 26, 30},
        {6, "ID3 Comment", 8, 114, 114},
        {7, "ID3 Track", 9, 16, 20},
        {8, "ID3 Genre", 10, 52, 60},
        {9, "MPEG/Layer type", 11, 26, 32},
        {10, "MPEG bitrate", 12, 36, 42},
        {11, "Frequency", 13, 26, 30},
        {12, "Mono/Stereo Info", 14, 8, 10},
        {13, "Play time total", 16, 37, 45},
        {14, "Play time remains", 17, 42, 50},
        {15, "Play time elapsed", 18, 37, 45},
        {16, "Play status", 20, 18, 18},
        {17, "Repeat mode / MyRadio", 23, 40, 50},
        {18, "Program items", 24, 30, 34},
    };
    return kinds;
}

const PlayContentKind *FindContentKind(quint32 id)
{
    for (const PlayContentKind &k : PlayContentKinds())
        if (k.id == id)
            return &k;
    return nullptr;
}

QString ContentKindCaption(quint32 id)
{
    if (const PlayContentKind *k = FindContentKind(id))
        return QString::fromLatin1(k->caption);
    return msg(Msg::Unknown);
}

int DefaultFieldWidth(const PlayContentKind &kind, bool bigFont)
{
    return bigFont ? kind.width12 : kind.width8;
}

void SetFieldAlignment(PlayField &field, PlayAlignment alignment)
{
    field.flags = quint16((field.flags & ~PlayFlag::Alignment) | alignmentBit(alignment));
}

bool ClampFieldToDisplay(PlayField &field, int displayType)
{
    const DisplayGeometry g = PlayGeometry(displayType);
    const PlayField before = field;
    const int right = std::clamp(int(field.right), 1, g.width);
    if (right != field.right)
        field.setRight(quint16(right));
    field.left = quint16(std::min(int(field.left), right - 1));
    // Switching a layout from VA-DA to VOXA-A can leave a bottom row one
    // past the display, and such a file still reads as VOXA-A: only a field
    // that starts below the display is moved up.
    if (int(field.top) > g.height - 1)
        field.top = quint16(std::max(0, g.height - 1 - FieldHeightOffset(field.isBigFont(), field.isInverse())));
    return !(field == before);
}

PlayField MakePlayField(const PlayContentKind &kind, bool bigFont, bool inverse, PlayAlignment alignment,
                        int displayType)
{
    const DisplayGeometry g = PlayGeometry(displayType);
    PlayField f;
    f.left = 0;
    f.setRight(quint16(std::min(DefaultFieldWidth(kind, bigFont), g.width)));
    f.top = quint16(g.height - 1 - FieldHeightOffset(bigFont, inverse));
    f.flags = PlayFlag::Used;
    if (inverse)
        f.flags |= PlayFlag::Inverse;
    f.flags |= alignmentBit(alignment);
    if (bigFont)
        f.flags |= PlayFlag::BigFont;
    f.flags |= quint16((kind.id & 0x1F) << PlayFlag::KindShift);
    f.kind = kind.id;
    return f;
}

FileResult<PlaydisplayDocument> parsePlaydisplayFile(const QByteArray &bytes)
{
    // The header is compared as far as the file goes; a file that is right
    // so far but ends before the records is cut, not foreign.
    const QByteArray &h = playHeader();
    const qsizetype n = std::min(bytes.size(), h.size());
    if (QByteArrayView(bytes).first(n) != QByteArrayView(h).first(n))
        return playerfile::failure(FileFailure::WrongFormat);
    if (bytes.size() < PlaydisplayReadSize)
        return playerfile::tooShort(bytes.size(), PlaydisplayFileSize);

    const char *d = bytes.constData();
    QList<PlayField> records;
    records.reserve(PlayMaxFields);
    for (int i = 0; i < PlayMaxFields; ++i)
        records.append(readRecord(d + PlayRecordsOffset + i * PlayRecordSize));

    PlaydisplayDocument doc;
    doc.displayType = DetectDisplayType(records);
    doc.layout.vuMeter = qFromLittleEndian<quint16>(d + 10) != 0;
    for (const PlayField &f : records) {
        if (f.right == 0)
            break;
        doc.layout.fields.append(f);
    }
    return doc;
}

FileResult<QByteArray> playdisplayFileBytes(const PlayLayout &layout)
{
    if (layout.fields.size() > PlayMaxFields)
        return playerfile::failure(FileFailure::TooManyElements);
    for (qsizetype i = 0; i < layout.fields.size(); ++i) {
        const PlayField &f = layout.fields[i];
        // A field ending before it starts is no place on the display.
        if (f.right == 0 || f.right < f.left)
            return playerfile::failure(FileFailure::CannotStore, QStringLiteral("field %1").arg(i + 1));
    }
    QByteArray out(PlaydisplayFileSize, '\0');
    out.replace(0, playHeader().size(), playHeader());
    qToLittleEndian<quint16>(layout.vuMeter ? 1 : 0, out.data() + 10);
    for (qsizetype i = 0; i < layout.fields.size(); ++i)
        writeRecord(layout.fields[i], out.data() + PlayRecordsOffset + i * PlayRecordSize);
    return out;
}

const DocumentFormat<PlaydisplayDocument> &playdisplayFormat()
{
    static const DocumentFormat<PlaydisplayDocument> format(
        Signature, "ply", PlaydisplayReadSize, parsePlaydisplayFile,
        [](const PlaydisplayDocument &document) { return playdisplayFileBytes(document.layout); });
    return format;
}

FileResult<PlaydisplayDocument> LoadPlaydisplayFile(const QString &path)
{
    return playdisplayFormat().read(path);
}

WriteResult SavePlaydisplayFile(const QString &path, const PlayLayout &layout)
{
    return playdisplayFormat().write(path, PlaydisplayDocument{layout, VoxaADisplay});
}

}  // namespace voxa
