#include "usb/UsbTabRecSetModel.h"

#include "usb/DeviceConfig.h"
#include "usb/PageCoding.h"

using page_coding::choiceIndex;
using page_coding::storedIndex;

const QStringList& UsbTabRecSetModel::secondsEntries()
{
    static const QStringList entries = page_coding::numberEntries(30, 120);
    return entries;
}

void UsbTabRecSetModel::initFrom(const DeviceConfig& config)
{
    siTime = choiceIndex(config.siTime, 2);
    siAccel = choiceIndex(config.siAccel, 2);
    siSpeed = choiceIndex(config.siSpeed, 2);
    udTime = choiceIndex(config.udTime, 2);
    udAccel = choiceIndex(config.udAccel, 2);
    udSpeed = choiceIndex(config.udSpeed, 2);
    udJpeg = choiceIndex(config.udJpeg, 2);
    udJpegRate = choiceIndex(config.udJpegRate, 2);
    recordTime = choiceIndex(static_cast<long long>(config.recordTime) - 1, 5);
    motionMode = choiceIndex(config.motionMode, 2);
    motionSensitivity = choiceIndex(config.motionSensitivity, 3);
    const int seconds = config.motionSeconds;
    if (seconds > 120)
        motionSecondsEntry = 90;
    else if (seconds >= 30)
        motionSecondsEntry = seconds - 30;
    else // below 30 the entry wraps; a negative value selects nothing
        motionSecondsEntry = choiceIndex(seconds % 30, 30);
    eventOverwrite = choiceIndex(config.eventOverwrite, 2);
    waterMark = choiceIndex(config.waterMark, 2);
    sorting = choiceIndex(config.sorting, 2);
}

void UsbTabRecSetModel::saveTo(DeviceConfig& config) const
{
    config.clearRange(24, 87);
    config.siTime = storedIndex(siTime);
    config.siAccel = storedIndex(siAccel);
    config.siSpeed = storedIndex(siSpeed);
    config.udTime = storedIndex(udTime);
    config.udAccel = storedIndex(udAccel);
    config.udSpeed = storedIndex(udSpeed);
    config.udJpeg = storedIndex(udJpeg);
    config.udJpegRate = storedIndex(udJpegRate);
    config.recordTime = recordTime < 0 ? 0 : recordTime + 1;
    config.motionMode = storedIndex(motionMode);
    config.motionSensitivity = storedIndex(motionSensitivity);
    config.motionSeconds = page_coding::entryText(secondsEntries(), motionSecondsEntry).toInt();
    config.eventOverwrite = storedIndex(eventOverwrite);
    config.waterMark = storedIndex(waterMark);
    config.sorting = storedIndex(sorting);
}
