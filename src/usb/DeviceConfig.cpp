#include "usb/DeviceConfig.h"

#include <cstring>

DeviceConfig& DeviceConfig::instance()
{
    static DeviceConfig config{};
    return config;
}

void DeviceConfig::clearRange(std::size_t from, std::size_t to)
{
    if (from > to || to >= sizeof(DeviceConfig))
        return;
    std::memset(reinterpret_cast<unsigned char*>(this) + from, 0, to - from + 1);
}
