#include "usb/UsbTabRecorderModel.h"

#include "usb/DeviceConfig.h"
#include "usb/PageCoding.h"

using page_coding::choiceIndex;
using page_coding::storedIndex;

namespace {

// Resolution and audio skip the value 2: their third button stores 3. A 2 from the recorder
// still reads as the third button, as every other stored value reads as its own index.
int indexOfSkipping2(int stored)
{
    return stored == 3 ? 2 : choiceIndex(stored, 3);
}

int storedSkipping2(int index)
{
    return index == 2 ? 3 : storedIndex(index);
}

} // namespace

void UsbTabRecorderModel::initFrom(const DeviceConfig& config)
{
    channel = choiceIndex(static_cast<long long>(config.channels) - 1, 2);
    mode = choiceIndex(config.recordMode, 3);
    type = choiceIndex(config.videoType, 3);
    resolution = indexOfSkipping2(config.resolution);
    quality = choiceIndex(config.quality, 3);
    quality2 = quality;
    audio = indexOfSkipping2(config.audio);
}

void UsbTabRecorderModel::saveTo(DeviceConfig& config) const
{
    config.clearRange(0, 23);
    config.channels = channel < 0 ? 0 : channel + 1;
    config.recordMode = storedIndex(mode);
    config.videoType = storedIndex(type);
    config.resolution = storedSkipping2(resolution);
    config.quality = storedIndex(channel == 0 ? quality : quality2);
    config.audio = storedSkipping2(audio);
}
