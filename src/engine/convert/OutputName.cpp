#include "convert/OutputName.h"

#include "base/AsciiCase.h"
#include "convert/FilePlatform.h"
#include "convert/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

using namespace Qt::StringLiterals;

namespace {
class TOutputCandidates
{
public:
    TOutputCandidates(const QString& namingSource, const QString& extension,
                      const QString& outputFolder)
        : FBase(QDir(OutputFolderFor(namingSource, outputFolder)).filePath(FileStem(namingSource))),
          FExtension(AsciiLower(extension))
    {}

    QString At(int number) const
    {
        if (number == 0)
            return FBase % u'.' % FExtension;
        return FBase % u" ("_s % QString::number(number) % u")."_s % FExtension;
    }

private:
    static QString OutputFolderFor(const QString& namingSource, const QString& outputFolder)
    {
        if (!outputFolder.isEmpty())
            return outputFolder;
        return QFileInfo(namingSource).absolutePath();
    }

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
} // namespace

QString FileStem(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
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

TClaimedOutput ClaimOutputFile(const QString& file, const QString& namingSource,
                               const QString& extension, const QString& outputFolder)
{
    const TOutputCandidates candidates(namingSource, extension, outputFolder);
    const QString folder = QFileInfo(candidates.At(0)).absolutePath();
    const auto cannotWrite = [&](const QString& error) {
        return TClaimedOutput{
            {}, u"could not write into "_s + QDir::toNativeSeparators(folder) + u": "_s + error};
    };
    QString whole = file;
    std::optional<TWorkFolder> landing;
    for (int number = 0;;) {
        const QString candidate = candidates.At(number);
        if (IsFileThere(candidate)) {
            ++number;
            continue;
        }
        const TMoveResult move = MoveWithoutReplacing(whole, candidate);
        switch (move.Outcome) {
        case TMoveOutcome::Moved:
            return {candidate, {}};
        case TMoveOutcome::NameTaken:
            ++number;
            break;
        case TMoveOutcome::OtherDevice: {
            if (landing)
                return cannotWrite(u"the file cannot be moved there"_s);
            landing.emplace(folder, u".morvane-part-"_s);
            if (!landing->IsValid())
                return cannotWrite(u"no folder for the copy could be made there"_s);
            const QString copy = landing->FilePath(QFileInfo(file).fileName());
            if (const QString error = CopyWholeFile(whole, copy); !error.isEmpty())
                return cannotWrite(error);
            whole = copy;
            break;
        }
        case TMoveOutcome::Failed:
            // Some systems report a name taken by a folder as a refusal.
            if (!IsAnythingThere(candidate))
                return cannotWrite(move.Error);
            ++number;
            break;
        }
    }
}

QString TreeSubfolder(const QString& fileName, const QString& root)
{
    if (root.isEmpty())
        return {};
    const QString rootForm =
        root.endsWith(u'/') || root.endsWith(QDir::separator()) ? root : root + QDir::separator();
    if (!fileName.startsWith(rootForm))
        return {};
    const QString rootName =
        QFileInfo(QDir::cleanPath(QFileInfo(root).absoluteFilePath())).fileName();
    const QString inside =
        QFileInfo(QDir::fromNativeSeparators(fileName.mid(rootForm.size()))).path();
    QStringList parts;
    for (const QString& part : {rootName, inside}) {
        if (!part.isEmpty() && part != u".")
            parts << part;
    }
    return parts.join(u'/');
}

TConvertOptions OptionsForFile(TConvertOptions options, const QString& fileName,
                               const QString& root)
{
    options.Subfolder = options.FolderTree == TFolderTree::Kept && !options.OutputFolder.isEmpty()
                            ? TreeSubfolder(fileName, root)
                            : QString();
    return options;
}

TOutputFolder MakeOutputFolder(const TConvertOptions& options)
{
    if (options.OutputFolder.isEmpty() || options.Subfolder.isEmpty())
        return {options.OutputFolder, {}};
    const QString base = QFileInfo(options.OutputFolder).canonicalFilePath();
    const auto refused = [&](const QString& why) {
        return TOutputFolder{
            {}, u"the folder "_s + QDir::toNativeSeparators(options.Subfolder) + u' ' + why};
    };
    if (base.isEmpty())
        return refused(u"has no output folder to go into"_s);
    if (QDir::isAbsolutePath(options.Subfolder))
        return refused(u"would lie outside the output folder"_s);
    const QString inside = base.endsWith(u'/') ? base : base + u'/';
    QString folder = base;
    for (const QString& name : options.Subfolder.split(u'/', Qt::SkipEmptyParts)) {
        if (name == u".." || name == u".")
            return refused(u"would lie outside the output folder"_s);
        folder = (folder.endsWith(u'/') ? folder : folder + u'/') + name;
        const QFileInfo entry(folder);
        // Another file's conversion may make it at the same moment: what is there counts.
        if (!entry.exists() && !entry.isSymLink())
            QDir().mkdir(folder);
        const QFileInfo made(folder);
        if (!made.exists())
            return refused(u"could not be made"_s);
        if (!made.isDir())
            return refused(u"is taken by a file"_s);
        const QString real = made.canonicalFilePath();
        if (!real.startsWith(inside) && real != base)
            return refused(u"leads outside the output folder"_s);
        folder = real;
    }
    return {folder, {}};
}
