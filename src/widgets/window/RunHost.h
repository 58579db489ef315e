#pragma once

#include "convert/ConvertOptions.h"

class TFileListModel;

// All that a conversion run reads or changes in the window: the rows, the options, the progress.
// Every call is made on the main thread, while the run's worker waits.
class TRunHost
{
public:
    // The rows to convert; the run reads their files and writes their statuses.
    virtual TFileListModel& Rows() = 0;
    // The options the next file is converted with, as the window holds them now.
    virtual TConvertOptions OptionsForNextFile() const = 0;
    // The row being handled, counted from 0.
    virtual void ShowProgress(int position) = 0;

protected:
    ~TRunHost() = default;
};
