#pragma once

#include "convert/ConvertOptions.h"
#include "convert/ConvertTools.h"
#include "input/FileInfo.h"
#include "window/FileListModel.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class TRunHost;
class TWorkFolderShelf;

// One conversion run over the host's rows: a worker thread converts the Ready rows from first to
// last and hands each step that reads or writes the host to the main thread, waiting for it.
// Finished is emitted on the main thread after the last row. A host that goes away first calls
// Detach(); the run then converts nothing more and ends without Finished. Created on the main
// thread by Start; it frees itself when its worker ends.
class TConversionRun : public QObject
{
    Q_OBJECT

public:
    // `toolFolder` holds the outside programs; empty finds the installed ones. Each step of the
    // worker waits for the main thread's event loop, so the caller may connect to Finished after
    // Start has returned.
    static TConversionRun* Start(TRunHost& host, const QString& toolFolder);

    // The host is gone: no step touches it again. Main thread.
    void Detach();

Q_SIGNALS:
    void Finished();

private:
    TConversionRun(TRunHost& host, QString toolFolder, int rowCount);

    void Work();
    // Runs `step` on the main thread and waits; false, without running it, once the host is gone.
    bool OnMainThread(const std::function<void()>& step);
    void RowStep();
    void ConvertingStep();
    void ResultStep();
    void Convert(const std::shared_ptr<TWorkFolderShelf>& shelf);

    // Main thread only.
    TRunHost* FHost;
    const QString FToolFolder;
    const int FRowCount;
    // Found on the worker: finding them may start programs.
    TConvertTools FTools;

    // The current row: written by the steps and the conversion, one side at a time.
    int I = 0;
    bool FHasRow = false;
    TFileInfo Info;
    TRowStatus Stat = TRowStatus::Failed;
    TConvertOptions FOptions;
    bool Succ = false;
    QString FReason;
};
