// voxatool show for playdisplay files: the detected display, the VU meter
// switch, every field with the caption of its kind, and overlapping pairs.
//
// The reader needs only the first 342 bytes; show is a check, so a file
// shorter than 512 bytes is reported as cut.
#include "editors/playdisplay/playdisplayfile.h"
#include "platform/fileops.h"
#include "tool/showformat.h"

#include <QJsonArray>

namespace voxa::tool {
namespace {

QString alignmentName(PlayAlignment a)
{
    switch (a) {
    case PlayAlignment::Left:
        return QStringLiteral("left");
    case PlayAlignment::Center:
        return QStringLiteral("center");
    case PlayAlignment::Right:
        return QStringLiteral("right");
    case PlayAlignment::Autoscroll:
        return QStringLiteral("autoscroll");
    }
    return {};
}

QJsonObject rectJson(const PlayRect &r)
{
    return {{QStringLiteral("left"), r.left},
            {QStringLiteral("top"), r.top},
            {QStringLiteral("right"), r.right},
            {QStringLiteral("bottom"), r.bottom}};
}

ShowResult showPlaydisplay(const QString &path)
{
    ShowResult r;
    const FileResult<QByteArray> bytes = playerfile::readHead(path, PlaydisplayFileSize + 1);
    const FileResult<PlaydisplayDocument> doc =
        bytes ? parsePlaydisplayFile(*bytes) : FileResult<PlaydisplayDocument>(bytes.error());
    if (!doc) {
        r.error = doc.error().text();
        return r;
    }
    qint64 size = bytes->size();
    if (size < PlaydisplayFileSize) {
        r.error = playerfile::tooShort(size, PlaydisplayFileSize).text();
        return r;
    }
    if (size > PlaydisplayFileSize)
        size = std::max(fs::fileSize(path), size);

    const PlayLayout &layout = doc->layout;
    const int type = doc->displayType;
    const DisplayGeometry g = PlayGeometry(type);
    const QString display = type == VoxaADisplay ? QStringLiteral("VOXA-A") : QStringLiteral("VA-DA");
    QString text = QStringLiteral("playdisplay file R7PLY 1.00\n%1 layout (%2 x %3), VU meter %4, %5 fields\n")
                       .arg(display)
                       .arg(g.width)
                       .arg(g.height)
                       .arg(layout.vuMeter ? QStringLiteral("shown") : QStringLiteral("not shown"))
                       .arg(layout.fields.size());
    if (size > PlaydisplayFileSize)
        text += QStringLiteral("%1 bytes after the layout are ignored\n").arg(size - PlaydisplayFileSize);
    if (!layout.fields.isEmpty())
        text += QStringLiteral("   #  %1 left right top bottom width font inverse alignment\n")
                    .arg(QStringLiteral("kind"), -27);

    QJsonArray fields;
    for (qsizetype i = 0; i < layout.fields.size(); ++i) {
        const PlayField &f = layout.fields[i];
        const QString caption = ContentKindCaption(f.kind);
        const int font = f.isBigFont() ? 12 : 8;
        text += QStringLiteral("  %1  %2 %3 %4 %5 %6 %7 %8 %9 %10")
                    .arg(i + 1, 2)
                    .arg(QStringLiteral("%1 (%2)").arg(caption).arg(f.kind), -27)
                    .arg(f.left, 4)
                    .arg(f.right, 5)
                    .arg(f.top, 3)
                    .arg(FieldBottom(f), 6)
                    .arg(f.width(), 5)
                    .arg(font, 4)
                    .arg(f.isInverse() ? QStringLiteral("yes") : QStringLiteral("no"), 7)
                    .arg(alignmentName(f.alignment()));
        if (f.rightAgain != f.right)
            text += QStringLiteral(" (second right %1)").arg(f.rightAgain);
        text += QLatin1Char('\n');
        fields.append(QJsonObject{{QStringLiteral("left"), f.left},
                                  {QStringLiteral("right"), f.right},
                                  {QStringLiteral("top"), f.top},
                                  {QStringLiteral("bottom"), FieldBottom(f)},
                                  {QStringLiteral("width"), f.width()},
                                  {QStringLiteral("flags"), f.flags},
                                  {QStringLiteral("kind"), qint64(f.kind)},
                                  {QStringLiteral("caption"), caption},
                                  {QStringLiteral("font"), font},
                                  {QStringLiteral("inverse"), f.isInverse()},
                                  {QStringLiteral("alignment"), alignmentName(f.alignment())},
                                  {QStringLiteral("rightAgain"), f.rightAgain},
                                  {QStringLiteral("reserved10"), f.reserved10},
                                  {QStringLiteral("reserved16"), qint64(f.reserved16)},
                                  {QStringLiteral("reserved20"), f.reserved20}});
    }

    QJsonArray overlaps;
    for (const PlayOverlap &o : FindOverlaps(layout, type)) {
        const QString first = o.first == 0 ? QStringLiteral("VU meter") : QStringLiteral("field %1").arg(o.first);
        text += QStringLiteral("overlap: %1 and field %2 share columns %3..%4, rows %5..%6\n")
                    .arg(first)
                    .arg(o.second)
                    .arg(o.area.left)
                    .arg(o.area.right - 1)
                    .arg(o.area.top)
                    .arg(o.area.bottom);
        overlaps.append(QJsonObject{{QStringLiteral("first"), o.first},
                                    {QStringLiteral("second"), o.second},
                                    {QStringLiteral("area"), rectJson(o.area)}});
    }

    r.ok = true;
    r.text = text;
    r.json = QJsonObject{{QStringLiteral("kind"), QStringLiteral("ply")},
                         {QStringLiteral("DisplayType"), type},
                         {QStringLiteral("display"), display},
                         {QStringLiteral("fileSize"), size},
                         {QStringLiteral("VUMeter"), layout.vuMeter},
                         {QStringLiteral("fields"), fields},
                         {QStringLiteral("overlaps"), overlaps}};
    if (layout.vuMeter)
        r.json.insert(QStringLiteral("vuMeterRect"), rectJson(VuMeterRect(type)));
    return r;
}

const ShowFormat playdisplayShow(voxa::playdisplayFormat(), showPlaydisplay);

}  // namespace
}  // namespace voxa::tool
