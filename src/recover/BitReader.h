#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// Reading the bit fields of codec headers (parameter sets, slice headers, sound frame
// elements). Reading past the end yields zeros and sets `overrun`, so a damaged header is
// noticed once at the end rather than at every field.
namespace recover {

class BitReader
{
public:
    BitReader(const uint8_t* data, size_t size)
        : m_data(data)
        , m_bits(uint64_t(size) * 8)
    { }

    uint32_t bits(int count)
    {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value = value << 1 | bit();
        return value;
    }
    uint32_t bit()
    {
        if (m_position >= m_bits) {
            m_overrun = true;
            return 0;
        }
        const uint32_t value = m_data[m_position >> 3] >> (7 - (m_position & 7)) & 1;
        ++m_position;
        return value;
    }
    void skip(uint64_t count)
    {
        m_position += count;
        if (m_position > m_bits) {
            m_overrun = true;
            m_position = m_bits;
        }
    }
    // ue(v); values past 32 bits are damage, not syntax
    uint32_t unsignedGolomb()
    {
        int zeros = 0;
        while (bit() == 0) {
            if (++zeros > 31 || m_overrun) {
                m_overrun = true;
                return 0;
            }
        }
        return uint32_t((uint64_t(1) << zeros) - 1 + bits(zeros));
    }
    int32_t signedGolomb()
    {
        const uint32_t code = unsignedGolomb();
        return code & 1 ? int32_t((code + 1) / 2) : -int32_t(code / 2);
    }
    void alignToByte() { skip((8 - (m_position & 7)) & 7); }

    bool overrun() const { return m_overrun; }
    uint64_t position() const { return m_position; }

private:
    const uint8_t* m_data;
    uint64_t m_bits;
    uint64_t m_position = 0;
    bool m_overrun = false;
};

// The payload of a NAL unit without its emulation prevention bytes (00 00 03 becomes 00 00),
// at most `limit` bytes of it: headers sit at the start.
inline std::vector<uint8_t> unescapeNal(const uint8_t* data, size_t size, size_t limit)
{
    std::vector<uint8_t> out;
    out.reserve(std::min(size, limit));
    int zeros = 0;
    for (size_t i = 0; i < size && out.size() < limit; ++i) {
        if (zeros >= 2 && data[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = data[i] == 0 ? zeros + 1 : 0;
        out.push_back(data[i]);
    }
    return out;
}

} // namespace recover
