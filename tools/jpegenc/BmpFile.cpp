#include "BmpFile.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr qint64 FileHeaderSize = 14;
constexpr qint64 InfoHeaderSize = 40;

quint32 u32(const std::vector<uint8_t>& data, std::size_t at)
{
    const uint8_t* p = data.data() + at;
    return p[0] | p[1] << 8 | p[2] << 16 | quint32(p[3]) << 24;
}

quint16 u16(const std::vector<uint8_t>& data, std::size_t at)
{
    const uint8_t* p = data.data() + at;
    return static_cast<quint16>(p[0] | p[1] << 8);
}

} // namespace

bool readBmp(const QString& path, BmpImage& image, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    std::vector<uint8_t> data(static_cast<std::size_t>(std::max<qint64>(file.size(), 0)));
    if (file.read(reinterpret_cast<char*>(data.data()), qint64(data.size()))
        != qint64(data.size())) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const auto fileSize = static_cast<qint64>(data.size());
    if (fileSize < FileHeaderSize + InfoHeaderSize || data[0] != 'B' || data[1] != 'M') {
        error = QStringLiteral("%1 is not a BMP file").arg(path);
        return false;
    }
    // Later header versions (V4, V5) begin with the same 40 bytes; the old 12-byte core
    // header has 16-bit fields and no compression field.
    const quint32 headerSize = u32(data, 14);
    const auto width = static_cast<qint32>(u32(data, 18));
    const auto height = static_cast<qint32>(u32(data, 22));
    const quint16 planes = u16(data, 26);
    const quint16 bitCount = u16(data, 28);
    const quint32 compression = u32(data, 30);
    if (headerSize < InfoHeaderSize || planes != 1) {
        error = QStringLiteral("%1 has an unsupported BMP header").arg(path);
        return false;
    }
    if (bitCount != 24 || compression != 0) {
        error = QStringLiteral("%1 is not a 24-bit uncompressed BMP (%2 bits, compression %3)")
                    .arg(path)
                    .arg(bitCount)
                    .arg(compression);
        return false;
    }
    const qint64 rows = height < 0 ? -qint64(height) : height;
    if (width <= 0 || rows == 0 || width > 0xFFFF || rows > 0xFFFF) {
        error
            = QStringLiteral("%1 has an unsupported size %2 x %3").arg(path).arg(width).arg(height);
        return false;
    }
    const qint64 rowBytes = (qint64(width) * 3 + 3) / 4 * 4;
    const qint64 offset = u32(data, 10);
    if (offset < FileHeaderSize + headerSize || offset + rowBytes * rows > fileSize) {
        error = QStringLiteral("%1 is truncated: its pixel data is incomplete").arg(path);
        return false;
    }

    // Bottom row first, as the capture hands it over; a top-down file is turned around.
    image.pixels.resize(rowBytes * rows);
    for (qint64 r = 0; r < rows; ++r) {
        const qint64 from = offset + rowBytes * (height < 0 ? rows - 1 - r : r);
        std::memcpy(image.pixels.data() + rowBytes * r, data.data() + from, rowBytes);
    }
    image.description = {static_cast<quint32>(InfoHeaderSize), static_cast<quint32>(width),
        static_cast<quint32>(rows), 1u | 24u << 16, 0, static_cast<quint32>(rowBytes * rows),
        u32(data, 38), u32(data, 42), 0, 0, 0};
    return true;
}
