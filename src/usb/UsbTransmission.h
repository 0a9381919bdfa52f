#pragma once

#include "platform/Library.h"
#include "usb/DeviceConfig.h"

#include <QObject>
#include <QString>

#include <memory>
#include <thread>

class UsbTransport;

// "Data Transmission" away from the user-interface thread. The exchange works on a copy of the
// record, so nothing the window does meanwhile can reach the bytes on the wire, and its outcome
// comes back to the thread that started it (the window's) as a signal. The exchange may take
// two time-outs of the transport; the window stays responsive meanwhile.
class UsbTransmission : public QObject
{
    Q_OBJECT

public:
    // The production transmission uses the system's libusb 0.1 library; tests name another file.
    explicit UsbTransmission(const QString& libraryFile = platform::Library::usbLibraryFile(),
        QObject* parent = nullptr);
    // Waits for an exchange still running; it ends by itself within the transport's time-outs.
    ~UsbTransmission() override;

    // Starts exchanging a copy of record; false, and nothing started, while an exchange runs.
    bool start(const DeviceConfig& record);
    bool isRunning() const { return m_running; }

signals:
    // result is the transport's result code (UsbTransport::Result), record the copy as the
    // exchange left it: the reply after a complete exchange, the record sent when the recorder
    // was not found, and partly replaced after a short reply. Emitted on the starting thread.
    void finished(int result, const DeviceConfig& record);

private:
    void onWorkerDone(int result, const DeviceConfig& record);

    std::unique_ptr<UsbTransport> m_transport;
    std::thread m_worker;
    bool m_running = false; // starting thread only
};
