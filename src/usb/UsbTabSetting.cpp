#include "usb/UsbTabSetting.h"

#include "usb/UsbPageControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

using namespace page_controls;

namespace {

const QStringList kOffOn{"Off", "On"};

// The clock's six lists sit three to a line, each after its caption.
DropList* addClockList(QGridLayout* grid, int index, const QString& caption,
    const QStringList& entries, const char* name)
{
    const int line = index / 3;
    const int pair = (index % 3) * 2;
    grid->addWidget(new QLabel(caption), line, pair);
    auto* list = new DropList(entries);
    list->setObjectName(QLatin1String(name));
    grid->addWidget(list, line, pair + 1, Qt::AlignLeft);
    return list;
}

} // namespace

UsbTabSetting::UsbTabSetting(DeviceConfig& config, QWidget* parent)
    : UsbScrolledPage(config, parent)
{
    buildTimeAndAudio();
    buildAccelerometerAndCamera();
    buildCardAndEtc();
    bindSave(addSaveButton(column(), 1));
    finishContent();
    initialise();
}

void UsbTabSetting::buildTimeAndAudio()
{
    using Model = UsbTabSettingModel;
    QGroupBox* time = addGroup(column(), "1. Time");
    auto* clock = new QGridLayout(time);
    clock->setContentsMargins(10, 2, 10, 4);
    clock->setHorizontalSpacing(6);
    clock->setVerticalSpacing(3);
    clock->setColumnStretch(5, 1);
    m_year = addClockList(clock, 0, "1) Year", Model::yearEntries(), "year");
    m_month = addClockList(clock, 1, "2) Month", Model::monthEntries(), "month");
    m_day = addClockList(clock, 2, "3) Date", Model::dayEntries(), "day");
    m_hour = addClockList(clock, 3, "4) Hour", Model::hourEntries(), "hour");
    m_minute = addClockList(clock, 4, "5) Minute", Model::minuteEntries(), "minute");
    m_second = addClockList(clock, 5, "6) Sec", Model::minuteEntries(), "second");

    QGridLayout* audio = gridOf(addGroup(column(), "2. Audio"));
    m_inVolume = addListRow(audio, "1) in Vol(%)", Model::inVolumeEntries(), "inVolume");
    m_outVolume = addListRow(audio, "2) out Vol(%)", Model::outVolumeEntries(), "outVolume");
}

void UsbTabSetting::buildAccelerometerAndCamera()
{
    using Model = UsbTabSettingModel;
    QGridLayout* accel = gridOf(addGroup(column(), "3. Accelerometer"));
    m_triggerMode = addRadioRow(accel, "1) Trigger Mode", kOffOn, "triggerMode");
    m_accelScale = addRadioRow(accel, "2) Scale Value", {"(+/-)2g", "(+/-)6g"}, "accelScale");
    m_triggerLevel
        = addListRow(accel, "3) Trigger Level", Model::triggerLevelEntries(), "triggerLevel");
    m_uiRotate = addRadioRow(accel, "4) UI Rotate", kOffOn, "uiRotate");

    QGridLayout* camera = gridOf(addGroup(column(), "4. Camera"));
    m_verticalFlip = addRadioRow(camera, "1) Vertical Flip", kOffOn, "verticalFlip");
    m_horizontalMirror = addRadioRow(camera, "2) Horizontal Mirror", kOffOn, "horizontalMirror");
    m_brightness = addListRow(camera, "3) Brightness", Model::biasEntries(), "brightness");
    m_sharpness = addListRow(camera, "4) Sharpness", Model::biasEntries(), "sharpness");
    m_expoBias = addListRow(camera, "5) Expo Bias", Model::biasEntries(), "expoBias");
    m_wdrBias = addListRow(camera, "6) WDR Bias", Model::biasEntries(), "wdrBias");
    m_frameRateMode
        = addRadioRow(camera, "7) Frame Rate(Not Yet)", {"Fix", "Variable"}, "frameRateMode");
}

