#pragma once

#include "recording/PositionSentence.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <string_view>

class BackBuffer;

// The telemetry panel under the video: speed digits with their unit label, the compass needle,
// the two position lines, and the no-internet text in the map area. It keeps the telemetry
// record of the last position sentence, which printing and the map read too.
//
// Every drawing routine draws into the back buffer and marks only its own rectangle; the
// window decides when the screen takes the gathered region.
class TelemetryPanel
{
public:
    static constexpr QRect kPanelArea{360, 576, 300, 144};
    static constexpr QRect kDigitsArea{548, 626, 60, 62};
    static constexpr int kDigitsTop = 657;
    static constexpr int kDigitLeft[3] = {563, 578, 593};
    static constexpr int kFirstDigitBitmap = 243;
    static constexpr QRect kUnitLabelArea{553, 696, 66, 10};
    static constexpr int kFirstUnitBitmap = 185;
    static constexpr QPoint kCompassCentre{428, 656};
    static constexpr int kNeedleLength = 22;
    static constexpr QRect kPositionArea{360, 720, 300, 60};
    static constexpr QPoint kLatitudeAt{360, 720};
    static constexpr QPoint kLongitudeAt{360, 737};
    static constexpr int kNoInternetCentreX = 840;
    static constexpr int kNoInternetTop = 255;

    // A position the map can be moved to.
    struct MapFix
    {
        double latitude = 0;
        double longitude = 0;
    };

    const recording::TelemetryRecord& record() const { return m_record; }
    // Zero, as at start-up.
    void clearRecord() { m_record = {}; }
    // Opening a recording: nothing of the one before stays, neither its record nor its
    // position lines, so one without telemetry of its own never shows another's speed or place.
    void forgetRecording(BackBuffer& buffer);

    int unit() const { return m_unit; }
    // The speed unit of the viewer settings (0 km/h, 1 mph, 2 knots); other values count as
    // km/h, as the conversion does.
    void setUnit(int unit) { m_unit = unit; }
    int lastValidSpeed() const { return m_lastValidSpeed; }
    // Opening a recording in one-channel mode forgets the last valid speed.
    void resetLastValidSpeed() { m_lastValidSpeed = 0; }

    // Time update: clears the panel area and, when the text is a position sentence, replaces
    // the record by its parse; any other text leaves the record as it was. True when parsed.
    bool timeUpdate(BackBuffer& buffer, std::string_view positionText);

    // Timer tick. When online, the no-internet text is cleared (once) and the fix to move the
    // map to is returned, if the record holds one; when not, the text is drawn. With telemetry
    // the position lines and the speed digits are drawn from the record. What already shows
    // as the record would draw it is left alone, so a still picture costs no screen update.
    std::optional<MapFix> timerTick(BackBuffer& buffer, bool online, bool hasTelemetry);

    // The routines the window's paint calls, in its order: unit label, needle, digits.
    void drawUnitLabel(BackBuffer& buffer) const;
    void drawNeedle(BackBuffer& buffer) const;
    void drawSpeedDigits(BackBuffer& buffer);
    // Only when both coordinates differ from 0; otherwise the previous lines stay.
    void drawPositionLines(BackBuffer& buffer);

    // Drawn where it is not shown yet.
    void drawNoInternet(BackBuffer& buffer);
    // Restores the background under the no-internet text if it is shown.
    void clearNoInternet(BackBuffer& buffer);
    bool noInternetShown() const { return !m_noInternetArea.isEmpty(); }
    // The back buffer was restored as a whole: nothing of the panel shows any more.
    void forgetShown();

    // A fix worth moving the map to: status "A" with both coordinates finite and non-zero.
    // A sentence missing a coordinate, or a receiver without a fix, leaves the map where it is.
    static std::optional<MapFix> mapFix(const recording::TelemetryRecord& record);

    // End of the compass needle for a course in degrees (0 north, 90 east).
    static QPoint needleEnd(double course);

private:
    recording::TelemetryRecord m_record;
    int m_unit = recording::KilometresPerHour;
    int m_lastValidSpeed = 0;
    QRect m_noInternetArea;
    // What the buffer shows: the digits' value (-1 when they were wiped) and the two lines.
    int m_digitsShown = -1;
    QString m_linesShown;
};
