#pragma once

#include "base/Result.h"
#include "config/ConvertOptions.h"

#include <QByteArray>
#include <QString>

// What a photo carries beside its pixels: when, with what and where it was taken (EXIF, XMP) and
// what its colours mean (the ICC profile). A plain value; an empty part is absent.
struct TPhotoInfo
{
    // EXIF as a TIFF structure ("II*\0..." or "MM\0*..."), without JPEG's "Exif\0\0" and without
    // a thumbnail, which would show the picture as it was before it was turned or resized.
    QByteArray Exif;
    // An XMP packet.
    QByteArray Xmp;
    // An ICC profile for RGB pixels. A profile of other pixels (CMYK, grey) is left out: the
    // outputs that take one from here have RGB pixels.
    QByteArray ColourProfile;

    bool IsEmpty() const { return Exif.isEmpty() && Xmp.isEmpty() && ColourProfile.isEmpty(); }
};

// The photo information of a file, read in this process from the file's own bytes, whatever
// their format. What cannot be read (a format without it, a damaged block) stays empty: the
// picture can still be converted. Any thread.
TPhotoInfo ReadPhotoInfo(const QString& file);

// The orientation that EXIF gives (1 to 8: how to turn the stored picture to show it); 0 when it
// gives none.
int ExifOrientation(const QByteArray& exif);

// EXIF as ImageMagick writes it out ("exif:" output), with or without JPEG's "Exif\0\0", made
// like ReadPhotoInfo's; empty when it holds none.
QByteArray ExifOfExtract(const QByteArray& extract);

// Writes `info` into the finished picture `file`, a JPEG, PNG, WEBP or TIFF as its bytes tell;
// another format is left as it is. Kept, info's EXIF and XMP (a WEBP: its EXIF) take the place of
// the picture's own, told that the picture is upright (orientation 1) and of its real pixel size.
// Removed, a PNG loses its EXIF and its text chunks (comments, ImageMagick's copy of the EXIF);
// the other formats are expected to hold none. The colour profile is left to the programs.
// Any thread, one call per file.
TResult<> WritePhotoInfo(const QString& file, const TPhotoInfo& info, TPhotoInformation choice);
