#pragma once

#include "usb/UsbScrolledPage.h"
#include "usb/UsbTabSettingModel.h"

class DropList;
class RadioRow;

// "Setting": the recorder's clock, audio volumes, accelerometer, camera, card format and the
// rest. Taller than the tab area: it scrolls.
class UsbTabSetting : public UsbScrolledPage
{
    Q_OBJECT

public:
    UsbTabSetting(DeviceConfig& config, QWidget* parent);

    void initialise() override;
    void save() override;

private:
    void buildTimeAndAudio();
    void buildAccelerometerAndCamera();
    void buildCardAndEtc();

    UsbTabSettingModel m_model;
    DropList* m_year = nullptr;
    DropList* m_month = nullptr;
    DropList* m_day = nullptr;
    DropList* m_hour = nullptr;
    DropList* m_minute = nullptr;
    DropList* m_second = nullptr;
    DropList* m_inVolume = nullptr;
    DropList* m_outVolume = nullptr;
    RadioRow* m_triggerMode = nullptr;
    RadioRow* m_accelScale = nullptr;
    DropList* m_triggerLevel = nullptr;
    RadioRow* m_uiRotate = nullptr;
    RadioRow* m_verticalFlip = nullptr;
    RadioRow* m_horizontalMirror = nullptr;
    DropList* m_brightness = nullptr;
    DropList* m_sharpness = nullptr;
    DropList* m_expoBias = nullptr;
    DropList* m_wdrBias = nullptr;
    RadioRow* m_frameRateMode = nullptr;
    RadioRow* m_sdFormat = nullptr;
    RadioRow* m_buzzer = nullptr;
    RadioRow* m_lcdBrightness = nullptr;
    RadioRow* m_batteryVolt = nullptr;
    RadioRow* m_irLedMode = nullptr;
    RadioRow* m_gpsMode = nullptr;
};
