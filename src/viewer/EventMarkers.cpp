#include "viewer/EventMarkers.h"

#include "recording/RecordingName.h"
#include "resources/Skin.h"
#include "viewer/BackBuffer.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

void drawTick(
    BackBuffer& buffer, QPainter& painter, int centre, const QColor& edge, const QColor& core)
{
    const QRect tick(centre - 1, EventMarkers::kTickTop, 3, EventMarkers::kTickHeight);
    painter.fillRect(tick, edge);
    painter.fillRect(QRect(centre, EventMarkers::kTickTop, 1, EventMarkers::kTickHeight), core);
    buffer.invalidate(tick);
}

} // namespace

// The marker's own orange, a shade lighter in the middle so the tick reads on the blue fill
// as well as in the dark groove.
const QColor EventMarkers::kTickEdge(0xCD, 0x4E, 0x14);
const QColor EventMarkers::kTickCore(0xFF, 0x8A, 0x3D);
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

void EventMarkers::drawTicks(
    BackBuffer& buffer, long long durationSeconds, const std::vector<int>& foundSeconds) const
{
    std::vector<int> camera;
    if (loaded()) {
        for (int x : positions(durationSeconds))
            camera.push_back(tickX(x));
    }
    std::vector<int> found;
    if (durationSeconds > 0) {
        for (int second : foundSeconds) {
            if (second >= 0 && second <= durationSeconds)
                found.push_back(tickX(int(second * recording::kScaleWidth / durationSeconds)
                    + recording::kScaleLeft));
        }
    }
    if (camera.empty() && found.empty())
        return;
    // Ticks three pixels wide overlap when their columns lie less than three apart.
    const auto overlaps = [](const std::vector<int>& ticks, int centre) {
        return std::any_of(ticks.begin(), ticks.end(),
            [centre](int other) { return std::abs(other - centre) < 3; });
    };
    QPainter painter(&buffer.image());
    painter.setClipRect(kSeekBarArea);
    for (int centre : camera)
        drawTick(buffer, painter, overlaps(found, centre) ? centre - kTickAside : centre, kTickEdge,
            kTickCore);
    for (int centre : found)
        drawTick(buffer, painter, overlaps(camera, centre) ? centre + kTickAside : centre,
            kFoundTickEdge, kFoundTickCore);
}
