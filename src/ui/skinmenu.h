#pragma once
// The skinned menu bar: a strip tinted over its parent's background that
// carries menu buttons, each opening its popup menu below itself. Once one
// popup is open, pointing at another button opens that one instead. From the
// keyboard: F10 opens the first menu, Alt and a caption's mnemonic (the
// letter after "&", else the first letter) opens that one, Left and Right
// move between the open menus, Escape closes.
#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <QMenu>

namespace voxa {

class TSkinMenuButton;

class TSkinMenu : public QWidget {
    Q_OBJECT
public:
    explicit TSkinMenu(QWidget *parent = nullptr);

    // Where the parent has no background picture.
    void setColor(const QColor &c);
    QColor Color() const { return m_color; }
    void setFontColor(const QColor &c);
    QColor FontColor() const { return m_fontColor; }

    bool MenuOpen() const { return m_menuOpen; }
    void setMenuOpen(bool open);
    // Clears the menu-open flag and the popup-shown flag of every button, so
    // that a finished command leaves the bar closed.
    void CloseMenus();

    QList<TSkinMenuButton *> Buttons() const;
    // Places the buttons from the left, one after another.
    void LayoutButtons();

    // The bar's picture: the parent's background under it with blue raised,
    // at a device pixel ratio.
    QImage BarPicture(qreal dpr = 1.0) const;
    static constexpr int BarBlue = 30;

    // One look at the pointer while a popup is open (normally every 100 ms):
    // another button under it opens its popup; leaving the open button
    // upwards or sideways closes it.
    void TrackPointer(QPoint globalPos);

    // F10 or Alt+mnemonic: opens the matching menu with its first item
    // selected; true when the key was one of them.
    bool OpenByKey(int key, Qt::KeyboardModifiers modifiers);
    // Closes the open menu of from and opens the one step buttons further
    // (wrapping round, skipping disabled ones).
    void OpenNeighbour(TSkinMenuButton *from, int step);

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void childEvent(QChildEvent *e) override;

private:
    friend class TSkinMenuButton;
    QColor m_color;
    QColor m_fontColor = Qt::white;
    bool m_menuOpen = false;
    QTimer m_poll;
};

class TSkinMenuButton : public QWidget {
    Q_OBJECT
public:
    explicit TSkinMenuButton(TSkinMenu *bar);

    // The first "&" is dropped; the width follows the text.
    void setCaption(const QString &caption);
    QString Caption() const { return m_caption; }
    // The letter after the "&", else the caption's first letter; upper case.
    QChar Mnemonic() const { return m_mnemonic; }
    void setPopupMenu(QMenu *menu);
    QMenu *PopupMenu() const { return m_popup; }

    bool PopupShown() const { return m_popupShown; }
    void setPopupShown(bool shown) { m_popupShown = shown; update(); }
    // Mouse over it, or its popup open.
    bool Hot() const { return m_hot || m_popupShown; }
    int Highlight() const { return Hot() ? 30 : 0; }

    // The width the caption asks for: text width + 10.
    int PreferredWidth() const;

    // The button as a mouse click on it does: OnClick, then open or close
    // its popup.
    void Click();
    void OpenPopup();
    // From the keyboard: the caption takes the focus and the popup opens
    // with its first item selected.
    void OpenPopupByKey();
    void ClosePopup();

    bool KeyboardFocus() const { return m_keyFocus && hasFocus(); }

    // The button's look at a device pixel ratio, the caption drawn as text
    // at that ratio.
    QImage RenderPicture(qreal dpr = 1.0) const;

signals:
    void OnClick();

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void changeEvent(QEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    TSkinMenu *bar() const;
    void popupHidden();

    QString m_caption;
    QChar m_mnemonic;
    bool m_keyFocus = false;
    QPointer<QMenu> m_popup;
    bool m_popupShown = false;
    bool m_hot = false;
    bool m_down = false;
    // A press that closed our own popup must not open it again.
    QElapsedTimer m_sinceHidden;
};

}  // namespace voxa
