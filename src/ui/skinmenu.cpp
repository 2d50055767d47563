#include "ui/skinmenu.h"

#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinaccessible.h"
#include "ui/skinfocus.h"
#include "ui/skinpanel.h"

#include <QAccessible>
#include <QChildEvent>
#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>

namespace voxa {

TSkinMenu::TSkinMenu(QWidget *parent)
    : QWidget(parent), m_color(BackgroundColor())
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    m_poll.setInterval(100);
    connect(&m_poll, &QTimer::timeout, this, [this] { TrackPointer(QCursor::pos()); });
    if (auto *panel = qobject_cast<TSkinPanel *>(parent))
        connect(panel, &TSkinPanel::backgroundChanged, this, [this] {
            update();
            for (TSkinMenuButton *b : Buttons())
                b->update();
        });
}

void TSkinMenu::setColor(const QColor &c)
{
    m_color = c;
    update();
}

void TSkinMenu::setFontColor(const QColor &c)
{
    m_fontColor = c;
    for (TSkinMenuButton *b : Buttons())
        b->update();
}

void TSkinMenu::setMenuOpen(bool open)
{
    m_menuOpen = open;
    if (open)
        m_poll.start();
    else
        m_poll.stop();
}

void TSkinMenu::CloseMenus()
{
    setMenuOpen(false);
    for (TSkinMenuButton *b : Buttons()) {
        b->setPopupShown(false);
        if (b->PopupMenu() && b->PopupMenu()->isVisible())
            b->PopupMenu()->hide();
    }
}

QList<TSkinMenuButton *> TSkinMenu::Buttons() const
{
    return findChildren<TSkinMenuButton *>(Qt::FindDirectChildrenOnly);
}

void TSkinMenu::LayoutButtons()
{
    int left = 1;
    const int h = std::max(0, height() - 2);
    for (TSkinMenuButton *b : Buttons()) {
        int w = b->PreferredWidth();
        if (left + w > width())
            w = std::max(0, width() - left);
        b->setGeometry(left, 1, w, h);
        left += w;
    }
}

QImage TSkinMenu::BarPicture(qreal dpr) const
{
    QImage pic = ParentBackground(this, dpr);
    if (pic.isNull()) {
        pic = DevicePicture(size(), dpr);
        pic.fill(m_color);
    }
    RaiseComponents(pic, pic.rect(), BarBlue, 0);
    return pic;
}

void TSkinMenu::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, BarPicture(devicePixelRatioF()));
}

void TSkinMenu::resizeEvent(QResizeEvent *)
{
    LayoutButtons();
}

void TSkinMenu::childEvent(QChildEvent *e)
{
    QWidget::childEvent(e);
    if (e->type() == QEvent::ChildAdded || e->type() == QEvent::ChildRemoved)
        QMetaObject::invokeMethod(this, &TSkinMenu::LayoutButtons, Qt::QueuedConnection);
}

void TSkinMenu::TrackPointer(QPoint globalPos)
{
    if (!m_menuOpen)
        return;
    TSkinMenuButton *open = nullptr;
    TSkinMenuButton *under = nullptr;
    for (TSkinMenuButton *b : Buttons()) {
        if (b->PopupShown())
            open = b;
        if (b->isVisible() && b->rect().contains(b->mapFromGlobal(globalPos)))
            under = b;
    }
    if (under && under != open && under->isEnabled()) {
        if (open)
            open->ClosePopup();
        under->OpenPopup();
        return;
    }
    if (!open || under == open)
        return;
    const QPoint local = open->mapFromGlobal(globalPos);
    const bool above = local.y() < 0;
    const bool beside = local.y() < open->height() && (local.x() < 0 || local.x() >= open->width());
    if (above || beside) {
        open->ClosePopup();
        setMenuOpen(false);
    }
}

bool TSkinMenu::OpenByKey(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    const QList<TSkinMenuButton *> buttons = Buttons();
    TSkinMenuButton *target = nullptr;
    if (key == Qt::Key_F10 && mods == Qt::NoModifier) {
        for (TSkinMenuButton *b : buttons)
            if (b->isVisible() && b->isEnabled()) {
                target = b;
                break;
            }
    } else if (mods == Qt::AltModifier && key >= Qt::Key_0 && key <= Qt::Key_Z) {
        const QChar letter(key);
        for (TSkinMenuButton *b : buttons)
            if (b->isVisible() && b->isEnabled() && b->Mnemonic() == letter) {
                target = b;
                break;
            }
    }
    if (!target || !isEnabled())
        return false;
    for (TSkinMenuButton *b : buttons)
        if (b != target && b->PopupShown())
            b->ClosePopup();
    target->OpenPopupByKey();
    return true;
}

