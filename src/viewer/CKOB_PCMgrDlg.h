#pragma once

#include "clip/ClipSpan.h"
#include "drive/DriveAnalysis.h"
#include "platform/AppMessage.h"
#include "viewer/BackBuffer.h"
#include "viewer/ClipMarks.h"
#include "viewer/EventMarkers.h"
#include "viewer/FrameGrabber.h"
#include "viewer/GSensorGraph.h"
#include "viewer/PlayList.h"
#include "viewer/PlayListPainter.h"
#include "viewer/SeekBar.h"
#include "viewer/SpeedSlider.h"
#include "viewer/TelemetryPanel.h"
#include "viewer/VolumeSlider.h"

#include <QByteArray>
#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class BitmapButton;
class QMenu;
namespace archive {
struct ImportReport;
}
namespace archivewin {
class ArchiveImportJob;
class ArchiveThread;
class ArchiveWindow;
class CardWatcher;
}
class ClipExportPopup;
class DriveIndex;
class DriveSummaryPopup;
class FilesOpenPopup;
class InfoPopup;
class MapWindow;
class QProgressDialog;
class QThread;
namespace recover {
struct Report;
class RecoveryWorker;
}
class PVEXAdap;
class QLineEdit;
class QTimer;
class RecordingCopy;
class SettingPopup;
class UnlockAnimation;
class UsbToolPopup;

