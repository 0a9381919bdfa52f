#include "usb/UsbTransport.h"

#include "platform/Dialogs.h"

#include <usb.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Developer diagnostics: standard output only, never shown to the user.
void diagnostic(const char* line)
{
    std::fputs(line, stdout);
    std::fflush(stdout);
}

struct usb_device* findRecorder(LibUsbBinding& usb)
{
    for (usb_bus* bus = usb.getBusses(); bus; bus = bus->next)
        for (struct usb_device* device = bus->devices; device; device = device->next)
            if (device->descriptor.idVendor == UsbTransport::kVendorId
                && device->descriptor.idProduct == UsbTransport::kProductId)
                return device;
    return nullptr;
}

} // namespace

UsbTransport::UsbTransport(const QString& libraryFile)
    : m_binding(libraryFile)
{ }

int UsbTransport::Exchange(void* buffer, int length)
{
    const int result = transfer(buffer, length);
    if (result == NotFound)
        platform::messageBox(QStringLiteral("Device not found.\n"));
    return result;
}

int UsbTransport::transfer(void* buffer, int length)
{
    if (!buffer || length <= 0)
        return BadArguments;

    m_binding.bind();
    m_binding.findBusses();
    m_binding.findDevices();

    usb_dev_handle* handle = nullptr;
    if (struct usb_device* recorder = findRecorder(m_binding))
        handle = m_binding.open(recorder);
    if (!handle) {
        diagnostic("error: device not found!\n");
        return NotFound;
    }

    if (m_binding.setConfiguration(handle, kConfiguration) < 0) {
        diagnostic("error: setting config 1 failed\n");
        m_binding.close(handle);
        return ConfigurationFailed;
    }
    if (m_binding.claimInterface(handle, kInterface) < 0) {
        diagnostic("error: claiming interface 0 failed\n");
        m_binding.close(handle);
        return ClaimFailed;
    }

    int result = Done;
    auto* bytes = static_cast<char*>(buffer);
    if (m_binding.bulkWrite(handle, kRequestEndpoint, bytes, length, kTimeoutMs) != length) {
        diagnostic("error: bulk write failed\n");
        result = WriteFailed;
    }

    // The reply lands in a buffer of its own: only the bytes the recorder really delivered
    // replace the start of the record, whatever the library left in the rest on a time-out.
    std::vector<char> reply(static_cast<std::size_t>(length));
    const int received
        = m_binding.bulkRead(handle, kReplyEndpoint, reply.data(), length, kTimeoutMs);
    if (received > 0)
        std::memcpy(bytes, reply.data(), static_cast<std::size_t>(std::min(received, length)));
    if (received != length) {
        diagnostic("error: bulk read failed\n");
        if (result == Done)
            result = ReadFailed;
    }
    m_binding.releaseInterface(handle, kInterface);
    m_binding.close(handle);
    return result;
}
