#include "recover/MediaReader.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace recover {

MediaReader::MediaReader(QIODevice& device, uint64_t end)
    : m_device(device)
    , m_end(end)
    , m_window(kWindow)
{ }

const uint8_t* MediaReader::at(uint64_t position, size_t length)
{
    if (length > kWindow || position > m_end || m_end - position < length)
        return nullptr;
    if (position < m_start || position + length > m_start + m_length) {
        const size_t wanted = size_t(std::min<uint64_t>(kWindow, m_end - position));
        if (!m_device.seek(qint64(position))) {
            m_failed = true;
            return nullptr;
        }
        size_t got = 0;
        while (got < wanted) {
            const qint64 n = m_device.read(
                reinterpret_cast<char*>(m_window.data()) + got, qint64(wanted - got));
            if (n <= 0)
                break;
            got += size_t(n);
        }
        m_start = position;
        m_length = got;
        if (got < length) {
            m_failed = true;
            return nullptr;
        }
    }
    return m_window.data() + (position - m_start);
}

bool MediaReader::copy(uint64_t position, size_t length, std::vector<uint8_t>& out)
{
    out.resize(length);
    for (size_t done = 0; done < length;) {
        const size_t piece = std::min(kWindow, length - done);
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
    const size_t step = kWindow - length;
    for (uint64_t position = from; position + length <= limit; position += step) {
        const size_t piece = size_t(std::min<uint64_t>(kWindow, limit - position));
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
