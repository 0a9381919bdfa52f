#pragma once

struct DeviceConfig;

// The Display page's controls. LCD and TV share the buttons "Off", "CAM1", "CAM2", "TPMS",
// "OBD", "RF"; the two skin groups are shown disabled but still carry their values.
struct UsbTabDisplayModel
{
    int lcd = -1;
    int tv = -1;
    int uiSkin = -1;
    int skin = -1;

    static constexpr bool skinGroupsEnabled = false;

    // Output codes: buttons 0-2 store 0-2, "TPMS" 4, "OBD" 5, "RF" 6; the recorder's 3 reads
    // back as "CAM2".
    static int outputIndex(int stored);
    static int outputStored(int index);

    void initFrom(const DeviceConfig& config);
    // Clears offsets 92-119 and writes the page's fields.
    void saveTo(DeviceConfig& config) const;
};
