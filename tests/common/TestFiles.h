#pragma once

#include <QByteArray>
#include <QString>

// Writes the bytes as the whole file, making its folder when missing; false when any of it fails.
[[nodiscard]] bool WriteFile(const QString& path, const QByteArray& bytes);
// The whole file; empty when it cannot be read.
QByteArray ReadFile(const QString& path);
