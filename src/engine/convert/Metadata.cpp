#include "convert/Metadata.h"

#include "convert/PngChunks.h"

#include <QFile>

#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>

#include <mutex>
#include <optional>

using namespace Qt::StringLiterals;

// Every use of exiv2 is here. Each call works on an image of its own, which exiv2 allows on
// several threads at once; only its XMP toolkit is shared, started once and guarded by a lock.

namespace {
// An ICC profile's header: the colour space of its pixels at 16, the signature at 36.
constexpr qsizetype ProfileHeaderSize = 128;
// The most XMP that one JPEG segment holds, after the segment's length and XMP's name.
constexpr std::size_t MaxJpegXmp = 65504;
const QByteArray PngXmpKeyword = "XML:com.adobe.xmp";

void LockXmpToolkit(void* mutex, bool lock)
{
    if (lock)
        static_cast<std::mutex*>(mutex)->lock();
    else
        static_cast<std::mutex*>(mutex)->unlock();
}

// Before the first use on any thread; exiv2's own warnings are not for our users.
void StartExiv2()
{
    static std::mutex xmpToolkit;
    static const bool started = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(LockXmpToolkit, &xmpToolkit);
        Exiv2::enableBMFF(true);
        return true;
    }();
    Q_UNUSED(started);
}

const Exiv2::byte* BytesOf(QByteArrayView bytes)
{
    return reinterpret_cast<const Exiv2::byte*>(bytes.data());
}

QByteArray ToBytes(const Exiv2::byte* data, qsizetype size)
{
    return QByteArray(reinterpret_cast<const char*>(data), size);
}

// A file's bytes, mapped where the system allows, else read.
class TFileBytes
{
public:
    explicit TFileBytes(const QString& path) : FFile(path)
    {
        if (!FFile.open(QIODevice::ReadOnly) || FFile.size() == 0)
            return;
        if (const uchar* mapped = FFile.map(0, FFile.size())) {
            FView = QByteArrayView(mapped, FFile.size());
            return;
        }
        FRead = FFile.readAll();
        FView = FRead;
    }
    QByteArrayView View() const { return FView; }

private:
    QFile FFile;
    QByteArray FRead;
    QByteArrayView FView;
};

// In place: the file is in the work folder, and one cut short is never claimed. (A QSaveFile
// would wait for the disk on every output.)
TResult<> Rewrite(const QString& path, QByteArrayView bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush())
        return Failed(file.errorString());
    return {};
}

// The EXIF of a source, ready to go into any output: the thumbnail, the blocks that other parts
// of TPhotoInfo or the output itself hold, and a TIFF page's place on its canvas (the output is
// the picture at its own size) are left out.
QByteArray EncodedExif(Exiv2::ExifData exif, Exiv2::ByteOrder order)
{
    Exiv2::ExifThumb(exif).erase();
    for (const char* held :
         {"Exif.Image.XMLPacket", "Exif.Image.InterColorProfile", "Exif.Image.IPTCNAA",
          "Exif.Image.ImageResources", "Exif.Image.XPosition", "Exif.Image.YPosition"}) {
        if (const auto found = exif.findKey(Exiv2::ExifKey(held)); found != exif.end())
            exif.erase(found);
    }
    if (exif.empty())
        return {};
    Exiv2::Blob blob;
    // Leaves out the tags that describe how a TIFF's pixels are stored.
    Exiv2::ExifParser::encode(blob, order == Exiv2::invalidByteOrder ? Exiv2::littleEndian : order,
                              exif);
    return ToBytes(blob.data(), qsizetype(blob.size()));
}

QByteArray RgbProfile(QByteArrayView profile)
{
    if (profile.size() < ProfileHeaderSize || profile.sliced(36, 4) != "acsp" ||
        profile.sliced(16, 4) != "RGB ")
        return {};
    return profile.toByteArray();
}

QByteArray ProfileOf(Exiv2::Image& image)
{
    if (!image.iccProfileDefined())
        return {};
    const Exiv2::DataBuf* profile = image.iccProfile();
    return RgbProfile(QByteArrayView(profile->pData_, profile->size_));
}

struct TPixelSize
{
    quint32 Width = 0;
    quint32 Height = 0;
};

void SetOrErase(Exiv2::ExifData& exif, const char* key, quint32 value)
{
    if (value > 0)
        exif[key] = uint32_t(value);
    else if (const auto found = exif.findKey(Exiv2::ExifKey(key)); found != exif.end())
        exif.erase(found);
}

