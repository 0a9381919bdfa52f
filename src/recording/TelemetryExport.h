#pragma once

#include <QString>
#include <QStringList>

class QIODevice;
class QTextStream;

// The GPX and CSV forms of zyn-telemetry (and of a clip's telemetry). Each writes what it can and reports every recording
// it cannot read as one line on `errors`; the result is the number of such recordings.
namespace telemetryexport {

int writeGpx(const QStringList& recordings, QIODevice& out, QTextStream& errors);
int writeCsv(const QStringList& recordings, QTextStream& out, QTextStream& errors);

// One line on `errors` naming a recording that could not be written and why.
void reportFailure(QTextStream& errors, const QString& path, const QString& reason);
// A CSV field, quoted where it holds a separator, a quote or a line break.
QString csvField(const QString& text);

} // namespace telemetryexport
