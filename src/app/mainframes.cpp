// Frame switching: the frames of the table, showing one with the animated
// resize, and closing the visible one.
#include "app/aboutframe.h"
#include "app/controlframe.h"
#include "app/editorframe.h"
#include "app/frametable.h"
#include "app/mainform.h"
#include "app/otherframe.h"
#include "app/stepanimation.h"
#include "ui/skinaccessible.h"
#include "ui/artwork.h"
#include "ui/framescroller.h"
#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace voxa {
namespace {

int sign(int v)
{
    return v < 0 ? -1 : 1;
}

}  // namespace

QWidget *TMainForm::Frame(FrameKind kind) const
{
    return kind == FrameKind::Count ? nullptr : m_frames[size_t(kind)].data();
}

TEditorFrame *TMainForm::Editor(FrameKind kind) const
{
    return qobject_cast<TEditorFrame *>(Frame(kind));
}

TOtherFrame *TMainForm::OtherFrame(FrameKind kind) const
{
    return qobject_cast<TOtherFrame *>(Frame(kind));
}

FrameKind TMainForm::KindOf(const QWidget *frame) const
{
    for (const FrameRow &row : FrameTable())
        if (frame && Frame(row.kind) == frame)
            return row.kind;
    return FrameKind::Count;
}

QWidget *TMainForm::VisibleFrame() const
{
    if (StartPanel && StartPanel->isVisibleTo(this))
        return StartPanel;
    for (const auto &f : m_frames)
        if (f && f->isVisibleTo(this))
            return f;
    return nullptr;
}

void TMainForm::EnsureFrame(FrameKind kind, bool announce)
{
    const FrameRow &row = RowOf(kind);
    if (Frame(kind) || !row.status)
        return;
    FrameFactory factory = FrameFactoryFor(kind);
    if (!factory && kind == FrameKind::About)
        factory = [](FrameHost &host, QWidget *parent) -> QWidget * { return new TAboutFrame(&host, parent); };
    if (!factory)
        return;
    if (announce)
        ShowStartupStatus(QString::fromLatin1(row.status));
    QWidget *frame = factory(*this, this);
    if (!frame)
        return;
    if (frame->parentWidget() != this)
        frame->setParent(this);
    frame->hide();
    m_frames[size_t(kind)] = frame;
    if (auto *editor = qobject_cast<TEditorFrame *>(frame); editor && row.extension) {
        editor->setFolder(QString::fromLatin1(row.folder));
        editor->setExtension(QString::fromLatin1(row.extension));
    }
}

void TMainForm::CreateFrames(bool announce)
{
    for (const FrameRow &row : FrameTable())
        EnsureFrame(row.kind, announce);
    m_framesCreated = true;
}

void TMainForm::ShowFrame(QWidget *frame, std::function<void()> then)
{
    if (!frame)
        return;
    // A change that is still animating ends first, so frames never overlap.
    m_animation->finishNow();
    m_status.clear();
    setFileToolsEnabled(true);
    const QPoint origin(ToolPanel->x() + ToolPanel->width(), Border->y() + Border->height());
    frame->move(origin);
    // A frame the screen has no room for scrolls inside the room there is.
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen ? FrameRoom(screen->availableGeometry(), origin)
                              : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QSize shown = TFrameScroller::of(this)->Hold(frame, origin, room);
    FitWindowToFrame(shown.width(), shown.height(), [this, frame = QPointer<QWidget>(frame), then] {
        if (frame)
            finishFrameChange(frame);
        if (then)
            then();
    });
}

void TMainForm::finishFrameChange(QWidget *frame)
{
    // Lists and fields without a name of their own are read out by their label.
    NameFromNeighbours(frame);
    const QImage background = MakeFrameBackground(frame->width(), frame->height());
    if (auto *editor = qobject_cast<TEditorFrame *>(frame)) {
        ActiveEditor = editor;
        editor->MainPanel()->setBackground(background);
    } else {
        ActiveEditor = nullptr;
        if (auto *start = qobject_cast<TControlFrame *>(frame))
            start->ButtonPanel->setBackground(background);
        else if (auto *other = qobject_cast<TOtherFrame *>(frame))
            other->MainPanel->setBackground(background);
    }
    frame->show();
    frame->raise();
    TFrameScroller::of(this)->Reveal(frame);
    emit frameShown(frame);
}

bool TMainForm::CloseActiveFrame(bool keepHidden)
{
    if (!m_framesCreated)
        return true;
    if (StartPanel && StartPanel->isVisibleTo(this)) {
        StartPanel->hide();
        return true;
    }
    std::vector<const FrameRow *> rows;
    for (const FrameRow &row : FrameTable())
        rows.push_back(&row);
    std::sort(rows.begin(), rows.end(), [](auto *a, auto *b) { return a->closeRank < b->closeRank; });
    for (const FrameRow *row : rows) {
        QWidget *frame = Frame(row->kind);
        if (!frame || !frame->isVisibleTo(this))
            continue;
        if (auto *editor = qobject_cast<TEditorFrame *>(frame))
            return editor->CloseEditor(keepHidden);
        if (auto *other = qobject_cast<TOtherFrame *>(frame))
            return other->CloseFrame(keepHidden);
    }
    return true;
}

void TMainForm::setPaintOrigin()
{
    m_paintOrigin = QPoint(ToolPanel->width(), Border->y() + Border->height());
}

