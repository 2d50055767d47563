#include "ui/skinslider.h"

#include "ui/skin.h"
#include "ui/skinaccessible.h"
#include "ui/skinfocus.h"
#include "ui/skinpanel.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace voxa {

TSkinSlider::TSkinSlider(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    // Tab reaches it; a click on it does not take the focus, as before.
    setFocusPolicy(Qt::TabFocus);
    LastInputWasKey();
    if (auto *panel = qobject_cast<TSkinPanel *>(parent))
        connect(panel, &TSkinPanel::backgroundChanged, this, qOverload<>(&QWidget::update));
}

void TSkinSlider::setMin(int v)
{
    m_min = v;
    if (m_max < v)
        m_max = v;
    if (m_position < v)
        m_position = v;
    setFrequency(m_frequency);
    update();
}

void TSkinSlider::setMax(int v)
{
    m_max = v;
    if (m_min > v)
        m_min = v;
    if (m_position > v)
        m_position = v;
    setFrequency(m_frequency);
    update();
}

void TSkinSlider::setPosition(int v)
{
    if (v < m_min || v > m_max || v == m_position)
        return;
    m_position = v;
    update();
    announceValue();
}

void TSkinSlider::announceValue()
{
    QAccessibleValueChangeEvent e(this, m_position);
    Announce(e);
}

int TSkinSlider::PageStep() const
{
    return std::max(1, (m_max - m_min) / 10);
}

void TSkinSlider::UserMoveTo(int v)
{
    v = std::clamp(v, m_min, m_max);
    if (v == m_position)
        return;
    m_position = v;
    update();
    announceValue();
    emit OnChange();
}

void TSkinSlider::setFrequency(int v)
{
    m_frequency = (v >= 1 && v <= m_max - 1) ? v : 1;
}

void TSkinSlider::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

void TSkinSlider::setColor(const QColor &c)
{
    m_color = c;
    update();
}

void TSkinSlider::setFontColor(const QColor &c)
{
    m_fontColor = c;
    update();
}

int TSkinSlider::KnobLeft() const
{
    if (m_max == m_min)
        return 0;
    const double share = double(m_position - m_min) / double(m_max - m_min);
    return int(std::lround(share * (width() - KnobWidth)));
}

bool TSkinSlider::overKnob(QPoint pos) const
{
    const int left = KnobLeft();
    return pos.x() >= left && pos.x() < left + KnobWidth && pos.y() >= 0 && pos.y() < height();
}

QImage TSkinSlider::RenderPicture(qreal dpr) const
{
    QImage under = ParentBackground(this, dpr);
    if (under.isNull()) {
        under = DevicePicture(size(), dpr);
        under.fill(m_color.isValid() ? m_color : ParentColor(this));
    }
    QImage pic = under;
    const QSize logical = pic.deviceIndependentSize().toSize();
    const int w = logical.width(), h = logical.height();
    auto dev = [dpr](const QRect &r) { return DeviceRect(r, dpr); };
    RaiseComponents(pic, dev(QRect(0, 3, w, h - 6)), TrackRaise, TrackRaise);

    // The knob's middle rows show the highlight instead of the track's tint,
    // worked out from the untinted background so nothing is lost to clipping.
    const int level = KnobHot() ? KnobHotRaise : KnobRaise;
    const QRect knob(KnobLeft(), 0, KnobWidth, h);
    RaiseComponents(pic, dev(QRect(knob.left(), 0, KnobWidth, 3)), level, level);
    RaiseComponents(pic, dev(QRect(knob.left(), h - 3, KnobWidth, 3)), level, level);
    const QRect middle = dev(QRect(knob.left(), 4, KnobWidth, h - 8));
    if (!middle.isEmpty()) {
        QImage part = under.copy(middle);
        part.setDevicePixelRatio(1.0);
        RaiseComponents(part, part.rect(), level, level);
        CopyPixels(pic, part, -middle.topLeft());
    }

    if (!m_caption.isEmpty()) {
        QPainter p(&pic);
        p.setFont(font());
        p.setPen(isEnabled() ? m_fontColor : QColor(Qt::black));
        p.drawText(QRect(0, 0, w, h), Qt::AlignCenter | Qt::TextSingleLine, m_caption);
    }
    return pic;
}

void TSkinSlider::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, RenderPicture(devicePixelRatioF()));
    if (KeyboardFocus())
        PaintFocusMark(p, rect());
}

void TSkinSlider::focusInEvent(QFocusEvent *e)
{
    const FocusFromKey from = FocusReasonFromKey(e->reason());
    if (!from.keep)
        m_keyFocus = from.fromKey;
    update();
    QWidget::focusInEvent(e);
}

void TSkinSlider::focusOutEvent(QFocusEvent *e)
{
    if (!FocusReasonFromKey(e->reason()).keep)
        m_keyFocus = false;
    update();
    QWidget::focusOutEvent(e);
}

void TSkinSlider::keyPressEvent(QKeyEvent *e)
{
    if (!SkinControlTakesKey(this, e->key(), e->modifiers())) {
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        UserMoveTo(m_position - 1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        UserMoveTo(m_position + 1);
        break;
    case Qt::Key_PageUp:
        UserMoveTo(m_position + PageStep());
        break;
    case Qt::Key_PageDown:
        UserMoveTo(m_position - PageStep());
        break;
    case Qt::Key_Home:
        UserMoveTo(m_min);
        break;
    case Qt::Key_End:
        UserMoveTo(m_max);
        break;
    default:
        break;
    }
}

void TSkinSlider::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() != Qt::LeftButton || !isEnabled())
        return;
    if (overKnob(pos)) {
        m_dragging = true;
        m_dragOffset = KnobLeft() - pos.x();
        update();
    } else if (rect().contains(pos)) {
        UserMoveTo(m_position + (pos.x() < KnobLeft() ? -PageStep() : PageStep()));
    }
}

void TSkinSlider::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (!m_dragging) {
        const bool hot = isEnabled() && overKnob(pos);
        if (hot != m_knobHot) {
            m_knobHot = hot;
            update();
        }
        return;
    }
    const int travel = width() - KnobWidth;
    if (travel <= 0 || m_max == m_min)
        return;
    const double share = double(pos.x() + m_dragOffset) / double(travel);
    // Dragging past either end holds the knob at that end.
    UserMoveTo(m_min + int(std::lround(share * (m_max - m_min))));
}

void TSkinSlider::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        m_knobHot = overKnob(e->position().toPoint());
        update();
    }
}

void TSkinSlider::leaveEvent(QEvent *)
{
    if (!m_dragging && m_knobHot) {
        m_knobHot = false;
        update();
    }
}

void TSkinSlider::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange) {
        if (!isEnabled()) {
            m_dragging = false;
            m_knobHot = false;
        }
        update();
    }
    QWidget::changeEvent(e);
}

}  // namespace voxa
