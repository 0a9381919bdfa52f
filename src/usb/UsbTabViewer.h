#pragma once

#include "usb/UsbTabPage.h"
#include "usb/UsbTabViewerModel.h"

class RadioRow;

// "Viewer": how the recorder's own viewer sorts its recordings. Its Save button is id 7.
class UsbTabViewer : public UsbTabPage
{
    Q_OBJECT

public:
    static constexpr int kSaveId = 7;

    UsbTabViewer(DeviceConfig& config, QWidget* parent);

    void initialise() override;
    void save() override;

private:
    UsbTabViewerModel m_model;
    RadioRow* m_sort = nullptr;
};
