#include "ui/skinmenu.h"

#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"

#include <QChildEvent>
#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

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

// ------------------------------------------------------------------ button

TSkinMenuButton::TSkinMenuButton(TSkinMenu *bar)
    : QWidget(bar)
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
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
    if (TSkinMenu *b = bar())
        b->LayoutButtons();
    update();
}

void TSkinMenuButton::setPopupMenu(QMenu *menu)
{
    if (m_popup)
        disconnect(m_popup, nullptr, this, nullptr);
    m_popup = menu;
    if (menu)
        connect(menu, &QMenu::aboutToHide, this, &TSkinMenuButton::popupHidden);
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
