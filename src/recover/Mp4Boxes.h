#pragma once

#include <QByteArray>

#include <cstdint>
#include <span>
#include <vector>

// Reading boxes out of an index held in memory, and writing new ones.
namespace recover {

using Bytes = std::span<const uint8_t>;

struct BoxRef
{
    char type[5] = {};
    Bytes whole; // header included
    Bytes payload;
};

// The boxes laid one after another in `region`; a box whose size runs past the region ends the
// list, so a damaged index yields fewer boxes, never a read outside it.
std::vector<BoxRef> childBoxes(Bytes region);
// The same for a region that the boxes must fill exactly: a size of 0, one smaller than a header
// or one that runs past the region is damage there. False on damage (`boxes` holds those before).
bool exactChildBoxes(Bytes region, std::vector<BoxRef>& boxes);
// The first child of `region` of that type; an empty `whole` when there is none.
BoxRef childBox(Bytes region, const char* type);
// Follows a path of types ("mdia/minf/stbl") from the payload of a box.
BoxRef boxAt(Bytes region, const char* path);

uint16_t read16(Bytes bytes, size_t offset);
uint32_t read32(Bytes bytes, size_t offset);
uint64_t read64(Bytes bytes, size_t offset);

inline QByteArray toByteArray(Bytes bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// Builds nested boxes: begin() writes a header whose size end() fills in.
class BoxWriter
{
public:
    void begin(const char* type);
    void end();
    void u8(uint8_t value) { m_bytes.append(char(value)); }
    void u16(uint16_t value);
    void u32(uint32_t value);
    void u64(uint64_t value);
    void bytes(const QByteArray& value) { m_bytes.append(value); }
    void fullBox(const char* type, uint8_t version, uint32_t flags);
    const QByteArray& data() const { return m_bytes; }

private:
    QByteArray m_bytes;
    std::vector<qsizetype> m_open;
};

} // namespace recover