void TSkinMenu::OpenNeighbour(TSkinMenuButton *from, int step)
{
    const QList<TSkinMenuButton *> buttons = Buttons();
    const qsizetype at = buttons.indexOf(from);
    if (at < 0 || buttons.size() < 2)
        return;
    for (qsizetype n = 1; n < buttons.size(); ++n) {
        TSkinMenuButton *next = buttons[((at + step * n) % buttons.size() + buttons.size()) % buttons.size()];
        if (next->isVisible() && next->isEnabled()) {
            from->ClosePopup();
            next->OpenPopupByKey();
            return;
        }
    }
}

// ------------------------------------------------------------------ button

TSkinMenuButton::TSkinMenuButton(TSkinMenu *bar)
    : QWidget(bar)
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setFocusPolicy(Qt::TabFocus);
    LastInputWasKey();
}

TSkinMenu *TSkinMenuButton::bar() const
{
    return qobject_cast<TSkinMenu *>(parentWidget());
}

void TSkinMenuButton::setCaption(const QString &caption)
{
    QString text = caption;
    const qsizetype amp = text.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        text.remove(amp, 1);
    m_caption = text;
    const qsizetype mark = amp >= 0 && amp < text.size() ? amp : text.indexOf(QRegularExpression(QStringLiteral("\\S")));
    m_mnemonic = mark >= 0 ? text.at(mark).toUpper() : QChar();
    QAccessibleEvent e(this, QAccessible::NameChanged);
    Announce(e);
    if (TSkinMenu *b = bar())
        b->LayoutButtons();
    update();
}

void TSkinMenuButton::setPopupMenu(QMenu *menu)
{
    if (m_popup) {
        disconnect(m_popup, nullptr, this, nullptr);
        m_popup->removeEventFilter(this);
    }
    m_popup = menu;
    if (menu) {
        connect(menu, &QMenu::aboutToHide, this, &TSkinMenuButton::popupHidden);
        // A chosen item hands the keys back to the window (its Return is the
        // frame's again); Escape leaves the caption focused.
        connect(menu, &QMenu::triggered, this, [this] {
            if (hasFocus())
                clearFocus();
        });
        menu->installEventFilter(this);
    }
}

int TSkinMenuButton::PreferredWidth() const
{
    return fontMetrics().horizontalAdvance(m_caption) + 10;
}

QImage TSkinMenuButton::RenderPicture(qreal dpr) const
{
    QImage pic = DevicePicture(size(), dpr);
    if (TSkinMenu *b = bar()) {
        const QImage barPic = b->BarPicture(dpr);
        pic.fill(b->Color());
        if (dpr != 1.0) {
            CopyPixels(pic, barPic, DeviceRect(geometry(), dpr).topLeft());
        } else {
            QPainter p(&pic);
            p.drawImage(QPoint(0, 0), barPic, geometry());
        }
    } else {
        pic.fill(BackgroundColor());
    }
    RaiseComponents(pic, pic.rect(), Highlight(), Highlight());
    QPainter p(&pic);
    p.setFont(font());
    p.setPen(isEnabled() ? (bar() ? bar()->FontColor() : QColor(Qt::white)) : TSkinButton::DisabledFontColor());
    p.drawText(QRect(QPoint(0, 0), size()), Qt::AlignCenter | Qt::TextSingleLine, m_caption);
    return pic;
}

void TSkinMenuButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, RenderPicture(devicePixelRatioF()));
    if (KeyboardFocus())
        PaintFocusMark(p, rect());
}

void TSkinMenuButton::focusInEvent(QFocusEvent *e)
{
    const FocusFromKey from = FocusReasonFromKey(e->reason());
    if (!from.keep)
        m_keyFocus = from.fromKey;
    update();
    QWidget::focusInEvent(e);
}

void TSkinMenuButton::focusOutEvent(QFocusEvent *e)
{
    // The popup taking the keys is no loss of the caption's focus.
    if (!FocusReasonFromKey(e->reason()).keep && e->reason() != Qt::PopupFocusReason)
        m_keyFocus = false;
    update();
    QWidget::focusOutEvent(e);
}

