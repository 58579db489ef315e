#pragma once

#include "base/Result.h"
#include "config/ConvertOptions.h"
#include "convert/ConvertArguments.h"
#include "convert/ConvertTools.h"
#include "convert/RunProcess.h"
#include "convert/StopToken.h"
#include "input/FileInfo.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

struct TPhotoInfo;
class TWorkSite;
class TWorkFolderShelf;

// Converts pages 0 to count - 1 of one document with convertPage, which may run on several threads
// at once, and returns the results in page order.
using TPageRunner = std::function<QList<TResult<>>(
    qsizetype count, const std::function<TResult<>(qsizetype page)>& convertPage)>;

// One picture to convert: what is read and what names, places and dates its output. A plain
// value.
struct TImageJob
{
    // Names the output and, without an output folder, places it.
    QString NamingSource;
    // Type name of the data read ("PNG", "BMP", ...).
    QString SourceType;
    // What is read; empty: NamingSource.
    QString InputFile = {};
    // Reduction to this percentage when no width is set; 0 for none.
    int ScalePercent = 0;
    // Whose modification time the output gets when dates are kept; empty: NamingSource's.
    QString DatedBy = {};
    // The folders under the output folder that the output goes into (OutputSubfolder), made
    // when missing; empty: the output folder itself.
    QString Subfolder = {};
};

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
    // conversion fails as Interrupted with nothing under an output name.
    void SetStopToken(TStopToken stop);
    // Where the work folders come from and go back to, emptied; by default each is made for its
    // conversion and removed after it.
    void SetWorkFolderShelf(std::shared_ptr<TWorkFolderShelf> shelf);

    // A listed file, by the kind its type names, into the folder its options and its root give.
    // A PDF's pages are named "a-001", "a-002", ...; it fails when any page fails, naming those
    // pages, while the pages that were converted stay. AI and EPS files are drawn at 96 dpi (EPS
    // on its bounding box) and named after themselves.
    TResult<> ConvertFile(const TFileInfo& file) const;
    // One picture.
    TResult<> ConvertImage(const TImageJob& job) const;

private:
    TResult<> ConvertDocument(const QString& source, const QString& subfolder) const;
    // Ghostscript's arguments for drawing source into png (AiArguments, EpsArguments).
    using TDrawingArguments = QStringList (*)(const QString& png, const QString& source);
    TResult<> ConvertDrawing(const QString& source, const QString& subfolder,
                             TDrawingArguments arguments) const;
    QList<TProgramCall> ImageChain(const TImageInput& input, const QString& output) const;
    TPhotoInfo SourcePhotoInfo(const TWorkSite& site, const QString& sourceType) const;
    TResult<> FinishOutput(const QString& output, const TPhotoInfo& photo,
                           const QString& datedBy) const;
    TResult<> ClaimOutput(const QString& output, const TImageJob& job) const;
    TProgramSettings ProgramSettings(const TWorkSite& site) const;
    // What every conversion needs before its programs run; the source is then in the work folder
    // under its plain name.
    TResult<> Prepare(const TWorkSite& site, const TResult<>& programsFound) const;
    TResult<> ImageProgramsFound() const;
    TResult<> RenderingProgramsFound() const;

    TConvertTools FTools;
    TConvertOptions FOptions;
    TPageRunner FPageRunner;
    TStopToken FStop;
    std::shared_ptr<TWorkFolderShelf> FShelf;
};
