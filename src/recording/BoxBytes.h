#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace recording {

// Box sizes and event index numbers are stored big-endian, whatever the host's order.
inline uint32_t readBigEndian32(const uint8_t* bytes)
{
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8)
        | uint32_t(bytes[3]);
}

inline bool hasType(const uint8_t* typeField, const char (&type)[5])
{
    return std::memcmp(typeField, type, 4) == 0;
}

} // namespace recording
