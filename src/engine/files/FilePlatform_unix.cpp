#include "files/FilePlatform.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The file system has no no-replace rename (some network and FUSE file systems).
bool IsRenameUnsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

// The file system has no hard links (FAT says EPERM).
bool IsLinkUnsupported(int error)
{
    return error == EPERM || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

TMoveResult FromError(int error)
{
    if (error == EEXIST)
        return {TMoveOutcome::NameTaken, {}};
    if (error == EXDEV)
        return {TMoveOutcome::OtherDevice, {}};
    return {TMoveOutcome::Failed, SystemError(error)};
}

// For file systems that have neither a no-replace rename nor links (FAT): the name is taken by an
// empty file first, then replaced by ours; a kill in between leaves that empty file.
TMoveResult MoveOverOwnPlaceholder(const QByteArray& from, const QByteArray& to)
{
    const int placeholder = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (placeholder < 0)
        return FromError(errno);
    ::close(placeholder);
    if (::rename(from.constData(), to.constData()) == 0)
        return {TMoveOutcome::Moved, {}};
    const int error = errno;
    ::unlink(to.constData());
    return FromError(error);
}

TMoveResult MoveByLink(const QByteArray& from, const QByteArray& to)
{
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return {TMoveOutcome::Moved, {}};
    }
    const int error = errno;
    if (IsLinkUnsupported(error))
        return MoveOverOwnPlaceholder(from, to);
    return FromError(error);
}
} // namespace

TMoveResult MoveWithoutReplacing(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
#ifdef Q_OS_LINUX
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return {TMoveOutcome::Moved, {}};
    if (const int error = errno; !IsRenameUnsupported(error))
        return FromError(error);
#endif
    return MoveByLink(source, target);
}

bool MakeHardLink(const QString& target, const QString& link)
{
    return ::linkat(AT_FDCWD, QFile::encodeName(target).constData(), AT_FDCWD,
                    QFile::encodeName(link).constData(), AT_SYMLINK_FOLLOW) == 0;
}

struct TFolderLock::TNative
{
    int Descriptor = -1;
};

TFolderLock::TFolderLock(std::unique_ptr<TNative> native) : FNative(std::move(native)) {}

TFolderLock::~TFolderLock()
{
    ::close(FNative->Descriptor);
}

std::unique_ptr<TFolderLock> TFolderLock::TryLock(const QString& folder)
{
    // Not inherited by the programs we start: a program outliving us must not keep it held.
    const int descriptor =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return {};
    // Released by the system when the descriptor closes, also when we are killed.
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return {};
    }
    auto native = std::make_unique<TNative>();
    native->Descriptor = descriptor;
    return std::unique_ptr<TFolderLock>(new TFolderLock(std::move(native)));
}

bool TFolderLock::IsStillAt(const QString& folder) const
{
    struct stat held = {};
    struct stat named = {};
    return ::fstat(FNative->Descriptor, &held) == 0 && held.st_nlink > 0 &&
           ::lstat(QFile::encodeName(folder).constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}
