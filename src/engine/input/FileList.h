#pragma once

#include "input/FileInfo.h"
#include "input/FileProbe.h"

#include <QList>
#include <QSet>
#include <QString>

// Most folders the walk holds open at once, counting the one it starts in.
constexpr int MaxFolderDepth = 64;

// Where the walk puts the files it accepts: the window's list or a plain one. A path is listed at
// most once, by exact, case-sensitive text.
class TFileSink
{
public:
    virtual bool Contains(const QString& fileName) const = 0;
    // Only for a path that is not listed yet.
    virtual void Append(TFileInfo info) = 0;

protected:
    ~TFileSink() = default;
};

// The files in the order the walk accepted them, for a program without a window. Any thread, one
// at a time.
class TPlainFileList final : public TFileSink
{
public:
    bool Contains(const QString& fileName) const override;
    void Append(TFileInfo info) override;
    const QList<TFileInfo>& Files() const { return FFiles; }

private:
    QList<TFileInfo> FFiles;
    QSet<QString> FFileNames;
};

// Lists every acceptable file at or under `path`: a folder is walked depth-first over all its
// entries, hidden and system ones included, in the order the file system gives. A folder already
// open on the way down (a link back to an ancestor) is not entered again, nor one deeper than
// MaxFolderDepth. Each file found under a folder records that folder as its Root. An empty path
// adds nothing. Reports nothing. The thread that owns `list`.
void AddPath(TFileSink& list, const QString& path);

// Lists one file unless its exact path text is listed already or its type is not recognised; the
// duplicate test comes first, so a listed file is not opened again. root: the folder it was found
// under (TFileInfo::Root).
void AddListItem(TFileSink& list, const QString& path, const QString& root = {},
                 TPathKind kind = TPathKind::Unknown);
