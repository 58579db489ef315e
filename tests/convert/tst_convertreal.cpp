#include "convert/Converter.h"
#include "convert/RunProcess.h"
#include "input/FileType.h"
#include "output/OutputName.h"

#include "PicFixture.h"
#include "TestFiles.h"
#include "TestHome.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <exiv2/exiv2.hpp>

using namespace Qt::StringLiterals;

namespace {
// An EXIF block saying "rotate 90 degrees clockwise to view" (orientation 6), right after the
// JPEG's start marker.
QByteArray WithExifOrientation(const QByteArray& jpeg)
{
    const QByteArray exif = QByteArray("Exif\0\0MM\0*\0\0\0\x08\0\x01", 16) +
                            QByteArray("\x01\x12\0\x03\0\0\0\x01\0\x06\0\0", 12) +
                            QByteArray(4, '\0');
    const qsizetype length = exif.size() + 2;
    const QByteArray segment = QByteArray("\xFF\xE1") + char(length >> 8) + char(length & 0xFF);
    return jpeg.left(2) + segment + exif + jpeg.mid(2);
}

QByteArray BigEndian32(quint32 value)
{
    QByteArray bytes;
    QDataStream(&bytes, QIODevice::WriteOnly) << value;
    return bytes;
}

quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

// The PNG with one more chunk right after its header chunk, where oFFs and vpAg belong.
QByteArray WithPngChunk(const QByteArray& png, const QByteArray& type, const QByteArray& data)
{
    constexpr qsizetype AfterHeaderChunk = 8 + 12 + 13;
    const QByteArray chunk =
        BigEndian32(quint32(data.size())) + type + data + BigEndian32(Crc32(type + data));
    return png.left(AfterHeaderChunk) + chunk + png.mid(AfterHeaderChunk);
}

// A PCX file of `width` x 4 pixels in `planes` planes of `bitsPerPixel` each, with a 16-colour
// palette in its header; ImageMagick writes only 1-bit, 8-bit and 3 x 8-bit files.
QByteArray PcxFile(quint8 bitsPerPixel, quint8 planes, quint16 width)
{
    constexpr quint16 Height = 4;
    const auto bytesPerLine = quint16((width * bitsPerPixel + 15) / 16 * 2);
    QByteArray pcx;
    QDataStream stream(&pcx, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream << quint8(0x0A) << quint8(5) << quint8(1) << bitsPerPixel << quint16(0) << quint16(0)
           << quint16(width - 1) << quint16(Height - 1) << quint16(72) << quint16(72);
    for (int colour = 0; colour < 16; ++colour)
        stream << quint8(colour * 16) << quint8(255 - colour * 16) << quint8(colour * 8);
    stream << quint8(0) << planes << bytesPerLine << quint16(1);
    pcx += QByteArray(128 - pcx.size(), '\0');
    for (int row = 0; row < Height; ++row) {
        for (int column = 0; column < planes * bytesPerLine; ++column) {
            const auto byte = quint8(0x1B * (row + 1) + column * 0x11);
            // Run-length coding: a byte of 0xC0 or more would read as a count.
            if (byte >= 0xC0)
                pcx += char(0xC1);
            pcx += char(byte);
        }
    }
    return pcx;
}

// An EPS file drawing `body` inside the box "llx lly urx ury", given as both bounding boxes
// (ImageMagick 6.9 reads only the precise one).
QByteArray EpsFile(const QByteArray& box, const QByteArray& body)
{
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: " + box + "\n%%HiResBoundingBox: " + box +
           "\n%%EndComments\n" + body + "\n%%EOF\n";
}

// A one-page PDF of one inch by half an inch with a red square, whose content stream lacks its
// checksum and whose cross-reference table is not where the file says: damage that Ghostscript
// repairs, saying so, while it draws the page whole.
QByteArray RepairablePdf()
{
    // qCompress puts the size before a zlib stream, which ends with the checksum.
    const QByteArray compressed = qCompress(QByteArray("1 0 0 rg 0 0 36 36 re f"));
    const QByteArray content = compressed.mid(4, compressed.size() - 8);
    const QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 72 36] /Contents 4 0 R >>",
        "<< /Length " + QByteArray::number(content.size()) + " /Filter /FlateDecode >>\nstream\n" +
            content + "\nendstream"};
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray table = "xref\n0 5\n0000000000 65535 f \n";
    for (qsizetype index = 0; index < objects.size(); ++index) {
        table += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(index + 1) + " 0 obj\n" + objects[index] + "\nendobj\n";
    }
    const qsizetype wrongTableOffset = pdf.size() - 9;
    return pdf + table + "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" +
           QByteArray::number(wrongTableOffset) + "\n%%EOF\n";
}

// A wide-gamut profile, so that a lost one shows.
const QString WideGamutProfile = u"/usr/share/color/icc/ghostscript/a98.icc"_s;
const QString Camera = u"Morvcam"_s;
const QString Comment = u"secret note"_s;
const QString Title = u"Trip to the bay"_s;

