#pragma once

#include <QStringList>

struct DeviceConfig;

// The Setting page's controls: list selections (-1 when no entry is selected) and one radio
// index per group (-1 when none is checked).
struct UsbTabSettingModel
{
    // "1. Time"
    int yearEntry = -1;
    int monthEntry = -1;
    int dayEntry = -1;
    int hourEntry = -1;
    int minuteEntry = -1;
    int secondEntry = -1;
    // "2. Audio"
    int inVolumeEntry = -1;
    int outVolumeEntry = -1;
    // "3. Accelerometer"
    int triggerMode = -1;
    int accelScale = -1;
    int triggerLevelEntry = -1;
    int uiRotate = -1;
    // "4. Camera"
    int verticalFlip = -1;
    int horizontalMirror = -1;
    int brightnessEntry = -1;
    int sharpnessEntry = -1;
    int expoBiasEntry = -1;
    int wdrBiasEntry = -1;
    int frameRateMode = -1;
    // "6. SD Format"
    int sdFormat = -1;
    // "7. Etc"
    int buzzer = -1;
    int lcdBrightness = -1; // "Auto", "Low", "Middle", "High"
    int batteryVolt = -1;
    int irLedMode = -1; // "On", "Off", "Auto"
    int gpsMode = -1;

    // The lists' texts, in entry order.
    static const QStringList& yearEntries(); // "2000" ... "2099"
    static const QStringList& monthEntries(); // "1" ... "12"
    static const QStringList& dayEntries(); // "1" ... "31"
    static const QStringList& hourEntries(); // "0" ... "23"
    static const QStringList& minuteEntries(); // "0" ... "59", also the seconds
    static const QStringList& inVolumeEntries(); // "10" ... "100"
    static const QStringList& outVolumeEntries(); // "0" ... "100"
    static const QStringList& triggerLevelEntries(); // "0.0" ... "2.0"
    static const QStringList& biasEntries(); // "-5" ... "5"

    void initFrom(const DeviceConfig& config);
    // Clears offsets 120-315 and writes the page's fields. A list without a selection (month
    // and date of an all-zero record) leaves its slot 0, the value that had nothing to select:
    // the page never sends a date the user did not pick.
    void saveTo(DeviceConfig& config) const;
};
