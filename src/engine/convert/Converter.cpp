#include "convert/Converter.h"

#include "convert/OutputName.h"
#include "convert/RunProcess.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {
TConvertResult Failure(const QString& reason)
{
    return {false, reason};
}

// Relative paths (possible on the command line) would name the wrong file once a program runs in
// its own folder, and could be taken for options when they begin with "-".
QString AbsolutePath(const QString& path)
{
    return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
}

QString FirstLines(const QString& printed)
{
    constexpr qsizetype MaxLines = 3;
    QStringList lines;
    for (const QString& line : printed.split(u'\n')) {
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
        if (lines.size() == MaxLines)
            break;
    }
    return lines.isEmpty() ? u"the program printed blank lines"_s : lines.join(u'\n');
}

TConvertResult OutputResult(const QString& output, const QString& printed)
{
    if (QFileInfo(output).size() > 0)
        return {true, {}};
    return Failure(printed.isEmpty() ? u"no output was written"_s : FirstLines(printed));
}

// Into the reserved file itself: replacing it would give its name away for a moment.
void WriteInto(const QString& source, const QString& target)
{
    QFile from(source);
    QFile to(target);
    if (!from.open(QIODevice::ReadOnly) ||
        !to.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly))
        return;
    const QByteArray data = from.readAll();
    // A short write must not pass for a result.
    if (to.write(data) != data.size() || !to.flush())
        to.resize(0);
}

QString Stamp()
{
    return QDateTime::currentDateTime().toString(u"yyyyMMdd_HHmmsszzz"_s);
}

// A fresh folder under the scratch folder for one conversion's intermediate files, removed with
// them when the conversion ends: no two conversions, and no earlier interrupted run, share a name.
class TWorkFolder
{
public:
    explicit TWorkFolder(const QString& scratchFolder)
    {
        if (!scratchFolder.isEmpty() && QDir().mkpath(scratchFolder))
            FFolder.emplace(scratchFolder + u"/convert-XXXXXX"_s);
    }
    bool IsValid() const { return FFolder && FFolder->isValid(); }
    QString Path() const { return FFolder->path(); }
    QString FilePath(const QString& name) const { return FFolder->filePath(name); }

private:
    std::optional<QTemporaryDir> FFolder;
};

const QString ScratchUnwritable = u"the scratch folder cannot be written"_s;

// The page files Ghostscript wrote for stem, in page-number order.
QStringList PageFiles(const QString& folder, const QString& stem)
{
    const QRegularExpression pageName(u"^"_s + QRegularExpression::escape(stem) +
                                      u"-(\\d{3,})\\.bmp$"_s);
    QList<std::pair<qlonglong, QString>> pages;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = pageName.match(name);
        if (match.hasMatch())
            pages.append({match.captured(1).toLongLong(), name});
    }
    std::sort(pages.begin(), pages.end());
    QStringList names;
    for (const auto& page : pages)
        names << page.second;
    return names;
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
    if (const QString missing = MissingImageProgram(); !missing.isEmpty())
        return Failure(missing);
    const TImageInput input{AbsolutePath(inputFile.isEmpty() ? namingSource : inputFile),
                            sourceType, scalePercent};
    const TOutputReservation output =
        ReserveOutputFile(AbsolutePath(namingSource), FOptions.Format, FOptions.OutputFolder);
    if (!output.IsReserved())
        return Failure(output.Error);
    const TConvertResult result = IsJpegTarget(FOptions.Format)
                                      ? RunJpegPath(input, output.FileName)
                                      : RunGeneralPath(input, output.FileName);
    if (!result.Succeeded)
        QFile::remove(output.FileName);
    return result;
}

TConvertResult TConverter::RunGeneralPath(const TImageInput& input, const QString& output) const
{
    const TWorkFolder work(FTools.ScratchFolder);
    const QString printed = Run(FTools.ImageMagick, ImageMagickArguments(FOptions, input, output),
                                work.IsValid() ? work.Path() : QString());
    // ImageMagick is silent when all went well; even a warning fails the conversion.
    if (!printed.isEmpty())
        return Failure(FirstLines(printed));
    return OutputResult(output, {});
}

