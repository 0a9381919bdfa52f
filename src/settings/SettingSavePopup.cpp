#include "settings/SettingSavePopup.h"

#include "platform/AppMessage.h"
#include "platform/Dialogs.h"
#include "resources/BitmapButton.h"
#include "resources/Popup.h"
#include "resources/Strings.h"
#include "settings/DirectoryText.h"
#include "settings/FolderChoice.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>

SettingSavePopup::SettingSavePopup(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("111"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kWidth, kHeight);
    createControls();
    bindMessageMap();
    drawFace();
}

SettingSavePopup::~SettingSavePopup() = default;

void SettingSavePopup::createControls()
{
    m_closeBox = new BitmapButton(1062, this);
    m_ok = new BitmapButton(1060, this);
    m_exit = new BitmapButton(1061, this);
    m_selectDirectory = new BitmapButton(1063, this);
    arrangeButtons();
}

void SettingSavePopup::bindMessageMap()
{
    connect(m_closeBox, &BitmapButton::clicked, this, &SettingSavePopup::onClose);
    connect(m_ok, &BitmapButton::clicked, this, &SettingSavePopup::onOk);
    connect(m_exit, &BitmapButton::clicked, this, &SettingSavePopup::onClose);
    connect(m_selectDirectory, &BitmapButton::clicked, this, &SettingSavePopup::onSelectDirectory);
}

void SettingSavePopup::arrangeButtons()
{
    m_closeBox->loadBitmaps(207, 209);
    m_closeBox->setGeometry(320, 0, 45, 23);
    m_ok->loadBitmaps(210, 212);
    m_ok->setGeometry(88, 201, 86, 29);
    m_exit->loadBitmaps(223, 225);
    m_exit->setGeometry(198, 201, 86, 29);
    m_selectDirectory->loadBitmaps(213, 215);
    m_selectDirectory->setGeometry(231, 79, 120, 27);
}

void SettingSavePopup::place(int x, int y)
{
    setGeometry(x + 324, y + 263, kWidth, kHeight);
    arrangeButtons();
}

void SettingSavePopup::setOwner(QObject* owner)
{
    m_owner = owner;
}

void SettingSavePopup::SetVisible(int state)
{
    if (state == m_shownState)
        return;
    m_shownState = state;
    setVisible(state == popup::kShown);
}

void SettingSavePopup::appendSaveDirectory(const QString& text)
{
    m_saveDirectory += text;
    drawFace();
}

void SettingSavePopup::setSaveDirectory(const QString& directory)
{
    m_saveDirectory = directory;
    drawFace();
}

void SettingSavePopup::drawFace()
{
    m_face = QImage(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&m_face);
    popup::drawFace(painter, m_face.size(), strings::text(135), 361);
    popup::drawText(painter, {21, 53}, strings::text(138), popup::kLabel);
    painter.setPen(popup::kBoxFrame);
    painter.drawRect(21, 79, 227 - 21, 106 - 79);
    popup::drawText(painter, {30, 80}, directory_text::boxText(m_saveDirectory), Qt::white);
    update();
}

void SettingSavePopup::onSelectDirectory()
{
    if (const std::optional<QString> root
        = folder_choice::choose(this, m_saveDirectory, &directory_text::driveRootOf))
        m_saveDirectory = *root;
    drawFace();
}

void SettingSavePopup::onOk()
{
    // An empty directory would put the file into whatever the current directory is, not on
    // the card.
    if (m_saveDirectory.isEmpty()) {
        platform::messageBox(strings::kChooseFolderFirst, {}, platform::Buttons::Ok, this);
        return;
    }
    if (!m_owner)
        return;
    // The owner tells the user why a write failed; the popup then stays open for another try.
    if (platform::sendMessage(m_owner, platform::UM_WRITE_DEVICE_FILE, 0, 0) == 0)
        SetVisible(popup::kHidden);
}

void SettingSavePopup::onClose()
{
    SetVisible(popup::kHidden);
}

void SettingSavePopup::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_face);
}

void SettingSavePopup::keyPressEvent(QKeyEvent* event)
{
    if (popup::closesDialog(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingSavePopup::closeEvent(QCloseEvent* event)
{
    event->ignore();
    onClose();
}
