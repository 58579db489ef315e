#include "output/OutputName.h"

#include "base/AsciiCase.h"
#include "files/FilePlatform.h"
#include "files/WorkFolder.h"
#include "output/OutputFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <optional>

using namespace Qt::StringLiterals;

namespace {
const QString PartFolderPrefix = u".morvane-part-"_s;

class TOutputCandidates
{
public:
    TOutputCandidates(const QString& namingSource, const QString& extension,
                      const QString& outputFolder)
        : FBase(QDir(OutputFolderOf(outputFolder, {}, namingSource))
                    .filePath(FileStem(namingSource))),
          FExtension(AsciiLower(extension))
    {}

    QString Folder() const { return QFileInfo(At(0)).absolutePath(); }

    QString At(int number) const
    {
        if (number == 0)
            return FBase % u'.' % FExtension;
        return FBase % u" ("_s % QString::number(number) % u")."_s % FExtension;
    }

private:
    QString FBase;
    QString FExtension;
};

// A file or a link to one; a folder of that name does not count.
bool IsFileThere(const QString& path)
{
    return QFileInfo(path).isFile();
}

bool IsAnythingThere(const QString& path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}

enum class TNameAttempt
{
    Claimed,
    Taken,
    Failed
};

// Moves one whole file to the names it is offered, never replacing one. From another file system
// it first lands, copied whole, in a hidden folder there, and moves on from that copy.
class TOutputClaim
{
public:
    TOutputClaim(const QString& file, const QString& folder) : FWhole(file), FFolder(folder) {}

    TNameAttempt TryName(const QString& name)
    {
        const TMoveResult move = MoveWithoutReplacing(FWhole, name);
        switch (move.Outcome) {
        case TMoveOutcome::Moved:
            return TNameAttempt::Claimed;
        case TMoveOutcome::NameTaken:
            return TNameAttempt::Taken;
        case TMoveOutcome::OtherDevice: {
            const TResult<> landed = LandOnOutputDevice();
            return landed.IsOk() ? TryName(name) : Refuse(landed.Reason());
        }
        case TMoveOutcome::Failed:
            // Some systems report a name taken by a folder as a refusal.
            if (IsAnythingThere(name))
                return TNameAttempt::Taken;
            return Refuse(move.Error);
        }
        return TNameAttempt::Failed;
    }

    TFailure Failure() const { return FFailure; }

private:
    TResult<> LandOnOutputDevice()
    {
        if (FLanding)
            return Failed(u"the file cannot be moved there"_s);
        FLanding.emplace(FFolder, PartFolderPrefix);
        if (!FLanding->IsValid())
            return Failed(u"no folder for the copy could be made there"_s);
        const QString copy = FLanding->FilePath(QFileInfo(FWhole).fileName());
        if (TResult<> copied = CopyWholeFile(FWhole, copy); !copied.IsOk())
            return copied;
        FWhole = copy;
        return {};
    }

    TNameAttempt Refuse(const QString& error)
    {
        FFailure = Failed(u"could not write into "_s + QDir::toNativeSeparators(FFolder) + u": "_s +
                          error);
        return TNameAttempt::Failed;
    }

    QString FWhole;
    const QString FFolder;
    std::optional<TWorkFolder> FLanding;
    TFailure FFailure;
};
} // namespace

QString FileStem(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString StemWithoutCopyNumbers(const QString& stem)
{
    static const QRegularExpression copyNumbers(u"( \\(\\d+\\))+$"_s);
    return QString(stem).remove(copyNumbers);
}

QString PageNamingSource(const QString& document, const QString& pageDigits)
{
    return QFileInfo(document).absoluteDir().filePath(FileStem(document) + u'-' + pageDigits +
                                                      u".bmp"_s);
}

std::optional<QString> DocumentStemOfPage(const QString& stem)
{
    static const QRegularExpression pageStem(u"^(.*)-\\d{3,}$"_s);
    const QRegularExpressionMatch page = pageStem.match(stem);
    if (!page.hasMatch())
        return std::nullopt;
    return page.captured(1);
}

QString GetOutputFileName(const QString& namingSource, const QString& extension,
                          const QString& outputFolder)
{
    const TOutputCandidates candidates(namingSource, extension, outputFolder);
    int number = 0;
    while (IsFileThere(candidates.At(number)))
        ++number;
    return candidates.At(number);
}

TResult<QString> ClaimOutputFile(const QString& file, const QString& namingSource,
                                 const QString& extension, const QString& outputFolder)
{
    const TOutputCandidates candidates(namingSource, extension, outputFolder);
    TOutputClaim claim(file, candidates.Folder());
    for (int number = 0;; ++number) {
        const QString candidate = candidates.At(number);
        if (IsFileThere(candidate))
            continue;
        switch (claim.TryName(candidate)) {
        case TNameAttempt::Claimed:
            return candidate;
        case TNameAttempt::Taken:
            break;
        case TNameAttempt::Failed:
            return claim.Failure();
        }
    }
}
