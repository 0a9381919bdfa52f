// A libusb 0.1 stand-in: exports the library's functions over scripted buses and devices and
// records every call, so the transport can be tested without hardware.
#include "SimulatedRecorder.h"

#include <usb.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#define SIM_EXPORT extern "C" __attribute__((visibility("default")))

struct usb_dev_handle
{
    struct usb_device* device;
};

struct usb_bus* usb_busses = nullptr;

namespace {

struct Simulation
{
    int scenario = SimNoBus;
    std::vector<std::unique_ptr<usb_bus>> buses;
    std::vector<std::unique_ptr<struct usb_device>> devices;
    std::vector<std::unique_ptr<usb_dev_handle>> handles;
    std::vector<unsigned char> reply;
    std::vector<unsigned char> received;
    std::string log;
    // Where each request received is written, for a test that cannot call in (see below).
    std::string receivedFile;
    int initCount = 0;
    // The hold is the one part a test touches while the exchange runs on another thread.
    std::mutex holdMutex;
    std::condition_variable holdChanged;
    bool held = false;
    int waiting = 0;
};

Simulation& sim()
{
    static Simulation s;
    return s;
}

void note(const std::string& line)
{
    sim().log += line;
    sim().log += '\n';
}

usb_bus* addBus(const char* name)
{
    auto bus = std::make_unique<usb_bus>();
    std::memset(bus.get(), 0, sizeof(usb_bus));
    std::snprintf(bus->dirname, sizeof bus->dirname, "%s", name);
    if (!sim().buses.empty()) {
        sim().buses.back()->next = bus.get();
        bus->prev = sim().buses.back().get();
    }
    sim().buses.push_back(std::move(bus));
    return sim().buses.back().get();
}

void addDevice(usb_bus* bus, const char* name, uint16_t vendor, uint16_t product)
{
    auto device = std::make_unique<struct usb_device>();
    std::memset(device.get(), 0, sizeof(struct usb_device));
    std::snprintf(device->filename, sizeof device->filename, "%s", name);
    device->bus = bus;
    device->descriptor.bLength = USB_DT_DEVICE_SIZE;
    device->descriptor.bDescriptorType = USB_DT_DEVICE;
    device->descriptor.idVendor = vendor;
    device->descriptor.idProduct = product;
    struct usb_device** link = &bus->devices;
    while (*link)
        link = &(*link)->next;
    *link = device.get();
    sim().devices.push_back(std::move(device));
}

std::string nameOf(usb_dev_handle* handle)
{
    if (!handle || !handle->device)
        return "?";
    return std::string(handle->device->bus->dirname) + "/" + handle->device->filename;
}

} // namespace

SIM_EXPORT void zynsim_reset(int scenario)
{
    Simulation& s = sim();
    s.scenario = scenario;
    s.buses.clear();
    s.devices.clear();
    s.handles.clear();
    s.received.clear();
    s.log.clear();
    usb_busses = nullptr;
    if (scenario == SimNoBus)
        return;
    usb_bus* bus1 = addBus("001");
    usb_bus* bus2 = addBus("002");
    addDevice(bus1, "001", 0x1d6b, 0x0002); // a hub
    addDevice(bus1, "002", 0x09FA, 0x6712); // right vendor, other product
    addDevice(bus2, "001", 0x046d, 0xc52b); // a mouse receiver
    if (scenario == SimOtherDevices)
        return;
    if (scenario == SimTwoRecorders)
        addDevice(bus1, "003", 0x09FA, 0x6711);
    addDevice(bus2, "002", 0x09FA, 0x6711);
    addDevice(bus2, "003", 0x0bda, 0x8153);
}

SIM_EXPORT void zynsim_set_reply(const unsigned char* reply, int length)
{
    sim().reply.assign(reply, reply + length);
}

SIM_EXPORT const char* zynsim_log(void)
{
    return sim().log.c_str();
}

SIM_EXPORT void zynsim_hold(int hold)
{
    {
        std::lock_guard lock(sim().holdMutex);
        sim().held = hold != 0;
    }
    sim().holdChanged.notify_all();
}

SIM_EXPORT int zynsim_waiting(void)
{
    std::lock_guard lock(sim().holdMutex);
    return sim().waiting;
}

SIM_EXPORT int zynsim_init_count(void)
{
    return sim().initCount;
}

SIM_EXPORT int zynsim_received(unsigned char* out, int capacity)
{
    const int n = std::min<int>(capacity, static_cast<int>(sim().received.size()));
    std::memcpy(out, sim().received.data(), static_cast<std::size_t>(n));
    return n;
}

