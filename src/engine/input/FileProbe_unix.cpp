#include "input/FileProbe.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class TFileHandle
{
public:
    explicit TFileHandle(int handle) : FHandle(handle) {}
    ~TFileHandle()
    {
        if (FHandle >= 0)
            ::close(FHandle);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    int Handle() const { return FHandle; }

private:
    int FHandle;
};

bool IsRegularFileLongerThanProbe(int handle)
{
    struct stat status
    {};
    return ::fstat(handle, &status) == 0 && S_ISREG(status.st_mode) &&
           status.st_size > static_cast<off_t>(ProbeSize);
}

bool ReadExactly(int handle, TProbeBuffer& buffer)
{
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t count = ::read(handle, buffer.data() + done, buffer.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        done += static_cast<std::size_t>(count);
    }
    return true;
}

} // namespace

std::optional<TProbeBuffer> ReadProbe(const QString& path)
{
    // A NUL would silently cut the path short and probe another file.
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return std::nullopt;

    // Non-blocking so that a named pipe cannot stall the caller; only regular files are read.
    const TFileHandle file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    TProbeBuffer probe{};
    if (file.Handle() < 0 || !IsRegularFileLongerThanProbe(file.Handle()) ||
        !ReadExactly(file.Handle(), probe))
        return std::nullopt;
    return probe;
}
