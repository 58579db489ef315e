#pragma once

class TFileListModel;

// All that a conversion run changes in the window: the rows' statuses and the progress. Every
// call is made on the main thread, while the worker that makes it waits.
class TRunHost
{
public:
    // The rows being converted; the run writes their statuses.
    virtual TFileListModel& Rows() = 0;
    // How many rows have finished, converted or failed.
    virtual void ShowProgress(int finished) = 0;

protected:
    ~TRunHost() = default;
};
