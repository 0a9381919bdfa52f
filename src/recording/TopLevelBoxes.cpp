#include "recording/TopLevelBoxes.h"

#include "recording/BoxBytes.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace recording {

namespace {

// Many small boxes cost one read per window; large ones one seek each.
constexpr uint64_t kWindow = 64 * 1024;

} // namespace

bool isPrintableType(const uint8_t* type)
{
    return std::all_of(type, type + 4, [](uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

bool TopBox::is(const char (&wanted)[5]) const
{
    return std::memcmp(type, wanted, 4) == 0;
}

uint64_t TopBox::end(uint64_t fileSize) const
{
    return cut || damaged ? fileSize : offset + size;
}

TopLevelBoxes::TopLevelBoxes(QIODevice& device, uint32_t firstSizeXor)
    : m_device(&device)
    , m_firstSizeXor(firstSizeXor)
{
    const qint64 size = device.size();
    if (size < 0)
        m_stop = Stop::ReadFailed;
    else
        m_size = uint64_t(size);
}

TopLevelBoxes::TopLevelBoxes(std::span<const uint8_t> data, uint32_t firstSizeXor)
    : m_data(data)
    , m_size(data.size())
    , m_firstSizeXor(firstSizeXor)
{ }

TopLevelBoxes::TopLevelBoxes(QIODevice& device, uint64_t begin, uint64_t end)
    : TopLevelBoxes(device)
{
    m_size = std::min(end, m_size);
    m_position = std::min(begin, m_size);
}

TopLevelBoxes::~TopLevelBoxes() = default;

const uint8_t* TopLevelBoxes::header(uint64_t& available)
{
    const uint64_t wanted = std::min<uint64_t>(16, m_size - m_position);
    if (!m_device) {
        available = m_size - m_position;
        return m_data.data() + m_position;
    }
    if (m_windowLength == 0 || m_position < m_windowStart
        || m_position + wanted > m_windowStart + m_windowLength) {
        const uint64_t length = std::min<uint64_t>(kWindow, m_size - m_position);
        m_window.resize(size_t(kWindow));
        if (!m_device->seek(qint64(m_position)))
            return nullptr;
        const qint64 got = m_device->read(reinterpret_cast<char*>(m_window.data()), qint64(length));
        if (got < qint64(wanted))
            return nullptr;
        m_windowStart = m_position;
        m_windowLength = uint64_t(got);
    }
    available = m_windowStart + m_windowLength - m_position;
    return m_window.data() + (m_position - m_windowStart);
}

bool TopLevelBoxes::next(TopBox& box)
{
    if (m_stop != Stop::None)
        return false;
    if (m_position >= m_size || m_size - m_position < 8) {
        m_stop = Stop::EndOfData;
        return false;
    }
    uint64_t available = 0;
    const uint8_t* bytes = header(available);
    if (!bytes) {
        m_stop = Stop::ReadFailed;
        return false;
    }
    const bool first = std::exchange(m_first, false);
    const uint32_t sizeXor = first ? m_firstSizeXor : 0;
    if (!(first && sizeXor != 0) && !isPrintableType(bytes + 4)) {
        m_stop = Stop::NotABox;
        return false;
    }
    box = TopBox();
    std::memcpy(box.type, bytes + 4, 4);
    box.offset = m_position;
    const uint64_t rest = m_size - m_position;
    BoxSize size;
    if (!readBoxSize(bytes, std::min(available, rest), sizeXor, size)) {
        // The 64-bit form without its 8 size bytes: the file ends inside the header.
        box.headerLength = 16;
        box.damaged = true;
    } else if (size.size == 0 && size.headerLength == 8) {
        box.toEnd = true;
        box.size = rest;
    } else {
        box.size = size.size;
        box.headerLength = size.headerLength;
        box.damaged = size.size < size.headerLength;
        box.cut = !box.damaged && size.size > rest;
    }
    if (box.damaged) {
        box.size = 0;
        m_stop = Stop::Damaged;
    } else if (box.toEnd || box.cut || box.size == rest) {
        m_stop = Stop::EndOfData;
    }
    m_position += box.damaged ? 0 : box.size;
    return true;
}

bool TopLevelBoxes::find(const char (&type)[5], TopBox& box)
{
    while (next(box)) {
        if (box.is(type))
            return true;
    }
    return false;
}

} // namespace recording
