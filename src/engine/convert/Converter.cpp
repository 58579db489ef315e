#include "convert/Converter.h"

#include "base/AsciiCase.h"
#include "convert/ConvertPlatform.h"
#include "convert/Metadata.h"
#include "convert/RenderedPng.h"
#include "files/WorkFolder.h"
#include "input/FileType.h"
#include "output/OutputFolder.h"
#include "output/OutputName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
const QString WorkFolderPrefix = u"convert-"_s;
const QString ScratchUnwritable = u"the scratch folder cannot be written"_s;
// The source's colour profile, in the work folder for the program that gives it to the output.
const QString ProfileName = u"profile.icc"_s;
// Ghostscript writes "page-001.bmp", "page-002.bmp", ... into the work folder.
const QString PageStem = u"page"_s;
// A failed document names at most this many of its failed pages.
constexpr qsizetype MaxNamedPages = 3;
// Ghostscript draws the pages at four times the 96 dpi they come out at: reduced to a quarter,
// their edges are smooth.
constexpr int PageScalePercent = 25;

// Relative paths (possible on the command line) would name the wrong file once a program runs in
// another folder.
QString AbsolutePath(const QString& path)
{
    return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
}

// The plain name a source is read under in the work folder. ImageMagick goes by the extension for
// formats it cannot tell by their bytes (TGA, ICO, camera RAW), so a plain extension is kept.
QString PlainInputName(const QString& source)
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

// Fails when any page failed, naming the first few of them with the first line of their reason;
// a page left off by a stop makes the whole document interrupted.
TResult<> DocumentResult(const QList<TResult<>>& results, const QList<TPage>& pages)
{
    QStringList named;
    qsizetype failed = 0;
    for (qsizetype index = 0; index < results.size(); ++index) {
        if (results[index].IsFailureOf(TFailureKind::Interrupted))
            return Interrupted();
        if (results[index].IsOk())
            continue;
        if (++failed <= MaxNamedPages)
            named << u"page %1 of %2: %3"_s.arg(pages[index].Digits.toLongLong())
                         .arg(pages.size())
                         .arg(results[index].Reason().section(u'\n', 0, 0));
    }
    if (failed == 0)
        return {};
    if (failed > MaxNamedPages)
        named << u"%1 more pages failed"_s.arg(failed - MaxNamedPages);
    return Failed(named.join(u'\n'));
}

// Ghostscript prints what it repaired or ignored in a damaged document and still draws it whole:
// it is judged by how it ended and by what it wrote, and its words are the reason only when it
// failed. Why, ended with status 0, it wrote nothing: in its words where it said anything.
TFailure NothingDrawn(const TProgramResult& rendering)
{
    if (rendering.Printed.trimmed().isEmpty())
        return Failed(u"Ghostscript wrote no pages"_s);
    return Failed(rendering.FailureReason());
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

TResult<> CopyModificationTime(const QString& from, const QString& to)
{
    const QDateTime time = QFileInfo(from).lastModified();
    QFile file(to);
    if (!time.isValid() || !file.open(QIODevice::ReadWrite) ||
        !file.setFileTime(time, QFileDevice::FileModificationTime))
        return Failed(u"could not give the output its source's date: "_s + file.errorString());
    return {};
}

QList<TResult<>> RunPagesInTurn(qsizetype count,
                                const std::function<TResult<>(qsizetype)>& convertPage)
{
    QList<TResult<>> results;
    for (qsizetype page = 0; page < count; ++page)
        results << convertPage(page);
    return results;
}
} // namespace

// The work folder of one conversion and the source it reads there under a plain name.
class TWorkSite
{
public:
    TWorkSite(const QString& scratchFolder, TWorkFolderShelf* shelf, const QString& source)
        : FWork(scratchFolder, WorkFolderPrefix, shelf), FSource(AbsolutePath(source)),
          FInputName(PlainInputName(FSource))
    {}

    bool IsValid() const { return FWork.IsValid(); }
    QString Path() const { return FWork.Path(); }
    QString FilePath(const QString& name) const { return FWork.FilePath(name); }
    // Absolute.
    QString Source() const { return FSource; }
    QString InputName() const { return FInputName; }

private:
    const TWorkFolder FWork;
    const QString FSource;
    const QString FInputName;
};

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

