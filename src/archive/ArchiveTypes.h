#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// The values the archive hands to its command and to the viewer's archive window: plain data,
// copyable across threads. Times are whole seconds: "camera" seconds are the camera's wall
// clock (the names' times) counted as if it were UTC, "utc" seconds the satellites' time.
namespace archive {

// What became of a recording in the archive.
enum class RecordingState : int {
    Intact = 0, // closed by the camera, telemetry read
    Unclosed = 1, // the camera never closed it (the power went): kept as it is
    Unreadable = 2, // not a recording the library can read: kept as it is
    Recovered = 3, // a recovered copy standing in for an unclosed original
};

// "intact", "unclosed", "unreadable", "recovered".
QString recordingStateName(RecordingState state);

struct RecordingRow
{
    qint64 id = 0;
    QString vehicle;
    QString name; // the file's name as the camera wrote it
    QString path; // relative to the archive root
    QString kind; // "drf", "evt", "muevt"
    qint64 cameraStart = 0;
    int lengthSeconds = 0;
    qint64 size = 0;
    QString codec; // "h264", "mpeg4", "mjpeg", or empty when unknown
    QByteArray sha256; // hex
    bool hasTelemetry = false;
    RecordingState state = RecordingState::Intact;
    qint64 drive = 0; // 0 while no drive holds it yet
};

// The camera's clock against the satellites' over one drive.
struct ClockOffset
{
    bool known = false; // no fix with a time: nothing to compare
    int zoneHours = 0; // the whole hours of the time zone the camera is set to
    int driftSeconds = 0; // beyond the zone: positive when the camera runs fast
    int jumpSeconds = 0; // how far the clock jumped within the drive or since the drive before
    qint64 offsetSeconds() const { return qint64(zoneHours) * 3600 + driftSeconds; }
};

// "+3 h, 42 s fast", "-5 h, exact", "unknown".
QString clockText(const ClockOffset& clock);
// "+1 h", "-42 s": the size of a jump.
QString jumpText(int seconds);

struct DriveRow
{
    qint64 id = 0;
    QString vehicle;
    qint64 cameraStart = 0;
    qint64 cameraEnd = 0;
    qint64 utcStart = 0; // 0 when the drive has no fix with a time
    int recordings = 0;
    double distanceKm = 0;
    double maxSpeedKmh = 0;
    double meanMovingSpeedKmh = 0;
    qint64 movingSeconds = 0;
    qint64 stoppedSeconds = 0;
    int events = 0;
    ClockOffset clock;
};

struct EventRow
{
    qint64 drive = 0;
    QString kind; // as drive::eventKindName() names it
    QString recording; // absolute path
    int second = 0;
    int seconds = 1;
    qint64 cameraTime = 0;
    double strength = 0;
    QString unit;
    QString text; // the camera's own record
};

// One second of a drive's track, for the speed profile and the route.
struct TrackPoint
{
    qint64 offset = 0; // seconds from the drive's start by the camera's clock
    QString recording; // absolute path
    int second = 0;
    qint64 utc = 0;
    double latitude = 0;
    double longitude = 0;
    double speedKmh = 0;
    double course = 0;
};

enum class TimeBase { Camera, Utc };

// What find() looks for; every part that is set must hold.
struct Query
{
    std::optional<double> latitude; // with longitude: passes within radiusMetres
    std::optional<double> longitude;
    double radiusMetres = 100;
    std::optional<qint64> from; // seconds in `timeBase`, inclusive
    std::optional<qint64> to; // exclusive
    TimeBase timeBase = TimeBase::Camera;
    QStringList kinds; // event kinds; empty: not a search for events
    QString vehicle;
    std::optional<double> minSpeedKmh;
    int limit = 10000;
};

// A moment found: where to look at it.
struct Moment
{
    QString vehicle;
    qint64 drive = 0;
    QString recording; // absolute path
    QString relativePath;
    int second = 0;
    qint64 cameraTime = 0;
    qint64 utc = 0; // 0 when that second had no fix with a time
    bool hasPosition = false;
    double latitude = 0;
    double longitude = 0;
    double speedKmh = 0;
    double distanceMetres = -1; // from the point asked about, for passes
    QString match; // what matched: "pass", "speed" or the event's kind
    double strength = 0; // the event's strength
    QString unit;
};

// Seconds text of the camera's clock or of UTC: "2025-06-14 14:23:37".
QString timeText(qint64 seconds);
std::optional<qint64> parseTime(const QString& text);

} // namespace archive
