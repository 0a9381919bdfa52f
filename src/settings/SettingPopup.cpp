#include "settings/SettingPopup.h"

#include "password/PasswordSetting.h"
#include "platform/Dialogs.h"
#include "resources/BitmapButton.h"
#include "resources/Popup.h"
#include "resources/Strings.h"
#include "settings/DirectoryText.h"
#include "settings/FolderChoice.h"
#include "settings/FrameCapture.h"
#include "settings/RecorderSettingsFile.h"
#include "settings/SettingSavePopup.h"

#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>

namespace {

// The write request's answer when there is no directory to write to (the file's own steps
// are 1 to 3).
constexpr int kNoDirectory = 4;

QString writeFailureReason(int step)
{
    switch (step) {
    case 1:
        return strings::kReasonNotCreated;
    case 2:
        return strings::kReasonNotComplete;
    default:
        return strings::kReasonNotReplaced;
    }
}

} // namespace

SettingPopup::SettingPopup(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::FramelessWindowHint)
    , m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("106"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kWidth, kHeight);
    m_savePopup = new SettingSavePopup(this);
    m_passwordPanel = new PasswordSetting(this);
    m_capture = new FrameCapture(this);
    createControls();
    bindMessageMap();
    reset();
    render();
}

SettingPopup::~SettingPopup()
{
    delete m_savePopup;
    delete m_passwordPanel;
    m_capture->stop();
}

void SettingPopup::createControls()
{
    m_closeBox = new BitmapButton(1045, this);
    m_selectFolder = new BitmapButton(1046, this);
    m_action = new BitmapButton(1047, this);
    m_exit = new BitmapButton(1048, this);
    arrangeButtons();
}

void SettingPopup::bindMessageMap()
{
    connect(m_closeBox, &BitmapButton::clicked, this, &SettingPopup::onClose);
    connect(m_selectFolder, &BitmapButton::clicked, this, &SettingPopup::onSelectFolder);
    connect(m_action, &BitmapButton::clicked, this, &SettingPopup::onAction);
    connect(m_exit, &BitmapButton::clicked, this, &SettingPopup::onClose);
    connect(m_capture, &FrameCapture::progressed, this,
        [this] { repaintArea(QRect(QPoint(65, 200), QPoint(314, 274))); });
    connect(m_capture, &FrameCapture::finished, this, &SettingPopup::onCaptureFinished);
    m_messages = {
        {platform::UM_WRITE_DEVICE_FILE,
            [this](platform::WParam, platform::LParam) { return onWriteDeviceFile(); }},
        {platform::UM_PASSWORD_RESULT,
            [this](platform::WParam wParam, platform::LParam lParam) {
                return onPasswordResult(wParam, lParam);
            }},
    };
}

void SettingPopup::arrangeButtons()
{
    m_closeBox->loadBitmaps(207, 209);
    m_closeBox->setGeometry(320, 0, 45, 23);
    m_selectFolder->loadBitmaps(213, 215);
    m_selectFolder->setGeometry(231, 79, 120, 27);
    m_selectFolder->setVisible(m_mode != ViewSettings);
    if (m_mode == Capture)
        m_action->loadBitmaps(220, 222);
    else
        m_action->loadBitmaps(228, 230);
    m_action->setGeometry(88, 295, 86, 29);
    m_exit->loadBitmaps(223, 225);
    m_exit->setGeometry(198, 295, 86, 29);
}

void SettingPopup::setMode(int mode)
{
    if (mode < Capture || mode > NotInUse)
        return;
    m_mode = mode;
    render();
    update();
}

void SettingPopup::setMainOrigin(const QRect& mainOrigin)
{
    m_mainOrigin = mainOrigin;
}

QRect SettingPopup::currentOrigin()
{
    // A main window dragged since it handed its rectangle over still gets its popups in place.
    if (m_mainWindow)
        m_mainOrigin = m_mainWindow->geometry();
    return m_mainOrigin;
}

void SettingPopup::layOut()
{
    const QRect origin = currentOrigin();
    setGeometry(origin.left() + 324, origin.top() + 155, kWidth, kHeight);
    arrangeButtons();
    render();
    update();
}

void SettingPopup::SetVisible(int state)
{
    if (state == m_shownState)
        return;
    m_shownState = state;
    setVisible(state == popup::kShown);
}

void SettingPopup::reset()
{
    m_folderListText.clear();
    m_levelDragging = false;
    m_levelMoved = false;
    m_capture->clearCounters();
    m_thirtyFrames = false;
    m_mode = NotInUse;
    m_unitListClosed = true;
}

void SettingPopup::setRecord(const ViewerSettings& record)
{
    m_record.setRecord(record);
    render();
    update();
}

ViewerSettings SettingPopup::getRecord()
{
    return m_record.getRecord();
}

void SettingPopup::setFolders(const SettingFolders& folders)
{
    m_folders = folders;
    render();
    update();
}

QByteArray SettingPopup::folderListText()
{
    m_folderListText = setting_folders::folderListText(m_folders, m_savePopup->saveDirectory());
    return m_folderListText;
}

void SettingPopup::setPlayer(PVEXAdap* adapter, const QString& recordingPath)
{
    m_player = adapter;
    m_recordingPath = recordingPath;
}

void SettingPopup::stopCapture()
{
    m_capture->stop();
    render();
    update();
}

bool SettingPopup::captureRunning() const
{
    return m_capture->isRunning();
}

