#include "viewer/CKOB_PCMgrDlg.h"

#include "archivewindow/ArchiveThread.h"
#include "files/FilesOpenPopup.h"
#include "files/InfoPopup.h"
#include "platform/Exit.h"
#include "platform/Library.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "resources/BitmapButton.h"
#include "resources/Fonts.h"
#include "resources/Skin.h"
#include "resources/Strings.h"
#include "settings/SettingPopup.h"
#include "usb/UsbToolPopup.h"
#include "viewer/ClipExportPopup.h"
#include "viewer/DriveIndex.h"
#include "viewer/RecordingCopy.h"
#include "viewer/UnlockAnimation.h"

#include <QGuiApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

namespace {

// The hidden buttons of the template: never shown, but their commands work when they come.
struct PlainButton
{
    int id;
    const char* caption;
    QRect place;
};
constexpr PlainButton kSecondForward{1081, "F_Seek", {186, 503, 60, 20}};
constexpr PlainButton kSecondBack{1082, "B_Seek", {120, 503, 60, 20}};
constexpr PlainButton kFrameStep{1094, "FrameStep", {34, 503, 80, 20}};
constexpr PlainButton kNothing{1014, "", {0, 0, 0, 0}};
constexpr PlainButton kUnbound{1247, "Button2", {0, 0, 0, 0}};

} // namespace

CKOB_PCMgrDlg::CKOB_PCMgrDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
{
    // The back buffer covers every pixel, so the system need not erase anything first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAcceptDrops(true);
    m_buffer.setDirtyListener([this] { onDirty(); });
    createWindow();
    initialise();
}

void CKOB_PCMgrDlg::createWindow()
{
    m_scale = fonts::scaleFactor();
    // Nothing open, page 0 of 1, normal speed: the members' own starting values.
    m_graph.reset();
    createAdapter();
    m_settings = new SettingPopup(this);
    loadConfiguration();
    // From here on a recording that ends the program at once still leaves this run's settings
    // stored.
    platform::setBeforeExit(&CKOB_PCMgrDlg::saveBeforeExit);
}

void CKOB_PCMgrDlg::createAdapter()
{
    if (m_adapter)
        return;
    m_adapter = std::make_unique<PVEXAdap>(this);
    m_adapter->current()->placeVideo(
        0, kVideoArea.x(), kVideoArea.y(), kVideoArea.width(), kVideoArea.height());
    m_adapter->current()->trace();
    const QByteArray library = platform::Library::playerLibraryFile().toLocal8Bit();
    m_adapter->current()->loadLibrary(library.constData());
    m_adapter->current()->trace();
    m_adapter->pauseAfterSeek = 0;
}

void CKOB_PCMgrDlg::initialise()
{
    setWindowTitle(strings::kAppTitle);
    setWindowIcon(skin::appIcon());
    m_adapter->channelCount = 1;
    m_adapter->scrambledView = 0;
    m_panel.clearRecord();
    m_panel.setUnit(m_settings->workingRecord().speedUnit);
    createControls();
    bindMessageMap();
    if (m_passwordGate != 0)
        showLock();
    else
        showUnlocked();
    createMap();
    m_panelTimer->start(kPanelPeriodMs);
}

BitmapButton* CKOB_PCMgrDlg::addButton(int id, int normal, int pressed, const QRect& place)
{
    auto* button = new BitmapButton(id, this);
    button->loadBitmaps(normal, pressed);
    button->setGeometry(place);
    return button;
}

