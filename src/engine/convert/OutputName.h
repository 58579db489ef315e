#pragma once

#include "convert/ConvertOptions.h"

#include <QString>

// The file name without its folder and without its last extension ("a.b.pdf" gives "a.b"); a
// name without a "." is its own stem.
QString FileStem(const QString& path);

// The output path for a source: in outputFolder (empty: the source's own folder), named after the
// source's stem with the extension in lower case, numbered "a (1).png", "a (2).png", ... past
// existing files. Creates nothing. Any thread.
QString GetOutputFileName(const QString& namingSource, const QString& extension,
                          const QString& outputFolder);

// A whole file given its output name, or why it could not be.
struct TClaimedOutput
{
    QString FileName;
    QString Error;
    bool IsClaimed() const { return !FileName.isEmpty(); }
};

// Gives the whole file `file` the name GetOutputFileName gives, in one step and never replacing
// anything: a name taken by anything, even meanwhile, passes to the next number, so the output
// appears under its name whole or not at all. From another file system the file is first copied
// into a hidden work folder in the output folder (".morvane-part-" and six characters); such a
// folder that a killed run left is removed here too.
TClaimedOutput ClaimOutputFile(const QString& file, const QString& namingSource,
                               const QString& extension, const QString& outputFolder);

// The folders that lead to a listed file from the folder it was found under, starting with that
// folder's own name: "Trip/Day 1" for "Trip/Day 1/a.jpg" found under "Trip". Empty for a file
// listed by itself (empty root) or found right in a root without a name ("/").
QString TreeSubfolder(const QString& fileName, const QString& root);

// The options for one listed file: with the folder tree kept and an output folder chosen, its
// output goes into TreeSubfolder under it.
TConvertOptions OptionsForFile(TConvertOptions options, const QString& fileName,
                               const QString& root);

// The folder an output of these options goes into: OutputFolder itself, or its Subfolder, whose
// missing folders are made here. A folder on the way that is not one, or that leads outside the
// output folder (through a link or a ".."), is refused before anything is made beyond it. Empty
// OutputFolder: an empty result and no error (each output beside its source).
struct TOutputFolder
{
    QString Path;
    QString Error;
};
TOutputFolder MakeOutputFolder(const TConvertOptions& options);
