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

// Ends a data transmission whose exchange left `exchanged` (the record sent, partly or wholly
// overwritten by the reply) with `result`. The reply takes the record's place only when the
// exchange completed: after a send or a reply cut short, config keeps what was sent, so the
// pages built on it still show it and sending again sends it again. config is then stored, in
// every case; returns whether it was.
bool settle(int result, const DeviceConfig& exchanged, DeviceConfig& config);

// "Data Transmission" on the calling thread: the record goes to the recorder and the outcome is
// settled as above, also when no recorder answered. Returns the exchange's result code (0 when
// the recorder answered in full).
int transmit(UsbTransport& transport, DeviceConfig& config);

} // namespace device_config_store
