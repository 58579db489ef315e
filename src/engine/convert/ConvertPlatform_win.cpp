#include "convert/ConvertPlatform.h"

#include <QDir>

#include <windows.h>

#include <shlobj.h>

using namespace Qt::StringLiterals;

namespace {
QString SpecialFolder(int id)
{
    wchar_t path[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return QDir::fromNativeSeparators(QString::fromWCharArray(path));
}
} // namespace

TToolFileNames VendorFileNames()
{
    return {{u"magick.exe"_s}, {u"cjpeg.exe"_s}, {u"gswin32c.exe"_s, u"gswin64c.exe"_s}};
}

// The programs are shipped in the tool folder; a same-named program elsewhere is not ours.
TToolFileNames SystemFileNames()
{
    return {};
}

TSystemPrograms FindSystemPrograms()
{
    return {};
}

QString DefaultScratchFolder()
{
    return SpecialFolder(CSIDL_INTERNET_CACHE);
}

QString DefaultFontFolder()
{
    return SpecialFolder(CSIDL_FONTS);
}

QHash<QString, QString> PlatformProgramVariables()
{
    return {};
}
