#include "output/OutputFolder.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {
// Qt's own form, which real (canonical) paths take on every platform.
QString InQtForm(const QString& folder, const QString& name)
{
    return (folder.endsWith(u'/') ? folder : folder + u'/') + name;
}

// Makes the folders of a subfolder one by one under the real output folder, each checked before
// the next is made in it.
class TSubfolderMaker
{
public:
    TSubfolderMaker(const QString& base, const QString& subfolder)
        : FBase(base), FInside(InQtForm(base, {})), FSubfolder(subfolder)
    {}

    TResult<QString> Make() const
    {
        if (QDir::isAbsolutePath(FSubfolder))
            return Refused(u"would lie outside the output folder"_s);
        QString folder = FBase;
        for (const QString& name : FSubfolder.split(u'/', Qt::SkipEmptyParts)) {
            if (name == u".." || name == u".")
                return Refused(u"would lie outside the output folder"_s);
            const TResult<QString> entered = Enter(folder, name);
            if (!entered.IsOk())
                return entered;
            folder = entered.Value();
        }
        return folder;
    }

private:
    // The real path of `name` in `folder`, made when missing.
    TResult<QString> Enter(const QString& folder, const QString& name) const
    {
        const QString path = InQtForm(folder, name);
        const QFileInfo entry(path);
        // Another file's conversion may make it at the same moment: what is there counts.
        if (!entry.exists() && !entry.isSymLink())
            QDir().mkdir(path);
        const QFileInfo made(path);
        if (!made.exists())
            return Refused(u"could not be made"_s);
        if (!made.isDir())
            return Refused(u"is taken by a file"_s);
        const QString real = made.canonicalFilePath();
        if (!real.startsWith(FInside) && real != FBase)
            return Refused(u"leads outside the output folder"_s);
        return real;
    }

    TFailure Refused(const QString& why) const
    {
        return Failed(u"the folder "_s + QDir::toNativeSeparators(FSubfolder) + u' ' + why);
    }

    const QString FBase;
    const QString FInside;
    const QString FSubfolder;
};
} // namespace

TResult<QString> PrepareOutputFolder(const QString& folder)
{
    const QString form = FolderForm(folder);
    if (QFileInfo(form).isDir() || QDir().mkpath(form))
        return form;
    return Failed(u"cannot create the output folder "_s + QDir::toNativeSeparators(folder));
}

QString TreeSubfolder(const QString& fileName, const QString& root)
{
    if (root.isEmpty())
        return {};
    const QString rootForm = FolderForm(root);
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

QString OutputSubfolder(const TConvertOptions& options, const TFileInfo& file)
{
    if (options.FolderTree != TFolderTree::Kept || options.OutputFolder.isEmpty())
        return {};
    return TreeSubfolder(file.FileName, file.Root);
}

QString OutputFolderOf(const QString& outputFolder, const QString& subfolder,
                       const QString& namingSource)
{
    const QString folder =
        outputFolder.isEmpty()
            ? QFileInfo(namingSource).absolutePath()
            : QFileInfo(QDir(outputFolder).filePath(subfolder)).absoluteFilePath();
    return QDir::cleanPath(folder);
}

TResult<QString> MakeOutputFolder(const QString& outputFolder, const QString& subfolder)
{
    if (outputFolder.isEmpty() || subfolder.isEmpty())
        return outputFolder;
    const QString base = QFileInfo(outputFolder).canonicalFilePath();
    if (base.isEmpty())
        return Failed(u"the folder "_s + QDir::toNativeSeparators(subfolder) +
                      u" has no output folder to go into"_s);
    return TSubfolderMaker(base, subfolder).Make();
}
