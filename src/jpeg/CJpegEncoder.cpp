#include "jpeg/CJpegEncoder.h"

#include "jpeg/JpegTables.h"
#include "jpeg/JpegTransform.h"

#include <QSaveFile>
#include <QString>

#include <algorithm>

namespace {

constexpr int WidthIndex = 1;
constexpr int HeightIndex = 2;

void appendBytes(std::vector<uint8_t>& out, std::initializer_list<uint8_t> bytes)
{
    out.insert(out.end(), bytes);
}

void appendWord(std::vector<uint8_t>& out, int value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

} // namespace

CJpegEncoder::CJpegEncoder() = default;

CJpegEncoder::~CJpegEncoder() = default;

int CJpegEncoder::setImage(
    std::span<const quint32, 11> description, const void* pixelData, qsizetype byteCount)
{
    if (byteCount < 0 || (byteCount > 0 && pixelData == nullptr))
        return 0;
    std::copy(description.begin(), description.end(), m_description.begin());
    const auto* bytes = static_cast<const uint8_t*>(pixelData);
    m_pixels.assign(bytes, bytes + byteCount);
    return 1;
}

int CJpegEncoder::writeJpeg(const char* path)
{
    if (path == nullptr || encode() == 0)
        return 0;
    QSaveFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    const auto size = static_cast<qint64>(m_outputSize);
    if (file.write(reinterpret_cast<const char*>(m_output.data()), size) != size)
        return 0; // the temporary file is dropped; nothing at `path` has changed
    return file.commit() ? 1 : 0;
}

// Builds the whole file in m_output. The bitmap is read bottom-up in place, so the stored
// pixels stay as handed over and a second call writes the same file.
int CJpegEncoder::encode()
{
    m_width = static_cast<qint32>(m_description[WidthIndex]);
    m_height = static_cast<qint32>(m_description[HeightIndex]);
    // SOF0 holds 16-bit dimensions; a top-down bitmap (negative height) is not a capture.
    if (m_width <= 0 || m_height <= 0 || m_width > 0xFFFF || m_height > 0xFFFF)
        return 0;
    const std::size_t rowBytes = (static_cast<std::size_t>(m_width) * 3 + 3) / 4 * 4;
    if (m_pixels.size() < rowBytes * static_cast<std::size_t>(m_height))
        return 0;
    const int paddedWidth = (m_width + 7) / 8 * 8;
    const int paddedHeight = (m_height + 7) / 8 * 8;

    m_haveHuffman.fill(false);
    m_output.clear();
    writeHeaders();
    // The code tables come from reading back the segment just written, so the file and the
    // coder cannot disagree.
    if (!buildHuffmanTables(m_output.data() + m_dhtPayloadOffset, m_output.data() + m_headerSize))
        return 0;

    const std::size_t capacity = m_initialCapacity >= 0
        ? static_cast<std::size_t>(m_initialCapacity)
        : static_cast<std::size_t>(paddedWidth) * paddedHeight / 4;
    m_output.resize(m_headerSize + capacity);
    m_outputSize = m_headerSize;
    m_bitBuffer = 0;
    m_bitCount = 0;
    if (!encodeScan(rowBytes, paddedWidth, paddedHeight))
        return 0;
    fillLastByte();
    reserveOutput(2);
    m_output[m_outputSize++] = 0xFF;
    m_output[m_outputSize++] = 0xD9;
    return 1;
}

void CJpegEncoder::writeHeaders()
{
    appendBytes(m_output, {0xFF, 0xD8});
    for (int t = 0; t < 2; ++t) {
        appendBytes(m_output, {0xFF, 0xDB, 0x00, 0x43, static_cast<uint8_t>(t)});
        for (uint16_t q : jpeg::quantTables[t])
            m_output.push_back(static_cast<uint8_t>(q));
    }
    appendBytes(m_output, {0xFF, 0xC4});
    appendWord(m_output, static_cast<int>(jpeg::dhtPayload.size()) + 2);
    m_dhtPayloadOffset = m_output.size();
    m_output.insert(m_output.end(), jpeg::dhtPayload.begin(), jpeg::dhtPayload.end());
    // The image's own size, not the padded one.
    appendBytes(m_output, {0xFF, 0xC0, 0x00, 0x11, 0x08});
    appendWord(m_output, m_height);
    appendWord(m_output, m_width);
    appendBytes(m_output, {0x03, 1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1});
    appendBytes(
        m_output, {0xFF, 0xDA, 0x00, 0x0C, 0x03, 1, 0x00, 2, 0x11, 3, 0x11, 0x00, 0x3F, 0x00});
    m_headerSize = m_output.size();
}

// One strip of eight rows at a time is converted, so the work area stays in the cache instead
// of a whole-image YCbCr copy and three whole-image planes. The result is the same: blocks in
// raster order, Y, Cb, Cr at each position, DC predicted per component.
bool CJpegEncoder::encodeScan(std::size_t rowBytes, int paddedWidth, int paddedHeight)
{
    std::vector<float> strip(static_cast<std::size_t>(paddedWidth) * 8 * 3);
    float* planes[3]
        = {strip.data(), strip.data() + paddedWidth * 8, strip.data() + paddedWidth * 16};
    int previousDc[3] = {0, 0, 0};
    alignas(32) int16_t zigZag[64];
    const uint8_t* bottomRow = m_pixels.data() + rowBytes * (m_height - 1);
    const auto step = -static_cast<std::ptrdiff_t>(rowBytes);
    for (int top = 0; top < paddedHeight; top += 8) {
        jpeg::convertStrip(bottomRow + top * step, step, m_width, std::min(8, m_height - top),
            paddedWidth, planes[0], planes[1], planes[2]);
        for (int left = 0; left < paddedWidth; left += 8) {
            for (int c = 0; c < 3; ++c) {
                const int table = c == 0 ? 0 : 1;
                jpeg::transformBlock(
                    planes[c] + left, paddedWidth, jpeg::quantTables[table].data(), zigZag);
                if (!encodeBlock(zigZag, previousDc[c], m_huffman[table], m_huffman[0x10 + table]))
                    return false;
            }
        }
    }
    return true;
}

void CJpegEncoder::reserveOutput(std::size_t bytes)
{
    if (m_outputSize + bytes > m_output.size())
        m_output.resize(std::max(m_output.size() * 2, m_outputSize + bytes));
}
