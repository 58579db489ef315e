#pragma once

#include "base/Result.h"

#include <QString>

#include <cstdio>

// The line printed for one input: "ok" or "fail", a tab, the path, and for a failure a tab and the
// reason. Control characters in the path become "?", and the reason's lines are joined, so that
// every input stays one line of tab-separated fields.
QString ResultLine(const QString& fileName, const TResult<>& result);
QString SummaryLine(qsizetype converted, qsizetype failed);

// A bar of the files done, redrawn in place on a terminal. Owns its line: it is cleared before
// anything else is written to the same terminal. Main thread.
class TProgressBar
{
public:
    TProgressBar(std::FILE* terminal, qsizetype total);

    void Show(qsizetype done);
    void Clear();

private:
    std::FILE* FTerminal;
    qsizetype FTotal;
    bool FIsShown = false;
};
