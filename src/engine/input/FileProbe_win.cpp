#include "input/FileProbe.h"

#include <QDir>

#include <windows.h>

namespace {

class TFileHandle
{
public:
    explicit TFileHandle(HANDLE handle) : FHandle(handle) {}
    ~TFileHandle()
    {
        if (FHandle != INVALID_HANDLE_VALUE)
            CloseHandle(FHandle);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    HANDLE Handle() const { return FHandle; }

private:
    HANDLE FHandle;
};

bool IsDiskFileLongerThanProbe(HANDLE handle)
{
    LARGE_INTEGER size{};
    return GetFileType(handle) == FILE_TYPE_DISK && GetFileSizeEx(handle, &size) &&
           size.QuadPart > static_cast<LONGLONG>(ProbeSize);
}

bool ReadExactly(HANDLE handle, TProbeBuffer& buffer)
{
    DWORD done = 0;
    while (done < buffer.size()) {
        DWORD count = 0;
        if (!ReadFile(handle, buffer.data() + done, static_cast<DWORD>(buffer.size() - done),
                      &count, nullptr) ||
            count == 0)
            return false;
        done += count;
    }
    return true;
}

} // namespace

std::optional<TProbeBuffer> ReadProbe(const QString& path, TPathKind kind)
{
    if (path.isEmpty() || path.contains(QChar(u'\0')) || kind == TPathKind::Special)
        return std::nullopt;

    // Share-read only: a file that someone is writing is not opened, and nobody may start
    // writing it while its first bytes are read.
    const QString nativePath = QDir::toNativeSeparators(path);
    const TFileHandle file(CreateFileW(reinterpret_cast<LPCWSTR>(nativePath.utf16()), GENERIC_READ,
                                       FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    TProbeBuffer probe{};
    if (file.Handle() == INVALID_HANDLE_VALUE || !IsDiskFileLongerThanProbe(file.Handle()) ||
        !ReadExactly(file.Handle(), probe))
        return std::nullopt;
    return probe;
}
