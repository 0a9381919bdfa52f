#pragma once

#include <array>
#include <cstdint>
#include <mutex>

class PVEXState;

// The worker thread's job queue: five entries in a ring with no full check, so at most four
// jobs may be pending. The state that pushes and the worker that serves are on different
// threads, so every access holds the queue's lock.
class PVEXQ
{
public:
    static constexpr int kSize = 5;
    static constexpr std::uint32_t kUnloadJob = 16;
    static constexpr std::uint32_t kTerminator = 0xFFFF;

    struct Entry
    {
        PVEXState* fromState = nullptr;
        PVEXState* toState = nullptr;
        std::uint32_t jobCode = 0;
        PVEXState* requester = nullptr;
    };

    PVEXQ() = default;
    virtual ~PVEXQ();

    int push(PVEXState* from, PVEXState* to, std::uint32_t job, PVEXState* requester);
    // 2 without an output entry, 1 when empty, else 0 with the oldest entry copied.
    int peek(Entry* out) const;
    // With an output entry: 1 when empty, else the oldest is copied. Either way the read index
    // then advances, even on an empty queue when no entry is given.
    int pop(Entry* out);
    // 1 when any entry, served or not, carries the terminator.
    int hasTerminator() const;

    int writeIndex() const;
    int readIndex() const;

private:
    mutable std::mutex m_mutex;
    int m_writeIndex = 0;
    int m_readIndex = 0;
    std::array<Entry, kSize> m_entries{};
};