TResult<> TConverter::ConvertFile(const TFileInfo& file) const
{
    if (file.Format.isEmpty())
        return Failed(u"not an image file"_s);
    const QString subfolder = OutputSubfolder(FOptions, file);
    switch (SourceKindOf(file.Format)) {
    case TSourceKind::Document:
        return ConvertDocument(file.FileName, subfolder);
    case TSourceKind::Drawing:
        return ConvertDrawing(file.FileName, subfolder, AiArguments);
    case TSourceKind::PostScript:
        return ConvertDrawing(file.FileName, subfolder, EpsArguments);
    case TSourceKind::Image:
        break;
    }
    return ConvertImage({file.FileName, file.Format, {}, 0, {}, subfolder});
}

TResult<> TConverter::ConvertImage(const TImageJob& job) const
{
    const TWorkSite site(FTools.ScratchFolder, FShelf.get(),
                         job.InputFile.isEmpty() ? job.NamingSource : job.InputFile);
    if (TResult<> ready = Prepare(site, ImageProgramsFound()); !ready.IsOk())
        return ready;
    const QString output = u"output."_s + AsciiLower(FOptions.Format);
    const TPhotoInfo photo = SourcePhotoInfo(site, job.SourceType);
    TImageInput input{site.InputName(), job.SourceType, job.ScalePercent};
    // ImageMagick 6 turns only a JPEG or TIFF by its EXIF; a HEIF picture is upright as its
    // container says, whatever its EXIF claims.
    if (!IsHeifType(job.SourceType))
        input.Orientation = ExifOrientation(photo.Exif);
    // A bitmap for the JPEG encoder carries no profile, and ImageMagick reads none from HEIF.
    if (!photo.ColourProfile.isEmpty() &&
        (IsJpegTarget(FOptions.Format) || IsHeifType(job.SourceType))) {
        input.ColourProfile = ProfileName;
        if (!WriteNewFile(site.FilePath(ProfileName), photo.ColourProfile))
            return Failed(ScratchUnwritable);
    }
    const TProgramResult chain = RunChain(ImageChain(input, output), ProgramSettings(site));
    if (!chain.IsClean())
        return chain.Failure();
    if (!IsWritten(site.FilePath(output)))
        return Failed(u"no output was written"_s);
    const QString datedBy = job.DatedBy.isEmpty() ? job.NamingSource : job.DatedBy;
    if (TResult<> finished = FinishOutput(site.FilePath(output), photo, AbsolutePath(datedBy));
        !finished.IsOk())
        return finished;
    return ClaimOutput(site.FilePath(output), job);
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
TPhotoInfo TConverter::SourcePhotoInfo(const TWorkSite& site, const QString& sourceType) const
{
    TPhotoInfo photo = ReadPhotoInfo(site.FilePath(site.InputName()));
    if (FOptions.PhotoInformation == TPhotoInformation::Keep && photo.Exif.isEmpty() &&
        IsHeifType(sourceType)) {
        const QString extract = u"photo.exif"_s;
        // A picture without EXIF makes it fail: there is none to keep then.
        if (RunProgram(FTools.ImageMagick, ExifExtractArguments(site.InputName(), extract),
                       ProgramSettings(site))
                .IsClean())
            photo.Exif = ExifOfExtract(ReadWholeFile(site.FilePath(extract)));
    }
    return photo;
}

// The one step between the programs and the claim, on the output in the work folder.
TResult<> TConverter::FinishOutput(const QString& output, const TPhotoInfo& photo,
                                   const QString& datedBy) const
{
    if (const TResult<> written = WritePhotoInfo(output, photo, FOptions.PhotoInformation);
        !written.IsOk())
        return Failed(u"could not write the photo information: "_s + written.Reason());
    if (FOptions.FileDates == TFileDates::OfSource)
        return CopyModificationTime(datedBy, output);
    return {};
}

// The finished output, moved to a free name in its output folder.
TResult<> TConverter::ClaimOutput(const QString& output, const TImageJob& job) const
{
    const TResult<QString> folder = MakeOutputFolder(FOptions.OutputFolder, job.Subfolder);
    if (!folder.IsOk())
        return folder.Failure();
    const TResult<QString> claimed =
        ClaimOutputFile(output, AbsolutePath(job.NamingSource), FOptions.Format, folder.Value());
    if (!claimed.IsOk())
        return claimed.Failure();
    return {};
}

TResult<> TConverter::ConvertDocument(const QString& source, const QString& subfolder) const
{
    const TWorkSite site(FTools.ScratchFolder, FShelf.get(), source);
    if (TResult<> ready = Prepare(site, RenderingProgramsFound()); !ready.IsOk())
        return ready;
    // A page may be cut short when Ghostscript fails: no page is converted then.
    const TProgramResult rendering =
        RunProgram(FTools.Ghostscript,
                   PdfArguments(FTools.FontFolder, PdfPagePattern(PageStem), site.InputName()),
                   ProgramSettings(site));
    if (!rendering.ExitedWithStatusZero())
        return rendering.Failure();
    const QList<TPage> pages = PageFiles(site.Path());
    if (pages.isEmpty())
        return NothingDrawn(rendering);
    const auto convertPage = [&](qsizetype index) {
        const QString pageFile = site.FilePath(pages[index].File);
        const TResult<> result =
            ConvertImage({PageNamingSource(site.Source(), pages[index].Digits), u"BMP"_s, pageFile,
                          PageScalePercent, site.Source(), subfolder});
        QFile::remove(pageFile);
        return result;
    };
    return DocumentResult(FPageRunner(pages.size(), convertPage), pages);
}

// Ghostscript draws the file into one PNG in the work folder, which is then converted as any PNG.
TResult<> TConverter::ConvertDrawing(const QString& source, const QString& subfolder,
                                     TDrawingArguments arguments) const
{
    const TWorkSite site(FTools.ScratchFolder, FShelf.get(), source);
    if (TResult<> ready = Prepare(site, RenderingProgramsFound()); !ready.IsOk())
        return ready;
    const QString rendered = u"rendered.png"_s;
    const TProgramResult rendering = RunProgram(
        FTools.Ghostscript, arguments(rendered, site.InputName()), ProgramSettings(site));
    if (!rendering.ExitedWithStatusZero())
        return rendering.Failure();
    if (!IsWritten(site.FilePath(rendered)))
        return NothingDrawn(rendering);
    if (const TResult<> plain = MakeRenderedPngPlain(site.FilePath(rendered)); !plain.IsOk())
        return Failed(u"could not write into the scratch folder: "_s + plain.Reason());
    return ConvertImage({site.Source(), u"PNG"_s, site.FilePath(rendered), 0, {}, subfolder});
}

TResult<> TConverter::Prepare(const TWorkSite& site, const TResult<>& programsFound) const
{
    if (!programsFound.IsOk())
        return programsFound;
    if (FStop.IsStopRequested())
        return Interrupted();
    if (!site.IsValid())
        return Failed(ScratchUnwritable);
    return BringIntoFolder(site.Source(), site.Path(), site.InputName());
}

TResult<> TConverter::ImageProgramsFound() const
{
    if (FTools.ImageMagick.isEmpty())
        return Failed(u"ImageMagick not found"_s);
    if (IsJpegTarget(FOptions.Format) && FTools.JpegEncoder.isEmpty())
        return Failed(u"cjpeg not found"_s);
    return {};
}

TResult<> TConverter::RenderingProgramsFound() const
{
    if (FTools.Ghostscript.isEmpty())
        return Failed(u"Ghostscript not found"_s);
    return ImageProgramsFound();
}

// The programs run in the conversion's work folder and keep their temporary files there too, so
// that they go with it: ImageMagick leaves some behind (an SVG's drawing), and Ghostscript lets a
// document write and read there even in its safe mode.
TProgramSettings TConverter::ProgramSettings(const TWorkSite& site) const
{
    TProgramSettings settings;
    settings.WorkingFolder = site.Path();
    settings.AddedVariables = PlatformProgramVariables();
    settings.AddedVariables.insert(FTools.AddedVariables);
    for (const QString& name : {u"MAGICK_TEMPORARY_PATH"_s, u"TMPDIR"_s, u"TEMP"_s, u"TMP"_s})
        settings.AddedVariables.insert(name, QDir::toNativeSeparators(site.Path()));
    settings.TimeLimit = FTools.TimeLimit;
    settings.Stop = FStop;
    return settings;
}
