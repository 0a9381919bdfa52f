// Where the telemetry panel, the G-sensor graph, the event markers and the map meet playback.
// Playback calls these at its fixed points; the paint calls the drawing routines in its order.
#include "viewer/CKOB_PCMgrDlg.h"

#include "map/MapRoute.h"
#include "map/MapWindow.h"
#include "platform/Online.h"
#include "player/PVEXAdap.h"
#include "recording/PositionSentence.h"
#include "viewer/DriveIndex.h"

#include <array>
#include <cstdint>

namespace {

// The row of event markers above the seek strip, inside the video area: from the start of the
// scale to a marker's width past its end.
constexpr QRect kMarkerRow{QPoint(44, 466), QPoint(44 + 342 + 18, 466 + 18)};

} // namespace

// Dialog initialisation: the map window's object, and its page written beside the program.
void CKOB_PCMgrDlg::createMap()
{
    m_map = new MapWindow(this);
    // A developer's choice of tiles (a local tile server, or "none" for an empty layer on a
    // machine without a network).
    if (const QString tiles = qEnvironmentVariable("ZYN_MAP_TILES"); !tiles.isEmpty())
        m_map->setTileSource(tiles);
    m_map->writePage(this);
}

// Destruction: the map window goes with its object.
void CKOB_PCMgrDlg::deleteMap()
{
    delete m_map;
    m_map = nullptr;
}

// Timer 100: speed digits and position lines from the telemetry record, the map marker or the
// no-internet text. Behind the lock nothing of it is on screen.
void CKOB_PCMgrDlg::onPanelTimer()
{
    if (!m_unlocked || unlocking())
        return;
    const bool online = platform::isOnline();
    const bool hasTelemetry = m_adapter && m_adapter->noTelemetry == 0;
    const std::optional<TelemetryPanel::MapFix> fix
        = m_panel.timerTick(m_buffer, online, hasTelemetry);
    // Only a fix of this recording moves the map (one without telemetry keeps the record of the
    // recording before it), and only when it is somewhere else: a held picture leaves the map
    // as the user may have moved it.
    if (!fix || !m_map || !hasTelemetry)
        return;
    if (m_mapShows && m_mapShows->latitude == fix->latitude
        && m_mapShows->longitude == fix->longitude)
        return;
    if (m_map->updatePosition(fix->latitude, fix->longitude))
        m_mapShows = fix;
}

// Opening a row in one-channel mode, before anything else is reset: on line, the map comes
// anew with the recording's route; off line the map area says so.
void CKOB_PCMgrDlg::telemetryOnOpen(const QString& path)
{
    m_drives->request(path);
    m_panel.forgetRecording(m_buffer);
    m_mapShows.reset();
    showDriveRoute(path);
    if (platform::isOnline()) {
        m_map->setRoute(mapview::routeOfRecording(
            path, int(m_adapter->scrambledView), std::uint32_t(m_adapter->scrambleKey)));
        m_map->showNew(this);
        m_mapHiddenForPopup = false;
        m_panel.clearNoInternet(m_buffer);
    } else {
        // The map of the recording before would stand over the text with a route that is not
        // this recording's.
        hideMap();
        m_panel.drawNoInternet(m_buffer);
    }
}

// Opening a row, Stop, Clear list and a failed open: a new sweep, no event records.
void CKOB_PCMgrDlg::telemetryOnReset()
{
    if (m_markers.loaded()) {
        // Markers are drawn where the video window usually covers them; once it is gone they
        // would be seen, and belong to no recording any more.
        m_buffer.restoreAndInvalidate(kMarkerRow);
    }
    m_graph.resetCounters();
    m_markers.clear();
}

// Every seek of the seek bar starts a new sweep.
void CKOB_PCMgrDlg::telemetryOnSeek()
{
    m_graph.resetCounters();
}

// A progress report (0x0800) while playing: the panel takes the position sentence, the graph
// the acceleration sample, and counts it. The seek bar follows in the caller.
void CKOB_PCMgrDlg::telemetryTimeUpdate()
{
    std::array<char, 128> gps{};
    std::array<std::uint8_t, 12> sensor{};
    // A recording without telemetry leaves the copies of the one before: they are not its own.
    const bool have = m_adapter->telemetryCopies(gps, sensor) && m_adapter->noTelemetry == 0;
    m_panel.timeUpdate(
        m_buffer, have ? recording::sentenceText(gps.data(), gps.size()) : std::string_view());
    std::optional<GSensorGraph::Sample> sample;
    if (have)
        sample = GSensorGraph::Sample::fromRecord(sensor);
    m_graph.timeUpdate(m_buffer, sample);
}

// Paint, after the seek bar's background and before its fill: the event markers when loaded.
void CKOB_PCMgrDlg::paintEventMarkers()
{
    m_markers.drawMarkers(m_buffer, lengthSeconds());
}

// Paint, after the seek bar's fill and before its thumb: a tick through the bar under each
// event marker, which the video window hides while a recording plays.
void CKOB_PCMgrDlg::paintEventTicks()
{
    m_markers.drawTicks(
        m_buffer, lengthSeconds(), m_playing ? foundEventSeconds() : std::vector<int>());
}

// Paint, after the seek bar and time text: the unit label and the compass needle.
void CKOB_PCMgrDlg::paintPanel()
{
    m_panel.drawUnitLabel(m_buffer);
    m_panel.drawNeedle(m_buffer);
}

// Paint, after the two sliders: the speed digits from the telemetry record.
void CKOB_PCMgrDlg::paintSpeedDigits()
{
    m_panel.drawSpeedDigits(m_buffer);
}

// Stop, Clear list and a failed open: the map goes with the recording.
void CKOB_PCMgrDlg::hideMap()
{
    m_mapHiddenForPopup = false;
    if (m_map)
        m_map->hide();
}

// The settings popup over the map area: the map steps aside while it is shown.
void CKOB_PCMgrDlg::hideMapForPopup()
{
    if (!m_map || !m_map->isShown())
        return;
    m_mapHiddenForPopup = true;
    m_map->hide();
}

void CKOB_PCMgrDlg::showMapAfterPopup()
{
    if (!m_mapHiddenForPopup)
        return;
    m_mapHiddenForPopup = false;
    if (m_map)
        m_map->show();
}
