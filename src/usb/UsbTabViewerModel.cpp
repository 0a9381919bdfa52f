#include "usb/UsbTabViewerModel.h"

#include "usb/DeviceConfig.h"
#include "usb/PageCoding.h"

void UsbTabViewerModel::initFrom(const DeviceConfig& config)
{
    sort = page_coding::choiceIndex(config.viewerSort, 2);
}

void UsbTabViewerModel::saveTo(DeviceConfig& config) const
{
    config.clearRange(88, 91);
    config.viewerSort = page_coding::storedIndex(sort);
}
