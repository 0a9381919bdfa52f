// The settings popup as the main window uses it, and the viewer configuration read at
// creation and written at destruction.
#include "viewer/CKOB_PCMgrDlg.h"

#include "app/ViewerConfig.h"
#include "platform/Exit.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "resources/Popup.h"
#include "settings/SettingPopup.h"
#include "settings/SettingSavePopup.h"
#include "viewer/PlaybackLimits.h"

#include <QGuiApplication>
#include <QThread>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// The window whose configuration an abrupt end of the program must still store.
CKOB_PCMgrDlg* g_configurationOwner = nullptr;

} // namespace

void CKOB_PCMgrDlg::loadConfiguration()
{
    const viewer_config::Loaded loaded
        = viewer_config::load(m_adapter ? std::int32_t(m_adapter->scrambleKey) : 0);
    m_passwordGate = loaded.passwordGate;
    m_storedPassword = loaded.password;
    if (loaded.foldersRead) {
        m_settings->setFolders(loaded.folders);
        m_settings->savePopup()->appendSaveDirectory(loaded.directoryToken);
    }
    m_volume.setValue(loaded.volume);
    m_settings->setRecord(loaded.settings);
    g_configurationOwner = this;
}

void CKOB_PCMgrDlg::saveConfiguration()
{
    if (m_configurationSaved)
        return;
    m_configurationSaved = true;
    if (g_configurationOwner == this) {
        g_configurationOwner = nullptr;
        platform::setBeforeExit({});
    }
    std::optional<viewer_config::PopupState> popup;
    if (m_settings)
        popup = viewer_config::PopupState{m_settings->getRecord(), m_settings->folders(),
            m_settings->savePopup()->saveDirectory()};
    viewer_config::save(m_volume.value(), popup);
}

void CKOB_PCMgrDlg::saveBeforeExit()
{
    // The popup's record lives on the GUI thread; an end asked for elsewhere cannot read it.
    CKOB_PCMgrDlg* window = g_configurationOwner;
    if (window && QThread::currentThread() == window->thread())
        window->saveConfiguration();
}

void CKOB_PCMgrDlg::onSettings()
{
    if (!noJobRunning())
        return;
    createAdapter();
    showSettingsPopup(SettingPopup::ViewSettings);
}

platform::LResult CKOB_PCMgrDlg::onSettingsClosed(platform::WParam thirtyFrames, platform::LParam)
{
    showMapAfterPopup();
    if (thirtyFrames == 1) {
        // Back to where the run started, a second early, so the frames can be watched again.
        m_capturePosition -= 1;
        if (m_adapter && m_playing) {
            // The run ends playing, even when a frame step before it had left step mode on.
            m_adapter->pauseAfterSeek = 0;
            const int last = playback::lastSeekSecond(lengthSeconds());
            seekPlayer(float(std::clamp(m_capturePosition, 0, last)), false);
        }
    } else if (m_paused) {
        onPlay();
    } else {
        onPause();
    }
    refreshUnit();
    return 0;
}

void CKOB_PCMgrDlg::onSettingsPopupClosed()
{
    // The capture mode's close has done this already with its own message; the other modes
    // send none.
    showMapAfterPopup();
    refreshUnit();
    if (const std::optional<platform::LParam> end = std::exchange(m_endWhileSettings, {}))
        onLastRecord(*end);
}

void CKOB_PCMgrDlg::refreshUnit()
{
    // The unit may have changed: its label, and the digits in it.
    m_panel.setUnit(m_settings->workingRecord().speedUnit);
    m_panel.drawUnitLabel(m_buffer);
    m_panel.drawSpeedDigits(m_buffer);
}

platform::LResult CKOB_PCMgrDlg::onShowCompletion(platform::WParam type)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_settings->showCompletionMessage(int(type));
    QGuiApplication::restoreOverrideCursor();
    return 1;
}
