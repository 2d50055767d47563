#include "ui/skinlabel.h"

#include "ui/skinpanel.h"

#include <QEvent>
#include <QPainter>

namespace voxa {

TSkinLabel::TSkinLabel(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    if (auto *panel = qobject_cast<TSkinPanel *>(parent))
        connect(panel, &TSkinPanel::backgroundChanged, this, qOverload<>(&QWidget::update));
}

void TSkinLabel::setCaption(const QString &caption)
{
    m_caption = caption;
    fitSize();
    update();
}

void TSkinLabel::setAutoSize(bool on)
{
    m_autoSize = on;
    fitSize();
}

void TSkinLabel::setBorder(bool on)
{
    m_border = on;
    update();
}

void TSkinLabel::setBaseColor(const QColor &c)
{
    m_baseColor = c;
    update();
}

void TSkinLabel::setFontColor(const QColor &c)
{
    m_fontColor = c;
    update();
}

void TSkinLabel::fitSize()
{
    if (!m_autoSize)
        return;
    const QFontMetrics fm(font());
    resize(fm.horizontalAdvance(m_caption) + 2, fm.height() + 2);
}

QImage TSkinLabel::RenderPicture(qreal dpr) const
{
    QImage pic = ParentBackground(this, dpr);
    if (pic.isNull()) {
        pic = DevicePicture(size(), dpr);
        pic.fill(m_baseColor.isValid() ? m_baseColor : ParentColor(this));
    }
    const QRect area(QPoint(0, 0), pic.deviceIndependentSize().toSize());
    QPainter p(&pic);
    p.setFont(font());
    p.setPen(m_fontColor);
    p.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, m_caption);
    if (m_border) {
        p.setBrush(Qt::NoBrush);
        if (dpr == 1.0) {
            p.setPen(Qt::white);
            p.drawRect(area.adjusted(0, 0, -1, -1));
        } else {
            // One logical pixel wide, on the edge's own device pixels.
            p.setPen(QPen(Qt::white, 1.0));
            p.drawRect(QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5));
        }
    }
    return pic;
}

void TSkinLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, RenderPicture(devicePixelRatioF()));
}

void TSkinLabel::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange) {
        fitSize();
        update();
    }
    QWidget::changeEvent(e);
}

}  // namespace voxa
