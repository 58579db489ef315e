#include "convert/ConvertTools.h"

#include "convert/ConvertPlatform.h"
#include "convert/RunProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {
QString FindInFolder(const QDir& folder, const QStringList& fileNames)
{
    for (const QString& name : fileNames) {
        const QFileInfo program(folder.filePath(name));
        if (program.isFile() && program.isExecutable())
            return program.absoluteFilePath();
    }
    return {};
}

QString OrElse(const QString& preferred, const QString& fallback)
{
    return preferred.isEmpty() ? fallback : preferred;
}
} // namespace

TConvertTools TConvertTools::InFolder(const QString& toolFolder)
{
    const QDir folder(toolFolder);
    const TToolFileNames names = VendorFileNames();
    TConvertTools tools;
    tools.ImageMagick = FindInFolder(folder, names.ImageMagick);
    tools.JpegEncoder = FindInFolder(folder, names.JpegEncoder);
    tools.Ghostscript = FindInFolder(folder, names.Ghostscript);
    tools.ScratchFolder = DefaultScratchFolder();
    tools.FontFolder = DefaultFontFolder();
    return tools;
}

QString TConvertTools::InstalledToolFolder()
{
    return QCoreApplication::applicationDirPath() + u"/vendor"_s;
}

TConvertTools TConvertTools::Installed()
{
    TConvertTools tools = InFolder(InstalledToolFolder());
    if (!tools.ImageMagick.isEmpty() && !tools.JpegEncoder.isEmpty() &&
        !tools.Ghostscript.isEmpty())
        return tools;
    const TSystemPrograms system = FindSystemPrograms();
    tools.ImageMagick = OrElse(tools.ImageMagick, system.ImageMagick);
    tools.JpegEncoder = OrElse(tools.JpegEncoder, system.JpegEncoder);
    tools.Ghostscript = OrElse(tools.Ghostscript, system.Ghostscript);
    return tools;
}

bool IsImageMagick(const QString& program)
{
    return RunProcess(program, {u"-version"_s}).contains(u"ImageMagick"_s);
}
