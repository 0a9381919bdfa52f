#include "recording/PVEXUDAT.h"

#include "recording/BoxBytes.h"

#include <algorithm>

using recording::readBigEndian32;

PVEXUDAT::~PVEXUDAT() = default;

void PVEXUDAT::setData(const uint8_t* block, size_t length)
{
    data = block;
    blockLength = block ? length : 0;
    clearFields();
}

void PVEXUDAT::clearFields()
{
    blockSize = timeSize = gpsSize = sensorSize = 0;
    blockType = timeType = gpsType = sensorType = {};
    timeRecords = gpsRecords = sensorRecords = nullptr;
}

bool PVEXUDAT::readHeader(
    uint64_t offset, uint32_t& size, std::array<char, 4>& type, const uint8_t*& records) const
{
    if (offset > blockLength || blockLength - offset < 8)
        return false;
    size = readBigEndian32(data + offset);
    std::copy_n(data + offset + 4, 4, type.begin());
    records = data + offset + 8;
    return true;
}

int PVEXUDAT::parse()
{
    clearFields();
    if (!data)
        return ParseNoBlock;
    const uint8_t* unused = nullptr;
    if (!readHeader(0, blockSize, blockType, unused))
        return ParseNoTimeBox;
    // 64-bit offsets: a damaged size near 4 GiB must not wrap around to a small offset.
    const uint64_t timeOffset = 8;
    if (!readHeader(timeOffset, timeSize, timeType, timeRecords)
        || !(recording::hasType(timeRecords - 4, "TIME")
            || recording::hasType(timeRecords - 4, "RTCD")))
        return ParseNoTimeBox;
    const uint64_t gpsOffset = timeOffset + timeSize;
    if (!readHeader(gpsOffset, gpsSize, gpsType, gpsRecords)
        || !recording::hasType(gpsRecords - 4, "GPSI"))
        return ParseNoGpsBox;
    const uint64_t sensorOffset = gpsOffset + gpsSize;
    if (!readHeader(sensorOffset, sensorSize, sensorType, sensorRecords)
        || !recording::hasType(sensorRecords - 4, "SENS"))
        return ParseNoSensorBox;
    return ParseOk;
}

int PVEXUDAT::check()
{
    failed = parse() != ParseOk ? 1 : 0;
    return failed;
}

const uint8_t* PVEXUDAT::recordAt(
    const uint8_t* records, uint32_t recordSize, uint32_t i, uint64_t limit) const
{
    if (!records || i >= recordCount)
        return nullptr;
    const uint64_t offset = uint64_t(records - data) + uint64_t(recordSize) * i;
    if (offset + recordSize > std::min<uint64_t>(limit, blockLength))
        return nullptr;
    return data + offset;
}

const uint8_t* PVEXUDAT::gpsRecord(uint32_t i) const
{
    // A position record is also held to the "udat" box's own size: the copy runs on to the
    // end of the file, and what follows the box is not telemetry.
    return recordAt(gpsRecords, kGpsRecordSize, i, blockSize);
}

const uint8_t* PVEXUDAT::timeRecord(uint32_t i) const
{
    return recordAt(timeRecords, kTimeRecordSize, i, blockLength);
}

const uint8_t* PVEXUDAT::sensorRecord(uint32_t i) const
{
    return recordAt(sensorRecords, kSensorRecordSize, i, blockLength);
}

uint32_t PVEXUDAT::timeRecordCapacity() const
{
    return timeRecords && timeSize >= 8 ? (timeSize - 8) / kTimeRecordSize : 0;
}
