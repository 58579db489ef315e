#include "convert/Converter.h"
#include "convert/OutputName.h"

#include "PicFixture.h"
#include "StandIn.h"
#include "TestFiles.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

namespace {
const QStringList AllPrograms{u"magick"_s, u"cjpeg"_s, u"gs"_s};

// Entries as "kind:name": file (holding "existing"), folder, link (to a file) or dangling (link).
void MakeEntries(const QDir& folder, const QStringList& entries)
{
    for (const QString& entry : entries) {
        const QString kind = entry.section(u':', 0, 0);
        const QString path = folder.filePath(entry.section(u':', 1));
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (kind == u"file")
            QVERIFY(WriteFile(path, "existing"));
        else if (kind == u"folder")
            QVERIFY(QDir().mkpath(path));
        else if (kind == u"link")
            QVERIFY(QFile::link(folder.filePath(u"target.txt"_s), path));
        else if (kind == u"dangling")
            QVERIFY(QFile::link(folder.filePath(u"never-made"_s), path));
    }
    QVERIFY(WriteFile(folder.filePath(u"target.txt"_s), "target"));
}

QStringList Expand(const QStringList& texts, const QString& pics)
{
    QStringList expanded;
    for (const QString& text : texts)
        expanded << QString(text).replace(u"{pics}"_s, pics);
    return expanded;
}

TConvertOptions Options(const QString& format, TResizeWidth resize = TResizeWidth::Off,
                        int width = 540, int quality = 75)
{
    TConvertOptions options;
    options.Format = format;
    options.ResizeWidth = resize;
    options.Width = width;
    options.Quality = quality;
    return options;
}
} // namespace

class TConvertImageTest : public QObject, private TPicFixture
{
    Q_OBJECT

private:
    std::optional<TTestHome> FHome;

    static TConverter Converter(const TStandIn& standIn, const TConvertOptions& options)
    {
        return TConverter(TConvertTools::InFolder(standIn.Folder()), options);
    }

private Q_SLOTS:
    void init()
    {
        FHome.emplace();
        NewPicFolder();
    }
    void cleanup()
    {
        RemovePicFolder();
        FHome.reset();
    }

    void outputFileName_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("outputFolder");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("expected");

