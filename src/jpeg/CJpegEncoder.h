#pragma once

#include <QtGlobal>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// Baseline sequential JPEG encoder for captured frames: three components without subsampling,
// fixed quantisation tables, the standard Huffman tables, no restart intervals and no JFIF
// header. Input is a 24-bit device-independent bitmap (B, G, R, bottom row first, rows padded
// to four bytes). One object encodes one image at a time; separate objects may run at once.
class CJpegEncoder
{
public:
    // Header size, width, height, planes and bit count, compression, image size, horizontal
    // and vertical resolution, colours used, colours important, one spare value.
    using Description = std::array<quint32, 11>;

    CJpegEncoder();
    ~CJpegEncoder();
    CJpegEncoder(const CJpegEncoder&) = delete;
    CJpegEncoder& operator=(const CJpegEncoder&) = delete;

    // Keeps the description and a copy of the pixel data; returns 1 (0 for a null pointer
    // with a non-zero byte count).
    int setImage(
        std::span<const quint32, 11> description, const void* pixelData, qsizetype byteCount);

    // Encodes the image and writes it to `path` (local 8-bit encoding). Returns 1 when the file
    // is complete, 0 when there is no usable image or the file cannot be written; a failed
    // write leaves no partial file and keeps an existing file at `path` as it was.
    int writeJpeg(const char* path);

    // Starting capacity of the entropy-coded output; the buffer grows as needed. Tests set a
    // tiny value to drive the growth path.
    void setInitialOutputCapacity(qsizetype bytes) { m_initialCapacity = bytes; }

private:
    struct HuffmanTable
    {
        int symbolCount = 0;
        std::array<uint8_t, 256> symbols{};
        std::array<uint8_t, 256> codeLengths{};
        std::array<uint16_t, 256> codes{};
        std::array<int16_t, 251> positionOf{}; // symbol value -> position, -9999 if absent
    };

    // The most a block can code to: 16 + 11 bits of DC, 63 times 16 + 10 bits of AC, every
    // byte stuffed; rounded up.
    static constexpr std::size_t MaxBlockBytes = 512;

    int encode();
    void writeHeaders();
    bool encodeScan(std::size_t rowBytes, int paddedWidth, int paddedHeight);
    bool buildHuffmanTables(const uint8_t* dht, const uint8_t* end);
    bool encodeBlock(
        const int16_t* zigZag, int& previousDc, const HuffmanTable& dc, const HuffmanTable& ac);
    void putBits(uint32_t bits, int count);
    void fillLastByte();
    void reserveOutput(std::size_t bytes);

    Description m_description{};
    std::vector<uint8_t> m_pixels;
    int m_width = 0;
    int m_height = 0;

    qsizetype m_initialCapacity = -1; // -1: a size from the image
    std::vector<uint8_t> m_output; // the whole file: headers, entropy-coded data, EOI
    std::size_t m_outputSize = 0;
    std::size_t m_headerSize = 0;
    std::size_t m_dhtPayloadOffset = 0;
    uint64_t m_bitBuffer = 0; // bits of the byte under construction sit in the low m_bitCount
    int m_bitCount = 0;

    std::array<HuffmanTable, 20> m_huffman;
    std::array<bool, 20> m_haveHuffman{};
};
