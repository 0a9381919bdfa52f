#include "usb/DeviceConfig.h"
#include "usb/UsbTabDisplayModel.h"
#include "usb/UsbTabRecSetModel.h"
#include "usb/UsbTabRecorderModel.h"
#include "usb/UsbTabSettingModel.h"
#include "usb/UsbTabViewerModel.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

DeviceConfig filled(unsigned char byte)
{
    DeviceConfig config;
    std::memset(static_cast<void*>(&config), byte, sizeof config);
    return config;
}

const unsigned char* bytesOf(const DeviceConfig& config)
{
    return reinterpret_cast<const unsigned char*>(&config);
}

// A record as a recorder would send it: every field on a value its page can show.
DeviceConfig sampleRecord()
{
    DeviceConfig c;
    c.channels = 2;
    c.recordMode = 1;
    c.videoType = 2;
    c.resolution = 3;
    c.quality = 2;
    c.audio = 1;
    c.siTime = 1;
    c.siAccel = 0;
    c.siSpeed = 1;
    c.udTime = 1;
    c.udAccel = 1;
    c.udSpeed = 0;
    c.udJpeg = 1;
    c.udJpegRate = 1;
    c.recordTime = 5;
    c.motionMode = 1;
    c.motionSensitivity = 2;
    c.motionSeconds = 77;
    c.eventOverwrite = 1;
    c.waterMark = 0;
    c.sorting = 1;
    c.viewerSort = 1;
    c.lcdOutput = 6;
    c.tvOutput = 4;
    c.uiSkin = 2;
    c.skin = 1;
    c.year = 2026;
    c.month = 12;
    c.day = 31;
    c.hour = 23;
    c.minute = 59;
    c.second = 7;
    c.inVolume = 9;
    c.outVolume = 10;
    c.triggerMode = 1;
    c.accelScale = 1;
    c.triggerLevel = 1.5f;
    c.uiRotate = 1;
    c.verticalFlip = 1;
    c.horizontalMirror = 0;
    c.brightness = -5;
    c.sharpness = 5;
    c.expoBias = 0;
    c.wdrBias = -1;
    c.frameRateMode = 1;
    c.sdFormat = 1;
    c.buzzer = 1;
    c.lcdBrightness = 3;
    c.batteryVolt = 1;
    c.irLedMode = 2;
    c.gpsMode = 1;
    for (int i = 0; i < 5; ++i)
        c.reserved316[i] = 0x31600000 + i;
    return c;
}

// Every page initialised from one record and saved into another.
void saveAllPages(const DeviceConfig& from, DeviceConfig& to)
{
    UsbTabRecorderModel recorder;
    UsbTabRecSetModel recSet;
    UsbTabViewerModel viewer;
    UsbTabDisplayModel display;
    UsbTabSettingModel setting;
    recorder.initFrom(from);
    recSet.initFrom(from);
    viewer.initFrom(from);
    display.initFrom(from);
    setting.initFrom(from);
    recorder.saveTo(to);
    recSet.saveTo(to);
    viewer.saveTo(to);
    display.saveTo(to);
    setting.saveTo(to);
}

} // namespace

TEST(UsbTabModelsTest, FirstUseWithAnAllZeroRecord)
{
    const DeviceConfig zero;
    UsbTabRecorderModel recorder;
    recorder.initFrom(zero);
    EXPECT_EQ(recorder.channel, -1);
    EXPECT_TRUE(recorder.qualityEnabled());
    EXPECT_TRUE(recorder.quality2Enabled());

    UsbTabRecSetModel recSet;
    recSet.initFrom(zero);
    EXPECT_EQ(recSet.recordTime, -1);
    EXPECT_EQ(UsbTabRecSetModel::secondsEntries().at(recSet.motionSecondsEntry), "30");

    UsbTabSettingModel setting;
    setting.initFrom(zero);
    EXPECT_EQ(UsbTabSettingModel::yearEntries().at(setting.yearEntry), "2000");
    EXPECT_EQ(setting.monthEntry, -1);
    EXPECT_EQ(setting.dayEntry, -1);

    // Saving the untouched pages sends no -1 for the choices never made, and no invented date.
    DeviceConfig saved = filled(0x55);
    saveAllPages(zero, saved);
    EXPECT_EQ(saved.channels, 0);
    EXPECT_EQ(saved.recordTime, 0);
    EXPECT_EQ(saved.motionSeconds, 30);
    EXPECT_EQ(saved.year, 2000);
    EXPECT_EQ(saved.month, 0);
    EXPECT_EQ(saved.day, 0);
    EXPECT_EQ(std::memcmp(bytesOf(saved) + 316, bytesOf(filled(0x55)) + 316, 20), 0);
}

