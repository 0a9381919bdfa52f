// Playback and the play list: opening the selected row, the transport commands, the player's
// reports of time and of the end, and the list's updates.
//
// The paused flag follows the player, not the buttons: the player's "pause" toggles, an exact
// seek lets a paused picture run again (and the adapter pauses once more after a seek in step
// mode), and a frame step leaves the picture held. Each command sets the flag from what it did,
// so Play after a step plays, and Pause never toggles the wrong way.
#include "viewer/CKOB_PCMgrDlg.h"

#include "files/FilesOpenPopup.h"
#include "platform/Dialogs.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "player/PVEXstat1.h"
#include "player/PVEXstat3.h"
#include "player/PVEXstat9.h"
#include "recording/RecordingCheck.h"
#include "recording/RecordingName.h"
#include "resources/Strings.h"
#include "settings/SettingPopup.h"
#include "viewer/ListScrollBar.h"
#include "viewer/PlaybackLimits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <utility>

namespace {

// Why a listed recording cannot be handed to the player; empty when it can.
QString unopenableReason(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return strings::kReasonMissing;
    if (info.size() == 0)
        return strings::kReasonEmpty;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return strings::kReasonUnreadable;
    return {};
}

// A developer's line on standard output for each recording the window opens and each that
// fails, so that a long run can be counted from outside.
void diagnostic(const char* what, const QString& path, const QString& reason = {})
{
    const QByteArray file = QDir::toNativeSeparators(path).toLocal8Bit();
    if (reason.isEmpty())
        std::printf("%s: %s\n", what, file.constData());
    else
        std::printf("%s: %s: %s\n", what, file.constData(), reason.toLocal8Bit().constData());
    std::fflush(stdout);
}

} // namespace

bool CKOB_PCMgrDlg::noJobRunning() const
{
    return m_settings->getMode() == SettingPopup::NotInUse && !m_copying && !m_recoveryThread;
}

int CKOB_PCMgrDlg::currentSecond() const
{
    return m_adapter ? int(m_adapter->positionSeconds) : 0;
}

int CKOB_PCMgrDlg::lengthSeconds() const
{
    return m_adapter ? int(m_adapter->lengthSeconds) : 0;
}

bool CKOB_PCMgrDlg::openSelectedRow(bool automatic)
{
    createAdapter();
    m_openAutomatic = automatic;
    if (!automatic)
        m_skippedInARow = 0;
    const bool oneChannel = m_adapter->channelCount == 1;
    const QString path = m_list.entry(m_list.selected());
    if (oneChannel)
        telemetryOnOpen(path);
    if (m_playing) {
        m_adapter->positionSeconds = 0;
        m_adapter->lengthSeconds = 0;
    }
    ++m_openTicket;
    m_openedName.clear();
    m_endWhileSettings.reset();
    m_seekOnStart.reset();
    m_seekBar.setProgress(0);
    telemetryOnReset();
    m_playing = false;
    m_paused = false;
    m_speed.reset();
    if (!m_list.openSelected())
        return false;
    diagnostic("open", path);

    m_buffer.invalidate(PlayListPainter::kTitleRect);
    redrawList();
    if (oneChannel)
        m_buffer.invalidate(kVideoArea);
    if (const QString reason = unopenableReason(path); !reason.isEmpty()) {
        if (!oneChannel) {
            platform::messageBox(
                strings::text(110), strings::kAppTitle, platform::Buttons::Ok, this);
            return false;
        }
        return openFailed(path, reason);
    }
    if (oneChannel && recording::isRecoverable(path))
        return openFailed(path, strings::kReasonNotClosed, true);
    if (recording::hasEventIndex(path))
        m_markers.load(path);
    if (m_speed.preset() != SpeedSlider::kNormalPreset) {
        m_speed.reset();
        applySpeed();
    }
    applyVolume();
    redrawPlaybackAreas();
    m_playing = true;
    if (oneChannel) {
        // The player's previous recording is given a moment to let go before the next comes;
        // a timer, so the window keeps painting meanwhile.
        const quint64 ticket = m_openTicket;
        const QByteArray name = path.toLocal8Bit();
        QTimer::singleShot(
            kOpenDelayMs, this, [this, ticket, name] { loadOpenedRecording(ticket, name); });
    } else {
        applyVolume();
    }
    return true;
}

