#include "cli/Terminal.h"

#include <csignal>

#include <unistd.h>

bool IsTerminal(std::FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}

int EndAsSignalled(int signal)
{
    std::fflush(nullptr);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return 128 + signal;
}
