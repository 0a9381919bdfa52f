#include "UsbToolFixture.h"

#include "platform/Registry.h"
#include "usb/DeviceConfigStore.h"
#include "usb/UsbPageControls.h"
#include "usb/UsbTabControl.h"
#include "usb/UsbTabPage.h"
#include "usb/UsbToolPopup.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

void UsbToolFixture::SetUp()
{
    ASSERT_TRUE(sim.ready()) << qPrintable(sim.library.errorString());
    platform::Registry::remove(device_config_store::kKey, device_config_store::kValueName);
    sim.hold(0);
    sim.reset(SimNoBus);
}

void UsbToolFixture::TearDown()
{
    sim.hold(0);
    tool.reset();
    platform::Registry::remove(device_config_store::kKey, device_config_store::kValueName);
}

void UsbToolFixture::openTool(const QString& libraryFile)
{
    tool = std::make_unique<UsbToolPopup>(libraryFile, record);
    tool->SetVisible(5);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tool.get()));
}

UsbTabPage* UsbToolFixture::showPage(int index)
{
    auto* tabs = tool->findChild<UsbTabControl*>(QString::number(UsbToolPopup::kTabControlId));
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    EXPECT_EQ(tool->currentPage(), index);
    return tool->page(index);
}

RadioRow* UsbToolFixture::row(int page, const char* name) const
{
    auto* found = tool->page(page)->findChild<RadioRow*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

DropList* UsbToolFixture::list(int page, const char* name) const
{
    auto* found = tool->page(page)->findChild<DropList*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QPushButton* UsbToolFixture::button(const QObject* parent, int id) const
{
    // Children first: the tool's own buttons and a page's Save button share id 1.
    auto* found = parent->findChild<QPushButton*>(QString::number(id), Qt::FindDirectChildrenOnly);
    if (!found)
        found = parent->findChild<QPushButton*>(QString::number(id));
    EXPECT_NE(found, nullptr) << id;
    return found;
}

int UsbToolFixture::transmit()
{
    QSignalSpy done(tool.get(), &UsbToolPopup::transmissionDone);
    QTest::mouseClick(button(tool.get(), UsbToolPopup::kTransmitId), Qt::LeftButton);
    if (!waitFor([&] { return !done.isEmpty(); }))
        return -1;
    return done.first().first().toInt();
}

bool UsbToolFixture::waitFor(const std::function<bool()>& cond, int ms)
{
    return QTest::qWaitFor(cond, ms);
}

QByteArray UsbToolFixture::bytesOf(const DeviceConfig& config)
{
    return QByteArray(reinterpret_cast<const char*>(&config), DeviceConfig::kSize);
}

QByteArray UsbToolFixture::storedValue()
{
    return platform::Registry::read(device_config_store::kKey, device_config_store::kValueName)
        .value_or(QByteArray());
}

void UsbToolFixture::storeValue(const DeviceConfig& config)
{
    ASSERT_TRUE(device_config_store::store(config));
}

DeviceConfig UsbToolFixture::sampleRecord()
{
    DeviceConfig c;
    c.channels = 2;
    c.recordMode = 1;
    c.videoType = 2;
    c.resolution = 3;
    c.quality = 2;
    c.audio = 3;
    c.siTime = 1;
    c.siSpeed = 1;
    c.udTime = 1;
    c.udAccel = 1;
    c.udJpeg = 1;
    c.udJpegRate = 1;
    c.recordTime = 4;
    c.motionMode = 1;
    c.motionSensitivity = 2;
    c.motionSeconds = 77;
    c.eventOverwrite = 1;
    c.sorting = 1;
    c.viewerSort = 1;
    c.lcdOutput = 6;
    c.tvOutput = 2;
    c.uiSkin = 2;
    c.skin = 1;
    c.year = 2026;
    c.month = 7;
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
    c.brightness = -5;
    c.sharpness = 5;
    c.expoBias = 0;
    c.wdrBias = -1;
    c.frameRateMode = 1;
    c.buzzer = 1;
    c.lcdBrightness = 3;
    c.batteryVolt = 1;
    c.irLedMode = 2;
    c.gpsMode = 1;
    for (int i = 0; i < 5; ++i)
        c.reserved316[i] = 0x31600000 + i;
    return c;
}
