#include "usb/UsbTabPage.h"

#include <QPushButton>

UsbTabPage::UsbTabPage(DeviceConfig& config, QWidget* parent)
    : QWidget(parent)
    , m_config(config)
{ }

void UsbTabPage::bindSave(QPushButton* save)
{
    connect(save, &QPushButton::clicked, this, [this] {
        this->save();
        emit saved();
    });
}
