#include "usb/UsbTransmission.h"

#include "SimControl.h"
#include "platform/Dialogs.h"
#include "usb/UsbTransport.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <cstring>
#include <gtest/gtest.h>
#include <thread>

namespace {

class UsbTransmissionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.ready());
        sim.hold(0);
        reply.year = 2031;
        reply.reserved316[1] = 5;
        sim.setReply(reinterpret_cast<const unsigned char*>(&reply), DeviceConfig::kSize);
        sim.reset(SimAnswers);
        sent.year = 2020;
    }
    void TearDown() override { sim.hold(0); }

    static QByteArray bytesOf(const DeviceConfig& config)
    {
        return QByteArray(reinterpret_cast<const char*>(&config), DeviceConfig::kSize);
    }

    SimControl sim;
    platform::RecordingMessageBox boxes;
    DeviceConfig reply;
    DeviceConfig sent;
};

} // namespace

TEST_F(UsbTransmissionTest, ExchangesACopyAndReportsOnTheStartingThread)
{
    UsbTransmission transmission(QStringLiteral(ZYN_USB_SIM_PATH));
    QSignalSpy finished(&transmission, &UsbTransmission::finished);
    Qt::HANDLE reportedOn = nullptr;
    QObject::connect(&transmission, &UsbTransmission::finished,
        [&] { reportedOn = QThread::currentThreadId(); });
    sim.hold(1);
    ASSERT_TRUE(transmission.start(sent));
    EXPECT_TRUE(transmission.isRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim.waiting() == 1; }, 10000));
    EXPECT_FALSE(transmission.start(sent)); // one exchange at a time
    sent.year = 1999; // the caller's record is free meanwhile: the copy went out
    sim.hold(0);

    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(transmission.isRunning());
    EXPECT_EQ(reportedOn, QThread::currentThreadId());
    EXPECT_EQ(finished.first().at(0).toInt(), UsbTransport::Done);
    EXPECT_EQ(bytesOf(finished.first().at(1).value<DeviceConfig>()), bytesOf(reply));
    QByteArray received(DeviceConfig::kSize, '\0');
    sim.received(reinterpret_cast<unsigned char*>(received.data()), DeviceConfig::kSize);
    DeviceConfig expectedSent;
    expectedSent.year = 2020;
    EXPECT_EQ(received, bytesOf(expectedSent));
    EXPECT_TRUE(boxes.texts.isEmpty()); // the caller tells the user, on its own thread

    sim.reset(SimOtherDevices);
    ASSERT_TRUE(transmission.start(sent));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.at(1).at(0).toInt(), UsbTransport::NotFound);
    EXPECT_EQ(bytesOf(finished.at(1).at(1).value<DeviceConfig>()), bytesOf(sent));
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST_F(UsbTransmissionTest, DestructionWaitsForTheExchangeAndDropsItsOutcome)
{
    int reports = 0;
    std::thread release;
    {
        UsbTransmission transmission(QStringLiteral(ZYN_USB_SIM_PATH));
        QObject::connect(&transmission, &UsbTransmission::finished, [&] { ++reports; });
        sim.hold(1);
        ASSERT_TRUE(transmission.start(sent));
        ASSERT_TRUE(QTest::qWaitFor([&] { return sim.waiting() == 1; }, 10000));
        release = std::thread([&] {
            QThread::msleep(30);
            sim.hold(0);
        });
    }
    release.join();
    QTest::qWait(30);
    EXPECT_EQ(reports, 0);
}
