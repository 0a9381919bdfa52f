#include "usb/LibUsbBinding.h"

#include <cstring>

namespace {

enum Slot : std::size_t {
    Init,
    FindBusses,
    FindDevices,
    GetBusses,
    Open,
    SetConfiguration,
    ClaimInterface,
    BulkWrite,
    BulkRead,
    ReleaseInterface,
    Close,
};

using InitFn = void (*)();
using CountFn = int (*)();
using GetBussesFn = usb_bus* (*)();
using OpenFn = usb_dev_handle* (*)(usb_device*);
using HandleIntFn = int (*)(usb_dev_handle*, int);
using BulkWriteFn = int (*)(usb_dev_handle*, int, const char*, int, int);
using BulkReadFn = int (*)(usb_dev_handle*, int, char*, int, int);
using CloseFn = int (*)(usb_dev_handle*);

} // namespace

LibUsbBinding::LibUsbBinding(const QString& libraryFile)
    : m_libraryFile(libraryFile)
{ }

const std::array<const char*, LibUsbBinding::kNameCount>& LibUsbBinding::names()
{
    static const std::array<const char*, kNameCount> table{"usb_init", "usb_find_busses",
        "usb_find_devices", "usb_get_busses", "usb_open", "usb_set_configuration",
        "usb_claim_interface", "usb_bulk_write", "usb_bulk_read", "usb_release_interface",
        "usb_close",
        // The rest of the 0.1 interface: looked up with the others, never called.
        "usb_get_string", "usb_get_string_simple", "usb_get_descriptor_by_endpoint",
        "usb_get_descriptor", "usb_interrupt_write", "usb_interrupt_read", "usb_control_msg",
        "usb_set_altinterface", "usb_resetep", "usb_clear_halt", "usb_reset", "usb_strerror",
        "usb_set_debug", "usb_device", "usb_install_service_np", "usb_uninstall_service_np",
        "usb_install_driver_np", "usb_get_version", "usb_isochronous_setup_async",
        "usb_bulk_setup_async", "usb_interrupt_setup_async", "usb_submit_async", "usb_reap_async",
        "usb_free_async"};
    return table;
}

bool LibUsbBinding::bind()
{
    if (m_library.isLoaded())
        return true;
    if (!m_library.load(m_libraryFile))
        return false; // the table stays as it was: every forwarder keeps failing
    for (std::size_t i = 0; i < kNameCount; ++i)
        m_table[i] = m_library.resolve(names()[i]);
    if (auto init = function<InitFn>(Init))
        init();
    return true;
}

bool LibUsbBinding::hasFunction(const char* name) const
{
    for (std::size_t i = 0; i < kNameCount; ++i)
        if (std::strcmp(names()[i], name) == 0)
            return m_table[i] != nullptr;
    return false;
}

int LibUsbBinding::findBusses()
{
    auto fn = function<CountFn>(FindBusses);
    return fn ? fn() : kMissing;
}

int LibUsbBinding::findDevices()
{
    auto fn = function<CountFn>(FindDevices);
    return fn ? fn() : kMissing;
}

usb_bus* LibUsbBinding::getBusses()
{
    auto fn = function<GetBussesFn>(GetBusses);
    return fn ? fn() : nullptr;
}

usb_dev_handle* LibUsbBinding::open(usb_device* device)
{
    auto fn = function<OpenFn>(Open);
    return fn ? fn(device) : nullptr;
}

int LibUsbBinding::setConfiguration(usb_dev_handle* handle, int configuration)
{
    auto fn = function<HandleIntFn>(SetConfiguration);
    return fn ? fn(handle, configuration) : kMissing;
}

int LibUsbBinding::claimInterface(usb_dev_handle* handle, int interface)
{
    auto fn = function<HandleIntFn>(ClaimInterface);
    return fn ? fn(handle, interface) : kMissing;
}

int LibUsbBinding::bulkWrite(
    usb_dev_handle* handle, int endpoint, const char* bytes, int size, int timeout)
{
    auto fn = function<BulkWriteFn>(BulkWrite);
    return fn ? fn(handle, endpoint, bytes, size, timeout) : kMissing;
}

int LibUsbBinding::bulkRead(
    usb_dev_handle* handle, int endpoint, char* bytes, int size, int timeout)
{
    auto fn = function<BulkReadFn>(BulkRead);
    return fn ? fn(handle, endpoint, bytes, size, timeout) : kMissing;
}

int LibUsbBinding::releaseInterface(usb_dev_handle* handle, int interface)
{
    auto fn = function<HandleIntFn>(ReleaseInterface);
    return fn ? fn(handle, interface) : kMissing;
}

int LibUsbBinding::close(usb_dev_handle* handle)
{
    auto fn = function<CloseFn>(Close);
    return fn ? fn(handle) : kMissing;
}
