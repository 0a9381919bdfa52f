#pragma once

#include "drive/DriveTypes.h"

#include <optional>
#include <vector>

namespace drive {

struct TelemetrySecond;

// One second of a drive in time order. `data` is null where a recording has no telemetry for
// it; `offset` counts seconds from the drive's start, so a gap between recordings shows.
struct TimelineSecond
{
    const TelemetrySecond* data = nullptr;
    qint64 offset = 0;
    int recording = 0;
    int second = 0;
};

// How the G-sensor sits in the vehicle, when the data tells: the axis that follows the
// positions' change of speed, its sign and its resting value (tilt puts gravity on it).
struct TravelAxis
{
    int axis = 0; // 0 x, 1 y, 2 z
    double sign = 1;
    double bias = 0;
};

// The axis along the direction of travel, found by holding each axis against the speed
// change between fixes; nothing when no axis follows it closely (too little driving, a sensor
// in another unit, or none at all).
std::optional<TravelAxis> findTravelAxis(
    const std::vector<TimelineSecond>& timeline, const DetectionThresholds& thresholds);

// Hard braking, hard acceleration, impacts and sharp turns, in time order. Seconds without a
// fix, the first seconds after a fix returns and a standing vehicle give none; a run of
// seconds of one kind is one event. `time` is left for the caller.
std::vector<DriveEvent> detectEvents(
    const std::vector<TimelineSecond>& timeline, const DetectionThresholds& thresholds);

} // namespace drive
