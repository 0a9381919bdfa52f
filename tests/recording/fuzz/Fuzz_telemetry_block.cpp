// The box walk and the block parse: the seek-based reader against the whole-data walk, then
// every lookup of the parsed block, reading each returned record whole.

#include "recording/PVEXUDAT.h"
#include "recording/TelemetryBlock.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    // The first five bytes choose the view mode and the key; the rest is the file.
    const int view = data[0] & 1;
    const uint32_t key
        = uint32_t(data[1]) << 24 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 8 | data[4];
    const std::span<const uint8_t> file(data + 5, size - 5);

    std::vector<uint8_t> whole;
    int wholeMismatches = 0;
    const int wholeCode = recording::readTelemetryBlockFromMemory(
        file, view, key, whole, [&](int) { ++wholeMismatches; });

    QByteArray bytes(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    std::vector<uint8_t> seeking;
    int seekingMismatches = 0;
    const int seekingCode = recording::readTelemetryBlock(
        buffer, view, key, seeking, [&](int) { ++seekingMismatches; });
    if (wholeCode != seekingCode || whole != seeking || wholeMismatches != seekingMismatches)
        std::abort();

    PVEXUDAT udat;
    udat.setData(whole.data(), whole.size());
    udat.check();
    udat.setRecordCount(key);
    unsigned sum = 0;
    for (uint32_t i : {0u, 1u, 2u, 63u, key / 2, key - 1, key, 0xFFFFFFFFu}) {
        if (const uint8_t* r = udat.gpsRecord(i))
            for (uint32_t b = 0; b < PVEXUDAT::kGpsRecordSize; ++b)
                sum += r[b];
        if (const uint8_t* r = udat.timeRecord(i))
            for (uint32_t b = 0; b < PVEXUDAT::kTimeRecordSize; ++b)
                sum += r[b];
        if (const uint8_t* r = udat.sensorRecord(i))
            for (uint32_t b = 0; b < PVEXUDAT::kSensorRecordSize; ++b)
                sum += r[b];
    }
    return sum == 0xFFFFFFFFu ? 1 : 0;
}