        QTest::newRow("beside the source")
            << u"a.jpg"_s << u"PNG"_s << QString() << QStringList() << u"a.png"_s;
        QTest::newRow("extension in lower case")
            << u"a.jpg"_s << u"TIFF"_s << QString() << QStringList() << u"a.tiff"_s;
        QTest::newRow("only A to Z lowered")
            << u"a.jpg"_s << u"WEBPÄ"_s << QString() << QStringList() << u"a.webpÄ"_s;
        QTest::newRow("numbered past existing files")
            << u"a.jpg"_s << u"PNG"_s << QString()
            << QStringList{u"file:a.png"_s, u"file:a (1).png"_s} << u"a (2).png"_s;
        QTest::newRow("a link to a file counts") << u"a.jpg"_s << u"PNG"_s << QString()
                                                 << QStringList{u"link:a.png"_s} << u"a (1).png"_s;
        QTest::newRow("a folder of that name does not count")
            << u"a.jpg"_s << u"PNG"_s << QString() << QStringList{u"folder:a.png"_s} << u"a.png"_s;
        QTest::newRow("output folder")
            << u"a.jpg"_s << u"PNG"_s << u"out"_s << QStringList() << u"out/a.png"_s;
        QTest::newRow("output folder with trailing delimiter")
            << u"a.jpg"_s << u"PNG"_s << u"out/"_s << QStringList{u"file:out/a.png"_s}
            << u"out/a (1).png"_s;
        QTest::newRow("stem without extension")
            << u"scan"_s << u"PNG"_s << QString() << QStringList() << u"scan.png"_s;
        QTest::newRow("stem with several dots")
            << u"a.b.jpg"_s << u"PNG"_s << QString() << QStringList() << u"a.b.png"_s;
    }
    void outputFileName()
    {
        QFETCH(QString, source);
        QFETCH(QString, extension);
        QFETCH(QString, outputFolder);
        QFETCH(QStringList, entries);
        QFETCH(QString, expected);
        MakeEntries(QDir(Pics()), entries);
        const QString folder = outputFolder.isEmpty() ? QString() : Pic(outputFolder);
        QCOMPARE(GetOutputFileName(Pic(source), extension, folder), Pic(expected));
    }

    void reservationNeverTakesAnOccupiedName_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("expected");

        QTest::newRow("free") << QStringList() << u"a.png"_s;
        QTest::newRow("dangling link") << QStringList{u"dangling:a.png"_s} << u"a (1).png"_s;
        QTest::newRow("folder") << QStringList{u"folder:a.png"_s} << u"a (1).png"_s;
    }
    void reservationNeverTakesAnOccupiedName()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, expected);
        MakeEntries(QDir(Pics()), entries);
        const TOutputReservation reservation = ReserveOutputFile(Pic(u"a.jpg"_s), u"PNG"_s, {});
        QCOMPARE(reservation.FileName, Pic(expected));
        QVERIFY(QFileInfo(reservation.FileName).isFile());
        QVERIFY(!QFile::exists(Pic(u"never-made"_s)));
    }

    void reservationPassesAFileMadeMeanwhile()
    {
        const QString chosen = GetOutputFileName(Pic(u"a.jpg"_s), u"PNG"_s, {});
        QVERIFY(WriteFile(chosen, "theirs"));
        const TOutputReservation reservation = ReserveOutputFile(Pic(u"a.jpg"_s), u"PNG"_s, {});
        QCOMPARE(reservation.FileName, Pic(u"a (1).png"_s));
        QCOMPARE(ReadFile(chosen), QByteArray("theirs"));
    }

    void reservationFailsWithoutAFolder()
    {
        const TOutputReservation reservation =
            ReserveOutputFile(Pic(u"a.jpg"_s), u"PNG"_s, Pic(u"missing/deeper"_s));
        QVERIFY(!reservation.IsReserved());
        QVERIFY(!reservation.Error.isEmpty());
    }

    void generalPath_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("sourceType");
        QTest::addColumn<TConvertOptions>("options");
        QTest::addColumn<int>("scalePercent");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output");

        const auto on = TResizeWidth::On;
        const auto off = TResizeWidth::Off;
        QTest::newRow("JPG to PNG")
            << u"a.jpg"_s << u"JPG"_s << Options(u"PNG"_s) << 0 << QStringList()
            << QStringList{u"{pics}/a.jpg[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-quality"_s,        u"75"_s,      u"{pics}/a.png"_s}
            << u"a.png"_s;
        QTest::newRow("GIF to GIF at a width, the source taking the name")
            << u"b.gif"_s << u"GIF"_s << Options(u"GIF"_s, on, 540) << 0
            << QStringList{u"file:b.gif"_s}
            << QStringList{u"{pics}/b.gif"_s, u"-auto-orient"_s, u"-resize"_s,         u"540x"_s,
                           u"-quality"_s,     u"75"_s,           u"{pics}/b (1).gif"_s}
            << u"b (1).gif"_s;
        QTest::newRow("SVG to PNG at a width")
            << u"c.svg"_s << u"SVG"_s << Options(u"PNG"_s, on, 300) << 0 << QStringList()
            << QStringList{u"-background"_s,
                           u"none"_s,
                           u"-density"_s,
                           u"300"_s,
                           u"{pics}/c.svg[0]"_s,
                           u"+repage"_s,
                           u"-auto-orient"_s,
                           u"-resize"_s,
                           u"300x"_s,
                           u"{pics}/c.png"_s}
            << u"c.png"_s;
        QTest::newRow("SVG without a width")
            << u"c.svg"_s << u"SVG"_s << Options(u"PNG"_s, off, 300) << 0 << QStringList()
            << QStringList{u"-background"_s, u"none"_s,         u"{pics}/c.svg[0]"_s,
                           u"+repage"_s,     u"-auto-orient"_s, u"{pics}/c.png"_s}
            << u"c.png"_s;
        QTest::newRow("WEBP at 100 is lossless")
            << u"d.png"_s << u"PNG"_s << Options(u"WEBP"_s, off, 540, 100) << 0 << QStringList()
            << QStringList{u"{pics}/d.png"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-coalesce"_s,    u"-define"_s, u"webp:lossless=true"_s,
                           u"{pics}/d.webp"_s}
            << u"d.webp"_s;
        QTest::newRow("WEBP at 99")
            << u"d.png"_s << u"PNG"_s << Options(u"WEBP"_s, off, 540, 99) << 0 << QStringList()
            << QStringList{u"{pics}/d.png"_s, u"+repage"_s, u"-auto-orient"_s, u"-coalesce"_s,
                           u"-quality"_s,     u"99"_s,      u"{pics}/d.webp"_s}
            << u"d.webp"_s;
        QTest::newRow("lower-case webp reads the first frame only")
            << u"d.png"_s << u"PNG"_s << Options(u"webp"_s, off, 540, 99) << 0 << QStringList()
            << QStringList{u"{pics}/d.png[0]"_s, u"+repage"_s, u"-auto-orient"_s, u"-coalesce"_s,
                           u"-quality"_s,        u"99"_s,      u"{pics}/d.webp"_s}
            << u"d.webp"_s;
        QTest::newRow("an animated WEBP keeps where its frames lie")
            << u"w.webp"_s << u"WEBP"_s << Options(u"WEBP"_s) << 0 << QStringList{u"file:w.webp"_s}
            << QStringList{u"{pics}/w.webp"_s, u"-auto-orient"_s, u"-coalesce"_s,
                           u"-quality"_s,      u"75"_s,           u"{pics}/w (1).webp"_s}
            << u"w (1).webp"_s;
        QTest::newRow("GIF source gets a quality")
            << u"g.gif"_s << u"GIF"_s << Options(u"PNG"_s) << 0 << QStringList()
            << QStringList{u"{pics}/g.gif[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-quality"_s,        u"75"_s,      u"{pics}/g.png"_s}
            << u"g.png"_s;
        QTest::newRow("RAW source gets a quality")
            << u"r.cr2"_s << u"RAW"_s << Options(u"TIFF"_s) << 0 << QStringList()
            << QStringList{u"{pics}/r.cr2[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-quality"_s,        u"75"_s,      u"{pics}/r.tiff"_s}
            << u"r.tiff"_s;
        QTest::newRow("PNG source to GIF gets no quality")
            << u"d.png"_s << u"PNG"_s << Options(u"GIF"_s) << 0 << QStringList()
            << QStringList{u"{pics}/d.png"_s, u"+repage"_s, u"-auto-orient"_s, u"{pics}/d.gif"_s}
            << u"d.gif"_s;
        QTest::newRow("PNG source to TIFF gets no quality")
            << u"d.png"_s << u"PNG"_s << Options(u"TIFF"_s) << 0 << QStringList()
            << QStringList{u"{pics}/d.png[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"{pics}/d.tiff"_s}
            << u"d.tiff"_s;
        QTest::newRow("scale percent") << u"p-001.bmp"_s << u"BMP"_s << Options(u"PNG"_s) << 25
                                       << QStringList() << QStringList{u"{pics}/p-001.bmp[0]"_s,
                                                                       u"+repage"_s,
                                                                       u"-auto-orient"_s,
                                                                       u"-resize"_s,
                                                                       u"25%"_s,
                                                                       u"{pics}/p-001.png"_s}
                                       << u"p-001.png"_s;
        QTest::newRow("a width wins over the scale percent")
            << u"p-001.bmp"_s << u"BMP"_s << Options(u"PNG"_s, on, 800) << 25 << QStringList()
            << QStringList{u"{pics}/p-001.bmp[0]"_s,
                           u"+repage"_s,
                           u"-auto-orient"_s,
                           u"-resize"_s,
                           u"800x"_s,
                           u"{pics}/p-001.png"_s}
            << u"p-001.png"_s;
        QTest::newRow("collision past two existing outputs")
            << u"a.jpg"_s << u"JPG"_s << Options(u"PNG"_s) << 0
            << QStringList{u"file:a.png"_s, u"file:a (1).png"_s}
            << QStringList{u"{pics}/a.jpg[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-quality"_s,        u"75"_s,      u"{pics}/a (2).png"_s}
            << u"a (2).png"_s;
        QTest::newRow("percent signs reach ImageMagick doubled")
            << u"100%d.jpg"_s << u"JPG"_s << Options(u"PNG"_s) << 0 << QStringList()
            << QStringList{u"{pics}/100%%d.jpg[0]"_s,
                           u"+repage"_s,
                           u"-auto-orient"_s,
                           u"-quality"_s,
                           u"75"_s,
                           u"{pics}/100%%d.png"_s}
            << u"100%d.png"_s;
    }
    void generalPath()
    {
        QFETCH(QString, source);
        QFETCH(QString, sourceType);
        QFETCH(TConvertOptions, options);
        QFETCH(int, scalePercent);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        MakeEntries(QDir(Pics()), entries);
        const TStandIn standIn;

        const TConvertResult result =
            Converter(standIn, options).ConvertImage(Pic(source), sourceType, scalePercent, {});

        QVERIFY2(result.Succeeded, qPrintable(result.Reason));
        const QList<TStandInCall> calls = standIn.Calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].Program, u"magick"_s);
        QCOMPARE(calls[0].Arguments, Expand(arguments, Pics()));
        QCOMPARE(QFileInfo(calls[0].WorkingFolder).canonicalFilePath(),
                 QFileInfo(standIn.Folder()).canonicalFilePath());
        QCOMPARE(ReadFile(Pic(output)), QByteArray("written by magick\n"));
        for (const QString& entry : entries) {
            if (entry.startsWith(u"file:"))
                QCOMPARE(ReadFile(Pic(entry.section(u':', 1))), QByteArray("existing"));
        }
    }

    void jpegPath_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("sourceType");
        QTest::addColumn<TConvertOptions>("options");
        QTest::addColumn<QStringList>("leadingArguments");

        QTest::newRow("PNG to JPG") << u"e.png"_s << u"PNG"_s << Options(u"JPG"_s)
                                    << QStringList{u"{pics}/e.png[0]"_s, u"-auto-orient"_s};
        QTest::newRow("lower-case jpg") << u"e.png"_s << u"PNG"_s << Options(u"jpg"_s)
                                        << QStringList{u"{pics}/e.png[0]"_s, u"-auto-orient"_s};
        QTest::newRow("SVG at a width")
            << u"e.svg"_s << u"SVG"_s << Options(u"JPG"_s, TResizeWidth::On, 300)
            << QStringList{u"-background"_s,     u"none"_s,         u"-density"_s, u"300"_s,
                           u"{pics}/e.svg[0]"_s, u"-auto-orient"_s, u"-resize"_s,  u"300x"_s};
        QTest::newRow("GIF source gets no quality from ImageMagick")
            << u"e.gif"_s << u"GIF"_s << Options(u"JPG"_s)
            << QStringList{u"{pics}/e.gif[0]"_s, u"-auto-orient"_s};
    }
    void jpegPath()
    {
        QFETCH(QString, source);
        QFETCH(QString, sourceType);
        QFETCH(TConvertOptions, options);
        QFETCH(QStringList, leadingArguments);
        const TStandIn standIn;

        const TConvertResult result =
            Converter(standIn, options).ConvertImage(Pic(source), sourceType, 0, {});

        QVERIFY2(result.Succeeded, qPrintable(result.Reason));
        const QList<TStandInCall> calls = standIn.Calls();
        QCOMPARE(calls.size(), 2);
        const QString work = QRegularExpression::escape(FHome->ScratchFolder()) + u"/[^/]+/"_s;
        const QString stamp = u"\\d{8}_\\d{9}"_s;
        const QStringList magick = calls[0].Arguments;
        QCOMPARE(calls[0].Program, u"magick"_s);
        const QStringList bitmapOptions{u"-colorspace"_s, u"sRGB"_s,  u"-compress"_s,
                                        u"none"_s,        u"-type"_s, u"TrueColor"_s};
        QCOMPARE(magick.mid(0, magick.size() - 1),
                 Expand(leadingArguments, Pics()) + bitmapOptions);
        const QRegularExpression bitmap(u"^BMP3:("_s + work + stamp + u"\\.bmp)$"_s);
        const QRegularExpressionMatch bitmapMatch = bitmap.match(magick.last());
        QVERIFY2(bitmapMatch.hasMatch(), qPrintable(magick.last()));

        const QStringList encoder = calls[1].Arguments;
        QCOMPARE(calls[1].Program, u"cjpeg"_s);
        QCOMPARE(encoder.size(), 5);
        QCOMPARE(encoder.mid(0, 3), (QStringList{u"-quality"_s, u"75"_s, u"-outfile"_s}));
        const QRegularExpression jpeg(u"^"_s + work + stamp + u"\\."_s +
                                      QRegularExpression::escape(options.Format) + u"$"_s);
        QVERIFY2(jpeg.match(encoder[3]).hasMatch(), qPrintable(encoder[3]));
        QCOMPARE(encoder[4], bitmapMatch.captured(1));

        QCOMPARE(ReadFile(Pic(FileStem(source) + u".jpg"_s)), QByteArray("written by cjpeg\n"));
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("printingProgram");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("silentProgram");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("reason");

        QTest::newRow("a printed warning deletes the written output")
            << AllPrograms << u"magick"_s << u"convert: warning one\nwarning two\n"_s << QString()
            << u"PNG"_s << u"convert: warning one\nwarning two"_s;
        QTest::newRow("only the first lines are kept")
            << AllPrograms << u"magick"_s << u"1\n\n2\n3\n4\n"_s << QString() << u"PNG"_s
            << u"1\n2\n3"_s;
        QTest::newRow("ImageMagick writes nothing")
            << AllPrograms << QString() << QString() << u"magick"_s << u"PNG"_s
            << u"no output was written"_s;
        QTest::newRow("ImageMagick missing")
            << QStringList{u"cjpeg"_s, u"gs"_s} << QString() << QString() << QString() << u"PNG"_s
            << u"ImageMagick not found"_s;
        QTest::newRow("ImageMagick missing on the JPEG path")
            << QStringList{u"cjpeg"_s, u"gs"_s} << QString() << QString() << QString() << u"JPG"_s
            << u"ImageMagick not found"_s;
        QTest::newRow("cjpeg missing")
            << QStringList{u"magick"_s, u"gs"_s} << QString() << QString() << QString() << u"JPG"_s
            << u"cjpeg not found"_s;
        QTest::newRow("the encoder rejects the bitmap")
            << AllPrograms << u"cjpeg"_s << u"Only 8-, 24-, and 32-bit BMP files are supported\n"_s
            << u"cjpeg"_s << u"JPG"_s << u"Only 8-, 24-, and 32-bit BMP files are supported"_s;
        QTest::newRow("ImageMagick cannot read the input")
            << AllPrograms << u"magick"_s << u"convert: unable to open image\n"_s << u"magick"_s
            << u"JPG"_s << u"convert: unable to open image"_s;
    }
    void failures()
    {
        QFETCH(QStringList, programs);
        QFETCH(QString, printingProgram);
        QFETCH(QString, printed);
        QFETCH(QString, silentProgram);
        QFETCH(QString, format);
        QFETCH(QString, reason);
        TStandIn standIn(programs);
        if (!printingProgram.isEmpty())
            standIn.SetPrinted(printingProgram, printed);
        if (!silentProgram.isEmpty())
            standIn.SetWritesNothing(silentProgram);
        QVERIFY(WriteFile(Pic(u"a.jpg"_s), "source"));

        const TConvertResult result =
            Converter(standIn, Options(format)).ConvertImage(Pic(u"a.jpg"_s), u"JPG"_s, 0, {});

        QVERIFY(!result.Succeeded);
        QCOMPARE(result.Reason, reason);
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), QStringList{u"a.jpg"_s});
        QCOMPARE(ReadFile(Pic(u"a.jpg"_s)), QByteArray("source"));
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void jpegPathIgnoresPrintedTextWhenTheFileIsWritten()
    {
        TStandIn standIn;
        standIn.SetPrinted(u"magick"_s, u"convert: warning\n"_s);
        standIn.SetPrinted(u"cjpeg"_s, u"note\n"_s);
        const TConvertResult result =
            Converter(standIn, Options(u"JPG"_s)).ConvertImage(Pic(u"a.png"_s), u"PNG"_s, 0, {});
        QVERIFY(result.Succeeded);
        QCOMPARE(ReadFile(Pic(u"a.jpg"_s)), QByteArray("written by cjpeg\n"));
    }

    void unwritableScratchFolderFailsTheJpegPath()
    {
        QVERIFY(QDir().mkpath(FHome->CacheHome()));
        QVERIFY(WriteFile(FHome->ScratchFolder(), "a file where the folder belongs"));
        const TStandIn standIn;
        const TConvertResult result =
            Converter(standIn, Options(u"JPG"_s)).ConvertImage(Pic(u"a.png"_s), u"PNG"_s, 0, {});
        QVERIFY(!result.Succeeded);
        QCOMPARE(result.Reason, u"the scratch folder cannot be written"_s);
        QVERIFY(standIn.Calls().isEmpty());
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), QStringList());
    }

    void outputNeverWrittenThroughALink()
    {
        MakeEntries(QDir(Pics()), {u"dangling:a.png"_s});
        const TStandIn standIn;
        const TConvertResult result =
            Converter(standIn, Options(u"PNG"_s)).ConvertImage(Pic(u"a.jpg"_s), u"JPG"_s, 0, {});
        QVERIFY(result.Succeeded);
        QCOMPARE(standIn.Calls().value(0).Arguments.last(), Pic(u"a (1).png"_s));
        QVERIFY(!QFile::exists(Pic(u"never-made"_s)));
    }

    void relativePathsAreMadeAbsolute()
    {
        const TStandIn standIn;
        TConvertOptions options = Options(u"PNG"_s);
        options.OutputFolder = u"out"_s;
        QVERIFY(QDir(Pics()).mkdir(u"out"_s));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(Pics());
        const TConvertResult result =
            Converter(standIn, options).ConvertImage(u"-x.jpg"_s, u"PNG"_s, 0, {});
        QDir::setCurrent(previous);

        QVERIFY(result.Succeeded);
        QCOMPARE(standIn.Calls().value(0).Arguments,
                 (QStringList{Pic(u"-x.jpg[0]"_s), u"+repage"_s, u"-auto-orient"_s,
                              Pic(u"out/-x.png"_s)}));
    }

    void simultaneousConversionsNeverShareANameOrAScratchFile()
    {
        const TStandIn standIn;
        const TConverter converter = Converter(standIn, Options(u"JPG"_s));
        constexpr int Count = 4;
        QList<TConvertResult> results(Count);
        std::vector<std::thread> workers;
        for (int i = 0; i < Count; ++i) {
            workers.emplace_back(
                [&, i] { results[i] = converter.ConvertImage(Pic(u"a.png"_s), u"PNG"_s, 0, {}); });
        }
        for (std::thread& worker : workers)
            worker.join();

        for (const TConvertResult& result : std::as_const(results))
            QVERIFY2(result.Succeeded, qPrintable(result.Reason));
        QStringList expected{u"a.jpg"_s};
        for (int i = 1; i < Count; ++i)
            expected << u"a (%1).jpg"_s.arg(i);
        QStringList outputs = QDir(Pics()).entryList(QDir::Files);
        outputs.sort();
        expected.sort();
        QCOMPARE(outputs, expected);
        QSet<QString> bitmaps;
        for (const TStandInCall& call : standIn.CallsOf(u"cjpeg"_s))
            bitmaps.insert(call.Arguments.last());
        QCOMPARE(bitmaps.size(), Count);
    }

    void toolFolderGivenIsTheOnlyPlaceLookedAt()
    {
        const TStandIn standIn({u"magick"_s});
        QVERIFY(WriteFile(standIn.Folder() + u"/gs"_s, "not a program"));
        const TConvertTools tools = TConvertTools::InFolder(standIn.Folder());
        QCOMPARE(tools.ImageMagick, standIn.Folder() + u"/magick"_s);
        QCOMPARE(tools.JpegEncoder, QString());
        QCOMPARE(tools.Ghostscript, QString());
        QCOMPARE(tools.ScratchFolder, FHome->ScratchFolder());
    }

    void convertCountsOnlyWhenItNamesImageMagick_data()
    {
        QTest::addColumn<QString>("printed");
        QTest::addColumn<bool>("isImageMagick");

        QTest::newRow("ImageMagick 6") << u"Version: ImageMagick 6.9.11-60 Q16 x86_64\n"_s << true;
        QTest::newRow("another program") << u"Converts a FAT volume to NTFS.\n"_s << false;
        QTest::newRow("silent") << QString() << false;
    }
    void convertCountsOnlyWhenItNamesImageMagick()
    {
        QFETCH(QString, printed);
        QFETCH(bool, isImageMagick);
        TStandIn standIn({u"convert"_s});
        standIn.SetPrinted(u"convert"_s, printed);
        QCOMPARE(IsImageMagick(standIn.Folder() + u"/convert"_s), isImageMagick);
        QCOMPARE(standIn.Calls().value(0).Arguments, QStringList{u"-version"_s});
    }
};

QTEST_GUILESS_MAIN(TConvertImageTest)
#include "tst_convertimage.moc"
