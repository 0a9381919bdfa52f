#pragma once

#include "platform/AppMessage.h"
#include "settings/SettingFolders.h"
#include "settings/SettingsRecord.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

class BitmapButton;
class FrameCapture;
class PasswordSetting;
class QPainter;
class PVEXAdap;
class SettingSavePopup;

// The skinned popup the main window uses for three jobs, chosen by its mode before it is shown
// (template 106): capturing frames (0), choosing the folder for recording copies (1) and the
// viewer settings shared with the recorder (2); 3 means not in use. It owns the viewer settings
// record, the two folders the configuration keeps, the save popup, the password panel and the
// frame capture.
class SettingPopup : public QWidget
{
    Q_OBJECT

public:
    enum Mode : int { Capture = 0, FileSaving = 1, ViewSettings = 2, NotInUse = 3 };
    static constexpr int kWidth = 377;
    static constexpr int kHeight = 380;

    // mainWindow receives UM_COPY_RECORDINGS, UM_SETTINGS_CLOSED and UM_SHOW_COMPLETION and
    // gives the popups their places; without one the popup shows its completion messages itself.
    explicit SettingPopup(QWidget* mainWindow = nullptr);
    ~SettingPopup() override;

    void setMode(int mode);
    int getMode() const { return m_mode; }
    // The main window's rectangle (left, top, right, bottom); refreshed from the main window's
    // current place whenever the popup or one of its panels is placed.
    void setMainOrigin(const QRect& mainOrigin);
    // Moves the popup to (left + 324, top + 155), 377 x 380, and arranges the mode's buttons.
    void layOut();
    void SetVisible(int state);
    int shownState() const { return m_shownState; }
    void reset();

    void setRecord(const ViewerSettings& record);
    ViewerSettings getRecord();
    const ViewerSettings& workingRecord() const { return m_record.working(); }
    int levelPosition() const { return m_record.levelPosition(); }

    // The folders as a configuration load hands them over, and as a save takes them.
    void setFolders(const SettingFolders& folders);
    const SettingFolders& folders() const { return m_folders; }
    QByteArray folderListText();

    // The player adapter and the recording on show, for a capture; nullptr forgets the player.
    void setPlayer(PVEXAdap* adapter, const QString& recordingPath);
    // Ends a running capture and joins its worker; the main window does it before the player
    // goes.
    void stopCapture();
    bool captureRunning() const;
    FrameCapture& capture() { return *m_capture; }

    // 1: frames captured, 2: recording copied, 3: the password entries differed.
    void showCompletionMessage(int type);

    SettingSavePopup* savePopup() const { return m_savePopup; }
    PasswordSetting* passwordPanel() const { return m_passwordPanel; }
    bool unitListClosed() const { return m_unitListClosed; }
    bool thirtyFrames() const { return m_thirtyFrames; }

signals:
    // The popup has closed, in whichever mode it was (the capture mode's close also sends
    // UM_SETTINGS_CLOSED to the main window first).
    void closed();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void bindMessageMap();
    void arrangeButtons();
    QRect currentOrigin();

    // Buttons.
    void onSelectFolder();
    void onAction();
    void onClose();
    void startCapture();
    void onCaptureFinished();

    // Application messages.
    platform::LResult onWriteDeviceFile();
    platform::LResult onPasswordResult(platform::WParam wParam, platform::LParam lParam);

    // Mouse rules of modes 0 and 2.
    void pressInCaptureMode(const QPoint& point);
    void pressInViewSettings(const QPoint& point);
    void togglePasswordProtection();

    // Painting (SettingPopup_paint.cpp).
    void render();
    void renderFolderPart(QPainter& painter, int folder);
    void renderCaptureMode(QPainter& painter);
    void renderViewSettings(QPainter& painter);
    void repaintArea(const QRect& area);

    QPointer<QWidget> m_mainWindow;
    int m_mode = NotInUse;
    SettingFolders m_folders;
    SettingsRecord m_record;
    bool m_unitListClosed = true;
    bool m_levelDragging = false;
    bool m_levelMoved = false;
    QPoint m_levelPress;
    int m_levelPressPosition = 0;
    bool m_thirtyFrames = false;
    QRect m_mainOrigin;
    PVEXAdap* m_player = nullptr;
    QString m_recordingPath;
    QByteArray m_folderListText;
    int m_shownState = 0;
    QImage m_face;

    SettingSavePopup* m_savePopup = nullptr;
    PasswordSetting* m_passwordPanel = nullptr;
    FrameCapture* m_capture = nullptr;

    BitmapButton* m_closeBox = nullptr;
    BitmapButton* m_selectFolder = nullptr;
    BitmapButton* m_action = nullptr;
    BitmapButton* m_exit = nullptr;

    platform::MessageMap m_messages;
};
