#include "input/FileType.h"

#include <QFile>
#include <QMimeDatabase>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// File managers offer "Open with Morvane" for the MIME types that the menu entry names. These
// tests hold the entry to what detection lists: every named type is registered with
// shared-mime-info and a real file of it is detected, and every file that detection takes by its
// extension alone has its type named.

namespace {

struct TSample
{
    const char* MimeType;
    const char* FileName;
    const char* HexStart;
};

// The first bytes of a real file of each type that Morvane reads, under a name it commonly has.
// Camera RAW files are TIFF inside; shared-mime-info tells most of them apart by the name.
constexpr TSample Samples[] = {
    {"image/jpeg", "photo.jpg", "FFD8FFE000104A46494600010100"},
    {"image/png", "photo.png", "89504E470D0A1A0A0000000D49484452"},
    {"image/gif", "photo.gif", "474946383961010001000000"},
    {"image/webp", "photo.webp", "52494646240000005745425056503820"},
    {"image/tiff", "photo.tif", "49492A0008000000"},
    {"image/bmp", "photo.bmp", "424D3A0000000000000036000000280000000100000001000000"},
    {"image/heif", "photo.heic", "0000001866747970686569630000000068656963"},
    {"image/avif", "photo.avif", "0000001C6674797061766966000000006176696661766966"},
    {"image/svg+xml", "drawing.svg",
     "3C73766720786D6C6E733D22687474703A2F2F7777772E77332E6F72672F323030302F737667222F3E"},
    {"image/vnd.microsoft.icon", "icon.ico", "00000100010010100000010020006804"},
    {"image/vnd.adobe.photoshop", "layers.psd", "38425053000100000000000000030001"},
    {"image/x-tga", "picture.tga", "000002000000000000000000010001001800"},
    {"image/vnd.zbrush.pcx", "picture.pcx", "0A050108000000000000000000000000"},
    {"image/wmf", "drawing.wmf", "D7CDC69A0000000000000000"},
    {"image/x-sun-raster", "picture.sun", "59A66A950000000100000001"},
    {"image/jp2", "picture.jp2", "0000000C6A5020200D0A870A"},
    {"image/x-dds", "texture.dds", "444453207C000000"},
    {"image/x-panasonic-rw", "camera.raw", "4949550008000000"},
    {"image/x-panasonic-rw2", "camera.rw2", "4949550018000000"},
    {"image/x-adobe-dng", "camera.dng", "49492A0008000000"},
    {"image/x-canon-cr2", "camera.cr2", "49492A00100000004352020000000000"},
    {"image/x-nikon-nef", "camera.nef", "4D4D002A00000008"},
    {"image/x-nikon-nrw", "camera.nrw", "49492A0008000000"},
    {"image/x-pentax-pef", "camera.pef", "4D4D002A00000008"},
    {"image/x-sony-arw", "camera.arw", "49492A0008000000"},
    {"image/x-sony-sr2", "camera.sr2", "49492A0008000000"},
    {"image/x-sony-srf", "camera.srf", "49492A0008000000"},
    {"image/x-kodak-dcr", "camera.dcr", "49492A0008000000"},
    {"image/x-kodak-kdc", "camera.kdc", "49492A0008000000"},
    {"image/x-kodak-k25", "camera.k25", "49492A0008000000"},
    {"application/pdf", "document.pdf", "255044462D312E340A"},
    {"application/illustrator", "artwork.ai", "255044462D312E350A"},
    {"application/postscript", "document.ps", "252150532D41646F62652D332E300A"},
    {"image/x-eps", "figure.eps", "252150532D41646F62652D332E3020455053462D332E300A"},
};

QStringList EntryMimeTypes()
{
    QFile entry(QStringLiteral(MORVANE_DESKTOP_ENTRY));
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    while (!entry.atEnd()) {
        const QString line = QString::fromUtf8(entry.readLine()).trimmed();
        if (line.startsWith(u"MimeType="_s))
            return line.mid(line.indexOf(u'=') + 1).split(u';', Qt::SkipEmptyParts);
    }
    return {};
}

} // namespace

class TMimeTypesTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FDir;
    QMimeDatabase FDatabase;

private Q_SLOTS:
    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
    }

    void sampleOfNamedTypeIsDetected_data()
    {
        QTest::addColumn<QString>("mimeType");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("start");
        for (const TSample& sample : Samples)
            QTest::newRow(sample.MimeType)
                << QString::fromLatin1(sample.MimeType) << QString::fromLatin1(sample.FileName)
                << QByteArray::fromHex(sample.HexStart);
    }

    void sampleOfNamedTypeIsDetected()
    {
        QFETCH(QString, mimeType);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, start);

        QVERIFY2(EntryMimeTypes().contains(mimeType), "the menu entry does not name this type");
        // File managers look the type up by this name; an alias or a typo matches no file.
        QCOMPARE(FDatabase.mimeTypeForName(mimeType).name(), mimeType);

        // Detection skips files of 12 bytes or fewer, so the sample runs on past its header.
        const QString path = FDir->filePath(fileName);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(start + QByteArray(64, '\0')) == start.size() + 64);
        file.close();

        const QMimeType seen = FDatabase.mimeTypeForFile(path);
        QVERIFY2(seen.inherits(mimeType), qPrintable(u"shared-mime-info sees "_s + seen.name()));
        QVERIFY(!DetectFileType(path).isEmpty());
    }

    void entryNamesOnlySampledTypes()
    {
        QSet<QString> sampled;
        for (const TSample& sample : Samples)
            sampled.insert(QString::fromLatin1(sample.MimeType));

        const QStringList named = EntryMimeTypes();
        QVERIFY(!named.isEmpty());
        for (const QString& mimeType : named)
            QVERIFY2(sampled.contains(mimeType), qPrintable(mimeType + u" has no sample"_s));
        QCOMPARE(named.size(), QSet<QString>(named.begin(), named.end()).size());
    }

    void typeTakenByExtensionIsNamed()
    {
        const QStringList named = EntryMimeTypes();
        const QList<QMimeType> registered = FDatabase.allMimeTypes();
        QVERIFY(!registered.isEmpty());

        QStringList missing;
        for (const QMimeType& mimeType : registered) {
            for (const QString& suffix : mimeType.suffixes()) {
                // A missing file has no first bytes: detection can go by the name only.
                const QString path = FDir->filePath(u"missing."_s + suffix);
                if (!DetectFileType(path).isEmpty() && !named.contains(mimeType.name()))
                    missing << mimeType.name() + u" (*."_s + suffix + u')';
            }
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", "_s)));
    }
};

QTEST_GUILESS_MAIN(TMimeTypesTest)
#include "tst_mimetypes.moc"
