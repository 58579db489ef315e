#include "convert/Converter.h"

#include "base/AsciiCase.h"
#include "convert/ConvertPlatform.h"
#include "convert/OutputName.h"
#include "convert/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
const QString WorkFolderPrefix = u"convert-"_s;
const QString ScratchUnwritable = u"the scratch folder cannot be written"_s;
const QString Interrupted = u"interrupted"_s;
// Ghostscript writes "page-001.bmp", "page-002.bmp", ... into the work folder.
const QString PageStem = u"page"_s;
// A failed document names at most this many of its failed pages.
constexpr qsizetype MaxNamedPages = 3;

TConvertResult Failure(const QString& reason)
{
    return {false, reason};
}

// Relative paths (possible on the command line) would name the wrong file once a program runs in
// another folder.
QString AbsolutePath(const QString& path)
{
    return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
}

// The plain name a source is read under in the work folder. ImageMagick goes by the extension for
// formats it cannot tell by their bytes (TGA, ICO, camera RAW), so a plain extension is kept.
QString InputName(const QString& source)
{
    static const QRegularExpression plainExtension(u"^[A-Za-z0-9]{1,10}$"_s);
    const QString extension = QFileInfo(source).suffix();
    return plainExtension.match(extension).hasMatch() ? u"source."_s + extension : u"source"_s;
}

// A file of our own that a program wrote, not empty.
bool IsWritten(const QString& path)
{
    const QFileInfo file(path);
    return file.isFile() && !file.isSymLink() && file.size() > 0;
}

struct TPage
{
    QString File;
    // As in the file's name: "001".
    QString Digits;
};

// The page files Ghostscript wrote, in page-number order.
QList<TPage> PageFiles(const QString& folder)
{
    static const QRegularExpression pageName(u"^"_s + PageStem + u"-(\\d{3,})\\.bmp$"_s);
    QList<std::pair<qlonglong, TPage>> pages;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = pageName.match(name);
        if (match.hasMatch())
            pages.append({match.captured(1).toLongLong(), TPage{name, match.captured(1)}});
    }
    std::sort(pages.begin(), pages.end(),
              [](const auto& first, const auto& second) { return first.first < second.first; });
    QList<TPage> files;
    for (const auto& page : pages)
        files << page.second;
    return files;
}

// Fails when any page failed, naming the first few of them with the first line of their reason.
TConvertResult DocumentResult(const QList<TConvertResult>& results, const QList<TPage>& pages)
{
    QStringList named;
    qsizetype failed = 0;
    for (qsizetype index = 0; index < results.size(); ++index) {
        if (results[index].Succeeded)
            continue;
        if (++failed <= MaxNamedPages)
            named << u"page %1 of %2: %3"_s.arg(pages[index].Digits.toLongLong())
                         .arg(pages.size())
                         .arg(results[index].Reason.section(u'\n', 0, 0));
    }
    if (failed == 0)
        return {true, {}};
    if (failed > MaxNamedPages)
        named << u"%1 more pages failed"_s.arg(failed - MaxNamedPages);
    return Failure(named.join(u'\n'));
}

QList<TConvertResult> RunPagesInTurn(qsizetype count,
                                     const std::function<TConvertResult(qsizetype)>& convertPage)
{
    QList<TConvertResult> results;
    for (qsizetype page = 0; page < count; ++page)
        results << convertPage(page);
    return results;
}
} // namespace

TConverter::TConverter(TConvertTools tools, TConvertOptions options)
    : FTools(std::move(tools)), FOptions(std::move(options)), FPageRunner(RunPagesInTurn)
{
    FOptions.OutputFolder = AbsolutePath(FOptions.OutputFolder);
}

void TConverter::SetPageRunner(TPageRunner runner)
{
    FPageRunner = std::move(runner);
}

void TConverter::SetStopToken(TStopToken stop)
{
    FStop = std::move(stop);
}

void TConverter::SetWorkFolderShelf(std::shared_ptr<TWorkFolderShelf> shelf)
{
    FShelf = std::move(shelf);
}

TConvertResult TConverter::ConvertFile(const QString& fileName, const QString& fileType) const
{
    if (fileType.isEmpty())
        return Failure(u"not an image file"_s);
    if (fileType == u"PDF")
        return ConvertPDF(fileName);
    if (fileType == u"AI")
        return ConvertAI(fileName);
    return ConvertImage(fileName, fileType, 0, {});
}

TConvertResult TConverter::ConvertImage(const QString& namingSource, const QString& sourceType,
                                        int scalePercent, const QString& inputFile) const
{
    const TWorkFolder work(FTools.ScratchFolder, WorkFolderPrefix, FShelf.get());
    const QString source = AbsolutePath(inputFile.isEmpty() ? namingSource : inputFile);
    if (const QString failure = Prepare(MissingImageProgram(), work, source); !failure.isEmpty())
        return Failure(failure);
    const QString inputName = InputName(source);
    const QString output = u"output."_s + AsciiLower(FOptions.Format);
    const TProgramResult chain =
        RunChain(ImageChain({inputName, sourceType, scalePercent}, output), ProgramSettings(work));
    if (!chain.IsClean())
        return Failure(chain.FailureReason());
    if (!IsWritten(work.FilePath(output)))
        return Failure(u"no output was written"_s);
    const TClaimedOutput claimed = ClaimOutputFile(
        work.FilePath(output), AbsolutePath(namingSource), FOptions.Format, FOptions.OutputFolder);
    if (!claimed.IsClaimed())
        return Failure(claimed.Error);
    return {true, {}};
}

