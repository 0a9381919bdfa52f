#pragma once

#include "platform/AppMessage.h"
#include "viewer/BackBuffer.h"

#include <QByteArray>
#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <memory>

class BitmapButton;
class PVEXAdap;
class QLineEdit;
class SettingPopup;
class UnlockAnimation;

// The viewer's single main window: borderless, skinned, 1020 x 780, drawn into a back buffer
// that is copied to the screen in one piece. Behind a password it opens as a 440 x 300 lock.
class CKOB_PCMgrDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kWidth = 1020;
    static constexpr int kHeight = 780;
    static constexpr int kLockedWidth = 440;
    static constexpr int kLockedHeight = 300;
    static constexpr int kDragStrip = 35;

    explicit CKOB_PCMgrDlg(QWidget* parent = nullptr);
    ~CKOB_PCMgrDlg() override;

    const QImage& backBuffer() const { return m_buffer.image(); }
    PVEXAdap* adapter() const { return m_adapter.get(); }
    SettingPopup* settingsPopup() const { return m_settings; }
    bool isUnlocked() const { return m_unlocked; }
    // Where a popup takes its place from: the window's rectangle as it is now, so that a window
    // dragged since it was unlocked still gets its popups in place.
    QRect mainRectangle() const { return geometry(); }
    bool unlocking() const;

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

private:
    // Creation and the dialog's initialisation, in their order.
    void createWindow();
    void createAdapter();
    void initialise();
    void createControls();
    void bindMessageMap();
    void flush();

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

    void onMinimise();
    void onClose();

    qreal m_scale = 1.0;
    BackBuffer m_buffer;
    std::unique_ptr<PVEXAdap> m_adapter;
    SettingPopup* m_settings = nullptr; // deleted in the destruction's order, after the save

    BitmapButton* m_minimise = nullptr;
    BitmapButton* m_close = nullptr;
    BitmapButton* m_settingsButton = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    BitmapButton* m_passwordOk = nullptr;
    UnlockAnimation* m_unlockAnimation = nullptr;

    // The lock: the gate flag and the password come from the configuration read at creation.
    int m_passwordGate = 0;
    QByteArray m_storedPassword;
    bool m_unlocked = false;
    QRect m_mainRect;

    // Playback state the settings popup's return acts on.
    bool m_playing = false;
    bool m_paused = false;
    int m_capturePosition = 0;
    int m_volumeSlider = 128;
    bool m_configurationSaved = false;

    bool m_dragging = false;
    QPoint m_dragOffset;

    platform::MessageMap m_messages;
};