void CKOB_PCMgrDlg::loadOpenedRecording(quint64 ticket, const QByteArray& name)
{
    // Stopped, cleared or replaced by another recording while waiting.
    if (ticket != m_openTicket || !m_playing || !m_adapter)
        return;
    m_openedName = name;
    m_adapter->switchState(m_adapter->stateLoading.get());
    m_adapter->current()->openFile(name.constData(), "");
    m_adapter->current()->trace();
    applyVolume();
}

bool CKOB_PCMgrDlg::recordingLoaded() const
{
    return m_adapter && !m_openedName.isEmpty()
        && m_adapter->current() == m_adapter->statePlaying.get();
}

bool CKOB_PCMgrDlg::openFailed(const QString& path, const QString& reason, bool recoverable)
{
    diagnostic("open failed", path, reason);
    // Whatever played before does not go on under the name of the recording that failed.
    stopPlayer();
    resetPlayback(false);
    hideMap();
    if (m_openAutomatic) {
        skipDamaged(path, reason);
        return false;
    }
    if (recoverable) {
        offerRecovery(path);
        return false;
    }
    platform::messageBox(
        QString(strings::kRecordingNotOpened).arg(QDir::toNativeSeparators(path), reason),
        strings::kAppTitle, platform::Buttons::Ok, this);
    return false;
}

void CKOB_PCMgrDlg::skipDamaged(const QString& path, const QString& reason)
{
    // An afternoon of recordings plays on past a damaged one: marked in the list, said in the
    // title for a moment, and the entry after it opened.
    // One the camera never closed keeps its own look and is named for what it is: it can
    // still be recovered.
    const bool recoverable = m_list.isRecoverable(m_list.current());
    if (!recoverable)
        m_list.markDamaged(m_list.current(), reason);
    showStatus(QString(recoverable ? strings::kSkippedNotClosed : strings::kSkippedDamaged)
                   .arg(PlayListPainter::namePart(path)));
    redrawList();
    playOn();
}

void CKOB_PCMgrDlg::playOn()
{
    // A whole pass over nothing but damaged recordings: the list ends there, quietly.
    if (++m_skippedInARow >= m_list.count()) {
        m_skippedInARow = 0;
        return;
    }
    // From the event loop: a run of damaged entries does not nest one open in another.
    const quint64 ticket = m_openTicket;
    QTimer::singleShot(0, this, [this, ticket] {
        if (ticket != m_openTicket || m_playing || m_list.isEmpty() || !noJobRunning())
            return;
        m_list.selectNext();
        openSelectedRow(true);
    });
}

void CKOB_PCMgrDlg::showStatus(const QString& text)
{
    m_status = text;
    m_statusTimer->start();
    m_buffer.invalidate(PlayListPainter::kTitleRect);
}

void CKOB_PCMgrDlg::onStatusTimeout()
{
    m_status.clear();
    m_buffer.invalidate(PlayListPainter::kTitleRect);
}

platform::LResult CKOB_PCMgrDlg::onOpenFailed()
{
    if (!m_adapter || !m_playing)
        return 0;
    const QByteArray failed = QByteArray::fromStdString(m_adapter->failedFileName());
    // Only the recording this window is waiting for; the player ignores older ones itself.
    if (failed.isEmpty() || failed != m_openedName)
        return 0;
    openFailed(QString::fromLocal8Bit(failed), strings::kReasonNotPlayable);
    return 0;
}

void CKOB_PCMgrDlg::stopPlayer()
{
    if (!m_adapter)
        return;
    m_adapter->current()->stopFile();
    m_adapter->current()->trace();
}

