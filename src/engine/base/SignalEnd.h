#pragma once

#include <span>

// Ends the program as the signal would have, once its report is out, so that a shell running it
// (a script's loop) sees it was interrupted; where that is not possible, returns the exit status a
// shell shows for it, 128 + signal.
int EndAsSignalled(int signal);

// The signals that ask a program to end: Ctrl+C (SIGINT), kill's default (SIGTERM) and, where the
// platform has it, a closed terminal (SIGHUP).
std::span<const int> StopSignals();
