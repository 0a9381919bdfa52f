#include "player/PVEXQ.h"

#include <algorithm>

PVEXQ::~PVEXQ() = default;

int PVEXQ::push(PVEXState* from, PVEXState* to, std::uint32_t job, PVEXState* requester)
{
    std::lock_guard lock(m_mutex);
    m_entries[m_writeIndex] = {from, to, job, requester};
    m_writeIndex = (m_writeIndex + 1) % kSize;
    return 0;
}

int PVEXQ::peek(Entry* out) const
{
    if (!out)
        return 2;
    std::lock_guard lock(m_mutex);
    if (m_readIndex == m_writeIndex)
        return 1;
    *out = m_entries[m_readIndex];
    return 0;
}

int PVEXQ::pop(Entry* out)
{
    std::lock_guard lock(m_mutex);
    if (out) {
        if (m_readIndex == m_writeIndex)
            return 1;
        *out = m_entries[m_readIndex];
    }
    m_readIndex = (m_readIndex + 1) % kSize;
    return 0;
}

int PVEXQ::hasTerminator() const
{
    std::lock_guard lock(m_mutex);
    return std::any_of(m_entries.begin(), m_entries.end(),
               [](const Entry& entry) { return entry.jobCode == kTerminator; })
        ? 1
        : 0;
}

int PVEXQ::writeIndex() const
{
    std::lock_guard lock(m_mutex);
    return m_writeIndex;
}

int PVEXQ::readIndex() const
{
    std::lock_guard lock(m_mutex);
    return m_readIndex;
}
