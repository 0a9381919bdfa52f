#pragma once

#include "usb/UsbTabPage.h"

// "Etc": firmware update and functions the recorder does not offer yet. The page has no data;
// its buttons are shown disabled so that nobody expects them to act.
class UsbTabEtc : public UsbTabPage
{
    Q_OBJECT

public:
    UsbTabEtc(DeviceConfig& config, QWidget* parent);

    void initialise() override { }
    void save() override { }
};
