// voxatool show for logo files: the logo as text art ('#' lit, '.' unlit)
// and, when there is one, its companion.
//
// The manager opens a logo of any length (a short one with its missing
// pixels unlit); show is a check, so a file shorter than its kind's size is
// reported as cut.
#include "editors/logo/logofile.h"
#include "platform/fileops.h"
#include "tool/showformat.h"

#include <QJsonArray>

namespace voxa::tool {
namespace {

QString displayName(int type)
{
    return type == VoxaADisplay ? QStringLiteral("VOXA-A") : QStringLiteral("VA-DA");
}

ShowResult showLogo(const QString &path)
{
    ShowResult r;
    const FileResult<QByteArray> bytes = logoFormat().content(path);
    const FileResult<LogoBitmap> logo = bytes ? logoFormat().parse(*bytes) : FileResult<LogoBitmap>(bytes.error());
    if (!logo) {
        r.error = logo.error().text();
        return r;
    }
    qint64 size = bytes->size();
    if (size > VaDaLogoFileSize)
        size = std::max(fs::fileSize(path), size);
    if (size < VoxaALogoFileSize) {
        r.error = playerfile::tooShort(size, VoxaALogoFileSize).text();
        return r;
    }
    if (size > VoxaALogoFileSize && size < VaDaLogoFileSize) {
        r.error = playerfile::tooShort(size, VaDaLogoFileSize).text();
        return r;
    }

    const int type = logo->displayType();
    const int storedWidth = uchar(bytes->size() > 10 ? bytes->at(10) : 0);
    const int storedHeight = uchar(bytes->size() > 12 ? bytes->at(12) : 0);
    QString text = QStringLiteral("logo file R7LCE 1.00\n%1 logo, %2 x %3 pixels, %4 lit (%5 bytes)\n")
                       .arg(displayName(type))
                       .arg(logo->width())
                       .arg(logo->height())
                       .arg(logo->litCount())
                       .arg(size);
    if (size > VaDaLogoFileSize)
        text += QStringLiteral("%1 bytes more than a VA-DA logo: read as a VOXA-A logo\n")
                    .arg(size - VaDaLogoFileSize);
    QJsonArray rows;
    for (int y = 0; y < logo->height(); ++y) {
        QString line(logo->width(), QLatin1Char('.'));
        const uchar *px = logo->row(y);
        for (int x = 0; x < logo->width(); ++x)
            if (px[x])
                line[x] = QLatin1Char('#');
        rows.append(line);
        text += line + QLatin1Char('\n');
    }

    QJsonObject json{{QStringLiteral("kind"), QStringLiteral("lce")},
                     {QStringLiteral("DisplayType"), type},
                     {QStringLiteral("display"), displayName(type)},
                     {QStringLiteral("fileSize"), size},
                     {QStringLiteral("storedWidth"), storedWidth},
                     {QStringLiteral("storedHeight"), storedHeight},
                     {QStringLiteral("LogoBitmap"),
                      QJsonObject{{QStringLiteral("width"), logo->width()},
                                  {QStringLiteral("height"), logo->height()},
                                  {QStringLiteral("lit"), logo->litCount()},
                                  {QStringLiteral("rows"), rows}}}};

    // The companion belongs to the logo; an unusable one is only mentioned.
    const QString companionPath = LogoCompanionPath(path);
    if (fs::exists(companionPath)) {
        const FileResult<LogoCompanion> c = LoadLogoCompanion(path);
        if (c) {
            const LogoRect &s = c->selection;
            text += QStringLiteral("companion: selection %1,%2,%3,%4 threshold %5 source %6\n")
                        .arg(s.left)
                        .arg(s.top)
                        .arg(s.right)
                        .arg(s.bottom)
                        .arg(c->threshold)
                        .arg(c->sourcePath);
            json.insert(QStringLiteral("companion"),
                        QJsonObject{{QStringLiteral("selection"),
                                     QJsonObject{{QStringLiteral("left"), s.left},
                                                 {QStringLiteral("top"), s.top},
                                                 {QStringLiteral("right"), s.right},
                                                 {QStringLiteral("bottom"), s.bottom}}},
                                    {QStringLiteral("threshold"), c->threshold},
                                    {QStringLiteral("sourcePath"), c->sourcePath}});
        } else {
            text += QStringLiteral("companion: unusable (%1)\n").arg(c.error().text());
            json.insert(QStringLiteral("companion"),
                        QJsonObject{{QStringLiteral("error"), c.error().text()}});
        }
    }
    r.ok = true;
    r.text = text;
    r.json = json;
    return r;
}

const ShowFormat logoShow(voxa::logoFormat(), showLogo);

}  // namespace
}  // namespace voxa::tool
