#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

// The recorder's configuration: 84 little-endian 32-bit slots. The same bytes are the USB
// request and reply and the registry value "stConfig", so every offset is a wire format and is
// checked below. Reserved slots are carried, never interpreted.
struct DeviceConfig
{
    // Recorder page, offsets 0-23
    int32_t channels = 0;
    int32_t recordMode = 0;
    int32_t videoType = 0;
    int32_t resolution = 0;
    int32_t quality = 0;
    int32_t audio = 0;
    // RecSet page, offsets 24-87
    int32_t siTime = 0;
    int32_t siAccel = 0;
    int32_t siSpeed = 0;
    int32_t udTime = 0;
    int32_t udAccel = 0;
    int32_t udSpeed = 0;
    int32_t udJpeg = 0;
    int32_t udJpegRate = 0;
    int32_t recordTime = 0;
    int32_t motionMode = 0;
    int32_t motionSensitivity = 0;
    int32_t motionSeconds = 0;
    int32_t eventOverwrite = 0;
    int32_t waterMark = 0;
    int32_t sorting = 0;
    int32_t reserved84 = 0;
    // Viewer page, offsets 88-91
    int32_t viewerSort = 0;
    // Display page, offsets 92-119
    int32_t lcdOutput = 0;
    int32_t tvOutput = 0;
    int32_t uiSkin = 0;
    int32_t skin = 0;
    int32_t reserved108[3] = {};
    // Setting page, offsets 120-315
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t inVolume = 0;
    int32_t outVolume = 0;
    int32_t triggerMode = 0;
    int32_t accelScale = 0;
    float triggerLevel = 0;
    int32_t uiRotate = 0;
    int32_t verticalFlip = 0;
    int32_t horizontalMirror = 0;
    int32_t brightness = 0;
    int32_t sharpness = 0;
    int32_t expoBias = 0;
    int32_t wdrBias = 0;
    int32_t frameRateMode = 0;
    int32_t reserved196[24] = {};
    int32_t sdFormat = 0;
    int32_t buzzer = 0;
    int32_t lcdBrightness = 0;
    int32_t batteryVolt = 0;
    int32_t irLedMode = 0;
    int32_t gpsMode = 0;
    // Offsets 316-335: never written by the viewer; whatever was loaded or received.
    int32_t reserved316[5] = {};

    static constexpr int kSize = 336;

    // The one record of the process that the USB tool edits, loads and sends; all zero until
    // something is loaded into it.
    static DeviceConfig& instance();

    // Sets bytes [from, to] (inclusive offsets) to zero.
    void clearRange(std::size_t from, std::size_t to);
};

static_assert(std::endian::native == std::endian::little,
    "DeviceConfig is sent and stored as it lies in memory: little-endian hosts only");
static_assert(sizeof(float) == 4);
static_assert(sizeof(DeviceConfig) == DeviceConfig::kSize);
static_assert(offsetof(DeviceConfig, channels) == 0);
static_assert(offsetof(DeviceConfig, recordMode) == 4);
static_assert(offsetof(DeviceConfig, videoType) == 8);
static_assert(offsetof(DeviceConfig, resolution) == 12);
static_assert(offsetof(DeviceConfig, quality) == 16);
static_assert(offsetof(DeviceConfig, audio) == 20);
static_assert(offsetof(DeviceConfig, siTime) == 24);
static_assert(offsetof(DeviceConfig, siAccel) == 28);
static_assert(offsetof(DeviceConfig, siSpeed) == 32);
static_assert(offsetof(DeviceConfig, udTime) == 36);
static_assert(offsetof(DeviceConfig, udAccel) == 40);
static_assert(offsetof(DeviceConfig, udSpeed) == 44);
static_assert(offsetof(DeviceConfig, udJpeg) == 48);
static_assert(offsetof(DeviceConfig, udJpegRate) == 52);
static_assert(offsetof(DeviceConfig, recordTime) == 56);
static_assert(offsetof(DeviceConfig, motionMode) == 60);
static_assert(offsetof(DeviceConfig, motionSensitivity) == 64);
static_assert(offsetof(DeviceConfig, motionSeconds) == 68);
static_assert(offsetof(DeviceConfig, eventOverwrite) == 72);
static_assert(offsetof(DeviceConfig, waterMark) == 76);
static_assert(offsetof(DeviceConfig, sorting) == 80);
static_assert(offsetof(DeviceConfig, reserved84) == 84);
static_assert(offsetof(DeviceConfig, viewerSort) == 88);
static_assert(offsetof(DeviceConfig, lcdOutput) == 92);
static_assert(offsetof(DeviceConfig, tvOutput) == 96);
static_assert(offsetof(DeviceConfig, uiSkin) == 100);
static_assert(offsetof(DeviceConfig, skin) == 104);
static_assert(offsetof(DeviceConfig, reserved108) == 108);
static_assert(offsetof(DeviceConfig, year) == 120);
static_assert(offsetof(DeviceConfig, month) == 124);
static_assert(offsetof(DeviceConfig, day) == 128);
static_assert(offsetof(DeviceConfig, hour) == 132);
static_assert(offsetof(DeviceConfig, minute) == 136);
static_assert(offsetof(DeviceConfig, second) == 140);
static_assert(offsetof(DeviceConfig, inVolume) == 144);
static_assert(offsetof(DeviceConfig, outVolume) == 148);
static_assert(offsetof(DeviceConfig, triggerMode) == 152);
static_assert(offsetof(DeviceConfig, accelScale) == 156);
static_assert(offsetof(DeviceConfig, triggerLevel) == 160);
static_assert(offsetof(DeviceConfig, uiRotate) == 164);
static_assert(offsetof(DeviceConfig, verticalFlip) == 168);
static_assert(offsetof(DeviceConfig, horizontalMirror) == 172);
static_assert(offsetof(DeviceConfig, brightness) == 176);
static_assert(offsetof(DeviceConfig, sharpness) == 180);
static_assert(offsetof(DeviceConfig, expoBias) == 184);
static_assert(offsetof(DeviceConfig, wdrBias) == 188);
static_assert(offsetof(DeviceConfig, frameRateMode) == 192);
static_assert(offsetof(DeviceConfig, reserved196) == 196);
static_assert(offsetof(DeviceConfig, sdFormat) == 292);
static_assert(offsetof(DeviceConfig, buzzer) == 296);
static_assert(offsetof(DeviceConfig, lcdBrightness) == 300);
static_assert(offsetof(DeviceConfig, batteryVolt) == 304);
static_assert(offsetof(DeviceConfig, irLedMode) == 308);
static_assert(offsetof(DeviceConfig, gpsMode) == 312);
static_assert(offsetof(DeviceConfig, reserved316) == 316);
