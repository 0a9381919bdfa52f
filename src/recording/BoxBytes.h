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

inline uint64_t readBigEndian64(const uint8_t* bytes)
{
    return (uint64_t(readBigEndian32(bytes)) << 32) | readBigEndian32(bytes + 4);
}

// A box's size and the length of its header. The size field 1 says that a 64-bit size follows
// the type (16-byte header), as every muxer writes the video box once it passes 4 GB.
struct BoxSize
{
    uint64_t size = 0; // header included
    uint32_t headerLength = 8;
};

// Decodes the header at `header`, of which `available` bytes may be read (at least 8).
// `sizeXor` is applied to the 32-bit field (the scrambled first box). False when the header is
// in the 64-bit form and its 64-bit size lies beyond `available`.
inline bool readBoxSize(const uint8_t* header, uint64_t available, uint32_t sizeXor, BoxSize& box)
{
    const uint32_t size = readBigEndian32(header) ^ sizeXor;
    if (size != 1) {
        box = {size, 8};
        return true;
    }
    if (available < 16)
        return false;
    box = {readBigEndian64(header + 8), 16};
    return true;
}

inline bool hasType(const uint8_t* typeField, const char (&type)[5])
{
    return std::memcmp(typeField, type, 4) == 0;
}

} // namespace recording
