#include "ui/skinbutton.h"

#include "ui/skin.h"
#include "ui/skinaccessible.h"
#include "ui/skinfocus.h"
#include "ui/skinpanel.h"

#include <QAccessible>
#include <QCursor>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace voxa {
namespace {

QString dropFirstAmpersand(QString text)
{
    const qsizetype amp = text.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        text.remove(amp, 1);
    return text;
}

// The button whose hint is up, if any.
QPointer<TSkinButton> g_hintOwner;

// The size a picture is shown at.
QSize logicalSize(const QImage &pic)
{
    return pic.deviceIndependentSize().toSize();
}

// Captions must stay readable on whatever face they land on (a pale dialog,
// a tinted skin panel): 4.5:1 in relative luminance. A colour that has to be
// changed aims higher, as small antialiased text never reaches its full
// colour.
constexpr double MinCaptionContrast = 4.5;
constexpr double AdjustedCaptionContrast = 7.0;

double channelLuminance(int c)
{
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    return 0.2126 * channelLuminance(c.red()) + 0.7152 * channelLuminance(c.green())
        + 0.0722 * channelLuminance(c.blue());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The mean colour of the face inside r (device pixels).
QColor meanColour(const QImage &img, const QRect &r)
{
    const QRect area = r.intersected(img.rect());
    if (area.isEmpty())
        return Qt::black;
    qint64 red = 0, green = 0, blue = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            red += qRed(line[x]);
            green += qGreen(line[x]);
            blue += qBlue(line[x]);
        }
    }
    const qint64 n = qint64(area.width()) * area.height();
    return QColor(int(red / n), int(green / n), int(blue / n));
}

QColor mix(const QColor &from, const QColor &to, double t)
{
    return QColor(qRound(from.red() + (to.red() - from.red()) * t),
                  qRound(from.green() + (to.green() - from.green()) * t),
                  qRound(from.blue() + (to.blue() - from.blue()) * t));
}

// The wanted colour where it reads well on the face; otherwise the wanted
// colour moved the least way towards black or white that does, so a dark
// disabled caption stays darker than a light one where it can.
QColor readableOn(const QColor &wanted, const QColor &face)
{
    if (contrast(wanted, face) >= MinCaptionContrast)
        return wanted;
    for (int step = 1; step <= 20; ++step) {
        const double t = step / 20.0;
        const QColor darker = mix(wanted, Qt::black, t);
        const QColor lighter = mix(wanted, Qt::white, t);
        const bool darkOk = contrast(darker, face) >= AdjustedCaptionContrast;
        const bool lightOk = contrast(lighter, face) >= AdjustedCaptionContrast;
        if (darkOk || lightOk) {
            if (darkOk && lightOk)
                return contrast(darker, face) >= contrast(lighter, face) ? darker : lighter;
            return darkOk ? darker : lighter;
        }
    }
    return contrast(Qt::black, face) >= contrast(Qt::white, face) ? QColor(Qt::black) : QColor(Qt::white);
}

}  // namespace

QLabel *SkinHintWindow()
{
    static QPointer<QLabel> hint;
    if (!hint) {
        hint = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        hint->setAttribute(Qt::WA_ShowWithoutActivating, true);
        hint->setAutoFillBackground(true);
        QPalette pal = hint->palette();
        pal.setColor(QPalette::Window, QColor(176, 208, 255));  // 16765104
        pal.setColor(QPalette::WindowText, Qt::black);
        hint->setPalette(pal);
        hint->setAlignment(Qt::AlignCenter);
    }
    return hint;
}

TSkinButton::TSkinButton(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    // Tab reaches it; a mouse click does not move the focus, so the window's
    // Return keeps its meaning for mouse users.
    setFocusPolicy(Qt::TabFocus);
    LastInputWasKey();
    m_hintTimer.setSingleShot(true);
    connect(&m_hintTimer, &QTimer::timeout, this, &TSkinButton::hintTimeout);
    if (auto *panel = qobject_cast<TSkinPanel *>(parent))
        connect(panel, &TSkinPanel::backgroundChanged, this, qOverload<>(&QWidget::update));
}

TSkinButton::~TSkinButton()
{
    if (g_hintOwner == this)
        hideHint();
}

void TSkinButton::setCaption(const QString &caption)
{
    m_caption = dropFirstAmpersand(caption);
    update();
    nameChanged();
}

void TSkinButton::setHint(const QString &hint)
{
    m_hint = hint;
    nameChanged();
}

void TSkinButton::nameChanged()
{
    QAccessibleEvent e(this, QAccessible::NameChanged);
    Announce(e);
}

void TSkinButton::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on && !m_pics[0].isNull())
        resize(logicalSize(m_pics[0]));
}

void TSkinButton::setTransparent(bool on)
{
    m_transparent = on;
    for (int i = 0; i < 3; ++i)
        rebuildShown(i);
    update();
}

