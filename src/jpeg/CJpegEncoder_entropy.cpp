#include "jpeg/CJpegEncoder.h"

#include <bit>
#include <cstdlib>

// Reads Huffman tables as T.81 Annex C builds them: code lengths from the 16 counts, then
// canonical codes, consecutive within a length and doubled at each longer length. Reading
// stops at the marker byte that follows the segment.
bool CJpegEncoder::buildHuffmanTables(const uint8_t* dht, const uint8_t* end)
{
    const uint8_t* p = dht;
    while (p < end && *p != 0xFF) {
        const int index = *p++;
        if (index >= static_cast<int>(m_huffman.size()) || end - p < 16)
            return false;
        HuffmanTable& table = m_huffman[index];
        table = HuffmanTable{};
        const uint8_t* counts = p;
        p += 16;
        int total = 0;
        for (int length = 1; length <= 16; ++length)
            total += counts[length - 1];
        if (total > 256 || end - p < total)
            return false;
        table.symbolCount = total;
        table.positionOf.fill(-9999);
        unsigned code = 0;
        int position = 0;
        for (int length = 1; length <= 16; ++length) {
            for (int i = 0; i < counts[length - 1]; ++i, ++position) {
                const uint8_t symbol = p[position];
                table.symbols[position] = symbol;
                table.codeLengths[position] = static_cast<uint8_t>(length);
                table.codes[position] = static_cast<uint16_t>(code++);
                if (symbol < table.positionOf.size())
                    table.positionOf[symbol] = static_cast<int16_t>(position);
            }
            code <<= 1;
        }
        p += total;
        m_haveHuffman[index] = true;
    }
    return m_haveHuffman[0x00] && m_haveHuffman[0x10] && m_haveHuffman[0x01] && m_haveHuffman[0x11];
}

namespace {

// Number of significant bits of |value|; the JPEG magnitude category.
inline int category(int value)
{
    return std::bit_width(static_cast<unsigned>(std::abs(value)));
}

// The low `size` bits of the value, or of the value minus 1 when it is negative.
inline uint32_t magnitudeBits(int value, int size)
{
    const int bits = value < 0 ? value - 1 : value;
    return static_cast<uint32_t>(bits) & ((1u << size) - 1);
}

} // namespace

bool CJpegEncoder::encodeBlock(
    const int16_t* zigZag, int& previousDc, const HuffmanTable& dc, const HuffmanTable& ac)
{
    reserveOutput(MaxBlockBytes);
    const int difference = zigZag[0] - previousDc;
    previousDc = zigZag[0];
    int size = category(difference);
    int position = size < static_cast<int>(dc.positionOf.size()) ? dc.positionOf[size] : -9999;
    if (position < 0)
        return false;
    putBits(dc.codes[position], dc.codeLengths[position]);
    if (size != 0)
        putBits(magnitudeBits(difference, size), size);

    int run = 0;
    for (int k = 1; k < 64; ++k) {
        const int value = zigZag[k];
        if (value == 0) {
            ++run;
            continue;
        }
        for (; run >= 16; run -= 16) {
            const int zrl = ac.positionOf[0xF0];
            if (zrl < 0)
                return false;
            putBits(ac.codes[zrl], ac.codeLengths[zrl]);
        }
        size = category(value);
        const int symbol = run * 16 + size;
        position = symbol < static_cast<int>(ac.positionOf.size()) ? ac.positionOf[symbol] : -9999;
        if (position < 0)
            return false;
        putBits(ac.codes[position], ac.codeLengths[position]);
        putBits(magnitudeBits(value, size), size);
        run = 0;
    }
    if (zigZag[63] == 0) {
        const int eob = ac.positionOf[0x00];
        if (eob < 0)
            return false;
        putBits(ac.codes[eob], ac.codeLengths[eob]);
    }
    return true;
}

// Bits go most significant first; a completed 0xFF byte is followed by a stuffed 0x00 so
// that it cannot be read as a marker. Room was reserved per block by the caller.
void CJpegEncoder::putBits(uint32_t bits, int count)
{
    m_bitBuffer = (m_bitBuffer << count) | bits;
    m_bitCount += count;
    while (m_bitCount >= 8) {
        m_bitCount -= 8;
        const auto byte = static_cast<uint8_t>(m_bitBuffer >> m_bitCount);
        m_output[m_outputSize++] = byte;
        if (byte == 0xFF)
            m_output[m_outputSize++] = 0x00;
    }
}

void CJpegEncoder::fillLastByte()
{
    if (m_bitCount == 0)
        return;
    reserveOutput(2);
    const int fill = 8 - m_bitCount;
    putBits((1u << fill) - 1, fill);
}
