#pragma once

#include "base/Result.h"
#include "convert/StopToken.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

enum class TProgramEnd
{
    NotStarted,
    // Ended by itself, with an exit status.
    Exited,
    // Ended by a signal it did not ask for (a crash, a kill from outside).
    Crashed,
    // Ended by us at its time limit.
    TimedOut,
    // Ended by us on a stop request.
    Stopped
};

// How one run of an outside program went. A plain value.
struct TProgramResult
{
    // The program's file name without its extension ("magick"), for messages.
    QString Program;
    TProgramEnd End = TProgramEnd::NotStarted;
    // Exited: the exit status. Crashed: the signal, where the platform tells it.
    int Code = 0;
    // Standard output and standard error, merged, decoded as UTF-8; at most its first mebibyte.
    QString Printed;
    // NotStarted: the system's reason.
    QString StartError;
    // TimedOut: the limit it ran into.
    std::chrono::milliseconds TimeLimit{0};

    // Ended by itself with status 0, whatever it printed.
    bool ExitedWithStatusZero() const;
    // Also printed nothing: what a conversion asks of ImageMagick and the JPEG encoder.
    bool IsClean() const;
    // One plain text on why it is not clean: the program's own first lines where it printed any,
    // otherwise a sentence for the cause ("magick ended with status 1"). Empty when clean.
    QString FailureReason() const;
    // FailureReason as a failure: Interrupted when a stop ended the program.
    TFailure Failure() const;
};

// Where and for how long a program may run.
struct TProgramSettings
{
    // Empty: the program's own folder.
    QString WorkingFolder;
    // Set on top of the caller's own environment as it is when the program starts.
    QHash<QString, QString> AddedVariables;
    // None: no limit.
    std::optional<std::chrono::milliseconds> TimeLimit;
    // Asked to stop, the runner ends the program at once.
    TStopToken Stop;
};

// Runs a program until it ends and tells how it ended. Each argument reaches the program whole; it
// reads an empty standard input and shows no window. The program runs in a process group of its
// own and is ended together with everything it started when it outlives its time limit or a stop
// is requested; on Linux it also dies when the thread that started it does (so keep that thread
// waiting here, as this call does). Any thread; blocks until the program has ended.
TProgramResult RunProgram(const QString& program, const QStringList& arguments,
                          const TProgramSettings& settings = {});

// One program of a chain, with its arguments.
struct TProgramCall
{
    QString Program;
    QStringList Arguments;
};

// Runs the programs one after another, each only when the one before it ended clean; the result
// is that of the first one that did not, else the last one's.
TProgramResult RunChain(const QList<TProgramCall>& chain, const TProgramSettings& settings);

// What a program printed (see RunProgram), for callers that only read its words: version probes,
// test fixtures. Empty when it printed nothing or could not be started.
QString RunProcess(const QString& program, const QStringList& arguments);
