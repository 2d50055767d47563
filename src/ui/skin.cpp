#include "ui/skin.h"

#include "platform/paths.h"
#include "platform/processes.h"
#include "ui/skinfonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <cmath>

namespace voxa {
namespace {

QImage &skinStore()
{
    static QImage skin;
    return skin;
}

inline int raise(int c, int by)
{
    return std::min(255, c + by);
}

}  // namespace

const QImage &SkinBitmap()
{
    return skinStore();
}

QStringList SkinSearchPaths()
{
    const QString name = QStringLiteral("defaultskin.bmp");
    // Through the device path layer, so that a "DefaultSkin.bmp" copied onto
    // the disk by hand is found as on FAT.
    auto anyCase = [](const QString &native) {
        const QString device = platform::toDevice(native);
        const QString found = device.isEmpty() ? QString() : platform::toNative(device);
        return found.isEmpty() ? native : found;
    };
    QStringList paths;
    paths << anyCase(QDir::current().filePath(name));
    // The player's drive letter is still its initial "C" at program start.
    const QString onDrive = platform::toNative(QStringLiteral("C:\\voxa\\manager\\") + name);
    if (!onDrive.isEmpty())
        paths << onDrive;
    // The program's own folder (not the loader's, when started through it).
    if (QCoreApplication::instance())
        paths << anyCase(QFileInfo(platform::runningProgramFile()).dir().filePath(name));
    return paths;
}

bool LoadSkin()
{
    if (SkinLoaded())
        return true;
    for (const QString &path : SkinSearchPaths())
        if (QFileInfo(path).isFile() && LoadSkinFrom(path))
            return true;
    return false;
}

bool LoadSkinFrom(const QString &nativePath)
{
    QImage img;
    if (!img.load(nativePath) || img.width() <= 0 || img.height() <= 0)
        return false;
    skinStore() = img.convertToFormat(QImage::Format_RGB32);
    return true;
}

void UnloadSkin()
{
    skinStore() = QImage();
}

QColor BackgroundColor()
{
    return QColor::fromRgb(skin::BackgroundRgb);
}

void RaiseComponents(QImage &image, const QRect &r, int blue, int green, int red)
{
    const QRect area = r.intersected(image.rect());
    if (area.isEmpty())
        return;
    Q_ASSERT(image.depth() == 32);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = line[x];
            line[x] = qRgba(raise(qRed(c), red), raise(qGreen(c), green), raise(qBlue(c), blue), qAlpha(c));
        }
    }
}

QImage SkinRegion(const QRect &region)
{
    if (region.isEmpty())
        return {};
    QImage out(region.size(), QImage::Format_RGB32);
    out.fill(BackgroundColor());
    // A smaller skin of someone's own leaves the missing part in the
    // background colour.
    const QRect have = region.intersected(SkinBitmap().rect());
    if (!have.isEmpty()) {
        QPainter p(&out);
        p.drawImage(have.topLeft() - region.topLeft(), SkinBitmap(), have);
    }
    return out;
}

QImage ScaleNearest(const QImage &source, QSize size)
{
    if (source.isNull() || size.isEmpty())
        return {};
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    QImage out(size, QImage::Format_RGB32);
    const int sw = src.width(), sh = src.height();
    for (int y = 0; y < size.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(int(qint64(y) * sh / size.height())));
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = in[qint64(x) * sw / size.width()];
    }
    return out;
}

QImage StretchColumn(const QImage &source, QSize size, int column)
{
    if (source.isNull() || size.isEmpty())
        return {};
    const int sw = source.width(), sh = source.height();
    if (size.width() < sw || column < 0 || column >= sw)
        return ScaleNearest(source, size);
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    QImage out(size, QImage::Format_RGB32);
    const int dw = size.width();
    const int rightStart = dw - (sw - column - 1);  // where the columns right of it go
    for (int y = 0; y < size.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(int(qint64(y) * sh / size.height())));
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < dw; ++x)
            line[x] = in[x < column ? x : x < rightStart ? column : x - rightStart + column + 1];
    }
    return out;
}

