#pragma once

#include "recording/EventIndex.h"

#include <QColor>
#include <QDateTime>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

class BackBuffer;

// The event moments of an event recording, marked with bitmap 267 in the row above the seek
// strip and, because that row lies under the video window while a recording plays, with a
// tick on the seek bar's track as well.
class EventMarkers
{
public:
    static constexpr int kMarkerBitmap = 267;
    static constexpr int kMarkerSize = 19;
    // The track of the seek bar (the groove its fill covers), and the tick that crosses it.
    static constexpr int kTrackTop = 559;
    static constexpr int kTrackHeight = 8;
    static constexpr int kTickTop = kTrackTop - 3;
    static constexpr int kTickHeight = kTrackHeight + 6;
    static constexpr QRect kSeekBarArea{33, 554, 412, 25};

    // Loads the event index of an event recording ("evt_" or "muevt_"); any other recording,
    // or one whose index cannot be read, leaves nothing loaded. The start time comes from the
    // file name.
    void load(const QString& path);
    // Opening a recording, stop and clearing the list forget the events.
    void clear();
    bool loaded() const { return m_index.loaded; }
    const recording::EventIndex& index() const { return m_index; }

    // Marker x for a recording of the given whole seconds, limited to the seek scale: an
    // event past the end of the recording has no place on it.
    std::vector<int> positions(long long durationSeconds) const;

    // Paint: the markers at (x, 466), in the back buffer.
    void drawMarkers(BackBuffer& buffer, long long durationSeconds) const;
    // Paint, after the seek bar's fill: a tick through the track under each marker's point, and
    // one in a colour of its own for each event found in the recording's telemetry, at its
    // second of a recording of the given whole seconds. A found event on a camera's tick stands
    // beside it, the camera's to the left, so that neither hides the other.
    void drawTicks(BackBuffer& buffer, long long durationSeconds,
        const std::vector<int>& foundSeconds = {}) const;
    static const QColor kTickEdge;
    static const QColor kTickCore;
    static const QColor kFoundTickEdge;
    static const QColor kFoundTickCore;
    // How far each of two ticks on one column steps aside.
    static constexpr int kTickAside = 2;
    // The column of a marker's point (its centre), where the tick stands.
    static int tickX(int markerX) { return markerX + kMarkerSize / 2; }

private:
    recording::EventIndex m_index;
    std::optional<QDateTime> m_start;
};
