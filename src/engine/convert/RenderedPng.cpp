#include "convert/RenderedPng.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {
const QByteArray PngSignature("\x89PNG\r\n\x1A\n", 8);
// Length, type and checksum around each chunk's data.
constexpr qsizetype ChunkFrame = 12;
} // namespace

QByteArray PlainRenderedPng(const QByteArray& png)
{
    if (!png.startsWith(PngSignature))
        return png;
    QByteArray plain = PngSignature;
    for (qsizetype at = PngSignature.size(); png.size() - at >= ChunkFrame;) {
        const quint32 dataSize = qFromBigEndian<quint32>(png.constData() + at);
        if (qint64(dataSize) > qint64(png.size() - at - ChunkFrame))
            break;
        const qsizetype chunkSize = ChunkFrame + qsizetype(dataSize);
        const QByteArrayView type(png.constData() + at + 4, 4);
        if (type != "iCCP")
            plain += QByteArrayView(png.constData() + at, chunkSize);
        if (type == "IEND")
            return plain;
        at += chunkSize;
    }
    return png;
}

TResult<> MakeRenderedPngPlain(const QString& path)
{
    QFile rendered(path);
    if (!rendered.open(QIODevice::ReadOnly))
        return Failed(rendered.errorString());
    const QByteArray png = rendered.readAll();
    if (rendered.error() != QFileDevice::NoError)
        return Failed(rendered.errorString());
    rendered.close();
    const QByteArray plain = PlainRenderedPng(png);
    if (plain == png)
        return {};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(plain) != plain.size() || !file.commit())
        return Failed(file.errorString());
    return {};
}
