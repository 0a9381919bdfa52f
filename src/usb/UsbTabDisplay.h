#pragma once

#include "usb/UsbTabDisplayModel.h"
#include "usb/UsbTabPage.h"

class RadioRow;

// "Display": what the recorder's LCD and TV outputs show. The two skin groups are not offered
// yet: shown disabled, they keep and save the values they were loaded with.
class UsbTabDisplay : public UsbTabPage
{
    Q_OBJECT

public:
    UsbTabDisplay(DeviceConfig& config, QWidget* parent);

    void initialise() override;
    void save() override;

private:
    UsbTabDisplayModel m_model;
    RadioRow* m_lcd = nullptr;
    RadioRow* m_tv = nullptr;
    RadioRow* m_uiSkin = nullptr;
    RadioRow* m_skin = nullptr;
};
