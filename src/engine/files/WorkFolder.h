#pragma once

#include "base/Result.h"
#include "files/FilePlatform.h"

#include <QString>

#include <memory>
#include <mutex>
#include <vector>

// Work folders that a batch keeps, emptied and still held, for its next conversions: making and
// removing a folder for each file costs a file system like ext4 milliseconds. A held folder is
// never taken for a killed run's, and one that a killed run kept is removed like any other.
// Any thread.
class TWorkFolderShelf
{
public:
    TWorkFolderShelf() = default;
    // Removes every folder kept.
    ~TWorkFolderShelf();
    TWorkFolderShelf(const TWorkFolderShelf&) = delete;
    TWorkFolderShelf& operator=(const TWorkFolderShelf&) = delete;

    // Removes every folder kept, as at the end of a batch.
    void Clear();

private:
    friend class TWorkFolder;
    struct THeldFolder
    {
        QString Root;
        QString Prefix;
        QString Path;
        std::unique_ptr<TFolderLock> Lock;
    };

    // A kept folder for root and prefix, still there and empty; one that is not is dropped.
    std::unique_ptr<THeldFolder> Take(const QString& root, const QString& prefix);
    void Put(std::unique_ptr<THeldFolder> folder);

    std::mutex FMutex;
    std::vector<std::unique_ptr<THeldFolder>> FFolders;
};

// A private folder for the files of one conversion step, named prefix + six random characters
// under a root folder (made when missing), held by a lock while this object lives. When it goes,
// it is removed with everything in it, or, given a shelf, emptied and kept there for the next
// step. Making one first removes the folders of that prefix under the root that nobody holds any
// more: those of a run that was killed. Any thread; one object per conversion.
class TWorkFolder
{
public:
    TWorkFolder(const QString& root, const QString& prefix, TWorkFolderShelf* shelf = nullptr);
    ~TWorkFolder();
    TWorkFolder(const TWorkFolder&) = delete;
    TWorkFolder& operator=(const TWorkFolder&) = delete;

    bool IsValid() const { return FHeld && FHeld->Lock; }
    QString Path() const { return FHeld ? FHeld->Path : QString(); }
    QString FilePath(const QString& name) const { return Path() + u'/' + name; }

private:
    std::unique_ptr<TWorkFolderShelf::THeldFolder> FHeld;
    TWorkFolderShelf* FShelf;
};

// Makes `source` readable in `folder` as `name`: through a hard link, else a symbolic link, else a
// copy.
TResult<> BringIntoFolder(const QString& source, const QString& folder, const QString& name);

// Copies a file whole into a new file `target`, with the source's modification time where the file
// system allows, or reports why not and leaves no part of it.
TResult<> CopyWholeFile(const QString& source, const QString& target);
