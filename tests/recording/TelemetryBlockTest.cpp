#include "recording/TelemetryBlock.h"

#include "platform/Dialogs.h"
#include "platform/Exit.h"
#include "recording/PVEXUDAT.h"
#include "resources/Strings.h"
#include "support/RecordingBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace recording;
using namespace testsupport;

namespace {

class TelemetryBlockTest : public ::testing::Test
{
protected:
    QByteArray write(const QByteArray& bytes, const QString& name = QStringLiteral("drf_1.mp4"))
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path.toLocal8Bit();
    }

    // Reads with both readers and insists that they agree.
    int read(const QByteArray& path, int view = 0, uint32_t key = 0)
    {
        std::vector<uint8_t> whole;
        const int reference = readTelemetryBlockWholeFile(path, view, key, whole, {});
        block.assign(7, 0xAB); // any earlier copy
        const int code = readTelemetryBlock(path, view, key, block, {});
        EXPECT_EQ(code, reference);
        if (code == kBlockFound) {
            EXPECT_EQ(block, whole);
        }
        return code;
    }

    QByteArray blockBytes() const
    {
        return QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size()));
    }

    QTemporaryDir m_dir;
    std::vector<uint8_t> block;
};

// A box in the 64-bit size form: size field 1, the type, then the size in 8 bytes.
QByteArray largeBox(const char* type, const QByteArray& contents, uint64_t sizeOverride = 0)
{
    const uint64_t size = sizeOverride ? sizeOverride : 16 + uint64_t(contents.size());
    return bigEndian32(1) + QByteArray(type, 4) + bigEndian32(uint32_t(size >> 32))
        + bigEndian32(uint32_t(size)) + contents;
}

} // namespace

TEST_F(TelemetryBlockTest, CopiesFromTheUdatBoxToTheEndOfTheFile)
{
    const QByteArray udat = udatBox(Telemetry::drive(4));
    const QByteArray tail("trailing bytes after the box");
    const QByteArray path
        = write(RecordingBuilder().ftyp().mdat(5000).udat(Telemetry::drive(4)).raw(tail).bytes());
    ASSERT_EQ(read(path), kBlockFound);
    EXPECT_EQ(blockBytes(), udat + tail);

    PVEXUDAT udat4;
    std::atomic<int> noTelemetry{0};
    EXPECT_EQ(loadTelemetry(path, 0, 0, block, udat4, noTelemetry), 0);
    EXPECT_EQ(noTelemetry, 0);
    EXPECT_EQ(udat4.failed, 0);
    EXPECT_EQ(udat4.data, block.data());
    udat4.setRecordCount(4);
    EXPECT_NE(udat4.gpsRecord(3), nullptr);
}

