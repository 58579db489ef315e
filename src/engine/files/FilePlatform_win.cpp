#include "files/FilePlatform.h"

#include <QDir>

#include <windows.h>

namespace {
std::wstring NativePath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

QString SystemError(DWORD error)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const QString message =
        text ? QString::fromWCharArray(text).trimmed() : QStringLiteral("error %1").arg(error);
    LocalFree(text);
    return message;
}
} // namespace

TMoveResult MoveWithoutReplacing(const QString& from, const QString& to)
{
    // Without MOVEFILE_REPLACE_EXISTING an existing file is never replaced, and without
    // MOVEFILE_COPY_ALLOWED a move never copies, so the new name appears whole at once.
    if (MoveFileExW(NativePath(from).c_str(), NativePath(to).c_str(), 0))
        return {TMoveOutcome::Moved, {}};
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return {TMoveOutcome::NameTaken, {}};
    if (error == ERROR_NOT_SAME_DEVICE)
        return {TMoveOutcome::OtherDevice, {}};
    return {TMoveOutcome::Failed, SystemError(error)};
}

bool MakeHardLink(const QString& target, const QString& link)
{
    return CreateHardLinkW(NativePath(link).c_str(), NativePath(target).c_str(), nullptr) != 0;
}

struct TFolderLock::TNative
{
    HANDLE Handle = INVALID_HANDLE_VALUE;
};

TFolderLock::TFolderLock(std::unique_ptr<TNative> native) : FNative(std::move(native)) {}

TFolderLock::~TFolderLock()
{
    CloseHandle(FNative->Handle);
}

std::unique_ptr<TFolderLock> TFolderLock::TryLock(const QString& folder)
{
    // Open without sharing: a second open fails, and the folder can be neither removed nor
    // renamed while it is held. Files inside it are not affected. The system closes the handle
    // when we end.
    const HANDLE handle = CreateFileW(NativePath(folder).c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    auto native = std::make_unique<TNative>();
    native->Handle = handle;
    return std::unique_ptr<TFolderLock>(new TFolderLock(std::move(native)));
}

bool TFolderLock::IsStillAt(const QString&) const
{
    // Held without sharing, the folder cannot have gone since it was opened.
    return true;
}
