#pragma once

#include <QStringList>
#include <QTemporaryDir>

// Points the per-user config and cache folders at a fresh temporary folder for as long as it
// lives, so that tests never read or write the user's own settings.
class TTestHome
{
public:
    TTestHome();

    QString Root() const { return FDir.path(); }
    QString ConfigHome() const { return FDir.path() + QStringLiteral("/config"); }
    QString CacheHome() const { return FDir.path() + QStringLiteral("/cache"); }
    // Where the converter keeps its intermediate files under this home.
    QString ScratchFolder() const { return CacheHome() + QStringLiteral("/Morvane"); }
    // What a conversion left in the scratch folder: empty once every conversion cleaned up.
    QStringList ScratchEntries() const;

private:
    QTemporaryDir FDir;
};
