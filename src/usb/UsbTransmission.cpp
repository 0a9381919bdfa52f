#include "usb/UsbTransmission.h"

#include "usb/UsbTransport.h"

#include <QMetaObject>

UsbTransmission::UsbTransmission(const QString& libraryFile, QObject* parent)
    : QObject(parent)
    , m_transport(std::make_unique<UsbTransport>(libraryFile))
{ }

UsbTransmission::~UsbTransmission()
{
    // The result posted by the worker is dropped with this object; the transport must outlive
    // the exchange that uses it.
    if (m_worker.joinable())
        m_worker.join();
}

bool UsbTransmission::start(const DeviceConfig& record)
{
    if (m_running)
        return false;
    if (m_worker.joinable())
        m_worker.join();
    m_running = true;
    m_worker = std::thread([this, copy = record]() mutable {
        const int result = m_transport->transfer(&copy, DeviceConfig::kSize);
        QMetaObject::invokeMethod(
            this, [this, result, copy] { onWorkerDone(result, copy); }, Qt::QueuedConnection);
    });
    return true;
}

void UsbTransmission::onWorkerDone(int result, const DeviceConfig& record)
{
    // The worker's last step was posting this call, so it has ended or is about to.
    m_worker.join();
    m_running = false;
    emit finished(result, record);
}
