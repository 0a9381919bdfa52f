#pragma once

#include "archive/ArchiveTypes.h"

#include <vector>

namespace drive {
struct RecordingTelemetry;
}

// The camera's clock (its files' names) against the satellites' time (the fixes): the camera is
// set to a time zone by hand and drifts, so the difference is whole hours plus some seconds.
namespace archive {

// A change of the offset larger than this is the clock being set (a daylight saving change, a
// reset), not its drift.
constexpr int kClockJumpSeconds = 300;

// The offset over a drive's recordings (in time order): the median of camera minus satellite
// time over every second with a fix, split into the zone's whole hours and the drift. A jump
// between the drive's recordings is given in jumpSeconds.
ClockOffset measureClock(const std::vector<drive::RecordingTelemetry>& recordings);

// How far the clock jumped from one drive to the next, 0 when it only drifted or either is
// unknown.
int clockJump(const ClockOffset& before, const ClockOffset& after);

} // namespace archive
