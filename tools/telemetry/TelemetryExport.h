#pragma once

#include <QString>
#include <QStringList>

class QIODevice;
class QTextStream;

namespace drive {
struct DetectionThresholds;
}

// The three output forms of zyn-telemetry. Each writes what it can and reports every recording
// it cannot read as one line on `errors`; the result is the number of such recordings.
namespace telemetryexport {

int writeGpx(const QStringList& recordings, QIODevice& out, QTextStream& errors);
int writeCsv(const QStringList& recordings, QTextStream& out, QTextStream& errors);
// The camera's event records and, after them, the events found in each recording's telemetry
// (with the drive around it), each row with its kind.
int writeEvents(const QStringList& recordings, const drive::DetectionThresholds& thresholds,
    QTextStream& out, QTextStream& errors);

} // namespace telemetryexport
