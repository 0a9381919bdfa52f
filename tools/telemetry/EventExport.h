#pragma once

#include <QStringList>

class QTextStream;

namespace drive {
struct DetectionThresholds;
}

namespace telemetryexport {

// The camera's event records and, after them, the events found in each recording's telemetry
// (with the drive around it), each row with its kind. Returns the number of recordings that
// could not be read, each reported as one line on `errors`.
int writeEvents(const QStringList& recordings, const drive::DetectionThresholds& thresholds,
    QTextStream& out, QTextStream& errors);

} // namespace telemetryexport
