#pragma once

#include <QStringList>

// The formats that the options page and the start button's menu offer, in their order. Each
// control is named after its format ("BtnPNG", "ChkPNG"); its caption is only what it shows.
inline const QStringList TargetFormats = {QStringLiteral("JPG"), QStringLiteral("PNG"),
                                          QStringLiteral("GIF"), QStringLiteral("WEBP"),
                                          QStringLiteral("TIFF")};
