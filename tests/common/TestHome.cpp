#include "TestHome.h"

#include <QDir>
#include <QFile>

TTestHome::TTestHome()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(ConfigHome()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(CacheHome()));
}

QStringList TTestHome::ScratchEntries() const
{
    return QDir(ScratchFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}
