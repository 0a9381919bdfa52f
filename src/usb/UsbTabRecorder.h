#pragma once

#include "usb/UsbTabPage.h"
#include "usb/UsbTabRecorderModel.h"

class RadioRow;

// "Recorder": channels, mode, codec, resolution, quality and audio. Which quality group and
// whether "Mega(1.3M)" can be chosen follow the channel and type buttons at every moment.
class UsbTabRecorder : public UsbTabPage
{
    Q_OBJECT

public:
    UsbTabRecorder(DeviceConfig& config, QWidget* parent);

    void initialise() override;
    void save() override;

    const UsbTabRecorderModel& model() const { return m_model; }

private:
    void readControls();
    void applyEnableRules();

    UsbTabRecorderModel m_model;
    RadioRow* m_channel = nullptr;
    RadioRow* m_mode = nullptr;
    RadioRow* m_type = nullptr;
    RadioRow* m_resolution = nullptr;
    RadioRow* m_quality = nullptr;
    RadioRow* m_quality2 = nullptr;
    RadioRow* m_audio = nullptr;
};
