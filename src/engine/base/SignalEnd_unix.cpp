#include "base/SignalEnd.h"

#include <csignal>
#include <cstdio>

int EndAsSignalled(int signal)
{
    std::fflush(nullptr);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return 128 + signal;
}

std::span<const int> StopSignals()
{
    static constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};
    return Signals;
}
