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

    void setColor(const QColor &c);
    QColor Color() const { return m_color; }

signals:
    // The picture changed; skinned children repaint.
    void backgroundChanged();

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QImage m_background;
    QColor m_color;
};

// The part of a widget's parent's background picture that the widget covers,
// 32-bit; pixels beyond the picture take the panel's colour. Null when the
// parent is not a panel with a picture.
QImage ParentBackground(const QWidget *w);
// Paints that part into a picture of the widget's size, without allocating;
// false (and nothing painted) when the parent has no picture.
bool PaintParentBackground(QImage &target, const QWidget *w);
// The colour of the parent to fall back on (the panel's colour, else the
// parent's window colour).
QColor ParentColor(const QWidget *w);

}  // namespace voxa
