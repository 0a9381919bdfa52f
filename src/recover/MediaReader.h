#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class QIODevice;

// Reads a file's media data through one window: a walk over any length of file holds a bounded
// amount of it in memory. Reads go where the walk looks: a run of bytes read on from the
// window's end continues it, a look further on starts the window anew there with a small read,
// so pictures skipped by their lengths are not read at all.
namespace recover {

class MediaReader
{
public:
    static constexpr size_t kWindow = 4 << 20;
    // The longest run of bytes at() hands out in one piece.
    static constexpr size_t kSpan = 2 << 20;

    MediaReader(QIODevice& device, uint64_t end);

    uint64_t end() const { return m_end; }
    bool failed() const { return m_failed; }

    // `length` bytes (at most kSpan) at `position`, or nullptr when they lie past the end or
    // cannot be read. Valid until the next call.
    const uint8_t* at(uint64_t position, size_t length);
    // Copies the bytes into `out`; false when they are not all there.
    bool copy(uint64_t position, size_t length, std::vector<uint8_t>& out);
    // The first position in [from, limit) of `pattern` (at most 8 bytes); `limit` when none.
    uint64_t find(uint64_t from, uint64_t limit, const uint8_t* pattern, size_t length);

private:
    bool fill(uint64_t position, size_t length);

    QIODevice& m_device;
    uint64_t m_end;
    std::vector<uint8_t> m_window;
    uint64_t m_start = 0; // of the window
    size_t m_length = 0;
    bool m_failed = false;
};

} // namespace recover