void SettingPopup::showCompletionMessage(int type)
{
    QString text;
    switch (type) {
    case 1: {
        text = strings::text(147);
        // How many pictures the run left, and where: a frame that could not be taken or written
        // is counted, not passed over in silence.
        const FrameCapture::Summary summary = m_capture->summary();
        if (!summary.folder.isEmpty()) {
            text += QLatin1Char('\n')
                + QString(strings::kCaptureSaved)
                      .arg(
                          QString::number(summary.saved), QDir::toNativeSeparators(summary.folder));
            if (summary.failed + summary.missing > 0)
                text += QLatin1Char('\n')
                    + QString(strings::kCaptureLost).arg(summary.failed + summary.missing);
        }
        break;
    }
    case 2:
        text = strings::text(148);
        break;
    case 3:
        text = strings::text(149);
        break;
    default:
        return;
    }
    platform::messageBox(text, {}, platform::Buttons::Ok, this);
}

void SettingPopup::onSelectFolder()
{
    if (m_mode == Capture || m_mode == FileSaving) {
        QString& folder = m_folders.folders[std::size_t(m_mode)];
        if (const std::optional<QString> chosen
            = folder_choice::choose(this, folder, &directory_text::folderFromChoice))
            folder = *chosen;
    }
    render();
    update();
}

void SettingPopup::onAction()
{
    if (captureRunning() || m_savePopup->shownState() == popup::kShown
        || m_passwordPanel->shownState() == popup::kShown)
        return;
    switch (m_mode) {
    case Capture:
        if (m_folders.folderFlags[0][0] != 0)
            startCapture();
        break;
    case FileSaving:
        // An empty folder would put the copy into whatever the current directory is.
        if (m_folders.folders[1].isEmpty()) {
            platform::messageBox(strings::kChooseFolderFirst, {}, platform::Buttons::Ok, this);
            return;
        }
        if (m_mainWindow)
            platform::sendMessage(m_mainWindow, platform::UM_COPY_RECORDINGS,
                platform::WParam(m_folders.folderFlags[1][0]), m_folders.folderFlags[1][1]);
        SetVisible(popup::kHidden);
        reset();
        emit closed();
        break;
    case ViewSettings: {
        m_record.recomputeLevel();
        m_savePopup->setOwner(this);
        m_savePopup->SetVisible(popup::kShown);
        const QRect origin = currentOrigin();
        m_savePopup->place(origin.left() + 190, origin.top() + 135);
        m_savePopup->raise();
        break;
    }
    default:
        break;
    }
}

void SettingPopup::startCapture()
{
    if (m_folders.folders[0].isEmpty()) {
        platform::messageBox(strings::kChooseFolderFirst, {}, platform::Buttons::Ok, this);
        return;
    }
    m_capture->start(m_player, m_folders.folders[0], m_recordingPath, m_thirtyFrames);
    render();
    update();
}

void SettingPopup::onCaptureFinished()
{
    render();
    update();
    // The message is shown by the main window on the GUI thread, with its wait cursor.
    if (m_mainWindow)
        platform::sendMessage(m_mainWindow, platform::UM_SHOW_COMPLETION, 1, 0);
    else
        showCompletionMessage(1);
}

void SettingPopup::onClose()
{
    if (captureRunning())
        return;
    // The panels close first, an open password panel as its own close does: protection is
    // never kept on without a confirmed password.
    if (m_savePopup->shownState() == popup::kShown)
        m_savePopup->SetVisible(popup::kHidden);
    if (m_passwordPanel->shownState() == popup::kShown)
        m_passwordPanel->onClose();

    if (m_mode == ViewSettings) {
        m_record.recomputeLevel();
        m_mode = NotInUse;
    } else if (m_mode == Capture) {
        m_mode = NotInUse;
        if (m_mainWindow)
            platform::sendMessage(m_mainWindow, platform::UM_SETTINGS_CLOSED,
                platform::WParam(m_thirtyFrames ? 1 : 0), m_capture->captured);
    }
    reset();
    SetVisible(popup::kHidden);
    emit closed();
}

platform::LResult SettingPopup::onWriteDeviceFile()
{
    const QString directory = m_savePopup->saveDirectory();
    if (directory.isEmpty()) {
        platform::messageBox(strings::kChooseFolderFirst, {}, platform::Buttons::Ok, this);
        return kNoDirectory;
    }
    const int result = m_record.writeDeviceFile(directory);
    if (result != 0) {
        const QString file = QDir::toNativeSeparators(recorder_settings_file::path(directory));
        platform::messageBox(
            QString(strings::kFileNotWritten).arg(file, writeFailureReason(result)), {},
            platform::Buttons::Ok, this);
    }
    render();
    update();
    return result;
}

platform::LResult SettingPopup::onPasswordResult(platform::WParam wParam, platform::LParam lParam)
{
    if (m_record.applyPasswordResult(int(wParam), int(lParam)))
        showCompletionMessage(3);
    repaintArea(QRect(QPoint(21, 79), QPoint(kWidth - 1, 204)));
    return 0;
}

bool SettingPopup::event(QEvent* event)
{
    if (m_messages.dispatch(event))
        return true;
    return QWidget::event(event);
}

void SettingPopup::keyPressEvent(QKeyEvent* event)
{
    if (popup::closesDialog(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingPopup::closeEvent(QCloseEvent* event)
{
    // A close from the window manager takes the popup's own way out, so the mode and
    // shownState stay true and the popup can be opened again.
    event->ignore();
    onClose();
}