void CKOB_PCMgrDlg::resetPlayback(bool closeRecording)
{
    ++m_openTicket;
    m_openedName.clear();
    m_endWhileSettings.reset();
    m_seekOnStart.reset();
    if (m_adapter) {
        m_adapter->positionSeconds = 0;
        m_adapter->lengthSeconds = 0;
    }
    m_seekBar.setProgress(0);
    telemetryOnReset();
    m_playing = false;
    m_paused = false;
    m_speed.reset();
    if (closeRecording)
        m_list.closeCurrent();
    redrawPlaybackAreas();
}

void CKOB_PCMgrDlg::onPlay()
{
    if (!noJobRunning())
        return;
    if (m_adapter && playback::playHeldNearEnd(currentSecond(), lengthSeconds())) {
        // So close to the end only a held picture runs again; the end itself moves on.
        if (m_paused) {
            m_adapter->current()->resume();
            m_adapter->current()->trace();
            m_paused = false;
        }
        return;
    }
    if (m_list.isEmpty())
        return;
    if (m_playing) {
        if (m_paused) {
            m_paused = false;
            m_adapter->current()->pause();
            m_adapter->current()->trace();
            return;
        }
        if (m_list.current() == m_list.selected())
            return;
    }
    openSelectedRow();
}

void CKOB_PCMgrDlg::onPause()
{
    if (m_adapter)
        m_adapter->pauseAfterSeek = 0;
    if (!m_playing || m_paused || !noJobRunning() || !m_adapter)
        return;
    // The last second shown: the recording is ending, and the end moves on by itself.
    if (currentSecond() + 1 == lengthSeconds())
        return;
    if (m_adapter->current()->pause() == 0)
        m_paused = true;
    m_adapter->current()->trace();
}

void CKOB_PCMgrDlg::onStop()
{
    if (!noJobRunning() || !m_playing || !m_adapter)
        return;
    if (m_speed.preset() != SpeedSlider::kNormalPreset) {
        m_speed.reset();
        applySpeed();
    }
    hideMap();
    stopPlayer();
    resetPlayback(true);
}

void CKOB_PCMgrDlg::onPrevious()
{
    if (noJobRunning() && !m_list.isEmpty())
        changeRecording(m_list.previousIndex());
}

void CKOB_PCMgrDlg::onNext()
{
    if (noJobRunning() && !m_list.isEmpty())
        changeRecording(m_list.nextIndex());
}

void CKOB_PCMgrDlg::changeRecording(int index)
{
    // In its last seconds the recording's own end is on its way and moves on by itself.
    if (!playback::canChangeRecording(currentSecond(), lengthSeconds()))
        return;
    if (m_list.moveTo(index) >= 0)
        openSelectedRow();
}

void CKOB_PCMgrDlg::onSecondForward()
{
    stepSecond(1);
}

void CKOB_PCMgrDlg::onSecondBack()
{
    stepSecond(-1);
}

void CKOB_PCMgrDlg::stepSecond(int seconds)
{
    if (!m_playing || !m_adapter || !noJobRunning())
        return;
    seekPlayer(float(seconds), true);
    m_adapter->pauseAfterSeek = 1;
    m_buffer.invalidate(SeekBar::kBarRect);
    m_buffer.invalidate(SeekBar::kTimeRect);
    m_adapter->positionSeconds += seconds;
    m_seekBar.setProgress(SeekBar::progressAt(m_adapter->positionSeconds, lengthSeconds()));
}

void CKOB_PCMgrDlg::onFrameStep()
{
    if (!m_playing || !m_adapter || !noJobRunning())
        return;
    if (m_adapter->current()->frameStep() == 0)
        m_paused = true;
    m_adapter->current()->trace();
    m_adapter->pauseAfterSeek = 1;
    m_buffer.invalidate(SeekBar::kBarRect);
    m_buffer.invalidate(SeekBar::kTimeRect);
}

void CKOB_PCMgrDlg::seekPlayer(float seconds, bool relative)
{
    const bool holdAfter = m_adapter->pauseAfterSeek == 1;
    if (m_adapter->current()->seek(seconds, relative ? 1 : 0) == 0)
        m_paused = holdAfter;
    m_adapter->current()->trace();
}

