#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class QIODevice;

// Reads the media data of a file through one window, so a walk over any length of file holds
// a bounded amount of it in memory.
namespace recover {

class MediaReader
{
public:
    static constexpr size_t kWindow = 1 << 20;

    MediaReader(QIODevice& device, uint64_t end);

    uint64_t end() const { return m_end; }
    bool failed() const { return m_failed; }

    // `length` bytes (at most kWindow) at `position`, or nullptr when they lie past the end.
    const uint8_t* at(uint64_t position, size_t length);
    // Copies the bytes into `out`; false when they are not all there.
    bool copy(uint64_t position, size_t length, std::vector<uint8_t>& out);
    // The first position in [from, limit) of `pattern` (at most 8 bytes); `limit` when none.
    uint64_t find(uint64_t from, uint64_t limit, const uint8_t* pattern, size_t length);

private:
    QIODevice& m_device;
    uint64_t m_end;
    std::vector<uint8_t> m_window;
    uint64_t m_start = 0;
    size_t m_length = 0;
    bool m_failed = false;
};

} // namespace recover
