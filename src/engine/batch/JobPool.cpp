#include "batch/JobPool.h"

#include "batch/OutputChains.h"
#include "convert/WorkFolder.h"

#include <condition_variable>
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

TJobPool::TJobPool(TConvertTools tools, TConvertOptions options, int jobs)
    : FTools(std::move(tools)), FOptions(std::move(options)), FJobs(jobs),
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

void TJobPool::Run(const QList<TFileInfo> inputs, const TResultHandler& onResult,
                   const TProgressHandler& onProgress)
{
    TResultBoard board(inputs.size());
    for (const QList<qsizetype>& chain : OutputChains(inputs, FOptions.OutputFolder)) {
        FPool.start([this, chain, &inputs, &board] {
            for (const qsizetype index : chain)
                board.Post(index, Convert(inputs[index]));
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

TConvertResult TJobPool::Convert(const TFileInfo& input)
{
    if (FStop.IsStopRequested())
        return {false, u"interrupted"_s};
    TConverter converter(FTools, FOptions);
    converter.SetStopToken(FStop);
    converter.SetWorkFolderShelf(FShelf);
    converter.SetPageRunner(
        [this](qsizetype count, const std::function<TConvertResult(qsizetype)>& convertPage) {
            return RunPages(count, convertPage);
        });
    return converter.ConvertFile(input.FileName, input.Format);
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
