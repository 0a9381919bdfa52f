#include "recover/MediaReader.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace recover {

namespace {

// What stays in the window before the position asked for: the walk looks back a little (the
// sound before an MPEG-4 picture's successor) far more often than far.
constexpr uint64_t kHistory = 256 << 10;

} // namespace

MediaReader::MediaReader(QIODevice& device, uint64_t end)
    : m_device(device)
    , m_end(end)
    , m_window(kWindow)
{ }

bool MediaReader::readBlock(uint64_t keepFrom)
{
    const size_t length = size_t(m_next - m_start);
    const size_t wanted = size_t(std::min<uint64_t>(kBlock, m_end - m_next));
    if (length + wanted > kWindow) {
        keepFrom = std::clamp(keepFrom, m_start + length + wanted - kWindow, m_next);
        const size_t drop = size_t(keepFrom - m_start);
        std::memmove(m_window.data(), m_window.data() + drop, length - drop);
        m_start = keepFrom;
    }
    uint8_t* into = m_window.data() + (m_next - m_start);
    if (m_devicePosition != m_next && !m_device.seek(qint64(m_next)))
        return !(m_failed = true);
    size_t got = 0;
    while (got < wanted) {
        const qint64 n = m_device.read(reinterpret_cast<char*>(into) + got, qint64(wanted - got));
        if (n <= 0)
            break;
        got += size_t(n);
    }
    m_devicePosition = m_next + got;
    if (got < wanted)
        return !(m_failed = true);
    if (m_target && !write(into, got))
        return !(m_failed = m_writeFailed = true);
    m_next += got;
    return true;
}

bool MediaReader::write(const uint8_t* bytes, size_t length)
{
    const auto put = [this](const uint8_t* from, size_t n) {
        return m_target->write(reinterpret_cast<const char*>(from), qint64(n)) == qint64(n);
    };
    if (m_gap == 0 || m_gapAt < m_next || m_gapAt >= m_next + length)
        return put(bytes, length);
    const size_t before = size_t(m_gapAt - m_next);
    const std::vector<uint8_t> zeros(m_gap, 0);
    return put(bytes, before) && put(zeros.data(), zeros.size())
        && put(bytes + before, length - before);
}

const uint8_t* MediaReader::readAside(uint64_t position, size_t length)
{
    m_aside.resize(length);
    if (!m_device.seek(qint64(position)))
        return nullptr;
    size_t got = 0;
    while (got < length) {
        const qint64 n
            = m_device.read(reinterpret_cast<char*>(m_aside.data()) + got, qint64(length - got));
        if (n <= 0)
            break;
        got += size_t(n);
    }
    m_devicePosition = position + got;
    if (got < length) {
        m_failed = true;
        return nullptr;
    }
    return m_aside.data();
}

const uint8_t* MediaReader::at(uint64_t position, size_t length)
{
    if (length > kSpan || position > m_end || m_end - position < length || m_failed)
        return nullptr;
    if (position < m_start)
        return readAside(position, length);
    while (position + length > m_next) {
        const uint64_t anchor = std::min(position, m_next);
        if (!readBlock(anchor > kHistory ? anchor - kHistory : 0))
            return nullptr;
    }
    return m_window.data() + (position - m_start);
}

bool MediaReader::readTo(uint64_t position)
{
    position = std::min(position, m_end);
    while (m_next < position) {
        if (!readBlock(m_next))
            return false;
    }
    return !m_failed;
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
