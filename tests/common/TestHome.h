#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

// Points the per-user config and cache folders at a fresh temporary folder for as long as it
// lives, so that tests never read or write the user's own settings.
class TTestHome
{
public:
    TTestHome()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(ConfigHome()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(CacheHome()));
    }
    QString Root() const { return FDir.path(); }
    QString ConfigHome() const { return FDir.path() + QStringLiteral("/config"); }
    QString CacheHome() const { return FDir.path() + QStringLiteral("/cache"); }

private:
    QTemporaryDir FDir;
};
