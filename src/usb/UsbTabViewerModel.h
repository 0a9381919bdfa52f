#pragma once

struct DeviceConfig;

// The Viewer page's control: the "Sort Condition" radio index ("Channel", "Time").
struct UsbTabViewerModel
{
    int sort = -1;

    void initFrom(const DeviceConfig& config);
    // Clears offsets 88-91 and writes the page's field.
    void saveTo(DeviceConfig& config) const;
};
