#pragma once

#include "SimControl.h"
#include "platform/Dialogs.h"
#include "usb/DeviceConfig.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <gtest/gtest.h>
#include <memory>

class DropList;
class QPushButton;
class RadioRow;
class UsbTabPage;
class UsbToolPopup;

// Drives the USB tool against the simulated recorder, with the record, the registry value and
// the message boxes of each test its own.
class UsbToolFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the tool (loading the registry value as the product does) and shows it.
    void openTool(const QString& libraryFile = QStringLiteral(ZYN_USB_SIM_PATH));

    UsbTabPage* showPage(int index);
    RadioRow* row(int page, const char* name) const;
    DropList* list(int page, const char* name) const;
    QPushButton* button(const QObject* parent, int id) const;

    // Presses "Data Transmission" and waits until the tool has dealt with the outcome.
    int transmit();
    // Waits (keeping the GUI thread running) until cond holds; false after the time limit.
    static bool waitFor(const std::function<bool()>& cond, int ms = 15000);

    static QByteArray bytesOf(const DeviceConfig& config);
    static QByteArray storedValue();
    static void storeValue(const DeviceConfig& config);
    // A record on values every page can show, with something in the slots nobody writes.
    static DeviceConfig sampleRecord();

    SimControl sim;
    platform::RecordingMessageBox boxes;
    DeviceConfig record;
    std::unique_ptr<UsbToolPopup> tool;
};
