// The drive around a recording: the events found in its telemetry ticked on the seek bar, N and
// Shift+N jumping between the drive's events, its summary popup (key D and the play list's
// menu), its route on the map and its line in the play list's tooltip.
#include "viewer/CKOB_PCMgrDlg.h"

#include "drive/DriveAnalysis.h"
#include "map/MapWindow.h"
#include "player/PVEXAdap.h"
#include "resources/Strings.h"
#include "settings/SettingPopup.h"
#include "viewer/DriveIndex.h"
#include "viewer/DriveSummaryPopup.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <algorithm>
#include <utility>

namespace {

// A long drive's route is thinned to about this many points: the map draws it as a line a few
// pixels wide, and the page takes the points as one script text.
constexpr size_t kDriveRoutePoints = 4000;

mapview::Route mapRoute(const drive::DriveSummary& drive)
{
    mapview::Route route;
    const size_t step = std::max<size_t>(1, (drive.route.size() + kDriveRoutePoints - 1) / kDriveRoutePoints);
    route.reserve(qsizetype(drive.route.size() / step + 2));
    for (size_t i = 0; i < drive.route.size(); i += step)
        route.append({drive.route[i].latitude, drive.route[i].longitude});
    if (!drive.route.empty() && (drive.route.size() - 1) % step != 0)
        route.append({drive.route.back().latitude, drive.route.back().longitude});
    return route;
}

} // namespace

void CKOB_PCMgrDlg::onDrivesAnalysed()
{
    for (const QRect& area : {SeekBar::kBarRect, SeekBar::kTimeRect})
        m_buffer.invalidate(area);
    if (m_playing)
        showDriveRoute(m_list.currentPath());
    if (!m_summaryWanted.isEmpty() && m_drives->isKnown(m_summaryWanted))
        showDriveSummary(std::exchange(m_summaryWanted, QString()));
}

std::vector<int> CKOB_PCMgrDlg::foundEventSeconds() const
{
    std::vector<int> seconds;
    const QString path = m_list.currentPath();
    const drive::DriveSummary* around = m_drives->driveOf(path);
    if (!around)
        return seconds;
    const int index = DriveIndex::indexIn(*around, path);
    for (const drive::DriveEvent& event : around->events) {
        if (event.recording == index && event.kind != drive::EventKind::Camera)
            seconds.push_back(event.second);
    }
    return seconds;
}

drive::DrivePosition CKOB_PCMgrDlg::playingPosition(const drive::DriveSummary& around) const
{
    // Until the player has the recording it reports the one before, or nothing: the place is
    // where the recording will be moved to, else its start.
    const double second
        = m_seekOnStart.value_or(recordingLoaded() ? double(m_adapter->position) : 0.0);
    return {DriveIndex::indexIn(around, m_list.currentPath()), second};
}

int CKOB_PCMgrDlg::jumpedIndex(const drive::DriveSummary& around) const
{
    return !m_jumpedDrive.isEmpty()
            && DriveIndex::samePath(around.recordings.value(0), m_jumpedDrive)
        ? m_jumpedTo
        : -1;
}

// N and Shift+N: the next or previous event of the drive, the camera's or one found, played
// from a few seconds before it, in whichever recording of the drive it lies.
void CKOB_PCMgrDlg::jumpToEvent(bool forward)
{
    if (!m_playing || !m_adapter || !noJobRunning())
        return;
    const drive::DriveSummary* around = m_drives->driveOf(m_list.currentPath());
    if (!around)
        return;
    const drive::DrivePosition here = playingPosition(*around);
    const int jumped = jumpedIndex(*around);
    playEvent(*around,
        forward ? drive::nextEventIndex(*around, here, jumped)
                : drive::previousEventIndex(*around, here, jumped));
}

bool CKOB_PCMgrDlg::playEvent(const drive::DriveSummary& around, int index)
{
    if (index < 0 || size_t(index) >= around.events.size())
        return false;
    const drive::DrivePosition to = drive::eventPlayPosition(around, around.events[size_t(index)]);
    if (!playFrom(around.recordings.value(to.recording), to.second))
        return false;
    m_jumpedDrive = around.recordings.value(0);
    m_jumpedTo = index;
    followEventInSummary();
    return true;
}

void CKOB_PCMgrDlg::onSummaryEvent(int index)
{
    if (!m_summary)
        return;
    // The summary's copy of the drive: the same the index holds for its folder.
    const drive::DriveSummary chosen = m_summary->drive();
    // The driver must see the event: the summary steps aside to the map's place.
    if (playEvent(chosen, index))
        m_summary->showBeside(mainRectangle());
    // The click's own selection gives way to what plays.
    followEventInSummary();
}

