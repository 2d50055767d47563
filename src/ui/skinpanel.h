#pragma once
// A panel that shows a background picture. Skinned controls placed on it copy
// the part of the picture under them and tint it.
#include <QColor>
#include <QImage>
#include <QWidget>

namespace voxa {

class TSkinPanel : public QWidget {
    Q_OBJECT
public:
    explicit TSkinPanel(QWidget *parent = nullptr);

    // The picture is drawn at the top-left corner; the rest of the panel
    // shows Color.
    void setBackground(const QImage &picture);
    const QImage &Background() const { return m_background; }
    bool hasBackground() const { return m_background.width() > 0; }
    // The picture as painted at a device pixel ratio: the picture itself at
    // 1, else scaled smoothly to the device pixels it covers (kept until the
    // picture or the ratio changes).
    const QImage &BackgroundAt(qreal dpr) const;

    void setColor(const QColor &c);
    QColor Color() const { return m_color; }

signals:
    // The picture changed; skinned children repaint.
    void backgroundChanged();

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QImage m_background;
    mutable QImage m_scaled;
    QColor m_color;
};

// Skinned controls paint into a work picture at the device pixel ratio they
// are shown at, so text and tints are sharp on high-density screens. These
// map their logical rectangles onto its pixels; at ratio 1 they change
// nothing.
// The device pixels a logical rectangle covers (edges rounded).
QRect DeviceRect(const QRect &logical, qreal dpr);
// The pixels of a picture of a logical size (at least 1 x 1) at a ratio.
QSize DeviceSize(QSize logical, qreal dpr);
// A 32-bit picture of that size (ratio set).
QImage DevicePicture(QSize logical, qreal dpr);
// Copies src's pixels from srcTopLeft on into dst (both 32-bit); what lies
// beyond src is left as it is.
void CopyPixels(QImage &dst, const QImage &src, QPoint srcTopLeft);

// The part of a widget's parent's background picture that the widget covers,
// 32-bit; pixels beyond the picture take the panel's colour. Null when the
// parent is not a panel with a picture.
// At a ratio above 1 the picture has the device pixels the widget covers.
QImage ParentBackground(const QWidget *w, qreal dpr = 1.0);
// Paints that part into a picture of the widget's size (at the picture's own
// ratio), without allocating; false (and nothing painted) when the parent has
// no picture.
bool PaintParentBackground(QImage &target, const QWidget *w);
// The colour of the parent to fall back on (the panel's colour, else the
// parent's window colour).
QColor ParentColor(const QWidget *w);

}  // namespace voxa
