#pragma once

#include "clip/ClipSpan.h"

#include <QByteArray>

// The clip's own telemetry block and event index, in the camera's format, so that whatever reads
// a camera recording reads the clip the same way.
namespace clip {

struct ClipTelemetry
{
    QByteArray udat; // empty when none of the clip's recordings carries telemetry
    QByteArray events; // "EVTI" box of the event records inside the span, empty when none
    int records = 0; // time records in `udat`
};

// One record per second of the clip, taken from the recording and second the clip shows then;
// a second no recording has telemetry for is written as zeros, which readers take as no time,
// no fix and no sample (recording::sensorSample).
// The event index holds the plan's event records, byte for byte.
ClipTelemetry clipTelemetry(const ClipPlan& plan);

} // namespace clip
