#include "base/SignalEnd.h"

// Raised here, the signal would end the program with status 3.
int EndAsSignalled(int signal)
{
    return 128 + signal;
}
