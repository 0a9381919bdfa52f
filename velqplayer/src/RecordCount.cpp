#include "RecordCount.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace velq {

namespace {

    std::uint32_t bigEndian(const unsigned char* bytes)
    {
        return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16)
            | (std::uint32_t(bytes[2]) << 8) | std::uint32_t(bytes[3]);
    }

    struct BoxHeader
    {
        std::uint64_t size = 0; // header included
        std::uint64_t headerLength = 8;
        char type[4] = {};
    };

    // The box header at `offset`. The size field 1 says that a 64-bit size follows the type, as
    // muxers write the video box once it passes 4 GB. `sizeXor` applies to the 32-bit field.
    bool readHeader(
        std::ifstream& file, std::uint64_t offset, std::uint32_t sizeXor, BoxHeader& header)
    {
        unsigned char bytes[16];
        // Offsets are 64-bit on every platform: recordings pass 2 GB.
        file.clear();
        file.seekg(static_cast<std::streamoff>(offset));
        if (!file.read(reinterpret_cast<char*>(bytes), 8))
            return false;
        std::memcpy(header.type, bytes + 4, 4);
        header.size = bigEndian(bytes) ^ sizeXor;
        header.headerLength = 8;
        if (header.size == 1) {
            if (!file.read(reinterpret_cast<char*>(bytes + 8), 8))
                return false;
            header.size = (std::uint64_t(bigEndian(bytes + 8)) << 32) | bigEndian(bytes + 12);
            header.headerLength = 16;
        }
        return true;
    }

} // namespace

std::optional<std::int32_t> timeRecordCount(
    const std::string& path, bool scrambled, std::uint32_t key)
{
    // Names come in UTF-8 (the viewer converts them on Windows); on Linux the bytes are the
    // name as it stands.
    const std::u8string name(path.begin(), path.end());
    std::ifstream file(std::filesystem::path(name), std::ios::binary);
    if (!file)
        return std::nullopt;
    std::uint64_t offset = 0;
    BoxHeader box;
    // A broken size could make the walk go round in circles; a real file has few top-level boxes.
    for (int index = 0; index < 10000; ++index) {
        if (!readHeader(file, offset, index == 0 && scrambled ? key : 0, box))
            return std::nullopt;
        if (std::memcmp(box.type, "udat", 4) == 0) {
            BoxHeader time;
            if (!readHeader(file, offset + box.headerLength, 0, time)
                || (std::memcmp(time.type, "TIME", 4) != 0
                    && std::memcmp(time.type, "RTCD", 4) != 0)
                || time.size < time.headerLength)
                return std::nullopt;
            const std::uint64_t records = (time.size - time.headerLength) / 4;
            return static_cast<std::int32_t>(std::min<std::uint64_t>(records, INT32_MAX));
        }
        if (box.size < 8 || box.size > UINT64_MAX - offset)
            return std::nullopt;
        offset += box.size;
    }
    return std::nullopt;
}

} // namespace velq
