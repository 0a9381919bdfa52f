#pragma once

#include "drive/RecordingTelemetry.h"

#include <QImage>
#include <QString>

#include <vector>

class QPainter;

// The band drawn under a clip's picture so that any player shows what the telemetry says: the
// time, speed, heading, position, the G-sensor's values and their recent course, an event mark
// and the recording's name.
namespace overlay {

// A multiple of 16, so the picture with the band under it still divides into whole macroblocks.
constexpr int kBandHeight = 112;
// How long after an event's marked second the band keeps its mark.
constexpr int kEventMarkSeconds = 3;
// Seconds of G-sensor values the small graph shows.
constexpr int kGraphSeconds = 10;

struct BandOptions
{
    int speedUnit = 0; // 0 km/h, 1 mph, 2 knots, as the viewer's settings hold it
    QString name; // the recording's name the band carries
};

// What the band shows at one moment of the clip.
struct BandValues
{
    bool hasTelemetry = false; // a valid fix or a sensor sample in this second
    bool hasFix = false;
    QString time; // "YYYY-MM-DD HH:MM:SS", the camera's local time
    double speed = 0; // in the chosen unit
    double course = 0;
    double latitude = 0;
    double longitude = 0;
    bool hasSample = false;
    double x = 0, y = 0, z = 0;
    bool event = false;
};

class BandPainter
{
public:
    // `telemetry`: the clip's own (read with drive::readRecording), its second 0 the clip's
    // first; `width`: the picture's.
    BandPainter(drive::RecordingTelemetry telemetry, int width, BandOptions options);

    // The values at `seconds` from the clip's start. Speed and position are interpolated between
    // two seconds that both have a fix, since a vehicle moves smoothly between them; the rest,
    // and the event mark, are held for the whole second. A second without telemetry has none:
    // the values of the second before are not repeated.
    BandValues values(double seconds) const;

    // The band as it is drawn at `seconds`.
    QImage band(double seconds) const;
    void paint(QPainter& painter, int top, double seconds) const;

    int width() const { return m_width; }

    // "N", "NE", ... for a course in degrees.
    static QString compassPoint(double course);
    static QString unitLabel(int speedUnit);

private:
    void paintGraph(QPainter& painter, const QRect& box, double seconds) const;

    drive::RecordingTelemetry m_telemetry;
    int m_width;
    BandOptions m_options;
    std::vector<int> m_eventSeconds;
};

} // namespace overlay
