#pragma once

#include "convert/ConvertArguments.h"
#include "convert/ConvertOptions.h"
#include "convert/ConvertTools.h"
#include "convert/RunProcess.h"
#include "convert/StopToken.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TWorkFolder;
struct TPhotoInfo;
class TWorkFolderShelf;

struct TConvertResult
{
    bool Succeeded = false;
    // Why it failed: the first lines an outside program printed, or a plain sentence.
    QString Reason;
};

// Converts pages 0 to count - 1 of one document with convertPage, which may run on several threads
// at once, and returns the results in page order.
using TPageRunner = std::function<QList<TConvertResult>(
    qsizetype count, const std::function<TConvertResult(qsizetype page)>& convertPage)>;

// Whether files of this type are drawn by Ghostscript before ImageMagick converts them.
bool IsRenderedByGhostscript(const QString& fileType);

// Converts one file to the target format by running the outside programs in a private work folder
// under names of its own choosing, so that no program ever reads a name the user chose. A result
// counts only when every program ended by itself with status 0 and left a file that is not empty,
// and ImageMagick and the JPEG encoder printed nothing (Ghostscript reports damage it repaired and
// goes on: its words only explain a failure); that file then gets the source's photo information
// and, when asked, its date, and only then is it moved to its output name, whole, in one step.
// Works on its own copies of tools and options; its members are const and may run on several
// threads at once. Blocks until the programs end: call it on a worker thread.
class TConverter
{
public:
    TConverter(TConvertTools tools, TConvertOptions options);

    // How the pages of a PDF are run; by default one after another on the calling thread.
    void SetPageRunner(TPageRunner runner);
    // Once stop is requested, the programs under way are ended, none is started, and the
    // conversion fails as "interrupted" with nothing under an output name.
    void SetStopToken(TStopToken stop);
    // Where the work folders come from and go back to, emptied; by default each is made for its
    // conversion and removed after it.
    void SetWorkFolderShelf(std::shared_ptr<TWorkFolderShelf> shelf);

    // A listed file by its type name: "PDF", "AI" and "EPS" are rendered first, an empty type
    // fails.
    TConvertResult ConvertFile(const QString& fileName, const QString& fileType) const;
    // One image. namingSource names the output and, without an output folder, places it;
    // inputFile (empty: namingSource) is what is read, as data of sourceType. scalePercent above 0
    // reduces the image when no width is set.
    TConvertResult ConvertImage(const QString& namingSource, const QString& sourceType,
                                int scalePercent, const QString& inputFile) const;
    // Every page of a PDF, named "a-001", "a-002", ...; fails when any page fails, naming those
    // pages, while the pages that were converted stay.
    TConvertResult ConvertPDF(const QString& source) const;
    // An AI file, drawn at 96 dpi and named after itself.
    TConvertResult ConvertAI(const QString& source) const;
    // An EPS or PostScript file, drawn at 96 dpi on its bounding box and named after itself.
    TConvertResult ConvertEPS(const QString& source) const;

private:
    // ConvertImage, the output dated by datedBy when the options ask for it.
    TConvertResult ConvertDated(const QString& namingSource, const QString& sourceType,
                                int scalePercent, const QString& inputFile,
                                const QString& datedBy) const;
    QList<TProgramCall> ImageChain(const TImageInput& input, const QString& output) const;
    // Ghostscript's arguments for drawing source into png (AiArguments, EpsArguments).
    using TDrawingArguments = QStringList (*)(const QString& png, const QString& source);
    TConvertResult ConvertDrawing(const QString& source, TDrawingArguments arguments) const;
    TPhotoInfo SourcePhotoInfo(const TWorkFolder& work, const QString& inputName,
                               const QString& sourceType) const;
    QString FinishOutput(const QString& output, const TPhotoInfo& photo,
                         const QString& datedBy) const;
    TProgramSettings ProgramSettings(const TWorkFolder& work) const;
    QString Prepare(const QString& missingProgram, const TWorkFolder& work,
                    const QString& source) const;
    QString MissingImageProgram() const;
    QString MissingRenderingProgram() const;

    TConvertTools FTools;
    TConvertOptions FOptions;
    TPageRunner FPageRunner;
    TStopToken FStop;
    std::shared_ptr<TWorkFolderShelf> FShelf;
};