// The source's EXIF as it must read in an output that was turned upright and resized.
Exiv2::ExifData ExifFor(const QByteArray& encoded, TPixelSize size, Exiv2::ByteOrder& order)
{
    Exiv2::ExifData exif;
    order = Exiv2::ExifParser::decode(exif, BytesOf(encoded), uint32_t(encoded.size()));
    exif["Exif.Image.Orientation"] = uint16_t(1);
    SetOrErase(exif, "Exif.Photo.PixelXDimension", size.Width);
    SetOrErase(exif, "Exif.Photo.PixelYDimension", size.Height);
    return exif;
}

void SetIfPresent(Exiv2::XmpData& xmp, const char* key, quint32 value)
{
    if (const auto found = xmp.findKey(Exiv2::XmpKey(key)); found != xmp.end() && value > 0)
        found->setValue(std::to_string(value));
}

// The source's XMP packet as it must read in the output; none when it cannot be read, since what
// it says about orientation could then not be mended.
std::optional<std::string> XmpFor(const QByteArray& packet, TPixelSize size)
{
    Exiv2::XmpData xmp;
    if (Exiv2::XmpParser::decode(xmp, packet.toStdString()) != 0)
        return std::nullopt;
    SetIfPresent(xmp, "Xmp.tiff.Orientation", 1);
    SetIfPresent(xmp, "Xmp.tiff.ImageWidth", size.Width);
    SetIfPresent(xmp, "Xmp.tiff.ImageLength", size.Height);
    SetIfPresent(xmp, "Xmp.exif.PixelXDimension", size.Width);
    SetIfPresent(xmp, "Xmp.exif.PixelYDimension", size.Height);
    std::string encoded;
    if (Exiv2::XmpParser::encode(encoded, xmp, Exiv2::XmpParser::useCompactFormat) != 0)
        return std::nullopt;
    return encoded;
}

bool IsExifText(const TPngChunkView& chunk)
{
    // ImageMagick copies each EXIF tag into a text chunk of its own ("exif:GPSLatitude").
    const QByteArrayView keyword = chunk.Keyword();
    return chunk.IsText() && (keyword.startsWith("exif:") || keyword == "Raw profile type exif" ||
                              keyword == "Raw profile type APP1");
}

bool IsXmpText(const TPngChunkView& chunk)
{
    const QByteArrayView keyword = chunk.Keyword();
    return chunk.IsText() && (keyword == PngXmpKeyword || keyword == "Raw profile type xmp");
}

// The PNG with info in it, or none when it stays as it is.
std::optional<QByteArray> PngWith(const TPngFile& png, const TPhotoInfo& info,
                                  TPhotoInformation choice)
{
    const TPixelSize size{png.Width(), png.Height()};
    QList<TPngChunk> added;
    if (!info.Exif.isEmpty()) {
        Exiv2::ByteOrder order = Exiv2::littleEndian;
        const Exiv2::ExifData exif = ExifFor(info.Exif, size, order);
        Exiv2::Blob blob;
        Exiv2::ExifParser::encode(blob, order, exif);
        added.append({"eXIf", ToBytes(blob.data(), qsizetype(blob.size()))});
    }
    const std::optional<std::string> xmp =
        info.Xmp.isEmpty() ? std::nullopt : XmpFor(info.Xmp, size);
    if (xmp) {
        // Keyword, then uncompressed, no language, no translated keyword.
        added.append(
            {"iTXt", PngXmpKeyword + QByteArray(5, '\0') + QByteArray::fromStdString(*xmp)});
    }
    const auto isLeftOut = [&](const TPngChunkView& chunk) {
        if (choice == TPhotoInformation::Remove)
            return chunk.Type == "eXIf" || chunk.IsText();
        return (!info.Exif.isEmpty() && (chunk.Type == "eXIf" || IsExifText(chunk))) ||
               (xmp && IsXmpText(chunk));
    };
    if (added.isEmpty() && std::ranges::none_of(png.Chunks(), isLeftOut))
        return std::nullopt;
    return png.Rewritten(isLeftOut, added);
}

