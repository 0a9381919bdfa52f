#include "recover/Mp4Boxes.h"

#include <cstring>

namespace recover {

namespace {

// The boxes of `region` one after another. Leniently, a size of 0 runs to the region's end and a
// box that does not fit ends the list; exactly, both are damage, and so is a region the boxes do
// not fill. False on damage.
bool readBoxes(Bytes region, std::vector<BoxRef>& boxes, bool exact)
{
    size_t position = 0;
    while (region.size() - position >= 8) {
        uint64_t size = read32(region, position);
        size_t header = 8;
        if (size == 1) {
            if (region.size() - position < 16)
                return !exact;
            size = read64(region, position + 8);
            header = 16;
        } else if (size == 0 && !exact) {
            size = region.size() - position;
        }
        if (size < header || size > region.size() - position)
            return !exact;
        BoxRef box;
        std::memcpy(box.type, region.data() + position + 4, 4);
        box.whole = region.subspan(position, size_t(size));
        box.payload = box.whole.subspan(header);
        boxes.push_back(box);
        position += size_t(size);
    }
    return !exact || position == region.size();
}

} // namespace

std::vector<BoxRef> childBoxes(Bytes region)
{
    std::vector<BoxRef> boxes;
    readBoxes(region, boxes, false);
    return boxes;
}

bool exactChildBoxes(Bytes region, std::vector<BoxRef>& boxes)
{
    return readBoxes(region, boxes, true);
}

BoxRef childBox(Bytes region, const char* type)
{
    for (const BoxRef& box : childBoxes(region)) {
        if (std::memcmp(box.type, type, 4) == 0)
            return box;
    }
    return {};
}

BoxRef boxAt(Bytes region, const char* path)
{
    BoxRef box;
    box.payload = region;
    for (const char* part = path; *part;) {
        char type[5] = {};
        std::memcpy(type, part, 4);
        box = childBox(box.payload, type);
        if (box.whole.empty())
            return {};
        part += part[4] == '/' ? 5 : 4;
    }
    return box;
}

uint16_t read16(Bytes bytes, size_t offset)
{
    if (offset + 2 > bytes.size())
        return 0;
    return uint16_t(bytes[offset] << 8 | bytes[offset + 1]);
}

uint32_t read32(Bytes bytes, size_t offset)
{
    if (offset + 4 > bytes.size())
        return 0;
    return uint32_t(bytes[offset]) << 24 | uint32_t(bytes[offset + 1]) << 16
        | uint32_t(bytes[offset + 2]) << 8 | bytes[offset + 3];
}

uint64_t read64(Bytes bytes, size_t offset)
{
    return uint64_t(read32(bytes, offset)) << 32 | read32(bytes, offset + 4);
}

void BoxWriter::begin(const char* type)
{
    m_open.push_back(m_bytes.size());
    u32(0);
    m_bytes.append(type, 4);
}

void BoxWriter::end()
{
    const qsizetype start = m_open.back();
    m_open.pop_back();
    const uint32_t size = uint32_t(m_bytes.size() - start);
    for (int i = 0; i < 4; ++i)
        m_bytes[start + i] = char(size >> (24 - 8 * i));
}

void BoxWriter::u16(uint16_t value)
{
    u8(uint8_t(value >> 8));
    u8(uint8_t(value));
}

void BoxWriter::u32(uint32_t value)
{
    u16(uint16_t(value >> 16));
    u16(uint16_t(value));
}

void BoxWriter::u64(uint64_t value)
{
    u32(uint32_t(value >> 32));
    u32(uint32_t(value));
}

void BoxWriter::fullBox(const char* type, uint8_t version, uint32_t flags)
{
    begin(type);
    u32(uint32_t(version) << 24 | (flags & 0xFFFFFF));
}

} // namespace recover
