#include "update/ServiceThreads.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QList>
#include <QPointer>
#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <memory>

namespace {

// Long enough for a request to be aborted, short enough not to hold up the program's end.
constexpr std::chrono::milliseconds ShutdownTimeout{3000};
constexpr int HandOverPollMs = 10;

QList<QPointer<QThread>>& RunningThreads()
{
    static QList<QPointer<QThread>> threads;
    return threads;
}

void StopThreadsWhenEventLoopEnds()
{
    static bool connected = false;
    if (connected || !QCoreApplication::instance())
        return;
    connected = true;
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                     QCoreApplication::instance(), [] { StopServiceThreads(ShutdownTimeout); });
}

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

void StartServiceThread(std::function<void()> work)
{
    Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
    StopThreadsWhenEventLoopEnds();
    auto& threads = RunningThreads();
    threads.removeAll(nullptr);
    QThread* thread = QThread::create(std::move(work));
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    threads.append(thread);
    thread->start();
}

bool StopServiceThreads(std::chrono::milliseconds timeout)
{
    auto& threads = RunningThreads();
    threads.removeAll(nullptr);
    for (const auto& thread : threads)
        thread->requestInterruption();
    QDeadlineTimer deadline(timeout);
    bool allStopped = true;
    for (const auto& thread : threads)
        allStopped = thread->wait(deadline) && allStopped;
    return allStopped;
}

bool RunOnMainThread(std::function<void()> step)
{
    QThread* self = QThread::currentThread();
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
