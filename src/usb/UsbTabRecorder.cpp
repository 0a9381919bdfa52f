#include "usb/UsbTabRecorder.h"

#include "usb/UsbPageControls.h"

#include <QRadioButton>
#include <QVBoxLayout>

using namespace page_controls;

UsbTabRecorder::UsbTabRecorder(DeviceConfig& config, QWidget* parent)
    : UsbTabPage(config, parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    m_channel = addRadioGroup(column, "1. Channel", {"1CH", "2CH"}, "channels");
    m_mode = addRadioGroup(column, "2. Mode", {"Infinity", "Event", "Parking"}, "recordMode");
    m_type = addRadioGroup(column, "3. Type", {"MPEG4", "MJPEG", "H.264"}, "videoType");
    m_resolution
        = addRadioGroup(column, "4. Resolution", {"VGA", "QVGA", "Mega(1.3M)"}, "resolution");
    m_quality = addRadioGroup(column, "5. Quailty", {"L(0.4M)", "N(0.8M)", "H(1.6M)"}, "quality");
    m_quality2
        = addRadioGroup(column, "5-2. Quality", {"L(0.3M)", "N(512K)", "H(1.0M)"}, "quality2");
    m_audio = addRadioGroup(column, "6. AUDIO", {"Off", "AAC", "AMR"}, "audio");
    column->addStretch(1);
    bindSave(addSaveButton(column, 1));

    // The rules react to the user's clicks only; initialise() applies them to loaded values.
    connect(m_channel, &RadioRow::clicked, this, &UsbTabRecorder::applyEnableRules);
    connect(m_type, &RadioRow::clicked, this, &UsbTabRecorder::applyEnableRules);
    initialise();
}

void UsbTabRecorder::initialise()
{
    m_model.initFrom(config());
    m_channel->setIndex(m_model.channel);
    m_mode->setIndex(m_model.mode);
    m_type->setIndex(m_model.type);
    m_resolution->setIndex(m_model.resolution);
    m_quality->setIndex(m_model.quality);
    m_quality2->setIndex(m_model.quality2);
    m_audio->setIndex(m_model.audio);
    applyEnableRules();
}

void UsbTabRecorder::readControls()
{
    m_model.channel = m_channel->index();
    m_model.mode = m_mode->index();
    m_model.type = m_type->index();
    m_model.resolution = m_resolution->index();
    m_model.quality = m_quality->index();
    m_model.quality2 = m_quality2->index();
    m_model.audio = m_audio->index();
}

void UsbTabRecorder::save()
{
    readControls();
    m_model.saveTo(config());
}

void UsbTabRecorder::applyEnableRules()
{
    m_model.channel = m_channel->index();
    m_model.type = m_type->index();
    for (int i = 0; i < m_quality->count(); ++i)
        m_quality->button(i)->setEnabled(m_model.qualityEnabled());
    for (int i = 0; i < m_quality2->count(); ++i)
        m_quality2->button(i)->setEnabled(m_model.quality2Enabled());
    m_resolution->button(2)->setEnabled(m_model.megaEnabled());
}
