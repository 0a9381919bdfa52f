#include "recording/PVEXUDAT.h"

#include "recording/BoxBytes.h"

#include <algorithm>
#include <cstdint>

namespace {

bool hasType(const std::array<char, 4>& type, const char (&expected)[5])
{
    return recording::hasType(reinterpret_cast<const uint8_t*>(type.data()), expected);
}

} // namespace

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
    m_blockEnd = m_timeEnd = m_gpsEnd = m_sensorEnd = 0;
}

bool PVEXUDAT::readHeader(uint64_t offset, uint64_t& size, std::array<char, 4>& type,
    const uint8_t*& records, uint64_t& end) const
{
    if (offset > blockLength || blockLength - offset < 8)
        return false;
    recording::BoxSize box;
    if (!recording::readBoxSize(data + offset, blockLength - offset, 0, box))
        return false;
    size = box.size;
    std::copy_n(data + offset + 4, 4, type.begin());
    records = data + offset + box.headerLength;
    // Offsets are 64-bit and every sum is checked: a damaged size near the top of the range
    // must not wrap around to a small offset.
    end = box.size > UINT64_MAX - offset ? UINT64_MAX : offset + box.size;
    return true;
}

int PVEXUDAT::parse()
{
    clearFields();
    if (!data)
        return ParseNoBlock;
    const uint8_t* contents = nullptr;
    if (!readHeader(0, blockSize, blockType, contents, m_blockEnd))
        return ParseNoTimeBox;
    if (!readHeader(uint64_t(contents - data), timeSize, timeType, timeRecords, m_timeEnd)
        || !(hasType(timeType, "TIME") || hasType(timeType, "RTCD")))
        return ParseNoTimeBox;
    if (!readHeader(m_timeEnd, gpsSize, gpsType, gpsRecords, m_gpsEnd)
        || !hasType(gpsType, "GPSI"))
        return ParseNoGpsBox;
    if (!readHeader(m_gpsEnd, sensorSize, sensorType, sensorRecords, m_sensorEnd)
        || !hasType(sensorType, "SENS"))
        return ParseNoSensorBox;
    return ParseOk;
}

int PVEXUDAT::check()
{
    failed = parse() != ParseOk ? 1 : 0;
    return failed;
}

const uint8_t* PVEXUDAT::recordAt(
    const uint8_t* records, uint32_t recordSize, uint32_t i, uint64_t end) const
{
    if (!records || i >= recordCount)
        return nullptr;
    const uint64_t offset = uint64_t(records - data) + uint64_t(recordSize) * i;
    if (offset + recordSize > std::min<uint64_t>(end, blockLength))
        return nullptr;
    return data + offset;
}

const uint8_t* PVEXUDAT::gpsRecord(uint32_t i) const
{
    // A position record is also held to the "udat" box's own size: the copy runs on to the
    // end of the file, and what follows the box is not telemetry.
    return recordAt(gpsRecords, kGpsRecordSize, i, std::min(m_gpsEnd, m_blockEnd));
}

const uint8_t* PVEXUDAT::timeRecord(uint32_t i) const
{
    return recordAt(timeRecords, kTimeRecordSize, i, m_timeEnd);
}

const uint8_t* PVEXUDAT::sensorRecord(uint32_t i) const
{
    return recordAt(sensorRecords, kSensorRecordSize, i, m_sensorEnd);
}

uint32_t PVEXUDAT::timeRecordCapacity() const
{
    if (!timeRecords)
        return 0;
    const uint64_t start = uint64_t(timeRecords - data);
    const uint64_t end = std::min<uint64_t>(m_timeEnd, blockLength);
    return end > start ? uint32_t(std::min<uint64_t>((end - start) / kTimeRecordSize, UINT32_MAX))
                       : 0;
}
