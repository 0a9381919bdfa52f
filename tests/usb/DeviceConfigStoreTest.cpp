#include "usb/DeviceConfigStore.h"

#include "SimControl.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "usb/DeviceConfig.h"
#include "usb/UsbTabRecorderModel.h"
#include "usb/UsbTabSettingModel.h"
#include "usb/UsbTransport.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

class DeviceConfigStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::Registry::remove("USB Config", "stConfig");
        ASSERT_TRUE(m_sim.ready());
    }
    void TearDown() override { platform::Registry::remove("USB Config", "stConfig"); }

    QByteArray stored() const
    {
        return platform::Registry::read("USB Config", "stConfig").value_or(QByteArray());
    }

    static QByteArray bytesOf(const DeviceConfig& config)
    {
        return QByteArray(reinterpret_cast<const char*>(&config), sizeof config);
    }

    SimControl m_sim;
    platform::RecordingMessageBox m_boxes;
    UsbTransport m_transport{QStringLiteral(ZYN_USB_SIM_PATH)};
};

} // namespace

TEST_F(DeviceConfigStoreTest, LoadLeavesTheRecordWithoutAValueOfTheRightSize)
{
    DeviceConfig config;
    config.year = 2030;
    EXPECT_FALSE(device_config_store::load(config));
    EXPECT_EQ(config.year, 2030);

    ASSERT_TRUE(platform::Registry::write("USB Config", "stConfig", QByteArray(100, '\x11')));
    EXPECT_FALSE(device_config_store::load(config));
    ASSERT_TRUE(platform::Registry::write("USB Config", "stConfig", QByteArray(400, '\x11')));
    EXPECT_FALSE(device_config_store::load(config));
    EXPECT_EQ(config.year, 2030);

    DeviceConfig written;
    written.month = 4;
    written.reserved316[2] = 99;
    ASSERT_TRUE(device_config_store::store(written));
    EXPECT_EQ(stored().size(), 336);
    ASSERT_TRUE(device_config_store::load(config));
    EXPECT_EQ(bytesOf(config), bytesOf(written));
}

TEST_F(DeviceConfigStoreTest, TransmissionWithoutRecorderStoresTheRecordUnchanged)
{
    m_sim.reset(SimNoBus);
    DeviceConfig config;
    config.channels = 2;
    testing::internal::CaptureStdout();
    EXPECT_EQ(device_config_store::transmit(m_transport, config), UsbTransport::NotFound);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(m_boxes.texts, QStringList{"Device not found.\n"});
    EXPECT_EQ(stored(), bytesOf(config));
    EXPECT_EQ(config.channels, 2);
}

TEST_F(DeviceConfigStoreTest, TheRecordersReservedBytesSurviveSavesAndTransmissions)
{
    // The recorder answers with its own values, including offsets 316-335.
    DeviceConfig reply;
    reply.channels = 1;
    reply.year = 2024;
    reply.month = 2;
    reply.day = 29;
    for (int i = 0; i < 5; ++i)
        reply.reserved316[i] = 0x0BADF00D + i;
    m_sim.setReply(reinterpret_cast<const unsigned char*>(&reply), sizeof reply);
    m_sim.reset(SimAnswers);

    DeviceConfig& config = DeviceConfig::instance();
    config = DeviceConfig{};
    testing::internal::CaptureStdout();
    ASSERT_EQ(device_config_store::transmit(m_transport, config), UsbTransport::Done);
    EXPECT_EQ(bytesOf(config), bytesOf(reply));
    EXPECT_EQ(stored(), bytesOf(reply));

    // Pages created from the reply, edited and saved: the reserved tail stays.
    UsbTabRecorderModel recorder;
    recorder.initFrom(config);
    recorder.channel = 1;
    recorder.saveTo(config);
    UsbTabSettingModel setting;
    setting.initFrom(config);
    EXPECT_EQ(setting.dayEntry, 28);
    setting.hourEntry = 12;
    setting.saveTo(config);
    EXPECT_EQ(config.channels, 2);
    EXPECT_EQ(config.hour, 12);
    EXPECT_EQ(config.day, 29);

    // A recorder that never answers: the record sent is what is stored, tail included.
    m_sim.reset(SimSilent);
    const QByteArray sent = bytesOf(config);
    EXPECT_EQ(device_config_store::transmit(m_transport, config), UsbTransport::ReadFailed);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(stored(), sent);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(config.reserved316[i], 0x0BADF00D + i);

    // The next start of the tool loads exactly that.
    DeviceConfig nextRun;
    ASSERT_TRUE(device_config_store::load(nextRun));
    EXPECT_EQ(bytesOf(nextRun), sent);
    config = DeviceConfig{};
}

TEST_F(DeviceConfigStoreTest, OnlyAWholeReplyTakesTheRecordsPlace)
{
    DeviceConfig reply;
    reply.channels = 2;
    reply.year = 2024;
    m_sim.setReply(reinterpret_cast<const unsigned char*>(&reply), sizeof reply);
    testing::internal::CaptureStdout();
    for (const int scenario : {SimShortWrite, SimShortRead}) {
        m_sim.reset(scenario);
        DeviceConfig config;
        config.channels = 1;
        config.year = 2031;
        const QByteArray sent = bytesOf(config);
        EXPECT_NE(device_config_store::transmit(m_transport, config), UsbTransport::Done);
        EXPECT_EQ(bytesOf(config), sent) << scenario;
        EXPECT_EQ(stored(), sent) << scenario;
    }
    m_sim.reset(SimAnswers);
    DeviceConfig config;
    EXPECT_EQ(device_config_store::transmit(m_transport, config), UsbTransport::Done);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(bytesOf(config), bytesOf(reply));
    EXPECT_EQ(stored(), bytesOf(reply));
}
