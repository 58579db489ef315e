#include "morvane/StopSignals.h"

#include "base/SignalEnd.h"

#include <QSocketNotifier>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {
// The handler writes into it, the main thread reads from it.
int GSignalPipe[2] = {-1, -1};
// The first stop signal; set by the handler only.
volatile sig_atomic_t GCaughtSignal = 0;

void SetHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : StopSignals())
        sigaction(signal, &action, nullptr);
}

// Async-signal-safe calls only.
extern "C" void NoteStopSignal(int signal)
{
    SetHandler(SIG_DFL);
    GCaughtSignal = signal;
    const char note = 1;
    [[maybe_unused]] const ssize_t written = ::write(GSignalPipe[1], &note, 1);
}

// Close-on-exec, so that the outside programs do not hold it; a full pipe must not block the
// handler.
bool MakeSignalPipe()
{
    if (::pipe(GSignalPipe) != 0)
        return false;
    for (const int end : GSignalPipe) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    }
    return true;
}
} // namespace

void CloseOnStopSignals(QObject& owner, std::function<void()> close)
{
    if (!MakeSignalPipe())
        return;
    auto* notifier = new QSocketNotifier(GSignalPipe[0], QSocketNotifier::Read, &owner);
    QObject::connect(notifier, &QSocketNotifier::activated, &owner,
                     [notifier, close = std::move(close)] {
                         notifier->setEnabled(false);
                         char note = 0;
                         [[maybe_unused]] const ssize_t read = ::read(GSignalPipe[0], &note, 1);
                         close();
                     });
    SetHandler(NoteStopSignal);
}

int EndAsStopSignalled(int status)
{
    const int signal = GCaughtSignal;
    return signal == 0 ? status : EndAsSignalled(signal);
}