void CKOB_PCMgrDlg::createControls()
{
    m_minimise = addButton(1001, 143, 144, {925, 1, 45, 25});
    m_close = addButton(1002, 141, 142, {970, 1, 45, 25});
    m_settingsButton = addButton(1006, 157, 159, {966, 46, 34, 34});
    m_unlockedButtons = {
        m_minimise,
        addButton(1003, 145, 147, {810, 46, 34, 34}),
        addButton(1004, 149, 151, {849, 46, 34, 34}),
        addButton(1005, 275, 274, {888, 46, 34, 34}),
        addButton(1049, 235, 237, {927, 46, 34, 34}),
        addButton(1008, 294, 0, {740, 47, 35, 36}),
        m_settingsButton,
        addButton(1007, 160, 162, {33, 596, 30, 30}),
        addButton(1009, 166, 168, {93, 596, 30, 30}),
        addButton(1010, 169, 171, {153, 596, 30, 30}),
        addButton(1011, 172, 174, {213, 596, 30, 30}),
        addButton(1012, 175, 177, {273, 596, 30, 30}),
        addButton(1241, 178, 180, {879, 587, 105, 22}),
        addButton(1072, 264, 265, {799, 587, 74, 22}),
    };
    for (const PlainButton& plain : {kSecondForward, kSecondBack, kFrameStep, kNothing, kUnbound}) {
        auto* button = new QPushButton(QString::fromLatin1(plain.caption), this);
        button->setObjectName(QString::number(plain.id));
        button->setGeometry(plain.place);
        button->setFocusPolicy(Qt::NoFocus);
        button->hide();
    }

    m_passwordEdit = new QLineEdit(this);
    m_passwordEdit->setObjectName(QStringLiteral("1058"));
    m_passwordOk = addButton(1059, 240, 242, {278, 197, 29, 29});

    m_unlockAnimation = new UnlockAnimation(this);
    m_copy = new RecordingCopy(this);
    m_drives = new DriveIndex(DriveIndex::storedThresholds(), this);
    m_panelTimer = new QTimer(this);
    m_panelTimer->setObjectName(QString::number(kPanelTimerId));
    m_statusTimer = new QTimer(this);
    m_statusTimer->setSingleShot(true);
    m_statusTimer->setInterval(kStatusShownMs);
}

void CKOB_PCMgrDlg::bindMessageMap()
{
    const auto command = [this](int id, void (CKOB_PCMgrDlg::*handler)()) {
        auto* button = findChild<QAbstractButton*>(QString::number(id), Qt::FindDirectChildrenOnly);
        connect(button, &QAbstractButton::clicked, this, handler);
    };
    command(1001, &CKOB_PCMgrDlg::onMinimise);
    command(1002, &CKOB_PCMgrDlg::onClose);
    command(1003, &CKOB_PCMgrDlg::onPrint);
    command(1004, &CKOB_PCMgrDlg::onCapture);
    command(1005, &CKOB_PCMgrDlg::onSave);
    command(1049, &CKOB_PCMgrDlg::onInfo);
    command(1006, &CKOB_PCMgrDlg::onSettings);
    command(1007, &CKOB_PCMgrDlg::onPrevious);
    command(1081, &CKOB_PCMgrDlg::onSecondForward);
    command(1082, &CKOB_PCMgrDlg::onSecondBack);
    command(1094, &CKOB_PCMgrDlg::onFrameStep);
    command(1009, &CKOB_PCMgrDlg::onPause);
    command(1010, &CKOB_PCMgrDlg::onStop);
    command(1011, &CKOB_PCMgrDlg::onPlay);
    command(1012, &CKOB_PCMgrDlg::onNext);
    // 1014 does nothing; 1247 is not bound.
    command(1059, &CKOB_PCMgrDlg::onPasswordCheck);
    command(1072, &CKOB_PCMgrDlg::onClearList);
    command(1008, &CKOB_PCMgrDlg::onUsbTool);
    command(1241, &CKOB_PCMgrDlg::onFiles);
    connect(m_panelTimer, &QTimer::timeout, this, &CKOB_PCMgrDlg::onPanelTimer);
    connect(m_statusTimer, &QTimer::timeout, this, &CKOB_PCMgrDlg::onStatusTimeout);
    connect(m_drives, &DriveIndex::analysed, this, &CKOB_PCMgrDlg::onDrivesAnalysed);
    connect(m_unlockAnimation, &UnlockAnimation::picture, this, &CKOB_PCMgrDlg::onUnlockPicture);
    connect(m_unlockAnimation, &UnlockAnimation::finished, this, &CKOB_PCMgrDlg::onUnlocked);
    connect(m_copy, &RecordingCopy::finished, this, &CKOB_PCMgrDlg::onCopyFinished);
    connect(m_settings, &SettingPopup::closed, this, &CKOB_PCMgrDlg::onSettingsPopupClosed);
    m_passwordEdit->installEventFilter(this);

    using platform::LParam;
    using platform::WParam;
    m_messages = {
        {platform::UM_LIBRARY_ACK, [](WParam, LParam) { return 1; }},
        {platform::UM_LAST_RECORD, [this](WParam, LParam lParam) { return onLastRecord(lParam); }},
        {platform::UM_SETTINGS_CLOSED,
            [this](WParam wParam, LParam lParam) { return onSettingsClosed(wParam, lParam); }},
        {platform::UM_ADD_FILES,
            [this](WParam wParam, LParam lParam) { return onAddFiles(wParam, lParam); }},
        {platform::UM_TIME_UPDATE, [this](WParam, LParam) { return onTimeUpdate(); }},
        {platform::UM_PLACE_VIDEO, [this](WParam wParam, LParam) { return onPlaceVideo(wParam); }},
        {platform::UM_COPY_RECORDINGS, [this](WParam, LParam) { return onCopyRecordings(); }},
        {platform::UM_SHOW_COMPLETION,
            [this](WParam wParam, LParam) { return onShowCompletion(wParam); }},
        {platform::UM_PANEL_TIMER_SLOW, [this](WParam, LParam) { return onSlowPanelTimer(); }},
        {platform::UM_HIDE_POPUP, [this](WParam wParam, LParam) { return onHidePopup(wParam); }},
        {platform::UM_OPEN_FAILED, [this](WParam, LParam) { return onOpenFailed(); }},
    };
}