TEST_F(TelemetryBlockTest, FailureCodesAndNoTelemetry)
{
    EXPECT_EQ(read(QByteArray()), kNoFileName);
    const QByteArray missing = m_dir.filePath("evt_missing.mp4").toLocal8Bit();
    EXPECT_EQ(read(missing), kCannotOpen);
    EXPECT_FALSE(QFile::exists(QString::fromLocal8Bit(missing))) << "a read never creates files";
    EXPECT_EQ(read(write({})), kEmptyFile);
    EXPECT_EQ(read(write(RecordingBuilder().ftyp().mdat(100).bytes())), kNoTelemetryBox);
    EXPECT_EQ(read(write(QByteArray("abc"))), kNoTelemetryBox) << "shorter than a header";
    // A box of size 0 runs to the end of the file; size 1 takes its 64-bit size from the bytes
    // after it, which lead off the data; size 7 is no box.
    for (uint32_t size : {0u, 1u, 7u}) {
        const QByteArray bytes = RecordingBuilder()
                                     .ftyp()
                                     .raw(box("free", {}, size))
                                     .udat(Telemetry::drive(1))
                                     .bytes();
        EXPECT_EQ(read(write(bytes)), kNoTelemetryBox) << size;
    }
    // A size below the header's 8 bytes is no box: the walk ends there rather than step into
    // the middle of whatever follows.
    EXPECT_EQ(read(write(
                  RecordingBuilder().ftyp().raw(bigEndian32(4)).udat(Telemetry::drive(1)).bytes())),
        kNoTelemetryBox);
    // A size running past the end of the data.
    EXPECT_EQ(read(write(RecordingBuilder().ftyp().raw(box("mdat", "xx", 1 << 30)).bytes())),
        kNoTelemetryBox);

    // A header that fits exactly: the block is 8 bytes, found, but has no sub-boxes.
    const QByteArray bare = write(RecordingBuilder().ftyp().raw(box("udat", {})).bytes());
    EXPECT_EQ(read(bare), kBlockFound);
    PVEXUDAT udat;
    std::atomic<int> noTelemetry{0};
    EXPECT_EQ(loadTelemetry(bare, 0, 0, block, udat, noTelemetry), kNoSubBoxes);
    EXPECT_EQ(noTelemetry, 1);
    EXPECT_EQ(udat.failed, 1);

    // A failed read detaches the reader: the copy it pointed into may be gone.
    ASSERT_EQ(loadTelemetry(write(RecordingBuilder().ftyp().udat(Telemetry::drive(2)).bytes()), 0,
                  0, block, udat, noTelemetry),
        0);
    EXPECT_EQ(
        loadTelemetry(write({}, "drf_empty.mp4"), 0, 0, block, udat, noTelemetry), kEmptyFile);
    EXPECT_EQ(noTelemetry, 1);
    EXPECT_EQ(udat.failed, 1);
    EXPECT_EQ(udat.data, nullptr);
    udat.setRecordCount(2);
    EXPECT_EQ(udat.gpsRecord(0), nullptr);
}

TEST_F(TelemetryBlockTest, SubBoxesOutOfOrderGive17)
{
    Telemetry t = Telemetry::drive(2);
    const QByteArray blocks[] = {box("udat", box("GPSI", {}) + box("TIME", {}) + box("SENS", {})),
        udatBox(t, "SENS", "GPSI"), udatBox(t, "GPSI", "GPSI")};
    for (const QByteArray& udatBytes : blocks) {
        PVEXUDAT udat;
        std::atomic<int> noTelemetry{0};
        const QByteArray path = write(RecordingBuilder().ftyp().raw(udatBytes).bytes());
        EXPECT_EQ(loadTelemetry(path, 0, 0, block, udat, noTelemetry), kNoSubBoxes);
        EXPECT_EQ(noTelemetry, 1);
    }
}

TEST_F(TelemetryBlockTest, ScrambledFirstSizeOnly)
{
    const uint32_t key = 0x5A17C3E1;
    const QByteArray scrambled = RecordingBuilder()
                                     .raw(box("sc01", QByteArray(40, 'k')))
                                     .mdat(300)
                                     .udat(Telemetry::drive(2))
                                     .scrambleFirstSize(key)
                                     .bytes();
    EXPECT_EQ(read(write(scrambled), 1, key), kBlockFound);
    EXPECT_EQ(blockBytes(), udatBox(Telemetry::drive(2)));
    EXPECT_EQ(read(write(scrambled), 1, key ^ 1), kNoTelemetryBox) << "wrong key";

    // Later sizes are plain: scrambling the second box's size too breaks the walk.
    QByteArray both = scrambled;
    const int second = 48;
    uint32_t plain = 0;
    for (int i = 0; i < 4; ++i)
        plain = (plain << 8) | uint8_t(both[second + i]);
    both.replace(second, 4, bigEndian32(plain ^ key));
    EXPECT_NE(read(write(both), 1, key), kBlockFound);
}