// The viewer's single main window: borderless, skinned, 1020 x 780, drawn into a back buffer
// that is copied to the screen in one piece. Behind a password it opens as a 440 x 300 lock.
// It owns the player adapter and every popup, holds the play list and drives the player with
// the transport buttons, the seek bar and the two sliders.
//
// The class is sliced by concern: creation, destruction and the message map here and in
// CKOB_PCMgrDlg.cpp; the lock (_password), the settings popup and the configuration
// (_settings), playback and the list (_playback), the mouse (_mouse), painting (_paint), the
// popups, the keyboard and recordings from outside (_input), and the telemetry panel, graph,
// markers and the map (_telemetry), the frame jobs: print, capture, save and copy (_jobs), and
// the clip's marks, menu and export popup (_clip).
class CKOB_PCMgrDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kWidth = 1020;
    static constexpr int kHeight = 780;
    static constexpr int kLockedWidth = 440;
    static constexpr int kLockedHeight = 300;
    static constexpr int kDragStrip = 35;
    static constexpr int kPanelTimerId = 100;
    static constexpr int kPanelPeriodMs = 1200;
    static constexpr int kSlowPanelPeriodMs = 1500;
    // Between making the player's loading state current and handing it the recording.
    static constexpr int kOpenDelayMs = 100;
    // Between muting the sound for a copy and starting it, so the player has let go.
    static constexpr int kCopyDelayMs = 1000;
    // How long a passing note (a damaged recording passed over) stands in the title.
    static constexpr int kStatusShownMs = 5000;
    static constexpr QRect kVideoArea{24, 52, 640, 480};
    static constexpr QRect kSecondVideoArea{684, 122, 640, 480};

    explicit CKOB_PCMgrDlg(QWidget* parent = nullptr);
    ~CKOB_PCMgrDlg() override;

    const QImage& backBuffer() const { return m_buffer.image(); }
    PVEXAdap* adapter() const { return m_adapter.get(); }
    SettingPopup* settingsPopup() const { return m_settings; }
    FilesOpenPopup* filesPopup() const { return m_files; }
    InfoPopup* infoPopup() const { return m_info; }
    DriveSummaryPopup* driveSummary() const { return m_summary; } // made on first use
    UsbToolPopup* usbTool() const { return m_usbTool.get(); }
    MapWindow* map() const { return m_map; }
    ClipExportPopup* clipPopup() const { return m_clipPopup; } // made on first use
    const ClipMarks& clipMarks() const { return m_clipMarks; }
    archivewin::ArchiveWindow* archiveWindow() const { return m_archiveWindow; } // first use
    // The card folder whose import the title offers now, or empty.
    QString archiveOffer() const;
    bool isImporting() const { return m_archiveImport != nullptr; }
    const TelemetryPanel& telemetryPanel() const { return m_panel; }
    const GSensorGraph& graph() const { return m_graph; }
    const EventMarkers& eventMarkers() const { return m_markers; }
    bool isUnlocked() const { return m_unlocked; }
    // Where a popup takes its place from: the window's rectangle as it is now, so that a window
    // dragged since it was unlocked still gets its popups in place.
    QRect mainRectangle() const { return geometry(); }
    bool unlocking() const;

    // Playback state, as the transport and the screen show it.
    const PlayList& playList() const { return m_list; }
    bool isPlaying() const { return m_playing; }
    bool isPaused() const { return m_paused; }
    int progress() const { return m_seekBar.progress(); }
    const SpeedSlider& speedSlider() const { return m_speed; }
    const VolumeSlider& volumeSlider() const { return m_volume; }
    int panelTimerPeriod() const;
    // A copy of the open recording is under way (from the settings popup's saving mode until
    // its outcome is shown).
    bool isCopying() const { return m_copying; }
    // The passing note in the title's place; empty when the title shows the recording's name.
    const QString& status() const { return m_status; }

    // Recordings from outside the file selector (the command line, a drop): files and folders
    // join the list by the selector's rules, and the first of them starts playing as soon as
    // the window is unlocked. What holds no recording is named in one message.
    void openRecordings(const QStringList& paths);

    // Ends the dialog; a capture still running is ended first, before anything it uses goes.
    void done(int result) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum DragTarget { NoDrag = -1, SeekThumb = 0, SpeedThumb = 1, VolumeThumb = 2, ListThumb = 3 };

    // Creation and the dialog's initialisation, in their order.
    void createWindow();
    void createAdapter();
    void initialise();
    void createControls();
    BitmapButton* addButton(int id, int normal, int pressed, const QRect& place);
    void bindMessageMap();

    // Painting and the hand-over of the back buffer (CKOB_PCMgrDlg_paint.cpp).
    void flush();
    void onDirty();
    void paintUnlocked();
    void redrawPlaybackAreas();
    void redrawList();

    // The lock (CKOB_PCMgrDlg_password.cpp).
    void showLock();
    void showUnlocked();
    void drawLock();
    void onPasswordCheck();
    void onUnlockPicture(const QImage& picture);
    void onUnlocked();

    // The settings popup and the configuration (CKOB_PCMgrDlg_settings.cpp).
    void loadConfiguration();
    void saveConfiguration();
    static void saveBeforeExit();
    void onSettings();
    platform::LResult onSettingsClosed(platform::WParam thirtyFrames, platform::LParam captured);
    platform::LResult onShowCompletion(platform::WParam type);

    // Playback and the play list (CKOB_PCMgrDlg_playback.cpp).
    // Whether the window takes commands that would cross a job: the settings popup is not in
    // use and no copy runs. Play, stop, close, the list and the other jobs ask it.
    bool noJobRunning() const;
    // automatic: the list moving on by itself at a recording's end, where a damaged recording
    // is passed over rather than stopping everything with a message.
    bool openSelectedRow(bool automatic = false);
    void loadOpenedRecording(quint64 ticket, const QByteArray& name);
    // The player has announced the recording last handed to it: until then a seek is lost on
    // a player still opening it, and the position it reports is not this recording's.
    bool recordingLoaded() const;
    // recoverable: the camera never closed the recording, and opening it on purpose offers to
    // recover it rather than only saying it failed.
    bool openFailed(const QString& path, const QString& reason, bool recoverable = false);
    void skipDamaged(const QString& path, const QString& reason);
    // The list moves on to the entry after the one that could not play, as at a recording's
    // end; after a whole pass of such entries it stops.
    void playOn();
    // A passing note in the title's place, for a few seconds.
    void showStatus(const QString& text);
    void onStatusTimeout();
    void stopPlayer();
    // The resets of Stop: nothing playing, the bar at 0; closeRecording forgets the open entry.
    void resetPlayback(bool closeRecording);
    void onPlay();
    void onPause();
    void onStop();
    void onPrevious();
    void onNext();
    void changeRecording(int index);
    void onSecondForward();
    void onSecondBack();
    void stepSecond(int seconds);
    void onFrameStep();
    void onClearList();
    void applySpeed();
    void applyVolume();
    void seekPlayer(float seconds, bool relative);
    int currentSecond() const;
    int lengthSeconds() const;
    platform::LResult onTimeUpdate();
    platform::LResult onLastRecord(platform::LParam lParam);
    platform::LResult onOpenFailed();
    platform::LResult onAddFiles(platform::WParam count, platform::LParam lParam);
    void addToList(const QStringList& paths);

    // The mouse (CKOB_PCMgrDlg_mouse.cpp).
    bool pressThumbs(QPoint point);
    bool pressList(QPoint point);
    bool pressTracks(QPoint point);
    void dragTo(QPoint point);
    void endDrag();

    // Popups, keys and recordings from outside (CKOB_PCMgrDlg_input.cpp).
    void onMinimise();
    void onClose();
    void onInfo();
    void onUsbTool();
    void onFiles();
    platform::LResult onHidePopup(platform::WParam wParam);
    platform::LResult onPlaceVideo(platform::WParam window);
    platform::LResult onSlowPanelTimer();
    bool shortcut(const QKeyEvent* key);
    // A popup of the window is on show: keys such as Escape are the popup's business.
    bool popupShown() const;
    void startGivenRecording();

    // The telemetry panel, the graph, the event markers, the map and the frame jobs
    // (CKOB_PCMgrDlg_telemetry.cpp).
    void createMap();
    void deleteMap();
    void onPanelTimer();
    void telemetryOnOpen(const QString& path);
    void telemetryOnReset();
    void telemetryOnSeek();
    void telemetryTimeUpdate();
    void paintEventMarkers();
    void paintEventTicks();
    void paintPanel();
    void paintSpeedDigits();
    // The map goes with the recording (Stop, Clear list, a failed open); a popup over the map
    // area only hides it until the popup closes.
    void hideMap();
    void hideMapForPopup();
    void showMapAfterPopup();
    // Whenever the settings popup closes, in any mode: the map back, the unit redrawn.
    void onSettingsPopupClosed();
    void refreshUnit();

    // The drive around a recording (CKOB_PCMgrDlg_drive.cpp): its found events ticked, N and
    // Shift+N jumping between the drive's events across its recordings, its summary, its route
    // on the map and its line in the list's tooltip.
    void onDrivesAnalysed();
    std::vector<int> foundEventSeconds() const;
    // Where the open recording stands in its drive: the place a pending jump moves it to while
    // the player is still opening it.
    drive::DrivePosition playingPosition(const drive::DriveSummary& around) const;
    // The event of the drive the last jump went to, -1 when the last jump was in another drive.
    int jumpedIndex(const drive::DriveSummary& around) const;
    void jumpToEvent(bool forward);
    // Plays the drive's event from its run-up and remembers it as the one jumped to; false when
    // nothing could be started.
    bool playEvent(const drive::DriveSummary& around, int index);
    // A click on an event of the summary: played, and the summary moved beside the video.
    void onSummaryEvent(int index);
    // The summary's mark on the event that plays, when the summary shows the open drive.
    void followEventInSummary();
    // Plays the recording from the second: a seek when it is the one playing, else it is
    // opened (and added to the list when missing) and moved there once it plays. False when
    // nothing could be started.
    bool playFrom(const QString& recording, double second);
    void onDriveSummaryKey();
    // The popup once the recording's folder is read (it is read first when it is not).
    void showDriveSummary(const QString& recording);
    void showDriveRoute(const QString& recording);
    // Empty while the recording's folder is not read yet (reading it is asked for).
    QString driveTooltip(const QString& recording);
    // The play list's menu: the drive summary of the row under the mouse.
    bool showListMenu(const QContextMenuEvent* event);

    // The clip (CKOB_PCMgrDlg_clip.cpp). The marks are set on the open recording while it
    // plays; the span may continue into later recordings, and the export decides which join.
    std::optional<QDateTime> openRecordingStart() const;
    void markClip(bool start);
    void clearClipMarks();
    void paintClipBand();
    // Folder 1 of the settings where it exists, else the folder of the recording.
    QString clipFolder() const;
    void showClipPopup(const QStringList& recordings, const clip::Span& span);
    void offerClip();
    QList<clip::Span> openEventSpans() const;
    void offerEventClip();
    // The menu of the video area and the seek bar: the clip's marks and saving it.
    bool showClipMenu(const QContextMenuEvent* event);

    // The archive (CKOB_PCMgrDlg_archive.cpp): its window, what it plays, a card's import.
    void showArchive();
    void onArchivePlay(const QStringList& driveRecordings, const QString& recording, double second);
    // Once the window is on screen: the card watch starts and given cards are checked.
    void scheduleArchiveWork();
    // Folders given, dropped or chosen: those holding recordings the archive lacks are offered.
    void offerArchiveFor(const QStringList& paths);
    void checkCardForArchive(const QString& folder);
    void onArchiveMissing(const QString& folder, int missing);
    // A click on the offer in the title starts the import; false when there is none there.
    bool acceptArchiveOffer(QPoint point);
    void chooseCardForArchive();
    void startArchiveImport(const QString& folder);
    void onArchiveImported(const archive::ImportReport& report, const QString& openError);
    void addArchiveEntries(QMenu* menu);
    // The window is going: an import is cancelled and waited for.
    void stopArchive();

    // Recordings the camera never closed (CKOB_PCMgrDlg_recovery.cpp).
    void offerRecovery(const QString& path);
    // An empty reference: the nearest healthy recording of the same kind beside it.
    void startRecovery(const QString& path, const QString& reference);
    void onRecoveryFinished(const recover::Report& report);
    void chooseReference(const QString& damaged);
    // Cancels a recovery under way and waits for its thread (the window is going).
    void stopRecovery();

    // The frame jobs (CKOB_PCMgrDlg_jobs.cpp).
    void onPrint();
    void onCapture();
    void onSave();
    void showSettingsPopup(int mode);
    platform::LResult onCopyRecordings();
    void startCopy(const QString& path, const QString& folder1);
    void onCopyFinished(int result, const QString& destination, const QString& message);

    qreal m_scale = 1.0;
    BackBuffer m_buffer;
    bool m_painting = false;
    bool m_flushQueued = false;
    std::unique_ptr<PVEXAdap> m_adapter;
    SettingPopup* m_settings = nullptr; // deleted in the destruction's order, after the save
    FilesOpenPopup* m_files = nullptr; // made on first use
    InfoPopup* m_info = nullptr; // made on first use
    std::unique_ptr<UsbToolPopup> m_usbTool; // made on first use
    QTimer* m_panelTimer = nullptr; // timer 100
    QTimer* m_statusTimer = nullptr; // ends the title's passing note

    BitmapButton* m_minimise = nullptr;
    BitmapButton* m_close = nullptr;
    BitmapButton* m_settingsButton = nullptr;
    QList<BitmapButton*> m_unlockedButtons; // shown only once the lock has opened
    QLineEdit* m_passwordEdit = nullptr;
    BitmapButton* m_passwordOk = nullptr;
    UnlockAnimation* m_unlockAnimation = nullptr;

    // The lock: the gate flag and the password come from the configuration read at creation.
    int m_passwordGate = 0;
    QByteArray m_storedPassword;
    bool m_unlocked = false;
    QRect m_mainRect;

    // Playback.
    PlayList m_list;
    PlayListPainter m_listPainter;
    SeekBar m_seekBar;
    SpeedSlider m_speed;
    VolumeSlider m_volume;
    bool m_playing = false;
    // Follows the player: set while the player holds its picture, whichever command made it.
    bool m_paused = false;
    // Each open and each stop takes a new ticket; a load waiting for its delay runs only while
    // its ticket is the latest.
    quint64 m_openTicket = 0;
    // The recording's name as handed to the player, to match its failure report against; empty
    // from the open until it is handed over.
    QByteArray m_openedName;
    // A recording that ended while the settings popup was over it: its end, for when the popup
    // closes.
    std::optional<platform::LParam> m_endWhileSettings;
    // The open under way came from the list moving on by itself.
    bool m_openAutomatic = false;
    // Damaged recordings passed over since one last played: a whole list of them ends the run.
    int m_skippedInARow = 0;
    QString m_status;
    // The player refused the volume (no recording played yet): it is given again once one does.
    bool m_volumeWaiting = false;
    int m_capturePosition = 0;
    bool m_configurationSaved = false;
    // The first recording given from outside, to start once the window is unlocked.
    QString m_givenStart;

    // The telemetry panel, graph and event markers (filled by the player's reports).
    TelemetryPanel m_panel;
    GSensorGraph m_graph;
    EventMarkers m_markers;
    FrameGrabber m_frames;
    // The map object lives as long as the window; its map window comes and goes.
    MapWindow* m_map = nullptr;
    bool m_mapHiddenForPopup = false;
    DriveIndex* m_drives = nullptr; // child of this window
    DriveSummaryPopup* m_summary = nullptr; // child of this window, made on first use
    // The recording whose drive summary was asked for before its folder was read.
    QString m_summaryWanted;
    // Where a recording opened by a jump to an event starts playing, once the player has it.
    std::optional<double> m_seekOnStart;
    // The event the last jump went to (its index in the drive that starts with m_jumpedDrive):
    // "previous" and "next" count from it while the position stays with it.
    QString m_jumpedDrive;
    int m_jumpedTo = -1;
    // The last position the map was moved to, so a still picture does not move it again.
    std::optional<TelemetryPanel::MapFix> m_mapShows;

    // The copy of the open recording: the worker, and the window's state around it.
    RecordingCopy* m_copy = nullptr; // child of this window
    bool m_copying = false;
    bool m_copyCursor = false; // the wait cursor is ours to take back
    int m_volumeBeforeCopy = 0;

    // The mouse: the window drag by its top strip, and the drags of thumbs.
    bool m_movingWindow = false;
    QPoint m_moveOffset;
    bool m_dragging = false;
    DragTarget m_dragTarget = NoDrag;

    // A recovery under way: its thread and worker (they delete themselves when it ends).
    QPointer<QThread> m_recoveryThread;
    QPointer<recover::RecoveryWorker> m_recoveryWorker;
    QProgressDialog* m_recoveryProgress = nullptr; // child of this window while shown
    QString m_recoveryPath;

    ClipMarks m_clipMarks;
    ClipExportPopup* m_clipPopup = nullptr; // child of this window, made on first use

    // The archive: its window, the import under way with its progress, the checks of cards.
    archivewin::ArchiveWindow* m_archiveWindow = nullptr; // child of this window, first use
    archivewin::ArchiveImportJob* m_archiveImport = nullptr; // child of this window
    QProgressDialog* m_archiveProgress = nullptr; // child of this window while shown
    std::unique_ptr<archivewin::ArchiveThread> m_archiveChecks;
    archivewin::CardWatcher* m_cardWatcher = nullptr; // child of this window, once shown
    QStringList m_archiveCandidates; // given before the checks could start
    QString m_archiveOffer; // the card folder the title offers to import
    QString m_archiveOfferText;

    platform::MessageMap m_messages;
};
