#include "RecordCount.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace velq {

namespace {

    struct FileCloser
    {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::uint32_t bigEndian(const unsigned char* bytes)
    {
        return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16)
            | (std::uint32_t(bytes[2]) << 8) | std::uint32_t(bytes[3]);
    }

} // namespace

std::optional<std::int32_t> timeRecordCount(
    const std::string& path, bool scrambled, std::uint32_t key)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::nullopt;
    long long offset = 0;
    bool first = true;
    unsigned char header[16];
    // A broken size could make the walk go round in circles; a real file has few top-level boxes.
    for (int box = 0; box < 10000; ++box) {
        if (std::fseek(file.get(), static_cast<long>(offset), SEEK_SET) != 0
            || std::fread(header, 1, 8, file.get()) != 8)
            return std::nullopt;
        std::uint64_t size = bigEndian(header);
        if (first && scrambled)
            size ^= key;
        first = false;
        if (std::memcmp(header + 4, "udat", 4) == 0) {
            if (std::fread(header + 8, 1, 8, file.get()) != 8)
                return std::nullopt;
            if (std::memcmp(header + 12, "TIME", 4) != 0
                && std::memcmp(header + 12, "RTCD", 4) != 0)
                return std::nullopt;
            const std::uint32_t timeSize = bigEndian(header + 8);
            if (timeSize < 8)
                return std::nullopt;
            return static_cast<std::int32_t>((timeSize - 8) / 4);
        }
        if (size == 1) { // a 64-bit size follows the type
            if (std::fread(header + 8, 1, 8, file.get()) != 8)
                return std::nullopt;
            size = (std::uint64_t(bigEndian(header + 8)) << 32) | bigEndian(header + 12);
        }
        if (size < 8)
            return std::nullopt;
        offset += static_cast<long long>(size);
    }
    return std::nullopt;
}

} // namespace velq
