#pragma once
// Runs a sequence of steps from a timer instead of a loop that processes
// events and sleeps: each step returns the wait before the next one, or a
// negative number when it was the last. The window stays responsive in
// between without nested event loops. In instant mode (tests) the steps run
// one after another at once.
#include <QObject>
#include <QTimer>
#include <functional>

namespace voxa {

class StepAnimation : public QObject {
    Q_OBJECT
public:
    using Step = std::function<int()>;
    explicit StepAnimation(QObject *parent = nullptr);

    // Starts a sequence; one still running is first finished at once.
    void start(Step step, std::function<void()> done);
    // Runs the remaining steps of the running sequence without waiting.
    void finishNow();
    bool running() const { return bool(m_step); }

    static void setInstant(bool instant);
    static bool instant();
    // Tests: told every wait between two steps (none for steps that follow
    // at once), in instant mode too.
    static void setWaitObserver(std::function<void(int)> observer);

private:
    void tick();
    void complete();

    QTimer m_timer;
    Step m_step;
    std::function<void()> m_done;
    quint64 m_generation = 0;
};

}  // namespace voxa
