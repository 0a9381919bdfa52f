#include "usb/UsbTabSettingModel.h"

#include "usb/DeviceConfig.h"
#include "usb/PageCoding.h"

#include <cmath>

using page_coding::choiceIndex;
using page_coding::entryText;
using page_coding::storedIndex;

const QStringList& UsbTabSettingModel::yearEntries()
{
    static const QStringList entries = page_coding::numberEntries(2000, 2099);
    return entries;
}

const QStringList& UsbTabSettingModel::monthEntries()
{
    static const QStringList entries = page_coding::numberEntries(1, 12);
    return entries;
}

const QStringList& UsbTabSettingModel::dayEntries()
{
    static const QStringList entries = page_coding::numberEntries(1, 31);
    return entries;
}

const QStringList& UsbTabSettingModel::hourEntries()
{
    static const QStringList entries = page_coding::numberEntries(0, 23);
    return entries;
}

const QStringList& UsbTabSettingModel::minuteEntries()
{
    static const QStringList entries = page_coding::numberEntries(0, 59);
    return entries;
}

const QStringList& UsbTabSettingModel::inVolumeEntries()
{
    static const QStringList entries = page_coding::numberEntries(10, 100, 10);
    return entries;
}

const QStringList& UsbTabSettingModel::outVolumeEntries()
{
    static const QStringList entries = page_coding::numberEntries(0, 100, 10);
    return entries;
}

const QStringList& UsbTabSettingModel::triggerLevelEntries()
{
    static const QStringList entries = [] {
        // Built by repeated addition, as the recorder's own tool lists them: the sum drifts
        // slightly above 2.0 on the last step, which still lies below 2.1.
        QStringList list;
        for (double level = 0.0; level < 2.1; level += 0.1)
            list << QString::asprintf("%.1f", level);
        return list;
    }();
    return entries;
}

const QStringList& UsbTabSettingModel::biasEntries()
{
    static const QStringList entries = page_coding::numberEntries(-5, 5);
    return entries;
}

namespace {

int triggerEntry(float level)
{
    const double tenths = static_cast<double>(level) * 10.0;
    if (!std::isfinite(tenths) || std::fabs(tenths) > 1e6)
        return -1;
    return choiceIndex(std::lround(tenths), UsbTabSettingModel::triggerLevelEntries().size());
}

int biasEntry(int value)
{
    return choiceIndex(static_cast<long long>(value) + 5, 11);
}

int entryNumber(const QStringList& entries, int selection)
{
    return entryText(entries, selection).toInt();
}

} // namespace

void UsbTabSettingModel::initFrom(const DeviceConfig& config)
{
    yearEntry = choiceIndex(config.year % 2000, 100);
    monthEntry = choiceIndex(static_cast<long long>(config.month) - 1, 12);
    dayEntry = choiceIndex(static_cast<long long>(config.day) - 1, 31);
    hourEntry = choiceIndex(config.hour, 24);
    minuteEntry = choiceIndex(config.minute, 60);
    secondEntry = choiceIndex(config.second, 60);
    inVolumeEntry = choiceIndex(config.inVolume, 10);
    outVolumeEntry = choiceIndex(config.outVolume, 11);
    triggerMode = choiceIndex(config.triggerMode, 2);
    accelScale = choiceIndex(config.accelScale, 2);
    triggerLevelEntry = triggerEntry(config.triggerLevel);
    uiRotate = choiceIndex(config.uiRotate, 2);
    verticalFlip = choiceIndex(config.verticalFlip, 2);
    horizontalMirror = choiceIndex(config.horizontalMirror, 2);
    brightnessEntry = biasEntry(config.brightness);
    sharpnessEntry = biasEntry(config.sharpness);
    expoBiasEntry = biasEntry(config.expoBias);
    wdrBiasEntry = biasEntry(config.wdrBias);
    frameRateMode = choiceIndex(config.frameRateMode, 2);
    sdFormat = choiceIndex(config.sdFormat, 2);
    buzzer = choiceIndex(config.buzzer, 2);
    lcdBrightness = choiceIndex(config.lcdBrightness, 4);
    batteryVolt = choiceIndex(config.batteryVolt, 2);
    irLedMode = choiceIndex(config.irLedMode, 3);
    gpsMode = choiceIndex(config.gpsMode, 2);
}

void UsbTabSettingModel::saveTo(DeviceConfig& config) const
{
    config.clearRange(120, 315);
    config.year = entryNumber(yearEntries(), yearEntry);
    config.month = entryNumber(monthEntries(), monthEntry);
    config.day = entryNumber(dayEntries(), dayEntry);
    config.hour = entryNumber(hourEntries(), hourEntry);
    config.minute = entryNumber(minuteEntries(), minuteEntry);
    config.second = entryNumber(minuteEntries(), secondEntry);
    config.inVolume = choiceIndex(inVolumeEntry, inVolumeEntries().size()) < 0 ? 0 : inVolumeEntry;
    config.outVolume
        = choiceIndex(outVolumeEntry, outVolumeEntries().size()) < 0 ? 0 : outVolumeEntry;
    config.triggerMode = storedIndex(triggerMode);
    config.accelScale = storedIndex(accelScale);
    config.triggerLevel
        = static_cast<float>(entryText(triggerLevelEntries(), triggerLevelEntry).toDouble());
    config.uiRotate = storedIndex(uiRotate);
    config.verticalFlip = storedIndex(verticalFlip);
    config.horizontalMirror = storedIndex(horizontalMirror);
    config.brightness = entryNumber(biasEntries(), brightnessEntry);
    config.sharpness = entryNumber(biasEntries(), sharpnessEntry);
    config.expoBias = entryNumber(biasEntries(), expoBiasEntry);
    config.wdrBias = entryNumber(biasEntries(), wdrBiasEntry);
    config.frameRateMode = storedIndex(frameRateMode);
    config.sdFormat = storedIndex(sdFormat);
    config.buzzer = storedIndex(buzzer);
    config.lcdBrightness = storedIndex(lcdBrightness);
    config.batteryVolt = storedIndex(batteryVolt);
    config.irLedMode = storedIndex(irLedMode);
    config.gpsMode = storedIndex(gpsMode);
}
