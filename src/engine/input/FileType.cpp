#include "input/FileType.h"

#include "base/AsciiCase.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

using namespace Qt::StringLiterals;
using namespace std::string_view_literals;

namespace {

struct TSignature
{
    std::string_view TypeName;
    std::size_t Offset;
    std::string_view Bytes;
    // Header fields after the bytes that may hold one of several values; none when null.
    bool (*HasValidFields)(const TProbeBuffer& probe) = nullptr;
};

// A PCX header: after the maker byte 0x0A come the version, the encoding (1, run-length) and
// the bits per pixel. A text file may begin with 0x0A (a blank line) but not with these.
bool HasPcxFields(const TProbeBuffer& probe)
{
    constexpr std::array<unsigned char, 5> Versions{0, 2, 3, 4, 5};
    constexpr std::array<unsigned char, 4> BitsPerPixel{1, 2, 4, 8};
    return std::ranges::find(Versions, probe[1]) != Versions.end() && probe[2] == 1 &&
           std::ranges::find(BitsPerPixel, probe[3]) != BitsPerPixel.end();
}

// Tested in order; the first match decides, so overlapping entries (RAW before IIQ) keep their
// places.
constexpr std::array Signatures = {
    TSignature{"JPG", 0, "\xFF\xD8\xFF"sv},
    TSignature{"BMP", 0, "BM"sv},
    TSignature{"GIF", 0, "GIF8"sv},
    TSignature{"WEBP", 8, "WEBP"sv},
    TSignature{"TIFF", 0, "I I"sv},
    TSignature{"TIFF", 0, "\x49\x49\x2A\x00"sv},
    TSignature{"TIFF", 0, "\x4D\x4D\x00\x2A"sv},
    TSignature{"TIFF", 0, "\x4D\x4D\x00\x2B"sv},
    TSignature{"PSD", 0, "8BPS"sv},
    TSignature{"RAW", 0, "\x49\x49\x55\x00"sv},
    TSignature{"PDF", 0, "%PDF"sv},
    TSignature{"PNG", 0, "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A"sv},
    TSignature{"HEIC", 4, "ftypheic"sv},
    TSignature{"HDR", 0, "#?RA"sv},
    TSignature{"UltraHDR", 0, "UHDR"sv},
    TSignature{"EPS", 0, "%!PS"sv},
    TSignature{"ICO", 0, "\x00\x00\x01\x00"sv},
    TSignature{"WMF", 0, "\xD7\xCD\xC6\x9A"sv},
    TSignature{"RAS", 0, "\x59\xA6\x6A\x95"sv},
    TSignature{"JXR", 0, "\x49\x49\xBC"sv},
    TSignature{"JP2", 0, "\x6A\x50\x20\x20"sv},
    TSignature{"JPEG2000", 0, "\x00\x00\x00\x0C"sv},
    TSignature{"FLIF", 0, "FLIF"sv},
    TSignature{"SPRITE", 0, "Sprite"sv},
    TSignature{"VICAR", 0, "vrwal"sv},
    TSignature{"ORF", 0, "ORCA"sv},
    TSignature{"FTV", 0, "FXTV"sv},
    TSignature{"AAI", 0, "AAI"sv},
    TSignature{"ART", 0, "ART"sv},
    TSignature{"CIN", 0, "Cine"sv},
    TSignature{"DCX", 0, "DCX"sv},
    TSignature{"DDS", 0, "DDS"sv},
    TSignature{"IIQ", 0, "IIU"sv},
    TSignature{"JBIG", 0, "JBIG"sv},
    TSignature{"JNG", 0, "JNG"sv},
    TSignature{"PCX", 0, "\x0A"sv, HasPcxFields},
    TSignature{"PICT", 0, "PIC"sv},
    TSignature{"VIFF", 0, "VIFF"sv},
    TSignature{"XCF", 0, "XFTV"sv},
    TSignature{"YUV", 0, "YUVY"sv},
    TSignature{"AVIF", 0,
               "\x00\x00\x00\x1C"
               "ftypavif"sv},
};

static_assert(std::ranges::all_of(Signatures,
                                  [](const TSignature& signature) {
                                      return signature.Offset + signature.Bytes.size() <= ProbeSize;
                                  }),
              "every signature must lie inside the probe buffer");

// Types that the extension alone may give; compared case-sensitively after upper-casing.
constexpr std::array ExtensionTypes = {"AI"sv,   "JPG"sv,  "PNG"sv,  "GIF"sv, "BMP"sv,
                                       "RAW"sv,  "PSD"sv,  "PDF"sv,  "SVG"sv, "TGA"sv,
                                       "JPEG"sv, "WEBP"sv, "HEIC"sv, "AVIF"sv};

bool Matches(const TSignature& signature, const TProbeBuffer& probe)
{
    const bool hasBytes = std::ranges::equal(
        signature.Bytes, std::span(probe).subspan(signature.Offset, signature.Bytes.size()),
        [](char expected, unsigned char actual) {
            return static_cast<unsigned char>(expected) == actual;
        });
    return hasBytes && (!signature.HasValidFields || signature.HasValidFields(probe));
}

QString SignatureType(const TProbeBuffer& probe)
{
    const auto match = std::ranges::find_if(
        Signatures, [&probe](const TSignature& signature) { return Matches(signature, probe); });
    if (match == Signatures.end())
        return QString();
    return QLatin1StringView(match->TypeName.data(), match->TypeName.size());
}

QString ExtensionType(const QString& path)
{
    const QString name = FileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return QString();
    const QString extension = AsciiUpper(name.mid(dot + 1));
    const bool isListed = std::ranges::any_of(ExtensionTypes, [&extension](std::string_view type) {
        return extension == QLatin1StringView(type.data(), type.size());
    });
    return isListed ? extension : QString();
}

} // namespace

QString DetectFileType(const QString& path, TPathKind kind)
{
    const std::optional<TProbeBuffer> probe = ReadProbe(path, kind);
    const QString bySignature = probe ? SignatureType(*probe) : QString();
    const QString byExtension = ExtensionType(path);

    // Illustrator files often begin as PDF; the extension tells them apart.
    if (bySignature == u"PDF"_s && byExtension == u"AI"_s)
        return byExtension;
    return bySignature.isEmpty() ? byExtension : bySignature;
}

QString FileNamePart(const QString& path)
{
    qsizetype delimiter = path.lastIndexOf(u'/');
    // Windows paths also end a folder at "\" and at a drive's colon; elsewhere those are
    // ordinary characters of a name ("shot 10:30.jpg").
    if (QDir::separator() == u'\\')
        delimiter = std::max({delimiter, path.lastIndexOf(u'\\'), path.lastIndexOf(u':')});
    return path.mid(delimiter + 1);
}

TSourceKind SourceKindOf(const QString& typeName)
{
    if (typeName == u"PDF")
        return TSourceKind::Document;
    if (typeName == u"AI")
        return TSourceKind::Drawing;
    if (typeName == u"EPS")
        return TSourceKind::PostScript;
    return TSourceKind::Image;
}