void CKOB_PCMgrDlg::onClearList()
{
    if (!noJobRunning())
        return;
    if (m_playing && m_adapter) {
        m_adapter->current()->setVolume(0, 0);
        m_adapter->current()->trace();
        stopPlayer();
        // The settings popup's channel choice is never offered, so it stays at one channel.
        m_adapter->channelCount = 1;
    }
    m_list.clear();
    resetPlayback(true);
    hideMap();
}

void CKOB_PCMgrDlg::applySpeed()
{
    const double factor = m_speed.apply();
    if (m_adapter) {
        m_adapter->current()->changeSpeed(float(factor), 0);
        m_adapter->current()->trace();
    }
    m_buffer.restore(m_speed.geometry().redraw);
    m_buffer.invalidate(m_speed.geometry().invalidate);
}

void CKOB_PCMgrDlg::applyVolume()
{
    if (!m_adapter)
        return;
    const int level = m_volume.level();
    // Until a recording plays, the player's states refuse the volume (before the first one,
    // and after Stop or Clear list muted it): a player that starts reads the level it is
    // given here, one that runs already is given it again with the first report.
    m_volumeWaiting = m_adapter->current()->setVolume(float(level), 0) != 0;
    if (m_volumeWaiting)
        m_adapter->volume = level;
    m_adapter->current()->trace();
}

platform::LResult CKOB_PCMgrDlg::onTimeUpdate()
{
    if (!m_playing || !m_adapter)
        return 0;
    if (m_volumeWaiting)
        applyVolume();
    m_skippedInARow = 0;
    // Reports come while the player still opens the recording (and from the one before it):
    // the jump's seek waits for the recording to be there.
    if (m_seekOnStart && recordingLoaded()) {
        m_adapter->pauseAfterSeek = 0;
        seekPlayer(float(*std::exchange(m_seekOnStart, std::nullopt)), false);
        telemetryOnSeek();
    }
    telemetryTimeUpdate();
    followEventInSummary();
    m_seekBar.follow(currentSecond() + 1, lengthSeconds());
    for (const QRect& area :
        {SeekBar::kBarRect, SeekBar::kTimeRect, TelemetryPanel::kPanelArea, GSensorGraph::kArea}) {
        m_buffer.invalidate(area);
    }
    return 0;
}

platform::LResult CKOB_PCMgrDlg::onLastRecord(platform::LParam lParam)
{
    // An end that crossed Stop, Clear list, a copy or a capture starts nothing.
    if (!m_playing || m_list.isEmpty())
        return 0;
    if (!noJobRunning()) {
        // The settings popup leaves the recording playing to its end: the end waits for the
        // popup to close, or the list would stand still with nothing playing.
        if (m_settings->getMode() == SettingPopup::ViewSettings && !m_copying)
            m_endWhileSettings = lParam;
        return 0;
    }
    if (lParam == 1) {
        // The player reports its end from idle; if it has left idle since, it is busy with a
        // recording opened after that end, whose own end is still to come.
        if (!m_adapter || m_adapter->current() != m_adapter->stateIdle.get())
            return 0;
        m_playing = false;
        m_list.selectNext();
    }
    openSelectedRow(true);
    return 0;
}

platform::LResult CKOB_PCMgrDlg::onAddFiles(platform::WParam count, platform::LParam lParam)
{
    QStringList paths;
    if (lParam == 2 && m_files)
        paths = m_files->selection(m_files->currentTab()).mid(0, qsizetype(count));
    addToList(paths);
    offerArchiveFor(paths);
    return 0;
}

void CKOB_PCMgrDlg::addToList(const QStringList& paths)
{
    m_list.add(paths);
    m_buffer.restore(QRect(685, 638, 330, 126));
    m_buffer.invalidate(PlayList::kListRect);
    m_buffer.invalidate(ListScrollBar::kColumn);
}
