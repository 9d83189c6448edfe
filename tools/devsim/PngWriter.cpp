#include "PngWriter.h"

#include <QtEndian>

#include <array>

namespace devsim {

namespace {

const std::array<quint32, 256> &crcTable()
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 c = 0xffffffffu;
    for (const char byte : bytes)
        c = crcTable()[(c ^ static_cast<quint8>(byte)) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

struct Rgb
{
    char r, g, b;
};

Rgb parseColor(const QString &color)
{
    const uint value = color.mid(1).toUInt(nullptr, 16);
    return {static_cast<char>((value >> 16) & 0xff), static_cast<char>((value >> 8) & 0xff),
            static_cast<char>(value & 0xff)};
}

// Each scanline starts with filter type 0 (none).
QByteArray row(int width, Rgb color)
{
    QByteArray line;
    line.reserve(1 + width * 3);
    line.append('\0');
    for (int x = 0; x < width; ++x) {
        line.append(color.r);
        line.append(color.g);
        line.append(color.b);
    }
    return line;
}

} // namespace

QByteArray PngWriter::chunk(const char type[4], const QByteArray &data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return bigEndian(static_cast<quint32>(data.size())) + typed + bigEndian(crc32(typed));
}

QByteArray PngWriter::screen(int width, int height, const QString &color)
{
    const QByteArray body = row(width, parseColor(color));
    const QByteArray bar = row(width, {0x20, 0x21, 0x24});
    const int barHeight = std::max(1, height / 40);
    QByteArray raw;
    raw.reserve(static_cast<qsizetype>(height) * body.size());
    for (int y = 0; y < height; ++y)
        raw += (y < barHeight || y >= height - barHeight) ? bar : body;

    QByteArray header = bigEndian(static_cast<quint32>(width)) + bigEndian(static_cast<quint32>(height));
    header += QByteArray("\x08\x02\x00\x00\x00", 5); // 8-bit depth, RGB, deflate, no filter, no interlace
    // qCompress prefixes the zlib stream with its own 4-byte length, which PNG does not want.
    const QByteArray zlib = qCompress(raw, 6).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", zlib) +
           chunk("IEND", {});
}

} // namespace devsim
