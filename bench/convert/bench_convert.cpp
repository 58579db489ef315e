// Converts the same small JPEG files to PNG through the engine and through a plain shell loop
// running the same ImageMagick command lines, and prints the ratio engine/loop (target: 1.05 at
// most, the engine adding nothing measurable to the outside program). The loop runs ImageMagick
// alone, reading and writing the files in place: the engine's own work around it (a locked work
// folder, kept for the next file as in a batch, a link to the source, the check of the result and
// the move to the output name) is all counted against the engine. The two alternate in small
// batches so that a change in the machine's load falls on both alike. Linux only.
#include "convert/Converter.h"
#include "convert/RunProcess.h"
#include "convert/WorkFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {
constexpr int FileCount = 200;
constexpr int BatchSize = 20;

QStringList MakeSources(const QString& imageMagick, const QDir& folder)
{
    const QString first = folder.filePath(u"img-000.jpg"_s);
    RunProcess(imageMagick, {u"-size"_s, u"64x48"_s, u"gradient:red-blue"_s, first});
    QStringList sources{first};
    for (int i = 1; i < FileCount; ++i) {
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
        allSucceeded = converter.ConvertImage(source, u"JPG"_s, 0, {}).Succeeded && allSucceeded;
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
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir work;
    TConvertTools tools = TConvertTools::Installed();
    tools.ScratchFolder = work.filePath(u"scratch"_s);
    if (tools.ImageMagick.isEmpty()) {
        out << "convert: ImageMagick not found\n";
        return 1;
    }
    const QString sourceFolder = work.filePath(u"sources"_s);
    const QString engineFolder = work.filePath(u"engine"_s);
    const QString loopFolder = work.filePath(u"loop"_s);
    for (const QString& folder : {sourceFolder, engineFolder, loopFolder})
        QDir().mkpath(folder);
    const QStringList sources = MakeSources(tools.ImageMagick, QDir(sourceFolder));

    TConvertOptions options;
    options.Format = u"PNG"_s;
    options.OutputFolder = engineFolder;
    TConverter converter(tools, options);
    converter.SetWorkFolderShelf(std::make_shared<TWorkFolderShelf>());

    TCost engine;
    TCost loop;
    bool engineSucceeded = true;
    for (qsizetype first = 0; first < sources.size(); first += BatchSize) {
        const QStringList batch = sources.mid(first, BatchSize);
        Measure(engine,
                [&] { engineSucceeded = ConvertWithEngine(converter, batch) && engineSucceeded; });
        Measure(loop, [&] { ConvertWithShellLoop(tools.ImageMagick, loopFolder, batch); });
    }
    if (!engineSucceeded || CountFiles(engineFolder) != FileCount ||
        CountFiles(loopFolder) != FileCount) {
        out << "convert: a conversion failed\n";
        return 1;
    }
    out << "convert: " << FileCount << " JPEG to PNG; engine " << engine.Wall << " ms, loop "
        << loop.Wall << " ms; ratio engine/loop " << Ratio(engine.Wall, loop.Wall)
        << " (target <= 1.05); processor time ratio " << Ratio(engine.Processor, loop.Processor)
        << "\n";
    return 0;
}
