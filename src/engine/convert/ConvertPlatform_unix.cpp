#include "convert/ConvertPlatform.h"

#include "convert/ConvertTools.h"

#include <QStandardPaths>

using namespace Qt::StringLiterals;

TToolFileNames VendorFileNames()
{
    return {{u"magick"_s}, {u"cjpeg"_s}, {u"gs"_s}};
}

// ImageMagick 6 has no "magick"; its "convert" does the same with the same arguments.
TToolFileNames SystemFileNames()
{
    return {{u"magick"_s, u"convert"_s}, {u"cjpeg"_s}, {u"gs"_s}};
}

namespace {
QString FindImageMagickOnPath()
{
    const QString magick = QStandardPaths::findExecutable(u"magick"_s);
    if (!magick.isEmpty())
        return magick;
    const QString convert = QStandardPaths::findExecutable(u"convert"_s);
    return IsImageMagick(convert) ? convert : QString();
}
} // namespace

TSystemPrograms FindSystemPrograms()
{
    // Looked up once: asking "convert" for its version starts a process.
    static const TSystemPrograms found{FindImageMagickOnPath(),
                                       QStandardPaths::findExecutable(u"cjpeg"_s),
                                       QStandardPaths::findExecutable(u"gs"_s)};
    return found;
}

QString DefaultScratchFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/Morvane"_s;
}

QString DefaultFontFolder()
{
    return u"/usr/share/fonts"_s;
}

// Where the system gives huge pages only to programs that ask (transparent huge pages "madvise"),
// glibc asks for them for the programs' large buffers: ImageMagick, starting afresh for each
// picture, then takes a fraction of the page faults and about half the processor time. The
// caller's own settings come after ours and so win.
QHash<QString, QString> PlatformProgramVariables()
{
    QString tunables = u"glibc.malloc.hugetlb=1"_s;
    if (const QString own = qEnvironmentVariable("GLIBC_TUNABLES"); !own.isEmpty())
        tunables += u':' + own;
    return {{u"GLIBC_TUNABLES"_s, tunables}};
}
