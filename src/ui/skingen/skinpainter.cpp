#include "ui/skingen/skinpainter.h"

#include "ui/skinregions.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

// Everything is painted with vector shapes only (no fonts), so the picture
// comes out the same on every machine with the same Qt.

namespace voxa::skingen {
namespace {

using namespace voxa::skin;

const QColor Key = QColor::fromRgb(BackgroundRgb);

QColor rgb(int r, int g, int b, int a = 255)
{
    return QColor(r, g, b, a);
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Multiplies the alpha of every pixel of an overlay by f(x, y).
template <typename F>
void fadeAlpha(QImage &overlay, F f)
{
    for (int y = 0; y < overlay.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(overlay.scanLine(y));
        for (int x = 0; x < overlay.width(); ++x) {
            const double k = f(x, y);
            const QColor c = QColor::fromRgba(qUnpremultiply(line[x]));
            QColor d = c;
            d.setAlphaF(float(c.alphaF() * k));
            line[x] = qPremultiply(d.rgba());
        }
    }
}

QImage transparentImage(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// ---------------------------------------------------------------- border

// The band under the header: a dark strip that the menu bar tints, a
// separator, then the title band with a soft gloss and, on the right, a row
// of equalizer bars. From x 376 on every column is the same, so the filler
// strip stretches without a seam.
void paintBorder(QPainter &p)
{
    const int w = BorderFiller.right() + 1;  // 394
    // The menu bar raises blue by 30 over this band.
    QLinearGradient menu(0, 1, 0, 21);
    menu.setColorAt(0, rgb(31, 46, 64));
    menu.setColorAt(1, rgb(24, 36, 52));
    p.fillRect(QRect(0, 0, w, 22), menu);
    p.fillRect(QRect(0, 0, w, 1), rgb(50, 70, 112));
    p.fillRect(QRect(0, 21, w, 1), rgb(18, 26, 46));
    p.fillRect(QRect(0, 22, w, 1), rgb(76, 102, 154));

    QLinearGradient title(0, 23, 0, 67);
    title.setColorAt(0, rgb(52, 75, 124));
    title.setColorAt(0.45, rgb(43, 62, 104));
    title.setColorAt(1, rgb(37, 53, 90));
    p.fillRect(QRect(0, 23, w, 44), title);
    QLinearGradient gloss(0, 23, 0, 38);
    gloss.setColorAt(0, rgb(255, 255, 255, 26));
    gloss.setColorAt(1, rgb(255, 255, 255, 0));
    p.fillRect(QRect(0, 23, w, 15), gloss);
    p.fillRect(QRect(0, 67, w, 1), rgb(84, 112, 166));

    // Equalizer bars, low in contrast so that a long title stays readable.
    static const int heights[] = {9, 15, 22, 17, 27, 20, 13, 24, 30, 21, 14, 18, 11, 7};
    const int barWidth = 3, gap = 2, base = 63;
    int x = 372 - int(std::size(heights)) * (barWidth + gap);
    for (int h : heights) {
        QLinearGradient g(0, base - h, 0, base);
        g.setColorAt(0, rgb(120, 160, 225, 120));
        g.setColorAt(1, rgb(90, 122, 180, 35));
        p.fillRect(QRect(x, base - h, barWidth, h), g);
        p.fillRect(QRect(x, base - h, barWidth, 1), rgb(170, 200, 245, 130));
        x += barWidth + gap;
    }
}

// ------------------------------------------------------------ tool panel

void paintToolPanel(QPainter &p)
{
    const QRect r = ToolPanel;
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0, rgb(37, 53, 90));
    g.setColorAt(0.7, rgb(43, 61, 103));
    g.setColorAt(1, Key);
    p.fillRect(r, g);

    // Recessed wells behind the four buttons (buttons at 7,8 + n * 28).
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int n = 0; n < ToolCount; ++n) {
        const QRectF well(r.left() + 5.5, r.top() + 6.5 + n * 28, 26, 26);
        QPainterPath path;
        path.addRoundedRect(well, 5, 5);
        p.fillPath(path, rgb(24, 35, 60, 150));
        p.setPen(QPen(rgb(92, 120, 176, 110), 1));
        p.drawLine(QPointF(well.left() + 4, well.bottom() + 0.5), QPointF(well.right() - 4, well.bottom() + 0.5));
    }
    p.setRenderHint(QPainter::Antialiasing, false);

    // The separator towards the work area, fading out downwards.
    for (int y = 0; y < r.height(); ++y) {
        const double k = 1.0 - smoothstep(90, 150, y);
        p.fillRect(QRect(r.left() + 33, r.top() + y, 1, 1), rgb(22, 32, 56, int(170 * k)));
        p.fillRect(QRect(r.left() + 34, r.top() + y, 1, 1), rgb(92, 122, 178, int(220 * k)));
    }
    p.fillRect(QRect(r.left() + 35, r.top(), 2, r.height()), Key);
}

// ------------------------------------------------------- work-area pieces

// A soft light in the top-left corner of every frame. The piece is stretched
// from 86 x 151 into 74 x 183, so the glow is an ellipse here and a circle
// there. It ends in the background colour before the piece's edges.
void paintPiece1(QPainter &p)
{
    const QRect r = WorkAreaPiece1;
    QImage overlay = transparentImage(r.width(), r.height());
    {
        QPainter o(&overlay);
        o.setRenderHint(QPainter::Antialiasing, true);
        // A circle of radius 70 in the frame is 81 x 58 here.
        const double squeeze = (151.0 / 183.0) / (86.0 / 74.0);
        o.scale(1.0, squeeze);
        QRadialGradient glow(QPointF(0, 0), 81);
        glow.setColorAt(0, rgb(84, 116, 178, 170));
        glow.setColorAt(0.5, rgb(70, 98, 154, 70));
        glow.setColorAt(1, rgb(60, 84, 136, 0));
        o.fillRect(QRectF(0, 0, r.width(), r.height() / squeeze), glow);
    }
    fadeAlpha(overlay, [&](int x, int y) {
        return (1 - smoothstep(70, 85, x)) * (1 - smoothstep(130, 150, y));
    });
    p.fillRect(r, Key);
    p.drawImage(r.topLeft(), overlay);
}

// Sound waves rising from the bottom-right corner of every frame, fading out
// towards the piece's top and left edges.
void paintPiece2(QPainter &p)
{
    const QRect r = WorkAreaPiece2;
    QImage overlay = transparentImage(r.width(), r.height());
    {
        QPainter o(&overlay);
        o.setRenderHint(QPainter::Antialiasing, true);
        const QPointF c(r.width() + 6, r.height() + 10);
        QRadialGradient glow(c, 150);
        glow.setColorAt(0, rgb(76, 106, 166, 150));
        glow.setColorAt(1, rgb(60, 84, 136, 0));
        o.fillRect(overlay.rect(), glow);
        for (int i = 0; i < 9; ++i) {
            const double radius = 34 + i * 27;
            const int alpha = 120 - i * 11;
            o.setPen(QPen(rgb(112, 146, 210, alpha), i % 3 == 0 ? 2.2 : 1.2));
            o.setBrush(Qt::NoBrush);
            o.drawEllipse(c, radius, radius);
        }
    }
    fadeAlpha(overlay, [&](int x, int y) { return smoothstep(0, 70, x) * smoothstep(0, 45, y); });
    p.fillRect(r, Key);
    p.drawImage(r.topLeft(), overlay);
}

// --------------------------------------------------------------- buttons

// Paints into the top-left (w - 1) x (h - 1) of a region; the manager drops
// the last row and column when it scales the region into its picture.
void paintXButton(QPainter &p, QRect r, bool hover)
{
    p.fillRect(r, Key);
    p.save();
    p.translate(r.topLeft());
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(0.5, 0.5, 11, 9), 2.5, 2.5);
    p.fillPath(plate, hover ? rgb(208, 72, 64) : rgb(56, 78, 124));
    p.setPen(QPen(hover ? rgb(240, 130, 118) : rgb(100, 128, 180), 1));
    p.drawPath(plate);
    p.setPen(QPen(hover ? rgb(255, 255, 255) : rgb(214, 226, 242), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.6, 2.6), QPointF(8.4, 7.4));
    p.drawLine(QPointF(8.4, 2.6), QPointF(3.6, 7.4));
    p.restore();
}

void toolPlate(QPainter &p, bool pressed)
{
    QPainterPath plate;
    plate.addRoundedRect(QRectF(0.5, 0.5, 22, 22), 4.5, 4.5);
    QLinearGradient g(0, 0, 0, 23);
    if (pressed) {
        g.setColorAt(0, rgb(30, 44, 78));
        g.setColorAt(1, rgb(50, 72, 120));
    } else {
        g.setColorAt(0, rgb(82, 112, 170));
        g.setColorAt(0.5, rgb(60, 86, 138));
        g.setColorAt(1, rgb(46, 66, 112));
    }
    p.fillPath(plate, g);
    p.setPen(QPen(pressed ? rgb(86, 112, 164) : rgb(122, 152, 208), 1));
    p.drawPath(plate);
    if (!pressed) {
        p.setPen(QPen(rgb(255, 255, 255, 70), 1));
        p.drawLine(QPointF(4, 1.5), QPointF(19, 1.5));
    }
}

void glyphOpen(QPainter &p)
{
    QPainterPath back;
    back.moveTo(4, 6.5);
    back.lineTo(9, 6.5);
    back.lineTo(10.5, 8);
    back.lineTo(17.5, 8);
    back.lineTo(17.5, 16.5);
    back.lineTo(4, 16.5);
    back.closeSubpath();
    p.setPen(QPen(rgb(122, 82, 22), 1));
    p.setBrush(rgb(214, 160, 62));
    p.drawPath(back);
    QPainterPath flap;
    flap.moveTo(6.5, 10.5);
    flap.lineTo(19.5, 10.5);
    flap.lineTo(16.5, 16.5);
    flap.lineTo(3.5, 16.5);
    flap.closeSubpath();
    QLinearGradient g(0, 10, 0, 17);
    g.setColorAt(0, rgb(255, 222, 130));
    g.setColorAt(1, rgb(240, 186, 84));
    p.setPen(QPen(rgb(140, 94, 26), 1));
    p.setBrush(g);
    p.drawPath(flap);
}

void floppy(QPainter &p, QRectF r)
{
    QPainterPath body;
    body.moveTo(r.left(), r.top());
    body.lineTo(r.right() - 2.5, r.top());
    body.lineTo(r.right(), r.top() + 2.5);
    body.lineTo(r.right(), r.bottom());
    body.lineTo(r.left(), r.bottom());
    body.closeSubpath();
    p.setPen(QPen(rgb(20, 32, 60), 1));
    p.setBrush(rgb(196, 212, 236));
    p.drawPath(body);
    const double w = r.width();
    // Metal shutter and its slot.
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(64, 86, 130));
    p.drawRect(QRectF(r.left() + w * 0.22, r.top() + 0.5, w * 0.52, r.height() * 0.34));
    p.setBrush(rgb(196, 212, 236));
    p.drawRect(QRectF(r.left() + w * 0.52, r.top() + 1.5, w * 0.12, r.height() * 0.22));
    // Label with two written lines.
    p.setBrush(rgb(255, 255, 255));
    const QRectF label(r.left() + w * 0.16, r.top() + r.height() * 0.56, w * 0.68, r.height() * 0.44 - 0.5);
    p.drawRect(label);
    p.setPen(QPen(rgb(120, 140, 176), 1));
    p.drawLine(QPointF(label.left() + 1.5, label.top() + 2), QPointF(label.right() - 1.5, label.top() + 2));
    if (label.height() > 4.5)
        p.drawLine(QPointF(label.left() + 1.5, label.top() + 4), QPointF(label.right() - 3, label.top() + 4));
}

