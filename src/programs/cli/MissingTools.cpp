#include "cli/MissingTools.h"

#include "convert/ConvertArguments.h"
#include "convert/ConvertPlatform.h"
#include "convert/ConvertTools.h"
#include "input/FileType.h"

#include <QDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
QString OneOf(const QStringList& names)
{
    return names.join(u" or "_s);
}

QString NotFound(const QString& tool, const QStringList& vendorNames,
                 const QStringList& systemNames)
{
    QString message = tool + u" not found: looked for "_s + OneOf(vendorNames) + u" in "_s +
                      QDir::toNativeSeparators(TConvertTools::InstalledToolFolder());
    if (!systemNames.isEmpty())
        message += u" and for "_s + OneOf(systemNames) + u" on the PATH"_s;
    return message;
}

bool NeedsGhostscript(const QList<TFileInfo>& inputs)
{
    return std::any_of(inputs.begin(), inputs.end(), [](const TFileInfo& input) {
        return IsRenderedByGhostscript(input.Format);
    });
}
} // namespace

QStringList MissingToolMessages(const TConvertTools& tools, const QString& format,
                                const QList<TFileInfo>& inputs)
{
    if (inputs.isEmpty())
        return {};
    const TToolFileNames vendor = VendorFileNames();
    const TToolFileNames system = SystemFileNames();
    QStringList messages;
    if (tools.ImageMagick.isEmpty())
        messages << NotFound(u"ImageMagick"_s, vendor.ImageMagick, system.ImageMagick);
    if (IsJpegTarget(format) && tools.JpegEncoder.isEmpty())
        messages << NotFound(u"cjpeg"_s, vendor.JpegEncoder, system.JpegEncoder);
    if (NeedsGhostscript(inputs) && tools.Ghostscript.isEmpty())
        messages << NotFound(u"Ghostscript"_s, vendor.Ghostscript, system.Ghostscript);
    return messages;
}
