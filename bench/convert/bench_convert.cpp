// Converts the same small JPEG photos (with EXIF and a colour profile, as cameras and phones leave
// them) to PNG through the engine and through a plain shell loop running the same ImageMagick
// command lines, and prints the ratio engine/loop (target: 1.05 at most, the engine adding nothing
// measurable to the outside program). The loop runs ImageMagick alone, reading and writing the
// files in place: the engine's own work around it (a locked work folder, kept for the next file as
// in a batch, a link to the source, reading and writing the photo information, the check of the
// result and the move to the output name) is all counted against the engine. Then it prints what
// keeping the photo information costs per JPG output of a 1600x1200 photo, against removing it. The
// two sides of each comparison alternate in small batches so that a change in the machine's load
// falls on both alike. Linux only.
#include "convert/Converter.h"
#include "convert/RunProcess.h"
#include "files/WorkFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <exiv2/exiv2.hpp>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {
constexpr int FileCount = 200;
constexpr int BatchSize = 20;
constexpr int PhotoCount = 20;
constexpr int PhotoBatchSize = 5;
const QString WideGamutProfile = u"/usr/share/color/icc/ghostscript/a98.icc"_s;

// What a camera writes: date taken, camera, exposure, place, turned by 90 degrees.
bool AddCameraExif(const QString& path)
{
    try {
        const auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        Exiv2::ExifData& exif = image->exifData();
        exif["Exif.Image.Make"] = std::string("Morvcam");
        exif["Exif.Image.Model"] = std::string("M-1");
        exif["Exif.Image.Orientation"] = uint16_t(6);
        exif["Exif.Photo.DateTimeOriginal"] = std::string("2021:07:04 10:20:30");
        exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 250);
        exif["Exif.GPSInfo.GPSLatitudeRef"] = std::string("N");
        exif["Exif.GPSInfo.GPSLatitude"] = Exiv2::URational(48, 1);
        image->writeMetadata();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// `count` copies of one photo of that size and content, in the wide-gamut colour space.
QStringList MakePhotos(const QString& imageMagick, const QDir& folder, const QString& size,
                       const QString& content, int count)
{
    const QString first = folder.filePath(u"img-000.jpg"_s);
    RunProcess(imageMagick, {u"-size"_s, size, content, u"-profile"_s, WideGamutProfile,
                             u"-quality"_s, u"90"_s, first});
    if (!AddCameraExif(first))
        return {};
    QStringList sources{first};
    for (int i = 1; i < count; ++i) {
        const QString copy = folder.filePath(u"img-%1.jpg"_s.arg(i, 3, 10, QLatin1Char('0')));
        QFile::copy(first, copy);
        sources << copy;
    }
    return sources;
}

// Processor time of this process and of every process it waited for, in milliseconds.
qint64 ProcessorMilliseconds()
{
    qint64 total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        total += (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
                 (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
    }
    return total;
}

struct TCost
{
    qint64 Wall = 0;
    qint64 Processor = 0;
};

template <typename TWork> void Measure(TCost& cost, TWork work)
{
    const qint64 processorBefore = ProcessorMilliseconds();
    QElapsedTimer timer;
    timer.start();
    work();
    cost.Wall += timer.elapsed();
    cost.Processor += ProcessorMilliseconds() - processorBefore;
}

bool ConvertWithEngine(const TConverter& converter, const QStringList& sources)
{
    bool allSucceeded = true;
    for (const QString& source : sources)
        allSucceeded = converter.ConvertImage({source, u"JPG"_s}).IsOk() && allSucceeded;
    return allSucceeded;
}

// The command line the engine builds: input with "[0]", +repage, -auto-orient, -quality, output.
void ConvertWithShellLoop(const QString& imageMagick, const QString& outputFolder,
                          const QStringList& sources)
{
    const QString loop =
        uR"(im=$1; out=$2; shift 2; for f in "$@"; do n=${f##*/}; )"
        uR"("$im" "$f[0]" +repage -auto-orient -quality 75 "$out/${n%.jpg}.png"; done)"_s;
    RunProcess(u"/bin/sh"_s,
               QStringList{u"-c"_s, loop, u"sh"_s, imageMagick, outputFolder} + sources);
}

int CountFiles(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files).size();
}

QString Ratio(qint64 engine, qint64 loop)
{
    return QString::number(double(engine) / double(qMax<qint64>(loop, 1)), 'f', 3);
}

// Engine against the shell loop, 64x48 photos to PNG; false when a conversion failed.
bool CompareWithLoop(const TConvertTools& tools, const QTemporaryDir& work, QTextStream& out)
{
    const QString sourceFolder = work.filePath(u"sources"_s);
    const QString engineFolder = work.filePath(u"engine"_s);
    const QString loopFolder = work.filePath(u"loop"_s);
    for (const QString& folder : {sourceFolder, engineFolder, loopFolder})
        QDir().mkpath(folder);
    const QStringList sources = MakePhotos(tools.ImageMagick, QDir(sourceFolder), u"64x48"_s,
                                           u"gradient:red-blue"_s, FileCount);

    TConvertOptions options;
    options.Format = u"PNG"_s;
    options.OutputFolder = engineFolder;
    TConverter converter(tools, options);
    converter.SetWorkFolderShelf(std::make_shared<TWorkFolderShelf>());

    TCost engine;
    TCost loop;
    bool engineSucceeded = !sources.isEmpty();
    for (qsizetype first = 0; first < sources.size(); first += BatchSize) {
        const QStringList batch = sources.mid(first, BatchSize);
        Measure(engine,
                [&] { engineSucceeded = ConvertWithEngine(converter, batch) && engineSucceeded; });
        Measure(loop, [&] { ConvertWithShellLoop(tools.ImageMagick, loopFolder, batch); });
    }
    if (!engineSucceeded || CountFiles(engineFolder) != FileCount ||
        CountFiles(loopFolder) != FileCount)
        return false;
    out << "convert: " << FileCount << " JPEG photos to PNG; engine " << engine.Wall << " ms, loop "
        << loop.Wall << " ms; ratio engine/loop " << Ratio(engine.Wall, loop.Wall)
        << " (target <= 1.05); processor time ratio " << Ratio(engine.Processor, loop.Processor)
        << "\n";
    return true;
}

// 1600x1200 photos to JPG with the photo information kept and removed; false when a conversion
// failed.
bool CostOfKeeping(const TConvertTools& tools, const QTemporaryDir& work, QTextStream& out)
{
    const QString sourceFolder = work.filePath(u"photos"_s);
    QDir().mkpath(sourceFolder);
    const QStringList sources =
        MakePhotos(tools.ImageMagick, QDir(sourceFolder), u"1600x1200"_s, u"plasma:"_s, PhotoCount);
    const auto converterFor = [&](TPhotoInformation choice, const QString& name) {
        TConvertOptions options;
        options.OutputFolder = work.filePath(name);
        options.PhotoInformation = choice;
        QDir().mkpath(options.OutputFolder);
        TConverter converter(tools, options);
        converter.SetWorkFolderShelf(std::make_shared<TWorkFolderShelf>());
        return converter;
    };
    const TConverter keeping = converterFor(TPhotoInformation::Keep, u"kept"_s);
    const TConverter removing = converterFor(TPhotoInformation::Remove, u"removed"_s);

    TCost kept;
    TCost removed;
    bool allSucceeded = !sources.isEmpty();
    for (qsizetype first = 0; first < sources.size(); first += PhotoBatchSize) {
        const QStringList batch = sources.mid(first, PhotoBatchSize);
        Measure(kept, [&] { allSucceeded = ConvertWithEngine(keeping, batch) && allSucceeded; });
        Measure(removed,
                [&] { allSucceeded = ConvertWithEngine(removing, batch) && allSucceeded; });
    }
    if (!allSucceeded)
        return false;
    const auto perFile = [](qint64 total) {
        return QString::number(double(total) / PhotoCount, 'f', 1);
    };
    out << "convert: " << PhotoCount << " JPEG photos of 1600x1200 with EXIF and a colour profile "
        << "to JPG; per output " << perFile(kept.Wall) << " ms kept, " << perFile(removed.Wall)
        << " ms removed; keeping costs " << perFile(kept.Wall - removed.Wall)
        << " ms per output (ratio " << Ratio(kept.Wall, removed.Wall) << "); processor time ratio "
        << Ratio(kept.Processor, removed.Processor) << "\n";
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir work;
    TConvertTools tools = TConvertTools::Installed();
    tools.ScratchFolder = work.filePath(u"scratch"_s);
    if (tools.ImageMagick.isEmpty() || tools.JpegEncoder.isEmpty()) {
        out << "convert: ImageMagick or cjpeg not found\n";
        return 1;
    }
    if (!CompareWithLoop(tools, work, out) || !CostOfKeeping(tools, work, out)) {
        out << "convert: a conversion failed\n";
        return 1;
    }
    return 0;
}
