#pragma once

#include <QStringList>

// Exit statuses of morvane-cli.
enum TExitStatus
{
    ExitSuccess = 0,
    ExitFailure = 1,
    ExitUsageError = 2
};

// The whole command: reads the arguments (arguments[0] is the program), converts, prints one line
// per input and a summary on standard output, messages and the progress bar on standard error.
// Needs a QCoreApplication; returns the exit status. Interrupted by SIGINT, SIGTERM or SIGHUP, it
// stops the programs under way, reports every input and the summary, and then ends the process by
// that signal where the platform allows (EndAsSignalled).
int RunCommandLine(const QStringList& arguments);
