#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Splits one fuzz input into parts: each text is a length byte followed by that many bytes of
// UTF-8, and whatever is left over is the last part. Plain bytes, so that corpus files can be
// written by hand and libFuzzer's mutations reach every part.
class TFuzzInput
{
public:
    TFuzzInput(const std::uint8_t* data, std::size_t size)
        : FBytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))
    {}

    QByteArray Bytes(qsizetype wanted)
    {
        const QByteArray part = FBytes.mid(FAt, wanted);
        FAt += part.size();
        return part;
    }

    QString Text()
    {
        const QByteArray length = Bytes(1);
        return QString::fromUtf8(length.isEmpty() ? QByteArray() : Bytes(std::uint8_t(length[0])));
    }

    int Number(int lowest, int highest)
    {
        const QByteArray byte = Bytes(1);
        const int value = byte.isEmpty() ? 0 : std::uint8_t(byte[0]);
        return lowest + value % (highest - lowest + 1);
    }

    QByteArray Rest()
    {
        const QByteArray rest = FBytes.mid(FAt);
        FAt = FBytes.size();
        return rest;
    }

private:
    QByteArray FBytes;
    qsizetype FAt = 0;
};

// A property that the input broke: said on standard error, then abort, so that libFuzzer keeps
// the input and a replay test fails.
inline void FuzzCheck(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "Broken: %s\n", property);
    std::abort();
}
