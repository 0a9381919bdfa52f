#include "usb/UsbTabRecSet.h"

#include "usb/UsbPageControls.h"

#include <QGroupBox>
#include <QVBoxLayout>

using namespace page_controls;

UsbTabRecSet::UsbTabRecSet(DeviceConfig& config, QWidget* parent)
    : UsbScrolledPage(config, parent)
{
    const QStringList offOn{"Off", "On"};
    QVBoxLayout* page = column();

    QGridLayout* si = gridOf(addGroup(page, "1. SI"));
    m_siTime = addRadioRow(si, "1) Time", offOn, "siTime");
    m_siAccel = addRadioRow(si, "2) Accelerometer", offOn, "siAccel");
    m_siSpeed = addRadioRow(si, "3) Ground Speed", offOn, "siSpeed");

    QGridLayout* ud = gridOf(addGroup(page, "2. User Data"));
    m_udTime = addRadioRow(ud, "1) Time", offOn, "udTime");
    m_udAccel = addRadioRow(ud, "2) Accelerometer", offOn, "udAccel");
    m_udSpeed = addRadioRow(ud, "3) Ground Speed", offOn, "udSpeed");
    m_udJpeg = addRadioRow(ud, "4) JPEG", offOn, "udJpeg");
    m_udJpegRate = addRadioRow(ud, "5) JPEG Frame Rate", {"1 fps", "2 fps"}, "udJpegRate");

    m_recordTime = addRadioGroup(
        page, "3. Record Time", {"1 Min", "2 Min", "3 Min", "5 Min", "10 Min"}, "recordTime");

    QGridLayout* motion = gridOf(addGroup(page, "4. Motion Detection"));
    m_motionMode = addRadioRow(motion, "1) Mode", offOn, "motionMode");
    m_motionSensitivity
        = addRadioRow(motion, "2) Sensitive", {"Low", "Normal", "High"}, "motionSensitivity");
    m_motionSeconds = addListRow(
        motion, "3) Record Time(sec)", UsbTabRecSetModel::secondsEntries(), "motionSeconds");

    m_eventOverwrite = addRadioGroup(page, "5. Event File Overwrite", offOn, "eventOverwrite");
    m_waterMark = addRadioGroup(page, "6. Water Mark(Not Yet)", offOn, "waterMark");
    m_sorting = addRadioGroup(page, "7. Sorting", {"Channel", "Time"}, "sorting");
    addGroup(page, "8. Advanced Setting(Not Yet)")->setMinimumHeight(40);
    bindSave(addSaveButton(page, 1));
    finishContent();
    initialise();
}

void UsbTabRecSet::initialise()
{
    m_model.initFrom(config());
    m_siTime->setIndex(m_model.siTime);
    m_siAccel->setIndex(m_model.siAccel);
    m_siSpeed->setIndex(m_model.siSpeed);
    m_udTime->setIndex(m_model.udTime);
    m_udAccel->setIndex(m_model.udAccel);
    m_udSpeed->setIndex(m_model.udSpeed);
    m_udJpeg->setIndex(m_model.udJpeg);
    m_udJpegRate->setIndex(m_model.udJpegRate);
    m_recordTime->setIndex(m_model.recordTime);
    m_motionMode->setIndex(m_model.motionMode);
    m_motionSensitivity->setIndex(m_model.motionSensitivity);
    m_motionSeconds->setSelection(m_model.motionSecondsEntry);
    m_eventOverwrite->setIndex(m_model.eventOverwrite);
    m_waterMark->setIndex(m_model.waterMark);
    m_sorting->setIndex(m_model.sorting);
}

void UsbTabRecSet::save()
{
    m_model.siTime = m_siTime->index();
    m_model.siAccel = m_siAccel->index();
    m_model.siSpeed = m_siSpeed->index();
    m_model.udTime = m_udTime->index();
    m_model.udAccel = m_udAccel->index();
    m_model.udSpeed = m_udSpeed->index();
    m_model.udJpeg = m_udJpeg->index();
    m_model.udJpegRate = m_udJpegRate->index();
    m_model.recordTime = m_recordTime->index();
    m_model.motionMode = m_motionMode->index();
    m_model.motionSensitivity = m_motionSensitivity->index();
    m_model.motionSecondsEntry = m_motionSeconds->currentIndex();
    m_model.eventOverwrite = m_eventOverwrite->index();
    m_model.waterMark = m_waterMark->index();
    m_model.sorting = m_sorting->index();
    m_model.saveTo(config());
}
