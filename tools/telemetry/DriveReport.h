#pragma once

#include <QStringList>

class QTextStream;

namespace drive {
struct DetectionThresholds;
}

// zyn-telemetry's drive summary: readable text, or one JSON object with a list "drives".
namespace telemetryexport {

// Summarises the drives of the recordings (folders stand for the recordings in them). Each
// recording left out gets one line on `errors`; the result is their number.
int writeSummary(const QStringList& inputs, const drive::DetectionThresholds& thresholds, bool json,
    QTextStream& out, QTextStream& errors);

} // namespace telemetryexport
