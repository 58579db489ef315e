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

// An output name taken for one conversion: an empty file created exclusively, so that no one else
// picks the name meanwhile. Error says why no name could be taken.
struct TOutputReservation
{
    QString FileName;
    QString Error;
    bool IsReserved() const { return !FileName.isEmpty(); }
};

// Reserves the name GetOutputFileName gives; a name that is taken by anything, even meanwhile,
// passes to the next number. An existing file is never opened.
TOutputReservation ReserveOutputFile(const QString& namingSource, const QString& extension,
                                     const QString& outputFolder);
