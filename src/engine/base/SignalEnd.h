#pragma once

// Ends the program as the signal would have, once its report is out, so that a shell running it
// (a script's loop) sees it was interrupted; where that is not possible, returns the exit status a
// shell shows for it, 128 + signal.
int EndAsSignalled(int signal);
