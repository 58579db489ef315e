#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The platform's side of finding the outside programs and the folders they use.

// File names of each program in the tool folder, preferred first.
struct TToolFileNames
{
    QStringList ImageMagick;
    QStringList JpegEncoder;
    QStringList Ghostscript;
};
TToolFileNames VendorFileNames();
// Names looked up on the system's search path, preferred first; empty where the platform does not
// look there.
TToolFileNames SystemFileNames();

// Programs outside the tool folder; empty where the platform does not look or finds none.
struct TSystemPrograms
{
    QString ImageMagick;
    QString JpegEncoder;
    QString Ghostscript;
};
TSystemPrograms FindSystemPrograms();

QString DefaultScratchFolder();
QString DefaultFontFolder();

// Variables set for every outside program on this platform, from the caller's own values.
QHash<QString, QString> PlatformProgramVariables();
