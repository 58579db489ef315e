#pragma once

#include <functional>

class QObject;

// The signals that ask a program to end (SIGTERM, and SIGINT and SIGHUP from a terminal) call
// `close` on the main thread instead, as long as `owner` lives: the window then stops its run and
// closes once the programs have ended. A second such signal ends the program at once; the
// programs it started die with it. Call once, on the main thread. Nothing where the platform has
// no such signals.
void CloseOnStopSignals(QObject& owner, std::function<void()> close);

// Once the window has closed: when a stop signal closed it, ends the program by that signal, so
// that whoever started it (a shell, a script's loop) sees it ended so; otherwise returns `status`.
int EndAsStopSignalled(int status);