void TSkinButton::setTransparentColor(QRgb colour)
{
    m_ownTransparentColor = true;
    m_transparentColor = colour | 0xFF000000u;
    for (int i = 0; i < 3; ++i)
        rebuildShown(i);
    update();
}

void TSkinButton::setSkinned(bool on)
{
    m_skinned = on;
    update();
}

void TSkinButton::setShowCaption(bool on)
{
    m_showCaption = on;
    update();
}

void TSkinButton::setBaseColor(const QColor &c)
{
    m_baseColor = c;
    update();
}

void TSkinButton::setFontColor(const QColor &c)
{
    m_fontColor = c;
    update();
}

void TSkinButton::setPic(int index, const QImage &pic)
{
    m_pics[index] = pic.isNull() ? QImage() : pic.convertToFormat(QImage::Format_RGB32);
    rebuildShown(index);
}

QRgb TSkinButton::transparentColorOf(int index) const
{
    if (m_ownTransparentColor)
        return m_transparentColor;
    const QImage &pic = m_pics[index];
    return pic.isNull() ? 0 : (pic.pixel(0, pic.height() - 1) | 0xFF000000u);
}

void TSkinButton::rebuildShown(int index)
{
    const QImage &pic = m_pics[index];
    if (pic.isNull() || !m_transparent) {
        m_shown[index] = pic;
        return;
    }
    QImage shown = pic.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparentColorOf(index);
    for (int y = 0; y < shown.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(shown.scanLine(y));
        for (int x = 0; x < shown.width(); ++x)
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
    }
    m_shown[index] = shown;
}

void TSkinButton::setNormalPic(const QImage &pic)
{
    setPic(0, pic);
    if (m_autoSize && !m_pics[0].isNull())
        resize(logicalSize(m_pics[0]));
    update();
}

void TSkinButton::setMouseOverPic(const QImage &pic)
{
    setPic(1, pic);
    update();
}

void TSkinButton::setMouseDownPic(const QImage &pic)
{
    setPic(2, pic);
    update();
}

void TSkinButton::Refresh()
{
    for (int i = 0; i < 3; ++i)
        setPic(i, m_pics[i]);
    if (!m_pics[0].isNull())
        resize(logicalSize(m_pics[0]));
    m_hover = false;
    m_pressed = false;
    update();
}

TSkinButton::Look TSkinButton::CurrentLook() const
{
    if (m_pressed && m_hover)
        return Look::Pressed;
    if (m_hover)
        return Look::Hover;
    return Look::Normal;
}

const QImage &TSkinButton::shownPicture() const
{
    switch (CurrentLook()) {
    case Look::Pressed: return m_shown[2];
    case Look::Hover: return m_shown[1];
    case Look::Normal: break;
    }
    return m_shown[0];
}

QImage TSkinButton::RenderPicture(qreal dpr)
{
    // One work picture, kept while the size and the ratio stay.
    if (m_work.devicePixelRatio() != dpr || m_work.size() != DeviceSize(size(), dpr))
        m_work = DevicePicture(size(), dpr);
    if (!PaintParentBackground(m_work, this))
        m_work.fill(m_baseColor.isValid() ? m_baseColor : ParentColor(this));

    QPainter p(&m_work);
    const QColor textColour = isEnabled() ? m_fontColor : DisabledFontColor();
    if (m_skinned) {
        const QImage &pic = shownPicture();
        if (!pic.isNull()) {
            // A disabled button shows its picture faded into what is beneath.
            p.setOpacity(isEnabled() ? 1.0 : 0.45);
            // A picture made for another ratio is scaled smoothly, not in
            // blocks.
            p.setRenderHint(QPainter::SmoothPixmapTransform, pic.devicePixelRatio() != dpr);
            p.drawImage(0, 0, pic);
            p.setOpacity(1.0);
        }
        if (m_showCaption && !m_caption.isEmpty()) {
            p.setFont(font());
            p.setPen(readableOn(textColour, meanColour(m_work, m_work.rect().adjusted(1, 1, -1, -1))));
            p.drawText(rect().adjusted(1, 1, -1, -1), Qt::AlignCenter | Qt::TextSingleLine, m_caption);
        }
    } else {
        p.end();
        const int brightness = CurrentLook() == Look::Hover ? HoverBrightness : NormalBrightness;
        RaiseComponents(m_work, m_work.rect(), brightness, brightness);
        p.begin(&m_work);
        p.setFont(font());
        p.setPen(readableOn(textColour, meanColour(m_work, m_work.rect())));
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_caption);
    }
    p.end();
    return m_work;
}

void TSkinButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, RenderPicture(devicePixelRatioF()));
    if (KeyboardFocus())
        PaintFocusMark(p, rect());
}

void TSkinButton::focusInEvent(QFocusEvent *e)
{
    const FocusFromKey from = FocusReasonFromKey(e->reason());
    if (!from.keep)
        m_keyFocus = from.fromKey;
    update();
    QWidget::focusInEvent(e);
}

