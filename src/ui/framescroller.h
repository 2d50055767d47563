#pragma once
// A frame larger than the room the screen leaves for it (a high-density
// screen shows the fixed frame layouts at twice their size) is shown in a
// scroll area of that room instead of pushing the window off the screen.
#include <QScrollArea>

namespace voxa {

// The room for a frame whose top-left corner sits at origin inside a window
// on a screen with this available area.
QSize FrameRoom(const QRect &available, QPoint origin);

// The part of a frame a window shows within room: all of it when it fits,
// otherwise at most room, less the scroll bars the cut-off frame needs where
// they would not fit beside it.
QSize ShownFrameSize(QSize frame, QSize room, int scrollBarExtent);

class TFrameScroller : public QScrollArea {
    Q_OBJECT
public:
    // The window's scroller, made on first use (hidden).
    static TFrameScroller *of(QWidget *window);

    // Takes back a frame it holds, then holds this one when it does not fit
    // room; the frame stays a child of the window otherwise. The frame's
    // top-left corner (or the scroller's) goes to origin. Returns the size
    // the window shows of the frame.
    QSize Hold(QWidget *frame, QPoint origin, QSize room);
    // Shows the scroller above the window's other parts when it holds the
    // frame.
    void Reveal(QWidget *frame);
    QWidget *Held() const { return widget(); }

protected:
    // Hides along with the frame it holds.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TFrameScroller(QWidget *window);
    void release();
};

}  // namespace voxa
