#include "BenchPhotos.h"

#include "convert/RunProcess.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {
// Plasma is slow to draw; each distinct photo is copied this many times.
constexpr int CopiesOfEachPhoto = 10;
} // namespace

bool MakeBenchPhotos(const QString& imageMagick, const QDir& folder)
{
    for (int seed = 0; seed < BenchPhotoCount / CopiesOfEachPhoto; ++seed) {
        const QString first = folder.filePath(u"photo-%1-0.jpg"_s.arg(seed));
        RunProcess(imageMagick, {u"-seed"_s, QString::number(seed + 1), u"-size"_s, u"1600x1200"_s,
                                 u"plasma:"_s, u"-quality"_s, u"90"_s, first});
        for (int copy = 1; copy < CopiesOfEachPhoto; ++copy) {
            if (!QFile::copy(first, folder.filePath(u"photo-%1-%2.jpg"_s.arg(seed).arg(copy))))
                return false;
        }
    }
    return folder.entryList({u"*.jpg"_s}, QDir::Files).size() == BenchPhotoCount;
}
