#pragma once

#include <fstream>
#include <string>

// A field of the benchmark's own /proc/self/status in kB ("VmRSS:", "VmHWM:"), -1 when absent:
// the memory goals are measured as growth of the resident and peak sizes across a run.
inline long statusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    }
    return -1;
}
