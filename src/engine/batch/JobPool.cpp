#include "batch/JobPool.h"

#include "batch/OutputChains.h"
#include "files/WorkFolder.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
// Page helpers go before files still waiting, so that a started PDF is finished first.
constexpr int PageHelperPriority = 1;

// Results as the workers post them, handed out in input order on the thread that waits.
class TResultBoard
{
public:
    explicit TResultBoard(qsizetype count) : FResults(count) {}

    void Post(qsizetype index, TResult<> result)
    {
        {
            const std::lock_guard lock(FMutex);
            FResults[index] = std::move(result);
            ++FDone;
        }
        FChanged.notify_one();
    }

    void Deliver(const TJobPool::TResultHandler& onResult,
                 const TJobPool::TProgressHandler& onProgress)
    {
        qsizetype delivered = 0;
        qsizetype doneShown = 0;
        const auto count = qsizetype(FResults.size());
        while (delivered < count) {
            std::unique_lock lock(FMutex);
            FChanged.wait(lock, [&] { return FDone > doneShown; });
            const qsizetype done = FDone;
            QList<std::pair<qsizetype, TResult<>>> ready;
            for (; delivered < count && FResults[delivered]; ++delivered)
                ready.append({delivered, *FResults[delivered]});
            lock.unlock();
            for (const auto& [index, result] : ready)
                onResult(index, result);
            onProgress(done);
            doneShown = done;
        }
    }

private:
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<std::optional<TResult<>>> FResults;
    qsizetype FDone = 0;
};

// Hands the inputs out in input order. An input waits while the one before it in its output chain
// is being converted, and every input after it waits too, so that files start in input order.
class TInputQueue
{
public:
    TInputQueue(const QList<TFileInfo>& inputs, const TConvertOptions& options)
        : FWaitsFor(inputs.size(), -1), FIsDone(inputs.size(), false)
    {
        for (const QList<qsizetype>& chain : OutputChains(inputs, options)) {
            for (qsizetype link = 1; link < chain.size(); ++link)
                FWaitsFor[chain[link]] = chain[link - 1];
        }
    }

    // The next input, once it may start; none when every input has been taken. onTaken runs for
    // the inputs in input order, and without the queue held: it may wait for another thread while
    // the workers go on finishing theirs.
    std::optional<qsizetype> TakeNext(const std::function<void(qsizetype index)>& onTaken)
    {
        qsizetype index = 0;
        {
            std::unique_lock lock(FMutex);
            FChanged.wait(lock, [&] { return FNext == Count() || MayStart(FNext); });
            if (FNext == Count())
                return std::nullopt;
            index = FNext++;
            FChanged.wait(lock, [&] { return FTakenUpTo == index; });
        }
        onTaken(index);
        {
            const std::lock_guard lock(FMutex);
            FTakenUpTo = index + 1;
        }
        FChanged.notify_all();
        return index;
    }

    void MarkDone(qsizetype index)
    {
        {
            const std::lock_guard lock(FMutex);
            FIsDone[index] = true;
        }
        FChanged.notify_all();
    }

private:
    qsizetype Count() const { return qsizetype(FIsDone.size()); }

    bool MayStart(qsizetype index) const
    {
        const qsizetype before = FWaitsFor[index];
        return before < 0 || FIsDone[before];
    }

    std::mutex FMutex;
    std::condition_variable FChanged;
    // The input before each one in its chain; -1 for the first of a chain.
    std::vector<qsizetype> FWaitsFor;
    std::vector<bool> FIsDone;
    qsizetype FNext = 0;
    // The inputs before it have been through onTaken.
    qsizetype FTakenUpTo = 0;
};

// The pages of one document: whoever is free takes the next page. The thread that rendered the
// document works on them too, so it never waits for a worker that is busy elsewhere.
class TPageBatch
{
public:
    TPageBatch(qsizetype count, const std::function<TResult<>(qsizetype)>& convertPage)
        : FConvertPage(convertPage), FResults(count)
    {}

