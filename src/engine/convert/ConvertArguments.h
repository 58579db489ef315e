#pragma once

#include "config/ConvertOptions.h"

#include <QString>
#include <QStringList>

// Argument lists of the outside programs. Pure functions: they touch no file. Every path is one
// argument; a relative one is passed as "./path", so that no path can be taken for an option.

// The file that ImageMagick reads, with what it is and how much to reduce it.
struct TImageInput
{
    QString File;
    // Type name of the data ("PNG", "SVG", "GIF", ...): selects options.
    QString SourceType;
    // Reduction to this percentage when no width is set; 0 for none.
    int ScalePercent = 0;
    // An ICC profile file for its pixels, given to the output: for JPG by the JPEG encoder, else
    // by ImageMagick, for a file whose profile ImageMagick does not read. Empty for none.
    QString ColourProfile = {};
    // The EXIF orientation (2 to 8) to turn the picture upright by, also for a file whose
    // orientation ImageMagick does not read (PNG, WEBP); 0 or 1: as ImageMagick reads it.
    int Orientation = 0;
};

// Whether the target takes the JPEG path (ImageMagick to a bitmap, then the JPEG encoder).
bool IsJpegTarget(const QString& format);

// ImageMagick writing output in the format its extension names.
QStringList ImageMagickArguments(const TConvertOptions& options, const TImageInput& input,
                                 const QString& output);
// ImageMagick writing the first frame as a true-colour bitmap for the JPEG encoder, on white where
// it is transparent.
QStringList BitmapArguments(const TConvertOptions& options, const TImageInput& input,
                            const QString& bitmap);
// colourProfile: an ICC profile file to embed; empty for none.
QStringList JpegEncoderArguments(int quality, const QString& jpeg, const QString& bitmap,
                                 const QString& colourProfile);
// ImageMagick writing out the EXIF of a file's first picture without decoding its pixels; it
// fails when there is none.
QStringList ExifExtractArguments(const QString& source, const QString& exif);

// The page files Ghostscript writes for prefix: prefix followed by "-%03d.bmp".
QString PdfPagePattern(const QString& prefix);
// Ghostscript rendering every page of a PDF at 384 dpi to the page pattern.
QStringList PdfArguments(const QString& fontFolder, const QString& pagePattern,
                         const QString& source);
// Ghostscript rendering an AI file at 96 dpi to one PNG with alpha.
QStringList AiArguments(const QString& png, const QString& source);
// The same for an EPS file, on a page of the size of its bounding box.
QStringList EpsArguments(const QString& png, const QString& source);
