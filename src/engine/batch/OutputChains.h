#pragma once

#include "config/ConvertOptions.h"
#include "input/FileInfo.h"

#include <QList>
#include <QString>

// Groups the inputs whose outputs could claim the same names: same output folder (with the folder
// tree kept, each file's own folder under the output folder) and the same
// stem once numbered copies (" (1)") are set aside, with a PDF's pages ("a-001") counted as its
// own. Each group, in input order, is converted one file after another so that which file gets
// "a.png" and which "a (1).png" never depends on timing. Groups are ordered by their first input;
// together they hold every input index once. No output folder: each output beside its source.
QList<QList<qsizetype>> OutputChains(const QList<TFileInfo>& inputs,
                                     const TConvertOptions& options);
