#pragma once

#include <QByteArray>
#include <QString>

// The start of a JPEG (its signature and a JFIF header) and filler: listed as a JPG, read by no
// real program.
inline const QByteArray JpegBytes = QByteArray::fromHex("FFD8FFE000104A4649460001") + "rest of it";

// Writes the bytes as the whole file, making its folder when missing; false when any of it fails.
[[nodiscard]] bool WriteFile(const QString& path, const QByteArray& bytes);
// The whole file; empty when it cannot be read.
QByteArray ReadFile(const QString& path);