TEST(UsbTabModelsTest, RecorderChannelQualityAndSkippedCodes)
{
    DeviceConfig config;
    UsbTabRecorderModel page;
    page.channel = 1; // "2CH"
    page.quality = 0;
    page.quality2 = 2; // "H(1.0M)"
    page.saveTo(config);
    EXPECT_EQ(config.channels, 2);
    EXPECT_EQ(config.quality, 2);

    page.channel = 0; // "1CH"
    page.quality = 2; // "H(1.6M)"
    page.quality2 = 0;
    page.saveTo(config);
    EXPECT_EQ(config.channels, 1);
    EXPECT_EQ(config.quality, 2);

    page.resolution = 2; // "Mega(1.3M)"
    page.audio = 2; // "AMR"
    page.saveTo(config);
    EXPECT_EQ(config.resolution, 3);
    EXPECT_EQ(config.audio, 3);
    UsbTabRecorderModel again;
    again.initFrom(config);
    EXPECT_EQ(again.resolution, 2);
    EXPECT_EQ(again.audio, 2);
    EXPECT_EQ(again.quality, 2);
    EXPECT_EQ(again.quality2, 2);

    // Only 3 is read differently: a stored 2 selects the third button like any index, and
    // saving it stores 3; a value without a button checks none, and none checked stores 0.
    config.resolution = 2;
    config.audio = 2;
    again.initFrom(config);
    EXPECT_EQ(again.resolution, 2);
    EXPECT_EQ(again.audio, 2);
    again.saveTo(config);
    EXPECT_EQ(config.resolution, 3);
    EXPECT_EQ(config.audio, 3);
    config.resolution = 4;
    again.initFrom(config);
    EXPECT_EQ(again.resolution, -1);
    again.saveTo(config);
    EXPECT_EQ(config.resolution, 0);
}

TEST(UsbTabModelsTest, RecorderEnableRulesFollowChannelAndType)
{
    UsbTabRecorderModel page;
    DeviceConfig config;
    config.channels = 1;
    config.videoType = 0;
    page.initFrom(config);
    EXPECT_TRUE(page.qualityEnabled());
    EXPECT_FALSE(page.quality2Enabled());
    EXPECT_FALSE(page.megaEnabled());

    page.channel = 1; // "2CH" clicked
    page.type = 1; // "MJPEG"
    EXPECT_FALSE(page.qualityEnabled());
    EXPECT_TRUE(page.quality2Enabled());
    EXPECT_FALSE(page.megaEnabled());
    page.type = 2; // "H.264"
    EXPECT_TRUE(page.megaEnabled());
}

TEST(UsbTabModelsTest, RecSetSecondsListAndRecordTime)
{
    const QStringList& entries = UsbTabRecSetModel::secondsEntries();
    ASSERT_EQ(entries.size(), 91);
    EXPECT_EQ(entries.front(), "30");
    EXPECT_EQ(entries.back(), "120");

    const std::pair<int, int> cases[] = {{30, 0}, {45, 15}, {120, 90}, {121, 90}, {100000, 90},
        {0, 0}, {10, 10}, {29, 29}, {-3, -1}};
    for (auto [stored, entry] : cases) {
        DeviceConfig config;
        config.motionSeconds = stored;
        UsbTabRecSetModel page;
        page.initFrom(config);
        EXPECT_EQ(page.motionSecondsEntry, entry) << stored;
    }

    UsbTabRecSetModel page;
    page.motionSecondsEntry = 15;
    page.recordTime = 4; // "10 Min"
    DeviceConfig config;
    page.saveTo(config);
    EXPECT_EQ(config.motionSeconds, 45);
    EXPECT_EQ(config.recordTime, 5);
}

TEST(UsbTabModelsTest, DisplayOutputCoding)
{
    const std::pair<int, int> indexOfStored[]
        = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {7, -1}, {-1, -1}};
    for (auto [stored, index] : indexOfStored)
        EXPECT_EQ(UsbTabDisplayModel::outputIndex(stored), index) << stored;
    const int storedOfIndex[] = {0, 1, 2, 4, 5, 6};
    for (int index = 0; index < 6; ++index)
        EXPECT_EQ(UsbTabDisplayModel::outputStored(index), storedOfIndex[index]);
    EXPECT_EQ(UsbTabDisplayModel::outputStored(-1), 0);

    // "TPMS" survives a save and the next initialisation.
    UsbTabDisplayModel page;
    page.lcd = 3;
    page.tv = 5;
    page.uiSkin = 2;
    DeviceConfig config = filled(0x66);
    page.saveTo(config);
    EXPECT_EQ(config.lcdOutput, 4);
    EXPECT_EQ(config.tvOutput, 6);
    EXPECT_EQ(config.uiSkin, 2);
    EXPECT_EQ(config.reserved108[0] | config.reserved108[1] | config.reserved108[2], 0);
    UsbTabDisplayModel again;
    again.initFrom(config);
    EXPECT_EQ(again.lcd, 3);
    EXPECT_FALSE(UsbTabDisplayModel::skinGroupsEnabled);
}

