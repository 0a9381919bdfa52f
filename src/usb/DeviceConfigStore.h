#pragma once

struct DeviceConfig;
class UsbTransport;

// The USB tool's record in the registry (value "stConfig" under "USB Config", the record's
// 336 bytes) and the data transmission that sends it to the recorder.
namespace device_config_store {

inline constexpr const char* kKey = "USB Config";
inline constexpr const char* kValueName = "stConfig";

// Loads the stored record into config. A missing value, or one that is not exactly 336 bytes
// (not written by the viewer), leaves config as it was; returns whether it was loaded.
bool load(DeviceConfig& config);
// Stores the record; false when the registry refused it.
bool store(const DeviceConfig& config);

// "Data Transmission": the record goes to the recorder, its reply replaces it, and the result
// is stored in every case, also when no recorder answered. Returns the exchange's result code
// (0 when the recorder answered in full).
int transmit(UsbTransport& transport, DeviceConfig& config);

} // namespace device_config_store
