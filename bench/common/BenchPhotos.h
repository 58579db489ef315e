#pragma once

#include <QString>

class QDir;

// The photos the conversion benchmarks time: this many JPEG photos of 1600x1200.
constexpr int BenchPhotoCount = 100;

// Makes them in `folder` with ImageMagick; whether all of them are there.
bool MakeBenchPhotos(const QString& imageMagick, const QDir& folder);
