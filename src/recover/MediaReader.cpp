#include "recover/MediaReader.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace recover {

namespace {

// The least read: a picture's first unit header, or the sound after a picture and the next
// picture's start, lie within it; more is read only where a run of bytes is looked through.
constexpr size_t kLeastRead = 16 << 10;
// What stays in the window before a position read on to: the walk looks back a little (the
// sound before an MPEG-4 picture's successor) far more often than far.
constexpr uint64_t kHistory = 256 << 10;

} // namespace

MediaReader::MediaReader(QIODevice& device, uint64_t end)
    : m_device(device)
    , m_end(end)
    , m_window(kWindow)
{ }

bool MediaReader::fill(uint64_t position, size_t length)
{
    const uint64_t windowEnd = m_start + m_length;
    size_t kept = 0;
    uint64_t from = position;
    uint64_t to = position + std::max(length, kLeastRead);
    if (position >= m_start && position <= windowEnd) {
        // Reading on: keep what lies just before, read only what is new, more each time a run
        // of bytes is looked through.
        const uint64_t keepFrom = std::max(m_start, position > kHistory ? position - kHistory : 0);
        kept = size_t(windowEnd - keepFrom);
        std::memmove(m_window.data(), m_window.data() + (keepFrom - m_start), kept);
        m_start = keepFrom;
        from = windowEnd;
        to = std::max(position + length, windowEnd + std::min(std::max(kLeastRead, kept), kSpan));
    } else if (position < m_start) {
        // Looking back: the bytes before are likely next.
        from = position + length > kHistory ? std::min(position, position + length - kHistory) : 0;
        m_start = from;
        to = position + length;
    } else {
        m_start = position;
    }
    to = std::min({to, m_end, m_start + kWindow});
    m_length = kept;
    if (!m_device.seek(qint64(from)))
        return !(m_failed = true);
    const size_t toRead = size_t(to - from);
    size_t got = 0;
    while (got < toRead) {
        const qint64 n = m_device.read(
            reinterpret_cast<char*>(m_window.data()) + kept + got, qint64(toRead - got));
        if (n <= 0)
            break;
        got += size_t(n);
    }
    m_length += got;
    if (got < toRead)
        return !(m_failed = true);
    return position + length <= m_start + m_length;
}

const uint8_t* MediaReader::at(uint64_t position, size_t length)
{
    if (length > kSpan || position > m_end || m_end - position < length || m_failed)
        return nullptr;
    if (position < m_start || position + length > m_start + m_length) {
        if (!fill(position, length))
            return nullptr;
    }
    return m_window.data() + (position - m_start);
}

bool MediaReader::copy(uint64_t position, size_t length, std::vector<uint8_t>& out)
{
    out.resize(length);
    for (size_t done = 0; done < length;) {
        const size_t piece = std::min(kSpan, length - done);
        const uint8_t* bytes = at(position + done, piece);
        if (!bytes)
            return false;
        std::memcpy(out.data() + done, bytes, piece);
        done += piece;
    }
    return true;
}

uint64_t MediaReader::find(uint64_t from, uint64_t limit, const uint8_t* pattern, size_t length)
{
    limit = std::min(limit, m_end);
    const size_t step = kSpan - length;
    for (uint64_t position = from; position + length <= limit; position += step) {
        const size_t piece = size_t(std::min<uint64_t>(kSpan, limit - position));
        const uint8_t* bytes = at(position, piece);
        if (!bytes)
            return limit;
        const uint8_t* end = bytes + piece;
        for (const uint8_t* p = bytes; p + length <= end;) {
            p = static_cast<const uint8_t*>(std::memchr(p, pattern[0], size_t(end - p)));
            if (!p || p + length > end)
                break;
            if (std::memcmp(p, pattern, length) == 0)
                return position + uint64_t(p - bytes);
            ++p;
        }
    }
    return limit;
}

} // namespace recover
