#include "input/FileProbe.h"

#include <QFile>

#include <algorithm>
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

bool IsRegularFile(int handle)
{
    struct stat status
    {};
    return ::fstat(handle, &status) == 0 && S_ISREG(status.st_mode);
}

// One byte past the probe says that the file is longer than the probe, without asking its size.
using TProbeAndOneMore = std::array<unsigned char, ProbeSize + 1>;

bool ReadExactly(int handle, TProbeAndOneMore& buffer)
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

std::optional<TProbeBuffer> ReadProbe(const QString& path, TPathKind kind)
{
    // A NUL would silently cut the path short and probe another file.
    if (path.isEmpty() || path.contains(QChar(u'\0')) || kind == TPathKind::Special)
        return std::nullopt;

    // Non-blocking so that a named pipe cannot stall the caller, even one that took the place of
    // a listed regular file; only regular files are read.
    const TFileHandle file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Handle() < 0 || (kind != TPathKind::RegularFile && !IsRegularFile(file.Handle())))
        return std::nullopt;
    TProbeAndOneMore bytes{};
    if (!ReadExactly(file.Handle(), bytes))
        return std::nullopt;
    TProbeBuffer probe{};
    std::copy_n(bytes.begin(), ProbeSize, probe.begin());
    return probe;
}
