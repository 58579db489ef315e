#include "base/Version.h"

#include "base/MorvaneBuild.h"

std::optional<TFileVersion> ProgramVersion()
{
    return TFileVersion{MorvaneBuild::VersionMajor, MorvaneBuild::VersionMinor,
                        MorvaneBuild::VersionRelease, MorvaneBuild::VersionBuild};
}

QString FormatFileVersion(const char* format, const std::optional<TFileVersion>& version)
{
    if (!version)
        return QStringLiteral("0.0.0.0");
    return QString::asprintf(format, version->Major, version->Minor, version->Release,
                             version->Build);
}

QString GetFileVersion(const char* format)
{
    return FormatFileVersion(format, ProgramVersion());
}
