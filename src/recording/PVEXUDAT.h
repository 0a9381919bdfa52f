#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

// Telemetry reader over a copied "udat" block: finds the time, position and acceleration
// sub-boxes and answers lookups by record index.
//
// The reader never owns the block: the player adapter keeps the copy (see TelemetryBlock.h)
// and attaches it with setData(). Every address a lookup returns lies wholly inside its own
// sub-box and inside the attached block, so a damaged or truncated file can never make a
// caller read past the copy, nor read one box's bytes as another's records.
//
// Box sizes are decoded in both forms: the 32-bit one, and the 64-bit one (size field 1, then
// the size in 8 bytes after the type), whose header is 16 bytes long; the sizes are therefore
// held in 64 bits.
// `failed` and `recordCount` are written by the thread that opens a recording and by the
// player library's reporting thread, and read by the other, hence atomic.
class PVEXUDAT
{
public:
    static constexpr uint32_t kTimeRecordSize = 4;
    static constexpr uint32_t kGpsRecordSize = 128;
    static constexpr uint32_t kSensorRecordSize = 12;

    // Result codes of parse().
    enum ParseResult : int {
        ParseOk = 0,
        ParseNoBlock = 1,
        ParseNoTimeBox = 2,
        ParseNoGpsBox = 3,
        ParseNoSensorBox = 4,
    };

    PVEXUDAT() = default;
    PVEXUDAT(const PVEXUDAT&) = delete;
    PVEXUDAT& operator=(const PVEXUDAT&) = delete;
    virtual ~PVEXUDAT();

    // Attaches a block (nullptr detaches). The length bounds every later lookup.
    void setData(const uint8_t* block, size_t blockLength);
    int parse();
    // Runs parse() and sets `failed` to 1 unless it returned 0; returns `failed`.
    int check();
    void setRecordCount(uint32_t count) { recordCount = count; }

    // The address of record i, or nullptr. A negative index converts to a huge unsigned one
    // and is out of range like any index not below recordCount.
    const uint8_t* gpsRecord(uint32_t i) const;
    const uint8_t* timeRecord(uint32_t i) const;
    const uint8_t* sensorRecord(uint32_t i) const;

    // Number of whole time records the time box holds by its size field and within the block
    // (0 when it was not found).
    uint32_t timeRecordCapacity() const;

    std::atomic<int32_t> failed{0};
    const uint8_t* data = nullptr;
    size_t blockLength = 0;
    std::atomic<uint32_t> recordCount{0};
    uint64_t blockSize = 0;
    std::array<char, 4> blockType{};
    uint64_t timeSize = 0;
    std::array<char, 4> timeType{};
    const uint8_t* timeRecords = nullptr;
    uint64_t gpsSize = 0;
    std::array<char, 4> gpsType{};
    const uint8_t* gpsRecords = nullptr;
    uint64_t sensorSize = 0;
    std::array<char, 4> sensorType{};
    const uint8_t* sensorRecords = nullptr;

private:
    void clearFields();
    // Reads a box header at `offset`; false when the header does not lie within the block.
    // `end` is where the box ends by its size field, from the block's start.
    bool readHeader(uint64_t offset, uint64_t& size, std::array<char, 4>& type,
        const uint8_t*& records, uint64_t& end) const;
    // Record i of a sub-box whose records start at `records` and which ends at `end`.
    const uint8_t* recordAt(
        const uint8_t* records, uint32_t recordSize, uint32_t i, uint64_t end) const;

    uint64_t m_blockEnd = 0;
    uint64_t m_timeEnd = 0;
    uint64_t m_gpsEnd = 0;
    uint64_t m_sensorEnd = 0;
};
