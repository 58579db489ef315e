#include "base/SignalEnd.h"

#include <csignal>

// Raised here, the signal would end the program with status 3.
int EndAsSignalled(int signal)
{
    return 128 + signal;
}

std::span<const int> StopSignals()
{
    static constexpr int Signals[] = {SIGINT, SIGTERM};
    return Signals;
}
