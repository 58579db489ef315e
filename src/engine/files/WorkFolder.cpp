#include "files/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
// QTemporaryDir puts six letters or digits in place of "XXXXXX": nothing else is ours to remove.
const QString RandomPart = u"XXXXXX"_s;

bool IsWorkFolderName(const QString& name, const QString& prefix)
{
    if (name.size() != prefix.size() + RandomPart.size() || !name.startsWith(prefix))
        return false;
    return std::all_of(name.begin() + prefix.size(), name.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    });
}

constexpr QDir::Filters EveryEntry =
    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

// Whether it is empty afterwards.
bool EmptyFolder(const QString& path)
{
    const QDir folder(path);
    for (const QFileInfo& entry : folder.entryInfoList(EveryEntry, QDir::NoSort)) {
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
    return folder.isEmpty(EveryEntry);
}

// Emptied while held, removed once released: a folder removed while still open stays behind as
// an orphan until its last close, which costs the file system (ext4) milliseconds more. Windows
// cannot remove a folder held open at all.
void RemoveHeldFolder(std::unique_ptr<TFolderLock> lock, const QString& path)
{
    EmptyFolder(path);
    lock.reset();
    QDir().rmdir(path);
}

void RemoveAbandonedFolders(const QString& root, const QString& prefix)
{
    const QDir folder(root);
    for (const QString& name :
         folder.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort)) {
        const QString path = folder.filePath(name);
        if (!IsWorkFolderName(name, prefix) || QFileInfo(path).isSymLink())
            continue;
        std::unique_ptr<TFolderLock> lock = TFolderLock::TryLock(path);
        if (lock && lock->IsStillAt(path))
            RemoveHeldFolder(std::move(lock), path);
    }
}

// A new folder under root, held; empty when none could be made.
std::unique_ptr<TFolderLock> MakeHeldFolder(const QString& root, const QString& prefix,
                                            QString& path)
{
    if (root.isEmpty() || !QDir().mkpath(root))
        return {};
    RemoveAbandonedFolders(root, prefix);
    // Between its making and its lock, another run's clean-up may take a new folder for one
    // abandoned; then it is gone, or held by that run, and another is made.
    constexpr int Attempts = 8;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        QTemporaryDir made(QDir(root).filePath(prefix + RandomPart));
        if (!made.isValid())
            return {};
        made.setAutoRemove(false);
        std::unique_ptr<TFolderLock> lock = TFolderLock::TryLock(made.path());
        if (lock && lock->IsStillAt(made.path())) {
            path = made.path();
            return lock;
        }
    }
    return {};
}
} // namespace

TWorkFolderShelf::~TWorkFolderShelf()
{
    Clear();
}

void TWorkFolderShelf::Clear()
{
    std::vector<std::unique_ptr<THeldFolder>> folders;
    {
        const std::lock_guard lock(FMutex);
        folders.swap(FFolders);
    }
    for (std::unique_ptr<THeldFolder>& folder : folders)
        RemoveHeldFolder(std::move(folder->Lock), folder->Path);
}

std::unique_ptr<TWorkFolderShelf::THeldFolder> TWorkFolderShelf::Take(const QString& root,
                                                                      const QString& prefix)
{
    std::unique_ptr<THeldFolder> folder;
    {
        const std::lock_guard lock(FMutex);
        const auto kept = std::find_if(FFolders.begin(), FFolders.end(), [&](const auto& held) {
            return held->Root == root && held->Prefix == prefix;
        });
        if (kept == FFolders.end())
            return {};
        folder = std::move(*kept);
        FFolders.erase(kept);
    }
    // The user may have cleared the cache since, or a straggling program written into it.
    if (!folder->Lock->IsStillAt(folder->Path))
        return {};
    if (QDir(folder->Path).isEmpty(EveryEntry))
        return folder;
    RemoveHeldFolder(std::move(folder->Lock), folder->Path);
    return {};
}

void TWorkFolderShelf::Put(std::unique_ptr<THeldFolder> folder)
{
    const std::lock_guard lock(FMutex);
    FFolders.push_back(std::move(folder));
}

TWorkFolder::TWorkFolder(const QString& root, const QString& prefix, TWorkFolderShelf* shelf)
    : FShelf(shelf)
{
    if (FShelf) {
        FHeld = FShelf->Take(root, prefix);
        if (FHeld)
            return;
    }
    FHeld = std::make_unique<TWorkFolderShelf::THeldFolder>();
    FHeld->Root = root;
    FHeld->Prefix = prefix;
    FHeld->Lock = MakeHeldFolder(root, prefix, FHeld->Path);
}

TWorkFolder::~TWorkFolder()
{
    if (!IsValid())
        return;
    // What the programs left is removed either way; a folder that cannot be emptied is not kept.
    if (FShelf && EmptyFolder(FHeld->Path)) {
        FShelf->Put(std::move(FHeld));
        return;
    }
    RemoveHeldFolder(std::move(FHeld->Lock), FHeld->Path);
}

TResult<> BringIntoFolder(const QString& source, const QString& folder, const QString& name)
{
    const QFileInfo file(source);
    if (!file.exists())
        return Failed(u"the file is not there any more"_s);
    const QString target = QDir(folder).filePath(name);
    if (MakeHardLink(file.absoluteFilePath(), target) ||
        QFile::link(file.absoluteFilePath(), target))
        return {};
    if (const TResult<> copied = CopyWholeFile(source, target); !copied.IsOk())
        return Failed(u"could not copy the file into the scratch folder: "_s + copied.Reason());
    return {};
}

TResult<> CopyWholeFile(const QString& source, const QString& target)
{
    QFile from(source);
    if (!from.open(QIODevice::ReadOnly))
        return Failed(from.errorString());
    QFile to(target);
    if (!to.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return Failed(to.errorString());
    const auto failed = [&to](const QString& error) {
        to.remove();
        return Failed(error);
    };
    constexpr qint64 BlockSize = 1024 * 1024;
    while (!from.atEnd()) {
        const QByteArray block = from.read(BlockSize);
        if (from.error() != QFileDevice::NoError)
            return failed(from.errorString());
        // A full disk first takes part of a block; only the write after that says why.
        for (qint64 written = 0; written < block.size();) {
            const qint64 count = to.write(block.constData() + written, block.size() - written);
            if (count <= 0)
                return failed(to.errorString());
            written += count;
        }
    }
    if (!to.flush())
        return failed(to.errorString());
    // So that an output given its source's date keeps it; where the file system refuses, the copy
    // is still whole.
    to.setFileTime(from.fileTime(QFileDevice::FileModificationTime),
                   QFileDevice::FileModificationTime);
    to.close();
    if (to.error() != QFileDevice::NoError)
        return failed(to.errorString());
    return {};
}