// ImageMagick alone, or for JPG ImageMagick writing a bitmap that the JPEG encoder encodes.
QList<TProgramCall> TConverter::ImageChain(const TImageInput& input, const QString& output) const
{
    if (!IsJpegTarget(FOptions.Format))
        return {{FTools.ImageMagick, ImageMagickArguments(FOptions, input, output)}};
    const QString bitmap = u"bitmap.bmp"_s;
    return {{FTools.ImageMagick, BitmapArguments(FOptions, input, bitmap)},
            {FTools.JpegEncoder, JpegEncoderArguments(FOptions.Quality, output, bitmap)}};
}

TConvertResult TConverter::ConvertPDF(const QString& source) const
{
    const TWorkFolder work(FTools.ScratchFolder, WorkFolderPrefix, FShelf.get());
    const QString document = AbsolutePath(source);
    if (const QString failure = Prepare(MissingRenderingProgram(), work, document);
        !failure.isEmpty())
        return Failure(failure);
    const QString inputName = InputName(document);
    // A page may be cut short when Ghostscript fails: no page is converted then.
    const TProgramResult rendering = RunProgram(
        FTools.Ghostscript, PdfArguments(FTools.FontFolder, PdfPagePattern(PageStem), inputName),
        ProgramSettings(work));
    if (!rendering.IsClean())
        return Failure(rendering.FailureReason());
    const QList<TPage> pages = PageFiles(work.Path());
    if (pages.isEmpty())
        return Failure(u"Ghostscript wrote no pages"_s);
    const QDir documentFolder = QFileInfo(document).absoluteDir();
    const QString stem = FileStem(document);
    const auto convertPage = [&](qsizetype index) {
        const QString pageFile = work.FilePath(pages[index].File);
        // The page's name as if beside the document names its output: "a-001".
        const TConvertResult result =
            ConvertImage(documentFolder.filePath(stem + u'-' + pages[index].Digits + u".bmp"_s),
                         u"BMP"_s, 25, pageFile);
        QFile::remove(pageFile);
        return result;
    };
    const TConvertResult result = DocumentResult(FPageRunner(pages.size(), convertPage), pages);
    if (!result.Succeeded && FStop.IsStopRequested())
        return Failure(Interrupted);
    return result;
}

TConvertResult TConverter::ConvertAI(const QString& source) const
{
    const TWorkFolder work(FTools.ScratchFolder, WorkFolderPrefix, FShelf.get());
    const QString drawing = AbsolutePath(source);
    if (const QString failure = Prepare(MissingRenderingProgram(), work, drawing);
        !failure.isEmpty())
        return Failure(failure);
    const QString inputName = InputName(drawing);
    const QString rendered = u"rendered.png"_s;
    const TProgramResult rendering =
        RunProgram(FTools.Ghostscript, AiArguments(rendered, inputName), ProgramSettings(work));
    if (!rendering.IsClean())
        return Failure(rendering.FailureReason());
    if (!IsWritten(work.FilePath(rendered)))
        return Failure(u"Ghostscript wrote no pages"_s);
    return ConvertImage(drawing, u"PNG"_s, 0, work.FilePath(rendered));
}

// What every conversion needs before its programs run; the source is then in the work folder under
// its plain name. Empty when all is there, else why not.
QString TConverter::Prepare(const QString& missingProgram, const TWorkFolder& work,
                            const QString& source) const
{
    if (!missingProgram.isEmpty())
        return missingProgram;
    if (FStop.IsStopRequested())
        return Interrupted;
    if (!work.IsValid())
        return ScratchUnwritable;
    return BringIntoFolder(source, work.Path(), InputName(source));
}

QString TConverter::MissingImageProgram() const
{
    if (FTools.ImageMagick.isEmpty())
        return u"ImageMagick not found"_s;
    if (IsJpegTarget(FOptions.Format) && FTools.JpegEncoder.isEmpty())
        return u"cjpeg not found"_s;
    return {};
}

QString TConverter::MissingRenderingProgram() const
{
    if (FTools.Ghostscript.isEmpty())
        return u"Ghostscript not found"_s;
    return MissingImageProgram();
}

// The programs run in the conversion's work folder and keep their temporary files there too, so
// that they go with it: ImageMagick leaves some behind (an SVG's drawing), and Ghostscript lets a
// document write and read there even in its safe mode.
TProgramSettings TConverter::ProgramSettings(const TWorkFolder& work) const
{
    TProgramSettings settings;
    settings.WorkingFolder = work.Path();
    settings.AddedVariables = PlatformProgramVariables();
    settings.AddedVariables.insert(FTools.AddedVariables);
    for (const QString& name : {u"MAGICK_TEMPORARY_PATH"_s, u"TMPDIR"_s, u"TEMP"_s, u"TMP"_s})
        settings.AddedVariables.insert(name, QDir::toNativeSeparators(work.Path()));
    settings.TimeLimit = FTools.TimeLimit;
    settings.Stop = FStop;
    return settings;
}
