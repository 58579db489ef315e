#pragma once

#include <QString>

enum class TUpdateTextKind
{
    Message = 0,
    StatusLabel = 1,
    YesButton = 2,
    NoButton = 3
};

// The update offer's and the notice bar's own texts in CurrentLanguage, kept apart from the
// catalogue; languages without a row get English. Any thread.
QString UpdateText(TUpdateTextKind kind);
