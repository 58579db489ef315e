#include "base/MainThread.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <memory>

namespace {
// How often a waiting thread looks whether it is asked to stop.
constexpr int HandOverPollMs = 10;

enum class THandOverState
{
    Pending,
    Running,
    Cancelled
};

// Shared by the waiting thread and the queued main-thread call, whichever outlives the other.
struct THandOver
{
    std::function<void()> Step;
    std::atomic<THandOverState> State{THandOverState::Pending};
    QSemaphore Done;
};

bool Claim(THandOver& handOver, THandOverState next)
{
    auto expected = THandOverState::Pending;
    return handOver.State.compare_exchange_strong(expected, next);
}

void RunClaimedStep(const std::shared_ptr<THandOver>& handOver)
{
    if (!Claim(*handOver, THandOverState::Running))
        return;
    struct TReleaseOnExit
    {
        QSemaphore& Done;
        ~TReleaseOnExit() { Done.release(); }
    } release{handOver->Done};
    handOver->Step();
}
} // namespace

bool RunOnMainThread(std::function<void()> step)
{
    QThread* self = QThread::currentThread();
    // The main thread would wait for itself.
    Q_ASSERT(self != QCoreApplication::instance()->thread());
    auto handOver = std::make_shared<THandOver>();
    handOver->Step = std::move(step);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [handOver] { RunClaimedStep(handOver); },
        Qt::QueuedConnection);
    while (!handOver->Done.tryAcquire(1, HandOverPollMs)) {
        if (self->isInterruptionRequested() && Claim(*handOver, THandOverState::Cancelled))
            return false;
    }
    return true;
}
