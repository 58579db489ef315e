#pragma once

#include "config/StoredOptions.h"
#include "convert/Converter.h"
#include "convert/StopToken.h"
#include "input/FileInfo.h"

#include <QList>
#include <QThreadPool>

#include <functional>
#include <memory>

class TWorkFolderShelf;

// What a pool tells while it runs, about each input whose conversion it begins. Called on the
// worker thread that converts the input, from several threads at once; Started in input order,
// before the input's conversion begins. A result that failed as Interrupted was not converted
// because a stop was asked for, and nothing is under its output name.
struct TJobEvents
{
    std::function<void(qsizetype index)> Started;
    std::function<void(qsizetype index, const TResult<>& result)> Finished;
};

// Converts a batch of listed files on a number of worker threads, each file with a converter of
// its own; the pages of a PDF are shared out among the workers too. Files start in input order;
// files whose outputs could claim the same names start only when the one before them has ended,
// so the outputs are those of a one-job run. Results come back in input order whatever order they
// finish in. A worker's work folder is kept for its next file and removed when Run returns. When
// more than one job runs, each outside program is asked to use a single thread, so the jobs do not
// compete for the cores. Run and its handlers stay on the calling thread.
class TJobPool
{
public:
    using TResultHandler = std::function<void(qsizetype index, const TResult<>& result)>;
    using TProgressHandler = std::function<void(qsizetype done)>;

    // `stop` is the token Stop() sets; whoever holds a copy may stop the pool as well.
    TJobPool(TConvertTools tools, TConvertOptions options, int jobs, TStopToken stop = {});
    ~TJobPool();

    // Before Run.
    void SetEvents(TJobEvents events);
    // onResult gets each input's result as soon as it and all inputs before it are done; onProgress
    // the number done, whenever it grows. Returns when every input is done. The workers read a
    // copy of inputs of their own, whatever the caller does with its list meanwhile.
    void Run(QList<TFileInfo> inputs, const TResultHandler& onResult,
             const TProgressHandler& onProgress);
    // For good: the programs under way are ended and no more are started, so every file not yet
    // converted fails as Interrupted, leaving nothing under an output name, and Run soon returns.
    // Any thread, and safe in a signal handler.
    void Stop();

private:
    bool Begin(qsizetype index);
    TResult<> Convert(qsizetype index, const TFileInfo& input);
    TResult<> ConvertOrFail(const TFileInfo& input);
    QList<TResult<>> RunPages(qsizetype count,
                              const std::function<TResult<>(qsizetype)>& convertPage);

    TConvertTools FTools;
    TConvertOptions FOptions;
    int FJobs;
    // Made before any worker starts, so that Stop only stores into it.
    const TStopToken FStop;
    TJobEvents FEvents;
    const std::shared_ptr<TWorkFolderShelf> FShelf;
    QThreadPool FPool;
};