TEST_F(TelemetryBlockTest, ViewModeMismatchShowsTheMessageAndEndsTheProgram)
{
    const QByteArray plain = write(RecordingBuilder().ftyp().udat(Telemetry::drive(1)).bytes());
    const QByteArray scrambled = write(
        RecordingBuilder().raw(box("sc01", {})).udat(Telemetry::drive(1)).bytes(), "drf_2.mp4");
    struct Case
    {
        QByteArray path;
        int view;
        int message;
    };
    for (const Case& c : {Case{scrambled, 0, 114}, Case{plain, 1, 115}}) {
        platform::RecordingMessageBox messages;
        platform::ExitRecorder exits;
        PVEXUDAT udat;
        std::atomic<int> noTelemetry{0};
        try {
            loadTelemetry(c.path, c.view, 0, block, udat, noTelemetry);
            ADD_FAILURE() << "the program did not end";
        } catch (const platform::ExitRequested& exit) {
            EXPECT_EQ(exit.code, 0);
        }
        EXPECT_EQ(messages.texts, QStringList{strings::text(c.message)});
    }
    // A handler that returns gets the mismatch as a result code; files that suit pass.
    int calls = 0;
    const auto count = [&calls](int) { ++calls; };
    EXPECT_EQ(readTelemetryBlock(scrambled, 0, 0, block, count), kViewModeMismatch);
    EXPECT_EQ(readTelemetryBlock(plain, 0, 0, block, count), kBlockFound);
    EXPECT_EQ(calls, 1);
}

TEST_F(TelemetryBlockTest, MjpgPathsAreExemptFromTheFirstCharacterOn)
{
    EXPECT_TRUE(isTelemetryExempt("/card/drf_20240101_120000.mjpg"));
    EXPECT_TRUE(isTelemetryExempt("a.mjpg"));
    EXPECT_FALSE(isTelemetryExempt(".mjpg/drf_20240101_120000.mp4"));
    EXPECT_FALSE(isTelemetryExempt("/card/drf_20240101_120000.mp4"));
}

// The video box of a recording past 4 GB is written in the 64-bit form; the walk reads it as
// the player library does and finds the same block as in the 32-bit form.
TEST_F(TelemetryBlockTest, SixtyFourBitBoxSizes)
{
    const Telemetry t = Telemetry::drive(3);
    const QByteArray payload(5000, 'v');
    const QByteArray narrow = RecordingBuilder().ftyp().raw(box("mdat", payload)).udat(t).bytes();
    const QByteArray wide
        = RecordingBuilder().ftyp().raw(largeBox("mdat", payload)).udat(t).bytes();
    ASSERT_EQ(read(write(narrow)), kBlockFound);
    const std::vector<uint8_t> expected = block;
    ASSERT_EQ(read(write(wide, "drf_2.mp4")), kBlockFound);
    EXPECT_EQ(block, expected);
    PVEXUDAT udat;
    std::atomic<int> noTelemetry{1};
    ASSERT_EQ(loadTelemetry(write(wide, "drf_3.mp4"), 0, 0, block, udat, noTelemetry), 0);
    EXPECT_EQ(noTelemetry, 0);

    // The scrambled first box may be in the 64-bit form too: its size field XORed is 1.
    const uint32_t key = 0x00FF00FF;
    QByteArray scrambled = RecordingBuilder().raw(largeBox("sc01", payload)).udat(t).bytes();
    scrambled.replace(0, 4, bigEndian32(1 ^ key));
    EXPECT_EQ(read(write(scrambled, "drf_4.mp4"), 1, key), kBlockFound);
    EXPECT_EQ(block, expected);

    // A 64-bit size the data does not hold, or one cut off by the end of the file, or one of 0,
    // ends the walk as any box leading off the data does.
    const QByteArray beyond
        = RecordingBuilder().ftyp().raw(largeBox("mdat", payload, 1ull << 40)).udat(t).bytes();
    EXPECT_EQ(read(write(beyond, "drf_5.mp4")), kNoTelemetryBox);
    const QByteArray huge = RecordingBuilder().ftyp().raw(largeBox("mdat", {}, ~0ull)).bytes();
    EXPECT_EQ(read(write(huge, "drf_6.mp4")), kNoTelemetryBox);
    const QByteArray zero = RecordingBuilder()
                                .ftyp()
                                .raw(bigEndian32(1) + "mdat" + QByteArray(8, 0))
                                .udat(t)
                                .bytes();
    EXPECT_EQ(read(write(zero, "drf_7.mp4")), kNoTelemetryBox);
    const QByteArray headerCut = RecordingBuilder().ftyp().raw(largeBox("mdat", {})).bytes();
    EXPECT_EQ(read(write(headerCut.left(headerCut.size() - 3), "drf_8.mp4")), kNoTelemetryBox);
}
