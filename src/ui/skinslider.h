#pragma once
// A slider drawn by tinting its parent's background: a bright track and an
// 11-pixel knob that is dragged with the mouse or moved with the keys; a
// click on the track moves it a page towards the click.
#include <QColor>
#include <QImage>
#include <QWidget>

namespace voxa {

class TSkinSlider : public QWidget {
    Q_OBJECT
public:
    explicit TSkinSlider(QWidget *parent = nullptr);

    static constexpr int KnobWidth = 11;
    static constexpr int TrackRaise = 100;
    static constexpr int KnobRaise = 30;
    static constexpr int KnobHotRaise = 50;

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    int Frequency() const { return m_frequency; }
    // Setting Min above or Max below the position moves the position along.
    void setMin(int v);
    void setMax(int v);
    // A position outside Min to Max is ignored. Does not fire OnChange.
    void setPosition(int v);
    // 1 to Max - 1; anything else gives 1. Does not change the drawing.
    void setFrequency(int v);

    void setCaption(const QString &caption);
    QString Caption() const { return m_caption; }
    // Fills the slider where the parent has no background picture.
    void setColor(const QColor &c);
    QColor Color() const { return m_color; }
    void setFontColor(const QColor &c);

    // The move of Page Up and Page Down, and of a click on the track: a
    // tenth of the range, at least 1.
    int PageStep() const;
    // Focus that came from the keyboard: the slider shows its focus mark and
    // takes the arrow keys, Page Up/Down, Home and End.
    bool KeyboardFocus() const { return m_keyFocus && hasFocus(); }
    // Moves the knob as the user does: clamped to Min to Max, OnChange fired
    // when the position changed.
    void UserMoveTo(int v);

    int KnobLeft() const;
    bool Dragging() const { return m_dragging; }
    bool KnobHot() const { return m_knobHot || m_dragging; }

    // The slider's look at a device pixel ratio; rows and columns are
    // logical pixels.
    QImage RenderPicture(qreal dpr = 1.0) const;

signals:
    void OnChange();

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void changeEvent(QEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    bool overKnob(QPoint pos) const;
    void announceValue();

    int m_min = 0;
    int m_max = 10;
    int m_position = 0;
    int m_frequency = 1;
    QString m_caption;
    QColor m_color;
    QColor m_fontColor = Qt::white;
    bool m_dragging = false;
    bool m_knobHot = false;
    int m_dragOffset = 0;
    bool m_keyFocus = false;
};

}  // namespace voxa
