#include "ui/skinprogressbar.h"

#include "ui/skin.h"
#include "ui/skinpanel.h"

#include <QPainter>
#include <cmath>

namespace voxa {

TSkinProgressBar::TSkinProgressBar(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    if (auto *panel = qobject_cast<TSkinPanel *>(parent))
        connect(panel, &TSkinPanel::backgroundChanged, this, qOverload<>(&QWidget::update));
}

void TSkinProgressBar::setMin(int v)
{
    const int edge = FillEdge();
    m_min = v;
    if (m_max < v)
        m_max = v;
    if (m_position < v)
        m_position = v;
    if (FillEdge() != edge)
        update();
}

void TSkinProgressBar::setMax(int v)
{
    const int edge = FillEdge();
    m_max = v;
    if (m_min > v)
        m_min = v;
    if (m_position > v)
        m_position = v;
    if (FillEdge() != edge)
        update();
}

void TSkinProgressBar::setPosition(int v)
{
    if (v < m_min || v > m_max)
        return;
    const int edge = FillEdge();
    m_position = v;
    if (FillEdge() != edge)
        update();
}

void TSkinProgressBar::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

void TSkinProgressBar::setColor(const QColor &c)
{
    m_color = c;
    update();
}

void TSkinProgressBar::setBaseColor(const QColor &c)
{
    m_baseColor = c;
    update();
}

void TSkinProgressBar::setFontColor(const QColor &c)
{
    m_fontColor = c;
    update();
}

int TSkinProgressBar::FillEdge() const
{
    if (m_max == m_min)
        return 0;
    const double share = double(m_position - m_min) / double(m_max - m_min);
    return int(std::lround(share * (width() - 1)));
}

QImage TSkinProgressBar::RenderPicture(qreal dpr) const
{
    QImage pic = ParentBackground(this, dpr);
    if (pic.isNull()) {
        pic = DevicePicture(size(), dpr);
        pic.fill(m_baseColor.isValid() ? m_baseColor : m_color.isValid() ? m_color : ParentColor(this));
    }
    const QSize logical = pic.deviceIndependentSize().toSize();
    const int edge = FillEdge();
    RaiseComponents(pic, DeviceRect(QRect(0, 0, edge + 1, logical.height()), dpr), DoneBlue, 0);
    RaiseComponents(pic, DeviceRect(QRect(edge + 1, 0, logical.width() - edge - 1, logical.height()), dpr),
                    RestRaise, RestRaise);
    if (!m_caption.isEmpty()) {
        QPainter p(&pic);
        p.setFont(font());
        p.setPen(m_fontColor);
        p.drawText(QRect(QPoint(0, 0), logical), Qt::AlignCenter | Qt::TextSingleLine, m_caption);
    }
    return pic;
}

void TSkinProgressBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, RenderPicture(devicePixelRatioF()));
}

}  // namespace voxa
