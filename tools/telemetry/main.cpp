#include "recording/TelemetryExport.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char kUsage[]
    = "Usage: zyn-telemetry [--gpx|--csv|--events] RECORDING...\n"
      "\n"
      "Writes the telemetry of dashboard-camera recordings to standard output, so a trip can\n"
      "be taken into other tools.\n"
      "\n"
      "  --gpx     GPX 1.1 (the default): one track, one track segment per recording, a track\n"
      "            point per valid position (status A) with its UTC time, and speed (m/s) and\n"
      "            course (degrees) in a Garmin TrackPointExtension v2 element.\n"
      "  --csv     One row per telemetry record: recording, index, UTC date-time, status,\n"
      "            latitude, longitude, speed in knots and km/h, course, G-sensor X, Y, Z.\n"
      "  --events  The event index of event recordings: recording, index, event date-time,\n"
      "            seconds from the recording's start, the record's text.\n"
      "  --help    This text.\n"
      "\n"
      "A recording that cannot be read gets one line on standard error naming it and the\n"
      "reason; the others are still written, and the exit status is then 1. When the output\n"
      "cannot be written whole (a full disk, say), one line says why and the exit status is 2.\n";

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList recordings;
    QString mode = QStringLiteral("--gpx");
    QTextStream errors(stderr);
    for (const QString& argument : app.arguments().mid(1)) {
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == QLatin1String("--gpx") || argument == QLatin1String("--csv")
            || argument == QLatin1String("--events")) {
            mode = argument;
        } else if (argument.startsWith(QLatin1String("--"))) {
            errors << "zyn-telemetry: unknown option " << argument << " (see --help)\n";
            return 1;
        } else {
            recordings << argument;
        }
    }
    if (recordings.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 1;
    }

    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly)) {
        errors << "zyn-telemetry: cannot write the output: " << out.errorString() << '\n';
        return 1;
    }
    QTextStream text(&out);
    int failures = 0;
    if (mode == QLatin1String("--csv"))
        failures = telemetryexport::writeCsv(recordings, text, errors);
    else if (mode == QLatin1String("--events"))
        failures = telemetryexport::writeEvents(recordings, text, errors);
    else
        failures = telemetryexport::writeGpx(recordings, out, errors);
    // A full disk or a closed pipe must not pass for a complete file: every layer that holds
    // bytes is flushed and asked whether all of them went out, the standard stream last.
    text.flush();
    const bool written
        = text.status() == QTextStream::Ok && out.flush() && out.error() == QFileDevice::NoError;
    const QString reason = out.errorString();
    out.close();
    errno = 0;
    const bool closed
        = std::fflush(stdout) == 0 && !std::ferror(stdout) && std::fclose(stdout) == 0;
    if (!written || !closed) {
        errors << "zyn-telemetry: cannot write the output: "
               << (!written || errno == 0 ? reason : QString::fromLocal8Bit(std::strerror(errno)))
               << '\n';
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