TConvertResult TConverter::RunJpegPath(const TImageInput& input, const QString& output) const
{
    const TWorkFolder work(FTools.ScratchFolder);
    if (!work.IsValid())
        return Failure(ScratchUnwritable);
    const QString bitmap = work.FilePath(Stamp() + u".bmp"_s);
    const QString bitmapPrinted =
        Run(FTools.ImageMagick, BitmapArguments(FOptions, input, bitmap), work.Path());
    const QString jpeg = work.FilePath(Stamp() + u'.' + FOptions.Format);
    const QString encoderPrinted =
        Run(FTools.JpegEncoder, JpegEncoderArguments(FOptions.Quality, jpeg, bitmap), work.Path());
    WriteInto(jpeg, output);
    // Here printed texts only explain a failure (the written file decides): the encoder's when
    // there was a bitmap to encode, else ImageMagick's.
    const bool hasBitmap = QFileInfo(bitmap).size() > 0;
    return OutputResult(output, hasBitmap ? encoderPrinted : bitmapPrinted);
}

TConvertResult TConverter::ConvertPDF(const QString& source) const
{
    if (const QString missing = MissingRenderingProgram(); !missing.isEmpty())
        return Failure(missing);
    const QString document = AbsolutePath(source);
    const TWorkFolder work(FTools.ScratchFolder);
    if (!work.IsValid())
        return Failure(ScratchUnwritable);
    const QString stem = FileStem(document);
    const QString printed =
        Run(FTools.Ghostscript,
            PdfArguments(FTools.FontFolder, PdfPagePattern(work.FilePath(stem)), document),
            work.Path());
    const QStringList pages = PageFiles(work.Path(), stem);
    if (pages.isEmpty())
        return Failure(printed.isEmpty() ? u"Ghostscript wrote no pages"_s : FirstLines(printed));
    const QDir documentFolder = QFileInfo(document).absoluteDir();
    const auto convertPage = [&](qsizetype index) {
        const QString pageFile = work.FilePath(pages[index]);
        // The page file's name, as if beside the document, names the page's output.
        const TConvertResult result =
            ConvertImage(documentFolder.filePath(pages[index]), u"BMP"_s, 25, pageFile);
        QFile::remove(pageFile);
        return result;
    };
    const QList<TConvertResult> results = FPageRunner(pages.size(), convertPage);
    return results.isEmpty() ? Failure(u"no page was converted"_s) : results.last();
}

TConvertResult TConverter::ConvertAI(const QString& source) const
{
    if (const QString missing = MissingRenderingProgram(); !missing.isEmpty())
        return Failure(missing);
    const QString drawing = AbsolutePath(source);
    const TWorkFolder work(FTools.ScratchFolder);
    if (!work.IsValid())
        return Failure(ScratchUnwritable);
    const QString png = work.FilePath(FileStem(drawing) + u".png"_s);
    const QString printed = Run(FTools.Ghostscript, AiArguments(png, drawing), work.Path());
    if (!QFileInfo(png).isFile())
        return Failure(printed.isEmpty() ? u"Ghostscript wrote no pages"_s : FirstLines(printed));
    return ConvertImage(drawing, u"PNG"_s, 0, png);
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

// The programs keep their temporary files in the conversion's work folder, which goes with it:
// ImageMagick leaves some behind (an SVG's drawing), and Ghostscript lets a document write and read
// there even in its safe mode. Without a work folder they use the system's.
QString TConverter::Run(const QString& program, const QStringList& arguments,
                        const QString& workFolder) const
{
    QProcessEnvironment environment = FTools.Environment;
    if (!workFolder.isEmpty()) {
        for (const QString& name : {u"MAGICK_TEMPORARY_PATH"_s, u"TMPDIR"_s, u"TEMP"_s, u"TMP"_s})
            environment.insert(name, QDir::toNativeSeparators(workFolder));
    }
    return RunProcess(program, arguments, environment, QDeadlineTimer(FTools.TimeLimit));
}
