#include "window/ConversionRun.h"

#include "base/MainThread.h"
#include "window/FileListModel.h"
#include "window/RunHost.h"

#include <QThread>

using namespace Qt::StringLiterals;

TConversionRun* TConversionRun::Start(TRunHost& host, const TRunSetup& setup)
{
    const TFileListModel& rows = host.Rows();
    QList<TFileInfo> inputs;
    inputs.reserve(rows.rowCount());
    for (int row = 0; row < rows.rowCount(); ++row)
        inputs.append(rows.Info(row));
    auto* run = new TConversionRun(host, setup, std::move(inputs));
    QThread* worker = QThread::create([run] { run->Work(); });
    worker->setObjectName(u"ConversionRun"_s);
    connect(worker, &QThread::finished, run, &QObject::deleteLater);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
    return run;
}

TConversionRun::TConversionRun(TRunHost& host, TRunSetup setup, QList<TFileInfo> inputs)
    : FHost(&host), FSetup(std::move(setup)), FInputs(std::move(inputs))
{}

void TConversionRun::Stop()
{
    FStop.RequestStop();
}

void TConversionRun::Detach()
{
    FHost = nullptr;
    Stop();
}

void TConversionRun::Work()
{
    // Finding the programs may start them, so it is done here rather than on the main thread.
    const TConvertTools tools = FSetup.ToolFolder.isEmpty()
                                    ? TConvertTools::Installed()
                                    : TConvertTools::InFolder(FSetup.ToolFolder);
    {
        TJobPool pool(tools, FSetup.Options, FSetup.Jobs, FStop);
        pool.SetEvents({[this](qsizetype row) { OnMainThread([this, row] { StartedStep(row); }); },
                        [this](qsizetype row, const TResult<>& result) {
                            OnMainThread([&] { FinishedStep(row, result); });
                        }});
        pool.Run(
            FInputs, [](qsizetype, const TResult<>&) {}, [](qsizetype) {});
    }
    OnMainThread([this] { Q_EMIT Finished(); });
}

void TConversionRun::OnMainThread(const std::function<void()>& step)
{
    RunOnMainThread([&] {
        if (FHost)
            step();
    });
}

void TConversionRun::StartedStep(qsizetype row)
{
    FHost->Rows().SetStatus(int(row), TRowStatus::Converting);
}

void TConversionRun::FinishedStep(qsizetype row, const TResult<>& result)
{
    if (result.IsOk()) {
        FHost->Rows().SetStatus(int(row), TRowStatus::Succeeded);
    } else {
        switch (result.Failure().Kind) {
        case TFailureKind::Interrupted:
            FHost->Rows().SetStatus(int(row), TRowStatus::Ready);
            return;
        case TFailureKind::Failed:
        case TFailureKind::Skipped:
            FHost->Rows().SetStatus(int(row), TRowStatus::Failed, result.Reason());
            break;
        }
    }
    FHost->ShowProgress(++FFinishedRows);
}
