#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

// Releases exactly one waiter per set(); a set() with nobody waiting is kept until the next
// wait, and further sets before that wait collapse into one.
class AutoResetEvent
{
public:
    void set();
    void wait();
    // False when the time ran out before the event was set.
    bool waitFor(std::chrono::milliseconds timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_signalled = false;
};

} // namespace platform
