#include "recording/UdatWriter.h"

#include <QFile>

#include <cstring>

namespace {

void appendBigEndian32(QByteArray& out, std::uint32_t value)
{
    out.append(char(value >> 24)).append(char(value >> 16)).append(char(value >> 8));
    out.append(char(value));
}

void appendLittleEndian32(QByteArray& out, std::uint32_t value)
{
    out.append(char(value)).append(char(value >> 8)).append(char(value >> 16));
    out.append(char(value >> 24));
}

void appendFloat(QByteArray& out, float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    appendLittleEndian32(out, bits);
}

} // namespace

UdatWriter::UdatWriter(const QByteArray& timeBoxType)
    : m_timeType(timeBoxType.left(4).leftJustified(4, ' '))
{ }

void UdatWriter::addRecord(
    std::uint32_t time, const QByteArray& sentence, float x, float y, float z)
{
    m_times.append(time);
    QByteArray record = sentence.left(positionRecordSize - 1);
    record.append(QByteArray(positionRecordSize - record.size(), '\0'));
    m_positions.append(record);
    appendFloat(m_sensors, x);
    appendFloat(m_sensors, y);
    appendFloat(m_sensors, z);
}

void UdatWriter::addRecordBytes(
    const std::uint8_t* time, const std::uint8_t* position, const std::uint8_t* sensor)
{
    std::uint32_t value = 0;
    if (time)
        value = std::uint32_t(time[0]) | std::uint32_t(time[1]) << 8 | std::uint32_t(time[2]) << 16
            | std::uint32_t(time[3]) << 24;
    m_times.append(value);
    m_positions.append(position
            ? QByteArray(reinterpret_cast<const char*>(position), positionRecordSize)
            : QByteArray(positionRecordSize, '\0'));
    m_sensors.append(sensor ? QByteArray(reinterpret_cast<const char*>(sensor), sensorRecordSize)
                            : QByteArray(sensorRecordSize, '\0'));
}

QByteArray UdatWriter::udatBox() const
{
    QByteArray times;
    for (std::uint32_t time : m_times)
        appendLittleEndian32(times, time);
    return box("udat", box(m_timeType, times) + box("GPSI", m_positions) + box("SENS", m_sensors));
}

QByteArray UdatWriter::box(const QByteArray& type, const QByteArray& contents)
{
    QByteArray out;
    out.reserve(8 + contents.size());
    appendBigEndian32(out, std::uint32_t(8 + contents.size()));
    out.append(type.left(4).leftJustified(4, ' '));
    out.append(contents);
    return out;
}

QByteArray UdatWriter::eventRecord(const QDateTime& moment)
{
    QByteArray record = moment.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")).toLatin1();
    record.append(QByteArray(eventRecordSize - record.size(), '\0'));
    return record;
}

QByteArray UdatWriter::eventBox(const QList<QDateTime>& moments)
{
    QByteArray records;
    for (const QDateTime& moment : moments)
        records.append(eventRecord(moment));
    return box("EVTI", records);
}

int UdatWriter::appendToFile(const QString& path, const QByteArray& udat, const QByteArray& events)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return 1;
    const qint64 end = file.size();
    QByteArray tail;
    // Everything we append has a size that is a multiple of 4, so aligning its start aligns
    // the event index too. A box needs at least its 8-byte header, hence 8..11 bytes of padding.
    if (end % 4 != 0)
        tail = box("free", QByteArray(int(4 - end % 4), '\0'));
    tail.append(udat);
    tail.append(events);
    if (!file.seek(end) || file.write(tail) != tail.size() || !file.flush())
        return 2;
    return 0;
}