QImage MakeButtonPicture(const QRect &region, QSize size, int stretchColumn)
{
    if (!LoadSkin() || size.width() < 2 || size.height() < 2)
        return {};
    QImage out(size, QImage::Format_RGB32);
    out.fill(BackgroundColor());
    QPainter p(&out);
    const QImage cut = SkinRegion(region);
    if (stretchColumn >= 0 && cut.width() > 1)
        p.drawImage(0, 0, StretchColumn(cut.copy(0, 0, cut.width() - 1, cut.height()), size - QSize(1, 1), stretchColumn));
    else
        p.drawImage(0, 0, ScaleNearest(cut, size - QSize(1, 1)));
    return out;
}

QImage MakeFrameBackground(int w, int h)
{
    if (!LoadSkin() || w <= 0 || h <= 0)
        return {};
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(BackgroundColor());
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(skin::piece2Target(w, h), SkinRegion(skin::WorkAreaPiece2));
    p.drawImage(skin::Piece1Target, SkinRegion(skin::WorkAreaPiece1));
    return out;
}

QImage MakeBorderBackground(int w, int h)
{
    if (!LoadSkin() || w <= 0 || h <= 0)
        return {};
    if (w < 388)
        return SkinRegion(QRect(0, 0, w, h));
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(BackgroundColor());
    QPainter p(&out);
    p.drawImage(0, 0, SkinRegion(QRect(0, 0, 387, h)));
    const QImage strip = SkinRegion(skin::region(388, 0, 394, h)).scaled(6, 68);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(skin::region(387, 0, w + 1, h), strip);
    return out;
}

QImage MakeToolPanelBackground(int w, int h)
{
    if (!LoadSkin() || w <= 0 || h <= 0)
        return {};
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(BackgroundColor());
    QPainter p(&out);
    p.drawImage(0, 0, SkinRegion(skin::ToolPanel));
    return out;
}

int StartPanelCaptionPointSize(const QString &caption, int pictureWidth, bool smallFontSet)
{
    int size = smallFontSet ? 8 : 10;
    const int minimum = smallFontSet ? 4 : 6;
    // Measured as painted: on a picture, at the picture's resolution.
    QImage probe(1, 1, QImage::Format_RGB32);
    while (size > minimum && QFontMetrics(ImpactFont(size), &probe).horizontalAdvance(caption) > pictureWidth - 50)
        --size;
    return size;
}

void PaintStartPanelCaption(QImage &picture, const QString &caption, bool smallFontSet)
{
    if (picture.isNull())
        return;
    const QSize logical = picture.deviceIndependentSize().toSize();
    const int size = StartPanelCaptionPointSize(caption, logical.width(), smallFontSet);
    QPainter p(&picture);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(ImpactFont(size));
    p.setPen(QColor(101, 101, 101));
    p.drawText(skin::region(45, 0, logical.width() - 4, logical.height()),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
}

QImage ScaleButtonPicture(const QImage &picture, qreal dpr)
{
    if (picture.isNull() || dpr <= 0)
        return {};
    const QImage src = picture.convertToFormat(QImage::Format_RGB32);
    if (dpr == 1.0)
        return src;
    const QRgb key = src.pixel(0, src.height() - 1) | 0xFF000000u;
    // Scaled with the transparent colour as coverage 0, so neither it bleeds
    // into the button's edge nor the edge into it.
    QImage masked = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
    }
    const QSize device(int(std::lround(src.width() * dpr)), int(std::lround(src.height() * dpr)));
    QImage scaled = masked.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                        .scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_ARGB32);
    QImage out(device, QImage::Format_RGB32);
    for (int y = 0; y < device.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(scaled.constScanLine(y));
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < device.width(); ++x)
            line[x] = qAlpha(in[x]) < 128 ? key : (in[x] | 0xFF000000u);
    }
    out.setDevicePixelRatio(dpr);
    return out;
}

QImage MakeStartPanelPicture(skin::StartButton button, skin::State state, const QString &caption,
                             bool smallFontSet, qreal dpr)
{
    // The pressed picture is cut narrower than it is shown; widening it by
    // one plain column keeps its rounded ends and its icon as painted.
    const int stretch = state == skin::State::Pressed ? skin::StartPressedStretchColumn : -1;
    QImage pic = MakeButtonPicture(skin::startRegion(button, state), skin::StartButtonSize, stretch);
    if (dpr <= 0)
        dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (dpr != 1.0)
        pic = ScaleButtonPicture(pic, dpr);
    PaintStartPanelCaption(pic, caption, smallFontSet);
    return pic;
}

}  // namespace voxa
