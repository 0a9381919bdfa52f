#include "archive/ClockOffset.h"

#include "drive/RecordingTelemetry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace archive {

namespace {

qint64 median(std::vector<qint64> values)
{
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

ClockOffset measureClock(const std::vector<drive::RecordingTelemetry>& recordings)
{
    ClockOffset clock;
    std::vector<qint64> all;
    std::vector<qint64> perRecording; // each recording's own median, in time order
    for (const drive::RecordingTelemetry& r : recordings) {
        const qint64 start = r.start.toSecsSinceEpoch();
        std::vector<qint64> own;
        for (size_t i = 0; i < r.seconds.size(); ++i) {
            if (r.seconds[i].hasFix && r.seconds[i].utc != 0)
                own.push_back(start + qint64(i) - r.seconds[i].utc);
        }
        if (own.empty())
            continue;
        perRecording.push_back(median(own));
        all.insert(all.end(), own.begin(), own.end());
    }
    if (all.empty())
        return clock;
    const qint64 offset = median(all);
    clock.known = true;
    clock.zoneHours = int(std::llround(double(offset) / 3600));
    clock.driftSeconds = int(offset - qint64(clock.zoneHours) * 3600);
    for (size_t i = 1; i < perRecording.size(); ++i) {
        const qint64 step = perRecording[i] - perRecording[i - 1];
        if (std::llabs(step) > kClockJumpSeconds && std::llabs(step) > std::abs(clock.jumpSeconds))
            clock.jumpSeconds = int(step);
    }
    return clock;
}

int clockJump(const ClockOffset& before, const ClockOffset& after)
{
    if (!before.known || !after.known)
        return 0;
    const qint64 step = after.offsetSeconds() - before.offsetSeconds();
    return std::llabs(step) > kClockJumpSeconds ? int(step) : 0;
}

} // namespace archive
