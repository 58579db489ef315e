#pragma once

#include "batch/JobPool.h"
#include "config/ConvertOptions.h"
#include "convert/StopToken.h"
#include "input/FileInfo.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class TRunHost;
class TWorkFolderShelf;

// What a run converts with, read from the window when it starts.
struct TRunSetup
{
    // Holds the outside programs; empty finds the installed ones.
    QString ToolFolder;
    TConvertOptions Options;
    // Files converted at once.
    int Jobs = 1;
};

// One conversion run over the host's rows: a worker thread hands them, in list order, to a job
// pool that converts several at once, and each row's start and end is shown on the main thread
// while the pool's worker waits. Finished is emitted on the main thread once the pool has ended,
// with every program it started. A stopped run ends the programs under way; their rows, and the
// rows not begun, are Ready again. A host that goes away first calls Detach(); the run then stops
// and ends without Finished. Created on the main thread by Start; it frees itself when its worker
// ends.
class TConversionRun : public QObject
{
    Q_OBJECT

public:
    // Converts every row of the host. Each step waits for the main thread's event loop, so the
    // caller may connect to Finished after Start has returned.
    static TConversionRun* Start(TRunHost& host, const TRunSetup& setup);

    // Ends the programs under way and starts no more; Finished follows once they have ended.
    // Main thread.
    void Stop();
    // The host is gone: no step touches it again, and the run stops. Main thread.
    void Detach();

Q_SIGNALS:
    void Finished();

private:
    TConversionRun(TRunHost& host, TRunSetup setup, QList<TFileInfo> inputs);

    void Work();
    // Runs `step` on the main thread and waits; once the host is gone, nothing is run.
    void OnMainThread(const std::function<void()>& step);
    void StartedStep(qsizetype row);
    void FinishedStep(qsizetype row, const TResult<>& result);

    // Main thread only.
    TRunHost* FHost;
    int FFinishedRows = 0;

    const TRunSetup FSetup;
    const QList<TFileInfo> FInputs;
    const TStopToken FStop;
};
