#pragma once

#include <QWidget>

struct DeviceConfig;
class QPushButton;

// A page of the USB tool: a child window without caption inside the tool's tab control that
// shows some of the record's fields and writes them back with its own Save button.
class UsbTabPage : public QWidget
{
    Q_OBJECT

public:
    UsbTabPage(DeviceConfig& config, QWidget* parent);

    // Sets the controls from the record: when the page is created, and again after the
    // recorder has answered with a new record.
    virtual void initialise() = 0;
    // Save: the controls' values go into this page's own slots of the record, nothing else.
    virtual void save() = 0;

    DeviceConfig& config() const { return m_config; }

signals:
    void saved();

protected:
    // Binds the page's Save button; the page saves, then tells the tool.
    void bindSave(QPushButton* save);

private:
    DeviceConfig& m_config;
};
