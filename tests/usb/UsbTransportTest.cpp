#include "usb/UsbTransport.h"

#include "SimControl.h"
#include "platform/Dialogs.h"

#include <array>
#include <gtest/gtest.h>

namespace {

constexpr int kLength = 336;
using Record = std::array<unsigned char, kLength>;

Record pattern(unsigned char seed)
{
    Record r;
    for (int i = 0; i < kLength; ++i)
        r[i] = static_cast<unsigned char>(seed + i * 7);
    return r;
}

class SimulatedRecorderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.ready()) << qPrintable(m_sim.library.errorString());
        m_sim.setReply(m_reply.data(), kLength);
    }

    // Runs one exchange of m_record in the scenario; returns what went to standard output.
    std::string exchange(int scenario, int* result = nullptr)
    {
        m_sim.reset(scenario);
        testing::internal::CaptureStdout();
        const int r = m_transport.Exchange(m_record.data(), kLength);
        if (result)
            *result = r;
        return testing::internal::GetCapturedStdout();
    }

    std::string log() const { return m_sim.log(); }
    Record received() const
    {
        Record r{};
        m_sim.received(r.data(), kLength);
        return r;
    }

    SimControl m_sim;
    platform::RecordingMessageBox m_boxes;
    UsbTransport m_transport{QStringLiteral(ZYN_USB_SIM_PATH)};
    const Record m_sent = pattern(1);
    const Record m_reply = pattern(100);
    Record m_record = m_sent;
};

} // namespace

TEST(UsbBindingTest, MissingLibraryFailsEveryForwarderAndFindsNoRecorder)
{
    platform::RecordingMessageBox boxes;
    UsbTransport transport(QStringLiteral("/nonexistent/libusb-missing.so"));
    Record record = pattern(9);
    testing::internal::CaptureStdout();
    EXPECT_EQ(transport.Exchange(record.data(), kLength), UsbTransport::NotFound);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "error: device not found!\n");
    EXPECT_EQ(boxes.texts, QStringList{"Device not found.\n"});
    EXPECT_EQ(record, pattern(9));

    LibUsbBinding& usb = transport.binding();
    EXPECT_FALSE(usb.isLoaded());
    char byte = 0;
    EXPECT_EQ(usb.findBusses(), -2);
    EXPECT_EQ(usb.findDevices(), -2);
    EXPECT_EQ(usb.getBusses(), nullptr);
    EXPECT_EQ(usb.open(nullptr), nullptr);
    EXPECT_EQ(usb.setConfiguration(nullptr, 1), -2);
    EXPECT_EQ(usb.claimInterface(nullptr, 0), -2);
    EXPECT_EQ(usb.bulkWrite(nullptr, 3, &byte, 1, 5000), -2);
    EXPECT_EQ(usb.bulkRead(nullptr, 0x82, &byte, 1, 5000), -2);
    EXPECT_EQ(usb.releaseInterface(nullptr, 0), -2);
    EXPECT_EQ(usb.close(nullptr), -2);

    EXPECT_EQ(transport.Exchange(nullptr, kLength), UsbTransport::BadArguments);
    EXPECT_EQ(transport.Exchange(record.data(), 0), UsbTransport::BadArguments);
}

TEST_F(SimulatedRecorderTest, LooksUpTheWholeTableAndKeepsTheLibraryLoaded)
{
    exchange(SimAnswers);
    ASSERT_TRUE(m_transport.binding().isLoaded());
    for (const char* name : LibUsbBinding::names())
        EXPECT_TRUE(m_transport.binding().hasFunction(name)) << name;
    EXPECT_FALSE(m_transport.binding().hasFunction("usb_no_such_function"));
    const int inits = m_sim.initCount();
    exchange(SimAnswers);
    exchange(SimAnswers);
    EXPECT_EQ(m_sim.initCount(), inits);
}

TEST_F(SimulatedRecorderTest, RecorderAnswersAndItsReplyReplacesTheRecord)
{
    int result = -1;
    exchange(SimAnswers);
    m_record = m_sent;
    // The library is bound already: this exchange is the recorder's part alone.
    EXPECT_EQ(exchange(SimAnswers, &result), "");
    EXPECT_EQ(result, UsbTransport::Done);
    EXPECT_EQ(received(), m_sent);
    EXPECT_EQ(m_record, m_reply);
    EXPECT_TRUE(m_boxes.texts.isEmpty());
    EXPECT_EQ(log(),
        "find_busses\n"
        "find_devices\n"
        "get_busses\n"
        "open 002/002\n"
        "set_configuration 1\n"
        "claim_interface 0\n"
        "bulk_write ep 3 size 336 timeout 5000\n"
        "bulk_read ep 130 size 336 timeout 5000\n"
        "release_interface 0\n"
        "close 002/002\n");
}

