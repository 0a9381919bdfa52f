#include "usb/UsbToolPopup.h"

#include "platform/Dialogs.h"
#include "resources/Fonts.h"
#include "resources/Skin.h"
#include "resources/Strings.h"
#include "usb/DeviceConfigStore.h"
#include "usb/UsbPageControls.h"
#include "usb/UsbTabControl.h"
#include "usb/UsbTabDisplay.h"
#include "usb/UsbTabEtc.h"
#include "usb/UsbTabRecSet.h"
#include "usb/UsbTabRecorder.h"
#include "usb/UsbTabSetting.h"
#include "usb/UsbTabViewer.h"
#include "usb/UsbTransmission.h"
#include "usb/UsbTransport.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace {

// What the user learns of a transmission that did not complete; "not found" keeps the
// recorder's own wording.
QString failureText(int result)
{
    switch (result) {
    case UsbTransport::NotFound:
        return strings::kDeviceNotFound;
    case UsbTransport::ConfigurationFailed:
        return strings::kUsbConfigRefused;
    case UsbTransport::ClaimFailed:
        return strings::kUsbInterfaceBusy;
    case UsbTransport::WriteFailed:
        return strings::kUsbSendIncomplete;
    case UsbTransport::ReadFailed:
        return strings::kUsbReplyIncomplete;
    default:
        return {};
    }
}

} // namespace

UsbToolPopup::UsbToolPopup(const QString& usbLibraryFile, DeviceConfig& config, QWidget* owner)
    : QDialog(owner)
    , m_config(config)
    , m_transmission(new UsbTransmission(usbLibraryFile, this))
{
    device_config_store::load(m_config);
    setWindowTitle(strings::kUsbToolTitle);
    setWindowIcon(skin::appIcon());
    setFont(fonts::pointFont(80));
    setFixedSize(kWidth, kHeight);
    if (const QScreen* desktop = QGuiApplication::primaryScreen())
        move(desktop->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
    createControls();
    bindMessageMap();
}

UsbToolPopup::~UsbToolPopup() = default;

void UsbToolPopup::showOnRequest(std::unique_ptr<UsbToolPopup>& tool, QWidget* owner)
{
    if (!tool)
        tool = std::make_unique<UsbToolPopup>(
            platform::Library::usbLibraryFile(), DeviceConfig::instance(), owner);
    tool->SetVisible(5);
}

void UsbToolPopup::createControls()
{
    m_tabs = new UsbTabControl(this);
    m_tabs->setObjectName(QString::number(kTabControlId));
    m_tabs->setGeometry(7, 7, kWidth - 14, 386);
    for (const strings::Text& caption :
        {strings::kUsbTabRecorder, strings::kUsbTabRecSet, strings::kUsbTabViewer,
            strings::kUsbTabDisplay, strings::kUsbTabSetting, strings::kUsbTabEtc})
        m_tabs->addTab(caption);

    m_pages = {new UsbTabRecorder(m_config, m_tabs), new UsbTabRecSet(m_config, m_tabs),
        new UsbTabViewer(m_config, m_tabs), new UsbTabDisplay(m_config, m_tabs),
        new UsbTabSetting(m_config, m_tabs), new UsbTabEtc(m_config, m_tabs)};
    for (UsbTabPage* page : m_pages) {
        page->setGeometry(m_tabs->pageArea());
        page->setVisible(page == m_pages[Recorder]);
    }

    m_transmit = new QPushButton(strings::kDataTransmission, this);
    m_transmit->setObjectName(QString::number(kTransmitId));
    m_transmit->setGeometry(kWidth - 7 - 88 - 6 - 120, 401, 120, 26);
    m_cancel = new QPushButton(strings::kUsbCancel, this);
    m_cancel->setObjectName(QString::number(kCancelId));
    m_cancel->setGeometry(kWidth - 7 - 88, 401, 88, 26);
    // Enter presses nothing: sending (a card format perhaps) takes a deliberate click or Space.
    page_controls::noDefault(m_transmit);
    page_controls::noDefault(m_cancel);
}

void UsbToolPopup::bindMessageMap()
{
    connect(m_tabs, &UsbTabControl::currentChanged, this, &UsbToolPopup::onTabChanged);
    connect(m_transmit, &QPushButton::clicked, this, &UsbToolPopup::onDataTransmission);
    connect(m_cancel, &QPushButton::clicked, this, &UsbToolPopup::reject);
    connect(m_transmission, &UsbTransmission::finished, this, &UsbToolPopup::onTransmitted);
}

UsbTabPage* UsbToolPopup::page(int index) const
{
    return index >= 0 && index < PageCount ? m_pages[static_cast<std::size_t>(index)] : nullptr;
}

bool UsbToolPopup::isTransmitting() const
{
    return m_transmission->isRunning();
}

void UsbToolPopup::SetVisible(int state)
{
    if (state == m_shownState)
        return;
    m_shownState = m_shownState == 0 ? 5 : 0;
    setVisible(m_shownState != 0);
}

void UsbToolPopup::reject()
{
    // Cancel, the close box and Escape: hidden, not ended, so the next request shows it again.
    SetVisible(0);
}

void UsbToolPopup::onTabChanged(int index)
{
    UsbTabPage* next = page(index);
    if (!next)
        return;
    m_pages[static_cast<std::size_t>(m_current)]->hide();
    next->show();
    m_current = index;
}

void UsbToolPopup::onDataTransmission()
{
    if (m_transmission->isRunning())
        return;
    // Formatting erases the card's recordings: the record asks for it only after a Yes here.
    if (m_config.sdFormat == 1
        && platform::messageBox(strings::kUsbConfirmSdFormat, {}, platform::Buttons::YesNo, this)
            != platform::IDYES)
        return;
    if (m_transmission->start(m_config))
        setBusy(true);
}

void UsbToolPopup::onTransmitted(int result, const DeviceConfig& exchanged)
{
    // The pages were disabled throughout, so the record is still the one that was sent, and the
    // pages still agree with it unless the recorder's whole reply replaced it.
    device_config_store::settle(result, exchanged, m_config);
    if (result == UsbTransport::Done)
        for (UsbTabPage* page : m_pages)
            page->initialise();
    setBusy(false);
    const QString failure = failureText(result);
    if (!failure.isEmpty())
        platform::messageBox(failure, {}, platform::Buttons::Ok, this);
    emit transmissionDone(result);
}

void UsbToolPopup::setBusy(bool busy)
{
    for (UsbTabPage* page : m_pages)
        page->setEnabled(!busy);
    m_transmit->setEnabled(!busy);
    m_cancel->setEnabled(!busy);
    m_transmit->setText(busy ? strings::kUsbTransmitting : strings::kDataTransmission);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void UsbToolPopup::keyPressEvent(QKeyEvent* event)
{
    // Escape hides the tool (through reject); Enter and Return press no button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void UsbToolPopup::mousePressEvent(QMouseEvent* event)
{
    // Only the tool's own surface drags it; the pages and controls keep their clicks.
    if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint())) {
        m_dragging = true;
        m_dragFrom = event->globalPosition().toPoint();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void UsbToolPopup::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        const QPoint at = event->globalPosition().toPoint();
        move(pos() + (at - m_dragFrom));
        m_dragFrom = at;
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void UsbToolPopup::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}
