#include "input/FileList.h"

#include "base/Paths.h"
#include "input/FileType.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStringList>

namespace {

// A regular file as the folder's entry says without asking the file system again (Linux's d_type);
// for a link it asks about the target, and so where the file system does not say.
TPathKind KindOf(const QFileInfo& entry)
{
    return entry.isFile() ? TPathKind::RegularFile : TPathKind::Special;
}

class TFolderWalk
{
public:
    TFolderWalk(TFileSink& list, QString root) : FList(list), FRoot(std::move(root)) {}

    void Add(const QString& path)
    {
        const QString folder = FolderForm(path);
        const QFileInfo folderInfo(folder);
        if (folderInfo.isDir())
            Enter(folder, folderInfo);
        else
            AddListItem(FList, path, FOpenFolders.isEmpty() ? QString() : FRoot);
    }

private:
    void Enter(const QString& folder, const QFileInfo& folderInfo)
    {
        const QString canonical = folderInfo.canonicalFilePath();
        if (FOpenFolders.size() >= MaxFolderDepth || FOpenFolders.contains(canonical))
            return;
        FOpenFolders.append(canonical);
        QDirIterator entries(folder,
                             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (entries.hasNext()) {
            entries.next();
            const QString entryPath = folder + entries.fileName();
            const QFileInfo entry = entries.fileInfo();
            if (entry.isDir())
                Add(entryPath);
            else
                AddListItem(FList, entryPath, FRoot, KindOf(entry));
        }
        FOpenFolders.removeLast();
    }

    TFileSink& FList;
    const QString FRoot;
    // Canonical paths of the folders from the walk's root down to the one being read.
    QStringList FOpenFolders;
};

} // namespace

void AddPath(TFileSink& list, const QString& path)
{
    // An empty path would otherwise become the file system's root.
    if (path.isEmpty())
        return;
    TFolderWalk(list, path).Add(path);
}

bool TPlainFileList::Contains(const QString& fileName) const
{
    return FFileNames.contains(fileName);
}

void TPlainFileList::Append(TFileInfo info)
{
    FFileNames.insert(info.FileName);
    FFiles.append(std::move(info));
}

void AddListItem(TFileSink& list, const QString& path, const QString& root, TPathKind kind)
{
    if (list.Contains(path))
        return;
    const QString format = DetectFileType(path, kind);
    if (format.isEmpty())
        return;
    list.Append({path, FileNamePart(path), format, root});
}
