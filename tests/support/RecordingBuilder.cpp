#include "support/RecordingBuilder.h"

#include <QFile>

#include <cstring>

namespace testsupport {

QByteArray bigEndian32(uint32_t value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

QByteArray box(const char* type, const QByteArray& contents, int64_t sizeOverride)
{
    const uint32_t size
        = sizeOverride >= 0 ? uint32_t(sizeOverride) : uint32_t(contents.size() + 8);
    return bigEndian32(size) + QByteArray(type, 4) + contents;
}

Telemetry Telemetry::drive(int records)
{
    Telemetry t;
    for (int i = 0; i < records; ++i) {
        t.times.push_back(uint32_t(i));
        const int second = 19 + i;
        const QByteArray sentence
            = QStringLiteral("$GPRMC,12%1%2,A,48%3,N,011%4,E,%5,084.4,230394,003.1,W*6A")
                  .arg(35 + second / 60, 2, 10, QLatin1Char('0'))
                  .arg(second % 60, 2, 10, QLatin1Char('0'))
                  .arg(7.038 + i * 0.01, 6, 'f', 3, QLatin1Char('0'))
                  .arg(31.0 + i * 0.01, 6, 'f', 3, QLatin1Char('0'))
                  .arg(22.4 + i, 5, 'f', 1, QLatin1Char('0'))
                  .toLatin1();
        t.sentences.append(sentence);
        t.samples.push_back({0.01f * float(i), -0.5f, 1.0f});
    }
    return t;
}

QByteArray udatBox(const Telemetry& telemetry, const char* gpsType, const char* sensorType)
{
    QByteArray times;
    for (uint32_t value : telemetry.times)
        times += bigEndian32(value);
    QByteArray sentences;
    for (const QByteArray& sentence : telemetry.sentences)
        sentences += sentence.left(128).leftJustified(128, '\0');
    QByteArray samples;
    for (const auto& sample : telemetry.samples) {
        for (float value : sample) {
            uint32_t bits = 0;
            std::memcpy(&bits, &value, 4);
            const char le[4] = {char(bits), char(bits >> 8), char(bits >> 16), char(bits >> 24)};
            samples += QByteArray(le, 4);
        }
    }
    return box("udat",
        box(telemetry.timeType.constData(), times) + box(gpsType, sentences)
            + box(sensorType, samples));
}

QByteArray evtiBox(const QList<QByteArray>& records, int64_t sizeOverride)
{
    QByteArray contents;
    for (const QByteArray& record : records)
        contents += record.left(256).leftJustified(256, '\0');
    return box("EVTI", contents, sizeOverride);
}

RecordingBuilder& RecordingBuilder::ftyp()
{
    return raw(box("ftyp", QByteArray("isom\0\0\x02\0isomiso2avc1mp41", 24)));
}

RecordingBuilder& RecordingBuilder::mdat(int payloadBytes)
{
    QByteArray payload(payloadBytes, '\0');
    for (int i = 0; i < payloadBytes; ++i)
        payload[i] = char(i * 7 + 3);
    return raw(box("mdat", payload));
}

RecordingBuilder& RecordingBuilder::udat(const Telemetry& telemetry)
{
    return raw(udatBox(telemetry));
}

RecordingBuilder& RecordingBuilder::evti(const QList<QByteArray>& records)
{
    return raw(evtiBox(records));
}

RecordingBuilder& RecordingBuilder::raw(const QByteArray& bytes)
{
    m_bytes += bytes;
    return *this;
}

RecordingBuilder& RecordingBuilder::scrambleFirstSize(uint32_t key)
{
    if (m_bytes.size() >= 4) {
        uint32_t size = 0;
        for (int i = 0; i < 4; ++i)
            size = (size << 8) | uint8_t(m_bytes[i]);
        m_bytes.replace(0, 4, bigEndian32(size ^ key));
    }
    return *this;
}

bool RecordingBuilder::writeTo(const QString& path) const
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(m_bytes) == m_bytes.size();
}

} // namespace testsupport
