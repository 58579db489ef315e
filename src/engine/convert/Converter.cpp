#include "convert/Converter.h"

#include "base/AsciiCase.h"
#include "convert/ConvertPlatform.h"
#include "convert/Metadata.h"
#include "convert/OutputName.h"
#include "convert/RenderedPng.h"
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
// The source's colour profile, in the work folder for the program that gives it to the output.
const QString ProfileName = u"profile.icc"_s;
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

// Ghostscript prints what it repaired or ignored in a damaged document and still draws it whole:
// it is judged by how it ended and by what it wrote, and its words are the reason only when it
// failed.
QString GhostscriptFailure(const TProgramResult& rendering)
{
    return rendering.ExitedWithStatusZero() ? QString() : rendering.FailureReason();
}

// Why Ghostscript, ended with status 0, wrote nothing: in its words where it said anything.
QString NothingDrawn(const TProgramResult& rendering)
{
    if (rendering.Printed.trimmed().isEmpty())
        return u"Ghostscript wrote no pages"_s;
    return rendering.FailureReason();
}

bool WriteNewFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
           file.write(bytes) == bytes.size() && file.flush();
}

QByteArray ReadWholeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sources whose EXIF ImageMagick reads where exiv2 may not.
bool IsHeifType(const QString& sourceType)
{
    return sourceType == u"HEIC" || sourceType == u"AVIF";
}

QString CopyModificationTime(const QString& from, const QString& to)
{
    const QDateTime time = QFileInfo(from).lastModified();
    QFile file(to);
    if (!time.isValid() || !file.open(QIODevice::ReadWrite) ||
        !file.setFileTime(time, QFileDevice::FileModificationTime))
        return u"could not give the output its source's date: "_s + file.errorString();
    return {};
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

bool IsRenderedByGhostscript(const QString& fileType)
{
    return fileType == u"PDF" || fileType == u"AI" || fileType == u"EPS";
}

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
    if (fileType == u"EPS")
        return ConvertEPS(fileName);
    return ConvertImage(fileName, fileType, 0, {});
}

TConvertResult TConverter::ConvertImage(const QString& namingSource, const QString& sourceType,
                                        int scalePercent, const QString& inputFile) const
{
    return ConvertDated(namingSource, sourceType, scalePercent, inputFile, namingSource);
}

TConvertResult TConverter::ConvertDated(const QString& namingSource, const QString& sourceType,
                                        int scalePercent, const QString& inputFile,
                                        const QString& datedBy) const
{
    const TWorkFolder work(FTools.ScratchFolder, WorkFolderPrefix, FShelf.get());
    const QString source = AbsolutePath(inputFile.isEmpty() ? namingSource : inputFile);
    if (const QString failure = Prepare(MissingImageProgram(), work, source); !failure.isEmpty())
        return Failure(failure);
    const QString inputName = InputName(source);
    const QString output = u"output."_s + AsciiLower(FOptions.Format);
    const TPhotoInfo photo = SourcePhotoInfo(work, inputName, sourceType);
    TImageInput input{inputName, sourceType, scalePercent};
    // ImageMagick 6 turns only a JPEG or TIFF by its EXIF; a HEIF picture is upright as its
    // container says, whatever its EXIF claims.
    if (!IsHeifType(sourceType))
        input.Orientation = ExifOrientation(photo.Exif);
    // A bitmap for the JPEG encoder carries no profile, and ImageMagick reads none from HEIF.
    if (!photo.ColourProfile.isEmpty() &&
        (IsJpegTarget(FOptions.Format) || IsHeifType(sourceType))) {
        input.ColourProfile = ProfileName;
        if (!WriteNewFile(work.FilePath(ProfileName), photo.ColourProfile))
            return Failure(ScratchUnwritable);
    }
    const TProgramResult chain = RunChain(ImageChain(input, output), ProgramSettings(work));
    if (!chain.IsClean())
        return Failure(chain.FailureReason());
    if (!IsWritten(work.FilePath(output)))
        return Failure(u"no output was written"_s);
    if (const QString failure = FinishOutput(work.FilePath(output), photo, AbsolutePath(datedBy));
        !failure.isEmpty())
        return Failure(failure);
    const TOutputFolder folder = MakeOutputFolder(FOptions);
    if (!folder.Error.isEmpty())
        return Failure(folder.Error);
    const TClaimedOutput claimed = ClaimOutputFile(
        work.FilePath(output), AbsolutePath(namingSource), FOptions.Format, folder.Path);
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
            {FTools.JpegEncoder,
             JpegEncoderArguments(FOptions.Quality, output, bitmap, input.ColourProfile)}};
}

