#include "ui/skinpanel.h"

#include "ui/skin.h"

#include <QPainter>
#include <cmath>
#include <cstring>

namespace voxa {

TSkinPanel::TSkinPanel(QWidget *parent)
    : QWidget(parent), m_color(BackgroundColor())
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TSkinPanel::setBackground(const QImage &picture)
{
    m_background = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    m_scaled = QImage();
    emit backgroundChanged();
    update();
}

void TSkinPanel::setColor(const QColor &c)
{
    m_color = c;
    update();
}

void TSkinPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_color);
    if (hasBackground())
        p.drawImage(0, 0, BackgroundAt(devicePixelRatioF()));
}

const QImage &TSkinPanel::BackgroundAt(qreal dpr) const
{
    if (dpr == 1.0 || !hasBackground())
        return m_background;
    const QSize device = DeviceRect(m_background.rect(), dpr).size();
    if (m_scaled.devicePixelRatio() != dpr || m_scaled.size() != device) {
        m_scaled = m_background.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
        m_scaled.setDevicePixelRatio(dpr);
    }
    return m_scaled;
}

QRect DeviceRect(const QRect &logical, qreal dpr)
{
    if (dpr == 1.0)
        return logical;
    const int left = int(std::lround(logical.x() * dpr));
    const int top = int(std::lround(logical.y() * dpr));
    const int right = int(std::lround((logical.x() + logical.width()) * dpr));
    const int bottom = int(std::lround((logical.y() + logical.height()) * dpr));
    return QRect(left, top, right - left, bottom - top);
}

QSize DeviceSize(QSize logical, qreal dpr)
{
    const QSize size = logical.expandedTo(QSize(1, 1));
    return DeviceRect(QRect(QPoint(0, 0), size), dpr).size().expandedTo(QSize(1, 1));
}

QImage DevicePicture(QSize logical, qreal dpr)
{
    QImage out(DeviceSize(logical, dpr), QImage::Format_RGB32);
    out.setDevicePixelRatio(dpr);
    return out;
}

void CopyPixels(QImage &dst, const QImage &src, QPoint srcTopLeft)
{
    Q_ASSERT(dst.depth() == 32 && src.depth() == 32);
    const QRect from = QRect(srcTopLeft, dst.size()).intersected(src.rect());
    if (from.isEmpty())
        return;
    const QPoint to = from.topLeft() - srcTopLeft;
    for (int y = 0; y < from.height(); ++y)
        std::memcpy(dst.scanLine(to.y() + y) + to.x() * 4, src.constScanLine(from.y() + y) + from.x() * 4,
                    size_t(from.width()) * 4);
}

bool PaintParentBackground(QImage &target, const QWidget *w)
{
    const auto *panel = w ? qobject_cast<const TSkinPanel *>(w->parentWidget()) : nullptr;
    if (!panel || !panel->hasBackground() || target.isNull())
        return false;
    target.fill(panel->Color());
    const qreal dpr = target.devicePixelRatio();
    if (dpr != 1.0) {
        // Pixel for pixel from the panel's picture as the panel paints it,
        // so the control and the panel around it meet without a seam.
        CopyPixels(target, panel->BackgroundAt(dpr), DeviceRect(QRect(w->pos(), QSize(1, 1)), dpr).topLeft());
        return true;
    }
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), panel->Background(), QRect(w->pos(), target.size()));
    return true;
}

QImage ParentBackground(const QWidget *w, qreal dpr)
{
    if (!w || w->width() <= 0 || w->height() <= 0)
        return {};
    QImage out = DevicePicture(w->size(), dpr);
    return PaintParentBackground(out, w) ? out : QImage();
}

QColor ParentColor(const QWidget *w)
{
    const QWidget *parent = w ? w->parentWidget() : nullptr;
    if (const auto *panel = qobject_cast<const TSkinPanel *>(parent))
        return panel->Color();
    return parent ? parent->palette().color(parent->backgroundRole()) : BackgroundColor();
}

}  // namespace voxa
