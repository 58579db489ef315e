#include "convert/PngChunks.h"

#include <QtEndian>

#include <array>

namespace {
constexpr QByteArrayView Signature("\x89PNG\r\n\x1a\n", 8);
// Length, type and checksum around a chunk's data.
constexpr qsizetype LengthSize = 4;
constexpr qsizetype TypeSize = 4;
constexpr qsizetype ChecksumSize = 4;
// Width and height lead the header chunk's data.
constexpr qsizetype HeaderDataSize = 13;

constexpr std::array<quint32, 256> MakeCrcTable()
{
    std::array<quint32, 256> table{};
    for (quint32 index = 0; index < 256; ++index) {
        quint32 crc = index;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        table[index] = crc;
    }
    return table;
}

// The CRC-32 that PNG puts after each chunk, over its type and data.
quint32 ChunkChecksum(QByteArrayView type, QByteArrayView data)
{
    static constexpr std::array<quint32, 256> Table = MakeCrcTable();
    quint32 crc = 0xFFFFFFFFu;
    for (const QByteArrayView part : {type, data}) {
        for (const char byte : part)
            crc = Table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

quint32 ReadBigEndian(QByteArrayView bytes, qsizetype offset)
{
    return qFromBigEndian<quint32>(bytes.data() + offset);
}

void AppendBigEndian(QByteArray& bytes, quint32 value)
{
    char buffer[4];
    qToBigEndian(value, buffer);
    bytes.append(buffer, 4);
}

void AppendChunk(QByteArray& file, QByteArrayView type, QByteArrayView data)
{
    AppendBigEndian(file, quint32(data.size()));
    file.append(type);
    file.append(data);
    AppendBigEndian(file, ChunkChecksum(type, data));
}
} // namespace

QByteArrayView TPngChunkView::Keyword() const
{
    const qsizetype end = Data.indexOf('\0');
    return end < 0 ? Data : Data.first(end);
}

bool TPngChunkView::IsText() const
{
    return Type == "tEXt" || Type == "zTXt" || Type == "iTXt";
}

bool HasPngSignature(QByteArrayView bytes)
{
    return bytes.startsWith(Signature);
}

std::optional<TPngFile> TPngFile::Parse(QByteArrayView bytes)
{
    if (!HasPngSignature(bytes))
        return std::nullopt;
    TPngFile file;
    for (qsizetype offset = Signature.size(); offset < bytes.size();) {
        if (bytes.size() - offset < LengthSize + TypeSize + ChecksumSize)
            return std::nullopt;
        const quint32 length = ReadBigEndian(bytes, offset);
        const qsizetype dataStart = offset + LengthSize + TypeSize;
        if (length > quint64(bytes.size() - dataStart - ChecksumSize))
            return std::nullopt;
        const TPngChunkView chunk{bytes.sliced(offset + LengthSize, TypeSize),
                                  bytes.sliced(dataStart, length)};
        if (ReadBigEndian(bytes, dataStart + length) != ChunkChecksum(chunk.Type, chunk.Data))
            return std::nullopt;
        file.FChunks.append(chunk);
        offset = dataStart + length + ChecksumSize;
    }
    if (file.FChunks.isEmpty() || file.FChunks.first().Type != "IHDR" ||
        file.FChunks.first().Data.size() != HeaderDataSize)
        return std::nullopt;
    return file;
}

quint32 TPngFile::Width() const
{
    return ReadBigEndian(FChunks.first().Data, 0);
}

quint32 TPngFile::Height() const
{
    return ReadBigEndian(FChunks.first().Data, 4);
}

QByteArray TPngFile::Rewritten(const std::function<bool(const TPngChunkView&)>& isLeftOut,
                               const QList<TPngChunk>& added) const
{
    qsizetype size = Signature.size();
    for (const TPngChunkView& chunk : FChunks)
        size += LengthSize + TypeSize + chunk.Data.size() + ChecksumSize;
    for (const TPngChunk& chunk : added)
        size += LengthSize + TypeSize + chunk.Data.size() + ChecksumSize;
    QByteArray file;
    file.reserve(size);
    file.append(Signature);
    for (const TPngChunkView& chunk : FChunks) {
        if (&chunk != &FChunks.first() && isLeftOut(chunk))
            continue;
        AppendChunk(file, chunk.Type, chunk.Data);
        if (&chunk == &FChunks.first()) {
            for (const TPngChunk& newChunk : added)
                AppendChunk(file, newChunk.Type, newChunk.Data);
        }
    }
    return file;
}
