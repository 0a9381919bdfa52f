#pragma once

#include "velqplayer/Protocol.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace playertest {

// Runs the GUI thread's events until the condition holds or the time runs out.
bool waitUntil(const std::function<bool()>& condition,
    std::chrono::milliseconds limit = std::chrono::milliseconds(5000));

// Makes a short H.264/AAC recording with the ffmpeg command; empty on failure. With
// timeRecords above 0 a "udat" block with that many time records is appended after the video.
QString makeRecording(const QString& folder, const QString& name, int seconds, int timeRecords = 0);

// What the library told its caller, in order; every field is copied under the lock as it
// arrives, whichever thread calls back.
struct Report
{
    int code = 0;
    std::intptr_t argument = 0;
    float position = 0;
    std::uint64_t frame1 = 0;
    std::uint64_t frame2 = 0;
    std::int32_t count = 0;
    float length = 0;
    std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now();
};

class CallbackLog
{
public:
    void add(const Report& report);
    std::vector<Report> all() const;
    std::vector<int> codes() const;
    bool has(int code) const;
    int count(int code) const;
    // The last report of the code, if any.
    bool last(int code, Report& report) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<Report> m_reports;
};

} // namespace playertest
