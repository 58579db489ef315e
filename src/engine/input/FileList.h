#pragma once

#include <QString>

class TFileListModel;

// Most folders the walk holds open at once, counting the one it starts in.
constexpr int MaxFolderDepth = 64;

// Lists every acceptable file at or under `path`: a folder is walked depth-first over all its
// entries, hidden and system ones included, in the order the file system gives. A folder already
// open on the way down (a link back to an ancestor) is not entered again, nor one deeper than
// MaxFolderDepth. An empty path adds nothing. Reports nothing. Main thread.
void AddPath(TFileListModel& list, const QString& path);

// Lists one file unless its exact path text is listed already or its type is not recognised; the
// duplicate test comes first, so a listed file is not opened again.
void AddListItem(TFileListModel& list, const QString& path);
