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

#if defined(__SANITIZE_THREAD__)
inline constexpr bool kThreadSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
inline constexpr bool kThreadSanitizer = true;
#else
inline constexpr bool kThreadSanitizer = false;
#endif
#else
inline constexpr bool kThreadSanitizer = false;
#endif

// ThreadSanitizer slows decoding and every hand-over several times over, and a seek's own
// latency then eats much of the media time measured at the slowest speeds: there the measured
// rate is held only to a looser floor.
inline constexpr double kRateFloor = kThreadSanitizer ? 0.3 : 0.6;

// Runs the GUI thread's events until the condition holds or the time runs out.
bool waitUntil(const std::function<bool()>& condition,
    std::chrono::milliseconds limit = std::chrono::milliseconds(5000));

// A short H.264/AAC recording made with the ffmpeg command, followed by `tail` (a telemetry
// block, say); empty on failure. Recordings are kept in a folder of the system's temporary
// folder and made once for every test program that asks for the same one.
QString makeRecording(const QString& name, int seconds, const QByteArray& tail = {});
// A "udat" block of n time records with empty position and acceleration records.
QByteArray emptyTelemetry(int records);
// What ffmpeg writes with the arguments (the output file last, named `name`), made once like
// makeRecording's: under ThreadSanitizer a test must not start ffmpeg itself once threads run.
QString ffmpegOutput(const QString& name, const QStringList& arguments);
// A raw MJPEG stream (no container, so no known length), made once like makeRecording's.
QString makeMjpegStream(const QString& name, int seconds);
// The recording with its video box rewritten in the 64-bit size form, as muxers write it past
// 4 GB: the muxer's 8-byte "free" box before "mdat" becomes the longer header, so the media
// data stays where the index says it is. Empty when the recording has no such pair.
QByteArray withLargeVideoBox(const QByteArray& recording);

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
    // Code 20's record, when the library passed one.
    int endReason = -1;
    std::string endFile;
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