void glyphSave(QPainter &p)
{
    floppy(p, QRectF(5.5, 4.5, 12, 13));
}

void glyphSaveAs(QPainter &p)
{
    floppy(p, QRectF(3.5, 4.5, 11, 12));
    // A pencil writing across the disk's corner.
    p.save();
    p.translate(15.5, 12.5);
    p.rotate(45);
    p.setPen(QPen(rgb(96, 58, 10), 1));
    p.setBrush(rgb(250, 196, 76));
    p.drawRect(QRectF(-1.8, -7, 3.6, 9));
    p.setBrush(rgb(236, 150, 150));
    p.drawRect(QRectF(-1.8, -8.5, 3.6, 1.5));
    QPainterPath tip;
    tip.moveTo(-1.8, 2);
    tip.lineTo(1.8, 2);
    tip.lineTo(0, 5);
    tip.closeSubpath();
    p.setBrush(rgb(244, 222, 184));
    p.drawPath(tip);
    p.restore();
}

void glyphExit(QPainter &p)
{
    // A door left open and an arrow walking out of it.
    p.setPen(QPen(rgb(214, 226, 242), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(4.5, 4.5, 8, 14));
    QPainterPath door;
    door.moveTo(4.5, 4.5);
    door.lineTo(9.5, 6.5);
    door.lineTo(9.5, 19.5);
    door.lineTo(4.5, 18.5);
    door.closeSubpath();
    p.setPen(QPen(rgb(20, 32, 60), 1));
    p.setBrush(rgb(170, 190, 222));
    p.drawPath(door);
    p.setPen(QPen(rgb(255, 128, 104), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(11.5, 11.5), QPointF(18.5, 11.5));
    QPainterPath head;
    head.moveTo(15.5, 8.5);
    head.lineTo(18.8, 11.5);
    head.lineTo(15.5, 14.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(head);
}

void paintToolButton(QPainter &p, Tool t, bool pressed)
{
    const QRect r = toolRegion(t, pressed);
    p.fillRect(r, Key);
    p.save();
    p.translate(r.topLeft());
    p.setRenderHint(QPainter::Antialiasing, true);
    toolPlate(p, pressed);
    if (pressed)
        p.translate(1, 1);
    switch (t) {
    case Tool::Open: glyphOpen(p); break;
    case Tool::Save: glyphSave(p); break;
    case Tool::SaveAs: glyphSaveAs(p); break;
    case Tool::Exit: glyphExit(p); break;
    }
    p.restore();
}

// -------------------------------------------------- start panel buttons

const QPointF BadgeCentre(21, 18.5);

void glyphConfig(QPainter &p)
{
    // A gear: eight teeth around a ring.
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const double a = (i - 0.5) * M_PI / (teeth * 2);
        const double radius = (i % 4 == 0 || i % 4 == 1) ? 7.4 : 5.4;
        const QPointF pt(BadgeCentre.x() + radius * std::cos(a), BadgeCentre.y() + radius * std::sin(a));
        if (i == 0)
            gear.moveTo(pt);
        else
            gear.lineTo(pt);
    }
    gear.closeSubpath();
    gear.addEllipse(BadgeCentre, 2.4, 2.4);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(255, 255, 255));
    p.drawPath(gear);
}

void glyphPlaydisplay(QPainter &p)
{
    p.setPen(QPen(rgb(255, 255, 255), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(13.5, 12, 15, 10.5), 1.5, 1.5);
    p.drawLine(QPointF(18, 25.5), QPointF(24, 25.5));
    p.drawLine(QPointF(21, 22.5), QPointF(21, 25.5));
    QPainterPath play;
    play.moveTo(19, 14.5);
    play.lineTo(24, 17.25);
    play.lineTo(19, 20);
    play.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(255, 255, 255));
    p.drawPath(play);
}

void glyphLogo(QPainter &p)
{
    p.setPen(QPen(rgb(255, 255, 255), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(13.5, 12, 15, 13), 1.5, 1.5);
    QPainterPath hills;
    hills.moveTo(14.5, 24);
    hills.lineTo(19, 17.5);
    hills.lineTo(22, 21);
    hills.lineTo(24, 19);
    hills.lineTo(27.5, 24);
    hills.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(255, 255, 255));
    p.drawPath(hills);
    p.drawEllipse(QPointF(24.5, 15.5), 1.6, 1.6);
}

void glyphMessage(QPainter &p, QColor badge)
{
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(13, 11.5, 16, 10.5), 3, 3);
    QPainterPath tail;
    tail.moveTo(16.5, 21);
    tail.lineTo(16, 25.5);
    tail.lineTo(21, 21);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(255, 255, 255));
    p.drawPath(bubble.united(tail));
    p.setPen(QPen(badge, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 15), QPointF(26, 15));
    p.drawLine(QPointF(16, 18.3), QPointF(23, 18.3));
}

