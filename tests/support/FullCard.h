#pragma once

#include <csignal>
#include <sys/resource.h>

namespace testsupport {

// While it lives, no file this process writes may grow past `bytes`, as on a card that is full.
// It works for the superuser too, unlike a read-only folder. Standard output is a file as well
// when captured: print nothing meanwhile.
class FullCard
{
public:
    explicit FullCard(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullCard()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FullCard(const FullCard&) = delete;
    FullCard& operator=(const FullCard&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace testsupport
