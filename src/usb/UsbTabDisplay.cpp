#include "usb/UsbTabDisplay.h"

#include "usb/UsbPageControls.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace page_controls;

UsbTabDisplay::UsbTabDisplay(DeviceConfig& config, QWidget* parent)
    : UsbTabPage(config, parent)
{
    const QStringList outputs{"Off", "CAM1", "CAM2", "TPMS", "OBD", "RF"};
    const QStringList skins{"Skin1", "Skin2", "Skin3"};
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    m_lcd = addRadioGroup(column, "1. LCD", outputs, "lcdOutput");
    m_tv = addRadioGroup(column, "2. TV", outputs, "tvOutput");
    m_uiSkin = addRadioGroup(column, "3. UI(Not Yet)", skins, "uiSkin");
    m_skin = addRadioGroup(column, "4. Skin(Not Yet)", skins, "skin");
    for (RadioRow* row : {m_uiSkin, m_skin})
        for (int i = 0; i < row->count(); ++i)
            row->button(i)->setEnabled(UsbTabDisplayModel::skinGroupsEnabled);
    addGroup(column, "5. OBD(Not Yet)")->setMinimumHeight(40);
    column->addStretch(1);
    bindSave(addSaveButton(column, 1));
    initialise();
}

void UsbTabDisplay::initialise()
{
    m_model.initFrom(config());
    m_lcd->setIndex(m_model.lcd);
    m_tv->setIndex(m_model.tv);
    m_uiSkin->setIndex(m_model.uiSkin);
    m_skin->setIndex(m_model.skin);
}

void UsbTabDisplay::save()
{
    m_model.lcd = m_lcd->index();
    m_model.tv = m_tv->index();
    m_model.uiSkin = m_uiSkin->index();
    m_model.skin = m_skin->index();
    m_model.saveTo(config());
}
