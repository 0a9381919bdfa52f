#include "usb/UsbTransport.h"

#include "platform/Dialogs.h"
#include "usb/DeviceConfig.h"

#include <cstring>
#include <gtest/gtest.h>

// The system's own libusb 0.1 library, by the name the viewer uses. No recorder is attached to
// a build machine, so the exchange must end in "not found" without touching the record.
TEST(RealLibUsbTest, NoRecorderAttached)
{
    platform::RecordingMessageBox boxes;
    UsbTransport transport;
    ASSERT_EQ(transport.binding().libraryFile(), platform::Library::usbLibraryFile());

    DeviceConfig config;
    config.channels = 2;
    config.triggerLevel = 1.5f;
    config.reserved316[4] = 0x5EED;
    DeviceConfig before = config;
    testing::internal::CaptureStdout();
    EXPECT_EQ(transport.Exchange(&config, DeviceConfig::kSize), UsbTransport::NotFound);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "error: device not found!\n");
    EXPECT_TRUE(transport.binding().isLoaded()) << "libusb-0.1-4 is not installed";
    EXPECT_EQ(boxes.texts, QStringList{"Device not found.\n"});
    EXPECT_EQ(std::memcmp(&config, &before, sizeof config), 0);
}