void CKOB_PCMgrDlg::followEventInSummary()
{
    if (!m_summary || !m_summary->isVisible())
        return;
    const drive::DriveSummary& shown = m_summary->drive();
    const drive::DriveSummary* around
        = m_playing ? m_drives->driveOf(m_list.currentPath()) : nullptr;
    if (!around || !DriveIndex::samePath(around->recordings.value(0), shown.recordings.value(0))) {
        m_summary->setPlayingEvent(-1);
        return;
    }
    m_summary->setPlayingEvent(
        drive::eventInView(*around, playingPosition(*around), jumpedIndex(*around)));
}

bool CKOB_PCMgrDlg::playFrom(const QString& recording, double second)
{
    if (recording.isEmpty() || !m_adapter || !noJobRunning())
        return false;
    if (m_playing && DriveIndex::samePath(m_list.currentPath(), recording)) {
        if (!recordingLoaded()) {
            // Still opening: the seek waits for the player to have it.
            m_seekOnStart = second;
            return true;
        }
        m_adapter->pauseAfterSeek = 0;
        seekPlayer(float(second), false);
        m_seekBar.setProgress(SeekBar::progressAt(int(second), lengthSeconds()));
        telemetryOnSeek();
        for (const QRect& area : {SeekBar::kBarRect, SeekBar::kTimeRect, GSensorGraph::kArea})
            m_buffer.invalidate(area);
        return true;
    }
    // Into the list if it is not there yet, opened, and moved to the second once it plays.
    if (!m_list.entries().contains(recording))
        addToList({recording});
    const int row = int(m_list.entries().indexOf(recording));
    if (row < 0 || m_list.moveTo(row) < 0)
        return false;
    redrawList();
    if (!openSelectedRow())
        return false;
    m_seekOnStart = second;
    return true;
}

// Key D: the drive of the open recording, else of the selected row.
void CKOB_PCMgrDlg::onDriveSummaryKey()
{
    const QString path = m_playing ? m_list.currentPath() : m_list.entry(m_list.selected());
    if (!path.isEmpty())
        showDriveSummary(path);
}

void CKOB_PCMgrDlg::showDriveSummary(const QString& recording)
{
    if (!m_unlocked || !m_drives->isKnown(recording)) {
        // Read on the worker; the popup comes once it is known.
        m_summaryWanted = recording;
        m_drives->request(recording);
        showStatus(strings::kDriveAnalysing);
        return;
    }
    const drive::DriveSummary* around = m_drives->driveOf(recording);
    if (!around) {
        showStatus(strings::kDriveNone);
        return;
    }
    if (!m_summary) {
        m_summary = new DriveSummaryPopup(this);
        connect(m_summary, &DriveSummaryPopup::eventChosen, this, &CKOB_PCMgrDlg::onSummaryEvent);
        connect(m_summary, &DriveSummaryPopup::secondChosen, this, &CKOB_PCMgrDlg::playFrom);
    }
    m_summary->setDrive(*around, m_settings->workingRecord().speedUnit);
    m_summary->showOver(mainRectangle());
    followEventInSummary();
}

void CKOB_PCMgrDlg::showDriveRoute(const QString& recording)
{
    if (!m_map)
        return;
    const drive::DriveSummary* around = m_drives->driveOf(recording);
    // A drive of one recording would only draw the recording's own route again.
    m_map->setDriveRoute(
        around && around->recordings.size() > 1 ? mapRoute(*around) : mapview::Route());
}

QString CKOB_PCMgrDlg::driveTooltip(const QString& recording)
{
    m_drives->request(recording);
    const drive::DriveSummary* around = m_drives->driveOf(recording);
    if (!around)
        return {};
    const QString time = QStringLiteral("HH:mm:ss");
    return QString(strings::kDriveTooltip)
        .arg(around->start.toString(time), around->end.toString(time))
        .arg(around->recordings.size())
        .arg(around->distanceKm, 0, 'f', 1);
}

bool CKOB_PCMgrDlg::showListMenu(const QContextMenuEvent* event)
{
    const int index = m_list.entryAt(event->pos());
    if (index < 0 && !PlayList::kListRect.contains(event->pos()))
        return false;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("listMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (index >= 0) {
        const QString path = m_list.entry(index);
        menu->addAction(strings::kDriveSummary, this, [this, path] { showDriveSummary(path); })
            ->setShortcut(Qt::Key_D);
    }
    addArchiveEntries(menu);
    // Not exec(), as for the video's menu: playback and painting go on meanwhile.
    menu->popup(event->globalPos());
    return true;
}
