#include "update/ServiceThreads.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QList>
#include <QPointer>
#include <QThread>

namespace {

// Long enough for a request to be aborted, short enough not to hold up the program's end.
constexpr std::chrono::milliseconds ShutdownTimeout{3000};

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
