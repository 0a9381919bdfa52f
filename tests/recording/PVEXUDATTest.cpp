#include "recording/PVEXUDAT.h"

#include "support/RecordingBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace testsupport;

namespace {

const uint8_t* bytesOf(const QByteArray& block)
{
    return reinterpret_cast<const uint8_t*>(block.constData());
}

// A box in the 64-bit size form: size field 1, the type, then the size in 8 bytes.
QByteArray largeBox(const char* type, const QByteArray& contents)
{
    const uint64_t size = 16 + uint64_t(contents.size());
    return bigEndian32(1) + QByteArray(type, 4) + bigEndian32(uint32_t(size >> 32))
        + bigEndian32(uint32_t(size)) + contents;
}

// The "udat" block of the telemetry with every box, or only the chosen ones, in the 64-bit form.
QByteArray udatWithLargeBoxes(const Telemetry& t, bool udat, bool subBoxes)
{
    const QByteArray plain = udatBox(t);
    // Take the three sub-boxes apart again: their sizes are those of the plain block.
    QByteArray inner = plain.mid(8);
    QByteArray rebuilt;
    while (!inner.isEmpty()) {
        const uint32_t size = uint32_t(uint8_t(inner[0])) << 24 | uint32_t(uint8_t(inner[1])) << 16
            | uint32_t(uint8_t(inner[2])) << 8 | uint32_t(uint8_t(inner[3]));
        const QByteArray type = inner.mid(4, 4);
        const QByteArray contents = inner.mid(8, size - 8);
        rebuilt += subBoxes ? largeBox(type.constData(), contents) : inner.left(size);
        inner.remove(0, size);
    }
    return udat ? largeBox("udat", rebuilt) : box("udat", rebuilt);
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
    // Each kind is held to its own box: index 2 would read on into the position box.
    EXPECT_NE(udat.timeRecord(1), nullptr);
    EXPECT_EQ(udat.timeRecord(2), nullptr);
    EXPECT_EQ(udat.gpsRecord(2), nullptr);

    // Position records are held to the "udat" size field even where the copy runs on.
    QByteArray shortBox = block + QByteArray(1024, 'x');
    shortBox.replace(0, 4, bigEndian32(8 + 16 + 8 + 128));
    udat.setData(bytesOf(shortBox), size_t(shortBox.size()));
    ASSERT_EQ(udat.check(), 0);
    udat.setRecordCount(5);
    EXPECT_NE(udat.gpsRecord(0), nullptr);
    EXPECT_EQ(udat.gpsRecord(1), nullptr);
}

// A sensor box with fewer samples than there are time records: the samples it lacks are not
// taken from whatever follows it in the copy (the next box, read as accelerations of 1e22 G).
TEST(PVEXUDATTest, ShortSensorBoxAnswersOnlyItsOwnSamples)
{
    Telemetry t = Telemetry::drive(5);
    t.samples.resize(2);
    const QByteArray block
        = udatBox(t) + box("EVTI", QByteArray(256, '\x65')) + QByteArray(64, '\x7f');
    PVEXUDAT udat;
    udat.setData(bytesOf(block), size_t(block.size()));
    ASSERT_EQ(udat.check(), 0);
    udat.setRecordCount(udat.timeRecordCapacity());
    EXPECT_EQ(udat.recordCount, 5u);
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_NE(udat.timeRecord(i), nullptr) << i;
        EXPECT_NE(udat.gpsRecord(i), nullptr) << i;
        EXPECT_EQ(udat.sensorRecord(i) != nullptr, i < 2) << i;
    }
    float x = 0;
    std::memcpy(&x, udat.sensorRecord(1), 4);
    EXPECT_FLOAT_EQ(x, 0.01f);

    // A position box that claims more than the "udat" box holds is held to the "udat" box, and a
    // sensor box claiming past the copy to the copy's end.
    QByteArray overlong = udatBox(Telemetry::drive(3));
    const int sensorAt = 8 + (8 + 12) + (8 + 3 * 128);
    overlong.replace(sensorAt, 4, bigEndian32(0x7FFFFFFF));
    udat.setData(bytesOf(overlong), size_t(overlong.size()));
    ASSERT_EQ(udat.check(), 0);
    udat.setRecordCount(100);
    EXPECT_NE(udat.sensorRecord(2), nullptr);
    EXPECT_EQ(udat.sensorRecord(3), nullptr);
}

// Every box may come in the 64-bit size form; the records are those of the 32-bit form.
TEST(PVEXUDATTest, SixtyFourBitBoxSizesGiveTheSameRecords)
{
    const Telemetry t = Telemetry::drive(4);
    const QByteArray plain = udatBox(t);
    PVEXUDAT reference;
    reference.setData(bytesOf(plain), size_t(plain.size()));
    ASSERT_EQ(reference.check(), 0);
    reference.setRecordCount(4);
    using Forms = std::vector<std::pair<bool, bool>>;
    for (const auto& [outer, inner] : Forms{{true, false}, {false, true}, {true, true}}) {
        const QByteArray block = udatWithLargeBoxes(t, outer, inner);
        PVEXUDAT udat;
        udat.setData(bytesOf(block), size_t(block.size()));
        ASSERT_EQ(udat.check(), 0) << outer << inner;
        EXPECT_EQ(udat.timeRecordCapacity(), 4u);
        EXPECT_EQ(udat.gpsSize, inner ? 16u + 4 * 128 : 8u + 4 * 128);
        udat.setRecordCount(4);
        for (uint32_t i = 0; i < 5; ++i) {
            const std::pair<const uint8_t*, const uint8_t*> records[] = {
                {udat.timeRecord(i), reference.timeRecord(i)},
                {udat.gpsRecord(i), reference.gpsRecord(i)},
                {udat.sensorRecord(i), reference.sensorRecord(i)}};
            int size = 4;
            for (const auto& [got, expected] : records) {
                ASSERT_EQ(got == nullptr, expected == nullptr) << i;
                if (got) {
                    EXPECT_EQ(std::memcmp(got, expected, size_t(size)), 0) << i;
                }
                size = size == 4 ? 128 : 12;
            }
        }
    }
    // A 64-bit size whose 8 bytes the block does not hold: the box is not found.
    const QByteArray cut = udatWithLargeBoxes(t, false, true).left(8 + 12);
    PVEXUDAT udat;
    udat.setData(bytesOf(cut), size_t(cut.size()));
    EXPECT_EQ(udat.parse(), PVEXUDAT::ParseNoTimeBox);
}
