#include "morvane/DisplayCheck.h"

// Windows and macOS always give a program their display.
bool HasDisplay(const QProcessEnvironment&)
{
    return true;
}
