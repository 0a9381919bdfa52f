#include "usb/DeviceConfigStore.h"

#include "platform/Registry.h"
#include "usb/DeviceConfig.h"
#include "usb/UsbTransport.h"

#include <cstring>

namespace device_config_store {

bool load(DeviceConfig& config)
{
    const std::optional<QByteArray> value
        = platform::Registry::read(QLatin1String(kKey), QLatin1String(kValueName));
    if (!value || value->size() != DeviceConfig::kSize)
        return false;
    std::memcpy(&config, value->constData(), DeviceConfig::kSize);
    return true;
}

bool store(const DeviceConfig& config)
{
    const QByteArray bytes(reinterpret_cast<const char*>(&config), DeviceConfig::kSize);
    return platform::Registry::write(QLatin1String(kKey), QLatin1String(kValueName), bytes);
}

bool settle(int result, const DeviceConfig& exchanged, DeviceConfig& config)
{
    if (result == UsbTransport::Done)
        config = exchanged;
    return store(config);
}

int transmit(UsbTransport& transport, DeviceConfig& config)
{
    DeviceConfig exchanged = config;
    const int result = transport.Exchange(&exchanged, DeviceConfig::kSize);
    settle(result, exchanged, config);
    return result;
}

} // namespace device_config_store
