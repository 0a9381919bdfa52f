#pragma once

#include "usb/UsbScrolledPage.h"
#include "usb/UsbTabRecSetModel.h"

class DropList;
class RadioRow;

// "RecSet": what the recorder stamps into the picture and the user data, record time, motion
// detection, overwrite, water mark and sorting. Taller than the tab area: it scrolls.
class UsbTabRecSet : public UsbScrolledPage
{
    Q_OBJECT

public:
    UsbTabRecSet(DeviceConfig& config, QWidget* parent);

    void initialise() override;
    void save() override;

    const UsbTabRecSetModel& model() const { return m_model; }

private:
    UsbTabRecSetModel m_model;
    RadioRow* m_siTime = nullptr;
    RadioRow* m_siAccel = nullptr;
    RadioRow* m_siSpeed = nullptr;
    RadioRow* m_udTime = nullptr;
    RadioRow* m_udAccel = nullptr;
    RadioRow* m_udSpeed = nullptr;
    RadioRow* m_udJpeg = nullptr;
    RadioRow* m_udJpegRate = nullptr;
    RadioRow* m_recordTime = nullptr;
    RadioRow* m_motionMode = nullptr;
    RadioRow* m_motionSensitivity = nullptr;
    DropList* m_motionSeconds = nullptr;
    RadioRow* m_eventOverwrite = nullptr;
    RadioRow* m_waterMark = nullptr;
    RadioRow* m_sorting = nullptr;
};