void TSkinMenuButton::keyPressEvent(QKeyEvent *e)
{
    if (!SkinControlTakesKey(this, e->key(), e->modifiers())) {
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    if (e->isAutoRepeat() && e->key() != Qt::Key_Left && e->key() != Qt::Key_Right)
        return;
    TSkinMenu *b = bar();
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        // Between the captions while no menu is open.
        if (b) {
            const QList<TSkinMenuButton *> buttons = b->Buttons();
            const qsizetype at = buttons.indexOf(this);
            const int step = e->key() == Qt::Key_Left ? -1 : 1;
            for (qsizetype n = 1; n < buttons.size(); ++n) {
                TSkinMenuButton *next = buttons[((at + step * n) % buttons.size() + buttons.size()) % buttons.size()];
                if (next->isVisible() && next->isEnabled()) {
                    next->setFocus(Qt::TabFocusReason);
                    break;
                }
            }
        }
        break;
    default:
        emit OnClick();
        OpenPopupByKey();
        break;
    }
}

bool TSkinMenuButton::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_popup && e->type() == QEvent::KeyPress && m_popupShown) {
        auto *key = static_cast<QKeyEvent *>(e);
        const QAction *active = m_popup->activeAction();
        // Right on an item with a submenu opens the submenu, as usual.
        const bool intoSubmenu = key->key() == Qt::Key_Right && active && active->menu();
        if ((key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) && !intoSubmenu
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            if (TSkinMenu *b = bar())
                b->OpenNeighbour(this, key->key() == Qt::Key_Left ? -1 : 1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TSkinMenuButton::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    // The press that just closed our popup (replayed to us) is not a click.
    m_down = !(m_sinceHidden.isValid() && m_sinceHidden.elapsed() < 250);
    m_sinceHidden.invalidate();
}

void TSkinMenuButton::mouseReleaseEvent(QMouseEvent *e)
{
    const bool wasDown = m_down;
    m_down = false;
    if (e->button() == Qt::LeftButton && wasDown && rect().contains(e->position().toPoint()) && isEnabled())
        Click();
}

void TSkinMenuButton::Click()
{
    emit OnClick();
    if (m_popupShown) {
        ClosePopup();
        if (TSkinMenu *b = bar())
            b->setMenuOpen(false);
    } else {
        OpenPopup();
    }
}

void TSkinMenuButton::OpenPopup()
{
    m_popupShown = true;
    if (TSkinMenu *b = bar())
        b->setMenuOpen(true);
    update();
    if (m_popup)
        m_popup->popup(mapToGlobal(QPoint(0, height() + 1)));
}

void TSkinMenuButton::OpenPopupByKey()
{
    if (!isEnabled())
        return;
    setFocus(Qt::ShortcutFocusReason);
    OpenPopup();
    // Down selects the first item as the keyboard does; choosing it
    // directly would open a first item's submenu at once.
    if (m_popup && m_popup->isVisible() && !m_popup->activeAction()) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(m_popup, &down);
    }
}

void TSkinMenuButton::ClosePopup()
{
    m_popupShown = false;
    update();
    if (m_popup && m_popup->isVisible()) {
        QSignalBlocker block(m_popup);
        m_popup->hide();
    }
}

void TSkinMenuButton::popupHidden()
{
    if (!m_popupShown)
        return;
    m_popupShown = false;
    update();
    if (rect().contains(mapFromGlobal(QCursor::pos())) && QGuiApplication::mouseButtons() != Qt::NoButton)
        m_sinceHidden.start();
    // Another button may be opening its popup right now (pointer moved
    // across); only a popup closed on its own closes the bar.
    if (TSkinMenu *b = bar()) {
        bool other = false;
        for (TSkinMenuButton *x : b->Buttons())
            other = other || (x != this && x->PopupShown());
        if (!other)
            b->setMenuOpen(false);
    }
}

void TSkinMenuButton::enterEvent(QEnterEvent *)
{
    m_hot = true;
    update();
    if (TSkinMenu *b = bar(); b && b->MenuOpen() && !m_popupShown && isEnabled())
        b->TrackPointer(QCursor::pos());
}

void TSkinMenuButton::leaveEvent(QEvent *)
{
    m_hot = false;
    update();
}

void TSkinMenuButton::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange && bar())
        bar()->LayoutButtons();
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::FontChange)
        update();
    QWidget::changeEvent(e);
}

}  // namespace voxa
