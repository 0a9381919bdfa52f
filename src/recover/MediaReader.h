#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class QIODevice;

// Reads a file from its first byte on, in large blocks, through one window: a walk over any
// length of file holds a bounded amount of it in memory and reads every byte once. Each block
// read can go straight on to a copy, so the recovered file is written as the walk reads, not in
// a second pass over the data.
namespace recover {

class MediaReader
{
public:
    static constexpr size_t kBlock = 1 << 20;
    static constexpr size_t kWindow = 4 << 20;
    // The longest run of bytes at() hands out in one piece.
    static constexpr size_t kSpan = 2 << 20;

    MediaReader(QIODevice& device, uint64_t end);

    // Every byte read from now on goes to `target` too, in file order from the first byte:
    // call before the first read. The target then holds [0, readPosition()), with `gap` zero
    // bytes put in before the byte at `gapAt` when there is a gap (room for a longer header).
    void copyTo(QIODevice* target, uint64_t gapAt = 0, size_t gap = 0)
    {
        m_target = target;
        m_gapAt = gapAt;
        m_gap = gap;
    }

    uint64_t end() const { return m_end; }
    bool failed() const { return m_failed; }
    bool writeFailed() const { return m_writeFailed; }
    uint64_t readPosition() const { return m_next; }

    // `length` bytes (at most kSpan) at `position`, or nullptr when they lie past the end or
    // cannot be read. Valid until the next call.
    const uint8_t* at(uint64_t position, size_t length);
    // Copies the bytes into `out`; false when they are not all there.
    bool copy(uint64_t position, size_t length, std::vector<uint8_t>& out);
    // The first position in [from, limit) of `pattern` (at most 8 bytes); `limit` when none.
    uint64_t find(uint64_t from, uint64_t limit, const uint8_t* pattern, size_t length);
    // Reads (and copies) on up to `position`; false when reading or writing failed.
    bool readTo(uint64_t position);

private:
    bool readBlock(uint64_t keepFrom);
    bool write(const uint8_t* bytes, size_t length);
    const uint8_t* readAside(uint64_t position, size_t length);

    QIODevice& m_device;
    QIODevice* m_target = nullptr;
    uint64_t m_gapAt = 0;
    size_t m_gap = 0;
    uint64_t m_end;
    std::vector<uint8_t> m_window;
    std::vector<uint8_t> m_aside; // bytes before the window, read again on demand
    uint64_t m_start = 0; // of the window
    uint64_t m_next = 0; // the next byte to read in order; the window ends here
    uint64_t m_devicePosition = UINT64_MAX; // unknown: others may have moved it
    bool m_failed = false;
    bool m_writeFailed = false;
};

} // namespace recover
