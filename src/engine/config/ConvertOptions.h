#pragma once

#include "config/StoredOptions.h"

#include <QString>

enum class TResizeWidth
{
    Off,
    On
};

// What the source tells beside its pixels: date taken, camera, place (EXIF, XMP), comments. The
// colour profile stays either way, since without it the colours change.
enum class TPhotoInformation
{
    Keep,
    Remove
};

// Which modification time an output gets.
enum class TFileDates
{
    // When it was written.
    OfConversion,
    // Its source's.
    OfSource
};

// Where in the output folder an output goes.
enum class TFolderTree
{
    // Straight into it.
    Flat,
    // Into the folders that lead from the walked folder to the source, starting with the walked
    // folder's own name: "Trip/Day 1/a.jpg" gives "OUT/Trip/Day 1/a.png".
    Kept
};

// The choices that the window's options hold when a file starts. A plain value; its defaults are
// those of the stored options.
struct TConvertOptions
{
    // Target format as chosen ("JPG", "PNG", ...); from the command line any text.
    QString Format = OptionDefault(TOption::Format).toString();
    // Empty: each output beside its source.
    QString OutputFolder;
    TResizeWidth ResizeWidth = TResizeWidth::Off;
    // Target width in pixels, also the density an SVG is drawn at.
    int Width = OptionDefault(TOption::Width).toInt();
    // Within OptionBounds(TOption::Quality).
    int Quality = OptionDefault(TOption::Quality).toInt();
    TPhotoInformation PhotoInformation = TPhotoInformation::Keep;
    TFileDates FileDates = TFileDates::OfConversion;
    TFolderTree FolderTree = TFolderTree::Flat;
};
