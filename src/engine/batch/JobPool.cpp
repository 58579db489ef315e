#include "batch/JobPool.h"

#include "batch/OutputChains.h"
#include "convert/OutputName.h"
#include "convert/WorkFolder.h"

#include <QThread>

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
const QString Interrupted = u"interrupted"_s;

// Results as the workers post them, handed out in input order on the thread that waits.
class TResultBoard
{
public:
    explicit TResultBoard(qsizetype count) : FResults(count) {}

    void Post(qsizetype index, TConvertResult result)
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
            QList<std::pair<qsizetype, TConvertResult>> ready;
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
    std::vector<std::optional<TConvertResult>> FResults;
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

    // The next input, once it may start; none when every input has been taken. onTaken runs
    // before any other worker may take the input after it.
    std::optional<qsizetype> TakeNext(const std::function<void(qsizetype index)>& onTaken)
    {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [&] { return FNext == Count() || MayStart(FNext); });
        if (FNext == Count())
            return std::nullopt;
        onTaken(FNext);
        return FNext++;
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
};

// The pages of one document: whoever is free takes the next page. The thread that rendered the
// document works on them too, so it never waits for a worker that is busy elsewhere.
class TPageBatch
{
public:
    TPageBatch(qsizetype count, const std::function<TConvertResult(qsizetype)>& convertPage)
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
            TConvertResult result = FConvertPage(page);
            {
                const std::lock_guard lock(FMutex);
                FResults[page] = std::move(result);
                ++FDone;
            }
            FChanged.notify_all();
        }
    }

    QList<TConvertResult> WaitForResults()
    {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [&] { return FDone == qsizetype(FResults.size()); });
        return QList<TConvertResult>(FResults.begin(), FResults.end());
    }

private:
    // Called only for a page taken while the document's converter waits in WaitForResults.
    std::function<TConvertResult(qsizetype)> FConvertPage;
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<TConvertResult> FResults;
    qsizetype FNext = 0;
    qsizetype FDone = 0;
};
} // namespace

int DefaultJobCount()
{
    return std::max(1, QThread::idealThreadCount());
}

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
            TConvertResult result =
                isBegun ? Convert(*index, inputs[*index]) : TConvertResult{false, Interrupted};
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

TConvertResult TJobPool::Convert(qsizetype index, const TFileInfo& input)
{
    TConvertResult result = ConvertOrFail(input);
    if (FEvents.Finished)
        FEvents.Finished(index, result, EndOf(result));
    return result;
}

// Any error inside the engine fails this file only; the batch goes on.
TConvertResult TJobPool::ConvertOrFail(const TFileInfo& input)
{
    try {
        TConverter converter(FTools, OptionsForFile(FOptions, input.FileName, input.Root));
        converter.SetStopToken(FStop);
        converter.SetWorkFolderShelf(FShelf);
        converter.SetPageRunner(
            [this](qsizetype count, const std::function<TConvertResult(qsizetype)>& convertPage) {
                return RunPages(count, convertPage);
            });
        return converter.ConvertFile(input.FileName, input.Format);
    } catch (const std::exception& error) {
        return {false, QString::fromLocal8Bit(error.what())};
    } catch (...) {
        return {false, u"the conversion stopped with an error"_s};
    }
}

// A file that did not convert once a stop was asked for counts as stopped, whatever ended it.
TJobEnd TJobPool::EndOf(const TConvertResult& result) const
{
    if (result.Succeeded)
        return TJobEnd::Converted;
    return FStop.IsStopRequested() ? TJobEnd::Stopped : TJobEnd::Failed;
}

QList<TConvertResult>
TJobPool::RunPages(qsizetype count, const std::function<TConvertResult(qsizetype)>& convertPage)
{
    const auto batch = std::make_shared<TPageBatch>(count, convertPage);
    for (qsizetype helper = 1; helper < std::min<qsizetype>(count, FJobs); ++helper)
        FPool.start([batch] { batch->Work(); }, PageHelperPriority);
    batch->Work();
    return batch->WaitForResults();
}
