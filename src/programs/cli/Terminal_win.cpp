#include "cli/Terminal.h"

#include <io.h>

bool IsTerminal(std::FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}

// Raised here, the signal would end the program with status 3.
int EndAsSignalled(int signal)
{
    return 128 + signal;
}