TEST(UsbTabModelsTest, SettingListsAndTheirCodings)
{
    const QStringList& levels = UsbTabSettingModel::triggerLevelEntries();
    ASSERT_EQ(levels.size(), 21);
    EXPECT_EQ(levels.front(), "0.0");
    EXPECT_EQ(levels.at(15), "1.5");
    EXPECT_EQ(levels.back(), "2.0");
    EXPECT_EQ(UsbTabSettingModel::yearEntries().size(), 100);
    EXPECT_EQ(UsbTabSettingModel::inVolumeEntries().size(), 10);
    EXPECT_EQ(UsbTabSettingModel::outVolumeEntries().size(), 11);
    EXPECT_EQ(UsbTabSettingModel::biasEntries().front(), "-5");

    // Every trigger level saved selects itself again.
    for (int entry = 0; entry < levels.size(); ++entry) {
        UsbTabSettingModel page;
        page.triggerLevelEntry = entry;
        DeviceConfig config;
        page.saveTo(config);
        UsbTabSettingModel again;
        again.initFrom(config);
        EXPECT_EQ(again.triggerLevelEntry, entry) << entry;
    }

    DeviceConfig config;
    config.year = 2099;
    config.inVolume = 9;
    config.outVolume = 11; // no such entry
    config.brightness = 6;
    config.triggerLevel = std::numeric_limits<float>::quiet_NaN();
    UsbTabSettingModel page;
    page.initFrom(config);
    EXPECT_EQ(page.yearEntry, 99);
    EXPECT_EQ(page.inVolumeEntry, 9);
    EXPECT_EQ(page.outVolumeEntry, -1);
    EXPECT_EQ(page.brightnessEntry, -1);
    EXPECT_EQ(page.triggerLevelEntry, -1);
    config.year = 4013; // the year list wraps at 2000
    page.initFrom(config);
    EXPECT_EQ(page.yearEntry, 13);
}

TEST(UsbTabModelsTest, EachPageClearsOnlyItsOwnSlots)
{
    struct Range
    {
        void (*save)(DeviceConfig&);
        std::size_t from, to;
    };
    const Range pages[] = {
        {[](DeviceConfig& c) { UsbTabRecorderModel().saveTo(c); }, 0, 23},
        {[](DeviceConfig& c) { UsbTabRecSetModel().saveTo(c); }, 24, 87},
        {[](DeviceConfig& c) { UsbTabViewerModel().saveTo(c); }, 88, 91},
        {[](DeviceConfig& c) { UsbTabDisplayModel().saveTo(c); }, 92, 119},
        {[](DeviceConfig& c) { UsbTabSettingModel().saveTo(c); }, 120, 315},
    };
    for (const Range& page : pages) {
        DeviceConfig config = filled(0xA5);
        page.save(config);
        for (std::size_t i = 0; i < sizeof config; ++i) {
            const bool own = i >= page.from && i <= page.to;
            if (!own) {
                ASSERT_EQ(bytesOf(config)[i], 0xA5) << "page " << page.from << " byte " << i;
            }
        }
        if (page.from == 24) { // a seconds list without a selection stores 0
            EXPECT_EQ(config.motionSeconds, 0);
        }
        EXPECT_EQ(bytesOf(config)[page.from], 0);
    }
    DeviceConfig recSet = filled(0xA5);
    UsbTabRecSetModel().saveTo(recSet);
    EXPECT_EQ(recSet.reserved84, 0);
}

TEST(UsbTabModelsTest, FullRoundTripOfEveryPage)
{
    const DeviceConfig original = sampleRecord();
    DeviceConfig saved = original;
    std::memset(static_cast<void*>(&saved), 0xC3, 316); // whatever the pages held before
    saveAllPages(original, saved);
    for (std::size_t i = 0; i < sizeof saved; ++i)
        ASSERT_EQ(bytesOf(saved)[i], bytesOf(original)[i]) << "byte " << i;
    EXPECT_EQ(saved.triggerLevel, 1.5f);
}