// Through exiv2's own writer: JPEG, WEBP and TIFF. None when the file stays as it is. A WEBP gets
// no XMP: ImageMagick 6 takes an XMP chunk there for a damaged profile, and a warning fails the
// conversion of such a file.
std::optional<QByteArray> ImageWith(QByteArray& bytes, const TPhotoInfo& info)
{
    const auto type = Exiv2::ImageFactory::getType(BytesOf(bytes), long(bytes.size()));
    if (type != Exiv2::ImageType::jpeg && type != Exiv2::ImageType::webp &&
        type != Exiv2::ImageType::tiff)
        return std::nullopt;
    const auto image =
        Exiv2::ImageFactory::open(reinterpret_cast<Exiv2::byte*>(bytes.data()), long(bytes.size()));
    image->readMetadata();
    const TPixelSize size{quint32(std::max(image->pixelWidth(), 0)),
                          quint32(std::max(image->pixelHeight(), 0))};
    bool isChanged = false;
    if (!info.Exif.isEmpty()) {
        Exiv2::ByteOrder order = Exiv2::littleEndian;
        // Added to what the file holds: in a TIFF that is how its pixels are stored.
        for (const Exiv2::Exifdatum& datum : ExifFor(info.Exif, size, order))
            image->exifData()[datum.key()].setValue(&datum.value());
        isChanged = true;
    }
    if (const std::optional<std::string> xmp =
            info.Xmp.isEmpty() ? std::nullopt : XmpFor(info.Xmp, size);
        xmp && type != Exiv2::ImageType::webp &&
        (type != Exiv2::ImageType::jpeg || xmp->size() <= MaxJpegXmp)) {
        image->setXmpPacket(*xmp);
        image->writeXmpFromPacket(true);
        isChanged = true;
    }
    if (!isChanged)
        return std::nullopt;
    image->writeMetadata();
    Exiv2::BasicIo& written = image->io();
    written.open();
    const QByteArray result = ToBytes(written.mmap(), qsizetype(written.size()));
    written.munmap();
    written.close();
    return result;
}
} // namespace

TPhotoInfo ReadPhotoInfo(const QString& file)
{
    StartExiv2();
    const TFileBytes bytes(file);
    if (bytes.View().isEmpty())
        return {};
    try {
        const auto image =
            Exiv2::ImageFactory::open(BytesOf(bytes.View()), long(bytes.View().size()));
        image->readMetadata();
        TPhotoInfo info;
        info.Exif = EncodedExif(image->exifData(), image->byteOrder());
        info.Xmp = QByteArray::fromStdString(image->xmpPacket());
        if (info.Xmp.isEmpty() && !image->xmpData().empty()) {
            std::string packet;
            if (Exiv2::XmpParser::encode(packet, image->xmpData()) == 0)
                info.Xmp = QByteArray::fromStdString(packet);
        }
        info.ColourProfile = ProfileOf(*image);
        return info;
    } catch (const std::exception&) {
        return {};
    }
}

int ExifOrientation(const QByteArray& exif)
{
    if (exif.isEmpty())
        return 0;
    StartExiv2();
    try {
        Exiv2::ExifData data;
        Exiv2::ExifParser::decode(data, BytesOf(exif), uint32_t(exif.size()));
        const auto found = data.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
        if (found == data.end() || found->count() == 0)
            return 0;
        const long orientation = found->toLong();
        return orientation >= 1 && orientation <= 8 ? int(orientation) : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

QByteArray ExifOfExtract(const QByteArray& extract)
{
    StartExiv2();
    const QByteArray tiff =
        extract.startsWith(QByteArrayView("Exif\0\0", 6)) ? extract.sliced(6) : extract;
    if (!tiff.startsWith("II*") && !tiff.startsWith(QByteArrayView("MM\0*", 4)))
        return {};
    try {
        Exiv2::ExifData exif;
        const Exiv2::ByteOrder order =
            Exiv2::ExifParser::decode(exif, BytesOf(tiff), uint32_t(tiff.size()));
        return EncodedExif(exif, order);
    } catch (const std::exception&) {
        return {};
    }
}

TResult<> WritePhotoInfo(const QString& file, const TPhotoInfo& info, TPhotoInformation choice)
{
    const bool isKept = choice == TPhotoInformation::Keep;
    if (isKept && info.Exif.isEmpty() && info.Xmp.isEmpty())
        return {};
    const TPhotoInfo written = isKept ? info : TPhotoInfo();
    StartExiv2();
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return Failed(input.errorString());
    // Read, not mapped: exiv2 mends a TIFF in place.
    QByteArray bytes = input.readAll();
    input.close();
    std::optional<QByteArray> result;
    try {
        if (HasPngSignature(bytes)) {
            const std::optional<TPngFile> png = TPngFile::Parse(bytes);
            if (!png)
                return Failed(u"the PNG file is damaged"_s);
            result = PngWith(*png, written, choice);
        } else if (isKept) {
            result = ImageWith(bytes, written);
        }
    } catch (const std::exception& error) {
        return Failed(QString::fromLocal8Bit(error.what()));
    }
    return result ? Rewrite(file, *result) : TResult<>();
}
