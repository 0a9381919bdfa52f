#include "support/CardFile.h"

#include <QFile>

#include <cstring>

namespace cardfile {

std::uint32_t bigEndian32(const QByteArray& data, qint64 offset)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + offset);
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

static std::uint32_t littleEndian32(const QByteArray& data, qint64 offset)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + offset);
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<Box> topLevelBoxes(const QByteArray& file)
{
    QList<Box> boxes;
    for (qint64 at = 0; at + 8 <= file.size();) {
        Box box{at, file.mid(at + 4, 4), bigEndian32(file, at)};
        boxes.append(box);
        if (box.type == "udat" || box.size < 8)
            break;
        at += box.size;
    }
    return boxes;
}

std::optional<Telemetry> telemetry(const QByteArray& file)
{
    const QList<Box> boxes = topLevelBoxes(file);
    if (boxes.isEmpty() || boxes.last().type != "udat")
        return std::nullopt;
    const qint64 udat = boxes.last().offset;
    const qint64 end = udat + boxes.last().size;
    if (end > file.size())
        return std::nullopt;
    Telemetry t;
    qint64 at = udat + 8;
    QByteArray types[3];
    qint64 contents[3] = {};
    std::uint32_t sizes[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (at + 8 > end)
            return std::nullopt;
        sizes[i] = bigEndian32(file, at);
        types[i] = file.mid(at + 4, 4);
        contents[i] = at + 8;
        at += sizes[i];
    }
    if (types[1] != "GPSI" || types[2] != "SENS" || at != end)
        return std::nullopt;
    t.timeType = types[0];
    for (std::uint32_t i = 0; i < (sizes[0] - 8) / 4; ++i)
        t.times.append(littleEndian32(file, contents[0] + 4 * i));
    for (std::uint32_t i = 0; i < (sizes[1] - 8) / 128; ++i) {
        const QByteArray record = file.mid(contents[1] + 128 * i, 128);
        t.sentences.append(record.left(record.indexOf('\0')));
    }
    for (std::uint32_t i = 0; i < (sizes[2] - 8) / 12; ++i) {
        std::array<float, 3> sample{};
        for (int axis = 0; axis < 3; ++axis) {
            const std::uint32_t bits = littleEndian32(file, contents[2] + 12 * i + 4 * axis);
            std::memcpy(&sample[axis], &bits, sizeof bits);
        }
        t.samples.append(sample);
    }
    return t;
}

qint64 eventIndexOffset(const QByteArray& file)
{
    for (qint64 start = 0; start + 8 <= file.size(); start += 4) {
        if (file.mid(start + 4, 4) == "EVTI")
            return start;
    }
    return -1;
}

QList<QByteArray> eventTexts(const QByteArray& file)
{
    const qint64 box = eventIndexOffset(file);
    if (box < 0)
        return {};
    QList<QByteArray> texts;
    const std::uint32_t count = (bigEndian32(file, box) - 8) / 256;
    for (std::uint32_t i = 0; i < count; ++i) {
        const QByteArray record = file.mid(box + 8 + 256 * i, 256);
        texts.append(record.left(record.indexOf('\0')));
    }
    return texts;
}

bool checksumValid(const QByteArray& sentence)
{
    const qsizetype star = sentence.lastIndexOf('*');
    if (!sentence.startsWith('$') || star < 0 || star + 3 != sentence.size())
        return false;
    unsigned char sum = 0;
    for (qsizetype i = 1; i < star; ++i)
        sum ^= static_cast<unsigned char>(sentence[i]);
    bool ok = false;
    return sentence.mid(star + 1).toUInt(&ok, 16) == sum && ok;
}

} // namespace cardfile
