#include "usb/UsbTabEtc.h"

#include "usb/UsbPageControls.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace page_controls;

UsbTabEtc::UsbTabEtc(DeviceConfig& config, QWidget* parent)
    : UsbTabPage(config, parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    QGroupBox* update = addGroup(column, "1. F/W Update");
    auto* buttons = new QHBoxLayout(update);
    buttons->setContentsMargins(10, 4, 10, 8);
    for (const char* caption : {"SD Update", "USB Update", "Set Default"}) {
        auto* button = new QPushButton(QLatin1String(caption));
        noDefault(button);
        button->setEnabled(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    addGroup(column, "2. Bluetooth(Not Yet)")->setMinimumHeight(40);
    addGroup(column, "3. Advanced Function(Not Yet)")->setMinimumHeight(40);
    column->addStretch(1);
}
