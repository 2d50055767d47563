#pragma once
// A button that draws itself over its parent's background: either one of
// three pictures (normal, hover, pressed) or, unskinned, a tinted rectangle
// with its caption.
#include <QColor>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

class QLabel;

namespace voxa {

class TSkinButton : public QWidget {
    Q_OBJECT
public:
    enum class Look { Normal, Hover, Pressed };

    explicit TSkinButton(QWidget *parent = nullptr);
    ~TSkinButton() override;

    // The first "&" of a caption is dropped.
    void setCaption(const QString &caption);
    QString Caption() const { return m_caption; }

    void setHint(const QString &hint);
    QString Hint() const { return m_hint; }
    void setShowHint(bool on) { m_showHint = on; }
    bool ShowHint() const { return m_showHint; }

    void setAutoSize(bool on);
    bool AutoSize() const { return m_autoSize; }
    // Pixels of the transparent colour (the bottom-left pixel of each picture
    // unless set) let the parent show through, in all three pictures.
    void setTransparent(bool on);
    bool Transparent() const { return m_transparent; }
    void setTransparentColor(QRgb colour);

    void setSkinned(bool on);
    bool Skinned() const { return m_skinned; }
    void setShowCaption(bool on);
    bool ShowCaption() const { return m_showCaption; }
    // Fills the button where the parent has no background picture.
    void setBaseColor(const QColor &c);
    QColor BaseColor() const { return m_baseColor; }
    // The colour of Font.
    void setFontColor(const QColor &c);
    QColor FontColor() const { return m_fontColor; }

    void setNormalPic(const QImage &pic);
    void setMouseOverPic(const QImage &pic);
    void setMouseDownPic(const QImage &pic);
    QImage NormalPic() const { return m_pics[0]; }
    QImage MouseOverPic() const { return m_pics[1]; }
    QImage MouseDownPic() const { return m_pics[2]; }

    // Pictures may be made at a device pixel ratio above 1 (QImage's ratio
    // set); the button's size and the pointer's pixel are then taken in
    // logical pixels.
    // Pictures made 32-bit, the normal one shown, the size taken from it,
    // hover and pressed cleared.
    void Refresh();

    // The handler assigned in code; runs before OnClick.
    void setClickHandler(std::function<void()> handler) { m_clickHandler = std::move(handler); }
    // Fires the click as a mouse click would. A click in progress is not
    // re-entered.
    void Click();

    bool Hovered() const { return m_hover; }
    bool Pressed() const { return m_pressed; }
    Look CurrentLook() const;
    bool HintShown() const;
    // Focus that came from the keyboard: the button shows its focus mark and
    // Space or Return clicks it.
    bool KeyboardFocus() const { return m_keyFocus && hasFocus(); }

    // The button's current look as painted (what paintEvent draws), at a
    // device pixel ratio. Pictures made at another ratio are scaled smoothly;
    // the caption is drawn as text at the ratio.
    QImage RenderPicture(qreal dpr = 1.0);

    // Brightness added to blue and green of an unskinned button.
    static constexpr int NormalBrightness = 70;
    static constexpr int HoverBrightness = 100;
    // Text colour of a disabled button, 6963247.
    static QColor DisabledFontColor() { return QColor(47, 64, 106); }
    static constexpr int HintDelayMs = 1000;
    static constexpr int HintShowMs = 4000;

signals:
    void OnClick();

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void changeEvent(QEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void nameChanged();
    void setPic(int index, const QImage &pic);
    void rebuildShown(int index);
    const QImage &shownPicture() const;
    QRgb transparentColorOf(int index) const;
    bool overOpaquePixel(QPoint pos) const;
    void trackMouse(QPoint pos);
    void setHover(bool on);
    void hintTimeout();
    void hideHint();

    QString m_caption;
    QString m_hint;
    bool m_showHint = false;
    bool m_autoSize = true;
    bool m_transparent = false;
    bool m_ownTransparentColor = false;
    QRgb m_transparentColor = 0;
    bool m_skinned = false;
    bool m_showCaption = true;
    QColor m_baseColor;
    QColor m_fontColor = Qt::white;
    QImage m_pics[3];   // as assigned, 32-bit
    QImage m_shown[3];  // with the transparent colour made see-through
    bool m_hover = false;
    bool m_pressed = false;
    bool m_clicking = false;
    bool m_keyFocus = false;
    std::function<void()> m_clickHandler;
    QTimer m_hintTimer;
    QImage m_work;
};

// The hint window of skinned buttons: one for the whole program.
QLabel *SkinHintWindow();

// A plain button of the dialogs and frames: fixed to geometry (81 x 25 for
// most), its caption drawn over a tinted face, onClick run when clicked.
TSkinButton *MakeCaptionButton(QWidget *parent, const QString &caption, QRect geometry,
                               std::function<void()> onClick = {});

}  // namespace voxa
