#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

// Telemetry reader over a copied "udat" block: finds the time, position and acceleration
// sub-boxes and answers lookups by record index.
//
// The reader never owns the block: the player adapter keeps the copy (see TelemetryBlock.h)
// and attaches it with setData(). Every address a lookup returns lies wholly inside the
// attached block, so a damaged or truncated file can never make a caller read past the copy.
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

    // Number of whole records each sub-box holds by its size field (0 for a box not found).
    uint32_t timeRecordCapacity() const;

    std::atomic<int32_t> failed{0};
    const uint8_t* data = nullptr;
    size_t blockLength = 0;
    std::atomic<uint32_t> recordCount{0};
    uint32_t blockSize = 0;
    std::array<char, 4> blockType{};
    uint32_t timeSize = 0;
    std::array<char, 4> timeType{};
    const uint8_t* timeRecords = nullptr;
    uint32_t gpsSize = 0;
    std::array<char, 4> gpsType{};
    const uint8_t* gpsRecords = nullptr;
    uint32_t sensorSize = 0;
    std::array<char, 4> sensorType{};
    const uint8_t* sensorRecords = nullptr;

private:
    void clearFields();
    // Reads a sub-box header at `offset`; false when the 8 bytes do not lie within the block.
    bool readHeader(
        uint64_t offset, uint32_t& size, std::array<char, 4>& type, const uint8_t*& records) const;
    const uint8_t* recordAt(
        const uint8_t* records, uint32_t recordSize, uint32_t i, uint64_t limit) const;
};