void UsbTabSetting::buildCardAndEtc()
{
    addGroup(column(), "5. TPMS(Not Yet)")->setMinimumHeight(40);
    m_sdFormat = addRadioGroup(column(), "6. SD Format", {"No", "Yes"}, "sdFormat");

    QGridLayout* etc = gridOf(addGroup(column(), "7. Etc"));
    m_buzzer = addRadioRow(etc, "1) Buzzer Mode", kOffOn, "buzzer");
    m_lcdBrightness
        = addRadioRow(etc, "2) LCD Brightness", {"Auto", "Low", "Middle", "High"}, "lcdBrightness");
    m_batteryVolt = addRadioRow(etc, "3) Batterry Volt", {"12 V", "24 V"}, "batteryVolt");
    m_irLedMode = addRadioRow(etc, "4) IR_LED Mode", {"On", "Off", "Auto"}, "irLedMode");
    m_gpsMode = addRadioRow(etc, "5) GPS Mode", kOffOn, "gpsMode");
}

void UsbTabSetting::initialise()
{
    m_model.initFrom(config());
    m_year->setSelection(m_model.yearEntry);
    m_month->setSelection(m_model.monthEntry);
    m_day->setSelection(m_model.dayEntry);
    m_hour->setSelection(m_model.hourEntry);
    m_minute->setSelection(m_model.minuteEntry);
    m_second->setSelection(m_model.secondEntry);
    m_inVolume->setSelection(m_model.inVolumeEntry);
    m_outVolume->setSelection(m_model.outVolumeEntry);
    m_triggerMode->setIndex(m_model.triggerMode);
    m_accelScale->setIndex(m_model.accelScale);
    m_triggerLevel->setSelection(m_model.triggerLevelEntry);
    m_uiRotate->setIndex(m_model.uiRotate);
    m_verticalFlip->setIndex(m_model.verticalFlip);
    m_horizontalMirror->setIndex(m_model.horizontalMirror);
    m_brightness->setSelection(m_model.brightnessEntry);
    m_sharpness->setSelection(m_model.sharpnessEntry);
    m_expoBias->setSelection(m_model.expoBiasEntry);
    m_wdrBias->setSelection(m_model.wdrBiasEntry);
    m_frameRateMode->setIndex(m_model.frameRateMode);
    m_sdFormat->setIndex(m_model.sdFormat);
    m_buzzer->setIndex(m_model.buzzer);
    m_lcdBrightness->setIndex(m_model.lcdBrightness);
    m_batteryVolt->setIndex(m_model.batteryVolt);
    m_irLedMode->setIndex(m_model.irLedMode);
    m_gpsMode->setIndex(m_model.gpsMode);
}

void UsbTabSetting::save()
{
    m_model.yearEntry = m_year->currentIndex();
    m_model.monthEntry = m_month->currentIndex();
    m_model.dayEntry = m_day->currentIndex();
    m_model.hourEntry = m_hour->currentIndex();
    m_model.minuteEntry = m_minute->currentIndex();
    m_model.secondEntry = m_second->currentIndex();
    m_model.inVolumeEntry = m_inVolume->currentIndex();
    m_model.outVolumeEntry = m_outVolume->currentIndex();
    m_model.triggerMode = m_triggerMode->index();
    m_model.accelScale = m_accelScale->index();
    m_model.triggerLevelEntry = m_triggerLevel->currentIndex();
    m_model.uiRotate = m_uiRotate->index();
    m_model.verticalFlip = m_verticalFlip->index();
    m_model.horizontalMirror = m_horizontalMirror->index();
    m_model.brightnessEntry = m_brightness->currentIndex();
    m_model.sharpnessEntry = m_sharpness->currentIndex();
    m_model.expoBiasEntry = m_expoBias->currentIndex();
    m_model.wdrBiasEntry = m_wdrBias->currentIndex();
    m_model.frameRateMode = m_frameRateMode->index();
    m_model.sdFormat = m_sdFormat->index();
    m_model.buzzer = m_buzzer->index();
    m_model.lcdBrightness = m_lcdBrightness->index();
    m_model.batteryVolt = m_batteryVolt->index();
    m_model.irLedMode = m_irLedMode->index();
    m_model.gpsMode = m_gpsMode->index();
    m_model.saveTo(config());
}
