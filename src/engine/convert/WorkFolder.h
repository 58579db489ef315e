#pragma once

#include "convert/FilePlatform.h"

#include <QString>

#include <memory>

// A private folder for the files of one conversion step, named prefix + six random characters
// under a root folder (made when missing), held by a lock while this object lives and removed
// with everything in it when it goes. Making one first removes the folders of that prefix under
// the root that nobody holds any more: those of a run that was killed. Any thread; one object per
// conversion.
class TWorkFolder
{
public:
    TWorkFolder(const QString& root, const QString& prefix);
    ~TWorkFolder();
    TWorkFolder(const TWorkFolder&) = delete;
    TWorkFolder& operator=(const TWorkFolder&) = delete;

    bool IsValid() const { return FLock != nullptr; }
    QString Path() const { return FPath; }
    QString FilePath(const QString& name) const { return FPath + u'/' + name; }

private:
    QString FPath;
    std::unique_ptr<TFolderLock> FLock;
};

// Makes `source` readable in `folder` as `name`: through a hard link, else a symbolic link, else a
// copy. Empty when done, else why not.
QString BringIntoFolder(const QString& source, const QString& folder, const QString& name);

// Copies a file whole into a new file `target`, with the source's modification time where the file
// system allows, or reports why not and leaves no part of it. Empty when done.
QString CopyWholeFile(const QString& source, const QString& target);
