// What reaches the window from the user and the system besides the mouse: the popups' buttons,
// closing, the keyboard, the library's window messages, and recordings handed over from
// outside (the command line, files dropped on the window).
#include "viewer/CKOB_PCMgrDlg.h"

#include "files/FilesOpenPopup.h"
#include "files/InfoPopup.h"
#include "platform/Dialogs.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "resources/Strings.h"
#include "settings/SettingPopup.h"
#include "usb/UsbToolPopup.h"
#include "viewer/GivenRecordings.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace {

// A message names at most this many of the refused paths.
constexpr int kRefusedShown = 10;

QStringList localFiles(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

} // namespace

void CKOB_PCMgrDlg::onMinimise()
{
    showMinimized();
}

void CKOB_PCMgrDlg::onClose()
{
    if (!noJobRunning() || unlocking())
        return;
    m_panelTimer->stop();
    onStop();
    if (m_files && m_files->isVisible())
        m_files->close();
    accept();
}

void CKOB_PCMgrDlg::closeEvent(QCloseEvent* event)
{
    // The window manager's close (Alt+F4, the task bar) is the close button's, guard and all:
    // a capture or a copy must not lose its window under it.
    event->ignore();
    onClose();
}

void CKOB_PCMgrDlg::onInfo()
{
    if (!m_info)
        m_info = new InfoPopup(this);
    m_info->SetVisible(5);
}

void CKOB_PCMgrDlg::onUsbTool()
{
    UsbToolPopup::showOnRequest(m_usbTool, this);
}

void CKOB_PCMgrDlg::onFiles()
{
    if (!m_files)
        m_files = new FilesOpenPopup(this);
    m_files->SetVisible(5);
}

platform::LResult CKOB_PCMgrDlg::onHidePopup(platform::WParam wParam)
{
    if (wParam == 1 && m_files)
        m_files->SetVisible(0);
    return 0;
}

platform::LResult CKOB_PCMgrDlg::onPlaceVideo(platform::WParam window)
{
    if (!m_adapter)
        return 0;
    PVEXState* state = m_adapter->current();
    if (window == 1) {
        state->placeVideo(
            0, kVideoArea.x(), kVideoArea.y(), kVideoArea.width(), kVideoArea.height());
        state->trace();
        state->refreshVideo(1);
        state->trace();
        m_adapter->placeFlag1 = 0;
    } else if (window == 2) {
        state->placeVideo(1, kSecondVideoArea.x(), kSecondVideoArea.y(), kSecondVideoArea.width(),
            kSecondVideoArea.height());
        state->trace();
        state->refreshVideo(2);
        state->trace();
        m_adapter->placeFlag2 = 0;
    }
    return 0;
}

platform::LResult CKOB_PCMgrDlg::onSlowPanelTimer()
{
    if (m_adapter && m_adapter->channelCount == 1)
        m_panelTimer->start(kSlowPanelPeriodMs);
    return 0;
}

void CKOB_PCMgrDlg::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    if (m_playing && m_adapter)
        m_adapter->notifyMoved();
}

void CKOB_PCMgrDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Never close the main window.
        event->accept();
        return;
    case Qt::Key_Escape:
        // Never closes the main window either: it only lets go of the clip's marks, and not
        // while a popup is open, where it is meant for the popup (whose marks a later "save"
        // would miss).
        event->accept();
        if (m_unlocked && !unlocking() && event->modifiers() == Qt::NoModifier && !popupShown())
            clearClipMarks();
        return;
    default:
        break;
    }
    if (m_unlocked && !unlocking() && shortcut(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CKOB_PCMgrDlg::popupShown() const
{
    // Every popup, message and menu of the window is a window of its own parented to it.
    const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return std::any_of(children.begin(), children.end(),
        [](const QWidget* child) { return child->isWindow() && child->isVisible(); });
}

bool CKOB_PCMgrDlg::shortcut(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_N && (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier) {
        jumpToEvent(modifiers == Qt::NoModifier);
        return true;
    }
    if (modifiers != Qt::NoModifier)
        return false;
    // Each key is its button, with the button's guards.
    switch (key->key()) {
    case Qt::Key_Space:
        if (m_playing && !m_paused)
            onPause();
        else
            onPlay();
        return true;
    case Qt::Key_Right:
        onSecondForward();
        return true;
    case Qt::Key_Left:
        onSecondBack();
        return true;
    case Qt::Key_Period:
        onFrameStep();
        return true;
    case Qt::Key_PageUp:
        onPrevious();
        return true;
    case Qt::Key_PageDown:
        onNext();
        return true;
    case Qt::Key_D:
        onDriveSummaryKey();
        return true;
    case Qt::Key_A:
        showArchive();
        return true;
    case Qt::Key_I:
        markClip(true);
        return true;
    case Qt::Key_O:
        markClip(false);
        return true;
    default:
        return false;
    }
}

void CKOB_PCMgrDlg::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_unlocked && !unlocking() && (showClipMenu(event) || showListMenu(event))) {
        event->accept();
        return;
    }
    QDialog::contextMenuEvent(event);
}

void CKOB_PCMgrDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_unlocked && !unlocking() && !localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CKOB_PCMgrDlg::dropEvent(QDropEvent* event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (!m_unlocked || unlocking() || paths.isEmpty())
        return;
    event->acceptProposedAction();
    // The program the files came from waits for the drop to end; the list, the player and any
    // message come after it.
    QTimer::singleShot(0, this, [this, paths] { openRecordings(paths); });
}

void CKOB_PCMgrDlg::openRecordings(const QStringList& paths)
{
    const given_recordings::Gathered gathered = given_recordings::gather(paths);
    if (!gathered.refused.isEmpty()) {
        QStringList shown;
        for (const QString& path : gathered.refused.mid(0, kRefusedShown))
            shown.append(QDir::toNativeSeparators(path));
        if (gathered.refused.size() > kRefusedShown)
            shown.append(QStringLiteral("…"));
        platform::messageBox(QString(strings::kNotRecordings).arg(shown.join(u'\n')),
            strings::kAppTitle, platform::Buttons::Ok, this);
    }
    if (gathered.recordings.isEmpty())
        return;
    offerArchiveFor(paths);
    addToList(gathered.recordings);
    m_givenStart = gathered.recordings.first();
    if (m_unlocked && !unlocking())
        startGivenRecording();
}

void CKOB_PCMgrDlg::startGivenRecording()
{
    const QString path = std::exchange(m_givenStart, QString());
    const int index = int(m_list.entries().indexOf(path));
    // During a capture or a copy the recordings wait in the list.
    if (path.isEmpty() || index < 0 || !noJobRunning())
        return;
    m_list.moveTo(index);
    openSelectedRow();
}
