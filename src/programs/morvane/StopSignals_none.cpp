#include "morvane/StopSignals.h"

// Windows ends a windowed program through its window and the session: the window handles both.
void CloseOnStopSignals(QObject&, std::function<void()>) {}

int EndAsStopSignalled(int status)
{
    return status;
}
