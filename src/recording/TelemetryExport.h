#pragma once

#include <QString>
#include <QStringList>

class QIODevice;
class QTextStream;

// The three output forms of zyn-telemetry. Each writes what it can and reports every recording
// it cannot read as one line on `errors`; the result is the number of such recordings.
namespace telemetryexport {

int writeGpx(const QStringList& recordings, QIODevice& out, QTextStream& errors);
int writeCsv(const QStringList& recordings, QTextStream& out, QTextStream& errors);
int writeEvents(const QStringList& recordings, QTextStream& out, QTextStream& errors);

} // namespace telemetryexport
