#include "ui/artwork.h"

#include "ui/skin.h"
#include "ui/skinfonts.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace voxa {

QImage ManagerIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 16.0, size / 16.0);
    QLinearGradient g(0, 0, 0, 16);
    g.setColorAt(0, QColor(104, 150, 226));
    g.setColorAt(1, QColor(38, 66, 128));
    p.setPen(QPen(QColor(18, 28, 54), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3.5, 3.5);
    // A "V" with a sound wave beside it.
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath v;
    v.moveTo(3.2, 4);
    v.lineTo(6.6, 12);
    v.lineTo(10, 4);
    p.drawPath(v);
    p.setPen(QPen(QColor(176, 208, 255), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(8.5, 5, 5, 6), -60 * 16, 120 * 16);
    return img;
}

QIcon MenuImage(int index)
{
    if (index != CheckMarkImage)
        return {};
    QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(176, 208, 255), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(3.5, 8.5);
    tick.lineTo(6.5, 11.5);
    tick.lineTo(12.5, 4.5);
    p.drawPath(tick);
    p.end();
    return QIcon(QPixmap::fromImage(img));
}

QImage MakeHeaderBackground(int w, int h)
{
    if (w <= 0 || h <= 0)
        return {};
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(26, 37, 64));
    g.setColorAt(1, QColor(15, 22, 40));
    p.fillRect(img.rect(), g);
    p.fillRect(QRect(0, 0, w, 1), QColor(44, 60, 98));
    return img;
}

QImage MakeAboutPicture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(22, 32, 58));
    sky.setColorAt(1, QColor(45, 64, 107));
    p.fillRect(img.rect(), sky);

    // Sound waves from the lower right and a glow behind the name.
    const QPointF source(w * 0.86, h * 0.92);
    QRadialGradient glow(source, w * 0.6);
    glow.setColorAt(0, QColor(90, 130, 200, 110));
    glow.setColorAt(1, QColor(90, 130, 200, 0));
    p.fillRect(img.rect(), glow);
    for (int i = 0; i < 10; ++i) {
        p.setPen(QPen(QColor(120, 160, 225, 110 - i * 9), i % 3 == 0 ? 2.4 : 1.2));
        p.setBrush(Qt::NoBrush);
        const double r = 40 + i * 34;
        p.drawEllipse(source, r, r);
    }

    // Equalizer bars along the bottom.
    static const int heights[] = {18, 30, 44, 36, 52, 40, 28, 46, 58, 42, 30, 36, 24, 16, 26, 38, 22, 14};
    const int barWidth = 8, gap = 4, base = h - 14;
    int x = 22;
    for (int bh : heights) {
        QLinearGradient g(0, base - bh, 0, base);
        g.setColorAt(0, QColor(150, 190, 250, 200));
        g.setColorAt(1, QColor(70, 104, 170, 90));
        p.fillRect(QRect(x, base - bh, barWidth, bh), g);
        x += barWidth + gap;
    }

    p.drawImage(QRect(22, 26, 48, 48), ManagerIcon(48));
    QFont name = ImpactFont(34);
    p.setFont(name);
    p.setPen(Qt::white);
    p.drawText(QRect(82, 18, w - 92, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VOXA Manager"));
    p.setFont(ShellDlgFont(9));
    p.setPen(QColor(176, 197, 218));
    p.drawText(QRect(84, 66, w - 94, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Set-up and music for the VOXA player"));
    p.fillRect(QRect(22, h - 13, w - 44, 1), QColor(120, 150, 205));
    return img;
}

}  // namespace voxa
