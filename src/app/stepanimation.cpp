#include "app/stepanimation.h"

namespace voxa {
namespace {
bool g_instant = false;
std::function<void(int)> g_waitObserver;

void observe(int wait)
{
    if (wait > 0 && g_waitObserver)
        g_waitObserver(wait);
}
}  // namespace

void StepAnimation::setWaitObserver(std::function<void(int)> observer)
{
    g_waitObserver = std::move(observer);
}

StepAnimation::StepAnimation(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &StepAnimation::tick);
}

void StepAnimation::setInstant(bool instant)
{
    g_instant = instant;
}

bool StepAnimation::instant()
{
    return g_instant;
}

void StepAnimation::start(Step step, std::function<void()> done)
{
    finishNow();
    ++m_generation;
    m_step = std::move(step);
    m_done = std::move(done);
    if (g_instant) {
        finishNow();
        return;
    }
    tick();
}

void StepAnimation::tick()
{
    if (!m_step)
        return;
    const int wait = m_step();
    if (wait < 0) {
        complete();
        return;
    }
    observe(wait);
    m_timer.start(wait);
}

void StepAnimation::finishNow()
{
    m_timer.stop();
    // The continuation may start the next sequence; that one keeps its pace.
    const quint64 generation = m_generation;
    while (m_step && generation == m_generation) {
        const int wait = m_step();
        if (wait < 0)
            complete();
        else
            observe(wait);
    }
}

void StepAnimation::complete()
{
    m_timer.stop();
    m_step = nullptr;
    // The continuation may start the next sequence.
    auto done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done();
}

}  // namespace voxa