// A program that loads this library in place of libusb without knowing it (the real viewer,
// started by the end-to-end test) cannot call the control functions; the environment scripts it
// instead, as the library is loaded:
//   ZYN_SIM_SCENARIO  the SimScenario to start in (a number);
//   ZYN_SIM_REPLY     a file holding the recorder's answer;
//   ZYN_SIM_RECEIVED  a file that every request the recorder takes is written to.
__attribute__((constructor)) static void scriptFromEnvironment()
{
    if (const char* scenario = std::getenv("ZYN_SIM_SCENARIO"))
        zynsim_reset(std::atoi(scenario));
    if (const char* reply = std::getenv("ZYN_SIM_REPLY")) {
        std::ifstream in(reply, std::ios::binary);
        sim().reply.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (const char* received = std::getenv("ZYN_SIM_RECEIVED"))
        sim().receivedFile = received;
}

// The libusb 0.1 functions.

SIM_EXPORT void usb_init(void)
{
    ++sim().initCount;
    note("init");
}

SIM_EXPORT int usb_find_busses(void)
{
    note("find_busses");
    usb_busses = sim().buses.empty() ? nullptr : sim().buses.front().get();
    return static_cast<int>(sim().buses.size());
}

SIM_EXPORT int usb_find_devices(void)
{
    note("find_devices");
    return static_cast<int>(sim().devices.size());
}

SIM_EXPORT struct usb_bus* usb_get_busses(void)
{
    note("get_busses");
    return usb_busses;
}

SIM_EXPORT usb_dev_handle* usb_open(struct usb_device* dev)
{
    note("open " + std::string(dev->bus->dirname) + "/" + dev->filename);
    if (sim().scenario == SimOpenFails)
        return nullptr;
    sim().handles.push_back(std::make_unique<usb_dev_handle>(usb_dev_handle{dev}));
    return sim().handles.back().get();
}

SIM_EXPORT int usb_close(usb_dev_handle* dev)
{
    note("close " + nameOf(dev));
    return 0;
}

SIM_EXPORT int usb_set_configuration(usb_dev_handle* dev, int configuration)
{
    note("set_configuration " + std::to_string(configuration));
    (void)dev;
    return sim().scenario == SimConfigFails ? -EPIPE : 0;
}

SIM_EXPORT int usb_claim_interface(usb_dev_handle* dev, int interface)
{
    note("claim_interface " + std::to_string(interface));
    (void)dev;
    return sim().scenario == SimClaimFails ? -EBUSY : 0;
}

SIM_EXPORT int usb_release_interface(usb_dev_handle* dev, int interface)
{
    note("release_interface " + std::to_string(interface));
    (void)dev;
    return 0;
}

SIM_EXPORT int usb_bulk_write(usb_dev_handle* dev, int ep, const char* bytes, int size, int timeout)
{
    note("bulk_write ep " + std::to_string(ep) + " size " + std::to_string(size) + " timeout "
        + std::to_string(timeout));
    (void)dev;
    const int accepted = sim().scenario == SimShortWrite ? std::min(size, 100) : size;
    sim().received.assign(bytes, bytes + accepted);
    if (!sim().receivedFile.empty()) {
        std::ofstream out(sim().receivedFile, std::ios::binary | std::ios::trunc);
        out.write(bytes, accepted);
    }
    return accepted;
}

SIM_EXPORT int usb_bulk_read(usb_dev_handle* dev, int ep, char* bytes, int size, int timeout)
{
    note("bulk_read ep " + std::to_string(ep) + " size " + std::to_string(size) + " timeout "
        + std::to_string(timeout));
    {
        std::unique_lock lock(sim().holdMutex);
        ++sim().waiting;
        sim().holdChanged.wait(lock, [] { return !sim().held; });
        --sim().waiting;
    }
    if (sim().scenario == SimSilent) {
        // A real time-out may leave partial junk in the buffer; so does this one.
        std::memset(bytes, 0xEE, static_cast<std::size_t>(size));
        return -ETIMEDOUT;
    }
    int n = std::min<int>(size, static_cast<int>(sim().reply.size()));
    if (sim().scenario == SimShortRead) {
        n = std::min(n, 100);
        std::memset(bytes, 0xEE, static_cast<std::size_t>(size));
    }
    std::memcpy(bytes, sim().reply.data(), static_cast<std::size_t>(n));
    if (sim().scenario == SimTwoRecorders && n > 0)
        bytes[0] = static_cast<char>(std::strtol(dev->device->bus->dirname, nullptr, 10));
    return n;
}

// The rest of the interface: present so that the binding finds the whole table.

SIM_EXPORT int usb_get_string(usb_dev_handle*, int, int, char*, size_t)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_get_string_simple(usb_dev_handle*, int, char*, size_t)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_get_descriptor_by_endpoint(
    usb_dev_handle*, int, unsigned char, unsigned char, void*, int)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_get_descriptor(usb_dev_handle*, unsigned char, unsigned char, void*, int)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_interrupt_write(usb_dev_handle*, int, const char*, int, int)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_interrupt_read(usb_dev_handle*, int, char*, int, int)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_control_msg(usb_dev_handle*, int, int, int, int, char*, int, int)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_set_altinterface(usb_dev_handle*, int)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_resetep(usb_dev_handle*, unsigned int)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_clear_halt(usb_dev_handle*, unsigned int)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_reset(usb_dev_handle*)
{
    return -ENOSYS;
}
SIM_EXPORT char* usb_strerror(void)
{
    static char text[] = "simulated";
    return text;
}
SIM_EXPORT void usb_set_debug(int) { }
SIM_EXPORT struct usb_device* usb_device(usb_dev_handle* dev)
{
    return dev ? dev->device : nullptr;
}
// The Windows library's extras.
SIM_EXPORT int usb_install_service_np(void)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_uninstall_service_np(void)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_install_driver_np(const char*)
{
    return -ENOSYS;
}
SIM_EXPORT const void* usb_get_version(void)
{
    return nullptr;
}
SIM_EXPORT int usb_isochronous_setup_async(usb_dev_handle*, void**, unsigned char, int)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_bulk_setup_async(usb_dev_handle*, void**, unsigned char)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_interrupt_setup_async(usb_dev_handle*, void**, unsigned char)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_submit_async(void*, char*, int)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_reap_async(void*, int)
{
    return -ENOSYS;
}
SIM_EXPORT int usb_free_async(void**)
{
    return -ENOSYS;
}
