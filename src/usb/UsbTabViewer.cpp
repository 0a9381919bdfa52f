#include "usb/UsbTabViewer.h"

#include "usb/UsbPageControls.h"

#include <QVBoxLayout>

using namespace page_controls;

UsbTabViewer::UsbTabViewer(DeviceConfig& config, QWidget* parent)
    : UsbTabPage(config, parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    m_sort = addRadioGroup(column, "Sort Condition", {"Channel", "Time"}, "viewerSort");
    column->addStretch(1);
    bindSave(addSaveButton(column, kSaveId));
    initialise();
}

void UsbTabViewer::initialise()
{
    m_model.initFrom(config());
    m_sort->setIndex(m_model.sort);
}

void UsbTabViewer::save()
{
    m_model.sort = m_sort->index();
    m_model.saveTo(config());
}
