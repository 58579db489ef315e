#pragma once

#include <cstdio>

// Whether the stream goes to a terminal rather than to a file or a pipe.
bool IsTerminal(std::FILE* stream);

// Ends the program as the signal would have, once its report is out, so that a shell running it
// (a script's loop) sees it was interrupted; where that is not possible, returns the exit status a
// shell shows for it, 128 + signal.
int EndAsSignalled(int signal);
