#pragma once

#include "recording/RecordingName.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// What a drive needs of one recording, read through the headers-only telemetry reader: the
// block and the event index, never the video.
namespace drive {

// One second of telemetry, reduced to what summaries and detection use.
struct TelemetrySecond
{
    bool hasFix = false; // a "$GPRMC" sentence with status A and a position on the globe
    bool hasSample = false;
    float speedKmh = 0;
    float course = 0;
    double latitude = 0;
    double longitude = 0;
    float x = 0;
    float y = 0;
    float z = 0;
    qint64 utc = 0; // the fix's satellite time, seconds since the epoch; 0 without a fix
};

struct CameraEvent
{
    QDateTime time; // as the record names it, the camera's local time
    QString text;
};

struct RecordingTelemetry
{
    QString path;
    recording::RecordingType type = recording::NotARecording;
    QDateTime start; // the name's wall-clock time
    int lengthSeconds = 0; // time records, or the movie's duration when there is no telemetry
    bool hasTelemetry = false;
    int telemetryCode = 0; // the reader's code when there is none
    std::vector<TelemetrySecond> seconds; // from the start; fewer than the length when cut short
    std::vector<CameraEvent> cameraEvents;
};

enum class ReadResult { Ok, NotARecordingName, CannotOpen };

// Reads one recording. A recording without a usable telemetry block is still Ok (its length then
// comes from the movie header, 0 when that is missing too); only a name without a start time and
// a file that cannot be opened are failures.
ReadResult readRecording(const QString& path, RecordingTelemetry& out);

// The movie header's duration in whole seconds, rounded up; nothing when the file has none.
// Reads box headers only.
std::optional<int> movieDurationSeconds(const QString& path);

} // namespace drive
