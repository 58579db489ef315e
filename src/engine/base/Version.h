#pragma once

#include <QString>

#include <optional>

struct TFileVersion
{
    int Major = 0;
    int Minor = 0;
    int Release = 0;
    int Build = 0;
};

// The program's own four-part version, as configured at build time.
std::optional<TFileVersion> ProgramVersion();

// The version formatted printf-style with its four numbers in order ("%d.%d.%d" uses the first
// three); "0.0.0.0" whatever the template when no version is known. Any thread.
QString GetFileVersion(const char* format);
QString FormatFileVersion(const char* format, const std::optional<TFileVersion>& version);
