#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <optional>

constexpr std::size_t ProbeSize = 12;
using TProbeBuffer = std::array<unsigned char, ProbeSize>;

// The first ProbeSize bytes of a regular file that is longer than that; nothing for shorter
// files and whenever the file cannot be opened or read. While open, others may read the file
// but not write it where the platform can say so; it is closed before returning. Any thread.
std::optional<TProbeBuffer> ReadProbe(const QString& path);
