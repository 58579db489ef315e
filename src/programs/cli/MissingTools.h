#pragma once

#include "convert/ConvertTools.h"
#include "input/FileInfo.h"

#include <QList>
#include <QString>
#include <QStringList>

// One message for each outside program that the batch needs and that was not found, saying where
// it was looked for: ImageMagick for every file, cjpeg for the JPG target, Ghostscript for PDF, AI
// and EPS files.
QStringList MissingToolMessages(const TConvertTools& tools, const QString& format,
                                const QList<TFileInfo>& inputs);
