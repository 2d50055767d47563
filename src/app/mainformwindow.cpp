// The window on the desktop: where it may stand, and the header's drag.
#include "app/mainform.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRegion>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <limits>

namespace voxa {
namespace {

std::optional<bool> g_positionKnown;
TMainForm::SystemMove g_systemMove;

// One axis: the start moved the least so that the extent fits, or onto the
// area's start when it cannot fit.
int keepOnAxis(int start, int extent, int areaStart, int areaExtent)
{
    if (extent >= areaExtent)
        return areaStart;
    return std::clamp(start, areaStart, areaStart + areaExtent - extent);
}

qint64 squaredGap(const QRect &a, const QRect &b)
{
    const qint64 dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const qint64 dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

}  // namespace

QPoint KeepOnScreen(QPoint topLeft, QSize window, const QList<QRect> &available)
{
    QList<QRect> areas;
    QRegion desktop;
    for (const QRect &area : available)
        if (!area.isEmpty()) {
            areas << area;
            desktop += area;
        }
    if (areas.isEmpty())
        return topLeft;
    const QRect rect(topLeft, window.expandedTo(QSize(1, 1)));
    // Across two screens is fine as long as no part lies off both.
    if (QRegion(rect).subtracted(desktop).isEmpty())
        return topLeft;
    const QRect *target = nullptr;
    qint64 bestOverlap = 0;
    for (const QRect &area : areas) {
        const QRect common = area.intersected(rect);
        const qint64 overlap = qint64(common.width()) * common.height();
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            target = &area;
        }
    }
    if (!target) {
        qint64 nearest = std::numeric_limits<qint64>::max();
        for (const QRect &area : areas)
            if (const qint64 gap = squaredGap(area, rect); gap < nearest) {
                nearest = gap;
                target = &area;
            }
    }
    return {keepOnAxis(rect.left(), rect.width(), target->left(), target->width()),
            keepOnAxis(rect.top(), rect.height(), target->top(), target->height())};
}

QList<QRect> AvailableScreenAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}

bool TMainForm::WindowPositionKnown()
{
    if (g_positionKnown)
        return *g_positionKnown;
    // The Wayland protocol keeps a window's place on the screen from it.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void TMainForm::setWindowPositionKnown(std::optional<bool> known)
{
    g_positionKnown = known;
}

void TMainForm::setSystemMove(SystemMove move)
{
    g_systemMove = std::move(move);
}

QSize TMainForm::placementSize() const
{
    return size().expandedTo(QSize(FullWidth, FullHeight));
}

void TMainForm::headerMouseEvent(QMouseEvent *e)
{
    const QPoint global = e->globalPosition().toPoint();
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        m_dragOffset = global - pos();
        if (e->button() == Qt::LeftButton) {
            m_drag = Drag::Press;
            m_dragFrom = global;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (!(e->buttons() & Qt::LeftButton))
            m_drag = Drag::None;
        break;
    case QEvent::MouseMove:
        HeaderMouseMove(global, e->buttons());
        break;
    default:
        break;
    }
}

void TMainForm::HeaderMouseMove(QPoint globalPos, Qt::MouseButtons buttons)
{
    if (!(buttons & Qt::LeftButton)) {
        if (buttons == Qt::NoButton) {
            m_dragOffset = globalPos - pos();
            m_drag = Drag::None;
        }
        return;
    }
    const int distance = QApplication::startDragDistance();
    switch (m_drag) {
    case Drag::Press: {
        // Not on the press: a move the window system starts there swallows
        // the clicks and double-clicks on the header.
        if ((globalPos - m_dragFrom).manhattanLength() < distance)
            return;
        QWindow *window = windowHandle();
        const bool taken = g_systemMove ? g_systemMove(window) : (window && window->startSystemMove());
        if (taken) {
            m_drag = Drag::System;
            m_dragFrom = globalPos;
            m_systemMoveFrom = pos();
            return;
        }
        m_drag = Drag::Manual;
        break;
    }
    case Drag::System:
        // A window system that took the move holds the pointer, so no more
        // events come, or moves the window. Some X11 window managers accept
        // the request and do nothing: the pointer still moves over a window
        // that stands still, which then follows it itself.
        if (pos() != m_systemMoveFrom || (globalPos - m_dragFrom).manhattanLength() < distance)
            return;
        m_drag = Drag::Manual;
        break;
    case Drag::None:
    case Drag::Manual:
        m_drag = Drag::Manual;
        break;
    }
    move(globalPos - m_dragOffset);
}

}  // namespace voxa
