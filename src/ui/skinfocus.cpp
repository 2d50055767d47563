#include "ui/skinfocus.h"

#include "ui/skinbutton.h"
#include "ui/skinmenu.h"
#include "ui/skinslider.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace voxa {
namespace {

class InputWatch : public QObject {
public:
    bool lastWasKey = false;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
            lastWasKey = true;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            lastWasKey = false;
            break;
        default:
            break;
        }
        return false;
    }
};

InputWatch *inputWatch()
{
    static InputWatch *watch = [] {
        auto *w = new InputWatch;
        if (qApp) {
            w->setParent(qApp);
            qApp->installEventFilter(w);
        }
        return w;
    }();
    return watch;
}

}  // namespace

bool LastInputWasKey()
{
    return inputWatch()->lastWasKey;
}

FocusFromKey FocusReasonFromKey(Qt::FocusReason reason)
{
    switch (reason) {
    case Qt::ActiveWindowFocusReason:
        return {true, false};
    case Qt::ShortcutFocusReason:
        return {false, true};
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::OtherFocusReason:
        // A hidden control passes its focus on with the tab reason; after a
        // mouse click that is no keyboard focus.
        return {false, LastInputWasKey()};
    default:
        return {false, false};
    }
}

void PaintFocusMark(QPainter &p, const QRect &r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    for (int inset = 0; inset < 2; ++inset) {
        const QRect ring = r.adjusted(inset, inset, -1 - inset, -1 - inset);
        if (ring.width() < 2 || ring.height() < 2)
            break;
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(ring);
        QPen dash(Qt::black, 1, Qt::CustomDashLine);
        dash.setDashPattern({2, 2});
        dash.setDashOffset(inset * 2);
        p.setPen(dash);
        p.drawRect(ring);
    }
    p.restore();
}

bool SkinControlTakesKey(const QWidget *w, int key, Qt::KeyboardModifiers modifiers)
{
    if (!w || !w->isEnabled() || (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const bool press = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (auto *b = qobject_cast<const TSkinButton *>(w))
        return press && b->KeyboardFocus();
    if (auto *m = qobject_cast<const TSkinMenuButton *>(w))
        return (press || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right) && m->KeyboardFocus();
    if (auto *s = qobject_cast<const TSkinSlider *>(w)) {
        switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return s->KeyboardFocus();
        default:
            return false;
        }
    }
    return false;
}

void SetReadingTabOrder(QList<QWidget *> widgets)
{
    widgets.removeAll(nullptr);
    if (widgets.size() < 2)
        return;
    QWidget *top = widgets.first()->window();
    const auto at = [top](const QWidget *w) { return w->mapTo(top, QPoint(0, 0)); };
    // Controls whose tops lie within a few pixels share a row.
    std::stable_sort(widgets.begin(), widgets.end(), [&](const QWidget *a, const QWidget *b) {
        const QPoint pa = at(a), pb = at(b);
        if (std::abs(pa.y() - pb.y()) > 4)
            return pa.y() < pb.y();
        return pa.x() < pb.x();
    });
    for (qsizetype i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

}  // namespace voxa
