// Where the telemetry panel, the G-sensor graph, the event markers, the map and the frame jobs
// (print, capture, save and copy) meet playback. Playback calls these at its fixed points; what
// is not yet connected here is marked as such, and the window works without it.
#include "viewer/CKOB_PCMgrDlg.h"

// Dialog initialisation: the map window's object, and its page written beside the program.
void CKOB_PCMgrDlg::createMap()
{
    // Not yet connected: the map object and its page.
}

// Destruction: the map window goes with its object.
void CKOB_PCMgrDlg::deleteMap()
{
    // Not yet connected.
}

// Timer 100: speed digits, needle and position lines from the telemetry record, the map marker
// or the no-internet text.
void CKOB_PCMgrDlg::onPanelTimer()
{
    // Not yet connected.
}

// Opening a row in one-channel mode, before anything else is reset.
void CKOB_PCMgrDlg::telemetryOnOpen(const QString& path)
{
    Q_UNUSED(path); // the map's route is the recording's
    m_panel.resetLastValidSpeed();
    // Not yet connected: the map shown anew while on line, else the no-internet text.
}

// Opening a row, Stop, Clear list and a failed open: a new sweep, no event records.
void CKOB_PCMgrDlg::telemetryOnReset()
{
    m_graph.resetCounters();
    m_markers.clear();
}

// Every seek of the seek bar starts a new sweep.
void CKOB_PCMgrDlg::telemetryOnSeek()
{
    m_graph.resetCounters();
}

// A progress report (0x0800) while playing: the panel takes the position sentence, the graph
// the acceleration sample. The seek bar follows in the caller.
void CKOB_PCMgrDlg::telemetryTimeUpdate()
{
    // Not yet connected: the panel's and the graph's time update, which counts the sample
    // itself and then replaces this count.
    m_graph.advance();
}

// Paint, after the seek bar's background and before its fill: the event markers when loaded.
void CKOB_PCMgrDlg::paintEventMarkers()
{
    // Not yet connected.
}

// Paint, after the seek bar's fill and before its thumb: a tick through the bar under each
// event marker.
void CKOB_PCMgrDlg::paintEventTicks()
{
    // Not yet connected.
}

// Paint, after the seek bar and time text: the unit label and the compass needle.
void CKOB_PCMgrDlg::paintPanel()
{
    // Not yet connected.
}

// Paint, after the two sliders: the speed digits from the telemetry record.
void CKOB_PCMgrDlg::paintSpeedDigits()
{
    // Not yet connected.
}

// The map window over the map area, when it exists: shown again after a popup closed.
void CKOB_PCMgrDlg::showMap()
{
    // Not yet connected.
}

// Hidden for the settings popup, Stop, Clear list and a failed open.
void CKOB_PCMgrDlg::hideMap()
{
    // Not yet connected.
}

// Button 1003: the current frame with its telemetry on paper.
void CKOB_PCMgrDlg::onPrint()
{
    // Not yet connected.
}

// Button 1004: still frames through the settings popup's capture mode.
void CKOB_PCMgrDlg::onCapture()
{
    // Not yet connected.
}

// Button 1005: the open recording copied through the settings popup's saving mode.
void CKOB_PCMgrDlg::onSave()
{
    // Not yet connected.
}

// UM_COPY_RECORDINGS from the settings popup.
platform::LResult CKOB_PCMgrDlg::onCopyRecordings()
{
    // Not yet connected.
    return 1;
}
