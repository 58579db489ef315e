#include "window/ConversionRun.h"

#include "convert/Converter.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"

#include <QProgressBar>
#include <QThread>

#include <exception>

using namespace Qt::StringLiterals;

void TConversionRun::Start(TFrmMorvane* window, const QString& toolFolder)
{
    auto* run = new TConversionRun(window, toolFolder, window->FileList().rowCount());
    QThread* worker = QThread::create([run] { run->Work(); });
    worker->setObjectName(u"ConversionRun"_s);
    connect(worker, &QThread::finished, run, &QObject::deleteLater);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

TConversionRun::TConversionRun(TFrmMorvane* window, QString toolFolder, int rowCount)
    : FWindow(window), FToolFolder(std::move(toolFolder)), FRowCount(rowCount)
{}

void TConversionRun::Work()
{
    FTools =
        FToolFolder.isEmpty() ? TConvertTools::Installed() : TConvertTools::InFolder(FToolFolder);
    for (I = 0; I < FRowCount; ++I) {
        if (!OnMainThread([this] { RowStep(); }))
            return;
        if (Stat != TranslateText(u"준비"_s))
            continue;
        if (!OnMainThread([this] { ConvertingStep(); }))
            return;
        Convert();
        if (!OnMainThread([this] { ResultStep(); }))
            return;
    }
    OnMainThread([this] { FWindow->FinishRun(); });
}

bool TConversionRun::OnMainThread(const std::function<void()>& step)
{
    // The main thread would wait for itself.
    Q_ASSERT(QThread::currentThread() != thread());
    bool windowIsThere = false;
    QMetaObject::invokeMethod(
        this,
        [&] {
            if (!FWindow)
                return;
            windowIsThere = true;
            step();
        },
        Qt::BlockingQueuedConnection);
    return windowIsThere;
}

void TConversionRun::RowStep()
{
    const TFileListModel& files = FWindow->FileList();
    FHasRow = I < files.rowCount();
    if (FHasRow) {
        Info = files.Info(I);
        Stat = files.Status(I);
    } else {
        Stat = TranslateText(u"실패"_s);
    }
    FWindow->ProgressBar->setValue(I);
}

void TConversionRun::ConvertingStep()
{
    FWindow->FileList().SetStatus(I, TranslateText(u"변환"_s));
    FOptions = FWindow->ConvertOptions();
}

void TConversionRun::ResultStep()
{
    if (!FHasRow)
        return;
    FWindow->FileList().SetStatus(I, TranslateText(Succ ? u"성공"_s : u"실패"_s),
                                  Succ ? QString() : FReason);
}

// Any error inside the engine fails this row only; the run goes on.
void TConversionRun::Convert()
{
    try {
        const TConvertResult result =
            TConverter(FTools, FOptions).ConvertFile(Info.FileName, Info.Format);
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
