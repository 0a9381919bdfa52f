#include "DriveReport.h"
#include "EventExport.h"
#include "recording/TelemetryExport.h"

#include "drive/DriveTypes.h"
#include "recording/CardFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const char kUsage[]
    = "Usage: zyn-telemetry [--gpx|--csv|--events] [THRESHOLDS] FOLDER|RECORDING...\n"
      "       zyn-telemetry --summary [--json] [THRESHOLDS] FOLDER|RECORDING...\n"
      "\n"
      "Writes the telemetry of dashboard-camera recordings to standard output, so a trip can\n"
      "be taken into other tools. A folder stands for the recordings in it.\n"
      "\n"
      "  --gpx     GPX 1.1 (the default): one track, one track segment per recording, a track\n"
      "            point per valid position (status A) with its UTC time, and speed (m/s) and\n"
      "            course (degrees) in a Garmin TrackPointExtension v2 element.\n"
      "  --csv     One row per telemetry record: recording, index, UTC date-time, status,\n"
      "            latitude, longitude, speed in knots and km/h, course, G-sensor X, Y, Z.\n"
      "  --events  The camera's event records of event recordings (recording, index, event\n"
      "            date-time, seconds from the recording's start, the record's text), then the\n"
      "            events found in the telemetry (index and seconds: the record's second;\n"
      "            text: strength and length); the last column, kind, says which: camera,\n"
      "            braking, acceleration, impact or turn. Times are the camera's local time.\n"
      "  --summary The drives the recordings form (each starts within 3 s of where the one\n"
      "            before ended): start, end, duration, recordings, distance, greatest and\n"
      "            mean moving speed, time moving and stopped, and the camera's and the found\n"
      "            events with their times.\n"
      "  --json    With --summary: one JSON object {\"drives\": [...]}.\n"
      "  --help    This text.\n"
      "\n"
      "Thresholds of the found events (defaults in brackets):\n"
      "  --brake-kmh N      braking: speed lost within one second, km/h [12]\n"
      "  --brake-g N        braking: G-sensor against the direction of travel, g [0.45]\n"
      "  --accel-kmh N      acceleration: speed gained within one second, km/h [12]\n"
      "  --accel-g N        acceleration: G-sensor along the direction of travel, g [0.45]\n"
      "  --impact-g N       impact: G-sensor magnitude above the seconds around it, g [1.5]\n"
      "  --turn-dps N       sharp turn: course change, degrees a second [30]\n"
      "  --turn-min-kmh N   sharp turn: only above this speed, km/h [20]\n"
      "The G-sensor tests apply only when the data shows which axis points along the vehicle.\n"
      "Nothing is found without a fix, in the first 3 seconds after a fix returns, or while the\n"
      "vehicle stands (below 5 km/h).\n"
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
    bool json = false;
    drive::DetectionThresholds thresholds;
    QStringList emptyFolders;
    QTextStream errors(stderr);
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        if (argument == QLatin1String("--gpx") || argument == QLatin1String("--csv")
            || argument == QLatin1String("--events") || argument == QLatin1String("--summary")) {
            mode = argument;
        } else if (argument == QLatin1String("--json")) {
            json = true;
        } else if (name.startsWith(QLatin1String("--"))
            && drive::thresholdNames().contains(name.mid(2))) {
            const bool hasInlineValue = argument.contains(QLatin1Char('='));
            if (!hasInlineValue && i + 1 >= arguments.size()) {
                errors << "zyn-telemetry: " << name << " needs a value (see --help)\n";
                return 1;
            }
            const QString text
                = hasInlineValue ? argument.section(QLatin1Char('='), 1) : arguments[++i];
            if (!drive::setThreshold(thresholds, name.mid(2), text)) {
                errors << "zyn-telemetry: " << name << " takes a positive number, not \"" << text
                       << "\"\n";
                return 1;
            }
        } else if (argument.startsWith(QLatin1String("--"))) {
            errors << "zyn-telemetry: unknown option " << argument << " (see --help)\n";
            return 1;
        } else if (QFileInfo(argument).isDir()) {
            const QStringList found = recording::folderRecordings(argument);
            if (found.isEmpty())
                emptyFolders << argument;
            recordings << found;
        } else {
            recordings << argument;
        }
    }
    if (json && mode != QLatin1String("--summary")) {
        errors << "zyn-telemetry: --json goes with --summary (see --help)\n";
        return 1;
    }
    for (const QString& folder : emptyFolders)
        errors << "zyn-telemetry: " << folder << ": no recordings in this folder\n";
    if (recordings.isEmpty()) {
        if (emptyFolders.isEmpty())
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
        failures = telemetryexport::writeEvents(recordings, thresholds, text, errors);
    else if (mode == QLatin1String("--summary"))
        failures = telemetryexport::writeSummary(recordings, thresholds, json, text, errors);
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
    return failures == 0 && emptyFolders.isEmpty() ? 0 : 1;
}
