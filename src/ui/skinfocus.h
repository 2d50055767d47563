#pragma once
// Keyboard focus of the skinned controls: whether a control's focus came
// from the keyboard (only then it shows a focus mark and takes Return and
// Space, so the mouse look and the window's own Return stay as they were),
// the mark itself, and tab order by place on the screen.
#include <QList>
#include <Qt>

class QPainter;
class QRect;
class QWidget;

namespace voxa {

// Watches the program's input: true while the last key or mouse press was a
// key press. Starts watching on the first call.
bool LastInputWasKey();

// Whether a focus change for this reason counts as keyboard focus; nullopt
// style: keep tells the caller to keep what it had (the window was only
// activated or deactivated).
struct FocusFromKey {
    bool keep = false;
    bool fromKey = false;
};
FocusFromKey FocusReasonFromKey(Qt::FocusReason reason);

// A two-tone dashed rectangle just inside r (logical pixels), readable on any
// face: white under black dashes.
void PaintFocusMark(QPainter &p, const QRect &r);

// Whether the focused control w, when it is a skinned control showing its
// focus mark, acts on this key itself (the window's own key commands then
// leave it alone).
bool SkinControlTakesKey(const QWidget *w, int key, Qt::KeyboardModifiers modifiers);

// Chains the tab order of the widgets in reading order: rows top to bottom,
// left to right in a row (positions in their common window).
void SetReadingTabOrder(QList<QWidget *> widgets);

}  // namespace voxa