void TSkinButton::focusOutEvent(QFocusEvent *e)
{
    if (!FocusReasonFromKey(e->reason()).keep)
        m_keyFocus = false;
    update();
    QWidget::focusOutEvent(e);
}

void TSkinButton::keyPressEvent(QKeyEvent *e)
{
    if (SkinControlTakesKey(this, e->key(), e->modifiers())) {
        e->accept();
        // A held key clicks once.
        if (!e->isAutoRepeat())
            Click();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool TSkinButton::overOpaquePixel(QPoint pos) const
{
    // The picture shown now decides.
    const int index = CurrentLook() == Look::Pressed ? 2 : CurrentLook() == Look::Hover ? 1 : 0;
    const QImage &pic = m_pics[index];
    const qreal ratio = pic.devicePixelRatio();
    const QPoint at = ratio == 1.0 ? pos : QPoint(int(pos.x() * ratio), int(pos.y() * ratio));
    if (pic.isNull() || !pic.rect().contains(at))
        return false;
    return (pic.pixel(at) | 0xFF000000u) != transparentColorOf(index);
}

void TSkinButton::setHover(bool on)
{
    if (m_hover == on)
        return;
    m_hover = on;
    update();
}

void TSkinButton::trackMouse(QPoint pos)
{
    const bool inside = rect().contains(pos);
    if (!isEnabled() || !inside) {
        setHover(false);
        if (!inside)
            hideHint();
        return;
    }
    if (!m_hover) {
        if (!m_skinned || overOpaquePixel(pos))
            setHover(true);
    } else if (m_skinned && m_transparent && !overOpaquePixel(pos)) {
        setHover(false);
    }
    if (!HintShown())
        m_hintTimer.start(HintDelayMs);
}

void TSkinButton::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    trackMouse(pos);
}

void TSkinButton::enterEvent(QEnterEvent *e)
{
    trackMouse(e->position().toPoint());
}

void TSkinButton::leaveEvent(QEvent *)
{
    setHover(false);
    m_hintTimer.stop();
    hideHint();
}

void TSkinButton::mousePressEvent(QMouseEvent *e)
{
    hideHint();
    m_hintTimer.stop();
    if (e->button() == Qt::LeftButton && m_hover && isEnabled()) {
        m_pressed = true;
        update();
    }
}

void TSkinButton::mouseReleaseEvent(QMouseEvent *e)
{
    hideHint();
    const QPoint pos = e->position().toPoint();
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (!rect().contains(pos))
        setHover(false);
    update();
    if (e->button() == Qt::LeftButton && wasPressed && m_hover && isEnabled())
        Click();
}

void TSkinButton::Click()
{
    if (m_clicking)
        return;
    m_clicking = true;
    QPointer<TSkinButton> self(this);
    if (m_clickHandler)
        m_clickHandler();
    if (self)
        emit OnClick();
    if (self)
        m_clicking = false;
}

void TSkinButton::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange) {
        if (!isEnabled()) {
            m_hover = false;
            m_pressed = false;
            hideHint();
        }
        update();
    } else if (e->type() == QEvent::FontChange) {
        update();
    }
    QWidget::changeEvent(e);
}

void TSkinButton::hideEvent(QHideEvent *e)
{
    m_hover = false;
    m_pressed = false;
    m_hintTimer.stop();
    hideHint();
    QWidget::hideEvent(e);
}

bool TSkinButton::HintShown() const
{
    return g_hintOwner == this && SkinHintWindow()->isVisible();
}

void TSkinButton::hintTimeout()
{
    if (HintShown()) {
        hideHint();
        return;
    }
    const QPoint cursor = QCursor::pos();
    if (!m_showHint || m_hint.isEmpty() || !rect().contains(mapFromGlobal(cursor)))
        return;
    if (g_hintOwner && SkinHintWindow()->isVisible())
        return;
    QLabel *hint = SkinHintWindow();
    hint->setFont(font());
    hint->setText(m_hint);
    const QFontMetrics fm(hint->font());
    hint->setGeometry(cursor.x(), cursor.y() + 20, fm.horizontalAdvance(m_hint) + 8, fm.height() + 5);
    hint->show();
    g_hintOwner = this;
    m_hintTimer.start(HintShowMs);
}

void TSkinButton::hideHint()
{
    if (g_hintOwner == this) {
        SkinHintWindow()->hide();
        g_hintOwner = nullptr;
    }
}

TSkinButton *MakeCaptionButton(QWidget *parent, const QString &caption, QRect geometry,
                               std::function<void()> onClick)
{
    auto *b = new TSkinButton(parent);
    b->setAutoSize(false);
    b->setGeometry(geometry);
    b->setCaption(caption);
    if (onClick)
        b->setClickHandler(std::move(onClick));
    return b;
}

}  // namespace voxa
