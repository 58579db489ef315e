#include "cli/CommandLine.h"

#include "batch/JobPool.h"
#include "cli/BatchReport.h"
#include "cli/CliOptions.h"
#include "cli/MissingTools.h"
#include "cli/Terminal.h"
#include "input/FileList.h"

#include <QDir>

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

std::atomic<TJobPool*> GInterruptedPool = nullptr;

extern "C" void StopOnInterrupt(int)
{
    // A second interrupt ends the program at once.
    std::signal(SIGINT, SIG_DFL);
    if (TJobPool* pool = GInterruptedPool.load())
        pool->Stop();
}

// While it lives, an interrupt (Ctrl+C) stops the pool from starting more files, so that the
// conversions under way can remove what they leave unfinished and every input is still reported.
class TStopOnInterrupt
{
public:
    explicit TStopOnInterrupt(TJobPool& pool)
    {
        GInterruptedPool = &pool;
        FPrevious = std::signal(SIGINT, StopOnInterrupt);
    }
    ~TStopOnInterrupt()
    {
        std::signal(SIGINT, FPrevious);
        GInterruptedPool = nullptr;
    }
    TStopOnInterrupt(const TStopOnInterrupt&) = delete;
    TStopOnInterrupt& operator=(const TStopOnInterrupt&) = delete;

private:
    using THandler = void (*)(int);
    THandler FPrevious = SIG_DFL;
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
        const TConvertTools tools = TConvertTools::Installed();
        for (const QString& message : MissingToolMessages(tools, FRequest.Options.Format, FInputs))
            PrintLine(stderr, message);
        TJobPool pool(tools, FRequest.Options, FRequest.Jobs);
        const TStopOnInterrupt stopOnInterrupt(pool);
        pool.Run(
            FInputs,
            [this](qsizetype index, const TConvertResult& result) { Report(index, result); },
            [this](qsizetype done) { ShowProgress(done); });
        ClearProgress();
        PrintLine(stdout, SummaryLine(FConverted, FFailed));
        return FFailed == 0 ? ExitSuccess : ExitFailure;
    }

private:
    void Report(qsizetype index, const TConvertResult& result)
    {
        ++(result.Succeeded ? FConverted : FFailed);
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
    const QString& outputFolder = request.Options.OutputFolder;
    if (!outputFolder.isEmpty() && !QDir().mkpath(outputFolder)) {
        PrintLine(stderr, u"morvane-cli: cannot create the output folder "_s +
                              QDir::toNativeSeparators(outputFolder));
        return ExitFailure;
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
