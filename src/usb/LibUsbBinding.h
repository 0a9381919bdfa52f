#pragma once

#include "platform/Library.h"

#include <QString>

#include <array>

struct usb_bus;
struct usb_device;
struct usb_dev_handle;

// The libusb 0.1 interface, loaded at run time by file name and never linked. Every function
// the transport calls goes through a forwarder that returns a fixed failure value when the
// library or the function is missing, so a machine without the library simply finds no
// recorder.
class LibUsbBinding
{
public:
    static constexpr int kMissing = -2;
    static constexpr std::size_t kNameCount = 35;

    explicit LibUsbBinding(const QString& libraryFile = platform::Library::usbLibraryFile());

    // Loads the library and looks up the whole name table, then calls usb_init. Once loaded the
    // library is kept for the life of the binding, so later calls only report it; a library that
    // failed to load is tried again, in case it was installed meanwhile.
    bool bind();
    bool isLoaded() const { return m_library.isLoaded(); }
    QString libraryFile() const { return m_libraryFile; }

    // Every exported name the binding looks up, the eleven it calls first.
    static const std::array<const char*, kNameCount>& names();
    bool hasFunction(const char* name) const;

    int findBusses();
    int findDevices();
    usb_bus* getBusses();
    usb_dev_handle* open(usb_device* device);
    int setConfiguration(usb_dev_handle* handle, int configuration);
    int claimInterface(usb_dev_handle* handle, int interface);
    int bulkWrite(usb_dev_handle* handle, int endpoint, const char* bytes, int size, int timeout);
    int bulkRead(usb_dev_handle* handle, int endpoint, char* bytes, int size, int timeout);
    int releaseInterface(usb_dev_handle* handle, int interface);
    int close(usb_dev_handle* handle);

private:
    template <typename Fn> Fn function(std::size_t index) const
    {
        return reinterpret_cast<Fn>(m_table[index]);
    }

    QString m_libraryFile;
    platform::Library m_library;
    std::array<void*, kNameCount> m_table{};
};
