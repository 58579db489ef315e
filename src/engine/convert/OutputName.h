#pragma once

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
