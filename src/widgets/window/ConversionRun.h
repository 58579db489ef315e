#pragma once

#include "convert/ConvertOptions.h"
#include "convert/ConvertTools.h"
#include "input/FileListModel.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class TFrmMorvane;

// One conversion run over the window's file list: a worker thread converts the rows from first to
// last and hands each step that reads or writes the window to the main thread, waiting for it.
// It ends early, converting nothing more, if the window goes away. Start it on the main thread;
// it frees itself when its worker ends.
class TConversionRun : public QObject
{
    Q_OBJECT

public:
    // `toolFolder` holds the outside programs; empty finds the installed ones.
    static void Start(TFrmMorvane* window, const QString& toolFolder);

private:
    TConversionRun(TFrmMorvane* window, QString toolFolder, int rowCount);

    void Work();
    // Runs `step` on the main thread and waits; false, without running it, once the window is gone.
    bool OnMainThread(const std::function<void()>& step);
    void RowStep();
    void ConvertingStep();
    void ResultStep();
    void Convert();

    QPointer<TFrmMorvane> FWindow;
    const QString FToolFolder;
    const int FRowCount;
    // Found on the worker: finding them may start programs.
    TConvertTools FTools;

    // The current row: written by the steps and the conversion, one side at a time.
    int I = 0;
    bool FHasRow = false;
    TFileInfo Info;
    QString Stat;
    TConvertOptions FOptions;
    bool Succ = false;
    QString FReason;
};
