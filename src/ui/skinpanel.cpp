#include "ui/skinpanel.h"

#include "ui/skin.h"

#include <QPainter>

namespace voxa {

TSkinPanel::TSkinPanel(QWidget *parent)
    : QWidget(parent), m_color(BackgroundColor())
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TSkinPanel::setBackground(const QImage &picture)
{
    m_background = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
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
        p.drawImage(0, 0, m_background);
}

bool PaintParentBackground(QImage &target, const QWidget *w)
{
    const auto *panel = w ? qobject_cast<const TSkinPanel *>(w->parentWidget()) : nullptr;
    if (!panel || !panel->hasBackground() || target.isNull())
        return false;
    target.fill(panel->Color());
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), panel->Background(), QRect(w->pos(), target.size()));
    return true;
}

QImage ParentBackground(const QWidget *w)
{
    if (!w || w->width() <= 0 || w->height() <= 0)
        return {};
    QImage out(w->size(), QImage::Format_RGB32);
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
