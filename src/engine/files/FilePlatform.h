#pragma once

#include <QString>

#include <memory>

// The platform's side of the files a conversion makes: work folders held by a lock, second names
// for a source, and moves that never replace a file.

enum class TMoveOutcome
{
    Moved,
    // Something is there already under the new name; nothing was changed.
    NameTaken,
    // The new name is on another file system: the file has to be copied.
    OtherDevice,
    Failed
};

struct TMoveResult
{
    TMoveOutcome Outcome = TMoveOutcome::Failed;
    // Failed: the system's reason.
    QString Error;
};

// Gives the file `from` the name `to` in one step, only if nothing is called `to`: it is never
// replaced, and `to` never names a partial file.
TMoveResult MoveWithoutReplacing(const QString& from, const QString& to);

// A second name `link` for the file `target` (after following links); false where the file system
// cannot (another file system, no such links, no right to make one).
bool MakeHardLink(const QString& target, const QString& link);

// A folder held for as long as this object lives: another TryLock of it, here or in another
// process, fails until then, and the hold ends by itself when its process ends, however it ends.
class TFolderLock
{
public:
    // Empty when the folder is held already or cannot be opened.
    static std::unique_ptr<TFolderLock> TryLock(const QString& folder);
    ~TFolderLock();
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

    // Whether `folder` still names the folder held: whoever held it before may have removed it.
    bool IsStillAt(const QString& folder) const;

private:
    struct TNative;
    explicit TFolderLock(std::unique_ptr<TNative> native);
    std::unique_ptr<TNative> FNative;
};
