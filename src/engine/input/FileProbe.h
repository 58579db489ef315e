#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <optional>

constexpr std::size_t ProbeSize = 12;
using TProbeBuffer = std::array<unsigned char, ProbeSize>;

// What the caller knows of a path before it is opened.
enum class TPathKind
{
    // Nothing: it may be a named pipe or a device, whose reading would block or take what others
    // wait for.
    Unknown,
    // A regular file, as its folder's entry said while the folder was read.
    RegularFile,
    // A pipe, device or socket, as its folder's entry said: not even opened, as opening a device
    // may act on it.
    Special
};

// The first ProbeSize bytes of a regular file that is longer than that; nothing for shorter
// files and whenever the file cannot be opened or read. While open, others may read the file
// but not write it where the platform can say so; it is closed before returning. Any thread.
std::optional<TProbeBuffer> ReadProbe(const QString& path, TPathKind kind = TPathKind::Unknown);
