#include "convert/ConvertArguments.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {
// A relative path could read as an option ("-x", "+x"), a list file ("@x"), a device ("%pipe%x",
// "|x") or a format prefix ("png:x"); from the current folder it names the same file.
QString PathArgument(const QString& path)
{
    return QDir::isAbsolutePath(path) ? path : u"./"_s + path;
}

// ImageMagick and Ghostscript expand "%" sequences in file names ("%d" becomes a frame or page
// number); doubled, it stands for itself.
QString EscapedPathArgument(const QString& path)
{
    return PathArgument(path).replace(u'%', u"%%"_s);
}

QStringList PreInputOptions(const TConvertOptions& options, const QString& sourceType)
{
    if (sourceType != u"SVG")
        return {};
    QStringList arguments{u"-background"_s, u"none"_s};
    if (options.ResizeWidth == TResizeWidth::On)
        arguments << u"-density"_s << QString::number(options.Width);
    return arguments;
}

// Kept, ImageMagick carries what it reads and the output is mended afterwards (Metadata);
// removed, it keeps nothing but the colour profile, which the pixels need.
QStringList PhotoInfoOptions(const TConvertOptions& options)
{
    if (options.PhotoInformation == TPhotoInformation::Remove)
        return {u"+profile"_s, u"!icc,*"_s, u"+set"_s, u"comment"_s};
    return {};
}

// ImageMagick's names of the EXIF orientations 1 to 8.
QString OrientationName(int orientation)
{
    static const QStringList Names{u"TopLeft"_s, u"TopRight"_s, u"BottomRight"_s, u"BottomLeft"_s,
                                   u"LeftTop"_s, u"RightTop"_s, u"RightBottom"_s, u"LeftBottom"_s};
    return Names.value(orientation - 1);
}

QStringList PostInputOptions(const TConvertOptions& options, const TImageInput& input)
{
    QStringList arguments;
    if (input.Orientation >= 2 && input.Orientation <= 8)
        arguments << u"-orient"_s << OrientationName(input.Orientation);
    arguments << u"-auto-orient"_s;
    const int scalePercent = input.ScalePercent;
    if (options.ResizeWidth == TResizeWidth::On)
        arguments << u"-resize"_s << QString::number(options.Width) + u'x';
    else if (scalePercent > 0)
        arguments << u"-resize"_s << QString::number(scalePercent) + u'%';
    return arguments;
}

QStringList FormatOptions(const TConvertOptions& options, const QString& sourceType)
{
    const QString quality = QString::number(options.Quality);
    if (options.Format.compare(u"WEBP", Qt::CaseInsensitive) == 0) {
        if (options.Quality == 100)
            return {u"-coalesce"_s, u"-define"_s, u"webp:lossless=true"_s};
        return {u"-coalesce"_s, u"-quality"_s, quality};
    }
    if (sourceType == u"GIF" || sourceType == u"JPG" || sourceType == u"RAW")
        return {u"-quality"_s, quality};
    return {};
}

// Ghostscript drawing at 96 dpi, with alpha, into one PNG.
QStringList PngAlphaArguments(const QStringList& pageOptions, const QString& png,
                              const QString& source)
{
    return QStringList{u"-dNOPAUSE"_s, u"-dBATCH"_s, u"-dNOPROMPT"_s, u"-dQUIET"_s} + pageOptions +
           QStringList{u"-sDEVICE=pngalpha"_s, u"-r96"_s,
                       u"-sOutputFile="_s + EscapedPathArgument(png), PathArgument(source)};
}

// Only these targets keep every frame of an animation; the test is case-sensitive.
QString FrameSuffix(const QString& format)
{
    return format == u"GIF" || format == u"WEBP" ? QString() : u"[0]"_s;
}

// A page offset or virtual canvas (PNG oFFs, vpAg or caNv; TIFF position) would survive into the
// output, or become its size once -coalesce paints the picture onto it. Only the frames of an
// animation keep theirs: they place each frame on the animation's canvas.
bool KeepsPageGeometry(const QString& format, const QString& sourceType)
{
    const bool isAnimation = sourceType == u"GIF" || sourceType == u"WEBP";
    return isAnimation && FrameSuffix(format).isEmpty();
}
} // namespace

bool IsJpegTarget(const QString& format)
{
    return format.compare(u"JPG", Qt::CaseInsensitive) == 0;
}

QStringList ImageMagickArguments(const TConvertOptions& options, const TImageInput& input,
                                 const QString& output)
{
    QStringList arguments = PreInputOptions(options, input.SourceType);
    arguments << EscapedPathArgument(input.File) + FrameSuffix(options.Format);
    if (!KeepsPageGeometry(options.Format, input.SourceType))
        arguments << u"+repage"_s;
    arguments << PhotoInfoOptions(options);
    if (!input.ColourProfile.isEmpty())
        arguments << u"-profile"_s << EscapedPathArgument(input.ColourProfile);
    arguments << PostInputOptions(options, input);
    arguments << FormatOptions(options, input.SourceType);
    arguments << EscapedPathArgument(output);
    return arguments;
}

QStringList BitmapArguments(const TConvertOptions& options, const TImageInput& input,
                            const QString& bitmap)
{
    QStringList arguments = PreInputOptions(options, input.SourceType);
    arguments << EscapedPathArgument(input.File) + u"[0]"_s;
    arguments << PostInputOptions(options, input);
    // A JPEG has no transparency: what was transparent would come out black.
    arguments << u"-background"_s << u"white"_s << u"-alpha"_s << u"remove"_s;
    arguments << u"-colorspace"_s << u"sRGB"_s << u"-compress"_s << u"none"_s;
    // Without it an image of few colours becomes a 1- or 4-bit bitmap, which the JPEG encoder
    // rejects.
    arguments << u"-type"_s << u"TrueColor"_s;
    arguments << u"BMP3:"_s + EscapedPathArgument(bitmap);
    return arguments;
}

QStringList JpegEncoderArguments(int quality, const QString& jpeg, const QString& bitmap,
                                 const QString& colourProfile)
{
    QStringList arguments{u"-quality"_s, QString::number(quality)};
    if (!colourProfile.isEmpty())
        arguments << u"-icc"_s << PathArgument(colourProfile);
    arguments << u"-outfile"_s << PathArgument(jpeg) << PathArgument(bitmap);
    return arguments;
}

QStringList ExifExtractArguments(const QString& source, const QString& exif)
{
    return {u"-ping"_s, EscapedPathArgument(source) + u"[0]"_s,
            u"EXIF:"_s + EscapedPathArgument(exif)};
}

QString PdfPagePattern(const QString& prefix)
{
    return EscapedPathArgument(prefix) + u"-%03d.bmp"_s;
}

QStringList PdfArguments(const QString& fontFolder, const QString& pagePattern,
                         const QString& source)
{
    return {u"-dNOPAUSE"_s,
            u"-dBATCH"_s,
            u"-dNOPROMPT"_s,
            u"-dQUIET"_s,
            u"-sFONTPATH="_s + fontFolder,
            u"-dTextAlphaBits=4"_s,
            u"-dGraphicsAlphaBits=4"_s,
            u"-sDEVICE=bmp16m"_s,
            u"-r384"_s,
            u"-sOutputFile="_s + pagePattern,
            PathArgument(source)};
}

QStringList AiArguments(const QString& png, const QString& source)
{
    return PngAlphaArguments({}, png, source);
}

QStringList EpsArguments(const QString& png, const QString& source)
{
    return PngAlphaArguments({u"-dEPSCrop"_s}, png, source);
}
