#include "viewer/CKOB_PCMgrDlg.h"

#include "platform/Exit.h"
#include "platform/Library.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "resources/BitmapButton.h"
#include "resources/Fonts.h"
#include "resources/Skin.h"
#include "resources/Strings.h"
#include "settings/SettingPopup.h"
#include "viewer/UnlockAnimation.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

CKOB_PCMgrDlg::CKOB_PCMgrDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
{
    // The back buffer covers every pixel, so the system need not erase anything first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    createWindow();
    initialise();
}

void CKOB_PCMgrDlg::createWindow()
{
    m_scale = fonts::scaleFactor();
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
    m_adapter->current()->placeVideo(0, 24, 52, 640, 480);
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
    createControls();
    bindMessageMap();
    if (m_passwordGate != 0)
        showLock();
    else
        showUnlocked();
}

void CKOB_PCMgrDlg::createControls()
{
    m_minimise = new BitmapButton(1001, this);
    m_minimise->loadBitmaps(143, 144);
    m_minimise->setGeometry(925, 1, 45, 25);

    m_close = new BitmapButton(1002, this);
    m_close->loadBitmaps(141, 142);
    m_close->setGeometry(970, 1, 45, 25);

    m_settingsButton = new BitmapButton(1006, this);
    m_settingsButton->loadBitmaps(157, 159);
    m_settingsButton->setGeometry(966, 46, 34, 34);

    m_passwordEdit = new QLineEdit(this);
    m_passwordEdit->setObjectName(QStringLiteral("1058"));
    m_passwordOk = new BitmapButton(1059, this);
    m_passwordOk->loadBitmaps(240, 242);
    m_passwordOk->setGeometry(278, 197, 29, 29);

    m_unlockAnimation = new UnlockAnimation(this);
}

void CKOB_PCMgrDlg::bindMessageMap()
{
    connect(m_minimise, &BitmapButton::clicked, this, &CKOB_PCMgrDlg::onMinimise);
    connect(m_close, &BitmapButton::clicked, this, &CKOB_PCMgrDlg::onClose);
    connect(m_settingsButton, &BitmapButton::clicked, this, &CKOB_PCMgrDlg::onSettings);
    connect(m_passwordOk, &BitmapButton::clicked, this, &CKOB_PCMgrDlg::onPasswordCheck);
    connect(m_unlockAnimation, &UnlockAnimation::picture, this, &CKOB_PCMgrDlg::onUnlockPicture);
    connect(m_unlockAnimation, &UnlockAnimation::finished, this, &CKOB_PCMgrDlg::onUnlocked);
    m_passwordEdit->installEventFilter(this);
    m_messages = {
        {platform::UM_LIBRARY_ACK, [](platform::WParam, platform::LParam) { return 1; }},
        {platform::UM_SETTINGS_CLOSED,
            [this](platform::WParam wParam, platform::LParam lParam) {
                return onSettingsClosed(wParam, lParam);
            }},
        {platform::UM_SHOW_COMPLETION,
            [this](platform::WParam wParam, platform::LParam) { return onShowCompletion(wParam); }},
    };
}

CKOB_PCMgrDlg::~CKOB_PCMgrDlg()
{
    // A capture steps the player and reads its frames: it ends before the player goes.
    m_settings->stopCapture();
    m_settings->setPlayer(nullptr, {});
    m_adapter.reset();
    m_playing = false;
    saveConfiguration();
    delete m_settings;
    m_settings = nullptr;
}

void CKOB_PCMgrDlg::done(int result)
{
    if (m_settings)
        m_settings->stopCapture();
    QDialog::done(result);
}

void CKOB_PCMgrDlg::flush()
{
    if (m_buffer.hasDirty())
        update(m_buffer.takeDirty());
}

void CKOB_PCMgrDlg::onMinimise()
{
    showMinimized();
}

void CKOB_PCMgrDlg::onClose()
{
    if (m_settings->getMode() != SettingPopup::NotInUse || unlocking())
        return;
    accept();
}

bool CKOB_PCMgrDlg::event(QEvent* event)
{
    if (m_messages.dispatch(event))
        return true;
    return QDialog::event(event);
}

void CKOB_PCMgrDlg::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.drawImage(dirty, m_buffer.image(), dirty);
}

void CKOB_PCMgrDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape never close the main window.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CKOB_PCMgrDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && event->position().y() < kDragStrip) {
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CKOB_PCMgrDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CKOB_PCMgrDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}
