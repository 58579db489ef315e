#include "window/ConversionRun.h"

#include "convert/Converter.h"
#include "convert/WorkFolder.h"
#include "window/RunHost.h"

#include <QThread>

#include <exception>

using namespace Qt::StringLiterals;

TConversionRun* TConversionRun::Start(TRunHost& host, const QString& toolFolder)
{
    auto* run = new TConversionRun(host, toolFolder, host.Rows().rowCount());
    QThread* worker = QThread::create([run] { run->Work(); });
    worker->setObjectName(u"ConversionRun"_s);
    connect(worker, &QThread::finished, run, &QObject::deleteLater);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
    return run;
}

TConversionRun::TConversionRun(TRunHost& host, QString toolFolder, int rowCount)
    : FHost(&host), FToolFolder(std::move(toolFolder)), FRowCount(rowCount)
{}

void TConversionRun::Detach()
{
    FHost = nullptr;
}

void TConversionRun::Work()
{
    FTools =
        FToolFolder.isEmpty() ? TConvertTools::Installed() : TConvertTools::InFolder(FToolFolder);
    // Each file's work folder is kept for the next one; the last goes before Finished.
    const auto shelf = std::make_shared<TWorkFolderShelf>();
    for (I = 0; I < FRowCount; ++I) {
        if (!OnMainThread([this] { RowStep(); }))
            return;
        if (Stat != TRowStatus::Ready)
            continue;
        if (!OnMainThread([this] { ConvertingStep(); }))
            return;
        Convert(shelf);
        if (!OnMainThread([this] { ResultStep(); }))
            return;
    }
    shelf->Clear();
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

void TConversionRun::RowStep()
{
    const TFileListModel& rows = FHost->Rows();
    FHasRow = I < rows.rowCount();
    if (FHasRow) {
        Info = rows.Info(I);
        Stat = rows.Status(I);
    } else {
        Stat = TRowStatus::Failed;
    }
    FHost->ShowProgress(I);
}

void TConversionRun::ConvertingStep()
{
    FHost->Rows().SetStatus(I, TRowStatus::Converting);
    FOptions = FHost->OptionsForNextFile();
}

void TConversionRun::ResultStep()
{
    if (!FHasRow)
        return;
    FHost->Rows().SetStatus(I, Succ ? TRowStatus::Succeeded : TRowStatus::Failed,
                            Succ ? QString() : FReason);
}

// Any error inside the engine fails this row only; the run goes on.
void TConversionRun::Convert(const std::shared_ptr<TWorkFolderShelf>& shelf)
{
    try {
        TConverter converter(FTools, FOptions);
        converter.SetWorkFolderShelf(shelf);
        const TConvertResult result = converter.ConvertFile(Info.FileName, Info.Format);
        Succ = result.Succeeded;
        FReason = result.Reason;
    } catch (const std::exception& error) {
        Succ = false;
        FReason = QString::fromLocal8Bit(error.what());
    } catch (...) {
        Succ = false;
        FReason = u"the conversion stopped with an error"_s;
    }
}
