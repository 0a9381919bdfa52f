#pragma once

#include <QStringList>

struct DeviceConfig;

// The RecSet page's controls: one radio index per group (-1 when none is checked) and the
// selection of the motion seconds list.
struct UsbTabRecSetModel
{
    int siTime = -1;
    int siAccel = -1;
    int siSpeed = -1;
    int udTime = -1;
    int udAccel = -1;
    int udSpeed = -1;
    int udJpeg = -1;
    int udJpegRate = -1;
    int recordTime = -1; // "1 Min", "2 Min", "3 Min", "5 Min", "10 Min"
    int motionMode = -1;
    int motionSensitivity = -1; // "Low", "Normal", "High"
    int motionSecondsEntry = -1; // entry of secondsEntries()
    int eventOverwrite = -1;
    int waterMark = -1;
    int sorting = -1;

    // "30" to "120", 91 entries.
    static const QStringList& secondsEntries();

    void initFrom(const DeviceConfig& config);
    // Clears offsets 24-87 and writes the page's fields.
    void saveTo(DeviceConfig& config) const;
};
