#pragma once

#include "input/FileProbe.h"

#include <QString>

// Type name of an image file ("JPG", "PNG", "PDF", "AI", ...) from its first 12 bytes, else from
// its extension; empty when the file is not one the program takes. Never throws, reads at most
// 13 bytes and keeps nothing open. Any thread.
QString DetectFileType(const QString& path, TPathKind kind = TPathKind::Unknown);

// The file name without its folder: the text after the last delimiter of the platform's paths,
// "/" everywhere, and on Windows also "\" and a drive's colon.
QString FileNamePart(const QString& path);

// How a listed file of a type is converted.
enum class TSourceKind
{
    // Read by ImageMagick.
    Image,
    // A PDF: each page drawn by Ghostscript, then converted as an image of its own.
    Document,
    // An AI file, drawn by Ghostscript into one picture.
    Drawing,
    // An EPS or PostScript file, drawn by Ghostscript on its bounding box.
    PostScript
};

TSourceKind SourceKindOf(const QString& typeName);

// Whether files of this type are drawn by Ghostscript before ImageMagick converts them.
inline bool IsRenderedByGhostscript(const QString& typeName)
{
    return SourceKindOf(typeName) != TSourceKind::Image;
}
