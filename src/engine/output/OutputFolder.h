#pragma once

#include "base/Paths.h"
#include "base/Result.h"
#include "config/ConvertOptions.h"
#include "input/FileInfo.h"

#include <QString>

// Where outputs go and the making of their folders; the window and the command line make none of
// their own. Any thread.

// The chosen output folder of a run made ready: an existing folder (also through a link), or one
// made now with its missing parents. The folder in FolderForm, or why it cannot be had.
TResult<QString> PrepareOutputFolder(const QString& folder);

// The folders that lead to a listed file from the folder it was found under, starting with that
// folder's own name: "Trip/Day 1" for "Trip/Day 1/a.jpg" found under "Trip". Empty for a file
// listed by itself (empty root) or found right in a root without a name ("/").
QString TreeSubfolder(const QString& fileName, const QString& root);

// The folders under the output folder that a listed file's outputs go into: with the folder tree
// kept and an output folder chosen, its TreeSubfolder; otherwise none.
QString OutputSubfolder(const TConvertOptions& options, const TFileInfo& file);

// Where the outputs named after namingSource go, absolute and clean, without making anything:
// subfolder under outputFolder, or with no output folder chosen, the source's own folder.
QString OutputFolderOf(const QString& outputFolder, const QString& subfolder,
                       const QString& namingSource);

// The folder that outputs of outputFolder and subfolder go into, its missing folders made here. A
// folder on the way that is not one, or that leads outside the output folder (through a link or a
// ".."), is refused before anything is made beyond it. Empty outputFolder: an empty folder (each
// output beside its source).
TResult<QString> MakeOutputFolder(const QString& outputFolder, const QString& subfolder);
