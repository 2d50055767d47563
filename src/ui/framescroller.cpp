#include "ui/framescroller.h"

#include "ui/skin.h"

#include <QApplication>
#include <QEvent>
#include <QScrollBar>
#include <QStyle>

namespace voxa {

QSize FrameRoom(const QRect &available, QPoint origin)
{
    return QSize(std::max(0, available.width() - origin.x()), std::max(0, available.height() - origin.y()));
}

QSize ShownFrameSize(QSize frame, QSize room, int scrollBarExtent)
{
    bool cutWidth = frame.width() > room.width();
    bool cutHeight = frame.height() > room.height();
    // A scroll bar for one side takes room from the other, which may then
    // need its own.
    for (int i = 0; i < 2; ++i) {
        cutWidth = cutWidth || (cutHeight && frame.width() + scrollBarExtent > room.width());
        cutHeight = cutHeight || (cutWidth && frame.height() + scrollBarExtent > room.height());
    }
    if (!cutWidth && !cutHeight)
        return frame;
    const int w = cutWidth ? room.width() : frame.width() + (cutHeight ? scrollBarExtent : 0);
    const int h = cutHeight ? room.height() : frame.height() + (cutWidth ? scrollBarExtent : 0);
    return QSize(std::max(w, 1), std::max(h, 1));
}

TFrameScroller::TFrameScroller(QWidget *window)
    : QScrollArea(window)
{
    setObjectName(QStringLiteral("FrameScroller"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, BackgroundColor());
    setPalette(pal);
    viewport()->setAutoFillBackground(true);
    viewport()->setPalette(pal);
    // Tabbing to a control out of view brings it into view.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && widget() && widget()->isAncestorOf(now))
            ensureWidgetVisible(now);
    });
    hide();
}

TFrameScroller *TFrameScroller::of(QWidget *window)
{
    if (auto *s = window->findChild<TFrameScroller *>(QStringLiteral("FrameScroller"), Qt::FindDirectChildrenOnly))
        return s;
    return new TFrameScroller(window);
}

void TFrameScroller::release()
{
    QWidget *held = widget();
    if (!held)
        return;
    const bool shown = !held->isHidden();
    held->removeEventFilter(this);
    takeWidget();
    held->setParent(parentWidget());
    held->setVisible(shown);
}

QSize TFrameScroller::Hold(QWidget *frame, QPoint origin, QSize room)
{
    // Hidden until the window has its new size (Reveal).
    hide();
    if (widget() != frame)
        release();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const QSize shown = ShownFrameSize(frame->size(), room, extent);
    if (shown == frame->size()) {
        release();
        frame->move(origin);
        return shown;
    }
    setGeometry(QRect(origin, shown));
    if (widget() != frame) {
        const bool wasShown = !frame->isHidden();
        setWidget(frame);
        frame->setVisible(wasShown);
        frame->installEventFilter(this);
    }
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    return shown;
}

bool TFrameScroller::eventFilter(QObject *watched, QEvent *event)
{
    // A closed frame leaves no empty scroll area behind.
    if (watched == widget() && event->type() == QEvent::Hide)
        hide();
    return QScrollArea::eventFilter(watched, event);
}

void TFrameScroller::Reveal(QWidget *frame)
{
    if (!frame || widget() != frame)
        return;
    show();
    raise();
}

}  // namespace voxa
