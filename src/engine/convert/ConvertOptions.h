#pragma once

#include <QString>

enum class TResizeWidth
{
    Off,
    On
};

// The choices that the window's options hold when a file starts. A plain value.
struct TConvertOptions
{
    // Target format as chosen ("JPG", "PNG", ...); from the command line any text.
    QString Format = QStringLiteral("JPG");
    // Empty: each output beside its source.
    QString OutputFolder;
    TResizeWidth ResizeWidth = TResizeWidth::Off;
    // Target width in pixels, also the density an SVG is drawn at.
    int Width = 540;
    // 40 to 100; 100 makes WEBP lossless.
    int Quality = 75;
};
