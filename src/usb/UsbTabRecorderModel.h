#pragma once

struct DeviceConfig;

// The Recorder page's controls: one radio index per group, -1 when no button is checked.
struct UsbTabRecorderModel
{
    int channel = -1; // "1CH", "2CH"
    int mode = -1; // "Infinity", "Event", "Parking"
    int type = -1; // "MPEG4", "MJPEG", "H.264"
    int resolution = -1; // "VGA", "QVGA", "Mega(1.3M)"
    int quality = -1; // "5. Quailty", used with one channel
    int quality2 = -1; // "5-2. Quality", used with two channels
    int audio = -1; // "Off", "AAC", "AMR"

    void initFrom(const DeviceConfig& config);
    // Clears offsets 0-23 and writes the page's fields.
    void saveTo(DeviceConfig& config) const;

    // Which controls are enabled follows the channel and type choices at every moment: at
    // initialisation and after each click on "1CH"/"2CH" or a type button.
    bool qualityEnabled() const { return channel != 1; }
    bool quality2Enabled() const { return channel != 0; }
    bool megaEnabled() const { return type != 0 && type != 1; }
};
