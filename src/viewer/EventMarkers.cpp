#include "viewer/EventMarkers.h"

#include "recording/RecordingName.h"
#include "resources/Skin.h"
#include "viewer/BackBuffer.h"

#include <QPainter>

namespace {

// The marker's own orange, a shade lighter in the middle so the tick reads on the blue fill
// as well as in the dark groove.
constexpr QColor kTickEdge(0xCD, 0x4E, 0x14);
constexpr QColor kTickCore(0xFF, 0x8A, 0x3D);

} // namespace

// Found events in yellow, apart from the camera's orange.
const QColor EventMarkers::kFoundTickEdge(0xB4, 0x96, 0x00);
const QColor EventMarkers::kFoundTickCore(0xFF, 0xE6, 0x46);

void EventMarkers::load(const QString& path)
{
    clear();
    if (!recording::hasEventIndex(path))
        return;
    if (!recording::loadEventRecords(path, m_index))
        m_index.loaded = false;
    m_start = recording::recordingStart(path);
}

void EventMarkers::clear()
{
    // The records stay allocated until the next load replaces them.
    m_index.loaded = false;
    m_start.reset();
}

std::vector<int> EventMarkers::positions(long long durationSeconds) const
{
    std::vector<int> onScale;
    for (int x : recording::eventMarkerPositions(m_index, m_start, durationSeconds)) {
        if (x >= recording::kScaleLeft && x <= recording::kScaleLeft + recording::kScaleWidth)
            onScale.push_back(x);
    }
    return onScale;
}

void EventMarkers::drawMarkers(BackBuffer& buffer, long long durationSeconds) const
{
    if (!loaded())
        return;
    QPainter painter(&buffer.image());
    for (int x : positions(durationSeconds)) {
        const QRect area(x, recording::kMarkerTop, kMarkerSize, kMarkerSize);
        painter.drawImage(area.topLeft(), skin::bitmap(kMarkerBitmap));
        buffer.invalidate(area);
    }
}

void EventMarkers::drawTicks(BackBuffer& buffer, long long durationSeconds) const
{
    if (!loaded())
        return;
    QPainter painter(&buffer.image());
    painter.setClipRect(kSeekBarArea);
    for (int x : positions(durationSeconds)) {
        const int centre = tickX(x);
        painter.fillRect(QRect(centre - 1, kTickTop, 3, kTickHeight), kTickEdge);
        painter.fillRect(QRect(centre, kTickTop, 1, kTickHeight), kTickCore);
        buffer.invalidate(QRect(centre - 1, kTickTop, 3, kTickHeight));
    }
}

void EventMarkers::drawFoundTicks(
    BackBuffer& buffer, const std::vector<int>& seconds, long long durationSeconds)
{
    if (seconds.empty() || durationSeconds <= 0)
        return;
    QPainter painter(&buffer.image());
    painter.setClipRect(kSeekBarArea);
    for (int second : seconds) {
        if (second < 0 || second > durationSeconds)
            continue;
        const int centre = tickX(
            int(second * recording::kScaleWidth / durationSeconds) + recording::kScaleLeft);
        painter.fillRect(QRect(centre - 1, kTickTop, 3, kTickHeight), kFoundTickEdge);
        painter.fillRect(QRect(centre, kTickTop, 1, kTickHeight), kFoundTickCore);
        buffer.invalidate(QRect(centre - 1, kTickTop, 3, kTickHeight));
    }
}
