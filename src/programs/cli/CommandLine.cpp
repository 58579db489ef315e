#include "cli/CommandLine.h"

#include "base/SignalEnd.h"
#include "batch/JobPool.h"
#include "cli/BatchReport.h"
#include "cli/CliOptions.h"
#include "cli/MissingTools.h"
#include "cli/Terminal.h"
#include "input/FileList.h"
#include "output/OutputFolder.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;

namespace {
void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

void PrintLine(std::FILE* stream, const QString& line)
{
    Print(stream, line + u'\n');
}

// Every acceptable file at or below the paths, in walk order, each path text once.
QList<TFileInfo> CollectInputs(const QStringList& paths)
{
    TPlainFileList list;
    for (const QString& path : paths)
        AddPath(list, path);
    return list.Files();
}

// The outside programs run in sessions of their own, so the stop signals reach only us, and we end
// the programs.
std::atomic<TJobPool*> GStoppedPool = nullptr;
std::atomic<int> GStopSignal = 0;
static_assert(std::atomic<TJobPool*>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void StopOnSignal(int signal)
{
    // A second signal ends the program at once; the programs it started die with it.
    for (const int stopSignal : StopSignals())
        std::signal(stopSignal, SIG_DFL);
    int none = 0;
    GStopSignal.compare_exchange_strong(none, signal);
    if (TJobPool* pool = GStoppedPool.load())
        pool->Stop();
}

// While it lives, a stop signal stops the pool: the programs under way are ended, every input is
// still reported (as "interrupted" when it was not converted) and the summary printed.
class TStopOnSignals
{
public:
    explicit TStopOnSignals(TJobPool& pool)
    {
        GStopSignal = 0;
        GStoppedPool = &pool;
        for (const int signal : StopSignals())
            FPrevious.append(std::signal(signal, StopOnSignal));
    }
    ~TStopOnSignals()
    {
        for (qsizetype index = 0; index < FPrevious.size(); ++index)
            std::signal(StopSignals()[std::size_t(index)], FPrevious[index]);
        GStoppedPool = nullptr;
    }
    TStopOnSignals(const TStopOnSignals&) = delete;
    TStopOnSignals& operator=(const TStopOnSignals&) = delete;

private:
    using THandler = void (*)(int);
    QList<THandler> FPrevious;
};

class TBatch
{
public:
    TBatch(const TCliRequest& request, QList<TFileInfo> inputs)
        : FRequest(request), FInputs(std::move(inputs))
    {
        if (IsTerminal(stderr))
            FProgress.emplace(stderr, FInputs.size());
    }

    int Run()
    {
        TConvertTools tools = TConvertTools::Installed();
        tools.TimeLimit = FRequest.TimeLimit;
        for (const QString& message : MissingToolMessages(tools, FRequest.Options.Format, FInputs))
            PrintLine(stderr, message);
        TJobPool pool(tools, FRequest.Options, FRequest.Jobs);
        {
            const TStopOnSignals stopOnSignals(pool);
            pool.Run(
                FInputs,
                [this](qsizetype index, const TResult<>& result) { Report(index, result); },
                [this](qsizetype done) { ShowProgress(done); });
        }
        ClearProgress();
        PrintLine(stdout, SummaryLine(FConverted, FFailed));
        if (const int signal = GStopSignal.load(); signal != 0)
            return EndAsSignalled(signal);
        return FFailed == 0 ? ExitSuccess : ExitFailure;
    }

private:
    void Report(qsizetype index, const TResult<>& result)
    {
        ++(result.IsOk() ? FConverted : FFailed);
        ClearProgress();
        PrintLine(stdout, ResultLine(FInputs[index].FileName, result));
    }

    void ShowProgress(qsizetype done)
    {
        if (FProgress)
            FProgress->Show(done);
    }

    void ClearProgress()
    {
        if (FProgress)
            FProgress->Clear();
    }

    const TCliRequest& FRequest;
    // Const: the workers read it while results are reported, and a non-const access would detach
    // (reallocate) it under them.
    const QList<TFileInfo> FInputs;
    std::optional<TProgressBar> FProgress;
    qsizetype FConverted = 0;
    qsizetype FFailed = 0;
};

int Convert(const TCliRequest& request)
{
    const QList<TFileInfo> inputs = CollectInputs(request.Paths);
    if (inputs.isEmpty()) {
        PrintLine(stderr, u"morvane-cli: no image files found"_s);
        PrintLine(stdout, SummaryLine(0, 0));
        return ExitFailure;
    }
    if (!request.Options.OutputFolder.isEmpty()) {
        if (const TResult<QString> folder = PrepareOutputFolder(request.Options.OutputFolder);
            !folder.IsOk()) {
            PrintLine(stderr, u"morvane-cli: "_s + folder.Reason());
            return ExitFailure;
        }
    }
    return TBatch(request, inputs).Run();
}
} // namespace

int RunCommandLine(const QStringList& arguments)
{
    const TCliRequest request = ParseCliArguments(arguments);
    switch (request.Action) {
    case TCliAction::ShowHelp:
    case TCliAction::ShowVersion:
        PrintLine(stdout, request.Text.trimmed());
        return ExitSuccess;
    case TCliAction::ReportUsageError:
        PrintLine(stderr, u"morvane-cli: "_s + request.Text.trimmed());
        return ExitUsageError;
    case TCliAction::Convert:
        break;
    }
    return Convert(request);
}
