#include "recording/TopLevelBoxes.h"

#include "support/RecordingBuilder.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace recording;
using namespace testsupport;

namespace {

std::span<const uint8_t> spanOf(const QByteArray& bytes)
{
    return {reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
}

struct Walk
{
    std::vector<TopBox> boxes;
    TopLevelBoxes::Stop stop = TopLevelBoxes::Stop::None;

    std::string types() const
    {
        std::string text;
        for (const TopBox& box : boxes)
            text += std::string(box.type, 4) + (box.cut ? "!" : box.damaged ? "?" : "") + ' ';
        return text;
    }
};

Walk walk(TopLevelBoxes& boxes)
{
    Walk result;
    for (TopBox box; boxes.next(box);)
        result.boxes.push_back(box);
    result.stop = boxes.stop();
    return result;
}

// Walks the bytes in memory and through a device, which must agree box for box.
Walk walk(const QByteArray& bytes, uint32_t firstSizeXor = 0)
{
    TopLevelBoxes inMemory(spanOf(bytes), firstSizeXor);
    const Walk memory = walk(inMemory);
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    TopLevelBoxes onDevice(buffer, firstSizeXor);
    const Walk device = walk(onDevice);
    EXPECT_EQ(memory.types(), device.types());
    EXPECT_EQ(memory.stop, device.stop);
    for (size_t i = 0; i < std::min(memory.boxes.size(), device.boxes.size()); ++i) {
        EXPECT_EQ(memory.boxes[i].offset, device.boxes[i].offset);
        EXPECT_EQ(memory.boxes[i].size, device.boxes[i].size);
        EXPECT_EQ(memory.boxes[i].headerLength, device.boxes[i].headerLength);
    }
    return memory;
}

QByteArray largeBox(const char* type, const QByteArray& contents, uint64_t size)
{
    return bigEndian32(1) + QByteArray(type, 4) + bigEndian32(uint32_t(size >> 32))
        + bigEndian32(uint32_t(size)) + contents;
}

using Stop = TopLevelBoxes::Stop;

} // namespace

TEST(TopLevelBoxesTest, ARecordingBoxByBox)
{
    // The video box is larger than the device's window of headers, so the walk seeks past it.
    const QByteArray bytes = RecordingBuilder()
                                 .ftyp()
                                 .mdat(200000)
                                 .raw(box("moov", box("mvhd", QByteArray(100, 1))))
                                 .udat(Telemetry::drive(2))
                                 .evti({"2025/06/14 14:24:59"})
                                 .bytes();
    const Walk w = walk(bytes);
    EXPECT_EQ(w.types(), "ftyp mdat moov udat EVTI ");
    EXPECT_EQ(w.stop, Stop::EndOfData);
    EXPECT_EQ(w.boxes[1].offset, 32u);
    EXPECT_EQ(w.boxes[1].contentStart(), 40u);
    EXPECT_EQ(w.boxes[1].size, 200008u);
    EXPECT_EQ(w.boxes.back().end(uint64_t(bytes.size())), uint64_t(bytes.size()));

    // The boxes inside the index, by the same rules and with the file's offsets.
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    TopLevelBoxes top(buffer);
    TopBox moov;
    ASSERT_TRUE(top.find("moov", moov));
    TopLevelBoxes children(buffer, moov.contentStart(), moov.end(top.fileSize()));
    TopBox mvhd;
    ASSERT_TRUE(children.find("mvhd", mvhd));
    EXPECT_EQ(mvhd.offset, moov.contentStart());
    EXPECT_EQ(mvhd.size, 108u);
    EXPECT_FALSE(children.next(mvhd));
    EXPECT_EQ(children.stop(), Stop::EndOfData);
}

TEST(TopLevelBoxesTest, SizesZeroAndOneAndBoxesTheFileCuts)
{
    // Size 0: the box runs to the end of the file, and is the last.
    const QByteArray open
        = RecordingBuilder().ftyp().raw(box("mdat", QByteArray(500, 'v'), 0)).bytes();
    Walk w = walk(open);
    ASSERT_EQ(w.types(), "ftyp mdat ");
    EXPECT_TRUE(w.boxes[1].toEnd);
    EXPECT_EQ(w.boxes[1].size, 508u);
    EXPECT_FALSE(w.boxes[1].cut);

    // Size 1: the 64-bit size after the type, a 16-byte header.
    const QByteArray wide = RecordingBuilder()
                                .ftyp()
                                .raw(largeBox("mdat", QByteArray(100, 'v'), 116))
                                .udat(Telemetry::drive(1))
                                .bytes();
    w = walk(wide);
    ASSERT_EQ(w.types(), "ftyp mdat udat ");
    EXPECT_EQ(w.boxes[1].headerLength, 16u);
    EXPECT_EQ(w.boxes[1].contentStart(), 32u + 16);
    EXPECT_EQ(w.boxes[2].offset, 32u + 116);

    // A size beyond the file: the box is cut, and what follows cannot be found.
    const QByteArray cut
        = RecordingBuilder().ftyp().raw(box("mdat", QByteArray(100, 'v'), 1 << 30)).bytes();
    w = walk(cut);
    ASSERT_EQ(w.types(), "ftyp mdat! ");
    EXPECT_EQ(w.boxes[1].end(uint64_t(cut.size())), uint64_t(cut.size()));
    EXPECT_EQ(w.stop, Stop::EndOfData);
    EXPECT_EQ(walk(RecordingBuilder().ftyp().raw(largeBox("mdat", {}, ~0ull)).bytes()).types(),
        "ftyp mdat! ");
}

TEST(TopLevelBoxesTest, DamageEndsTheWalk)
{
    const QByteArray udat = udatBox(Telemetry::drive(1));
    // A size below its header (2..7, or a 64-bit size below 16) cannot be a box.
    for (uint32_t size : {2u, 4u, 7u}) {
        const Walk w = walk(RecordingBuilder().ftyp().raw(box("free", {}, size)).raw(udat).bytes());
        EXPECT_EQ(w.types(), "ftyp free? ") << size;
        EXPECT_EQ(w.stop, Stop::Damaged);
    }
    EXPECT_EQ(walk(RecordingBuilder().ftyp().raw(largeBox("free", {}, 8)).raw(udat).bytes()).stop,
        Stop::Damaged);
    // The 64-bit form whose size the file ends inside.
    const QByteArray headerCut = RecordingBuilder().ftyp().raw(largeBox("mdat", {}, 100)).bytes();
    EXPECT_EQ(walk(headerCut.left(headerCut.size() - 3)).types(), "ftyp mdat? ");
    // Zeros or noise after the last box: no type, no box.
    Walk w = walk(RecordingBuilder().ftyp().mdat(10).raw(QByteArray(64, '\0')).bytes());
    EXPECT_EQ(w.types(), "ftyp mdat ");
    EXPECT_EQ(w.stop, Stop::NotABox);
    // Fewer than 8 bytes left, and nothing at all.
    w = walk(RecordingBuilder().ftyp().raw("abc").bytes());
    EXPECT_EQ(w.types(), "ftyp ");
    EXPECT_EQ(w.stop, Stop::EndOfData);
    EXPECT_EQ(walk(QByteArray()).stop, Stop::EndOfData);
}

TEST(TopLevelBoxesTest, TheScrambledFirstBox)
{
    // Its size is XORed with the key and its type is no "ftyp" (here not even printable);
    // later sizes are plain.
    const uint32_t key = 0x5A5A1234;
    QByteArray bytes = box("\x01\x02\x03\x04", QByteArray(20, 's')) + udatBox(Telemetry::drive(1));
    bytes.replace(0, 4, bigEndian32(28 ^ key));
    const Walk w = walk(bytes, key);
    ASSERT_EQ(w.boxes.size(), 2u);
    EXPECT_EQ(w.boxes[0].size, 28u);
    EXPECT_TRUE(w.boxes[1].is("udat"));
    EXPECT_EQ(walk(bytes).stop, Stop::NotABox) << "without the key it is no box";
}

// Random files of valid and broken boxes: the walk never reports a box outside the file, each
// box starts where the one before ended, and memory and device agree.
TEST(TopLevelBoxesTest, RandomStructures)
{
    std::mt19937 random(20250614);
    const char* types[] = {"ftyp", "mdat", "moov", "free", "udat", "EVTI", "\0\0\0\0"};
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes;
        const int count = int(random() % 6);
        for (int i = 0; i < count; ++i) {
            const QByteArray contents(int(random() % 40), char(random()));
            const char* type = types[random() % 7];
            switch (random() % 8) {
            case 0:
                bytes += box(type, contents, int64_t(random() % 12)); // 0..11
                break;
            case 1:
                bytes += largeBox(type, contents, random() % 80);
                break;
            case 2:
                bytes += box(type, contents, int64_t(random() % 200));
                break;
            default:
                bytes += box(type, contents);
            }
        }
        bytes.chop(int(random() % 3));
        const Walk w = walk(bytes);
        uint64_t expected = 0;
        for (const TopBox& box : w.boxes) {
            EXPECT_EQ(box.offset, expected) << round;
            EXPECT_LT(box.offset, uint64_t(bytes.size())) << round;
            EXPECT_LE(box.end(uint64_t(bytes.size())), uint64_t(bytes.size())) << round;
            EXPECT_TRUE(box.damaged || box.size >= box.headerLength) << round;
            expected = box.offset + box.size;
        }
        EXPECT_NE(w.stop, Stop::None);
    }
}
