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
    if (m_settings->getMode() != SettingPopup::NotInUse)
        return;
    createAdapter();
    m_settings->reset();
    m_settings->setMode(SettingPopup::ViewSettings);
    m_settings->setMainOrigin(mainRectangle());
    m_settings->layOut();
    m_settings->SetVisible(popup::kShown);
    m_settings->raise();
    m_settings->activateWindow();
    hideMap();
}

platform::LResult CKOB_PCMgrDlg::onSettingsClosed(platform::WParam thirtyFrames, platform::LParam)
{
    showMap();
    if (thirtyFrames == 1) {
        // Back to where the run started, a second early, so the frames can be watched again.
        m_capturePosition -= 1;
        if (m_adapter && m_playing) {
            const int last = playback::lastSeekSecond(lengthSeconds());
            seekPlayer(float(std::clamp(m_capturePosition, 0, last)), false);
        }
    } else if (m_paused) {
        onPlay();
    } else {
        onPause();
    }
    // The unit may have changed.
    m_panel.setUnit(m_settings->workingRecord().speedUnit);
    m_buffer.invalidate(TelemetryPanel::kUnitLabelArea);
    return 0;
}

platform::LResult CKOB_PCMgrDlg::onShowCompletion(platform::WParam type)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_settings->showCompletionMessage(int(type));
    QGuiApplication::restoreOverrideCursor();
    return 1;
}
