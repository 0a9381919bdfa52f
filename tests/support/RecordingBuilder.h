#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// Writes recording files box by box, so tests can make well-formed and damaged recordings
// without a video encoder.
namespace testsupport {

QByteArray bigEndian32(uint32_t value);
// One box: size (header included, or `sizeOverride`), type, contents.
QByteArray box(const char* type, const QByteArray& contents, int64_t sizeOverride = -1);

struct Telemetry
{
    QByteArray timeType = "TIME";
    std::vector<uint32_t> times;
    QList<QByteArray> sentences; // each padded with NULs to 128 bytes
    std::vector<std::array<float, 3>> samples; // written little-endian

    // n records: times 0..n-1, a moving "$GPRMC" sentence and a sample per second.
    static Telemetry drive(int records);
};

// The "udat" box of a telemetry set (sub-box types can be overridden to damage it).
QByteArray udatBox(
    const Telemetry& telemetry, const char* gpsType = "GPSI", const char* sensorType = "SENS");
QByteArray evtiBox(const QList<QByteArray>& records, int64_t sizeOverride = -1);

class RecordingBuilder
{
public:
    RecordingBuilder& ftyp();
    RecordingBuilder& mdat(int payloadBytes);
    RecordingBuilder& udat(const Telemetry& telemetry);
    RecordingBuilder& evti(const QList<QByteArray>& records);
    RecordingBuilder& raw(const QByteArray& bytes);
    // Stores the first box's size XORed with `key`, as scrambled recordings do.
    RecordingBuilder& scrambleFirstSize(uint32_t key);

    const QByteArray& bytes() const { return m_bytes; }
    bool writeTo(const QString& path) const;

private:
    QByteArray m_bytes;
};

} // namespace testsupport
