#pragma once

#include <QHash>
#include <QString>

#include <chrono>

// Where the outside programs are and where they keep intermediate files. An empty program path
// means the program was not found. A plain value: copy it to every worker.
struct TConvertTools
{
    QString ImageMagick;
    QString JpegEncoder;
    QString Ghostscript;
    // Each conversion works in a private subfolder of it, made when missing; the subfolders of
    // conversions that were killed are removed by the next conversion.
    QString ScratchFolder;
    // Handed to Ghostscript for the fonts that a PDF names but does not embed.
    QString FontFolder;
    // Set for every program on top of the caller's own environment.
    QHash<QString, QString> AddedVariables;
    // A program still running after this long is stopped and its conversion fails: a PostScript
    // drawing can loop for ever. Far beyond what the largest real document takes.
    std::chrono::milliseconds TimeLimit = std::chrono::minutes(15);

    // The programs in vendor/ beside the executable; where the platform allows, missing ones are
    // looked up on the system.
    static TConvertTools Installed();
    // The vendor/ folder that Installed() looks in first.
    static QString InstalledToolFolder();
    // The programs in toolFolder only: a missing one stays missing.
    static TConvertTools InFolder(const QString& toolFolder);
};

// Whether the program's "-version" names ImageMagick: other programs are called "convert" too.
bool IsImageMagick(const QString& program);
