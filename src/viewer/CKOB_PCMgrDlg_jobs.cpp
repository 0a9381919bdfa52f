// The frame jobs on the open recording: printing the current frame, capturing frames and
// choosing where a copy goes through the settings popup, and the copy itself.
//
// At most one job runs at a time: while the settings popup is in use or a copy runs, the
// window takes no command that would start another or pull the recording from under it
// (noJobRunning).
#include "viewer/CKOB_PCMgrDlg.h"

#include "platform/Dialogs.h"
#include "player/PVEXAdap.h"
#include "resources/Popup.h"
#include "resources/Strings.h"
#include "settings/SettingPopup.h"
#include "viewer/FramePrinter.h"
#include "viewer/RecordingCopy.h"

#include <QGuiApplication>
#include <QTimer>

// Button 1003: the current frame with its telemetry on paper.
void CKOB_PCMgrDlg::onPrint()
{
    if (!m_adapter || !m_playing || !noJobRunning())
        return;
    const FramePrinter printer
        = FramePrinter::fromAdapter(*m_adapter, m_frames, m_settings->workingRecord().speedUnit);
    if (printer.print(this) == FramePrinter::PrinterFailed)
        platform::messageBox(
            strings::kPrintFailed, strings::kAppTitle, platform::Buttons::Ok, this);
}

// Button 1004: still frames through the settings popup's capture mode, from the picture held
// where the user pressed.
void CKOB_PCMgrDlg::onCapture()
{
    if (!m_adapter || !m_playing || !noJobRunning())
        return;
    if (!m_paused)
        onPause();
    m_capturePosition = currentSecond() + 1;
    m_settings->setPlayer(m_adapter.get(), m_list.currentPath());
    showSettingsPopup(SettingPopup::Capture);
}

// Button 1005: playback stops, and the settings popup asks where the copy goes.
void CKOB_PCMgrDlg::onSave()
{
    if (!m_adapter || !m_playing || m_list.isEmpty() || !noJobRunning())
        return;
    onStop();
    showSettingsPopup(SettingPopup::FileSaving);
}

void CKOB_PCMgrDlg::showSettingsPopup(int mode)
{
    // The reset puts the popup out of use, so the mode comes after it.
    m_settings->reset();
    m_settings->setMode(mode);
    m_settings->setMainOrigin(mainRectangle());
    m_settings->layOut();
    m_settings->SetVisible(popup::kShown);
    m_settings->raise();
    m_settings->activateWindow();
    hideMapForPopup();
}

// UM_COPY_RECORDINGS from the settings popup: the open recording into folder 1, with the
// sound off meanwhile. The copy itself runs on a worker; the window waits with it.
platform::LResult CKOB_PCMgrDlg::onCopyRecordings()
{
    if (!m_adapter || m_list.isEmpty() || m_copying)
        return 1;
    const QString path = m_list.currentPath();
    const QString folder1 = m_settings->folders().folders[1];
    if (RecordingCopy::destinationFor(folder1, path).isEmpty()) {
        // Without a folder the copy would land wherever the program happens to run.
        platform::messageBox(RecordingCopy::message(RecordingCopy::NoFolder, {}),
            strings::kAppTitle, platform::Buttons::Ok, this);
        return 1;
    }
    m_copying = true;
    if (m_speed.preset() != SpeedSlider::kNormalPreset) {
        m_speed.reset();
        applySpeed();
    }
    m_volumeBeforeCopy = m_volume.value();
    m_volume.setValue(0);
    applyVolume();
    m_buffer.restore(m_volume.geometry().redraw);
    m_buffer.invalidate(m_volume.geometry().invalidate);
    redrawPlaybackAreas();
    QTimer::singleShot(kCopyDelayMs, this, [this, path, folder1] { startCopy(path, folder1); });
    return 1;
}

void CKOB_PCMgrDlg::startCopy(const QString& path, const QString& folder1)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_copyCursor = true;
    if (!m_copy->start(path, folder1))
        onCopyFinished(
            RecordingCopy::Cancelled, {}, RecordingCopy::message(RecordingCopy::Cancelled, {}));
}

void CKOB_PCMgrDlg::onCopyFinished(int result, const QString&, const QString& message)
{
    if (m_copyCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_copyCursor = false;
    }
    m_volume.setValue(m_volumeBeforeCopy);
    applyVolume();
    m_buffer.restore(m_volume.geometry().redraw);
    m_buffer.invalidate(m_volume.geometry().invalidate);
    m_copying = false;
    // A copy that failed says where and why instead of claiming success.
    if (result == RecordingCopy::Copied)
        m_settings->showCompletionMessage(2);
    else
        platform::messageBox(message, strings::kAppTitle, platform::Buttons::Ok, this);
}