// What the source in the work folder carries: read in this process, and for HEIF pictures the
// EXIF through ImageMagick, which reads it where exiv2 cannot. Removed, only the colour profile is
// wanted.
TPhotoInfo TConverter::SourcePhotoInfo(const TWorkFolder& work, const QString& inputName,
                                       const QString& sourceType) const
{
    TPhotoInfo photo = ReadPhotoInfo(work.FilePath(inputName));
    if (FOptions.PhotoInformation == TPhotoInformation::Keep && photo.Exif.isEmpty() &&
        IsHeifType(sourceType)) {
        const QString extract = u"photo.exif"_s;
        // A picture without EXIF makes it fail: there is none to keep then.
        if (RunProgram(FTools.ImageMagick, ExifExtractArguments(inputName, extract),
                       ProgramSettings(work))
                .IsClean())
            photo.Exif = ExifOfExtract(ReadWholeFile(work.FilePath(extract)));
    }
    return photo;
}

// The one step between the programs and the claim, on the output in the work folder.
QString TConverter::FinishOutput(const QString& output, const TPhotoInfo& photo,
                                 const QString& datedBy) const
{
    if (const QString error = WritePhotoInfo(output, photo, FOptions.PhotoInformation);
        !error.isEmpty())
        return u"could not write the photo information: "_s + error;
    if (FOptions.FileDates == TFileDates::OfSource)
        return CopyModificationTime(datedBy, output);
    return {};
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
    if (const QString failure = GhostscriptFailure(rendering); !failure.isEmpty())
        return Failure(failure);
    const QList<TPage> pages = PageFiles(work.Path());
    if (pages.isEmpty())
        return Failure(NothingDrawn(rendering));
    const QDir documentFolder = QFileInfo(document).absoluteDir();
    const QString stem = FileStem(document);
    const auto convertPage = [&](qsizetype index) {
        const QString pageFile = work.FilePath(pages[index].File);
        // The page's name as if beside the document names its output: "a-001".
        const TConvertResult result =
            ConvertDated(documentFolder.filePath(stem + u'-' + pages[index].Digits + u".bmp"_s),
                         u"BMP"_s, 25, pageFile, document);
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
    return ConvertDrawing(source, AiArguments);
}

TConvertResult TConverter::ConvertEPS(const QString& source) const
{
    return ConvertDrawing(source, EpsArguments);
}

// Ghostscript draws the file into one PNG in the work folder, which is then converted as any PNG.
TConvertResult TConverter::ConvertDrawing(const QString& source, TDrawingArguments arguments) const
{
    const TWorkFolder work(FTools.ScratchFolder, WorkFolderPrefix, FShelf.get());
    const QString drawing = AbsolutePath(source);
    if (const QString failure = Prepare(MissingRenderingProgram(), work, drawing);
        !failure.isEmpty())
        return Failure(failure);
    const QString inputName = InputName(drawing);
    const QString rendered = u"rendered.png"_s;
    const TProgramResult rendering =
        RunProgram(FTools.Ghostscript, arguments(rendered, inputName), ProgramSettings(work));
    if (const QString failure = GhostscriptFailure(rendering); !failure.isEmpty())
        return Failure(failure);
    if (!IsWritten(work.FilePath(rendered)))
        return Failure(NothingDrawn(rendering));
    if (const QString error = MakeRenderedPngPlain(work.FilePath(rendered)); !error.isEmpty())
        return Failure(u"could not write into the scratch folder: "_s + error);
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
