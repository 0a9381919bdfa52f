#include "usb/UsbTabDisplayModel.h"

#include "usb/DeviceConfig.h"
#include "usb/PageCoding.h"

using page_coding::choiceIndex;
using page_coding::storedIndex;

int UsbTabDisplayModel::outputIndex(int stored)
{
    return choiceIndex(stored >= 3 ? static_cast<long long>(stored) - 1 : stored, 6);
}

int UsbTabDisplayModel::outputStored(int index)
{
    // "TPMS" stores 4, the value its initialisation reads as "TPMS", so the choice survives a
    // save and a reload instead of falling back to "Off".
    if (index >= 3 && index <= 5)
        return index + 1;
    return choiceIndex(index, 3) < 0 ? 0 : index;
}

void UsbTabDisplayModel::initFrom(const DeviceConfig& config)
{
    lcd = outputIndex(config.lcdOutput);
    tv = outputIndex(config.tvOutput);
    uiSkin = choiceIndex(config.uiSkin, 3);
    skin = choiceIndex(config.skin, 3);
}

void UsbTabDisplayModel::saveTo(DeviceConfig& config) const
{
    config.clearRange(92, 119);
    config.lcdOutput = outputStored(lcd);
    config.tvOutput = outputStored(tv);
    config.uiSkin = storedIndex(uiSkin);
    config.skin = storedIndex(skin);
}
