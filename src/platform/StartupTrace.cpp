#include "platform/StartupTrace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#ifdef __linux__
#include <unistd.h>
#endif

namespace platform {

namespace {

double clockSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The milliseconds between the process's start and now, as far as the kernel's clock ticks of
// its start time tell (10 ms); negative where that cannot be read.
double millisecondsSinceProcessStart()
{
#ifdef __linux__
    std::FILE* stat = std::fopen("/proc/self/stat", "r");
    if (!stat)
        return -1;
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, stat) != nullptr;
    std::fclose(stat);
    // Field 22, counted after the command's name, which may hold spaces but ends at the last ')'.
    const char* field = read ? std::strrchr(line, ')') : nullptr;
    for (int i = 2; field && i < 22; ++i)
        field = std::strchr(field + 1, ' ');
    timespec boot{};
    if (!field || clock_gettime(CLOCK_BOOTTIME, &boot) != 0)
        return -1;
    const double started = std::strtod(field + 1, nullptr) / double(sysconf(_SC_CLK_TCK));
    const double sinceBoot = double(boot.tv_sec) + double(boot.tv_nsec) / 1e9;
    return (sinceBoot - started) * 1000.0;
#else
    return -1;
#endif
}

struct Trace
{
    bool on = std::getenv("ZYN_STARTUP_TRACE") != nullptr;
    double origin = 0;
};

Trace& trace()
{
    static Trace t;
    return t;
}

} // namespace

void traceStartup(const char* step)
{
    Trace& t = trace();
    if (!t.on)
        return;
    const double now = clockSeconds(CLOCK_MONOTONIC);
    const double cpu = clockSeconds(CLOCK_PROCESS_CPUTIME_ID) * 1000.0;
    if (t.origin == 0) {
        t.origin = now;
        std::fprintf(stderr,
            "zyn-startup: %.6f 0.0 ms %.1f cpu-ms %s (%.0f ms after the process started)\n", now,
            cpu, step, millisecondsSinceProcessStart());
        return;
    }
    std::fprintf(stderr, "zyn-startup: %.6f %.1f ms %.1f cpu-ms %s\n", now,
        (now - t.origin) * 1000.0, cpu, step);
}

void traceStartupOnce(const char* step, bool& done)
{
    if (done)
        return;
    done = true;
    traceStartup(step);
}

} // namespace platform