void TMainForm::FitWindowToFrame(int fw, int fh, std::function<void()> then)
{
    m_animation->finishNow();
    setPaintOrigin();
    m_resizing = true;
    const int targetWidth = ToolPanel->x() + ToolPanel->width() + fw;
    const int targetHeight = Border->y() + Border->height() + fh;
    const auto finish = [this, fw, fh, then] {
        m_resizing = false;
        Header->setBackground(MakeHeaderBackground(Header->width(), Header->height()));
        Border->resize(ToolPanel->x() + ToolPanel->width() + fw, Border->height());
        Border->setBackground(MakeBorderBackground(Border->width(), Border->height()));
        // The menu bar is drawn 760 pixels wide; a wider frame would show
        // the border's darker top beside it.
        MenuBar->resize(std::max(760, Border->width() - 2), MenuBar->height());
        ToolPanel->resize(ToolPanel->width(), fh);
        ToolPanel->setBackground(MakeToolPanelBackground(ToolPanel->width(), fh));
        update();
        if (then)
            then();
    };
    if (targetWidth == width() && targetHeight == height()) {
        m_resizing = false;
        if (then)
            then();
        return;
    }
    const int dx = targetWidth - width(), dy = targetHeight - height();
    int widthStep, heightStep, delay;
    if (std::abs(dx) > std::abs(dy)) {
        widthStep = 5;
        heightStep = std::abs(int(std::lround(5.0 * dy / dx)));
        delay = 500 / (std::abs(dx) / 5 + 1);
    } else {
        heightStep = 5;
        widthStep = std::abs(int(std::lround(5.0 * dx / dy)));
        delay = 500 / (std::abs(dy) / 5 + 1);
    }
    widthStep = std::max(widthStep, 1);
    heightStep = std::max(heightStep, 1);

    // The steps are counted on our own numbers, so a window system that
    // holds the window at another size cannot keep the animation going.
    struct State {
        int w, h, left, top;
    };
    auto state = std::make_shared<State>(State{width(), height(), x(), y()});
    const QList<QRect> areas = AvailableScreenAreas();
    m_animation->start(
        [=, this]() -> int {
            State &s = *state;
            if (s.w == targetWidth && s.h == targetHeight)
                return -1;
            if (heightStep < std::abs(targetHeight - s.h))
                s.h += sign(targetHeight - s.h) * heightStep;
            else
                s.h = targetHeight;
            if (widthStep < std::abs(targetWidth - s.w))
                s.w += sign(targetWidth - s.w) * widthStep;
            else
                s.w = targetWidth;
            // A growing frame never pushes the header or its own buttons
            // off the screen, nor leaves a window dragged off it there.
            const QPoint kept = KeepOnScreen({s.left, s.top}, {s.w, s.h}, areas);
            s.left = kept.x();
            s.top = kept.y();
            setGeometry(s.left, s.top, s.w, s.h);
            Header->resize(s.w, Header->height());
            HeaderCaption->resize(s.w, HeaderCaption->height());
            XButton->move(s.w - XButton->width() - 4, XButton->y());
            return delay;
        },
        finish);
}

void TMainForm::OpeningAnimation(std::function<void()> then)
{
    const QPoint start = pos();
    struct State {
        int left, top, w, h;
        bool heightPhase = false;
    };
    auto state = std::make_shared<State>(State{start.x() + FullWidth / 2 + 2, start.y() + FullHeight / 2 + 1,
                                               width(), height()});
    setGeometry(state->left, state->top, state->w, state->h);
    // Width first, then height, 8 pixels a step with no wait; the events in
    // between repaint the growing window.
    m_animation->start(
        [this, state]() -> int {
            State &s = *state;
            if (!s.heightPhase) {
                if (s.w < FullWidth) {
                    s.w = std::min(s.w + 8, FullWidth);
                    s.left -= 4;
                    setGeometry(s.left, s.top, s.w, s.h);
                    return 0;
                }
                s.heightPhase = true;
                setPaintOrigin();
                m_resizing = true;
            }
            if (s.h < FullHeight) {
                s.h = std::min(s.h + 8, FullHeight);
                s.top -= 4;
                setGeometry(s.left, s.top, s.w, s.h);
                return 0;
            }
            return -1;
        },
        [this, start, then] {
            m_resizing = false;
            // The height's steps leave the window one pixel below where it
            // started; ending exactly there keeps a saved position from
            // creeping down a pixel at every start.
            if (pos() != start)
                move(start);
            update();
            if (then)
                then();
        });
}

void TMainForm::ClosingAnimation(std::function<void()> then)
{
    setPaintOrigin();
    m_resizing = true;
    struct State {
        int left, top, w, h;
    };
    auto state = std::make_shared<State>(State{x(), y(), width(), height()});
    // The height shrinks 12 pixels every 20 ms, then the width 8 a step
    // without waiting.
    m_animation->start(
        [this, state]() -> int {
            State &s = *state;
            if (s.h > 3) {
                s.top += 6;
                s.h = s.h < 16 ? 3 : s.h - 12;
                setGeometry(s.left, s.top, s.w, s.h);
                update();
                return 20;
            }
            m_resizing = false;
            if (s.w > 3) {
                s.left += 4;
                s.w = s.w < 12 ? 3 : s.w - 8;
                setGeometry(s.left, s.top, s.w, s.h);
                update();
                return 0;
            }
            return -1;
        },
        [this, then] {
            m_resizing = false;
            if (then)
                then();
        });
}

bool TMainForm::Busy() const
{
    return m_starting || m_closing || m_animation->running();
}

void TMainForm::setInstantAnimations(bool instant)
{
    StepAnimation::setInstant(instant);
}

bool TMainForm::InstantAnimations()
{
    return StepAnimation::instant();
}

}  // namespace voxa
