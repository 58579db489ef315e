#include "input/FileType.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {

QByteArray Hex(const char* bytes)
{
    return QByteArray::fromHex(bytes);
}

// Long enough for the signature test, which skips files of 12 bytes or fewer.
QByteArray Long(const QByteArray& start)
{
    return start + QByteArray(qMax<qsizetype>(16 - start.size(), 1), 'x');
}

} // namespace

class TFileTypeTest : public QObject
{
    Q_OBJECT

private:
    QString WriteFixture(const QString& name, const QByteArray& content)
    {
        const QString path = FDir->filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return QString();
        return path;
    }

    std::unique_ptr<QTemporaryDir> FDir;

private Q_SLOTS:
    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
    }

    void detects_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");

        const QByteArray jpegStart = Hex("FF D8 FF E0 00 10 4A 46 49 46 00 01");
        const QByteArray pdf = Long("%PDF-1.5\n");
        const QByteArray unknown = Long("plain text, nothing else");

        QTest::newRow("12-byte JPEG start named .jpg") << u"a.jpg"_s << jpegStart << u"JPG"_s;
        QTest::newRow("12-byte JPEG start named .JpG") << u"a.JpG"_s << jpegStart << u"JPG"_s;
        QTest::newRow("12-byte JPEG start named .tif") << u"a.tif"_s << jpegStart << QString();
        QTest::newRow("13-byte JPEG named .tif") << u"a.tif"_s << jpegStart + 'x' << u"JPG"_s;
        QTest::newRow("empty file named .png") << u"x.png"_s << QByteArray() << u"PNG"_s;
        QTest::newRow("empty file named .tif") << u"x.tif"_s << QByteArray() << QString();
        QTest::newRow("JPEG named .png") << u"photo.png"_s << Long(jpegStart) << u"JPG"_s;

        QTest::newRow("PDF named .ai") << u"a.ai"_s << pdf << u"AI"_s;
        QTest::newRow("PDF named .AI") << u"a.AI"_s << pdf << u"AI"_s;
        QTest::newRow("PDF named .Ai") << u"a.Ai"_s << pdf << u"AI"_s;
        QTest::newRow("PDF named .pdf") << u"a.pdf"_s << pdf << u"PDF"_s;
        QTest::newRow("PDF named .txt") << u"a.txt"_s << pdf << u"PDF"_s;
        QTest::newRow("PostScript named .ai") << u"a.ai"_s << Long("%!PS-Adobe-3.0") << u"EPS"_s;

        QTest::newRow("unknown content named .jpeg") << u"scan.jpeg"_s << unknown << u"JPEG"_s;
        QTest::newRow("unknown content named .tiff") << u"scan.tiff"_s << unknown << QString();
        QTest::newRow("unknown content named .txt") << u"notes.txt"_s << unknown << QString();
        QTest::newRow("no extension") << u"README"_s << unknown << QString();
        QTest::newRow("dot only in folder name") << u"album.png/scan"_s << unknown << QString();
        QTest::newRow("SVG by extension")
            << u"d.svg"_s << QByteArray("<?xml version=\"1.0\"?><svg/>") << u"SVG"_s;
        QTest::newRow("TGA by extension")
            << u"i.tga"_s << Hex("00 00 02 00 00 00 00 00 00 00 00 00 10 00") << u"TGA"_s;
        QTest::newRow("TGA content named .bin")
            << u"i.bin"_s << Hex("00 00 02 00 00 00 00 00 00 00 00 00 10 00") << QString();
        QTest::newRow("cursor") << u"arrow.cur"_s << Long(Hex("00 00 02 00 01 00 20 20"))
                                << QString();

        QTest::newRow("WebP") << u"a.bin"_s << Long("RIFF" + Hex("24 10 00 00") + "WEBPVP8 ")
                              << u"WEBP"_s;
        QTest::newRow("WebP marker alone at offset 8")
            << u"a.bin"_s << Long("????????WEBP") << u"WEBP"_s;
        QTest::newRow("JXR") << u"a.bin"_s << Long(Hex("49 49 BC 01")) << u"JXR"_s;
        QTest::newRow("RAW before IIQ") << u"a.bin"_s << Long(Hex("49 49 55 00")) << u"RAW"_s;
        QTest::newRow("IIQ") << u"a.bin"_s << Long(Hex("49 49 55 01")) << u"IIQ"_s;
        QTest::newRow("TIFF, little-endian") << u"a.bin"_s << Long(Hex("49 49 2A 00")) << u"TIFF"_s;
        QTest::newRow("TIFF, big-endian") << u"a.bin"_s << Long(Hex("4D 4D 00 2A")) << u"TIFF"_s;
        QTest::newRow("BigTIFF") << u"a.bin"_s << Long(Hex("4D 4D 00 2B")) << u"TIFF"_s;
        QTest::newRow("PNG named .jpg")
            << u"a.jpg"_s << Long(Hex("89 50 4E 47 0D 0A 1A 0A")) << u"PNG"_s;
        QTest::newRow("ICO") << u"a.bin"_s << Long(Hex("00 00 01 00 01 00")) << u"ICO"_s;
        QTest::newRow("JPEG 2000 signature box")
            << u"a.bin"_s << Long(Hex("00 00 00 0C 6A 50 20 20 0D 0A 87 0A")) << u"JPEG2000"_s;
        QTest::newRow("UltraHDR") << u"a.bin"_s << Long("UHDR") << u"UltraHDR"_s;

        // PCX: 0x0A, version, encoding 1, bits per pixel.
        for (const char* header : {"0A 05 01 01", "0A 05 01 02", "0A 05 01 04", "0A 05 01 08",
                                   "0A 00 01 08", "0A 02 01 04", "0A 03 01 01", "0A 04 01 08"})
            QTest::addRow("PCX %s", header) << u"a.bin"_s << Long(Hex(header)) << u"PCX"_s;
        for (const char* header : {"0A 01 01 08", "0A 06 01 08", "0A 05 00 08", "0A 05 02 08",
                                   "0A 05 01 03", "0A 05 01 18", "0A 05 01 00"})
            QTest::addRow("not PCX %s", header) << u"a.bin"_s << Long(Hex(header)) << QString();
        QTest::newRow("text after a blank line")
            << u"notes.txt"_s << Long("\nDear reader,\n") << QString();
        QTest::newRow("text starting with PCX") << u"a.bin"_s << Long("PCX file list") << QString();

        const QByteArray avif = Long(Hex("00 00 00 1C") + "ftypavif");
        const QByteArray avifOtherBox = Long(Hex("00 00 00 20") + "ftypavif");
        const QByteArray heic = Long(Hex("00 00 00 18") + "ftypheic");
        QTest::newRow("AVIF") << u"a.bin"_s << avif << u"AVIF"_s;
        QTest::newRow("AVIF brand, other box size") << u"a.bin"_s << avifOtherBox << QString();
        QTest::newRow("AVIF brand, other box size, .avif")
            << u"a.avif"_s << avifOtherBox << u"AVIF"_s;
        QTest::newRow("HEIC") << u"a.bin"_s << heic << u"HEIC"_s;
        QTest::newRow("HEIC named .jpg") << u"a.jpg"_s << heic << u"HEIC"_s;
    }
    void detects()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const QString path = WriteFixture(fileName, content);
        QVERIFY(!path.isEmpty());
        QCOMPARE(DetectFileType(path), expected);
    }

    void missingFileByExtension_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("jpg") << u"missing.jpg"_s << u"JPG"_s;
        QTest::newRow("JPEG") << u"missing.JPEG"_s << u"JPEG"_s;
        QTest::newRow("ai") << u"missing.ai"_s << u"AI"_s;
        QTest::newRow("cur") << u"missing.cur"_s << QString();
        QTest::newRow("dot in missing folder") << u"nowhere.png/missing"_s << QString();
    }
    void missingFileByExtension()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, expected);
        QCOMPARE(DetectFileType(FDir->filePath(fileName)), expected);
    }

    void folderByExtension()
    {
        const QString path = FDir->filePath(u"album.png"_s);
        QVERIFY(QDir().mkpath(path));
        QCOMPARE(DetectFileType(path), u"PNG"_s);
    }

    void namedPipeDoesNotBlock()
    {
#ifdef Q_OS_UNIX
        const QString path = FDir->filePath(u"pipe.png"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QCOMPARE(DetectFileType(path), u"PNG"_s);
#else
        QSKIP("named pipes are a Unix matter");
#endif
    }

    void unreadableFileByExtension()
    {
        const QString path = WriteFixture(u"photo.png"_s, Long(Hex("FF D8 FF E0")));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("permissions do not keep this user out (running as root?)");
        QCOMPARE(DetectFileType(path), u"PNG"_s);
    }

    void fileNamePart_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("slashes") << u"/home/u/pic.png"_s << u"pic.png"_s;
        QTest::newRow("backslashes") << u"C:\\Users\\u\\pic.png"_s << u"pic.png"_s;
        QTest::newRow("drive-relative") << u"C:pic.png"_s << u"pic.png"_s;
        QTest::newRow("mixed delimiters") << u"C:\\a/b\\pic.png"_s << u"pic.png"_s;
        QTest::newRow("bare name") << u"pic.png"_s << u"pic.png"_s;
        QTest::newRow("trailing delimiter") << u"C:\\photos\\"_s << QString();
    }
    void fileNamePart()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(FileNamePart(path), expected);
    }
};

QTEST_GUILESS_MAIN(TFileTypeTest)
#include "tst_filetype.moc"
