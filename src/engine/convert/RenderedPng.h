#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>

// Ghostscript's PNG made fit for ImageMagick: the first picture only (Ghostscript writes the pages
// of a PostScript document one after another into one file) and without its colour profile.
// Ghostscript tags every drawing with its own sRGB profile, the colours a PNG is taken to have
// anyway; ImageMagick warns about that RGB profile when it writes a drawing in black and white as a
// grey PNG, which would fail the conversion. Bytes that are not whole PNG chunks come back as they
// are, for ImageMagick to judge. A pure function.
QByteArray PlainRenderedPng(const QByteArray& png);

// Rewrites the PNG at path as PlainRenderedPng gives it, whole or not at all. Any thread.
TResult<> MakeRenderedPngPlain(const QString& path);
