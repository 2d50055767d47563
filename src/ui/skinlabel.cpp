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

QImage TSkinLabel::RenderPicture() const
{
    QImage pic = ParentBackground(this);
    if (pic.isNull()) {
        pic = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        pic.fill(m_baseColor.isValid() ? m_baseColor : ParentColor(this));
    }
    QPainter p(&pic);
    p.setFont(font());
    p.setPen(m_fontColor);
    p.drawText(pic.rect(), Qt::AlignCenter | Qt::TextSingleLine, m_caption);
    if (m_border) {
        p.setPen(Qt::white);
        p.setBrush(Qt::NoBrush);
        p.drawRect(pic.rect().adjusted(0, 0, -1, -1));
    }
    return pic;
}

void TSkinLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, RenderPicture());
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
