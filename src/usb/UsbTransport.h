#pragma once

#include "usb/LibUsbBinding.h"

#include <QString>

// The one request and one reply with the recorder: the buffer goes out on the bulk OUT
// endpoint and the recorder's answer of the same length comes back over it. Runs on the
// calling (user-interface) thread and blocks it for up to two time-outs.
class UsbTransport
{
public:
    static constexpr int kVendorId = 0x09FA;
    static constexpr int kProductId = 0x6711;
    static constexpr int kConfiguration = 1;
    static constexpr int kInterface = 0;
    static constexpr int kRequestEndpoint = 0x03;
    static constexpr int kReplyEndpoint = 0x82;
    static constexpr int kTimeoutMs = 5000;

    // Result codes of Exchange: 0 when the whole request went out and the whole reply came
    // back, otherwise the step that failed first.
    enum Result : int {
        Done = 0,
        NotFound = 1,
        ConfigurationFailed = 2,
        ClaimFailed = 3,
        WriteFailed = 4,
        ReadFailed = 5,
        BadArguments = 6,
    };

    // The production transport uses the system's libusb 0.1 library; tests name another file.
    explicit UsbTransport(const QString& libraryFile = platform::Library::usbLibraryFile());

    // Sends length bytes of buffer and reads the reply into it. A reply shorter than length
    // replaces only the start of the buffer; a failed read leaves it as it was. A missing
    // recorder is reported to the user ("Device not found."); every other failure only on
    // standard output.
    int Exchange(void* buffer, int length);

    // The same exchange without the message box, for a caller that runs it away from the
    // user-interface thread and tells the user itself (NotFound is the "Device not found." case).
    int transfer(void* buffer, int length);

    LibUsbBinding& binding() { return m_binding; }

private:
    LibUsbBinding m_binding;
};