    void Work()
    {
        for (;;) {
            qsizetype page = 0;
            {
                const std::lock_guard lock(FMutex);
                if (FNext == qsizetype(FResults.size()))
                    return;
                page = FNext++;
            }
            TResult<> result = FConvertPage(page);
            {
                const std::lock_guard lock(FMutex);
                FResults[page] = std::move(result);
                ++FDone;
            }
            FChanged.notify_all();
        }
    }

    QList<TResult<>> WaitForResults()
    {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [&] { return FDone == qsizetype(FResults.size()); });
        return QList<TResult<>>(FResults.begin(), FResults.end());
    }

private:
    // Called only for a page taken while the document's converter waits in WaitForResults.
    std::function<TResult<>(qsizetype)> FConvertPage;
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<TResult<>> FResults;
    qsizetype FNext = 0;
    qsizetype FDone = 0;
};
} // namespace

TJobPool::TJobPool(TConvertTools tools, TConvertOptions options, int jobs, TStopToken stop)
    : FTools(std::move(tools)), FOptions(std::move(options)), FJobs(jobs), FStop(std::move(stop)),
      FShelf(std::make_shared<TWorkFolderShelf>())
{
    FPool.setMaxThreadCount(jobs);
    // ImageMagick reads it from its environment; the command lines stay as with one job.
    if (jobs > 1)
        FTools.AddedVariables.insert(u"MAGICK_THREAD_LIMIT"_s, u"1"_s);
}

TJobPool::~TJobPool()
{
    FPool.waitForDone();
}

void TJobPool::SetEvents(TJobEvents events)
{
    FEvents = std::move(events);
}

void TJobPool::Run(const QList<TFileInfo> inputs, const TResultHandler& onResult,
                   const TProgressHandler& onProgress)
{
    TResultBoard board(inputs.size());
    TInputQueue queue(inputs, FOptions);
    // One task per input, each taking whichever input is next when it runs; between two files a
    // worker first helps with the pages of a document under way.
    for (qsizetype task = 0; task < inputs.size(); ++task) {
        FPool.start([this, &inputs, &board, &queue] {
            bool isBegun = false;
            const std::optional<qsizetype> index =
                queue.TakeNext([&](qsizetype taken) { isBegun = Begin(taken); });
            if (!index)
                return;
            TResult<> result = isBegun ? Convert(*index, inputs[*index]) : Interrupted();
            queue.MarkDone(*index);
            board.Post(*index, std::move(result));
        });
    }
    board.Deliver(onResult, onProgress);
    FPool.waitForDone();
    FShelf->Clear();
}

void TJobPool::Stop()
{
    FStop.RequestStop();
}

// Whether the input's conversion begins: not once a stop was asked for.
bool TJobPool::Begin(qsizetype index)
{
    if (FStop.IsStopRequested())
        return false;
    if (FEvents.Started)
        FEvents.Started(index);
    return true;
}

TResult<> TJobPool::Convert(qsizetype index, const TFileInfo& input)
{
    TResult<> result = ConvertOrFail(input);
    if (FEvents.Finished)
        FEvents.Finished(index, result);
    return result;
}

// Any error inside the engine fails this file only; the batch goes on.
TResult<> TJobPool::ConvertOrFail(const TFileInfo& input)
{
    try {
        TConverter converter(FTools, FOptions);
        converter.SetStopToken(FStop);
        converter.SetWorkFolderShelf(FShelf);
        converter.SetPageRunner(
            [this](qsizetype count, const std::function<TResult<>(qsizetype)>& convertPage) {
                return RunPages(count, convertPage);
            });
        return converter.ConvertFile(input);
    } catch (const std::exception& error) {
        return Failed(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return Failed(u"the conversion stopped with an error"_s);
    }
}

QList<TResult<>> TJobPool::RunPages(qsizetype count,
                                    const std::function<TResult<>(qsizetype)>& convertPage)
{
    const auto batch = std::make_shared<TPageBatch>(count, convertPage);
    for (qsizetype helper = 1; helper < std::min<qsizetype>(count, FJobs); ++helper)
        FPool.start([batch] { batch->Work(); }, PageHelperPriority);
    batch->Work();
    return batch->WaitForResults();
}
