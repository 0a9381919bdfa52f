#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdint>

// Builds the boxes a recorder appends after its video: the "udat" telemetry block (time,
// position and acceleration sub-boxes, one record per second) and the "EVTI" event index.
// Box sizes are big-endian and count their own 8-byte header; record payloads keep the
// recorder CPU's little-endian order.
class UdatWriter
{
public:
    static constexpr int timeRecordSize = 4;
    static constexpr int positionRecordSize = 128;
    static constexpr int sensorRecordSize = 12;
    static constexpr int eventRecordSize = 256;

    // Both names occur on cards; the layout behind them is the same.
    explicit UdatWriter(const QByteArray& timeBoxType = "TIME");

    // One second of telemetry. `time` is stored as 32-bit little-endian seconds since the
    // epoch; `sentence` is cut to 127 bytes so the record always ends in a NUL.
    void addRecord(std::uint32_t time, const QByteArray& sentence, float x, float y, float z);
    // One second copied from another block as it stands (4, 128 and 12 bytes); a missing part
    // (nullptr) is written as zeros, which readers take as no time, no fix and no sample.
    void addRecordBytes(
        const std::uint8_t* time, const std::uint8_t* position, const std::uint8_t* sensor);
    int recordCount() const { return m_times.size(); }

    QByteArray udatBox() const;

    static QByteArray box(const QByteArray& type, const QByteArray& contents);
    static QByteArray eventRecord(const QDateTime& moment); // "YYYY/MM/DD HH:MM:SS", NUL-padded
    static QByteArray eventBox(const QList<QDateTime>& moments);

    // Appends the "udat" box and, when `events` is not empty, an "EVTI" box to the recording
    // at `path`. A "free" box goes first when needed so that both start at a multiple of 4,
    // where a scanner stepping through the file in 4-byte strides finds the event index.
    // Returns 0 on success, 1 when the file cannot be opened, 2 when the write fails.
    static int appendToFile(const QString& path, const QByteArray& udat, const QByteArray& events);

private:
    QByteArray m_timeType;
    QList<std::uint32_t> m_times;
    QByteArray m_positions;
    QByteArray m_sensors;
};