// EXIF (date taken, camera, lens, place, turned by 90 degrees), and unless only EXIF is wanted,
// XMP and a comment, written by exiv2 itself.
bool AddPhotoInfo(const QString& path, bool onlyExif = false)
{
    try {
        const auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        Exiv2::ExifData& exif = image->exifData();
        exif["Exif.Image.Make"] = Camera.toStdString();
        exif["Exif.Image.Model"] = std::string("M-1");
        exif["Exif.Image.Orientation"] = uint16_t(6);
        exif["Exif.Photo.DateTimeOriginal"] = std::string("2021:07:04 10:20:30");
        exif["Exif.Photo.LensModel"] = std::string("Morvlens 50");
        exif["Exif.Photo.PixelXDimension"] = uint32_t(40);
        exif["Exif.Photo.PixelYDimension"] = uint32_t(20);
        exif["Exif.GPSInfo.GPSLatitudeRef"] = std::string("N");
        Exiv2::URationalValue latitude;
        latitude.read("48/1 51/1 30/1");
        exif["Exif.GPSInfo.GPSLatitude"].setValue(&latitude);
        if (!onlyExif) {
            Exiv2::XmpData& xmp = image->xmpData();
            xmp["Xmp.dc.title"] = Title.toStdString();
            xmp["Xmp.tiff.Orientation"] = std::string("6");
            xmp["Xmp.exif.PixelXDimension"] = std::string("40");
            image->setComment(Comment.toStdString());
        }
        image->writeMetadata();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// What exiv2 reads of a file's EXIF and XMP, key by key; empty where it reads nothing.
struct TReadBack
{
    QMap<QString, QString> Exif;
    QMap<QString, QString> Xmp;
};

TReadBack ReadBack(const QString& path)
{
    TReadBack read;
    try {
        const auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        for (const Exiv2::Exifdatum& datum : image->exifData())
            read.Exif.insert(QString::fromStdString(datum.key()),
                             QString::fromStdString(datum.value().toString()));
        for (const Exiv2::Xmpdatum& datum : image->xmpData())
            read.Xmp.insert(QString::fromStdString(datum.key()),
                            QString::fromStdString(datum.value().toString()));
    } catch (const std::exception&) {
    }
    return read;
}

TConvertOptions Options(const QString& format, int quality = 75)
{
    TConvertOptions options;
    options.Format = format;
    options.Quality = quality;
    return options;
}
} // namespace

// Conversions with the real ImageMagick, cjpeg and Ghostscript, on tiny fixtures made here.
class TConvertRealTest : public QObject, private TPicFixture
{
    Q_OBJECT

private:
    // Before the tools: they take their scratch folder from it.
    TTestHome FHome;
    TConvertTools FTools;
    QTemporaryDir FFixtures;

    QString Fixture(const QString& name) const { return FFixtures.filePath(name); }

    bool MakeImage(const QString& name, const QStringList& arguments) const
    {
        return RunProcess(FTools.ImageMagick, arguments + QStringList{Fixture(name)}).isEmpty() &&
               QFile::exists(Fixture(name));
    }
    bool MakePdf(const QString& name, const QByteArray& postScript) const
    {
        const QString source = Fixture(name + u".ps"_s);
        return WriteFile(source, postScript) &&
               RunProcess(FTools.Ghostscript,
                          {u"-q"_s, u"-dNOPAUSE"_s, u"-dBATCH"_s, u"-dSAFER"_s,
                           u"-sDEVICE=pdfwrite"_s, u"-sOutputFile="_s + Fixture(name), source})
                   .isEmpty();
    }
    QString CopyFixture(const QString& fixture, const QString& name) const
    {
        QFile::copy(Fixture(fixture), Pic(name));
        return Pic(name);
    }
    // One line per frame in `format`: by default its width and height, as "w h".
    QStringList Frames(const QString& path, const QString& format = u"%w %h"_s) const
    {
        const QString plain = Pic(u"frames-check."_s + QFileInfo(path).suffix());
        QFile::remove(plain);
        QFile::copy(path, plain);
        const QString printed =
            RunProcess(FTools.ImageMagick, {plain, u"-format"_s, format + u'\n', u"info:"_s});
        QFile::remove(plain);
        return printed.split(u'\n', Qt::SkipEmptyParts);
    }
    // Every frame as it is shown, side by side in one PNG.
    QString ShownFrames(const QString& path) const
    {
        const QString strip = Pic(QFileInfo(path).fileName() + u"-shown.png"_s);
        RunProcess(FTools.ImageMagick, {path, u"-coalesce"_s, u"+append"_s, strip});
        return strip;
    }
    // Pixels that differ between two images.
    QString DifferingPixels(const QString& first, const QString& second) const
    {
        return RunProcess(FTools.ImageMagick, {first, second, u"-metric"_s, u"AE"_s, u"-compare"_s,
                                               u"-format"_s, u"%[distortion]"_s, u"info:"_s});
    }
    TResult<> Convert(const QString& source, const QString& type,
                      const TConvertOptions& options) const
    {
        return TConverter(FTools, options).ConvertFile({source, {}, type});
    }
    // The colour profile as ImageMagick reads it from the first picture; empty for none.
    QByteArray ProfileOf(const QString& path) const
    {
        const QString profile = Pic(u"profile-check.icc"_s);
        QFile::remove(profile);
        RunProcess(FTools.ImageMagick, {path + u"[0]"_s, u"ICC:"_s + profile});
        return ReadFile(profile);
    }
    QString PixelAt(const QString& path, int x, int y) const
    {
        return RunProcess(FTools.ImageMagick, {path + u"[0]"_s, u"-format"_s,
                                               u"%[pixel:p{%1,%2}]"_s.arg(x).arg(y), u"info:"_s});
    }
    // A PNG of the photo's pixels and profile, holding the photo's EXIF in an eXIf chunk.
    bool MakePngWithExif(const QString& name, const QString& photo) const
    {
        const QString extract = Fixture(u"photo.exif"_s);
        if (!MakeImage(name, {u"-size"_s, u"40x20"_s, u"gradient:red-blue"_s, u"-profile"_s,
                              WideGamutProfile}) ||
            !RunProcess(FTools.ImageMagick, {Fixture(photo), u"EXIF:"_s + extract}).isEmpty())
            return false;
        // ImageMagick writes it as JPEG holds it, after "Exif\0\0".
        return WriteFile(Fixture(name),
                         WithPngChunk(ReadFile(Fixture(name)), "eXIf", ReadFile(extract).mid(6)));
    }

private Q_SLOTS:
    void initTestCase()
    {
        FTools = TConvertTools::Installed();
        QVERIFY2(!FTools.ImageMagick.isEmpty(), "ImageMagick is not installed");
        QVERIFY2(!FTools.JpegEncoder.isEmpty(), "cjpeg is not installed");
        QVERIFY2(!FTools.Ghostscript.isEmpty(), "Ghostscript is not installed");

        QVERIFY(MakeImage(u"plain.jpg"_s, {u"-size"_s, u"40x20"_s, u"xc:red"_s}));
        QVERIFY(MakeImage(u"small.jpg"_s, {u"-size"_s, u"10x10"_s, u"xc:blue"_s}));
        QVERIFY(WriteFile(Fixture(u"rotated.jpg"_s),
                          WithExifOrientation(ReadFile(Fixture(u"plain.jpg"_s)))));
        QVERIFY(MakeImage(u"two-pages.tif"_s, {u"-size"_s, u"10x10"_s, u"xc:red"_s, u"-size"_s,
                                               u"20x20"_s, u"xc:blue"_s}));
        QVERIFY(
            MakeImage(u"noise.png"_s, {u"-size"_s, u"64x64"_s, u"plasma:"_s, u"-depth"_s, u"8"_s}));
        // Palette images are slow to make (ImageMagick's quantiser), so they are shipped:
        // animated.gif has three 10x10 frames, two-colours.gif is 16x16 in black and white,
        // palette.png is 16x16 with a 4-bit colour map.
        for (const QString& name : {u"animated.gif"_s, u"two-colours.gif"_s, u"palette.png"_s})
            QVERIFY(QFile::copy(QFINDTESTDATA(u"fixtures/"_s + name), Fixture(name)));
        QVERIFY(WriteFile(Fixture(u"wide.svg"_s),
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" "
                          "height=\"50\"><rect width=\"100\" height=\"50\" fill=\"red\"/></svg>"));
        // Pages of one inch by half an inch, 96 by 48 pixels at 96 dpi, in colour: ImageMagick
        // warns about a grey page with Ghostscript's RGB profile, which fails the conversion.
        const QByteArray setup = "<< /PageSize [72 36] >> setpagedevice 1 0 0 setrgbcolor ";
        const QByteArray page = "0 0 36 36 rectfill showpage ";
        QVERIFY(MakePdf(u"three-pages.pdf"_s, setup + page + page + page));
        QVERIFY(MakePdf(u"one-page.pdf"_s, setup + page));
        QVERIFY(WriteFile(Fixture(u"repairable.pdf"_s), RepairablePdf()));

        // EPS files as drawing programs write them, and PostScript pages, which detection lists
        // as EPS too. The first has no showpage, as many EPS files do not.
        QVERIFY(WriteFile(Fixture(u"away.eps"_s),
                          EpsFile("10 20 82 56", "1 0 0 setrgbcolor 10 20 36 36 rectfill "
                                                 "0 0 1 setrgbcolor 64 38 16 0 360 arc fill "
                                                 "0 0.5 0 setrgbcolor 4 setlinewidth "
                                                 "12 22 moveto 80 54 lineto stroke")));
        QVERIFY(
            WriteFile(Fixture(u"fractional.eps"_s),
                      EpsFile("0 0 90.4 45.2", "0 0 1 setrgbcolor 0 0 45 45 rectfill showpage")));
        QVERIFY(WriteFile(Fixture(u"cmyk.eps"_s),
                          EpsFile("0 0 45 30", "0 1 1 0 setcmykcolor 0 0 30 30 rectfill "
                                               "0.5 setgray 30 0 15 30 rectfill showpage")));
        QVERIFY(WriteFile(Fixture(u"black.eps"_s),
                          EpsFile("0 0 72 36", "0 setgray 0 0 36 36 rectfill")));
        QVERIFY(MakePdf(u"black.pdf"_s, "<< /PageSize [72 36] >> setpagedevice 0 setgray "
                                        "0 0 36 36 rectfill showpage "));
        QVERIFY(WriteFile(Fixture(u"policy-home/ImageMagick/policy.xml"_s),
                          "<policymap><policy domain=\"coder\" rights=\"read|write\" "
                          "pattern=\"{PS,EPS}\" /></policymap>\n"));
        QVERIFY(WriteFile(Fixture(u"page.ps"_s),
                          "%!PS\n<< /PageSize [72 36] >> setpagedevice 0 1 0 setrgbcolor "
                          "0 0 36 36 rectfill showpage\n"));
        QVERIFY(WriteFile(Fixture(u"two-pages.ps"_s),
                          "%!PS-Adobe-3.0\n%%Pages: 2\n%%EndComments\n%%Page: 1 1\n"
                          "<< /PageSize [72 36] >> setpagedevice 1 0 0 setrgbcolor "
                          "0 0 36 36 rectfill showpage\n%%Page: 2 2\n"
                          "<< /PageSize [144 72] >> setpagedevice 0 0 1 setrgbcolor "
                          "0 0 36 36 rectfill showpage\n%%EOF\n"));

        // A 64x64 picture placed on a larger canvas in each way a file can say so.
        QVERIFY(MakeImage(u"plain.png"_s, {u"-size"_s, u"64x64"_s, u"xc:red"_s}));
        const QByteArray plainPng = ReadFile(Fixture(u"plain.png"_s));
        const QByteArray offset = BigEndian32(100) + BigEndian32(200) + '\0';
        const QByteArray canvas = BigEndian32(5468) + BigEndian32(3656) + '\0';
        QVERIFY(WriteFile(Fixture(u"offset.png"_s), WithPngChunk(plainPng, "oFFs", offset)));
        QVERIFY(WriteFile(Fixture(u"canvas.png"_s), WithPngChunk(plainPng, "vpAg", canvas)));
        QVERIFY(MakeImage(u"magick-canvas.png"_s, {u"-size"_s, u"64x64"_s, u"xc:red"_s, u"-page"_s,
                                                   u"5468x3656+100+200"_s}));
        QVERIFY(MakeImage(u"position.tif"_s,
                          {u"-size"_s, u"64x64"_s, u"xc:red"_s, u"-density"_s, u"72"_s, u"-units"_s,
                           u"PixelsPerInch"_s, u"-page"_s, u"+100+200"_s}));

        // An animation as optimisers leave it: a full first frame, then smaller frames at
        // offsets, each with its own delay; and the same as an animated WEBP.
        QVERIFY(MakeImage(u"offsets.gif"_s,
                          {u"-size"_s, u"40x30"_s,  u"-delay"_s, u"20"_s,      u"xc:white"_s,
                           u"-size"_s, u"10x8"_s,   u"-delay"_s, u"35"_s,      u"-page"_s,
                           u"+5+6"_s,  u"xc:red"_s, u"-size"_s,  u"12x9"_s,    u"-delay"_s,
                           u"50"_s,    u"-page"_s,  u"+20+12"_s, u"xc:blue"_s, u"-loop"_s,
                           u"0"_s}));
        QVERIFY(MakeImage(u"offsets.webp"_s, {Fixture(u"offsets.gif"_s), u"-quality"_s, u"100"_s,
                                              u"-define"_s, u"webp:lossless=true"_s}));

        // PCX files as ImageMagick writes them: 1 bit (from a two-colour palette), 8 bits with
        // a palette and 8 bits in three planes.
        QVERIFY(MakeImage(u"two-colours-16.gif"_s,
                          {u"-size"_s, u"16x16"_s, u"pattern:gray50"_s, u"-monochrome"_s}));
        QVERIFY(MakeImage(u"1-bit.pcx"_s, {Fixture(u"two-colours-16.gif"_s)}));
        QVERIFY(MakeImage(u"8-bit.pcx"_s,
                          {u"-size"_s, u"16x16"_s, u"plasma:"_s, u"-type"_s, u"palette"_s}));
        QVERIFY(MakeImage(u"24-bit.pcx"_s,
                          {u"-size"_s, u"16x16"_s, u"plasma:"_s, u"-type"_s, u"truecolor"_s}));
        QVERIFY(WriteFile(Fixture(u"2-bit.pcx"_s), PcxFile(2, 1, 16)));
        QVERIFY(WriteFile(Fixture(u"4-bit.pcx"_s), PcxFile(4, 1, 16)));
        QVERIFY(WriteFile(Fixture(u"4-planes.pcx"_s), PcxFile(1, 4, 16)));

        // A photo as phones and cameras leave it: date taken, camera, lens, place, turned by
        // 90 degrees, in a wide-gamut colour space; the same in a PNG's eXIf chunk and in HEIC.
        QVERIFY2(QFile::exists(WideGamutProfile), "Ghostscript's colour profiles are missing");
        QVERIFY(MakeImage(u"photo.jpg"_s, {u"-size"_s, u"40x20"_s, u"gradient:red-blue"_s,
                                           u"-profile"_s, WideGamutProfile}));
        QVERIFY(AddPhotoInfo(Fixture(u"photo.jpg"_s)));
        QVERIFY(MakePngWithExif(u"photo.png"_s, u"photo.jpg"_s));
        // ImageMagick 6 takes a WEBP's XMP chunk for a damaged profile.
        QVERIFY(MakeImage(u"photo.webp"_s, {u"-size"_s, u"40x20"_s, u"gradient:red-blue"_s,
                                            u"-profile"_s, WideGamutProfile}));
        QVERIFY(AddPhotoInfo(Fixture(u"photo.webp"_s), true));
        const QString heifEncoder = QStandardPaths::findExecutable(u"heif-enc"_s);
        QVERIFY2(!heifEncoder.isEmpty(), "heif-enc (libheif-examples) is not installed");
        RunProcess(heifEncoder,
                   {u"-q"_s, u"90"_s, Fixture(u"photo.jpg"_s), u"-o"_s, Fixture(u"photo.heic"_s)});
        QVERIFY(QFile::exists(Fixture(u"photo.heic"_s)));

        // Black drawings on transparency, as logos come.
        const QStringList drawing{u"-size"_s,
                                  u"40x40"_s,
                                  u"xc:none"_s,
                                  u"-fill"_s,
                                  u"black"_s,
                                  u"-draw"_s,
                                  u"rectangle 10,10 29,29"_s};
        for (const QString& name :
             {u"drawing.png"_s, u"drawing.gif"_s, u"drawing.webp"_s, u"drawing.tif"_s})
            QVERIFY(MakeImage(name, drawing));
        QVERIFY(MakeImage(u"drawing.ico"_s, drawing));
        QVERIFY(WriteFile(Fixture(u"drawing.svg"_s),
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" "
                          "height=\"40\"><rect x=\"10\" y=\"10\" width=\"20\" height=\"20\" "
                          "fill=\"black\"/></svg>"));
    }

    void init() { NewPicFolder(); }
    void cleanup()
    {
        RemovePicFolder();
        QCOMPARE(FHome.ScratchEntries(), QStringList());
    }

    void exifRotatedJpegComesOutUpright_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("PNG") << u"PNG"_s;
        QTest::newRow("JPG") << u"JPG"_s;
    }
    void exifRotatedJpegComesOutUpright()
    {
        QFETCH(QString, format);
        const QString source = CopyFixture(u"rotated.jpg"_s, u"photo.jpg"_s);
        QVERIFY(Convert(source, u"JPG"_s, Options(format)).IsOk());
        const QString output = format == u"JPG" ? u"photo (1).jpg"_s : u"photo.png"_s;
        QCOMPARE(Frames(Pic(output)), QStringList{u"20 40"_s});
    }

    void animatedGif_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("frames");

        QTest::newRow("to GIF keeps every frame") << u"GIF"_s << u"anim (1).gif"_s << 3;
        QTest::newRow("to WEBP keeps every frame") << u"WEBP"_s << u"anim.webp"_s << 3;
        QTest::newRow("to PNG gives the first") << u"PNG"_s << u"anim.png"_s << 1;
        QTest::newRow("to JPG gives the first") << u"JPG"_s << u"anim.jpg"_s << 1;
    }
    void animatedGif()
    {
        QFETCH(QString, format);
        QFETCH(QString, output);
        QFETCH(int, frames);
        const QString source = CopyFixture(u"animated.gif"_s, u"anim.gif"_s);
        const TResult<> result = Convert(source, u"GIF"_s, Options(format));
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        QCOMPARE(Frames(Pic(output)), QStringList(frames, u"10 10"_s));
        QCOMPARE(QDir(Pics()).entryList(QDir::Files).size(), 2);
    }

    // Whatever canvas or offset the file gives the picture, every output is the picture at its
    // own size, with nothing of the canvas left in it.
    void pictureOnACanvasKeepsItsOwnSize_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");

        const QString ownSize = u"64 64 64x64+0+0"_s;
        QTest::newRow("PNG with an offset") << u"offset.png"_s << u"PNG"_s << 0 << ownSize;
        QTest::newRow("PNG with a virtual canvas") << u"canvas.png"_s << u"PNG"_s << 0 << ownSize;
        QTest::newRow("PNG with ImageMagick's canvas and offset")
            << u"magick-canvas.png"_s << u"PNG"_s << 0 << ownSize;
        QTest::newRow("TIFF with a page position")
            << u"position.tif"_s << u"TIFF"_s << 0 << ownSize;
        // The canvas used to grow with the picture, beyond ImageMagick's size limit.
        QTest::newRow("canvas and offset, at a width")
            << u"magick-canvas.png"_s << u"PNG"_s << 540 << u"540 540 540x540+0+0"_s;
    }
    void pictureOnACanvasKeepsItsOwnSize()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, type);
        QFETCH(int, width);
        QFETCH(QString, expected);
        const QString source = CopyFixture(fixture, u"pic."_s + QFileInfo(fixture).suffix());
        for (const QString& format : {u"GIF"_s, u"PNG"_s, u"TIFF"_s, u"WEBP"_s, u"JPG"_s}) {
            TConvertOptions options = Options(format);
            options.ResizeWidth = width > 0 ? TResizeWidth::On : TResizeWidth::Off;
            options.Width = width;
            const QString output = GetOutputFileName(source, format, {});
            const TResult<> result = Convert(source, type, options);
            QVERIFY2(result.IsOk(), qPrintable(format + u": "_s + result.Reason()));
            QCOMPARE(Frames(output, u"%w %h %g"_s), QStringList{expected});
        }
    }

    // The frames of an animation stay where they are on its canvas, with their delays.
    void animationKeepsFramesAndDelays_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("format");
        // ImageMagick 6 writes each WEBP frame with the delay of the next one, whatever the
        // command line says.
        QTest::addColumn<bool>("isTimingWritten");
        QTest::newRow("GIF to GIF") << u"offsets.gif"_s << u"GIF"_s << u"GIF"_s << true;
        QTest::newRow("GIF to WEBP") << u"offsets.gif"_s << u"GIF"_s << u"WEBP"_s << false;
        QTest::newRow("WEBP to GIF") << u"offsets.webp"_s << u"WEBP"_s << u"GIF"_s << true;
        QTest::newRow("WEBP to WEBP") << u"offsets.webp"_s << u"WEBP"_s << u"WEBP"_s << false;
    }
    void animationKeepsFramesAndDelays()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, type);
        QFETCH(QString, format);
        QFETCH(bool, isTimingWritten);
        const QString source = CopyFixture(fixture, u"anim."_s + QFileInfo(fixture).suffix());
        const QString output = GetOutputFileName(source, format, {});
        const TResult<> result = Convert(source, type, Options(format, 100));
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));

        QCOMPARE(Frames(output, u"%W %H"_s), QStringList(3, u"40 30"_s));
        if (isTimingWritten)
            QCOMPARE(Frames(output, u"%T"_s), Frames(source, u"%T"_s));
        QCOMPARE(DifferingPixels(ShownFrames(source), ShownFrames(output)), u"0"_s);
    }

    void pcxOfEachDepthIsListedAndConverts_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<int>("bitsPerPixel");
        QTest::addColumn<int>("planes");
        QTest::addColumn<QString>("size");
        QTest::newRow("1 bit") << u"1-bit.pcx"_s << 1 << 1 << u"16 16"_s;
        QTest::newRow("2 bits") << u"2-bit.pcx"_s << 2 << 1 << u"16 4"_s;
        QTest::newRow("4 bits") << u"4-bit.pcx"_s << 4 << 1 << u"16 4"_s;
        QTest::newRow("16 colours in 4 planes") << u"4-planes.pcx"_s << 1 << 4 << u"16 4"_s;
        QTest::newRow("8 bits with a palette") << u"8-bit.pcx"_s << 8 << 1 << u"16 16"_s;
        QTest::newRow("8 bits in 3 planes") << u"24-bit.pcx"_s << 8 << 3 << u"16 16"_s;
    }
    void pcxOfEachDepthIsListedAndConverts()
    {
        QFETCH(QString, fixture);
        QFETCH(int, bitsPerPixel);
        QFETCH(int, planes);
        QFETCH(QString, size);
        const QString source = CopyFixture(fixture, u"picture.pcx"_s);
        const QByteArray header = ReadFile(source).left(128);
        QCOMPARE(int(header.at(3)), bitsPerPixel);
        QCOMPARE(int(header.at(65)), planes);
        const QString type = DetectFileType(source);
        QCOMPARE(type, u"PCX"_s);
        for (const QString& format : {u"PNG"_s, u"JPG"_s}) {
            const QString output = GetOutputFileName(source, format, {});
            const TResult<> result = Convert(source, type, Options(format));
            QVERIFY2(result.IsOk(), qPrintable(format + u": "_s + result.Reason()));
            QCOMPARE(Frames(output), QStringList{size});
        }
    }

    void twoPageTiffGivesItsFirstPage()
    {
        const QString source = CopyFixture(u"two-pages.tif"_s, u"scan.tif"_s);
        QVERIFY(Convert(source, u"TIF"_s, Options(u"PNG"_s)).IsOk());
        QCOMPARE(Frames(Pic(u"scan.png"_s)), QStringList{u"10 10"_s});
    }

    void svgIsDrawnAtTheWidth()
    {
        const QString source = CopyFixture(u"wide.svg"_s, u"logo.svg"_s);
        TConvertOptions options = Options(u"PNG"_s);
        options.ResizeWidth = TResizeWidth::On;
        options.Width = 300;
        const TResult<> result = Convert(source, u"SVG"_s, options);
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        QCOMPARE(Frames(Pic(u"logo.png"_s)), QStringList{u"300 150"_s});
    }

    void pdfPagesComeOutAtScreenSize()
    {
        const QString source = CopyFixture(u"three-pages.pdf"_s, u"report.pdf"_s);
        const TResult<> result = Convert(source, u"PDF"_s, Options(u"PNG"_s));
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        for (const QString& page : {u"report-001.png"_s, u"report-002.png"_s, u"report-003.png"_s})
            QCOMPARE(Frames(Pic(page)), QStringList{u"96 48"_s});
    }

    void aiFileIsNamedAfterItself()
    {
        const QString source = CopyFixture(u"one-page.pdf"_s, u"drawing.ai"_s);
        const TResult<> result = Convert(source, u"AI"_s, Options(u"PNG"_s));
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        QCOMPARE(Frames(Pic(u"drawing.png"_s)), QStringList{u"96 48"_s});
    }

    // A drawing in black and white becomes a grey PNG; Ghostscript's colour profile must not
    // come with it.
    void blackAndWhiteDrawingToPng_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("output");
        QTest::newRow("EPS") << u"black.eps"_s << u"mono.eps"_s << u"mono.png"_s;
        QTest::newRow("AI") << u"black.pdf"_s << u"mono.ai"_s << u"mono.png"_s;
        QTest::newRow("PDF") << u"black.pdf"_s << u"mono.pdf"_s << u"mono-001.png"_s;
    }
    void blackAndWhiteDrawingToPng()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, name);
        QFETCH(QString, output);
        const QString source = CopyFixture(fixture, name);
        const TResult<> result = Convert(source, DetectFileType(source), Options(u"PNG"_s));
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        QCOMPARE(Frames(Pic(output), u"%w %h %[colorspace]"_s), QStringList{u"96 48 Gray"_s});
    }

    // Ghostscript says what it repaired; the page is still drawn whole and converts.
    void repairedPdfConverts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("wholeOutput");
        QTest::newRow("PDF") << u"repaired.pdf"_s << u"PDF"_s << u"repaired-001.png"_s
                             << u"whole-001.png"_s;
        QTest::newRow("AI") << u"repaired.ai"_s << u"AI"_s << u"repaired.png"_s << u"whole.png"_s;
    }
    void repairedPdfConverts()
    {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QString, output);
        QFETCH(QString, wholeOutput);
        const TProgramResult repair =
            RunProgram(FTools.Ghostscript, {u"-dNOPAUSE"_s, u"-dBATCH"_s, u"-dQUIET"_s,
                                            u"-sDEVICE=nullpage"_s, Fixture(u"repairable.pdf"_s)});
        QVERIFY2(repair.ExitedWithStatusZero() && !repair.Printed.isEmpty(),
                 "Ghostscript no longer reports this damage; the test needs another");

        const QString source = CopyFixture(u"repairable.pdf"_s, name);
        QCOMPARE(DetectFileType(source), type);
        const TResult<> result = Convert(source, type, Options(u"PNG"_s));
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        const QString whole = CopyFixture(u"one-page.pdf"_s, u"whole."_s + type.toLower());
        QVERIFY(Convert(whole, type, Options(u"PNG"_s)).IsOk());
        QCOMPARE(Frames(Pic(output)), QStringList{u"96 48"_s});
        QCOMPARE(DifferingPixels(Pic(output), Pic(wholeOutput)), u"0"_s);
    }

    // EPS and PostScript files are drawn by Ghostscript, at 96 dpi on their bounding box (on their
    // page without one), whatever ImageMagick's policy says of PostScript, and convert to every
    // target under their own name.
    void epsToEveryTarget_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("size");
        QTest::newRow("EPS, box away from the origin") << u"away.eps"_s << u"96 48"_s;
        QTest::newRow("EPS, box in fractions of a point") << u"fractional.eps"_s << u"121 60"_s;
        QTest::newRow("EPS in CMYK and grey") << u"cmyk.eps"_s << u"60 40"_s;
        QTest::newRow("EPS in black and white") << u"black.eps"_s << u"96 48"_s;
        QTest::newRow("PostScript page") << u"page.ps"_s << u"96 48"_s;
        QTest::newRow("PostScript of two pages gives the first") << u"two-pages.ps"_s << u"96 48"_s;
    }
    void epsToEveryTarget()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, size);
        const QString source = CopyFixture(fixture, u"logo."_s + QFileInfo(fixture).suffix());
        const QString type = DetectFileType(source);
        QCOMPARE(type, u"EPS"_s);
        const QStringList formats{u"JPG"_s, u"PNG"_s, u"GIF"_s, u"WEBP"_s, u"TIFF"_s};
        for (const QString& format : formats) {
            const TResult<> result = Convert(source, type, Options(format));
            QVERIFY2(result.IsOk(), qPrintable(format + u": "_s + result.Reason()));
            QCOMPARE(Frames(Pic(u"logo."_s + format.toLower())), QStringList{size});
        }
        QCOMPARE(QDir(Pics()).entryList(QDir::Files).size(), formats.size() + 1);
    }

    // Where a policy lets ImageMagick read EPS itself, it reads the same picture.
    void epsIsThePictureImageMagickReads_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::newRow("box away from the origin") << u"away.eps"_s;
        QTest::newRow("box in fractions of a point") << u"fractional.eps"_s;
        QTest::newRow("CMYK and grey") << u"cmyk.eps"_s;
        QTest::newRow("black and white") << u"black.eps"_s;
    }
    void epsIsThePictureImageMagickReads()
    {
        QFETCH(QString, fixture);
        // ImageMagick 6 reads the user's policy after the system's, so the user's has the last
        // word; MAGICK_CONFIGURE_PATH is read first.
        TProgramSettings allowingPostScript;
        allowingPostScript.AddedVariables.insert(u"XDG_CONFIG_HOME"_s, Fixture(u"policy-home"_s));
        const QString source = CopyFixture(fixture, u"logo.eps"_s);
        // Not a PNG: ImageMagick warns about Ghostscript's RGB profile on a grey PNG.
        const QString reference = Pic(u"reference.tif"_s);
        const TProgramResult reading = RunProgram(
            FTools.ImageMagick, {u"-density"_s, u"96"_s, source, reference}, allowingPostScript);
        QVERIFY2(reading.IsClean(), qPrintable(reading.FailureReason()));

        for (const QString& format : {u"PNG"_s, u"TIFF"_s}) {
            const TResult<> result = Convert(source, u"EPS"_s, Options(format));
            QVERIFY2(result.IsOk(), qPrintable(format + u": "_s + result.Reason()));
            QCOMPARE(DifferingPixels(reference, Pic(u"logo."_s + format.toLower())), u"0"_s);
        }
    }

    // A broken EPS fails with what Ghostscript said about it.
    void brokenEpsFailsWithGhostscriptsWords_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray drawing = EpsFile("0 0 20 20", "/square { 0 0 10 10 rectfill } def "
                                                        "1 0 0 setrgbcolor square showpage");
        QTest::newRow("cut inside a procedure")
            << drawing.left(drawing.indexOf("rectfill")) << u"Error: /syntaxerror"_s;
        QTest::newRow("unknown command") << EpsFile("0 0 20 20", "0 0 moveto nosuchcommand")
                                         << u"Error: /undefined in nosuchcommand"_s;
        QTest::newRow("not PostScript after the header")
            << QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n\x01\x02 )") << u"Error: /undefined"_s;
    }
    void brokenEpsFailsWithGhostscriptsWords()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString source = Pic(u"broken.eps"_s);
        QVERIFY(WriteFile(source, bytes));
        for (const QString& format : {u"PNG"_s, u"JPG"_s}) {
            const TResult<> result = Convert(source, DetectFileType(source), Options(format));
            QVERIFY(!result.IsOk());
            QVERIFY2(result.Reason().startsWith(reason), qPrintable(result.Reason()));
        }
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), QStringList{u"broken.eps"_s});
    }

    void jpegQualityChangesTheSize()
    {
        const QString source = CopyFixture(u"noise.png"_s, u"noise.png"_s);
        QVERIFY(Convert(source, u"PNG"_s, Options(u"JPG"_s, 40)).IsOk());
        QVERIFY(Convert(source, u"PNG"_s, Options(u"JPG"_s, 100)).IsOk());
        const qint64 low = QFileInfo(Pic(u"noise.jpg"_s)).size();
        const qint64 high = QFileInfo(Pic(u"noise (1).jpg"_s)).size();
        QVERIFY2(low > 0 && low < high, qPrintable(u"%1 >= %2"_s.arg(low).arg(high)));
    }

    void webpQuality_data()
    {
        QTest::addColumn<int>("quality");
        QTest::addColumn<bool>("lossless");
        QTest::newRow("100 is lossless") << 100 << true;
        QTest::newRow("99 is lossy") << 99 << false;
    }
    void webpQuality()
    {
        QFETCH(int, quality);
        QFETCH(bool, lossless);
        const QString source = CopyFixture(u"noise.png"_s, u"noise.png"_s);
        QVERIFY(Convert(source, u"PNG"_s, Options(u"WEBP"_s, quality)).IsOk());
        QCOMPARE(DifferingPixels(source, Pic(u"noise.webp"_s)) == u"0", lossless);
    }

    void imagesOfFewColoursConvertToJpg_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("type");
        QTest::newRow("two-colour GIF") << u"two-colours.gif"_s << u"GIF"_s;
        QTest::newRow("palette PNG") << u"palette.png"_s << u"PNG"_s;
    }
    void imagesOfFewColoursConvertToJpg()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, type);
        const QString source = CopyFixture(fixture, u"few."_s + QFileInfo(fixture).suffix());
        const TResult<> result = Convert(source, type, Options(u"JPG"_s));
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        QCOMPARE(Frames(Pic(u"few.jpg"_s)), QStringList{u"16 16"_s});
    }

    // ImageMagick reads "[...]" as a frame choice and "*", "?", "{...}" as patterns, "%d" as a
    // number: a name with them beside a neighbour they would match must still give its own
    // picture in every target and change nothing else.
    void hostileNames_data()
    {
        QTest::addColumn<QString>("stem");
        QTest::addColumn<QStringList>("decoys");

        QTest::newRow("brackets") << u"a[1]"_s << QStringList{u"a1.jpg"_s};
        QTest::newRow("brackets, twelve")
            << u"a[12]"_s << QStringList{u"a1.jpg"_s, u"a2.jpg"_s, u"a[12]-0.png"_s};
        QTest::newRow("brackets with a letter") << u"solo[x]"_s << QStringList{u"solox.jpg"_s};
        QTest::newRow("braces") << u"b{1,2}"_s << QStringList{u"b1.jpg"_s, u"b2.jpg"_s};
        QTest::newRow("star") << u"c*"_s << QStringList{u"cc.jpg"_s};
        QTest::newRow("question mark") << u"d?"_s << QStringList{u"dd.jpg"_s};
        QTest::newRow("percent and blank") << u"100% crop"_s << QStringList{u"100.jpg"_s};
        QTest::newRow("percent d") << u"50%d"_s << QStringList{u"500.jpg"_s, u"500.png"_s};
        QTest::newRow("quote") << u"quote\"d"_s << QStringList();
        QTest::newRow("leading dash") << u"-lead"_s << QStringList();
        QTest::newRow("Hangul and emoji") << u"한글 😀"_s << QStringList();
        QTest::newRow("shell and list syntax") << u"$(touch x) @list"_s << QStringList();
    }
    void hostileNames()
    {
        QFETCH(QString, stem);
        QFETCH(QStringList, decoys);
        const QString source = CopyFixture(u"plain.jpg"_s, stem + u".jpg"_s);
        for (const QString& decoy : decoys)
            CopyFixture(u"small.jpg"_s, decoy);
        const QStringList before = QDir(Pics()).entryList(QDir::Files);
        QStringList expected = before;
        for (const QString& format : {u"JPG"_s, u"PNG"_s, u"GIF"_s, u"WEBP"_s, u"TIFF"_s}) {
            const QString output =
                stem + (format == u"JPG" ? u" (1).jpg"_s : u'.' + format.toLower());
            const TResult<> result = Convert(source, u"JPG"_s, Options(format));
            QVERIFY2(result.IsOk(), qPrintable(output + u": "_s + result.Reason()));
            QCOMPARE(Frames(Pic(output)), QStringList{u"40 20"_s});
            expected << output;
        }
        for (const QString& decoy : decoys)
            QCOMPARE(ReadFile(Pic(decoy)), ReadFile(Fixture(u"small.jpg"_s)));
        QStringList made = QDir(Pics()).entryList(QDir::Files);
        made.sort();
        expected.sort();
        QCOMPARE(made, expected);
    }

    void percentInADocumentName()
    {
        const QString source = CopyFixture(u"one-page.pdf"_s, u"100%.pdf"_s);
        const TResult<> result = Convert(source, u"PDF"_s, Options(u"PNG"_s));
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        QCOMPARE(Frames(Pic(u"100%-001.png"_s)), QStringList{u"96 48"_s});
    }

    // JPEG has no transparency: what was transparent comes out white, not black, and the
    // drawing on it stays; a target with transparency keeps it.
    void transparencyBecomesWhiteInJpg_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QPoint>("drawn");
        QTest::addColumn<QPoint>("transparent");

        for (const QString& type : {u"PNG"_s, u"GIF"_s, u"WEBP"_s, u"TIF"_s, u"ICO"_s, u"SVG"_s})
            QTest::newRow(qPrintable(type))
                << u"drawing."_s + type.toLower() << type << QPoint(20, 20) << QPoint(2, 2);
        // Ghostscript draws the page's left half; the right half is transparent.
        QTest::newRow("AI") << u"one-page.pdf"_s << u"AI"_s << QPoint(10, 24) << QPoint(80, 24);
    }
    void transparencyBecomesWhiteInJpg()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, type);
        QFETCH(QPoint, drawn);
        QFETCH(QPoint, transparent);
        const QString source = CopyFixture(fixture, u"logo."_s + type.toLower());
        for (const QString& format : {u"JPG"_s, u"PNG"_s}) {
            const QString output = GetOutputFileName(source, format, {});
            const TResult<> result = Convert(source, type, Options(format));
            QVERIFY2(result.IsOk(), qPrintable(format + u": "_s + result.Reason()));
            const QString background = PixelAt(output, transparent.x(), transparent.y());
            if (format == u"JPG")
                QCOMPARE(background, u"srgb(255,255,255)"_s);
            else
                QVERIFY2(background.contains(u"a("_s) && background.endsWith(u",0)"_s),
                         qPrintable(background));
            QVERIFY2(!PixelAt(output, drawn.x(), drawn.y()).startsWith(u"srgb(255,255,255"_s),
                     qPrintable(format));
        }
    }

    // Every target but GIF keeps the date taken, the camera and the place; all say they are
    // upright and of their own size, and keep the colour profile.
    void photoInformationIsKept_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("keepsXmp");

        for (const QString& format : {u"JPG"_s, u"PNG"_s, u"WEBP"_s, u"TIFF"_s, u"GIF"_s}) {
            // ImageMagick 6 refuses a WEBP with an XMP chunk; HEIF's XMP is read by neither tool.
            const bool keepsXmp = format != u"WEBP" && format != u"GIF";
            QTest::addRow("JPG to %s", qPrintable(format))
                << u"photo.jpg"_s << u"JPG"_s << format << keepsXmp;
            QTest::addRow("PNG with eXIf to %s", qPrintable(format))
                << u"photo.png"_s << u"PNG"_s << format << false;
            QTest::addRow("HEIC to %s", qPrintable(format))
                << u"photo.heic"_s << u"HEIC"_s << format << false;
            QTest::addRow("WEBP to %s", qPrintable(format))
                << u"photo.webp"_s << u"WEBP"_s << format << false;
        }
    }
    void photoInformationIsKept()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, type);
        QFETCH(QString, format);
        QFETCH(bool, keepsXmp);
        const QString source = CopyFixture(fixture, u"photo."_s + QFileInfo(fixture).suffix());
        const QString output = GetOutputFileName(source, format, {});

        const TResult<> result = Convert(source, type, Options(format));

        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        QCOMPARE(ProfileOf(output), ReadFile(WideGamutProfile));
        const TReadBack read = ReadBack(output);
        if (format == u"GIF") {
            QCOMPARE(read.Exif.size() + read.Xmp.size(), 0);
            QVERIFY(!ReadFile(output).contains(Camera.toUtf8()));
            return;
        }
        QCOMPARE(read.Exif.value(u"Exif.Image.Make"_s), Camera);
        QCOMPARE(read.Exif.value(u"Exif.Photo.DateTimeOriginal"_s), u"2021:07:04 10:20:30"_s);
        QCOMPARE(read.Exif.value(u"Exif.Photo.LensModel"_s), u"Morvlens 50"_s);
        QCOMPARE(read.Exif.value(u"Exif.GPSInfo.GPSLatitude"_s), u"48/1 51/1 30/1"_s);
        QCOMPARE(read.Exif.value(u"Exif.Image.Orientation"_s), u"1"_s);
        const QString size = Frames(output).value(0);
        QCOMPARE(read.Exif.value(u"Exif.Photo.PixelXDimension"_s) + u' ' +
                     read.Exif.value(u"Exif.Photo.PixelYDimension"_s),
                 size);
        QCOMPARE(read.Exif.contains(u"Exif.Thumbnail.Compression"_s), false);
        QCOMPARE(read.Xmp.value(u"Xmp.dc.title"_s).contains(Title), keepsXmp);
        if (keepsXmp) {
            QCOMPARE(read.Xmp.value(u"Xmp.tiff.Orientation"_s), u"1"_s);
            QCOMPARE(read.Xmp.value(u"Xmp.exif.PixelXDimension"_s), size.section(u' ', 0, 0));
        }
        // The picture was turned upright by its EXIF, except HEIF's, which is upright as stored.
        QCOMPARE(size, type == u"HEIC" ? u"40 20"_s : u"20 40"_s);
    }

    // Removed: no EXIF, XMP, place or comment anywhere in the file, but the colour profile.
    void photoInformationIsRemoved_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("format");
        for (const QString& format : {u"JPG"_s, u"PNG"_s, u"WEBP"_s, u"TIFF"_s, u"GIF"_s}) {
            QTest::addRow("JPG to %s", qPrintable(format)) << u"photo.jpg"_s << u"JPG"_s << format;
            QTest::addRow("PNG to %s", qPrintable(format)) << u"photo.png"_s << u"PNG"_s << format;
            QTest::addRow("HEIC to %s", qPrintable(format))
                << u"photo.heic"_s << u"HEIC"_s << format;
            QTest::addRow("WEBP to %s", qPrintable(format))
                << u"photo.webp"_s << u"WEBP"_s << format;
        }
    }
    void photoInformationIsRemoved()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, type);
        QFETCH(QString, format);
        const QString source = CopyFixture(fixture, u"photo."_s + QFileInfo(fixture).suffix());
        const QString output = GetOutputFileName(source, format, {});
        TConvertOptions options = Options(format);
        options.PhotoInformation = TPhotoInformation::Remove;

        const TResult<> result = Convert(source, type, options);

        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        QCOMPARE(ProfileOf(output), ReadFile(WideGamutProfile));
        const TReadBack read = ReadBack(output);
        for (const QString& key : read.Exif.keys()) {
            // What a TIFF says of its own pixels is no photo information.
            QVERIFY2(key.startsWith(u"Exif.Image."_s) && key != u"Exif.Image.Make" &&
                         key != u"Exif.Image.GPSTag" && key != u"Exif.Image.ExifTag",
                     qPrintable(key));
        }
        QCOMPARE(read.Xmp.keys(), QStringList());
        const QByteArray bytes = ReadFile(output);
        for (const QString& told : {Camera, Comment, Title, u"GPSLatitude"_s})
            QVERIFY2(!bytes.contains(told.toUtf8()), qPrintable(told));
        // Turned upright all the same.
        QCOMPARE(Frames(output).value(0), type == u"HEIC" ? u"40 20"_s : u"20 40"_s);
    }

    // Each output gets the modification time of the file it came from: a PDF's pages the PDF's.
    void keptDatesAreTheSources_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("outputs");
        QTest::newRow("JPG to JPG")
            << u"photo.jpg"_s << u"JPG"_s << u"JPG"_s << QStringList{u"source (1).jpg"_s};
        QTest::newRow("JPG to PNG")
            << u"photo.jpg"_s << u"JPG"_s << u"PNG"_s << QStringList{u"source.png"_s};
        QTest::newRow("PDF to WEBP")
            << u"three-pages.pdf"_s << u"PDF"_s << u"WEBP"_s
            << QStringList{u"source-001.webp"_s, u"source-002.webp"_s, u"source-003.webp"_s};
        QTest::newRow("AI to TIFF")
            << u"one-page.pdf"_s << u"AI"_s << u"TIFF"_s << QStringList{u"source.tiff"_s};
    }
    void keptDatesAreTheSources()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, type);
        QFETCH(QString, format);
        QFETCH(QStringList, outputs);
        const QString extension = type == u"AI" ? u"ai"_s : QFileInfo(fixture).suffix();
        const QString source = CopyFixture(fixture, u"source."_s + extension);
        const QDateTime taken(QDate(2001, 2, 3), QTime(4, 5, 6, 789));
        {
            QFile file(source);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(taken, QFileDevice::FileModificationTime));
        }
        TConvertOptions options = Options(format);
        options.FileDates = TFileDates::OfSource;

        const TResult<> result = Convert(source, type, options);

        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        for (const QString& output : outputs)
            QCOMPARE(QFileInfo(Pic(output)).lastModified(), taken);
    }
};

QTEST_GUILESS_MAIN(TConvertRealTest)
#include "tst_convertreal.moc"
