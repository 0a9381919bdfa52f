#include "recording/PVEXUDAT.h"

#include "support/RecordingBuilder.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace testsupport;

namespace {

const uint8_t* bytesOf(const QByteArray& block)
{
    return reinterpret_cast<const uint8_t*>(block.constData());
}

} // namespace

TEST(PVEXUDATTest, ParseFindsSubBoxesAndLookupsAnswerInsideTheBlock)
{
    const QByteArray block = udatBox(Telemetry::drive(3));
    PVEXUDAT udat;
    udat.setData(bytesOf(block), size_t(block.size()));
    ASSERT_EQ(udat.check(), 0);
    EXPECT_EQ(udat.timeRecordCapacity(), 3u);
    EXPECT_EQ(std::string(udat.gpsType.data(), 4), "GPSI");

    // Nothing is answered before the player library reports a count.
    EXPECT_EQ(udat.gpsRecord(0), nullptr);
    udat.setRecordCount(3);
    ASSERT_NE(udat.gpsRecord(2), nullptr);
    EXPECT_EQ(
        std::strncmp(reinterpret_cast<const char*>(udat.gpsRecord(2)), "$GPRMC,123521", 13), 0);
    EXPECT_EQ(udat.timeRecord(1)[3], 1);
    float y = 0;
    std::memcpy(&y, udat.sensorRecord(1) + 4, 4);
    EXPECT_FLOAT_EQ(y, -0.5f);
    for (uint32_t index : {3u, uint32_t(-1)}) {
        EXPECT_EQ(udat.gpsRecord(index), nullptr);
        EXPECT_EQ(udat.timeRecord(index), nullptr);
        EXPECT_EQ(udat.sensorRecord(index), nullptr);
    }
}

TEST(PVEXUDATTest, ParseCodesName2TheFailingSubBox)
{
    PVEXUDAT udat;
    EXPECT_EQ(udat.check(), 1);
    EXPECT_EQ(udat.parse(), PVEXUDAT::ParseNoBlock);

    Telemetry rtcd = Telemetry::drive(2);
    rtcd.timeType = "RTCD";
    const QByteArray good = udatBox(rtcd);
    udat.setData(bytesOf(good), size_t(good.size()));
    EXPECT_EQ(udat.check(), 0);

    Telemetry wrongTime = Telemetry::drive(2);
    wrongTime.timeType = "GPSI";
    const QByteArray cases[] = {udatBox(wrongTime), udatBox(Telemetry::drive(2), "SENS", "GPSI"),
        udatBox(Telemetry::drive(2), "GPSI", "TIME")};
    int expected = PVEXUDAT::ParseNoTimeBox;
    for (const QByteArray& block : cases) {
        udat.setData(bytesOf(block), size_t(block.size()));
        EXPECT_EQ(udat.parse(), expected++);
        EXPECT_EQ(udat.check(), 1);
    }
}

TEST(PVEXUDATTest, SubBoxHeadersBeyondTheBlockAreNotFound)
{
    const QByteArray full = udatBox(Telemetry::drive(2));
    PVEXUDAT udat;
    // Cut inside the sensor header, inside the position header, inside the time header.
    const int sensorHeader = 8 + (8 + 8) + (8 + 256);
    const std::pair<int, int> cuts[] = {{sensorHeader + 7, 4}, {8 + 16 + 3, 3}, {12, 2}};
    for (auto [length, code] : cuts) {
        udat.setData(bytesOf(full), size_t(length));
        EXPECT_EQ(udat.parse(), code) << length;
    }
    // A time box size near 4 GiB must not wrap around to a small offset.
    QByteArray huge = full;
    huge.replace(8, 4, bigEndian32(0xFFFFFFF8u));
    udat.setData(bytesOf(huge), size_t(huge.size()));
    EXPECT_EQ(udat.parse(), PVEXUDAT::ParseNoGpsBox);
}

TEST(PVEXUDATTest, RecordsOutsideTheCopyOrTheUdatBoxAreNull)
{
    // The count claims more records than the boxes hold.
    const QByteArray block = udatBox(Telemetry::drive(2));
    PVEXUDAT udat;
    udat.setData(bytesOf(block), size_t(block.size()));
    ASSERT_EQ(udat.check(), 0);
    udat.setRecordCount(1000);
    EXPECT_NE(udat.sensorRecord(1), nullptr);
    EXPECT_EQ(udat.sensorRecord(2), nullptr);
    EXPECT_EQ(udat.timeRecord(1000 - 1), nullptr);
    // Time records are not held to their own box: index 2 reads on into the position box.
    EXPECT_NE(udat.timeRecord(2), nullptr);

    // Position records are held to the "udat" size field even where the copy runs on.
    QByteArray shortBox = block + QByteArray(1024, 'x');
    shortBox.replace(0, 4, bigEndian32(8 + 16 + 8 + 128));
    udat.setData(bytesOf(shortBox), size_t(shortBox.size()));
    ASSERT_EQ(udat.check(), 0);
    udat.setRecordCount(5);
    EXPECT_NE(udat.gpsRecord(0), nullptr);
    EXPECT_EQ(udat.gpsRecord(1), nullptr);
}