TEST_F(SimulatedRecorderTest, NoRecorderMeansNotFoundAndNothingOpened)
{
    for (int scenario : {SimNoBus, SimOtherDevices, SimOpenFails}) {
        m_boxes.texts.clear();
        m_record = m_sent;
        int result = -1;
        EXPECT_EQ(exchange(scenario, &result), "error: device not found!\n") << scenario;
        EXPECT_EQ(result, UsbTransport::NotFound);
        EXPECT_EQ(m_boxes.texts, QStringList{"Device not found.\n"});
        EXPECT_EQ(m_record, m_sent);
        EXPECT_EQ(log().find("close"), std::string::npos) << log();
        EXPECT_EQ(log().find("set_configuration"), std::string::npos);
    }
}

TEST_F(SimulatedRecorderTest, RecorderThatNeverAnswersKeepsTheRecordSent)
{
    int result = -1;
    EXPECT_EQ(exchange(SimSilent, &result), "error: bulk read failed\n");
    EXPECT_EQ(result, UsbTransport::ReadFailed);
    EXPECT_EQ(m_record, m_sent);
    EXPECT_TRUE(m_boxes.texts.isEmpty());
    EXPECT_NE(log().find("bulk_read ep 130 size 336 timeout 5000\nrelease_interface 0\nclose"),
        std::string::npos);
}

TEST_F(SimulatedRecorderTest, RefusedConfigurationOrInterfaceClosesAndStops)
{
    int result = -1;
    EXPECT_EQ(exchange(SimConfigFails, &result), "error: setting config 1 failed\n");
    EXPECT_EQ(result, UsbTransport::ConfigurationFailed);
    EXPECT_EQ(
        log().substr(log().find("open")), "open 002/002\nset_configuration 1\nclose 002/002\n");
    EXPECT_EQ(m_record, m_sent);

    EXPECT_EQ(exchange(SimClaimFails, &result), "error: claiming interface 0 failed\n");
    EXPECT_EQ(result, UsbTransport::ClaimFailed);
    EXPECT_EQ(log().substr(log().find("open")),
        "open 002/002\nset_configuration 1\nclaim_interface 0\nclose 002/002\n");
    EXPECT_EQ(m_record, m_sent);
    EXPECT_TRUE(m_boxes.texts.isEmpty());
}

TEST_F(SimulatedRecorderTest, FirstRecorderInBusAndDeviceOrderIsUsed)
{
    int result = -1;
    exchange(SimTwoRecorders, &result);
    EXPECT_EQ(result, UsbTransport::Done);
    EXPECT_NE(log().find("open 001/003\n"), std::string::npos) << log();
    EXPECT_EQ(log().find("open 002/002"), std::string::npos);
    EXPECT_EQ(m_record[0], 1); // the reply came from bus 1
}

TEST_F(SimulatedRecorderTest, ShortReplyReplacesOnlyTheStart)
{
    int result = -1;
    EXPECT_EQ(exchange(SimShortRead, &result), "error: bulk read failed\n");
    EXPECT_EQ(result, UsbTransport::ReadFailed);
    for (int i = 0; i < kLength; ++i)
        ASSERT_EQ(m_record[i], i < 100 ? m_reply[i] : m_sent[i]) << i;
}

TEST_F(SimulatedRecorderTest, ShortRequestIsReportedAndTheReplyStillRead)
{
    int result = -1;
    EXPECT_EQ(exchange(SimShortWrite, &result), "error: bulk write failed\n");
    EXPECT_EQ(result, UsbTransport::WriteFailed);
    EXPECT_EQ(m_record, m_reply);
}

TEST_F(SimulatedRecorderTest, QuietTransferLeavesTheMessageToTheCaller)
{
    m_sim.reset(SimOtherDevices);
    testing::internal::CaptureStdout();
    EXPECT_EQ(m_transport.transfer(m_record.data(), kLength), UsbTransport::NotFound);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "error: device not found!\n");
    EXPECT_TRUE(m_boxes.texts.isEmpty());

    m_sim.reset(SimAnswers);
    EXPECT_EQ(m_transport.transfer(m_record.data(), kLength), UsbTransport::Done);
    EXPECT_EQ(m_record, m_reply);
}