void glyphMyRadio(QPainter &p)
{
    // A mast sending waves to both sides.
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(255, 255, 255));
    p.drawEllipse(QPointF(21, 16.5), 2, 2);
    QPainterPath mast;
    mast.moveTo(21, 17.5);
    mast.lineTo(24, 25.5);
    mast.lineTo(18, 25.5);
    mast.closeSubpath();
    p.drawPath(mast);
    p.setPen(QPen(rgb(255, 255, 255), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (double radius : {4.6, 7.6}) {
        const QRectF box(21 - radius, 16.5 - radius, 2 * radius, 2 * radius);
        p.drawArc(box, -40 * 16, 80 * 16);
        p.drawArc(box, 140 * 16, 80 * 16);
    }
}

void glyphUpdate(QPainter &p)
{
    // An arrow coming down into a tray.
    p.setPen(QPen(rgb(255, 255, 255), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(21, 11), QPointF(21, 20));
    QPainterPath head;
    head.moveTo(17, 16.5);
    head.lineTo(21, 20.5);
    head.lineTo(25, 16.5);
    p.drawPath(head);
    p.setPen(QPen(rgb(255, 255, 255), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tray;
    tray.moveTo(14.5, 21.5);
    tray.lineTo(14.5, 25);
    tray.lineTo(27.5, 25);
    tray.lineTo(27.5, 21.5);
    p.drawPath(tray);
}

void startPlate(QPainter &p, bool hover)
{
    QPainterPath plate;
    plate.addRoundedRect(QRectF(1.5, 2.5, 138, 32), 7, 7);
    QLinearGradient g(0, 2.5, 0, 34.5);
    if (hover) {
        g.setColorAt(0, rgb(248, 251, 255));
        g.setColorAt(0.5, rgb(222, 234, 250));
        g.setColorAt(1, rgb(192, 212, 240));
    } else {
        g.setColorAt(0, rgb(232, 238, 246));
        g.setColorAt(0.5, rgb(209, 220, 234));
        g.setColorAt(1, rgb(182, 198, 219));
    }
    p.fillPath(plate, g);
    // A thin glint along the top edge.
    QPainterPath inner;
    inner.addRoundedRect(QRectF(2.5, 3.5, 136, 30), 6, 6);
    p.setPen(QPen(rgb(255, 255, 255, hover ? 200 : 150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(inner);
    p.setPen(QPen(hover ? rgb(70, 132, 220) : rgb(100, 122, 160), hover ? 1.4 : 1));
    p.drawPath(plate);
}

void startBadge(QPainter &p, StartButton b, State s)
{
    QLinearGradient g(0, 6, 0, 31);
    const bool hover = s == State::Hover, pressed = s == State::Pressed;
    const QColor top = hover ? rgb(92, 140, 220) : pressed ? rgb(56, 84, 140) : rgb(74, 108, 172);
    const QColor bottom = hover ? rgb(44, 76, 146) : pressed ? rgb(30, 46, 86) : rgb(36, 54, 98);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(rgb(28, 42, 76), 1));
    p.setBrush(g);
    p.drawEllipse(BadgeCentre, 12.5, 12.5);
    p.setPen(QPen(rgb(255, 255, 255, 60), 1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(BadgeCentre.x() - 11, BadgeCentre.y() - 11, 22, 22), 30 * 16, 120 * 16);
    const QColor mid = QColor::fromRgbF((top.redF() + bottom.redF()) / 2, (top.greenF() + bottom.greenF()) / 2,
                                        (top.blueF() + bottom.blueF()) / 2);
    switch (b) {
    case StartButton::Config: glyphConfig(p); break;
    case StartButton::Playdisplay: glyphPlaydisplay(p); break;
    case StartButton::Logo: glyphLogo(p); break;
    case StartButton::Message: glyphMessage(p, mid); break;
    case StartButton::MyRadio: glyphMyRadio(p); break;
    case StartButton::Update: glyphUpdate(p); break;
    }
}

void paintStartButton(QPainter &p, StartButton b, State s)
{
    const QRect r = startRegion(b, s);
    p.fillRect(r, Key);
    p.save();
    p.translate(r.topLeft());
    p.setRenderHint(QPainter::Antialiasing, true);
    if (s == State::Pressed) {
        // Cut 42 pixels wide and shown at the button's width: the manager
        // keeps the columns left of StartPressedStretchColumn at the left,
        // those right of it at the right end, and repeats that column in
        // between. So the plate has the other plates' corners, its right end
        // lies right of the column, and the badge, pushed in, left of it.
        QPainterPath plate;
        plate.addRoundedRect(QRectF(1.5, 2.5, 38, 32), 7, 7);
        QLinearGradient g(0, 2.5, 0, 34.5);
        g.setColorAt(0, rgb(160, 178, 204));
        g.setColorAt(1, rgb(206, 218, 234));
        p.fillPath(plate, g);
        QPainterPath inner;
        inner.addRoundedRect(QRectF(2.5, 3.5, 36, 30), 6, 6);
        p.setPen(QPen(rgb(40, 56, 90, 90), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(inner);
        p.setPen(QPen(rgb(80, 100, 140), 1));
        p.drawPath(plate);
        p.translate(-0.5, 1);
        p.translate(BadgeCentre);
        p.scale(0.88, 0.88);
        p.translate(-BadgeCentre);
        startBadge(p, b, s);
    } else {
        startPlate(p, s == State::Hover);
        startBadge(p, b, s);
    }
    p.restore();
}

}  // namespace

QImage PaintDefaultSkin()
{
    QImage img(SkinWidth, SkinHeight, QImage::Format_ARGB32_Premultiplied);
    img.fill(Key);
    {
        QPainter p(&img);
        paintBorder(p);
        paintToolPanel(p);
        paintPiece1(p);
        paintPiece2(p);
        paintXButton(p, XButtonNormal, false);
        paintXButton(p, XButtonHover, true);
        for (int t = 0; t < ToolCount; ++t) {
            paintToolButton(p, Tool(t), false);
            paintToolButton(p, Tool(t), true);
        }
        for (int b = 0; b < StartButtonCount; ++b)
            for (State s : {State::Normal, State::Hover, State::Pressed})
                paintStartButton(p, StartButton(b), s);
    }
    QImage out = img.convertToFormat(QImage::Format_RGB32);
    // Only the background colour may read as "transparent" in a button
    // picture; nudge any other pixel that happens to land on it.
    const QRgb key = BackgroundRgb;
    auto nudgeInside = [&](QRect r, QRectF shape) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (out.pixel(x, y) == key && shape.contains(QPointF(x - r.left() + 0.5, y - r.top() + 0.5)))
                    out.setPixel(x, y, qRgb(46, 64, 107));
    };
    for (int b = 0; b < StartButtonCount; ++b) {
        nudgeInside(startRegion(StartButton(b), State::Normal), QRectF(4, 5, 133, 27));
        nudgeInside(startRegion(StartButton(b), State::Hover), QRectF(4, 5, 133, 27));
        nudgeInside(startRegion(StartButton(b), State::Pressed), QRectF(3, 5, 36, 27));
    }
    for (int t = 0; t < ToolCount; ++t) {
        nudgeInside(toolRegion(Tool(t), false), QRectF(2, 2, 19, 19));
        nudgeInside(toolRegion(Tool(t), true), QRectF(2, 2, 19, 19));
    }
    nudgeInside(XButtonNormal, QRectF(1.5, 1.5, 9, 7));
    nudgeInside(XButtonHover, QRectF(1.5, 1.5, 9, 7));
    return out;
}

}  // namespace voxa::skingen
