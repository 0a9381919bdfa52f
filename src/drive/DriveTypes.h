#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The values a drive's library hands to the viewer and to zyn-telemetry: plain data, copyable
// across threads.
namespace drive {

// Where detection draws its lines. The defaults suit a car: ordinary town driving stays well
// inside them, an emergency stop, a kerb strike or a swerve does not.
struct DetectionThresholds
{
    double brakeKmhPerSecond = 12; // speed lost within one second (positions' speed)
    double accelerationKmhPerSecond = 12; // speed gained within one second
    double brakeG = 0.45; // sample's component against the direction of travel
    double accelerationG = 0.45; // sample's component along the direction of travel
    double impactG = 1.5; // magnitude above that of the neighbouring seconds
    double turnDegreesPerSecond = 30; // course change rate
    double turnMinimumKmh = 20; // slower than this a course is mostly receiver noise
    double stationaryKmh = 5; // below this the vehicle counts as standing
    int settleSeconds = 3; // valid fixes needed after a loss before anything is judged
};

// The thresholds a user may set, by the names zyn-telemetry's options and the viewer's stored
// setting share ("brake-kmh", "brake-g", "accel-kmh", "accel-g", "impact-g", "turn-dps",
// "turn-min-kmh").
QStringList thresholdNames();
// Sets the named threshold from its text; false (and nothing changed) for an unknown name or a
// value that is not a positive finite number.
bool setThreshold(DetectionThresholds& thresholds, const QString& name, const QString& value);
// "name=value" pairs separated by spaces, as the viewer stores them. A pair that cannot be read
// is passed over and leaves its default: a garbled setting must not silence the detection.
DetectionThresholds parseThresholds(const QString& text);
QString formatThresholds(const DetectionThresholds& thresholds);

enum class EventKind { Camera, Braking, Acceleration, Impact, Turn };

// "camera", "braking", "acceleration", "impact", "turn".
QString eventKindName(EventKind kind);
// The unit a kind's strength is given in: "g" or "deg/s" ("" for the camera's own events).
QString strengthUnit(EventKind kind);

// One event of a drive: the camera's own (from an event index) or one found in the telemetry.
struct DriveEvent
{
    EventKind kind = EventKind::Camera;
    int recording = 0; // index into the drive's recordings
    int second = 0; // from that recording's start; the first second of a run
    int seconds = 1; // length of the run
    QDateTime time; // the camera's local wall-clock time
    double strength = 0; // the run's greatest value, in strengthUnit(kind)
    QString text; // the camera's record text; empty for detected events
};

struct RoutePoint
{
    double latitude = 0;
    double longitude = 0;
};

// A second of the drive with a fix, for its speed profile.
struct SpeedSecond
{
    qint64 offset = 0; // from the drive's start
    float speedKmh = 0;
    int recording = 0; // index into the drive's recordings
    int second = 0; // within that recording
};

struct DriveSummary
{
    QStringList recordings; // paths, in time order
    std::vector<qint64> recordingOffsets; // each recording's start, seconds from the drive's
    std::vector<int> recordingLengths; // seconds
    QDateTime start; // camera local time, from the first recording's name
    QDateTime end; // the last recording's start plus its length
    qint64 durationSeconds = 0;
    double distanceKm = 0;
    double maxSpeedKmh = 0;
    double meanMovingSpeedKmh = 0;
    qint64 movingSeconds = 0;
    qint64 stoppedSeconds = 0;
    std::vector<DriveEvent> events; // camera's and detected, in time order
    std::vector<RoutePoint> route; // valid fixes the distance was measured over
    std::vector<SpeedSecond> speeds; // every second with a fix, in time order
};

} // namespace drive
