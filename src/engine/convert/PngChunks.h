#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <functional>
#include <optional>

// A PNG file taken apart into its chunks, to add or leave out the ones that hold text and photo
// information without touching the picture. A plain value over the file's bytes, which it does not
// own: keep them alive while it is used. Any thread.

struct TPngChunk
{
    // Four letters, "IHDR", "eXIf", ...
    QByteArray Type;
    QByteArray Data;
};

// One chunk as it lies in the file.
struct TPngChunkView
{
    QByteArrayView Type;
    QByteArrayView Data;
    // The keyword of a text chunk (tEXt, zTXt, iTXt): the Latin-1 text before its first zero byte.
    QByteArrayView Keyword() const;
    bool IsText() const;
};

// Whether the bytes begin as a PNG file does, whole or not.
bool HasPngSignature(QByteArrayView bytes);

class TPngFile
{
public:
    // None when the bytes are not a whole PNG: no signature, a chunk cut short, a wrong checksum,
    // or no IHDR first.
    static std::optional<TPngFile> Parse(QByteArrayView bytes);

    const QList<TPngChunkView>& Chunks() const { return FChunks; }
    quint32 Width() const;
    quint32 Height() const;

    // The file with the chunks for which isLeftOut holds left out and `added` placed right after
    // IHDR, where every chunk that must come before the picture data may stand.
    QByteArray Rewritten(const std::function<bool(const TPngChunkView&)>& isLeftOut,
                         const QList<TPngChunk>& added) const;

private:
    QList<TPngChunkView> FChunks;
};
