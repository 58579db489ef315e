#include "window/ConversionRun.h"

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
                        [this](qsizetype row, const TConvertResult& result, TJobEnd end) {
                            OnMainThread([&] { FinishedStep(row, result, end); });
                        }});
        pool.Run(
            FInputs, [](qsizetype, const TConvertResult&) {}, [](qsizetype) {});
    }
    OnMainThread([this] { Q_EMIT Finished(); });
}

bool TConversionRun::OnMainThread(const std::function<void()>& step)
{
    // The main thread would wait for itself.
    Q_ASSERT(QThread::currentThread() != thread());
    bool hostIsThere = false;
    QMetaObject::invokeMethod(
        this,
        [&] {
            if (!FHost)
                return;
            hostIsThere = true;
            step();
        },
        Qt::BlockingQueuedConnection);
    return hostIsThere;
}

void TConversionRun::StartedStep(qsizetype row)
{
    FHost->Rows().SetStatus(int(row), TRowStatus::Converting);
}

void TConversionRun::FinishedStep(qsizetype row, const TConvertResult& result, TJobEnd end)
{
    switch (end) {
    case TJobEnd::Stopped:
        FHost->Rows().SetStatus(int(row), TRowStatus::Ready);
        return;
    case TJobEnd::Converted:
        FHost->Rows().SetStatus(int(row), TRowStatus::Succeeded);
        break;
    case TJobEnd::Failed:
        FHost->Rows().SetStatus(int(row), TRowStatus::Failed, result.Reason);
        break;
    }
    FHost->ShowProgress(++FFinishedRows);
}
