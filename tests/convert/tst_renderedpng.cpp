#include "convert/RenderedPng.h"

#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {
const QByteArray Signature("\x89PNG\r\n\x1A\n", 8);

// A chunk as it stands in a file; the checksum is not looked at, so it is left zero.
QByteArray Chunk(const QByteArray& type, const QByteArray& data)
{
    QByteArray size(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), size.data());
    return size + type + data + QByteArray(4, '\0');
}

const QByteArray Header = Chunk("IHDR", QByteArray(13, '\1'));
const QByteArray Profile = Chunk("iCCP", "sRGB\0\0profile"_ba);
const QByteArray Pixels = Chunk("IDAT", "pixels"_ba);
const QByteArray End = Chunk("IEND", {});
} // namespace

class TRenderedPngTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void plainRenderedPng_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QByteArray>("plain");

        const QByteArray withoutProfile = Signature + Header + Pixels + End;
        const QByteArray withProfile = Signature + Header + Profile + Pixels + End;
        QTest::newRow("profile left out") << withProfile << withoutProfile;
        QTest::newRow("without a profile") << withoutProfile << withoutProfile;
        QTest::newRow("pages after the first left out")
            << withProfile + withProfile + withoutProfile << withoutProfile;
        QTest::newRow("not a PNG") << "written by gs\n"_ba
                                   << "written by gs\n"_ba;
        QTest::newRow("cut inside a chunk") << withProfile.left(withProfile.size() - 14)
                                            << withProfile.left(withProfile.size() - 14);
        QTest::newRow("without an end")
            << (Signature + Header + Profile + Pixels) << (Signature + Header + Profile + Pixels);
        const QByteArray endless = Signature + "\xFF\xFF\xFF\xFF"_ba + "iCCP" + QByteArray(8, '\0');
        QTest::newRow("chunk larger than the file") << endless << endless;
    }
    void plainRenderedPng()
    {
        QFETCH(QByteArray, png);
        QFETCH(QByteArray, plain);
        QCOMPARE(PlainRenderedPng(png), plain);
    }
};

QTEST_GUILESS_MAIN(TRenderedPngTest)
#include "tst_renderedpng.moc"
