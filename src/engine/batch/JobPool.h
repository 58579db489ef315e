#pragma once

#include "convert/Converter.h"
#include "input/FileInfo.h"

#include <QList>
#include <QThreadPool>

#include <functional>
#include <memory>

class TWorkFolderShelf;

// Converts a batch of listed files on a number of worker threads, each file with a converter of
// its own; the pages of a PDF are shared out among the workers too. Results come back in input
// order whatever order they finish in. When more than one job runs, each outside program is asked
// to use a single thread, so the jobs do not compete for the cores. A worker's work folder is kept
// for its next file and removed when Run returns. Run and its callbacks stay on the calling thread.
class TJobPool
{
public:
    using TResultHandler = std::function<void(qsizetype index, const TConvertResult& result)>;
    using TProgressHandler = std::function<void(qsizetype done)>;

    TJobPool(TConvertTools tools, TConvertOptions options, int jobs);
    ~TJobPool();

    // onResult gets each input's result as soon as it and all inputs before it are done; onProgress
    // the number done, whenever it grows. Returns when every input is done. The workers read a
    // copy of inputs of their own, whatever the caller does with its list meanwhile.
    void Run(QList<TFileInfo> inputs, const TResultHandler& onResult,
             const TProgressHandler& onProgress);
    // For good: the programs under way are ended and no more are started, so every file not yet
    // converted fails as "interrupted", leaving nothing under an output name, and Run soon
    // returns. Any thread, and safe in a signal handler.
    void Stop();

private:
    TConvertResult Convert(const TFileInfo& input);
    QList<TConvertResult> RunPages(qsizetype count,
                                   const std::function<TConvertResult(qsizetype)>& convertPage);

    TConvertTools FTools;
    TConvertOptions FOptions;
    int FJobs;
    // Made before any worker starts, so that Stop only stores into it.
    const TStopToken FStop;
    const std::shared_ptr<TWorkFolderShelf> FShelf;
    QThreadPool FPool;
};
