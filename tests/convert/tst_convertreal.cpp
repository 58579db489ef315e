#include "convert/Converter.h"
#include "convert/RunProcess.h"

#include "PicFixture.h"
#include "TestFiles.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QTest>

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
    // Width and height of every frame, as "w h".
    QStringList Frames(const QString& path) const
    {
        const QString plain = Pic(u"frames-check."_s + QFileInfo(path).suffix());
        QFile::remove(plain);
        QFile::copy(path, plain);
        const QString printed =
            RunProcess(FTools.ImageMagick, {plain, u"-format"_s, u"%w %h\n"_s, u"info:"_s});
        QFile::remove(plain);
        return printed.split(u'\n', Qt::SkipEmptyParts);
    }
    // Pixels that differ between two images.
    QString DifferingPixels(const QString& first, const QString& second) const
    {
        return RunProcess(FTools.ImageMagick, {first, second, u"-metric"_s, u"AE"_s, u"-compare"_s,
                                               u"-format"_s, u"%[distortion]"_s, u"info:"_s});
    }
    TConvertResult Convert(const QString& source, const QString& type,
                           const TConvertOptions& options) const
    {
        return TConverter(FTools, options).ConvertFile(source, type);
    }

private Q_SLOTS:
    void initTestCase()
    {
        FTools = TConvertTools::Installed();
        QVERIFY2(!FTools.ImageMagick.isEmpty(), "ImageMagick is not installed");
        QVERIFY2(!FTools.JpegEncoder.isEmpty(), "cjpeg is not installed");
        QVERIFY2(!FTools.Ghostscript.isEmpty(), "Ghostscript is not installed");

        QVERIFY(MakeImage(u"plain.jpg"_s, {u"-size"_s, u"40x20"_s, u"xc:red"_s}));
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
        QVERIFY(Convert(source, u"JPG"_s, Options(format)).Succeeded);
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
        const TConvertResult result = Convert(source, u"GIF"_s, Options(format));
        QVERIFY2(result.Succeeded, qPrintable(result.Reason));
        QCOMPARE(Frames(Pic(output)), QStringList(frames, u"10 10"_s));
        QCOMPARE(QDir(Pics()).entryList(QDir::Files).size(), 2);
    }

    void twoPageTiffGivesItsFirstPage()
    {
        const QString source = CopyFixture(u"two-pages.tif"_s, u"scan.tif"_s);
        QVERIFY(Convert(source, u"TIF"_s, Options(u"PNG"_s)).Succeeded);
        QCOMPARE(Frames(Pic(u"scan.png"_s)), QStringList{u"10 10"_s});
    }

    void svgIsDrawnAtTheWidth()
    {
        const QString source = CopyFixture(u"wide.svg"_s, u"logo.svg"_s);
        TConvertOptions options = Options(u"PNG"_s);
        options.ResizeWidth = TResizeWidth::On;
        options.Width = 300;
        const TConvertResult result = Convert(source, u"SVG"_s, options);
        QVERIFY2(result.Succeeded, qPrintable(result.Reason));
        QCOMPARE(Frames(Pic(u"logo.png"_s)), QStringList{u"300 150"_s});
    }

    void pdfPagesComeOutAtScreenSize()
    {
        const QString source = CopyFixture(u"three-pages.pdf"_s, u"report.pdf"_s);
        const TConvertResult result = Convert(source, u"PDF"_s, Options(u"PNG"_s));
        QVERIFY2(result.Succeeded, qPrintable(result.Reason));
        for (const QString& page : {u"report-001.png"_s, u"report-002.png"_s, u"report-003.png"_s})
            QCOMPARE(Frames(Pic(page)), QStringList{u"96 48"_s});
    }

    void aiFileIsNamedAfterItself()
    {
        const QString source = CopyFixture(u"one-page.pdf"_s, u"drawing.ai"_s);
        const TConvertResult result = Convert(source, u"AI"_s, Options(u"PNG"_s));
        QVERIFY2(result.Succeeded, qPrintable(result.Reason));
        QCOMPARE(Frames(Pic(u"drawing.png"_s)), QStringList{u"96 48"_s});
    }

    void jpegQualityChangesTheSize()
    {
        const QString source = CopyFixture(u"noise.png"_s, u"noise.png"_s);
        QVERIFY(Convert(source, u"PNG"_s, Options(u"JPG"_s, 40)).Succeeded);
        QVERIFY(Convert(source, u"PNG"_s, Options(u"JPG"_s, 100)).Succeeded);
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
        QVERIFY(Convert(source, u"PNG"_s, Options(u"WEBP"_s, quality)).Succeeded);
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
        const TConvertResult result = Convert(source, type, Options(u"JPG"_s));
        QVERIFY2(result.Succeeded, qPrintable(result.Reason));
        QCOMPARE(Frames(Pic(u"few.jpg"_s)), QStringList{u"16 16"_s});
    }

    void hostileNames_data()
    {
        QTest::addColumn<QString>("stem");
        for (const QString& stem :
             {u"quote\"d"_s, u"100%"_s, u"50%d"_s, u"-lead"_s, u"two  blanks"_s, u"한글"_s, u"😀"_s,
              u"a[1]"_s, u"$(touch x)"_s, u"@list"_s})
            QTest::newRow(stem.toUtf8()) << stem;
    }
    void hostileNames()
    {
        QFETCH(QString, stem);
        const QString source = CopyFixture(u"plain.jpg"_s, stem + u".jpg"_s);
        // What ImageMagick would read and write for "50%d" if it expanded "%d".
        const QStringList decoys{u"500.jpg"_s, u"500.png"_s, u"500 (1).jpg"_s};
        for (const QString& decoy : decoys)
            QVERIFY(WriteFile(Pic(decoy), "decoy"));
        const QStringList outputs{stem + u".png"_s, stem + u" (1).jpg"_s};
        for (const QString& output : outputs) {
            const TConvertResult result =
                Convert(source, u"JPG"_s, Options(QFileInfo(output).suffix().toUpper()));
            QVERIFY2(result.Succeeded, qPrintable(output + u": "_s + result.Reason));
            QCOMPARE(Frames(Pic(output)), QStringList{u"40 20"_s});
        }
        for (const QString& decoy : decoys)
            QCOMPARE(ReadFile(Pic(decoy)), QByteArray("decoy"));
    }

    void percentInADocumentName()
    {
        const QString source = CopyFixture(u"one-page.pdf"_s, u"100%.pdf"_s);
        const TConvertResult result = Convert(source, u"PDF"_s, Options(u"PNG"_s));
        QVERIFY2(result.Succeeded, qPrintable(result.Reason));
        QCOMPARE(Frames(Pic(u"100%-001.png"_s)), QStringList{u"96 48"_s});
    }
};

QTEST_GUILESS_MAIN(TConvertRealTest)
#include "tst_convertreal.moc"