CKOB_PCMgrDlg::~CKOB_PCMgrDlg()
{
    m_buffer.setDirtyListener({});
    stopRecovery();
    stopArchive();
    // A copy still running is cancelled when its worker goes with the window, and its
    // temporary file with it; the cursor it set is given back now.
    if (m_copyCursor)
        QGuiApplication::restoreOverrideCursor();
    // A capture steps the player and reads its frames: it ends before the player goes.
    m_settings->stopCapture();
    m_settings->setPlayer(nullptr, {});
    m_adapter.reset();
    // Hidden directly: closing it would report back to a window that is going.
    if (m_files)
        m_files->SetVisible(0);
    m_playing = false;
    saveConfiguration();
    delete m_settings;
    m_settings = nullptr;
    delete m_info;
    m_info = nullptr;
    deleteMap();
    m_usbTool.reset();
    delete m_files;
    m_files = nullptr;
    m_list.clear();
    m_markers.clear();
}

void CKOB_PCMgrDlg::done(int result)
{
    if (m_settings)
        m_settings->stopCapture();
    // A clip being written is cancelled, and what it had written removed, before the window goes.
    if (m_clipPopup)
        m_clipPopup->stop();
    QDialog::done(result);
}

int CKOB_PCMgrDlg::panelTimerPeriod() const
{
    return m_panelTimer->isActive() ? m_panelTimer->interval() : 0;
}

bool CKOB_PCMgrDlg::event(QEvent* event)
{
    if (m_messages.dispatch(event))
        return true;
    if (event->type() == QEvent::ToolTip) {
        // A damaged row says why it was passed over; a healthy one names its drive.
        const auto* help = static_cast<QHelpEvent*>(event);
        const int index = m_unlocked ? m_list.entryAt(help->pos()) : -1;
        if (index >= 0 && m_list.isDamaged(index))
            QToolTip::showText(help->globalPos(), m_list.damagedReason(index), this);
        else if (index >= 0 && m_list.isRecoverable(index))
            QToolTip::showText(help->globalPos(), strings::kReasonNotClosed, this);
        else if (const QString drive = index >= 0 ? driveTooltip(m_list.entry(index)) : QString();
                 !drive.isEmpty())
            QToolTip::showText(help->globalPos(), drive, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QDialog::event(event);
}
