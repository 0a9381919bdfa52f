#include "recording/EventIndex.h"

#include "recording/RecordingName.h"
#include "support/RecordingBuilder.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace recording;
using namespace testsupport;

namespace {

std::span<const uint8_t> spanOf(const QByteArray& bytes)
{
    return {reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
}

// The index of a whole file, by the rule of where the camera writes it.
EventIndex loaded(const QByteArray& bytes)
{
    EventIndex state;
    loadEventRecords(spanOf(bytes), state);
    return state;
}

// The records of one box, wherever it is.
EventIndex boxLoaded(const QByteArray& box)
{
    EventIndex state;
    loadEventBox(spanOf(box), state);
    return state;
}

EventIndex withEvents(const QList<QByteArray>& texts)
{
    return boxLoaded(evtiBox(texts));
}

// An event recording as the camera writes it: its index after its telemetry block.
RecordingBuilder& eventRecording(RecordingBuilder& builder, int mediaBytes = 100)
{
    return builder.ftyp()
        .mdat(mediaBytes)
        .raw(box("moov", box("mvhd", QByteArray(100, 1))))
        .udat(Telemetry::drive(2));
}

QDateTime at(int h, int m, int s, int day = 1)
{
    return QDateTime(QDate(2024, 5, day), QTime(h, m, s), Qt::UTC);
}

// Counts what is read, to hold the loader to box headers and the bytes after the block.
class CountingBuffer : public QBuffer
{
public:
    using QBuffer::QBuffer;
    qint64 bytesRead = 0;

protected:
    qint64 readData(char* data, qint64 length) override
    {
        const qint64 got = QBuffer::readData(data, length);
        bytesRead += std::max<qint64>(got, 0);
        return got;
    }
};

} // namespace

TEST(EventIndexTest, OnlyWhereTheCameraWritesIt)
{
    RecordingBuilder camera;
    eventRecording(camera).evti({"2024/05/01 12:00:01", "2024/05/01 12:00:09"});
    const EventIndex state = loaded(camera.bytes());
    ASSERT_TRUE(state.loaded);
    EXPECT_EQ(state.count, 2);
    EXPECT_EQ(state.recordText(1), "2024/05/01 12:00:09");
    EXPECT_TRUE(findEventBox(spanOf(camera.bytes())));
    // After the movie index of a recording without a telemetry block.
    EXPECT_EQ(loaded(RecordingBuilder()
                         .ftyp()
                         .mdat(100)
                         .raw(box("moov", {}))
                         .evti({"2024/05/01 12:00:01"})
                         .bytes())
                  .count,
        1);
    // Nowhere else: not at the file's start, not in the media data, not before the block.
    EXPECT_FALSE(loaded(evtiBox({"2024/05/01 12:00:01"})).loaded);
    EXPECT_FALSE(loaded(RecordingBuilder().ftyp().mdat(100).evti({"a"}).bytes()).loaded);
    EXPECT_FALSE(loaded(
        RecordingBuilder().ftyp().evti({"2024/05/01 12:00:01"}).udat(Telemetry::drive(1)).bytes())
                     .loaded);
    EXPECT_FALSE(loaded(QByteArray("....EVT")).loaded);
    EXPECT_FALSE(loaded({}).loaded);

    // Behind bytes that are no box, on the 4-byte grid of the file only.
    RecordingBuilder onGrid;
    eventRecording(onGrid).raw("noise...").evti({"2024/05/01 12:00:01"});
    EXPECT_EQ(loaded(onGrid.bytes()).count, 1);
    RecordingBuilder offGrid;
    eventRecording(offGrid).raw("noise").evti({"2024/05/01 12:00:01"});
    EXPECT_FALSE(loaded(offGrid.bytes()).loaded);
    // A box the walk reaches is the index wherever it lies.
    RecordingBuilder reached;
    eventRecording(reached, 101).evti({"2024/05/01 12:00:01"});
    EXPECT_EQ(loaded(reached.bytes()).count, 1);
}

// Four bytes "EVTI" in the picture data, on the 4-byte grid, were taken for the index: thousands
// of garbage events, and the real one lost.
TEST(EventIndexTest, TheLettersInThePictureDataAreNoIndex)
{
    QByteArray media(64 * 1024, 'v');
    media.replace(4096 - 4, 8, QByteArray("\x7f\xff\xff\xff" "EVTI", 8));
    RecordingBuilder recording;
    recording.ftyp()
        .raw(box("mdat", media))
        .raw(box("moov", {}))
        .udat(Telemetry::drive(2))
        .evti({"2024/05/01 12:00:01"});
    const EventIndex state = loaded(recording.bytes());
    ASSERT_TRUE(state.loaded);
    EXPECT_EQ(state.count, 1);
    EXPECT_EQ(state.recordText(0), "2024/05/01 12:00:01");

    // From a file: the box headers and the bytes after the block, never the media data.
    QByteArray big = RecordingBuilder().ftyp().mdat(8 << 20).bytes()
        + RecordingBuilder().raw(box("moov", {})).udat(Telemetry::drive(60)).evti({"x"}).bytes();
    CountingBuffer device(&big);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    EventIndex fromDevice;
    ASSERT_TRUE(loadEventRecords(device, fromDevice));
    EXPECT_EQ(fromDevice.count, 1);
    EXPECT_LT(device.bytesRead, 256 * 1024);
}

TEST(EventIndexTest, SizeRules)
{
    const EventIndex empty = boxLoaded(evtiBox({}));
    EXPECT_TRUE(empty.loaded);
    EXPECT_EQ(empty.count, 0);
    for (uint32_t size : {0u, 7u})
        EXPECT_FALSE(boxLoaded(evtiBox({"2024/05/01 12:00:01"}, size)).loaded) << size;
    // Trailing bytes that do not fill a record are ignored.
    EXPECT_EQ(boxLoaded(evtiBox({"a", "b"}, 8 + 2 * 256 - 1)).count, 1);
    // A size claiming more records than the file holds: only records the file reaches.
    QByteArray cut = evtiBox({"2024/05/01 12:00:01", "2024/05/01 12:00:02"}, 0x7FFFFFFF);
    cut.chop(200);
    const EventIndex partial = boxLoaded(cut);
    EXPECT_EQ(partial.count, 2);
    EXPECT_EQ(partial.records.size(), 512u);
    EXPECT_EQ(partial.recordText(1), "2024/05/01 12:00:02");
    // A record without its NUL ends at the record's end.
    const EventIndex full = boxLoaded(evtiBox({QByteArray(300, 'x')}));
    EXPECT_EQ(full.recordText(0).size(), 256u);
    // In a file, a damaged size claiming the rest of the file.
    RecordingBuilder claimed;
    eventRecording(claimed).raw(cut);
    EXPECT_EQ(loaded(claimed.bytes()).count, 2);
}

TEST(EventIndexTest, BoxInTheSixtyFourBitForm)
{
    // Size field 1, the type, then the size in 8 bytes: the records start 16 bytes in.
    const QByteArray records = evtiBox({"2024/05/01 12:00:01", "2024/05/01 12:00:09"}).mid(8);
    const auto large = [&records](uint64_t size) {
        return bigEndian32(1) + "EVTI" + bigEndian32(uint32_t(size >> 32))
            + bigEndian32(uint32_t(size)) + records;
    };
    RecordingBuilder builder;
    const QByteArray bytes = eventRecording(builder).raw(large(16 + 512)).bytes();
    const EventIndex state = loaded(bytes);
    ASSERT_TRUE(state.loaded);
    EXPECT_EQ(state.count, 2);
    EXPECT_EQ(state.recordText(1), "2024/05/01 12:00:09");
    QTemporaryDir dir;
    const QString path = dir.filePath("evt_20240501_120000.mp4");
    ASSERT_TRUE(RecordingBuilder().raw(bytes).writeTo(path));
    EventIndex fromFile;
    ASSERT_TRUE(loadEventRecords(path, fromFile));
    EXPECT_EQ(fromFile.count, 2);
    EXPECT_EQ(fromFile.records, state.records);

    // A 64-bit size below its own 16-byte header, or one the data cuts off, loads nothing.
    EXPECT_FALSE(boxLoaded(large(12)).loaded);
    EXPECT_FALSE(boxLoaded(large(0)).loaded);
    EXPECT_FALSE(boxLoaded(bigEndian32(1) + "EVTI").loaded);
}

TEST(EventIndexTest, LoadsFromAFileAndReplacesEarlierRecords)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("evt_20240501_120000.mp4");
    RecordingBuilder builder;
    ASSERT_TRUE(eventRecording(builder, 4000).evti({"2024/05/01 12:00:05"}).writeTo(path));
    EventIndex state = withEvents({"x", "y", "z"});
    ASSERT_TRUE(loadEventRecords(path, state));
    EXPECT_TRUE(state.loaded);
    EXPECT_EQ(state.count, 1);
    EXPECT_EQ(state.records.size(), 256u);
    EXPECT_FALSE(loadEventRecords(dir.filePath("evt_missing.mp4"), state));
    EXPECT_FALSE(state.loaded);
    EXPECT_FALSE(QFile::exists(dir.filePath("evt_missing.mp4")));
}

TEST(EventIndexTest, MarkersAtTheRealSecondsFromTheStart)
{
    // Start 12:34:50, 60 s long, event at 12:35:10: the marker lands at x 158.
    EXPECT_EQ(eventMarkerPositions(withEvents({"2024/05/01 12:35:10"}), at(12, 34, 50), 60),
        std::vector<int>{158});
    // Same minute, and across an hour and midnight, where HHMMSS differences go wrong.
    EXPECT_EQ(eventMarkerPositions(withEvents({"2024/05/01 12:34:59"}), at(12, 34, 50), 60),
        std::vector<int>{44 + 9 * 342 / 60});
    EXPECT_EQ(eventMarkerPositions(withEvents({"2024/05/01 13:00:20"}), at(12, 59, 50), 60),
        std::vector<int>{44 + 30 * 342 / 60});
    EXPECT_EQ(eventMarkerPositions(withEvents({"2024/05/02 00:00:10"}), at(23, 59, 50), 60),
        std::vector<int>{44 + 20 * 342 / 60});
    // The end of the recording is the right end of the scale.
    EXPECT_EQ(eventMarkerPositions(withEvents({"2024/05/01 12:01:00"}), at(12, 0, 0), 60),
        std::vector<int>{44 + 342});
}

TEST(EventIndexTest, StartSecondSkipsEarlierEventEndsAndUndatedRecordsAreSkipped)
{
    const EventIndex events = withEvents({"2024/05/01 12:00:00", "no date here",
        "G-sensor 2024/05/01 12:00:30 2.1G", "2024/05/01 11:59:59", "2024/05/01 12:00:40"});
    EXPECT_EQ(eventMarkerPositions(events, at(12, 0, 0), 60), std::vector<int>{44 + 171});
    EXPECT_TRUE(eventMarkerPositions(events, at(12, 0, 0), 0).empty());
    EXPECT_TRUE(eventMarkerPositions(events, std::nullopt, 60).empty());
    EventIndex notLoaded = events;
    notLoaded.loaded = false;
    EXPECT_TRUE(eventMarkerPositions(notLoaded, at(12, 0, 0), 60).empty());
    EXPECT_FALSE(eventMoment("2024/13/01 12:00:00"));
    EXPECT_FALSE(eventMoment("2024/05/01 12:0"));
    EXPECT_FALSE(eventMoment("24/05/01 12:00:00"));
}

TEST(EventIndexTest, MarkersFromARecordingPath)
{
    const auto start = recordingStart(QStringLiteral("/media/card_1/evt_20240501_123450.mp4"));
    EXPECT_EQ(eventMarkerPositions(withEvents({"2024/05/01 12:35:10"}), start, 60),
        std::vector<int>{158});
}

// The file, the whole file in memory and the telemetry block's copy find the same index,
// whatever lies around it.
TEST(EventIndexTest, FileMemoryAndBlockAgree)
{
    std::mt19937 random(1406);
    for (int round = 0; round < 300; ++round) {
        QByteArray media(int(random() % 64) * 4 + int(random() % 4), 'v');
        if (media.size() >= 8 && random() % 2)
            media.replace(int(random() % (media.size() - 7)) & ~3, 4, "EVTI");
        RecordingBuilder builder;
        builder.ftyp().raw(box("mdat", media)).raw(box("moov", {})).udat(Telemetry::drive(1));
        if (random() % 2)
            builder.raw(QByteArray(int(random() % 9), 'n'));
        if (random() % 4)
            builder.evti({QByteArray::number(round)});
        if (random() % 3 == 0)
            builder.raw(QByteArray(int(random() % 9), 't'));
        QByteArray bytes = builder.bytes();
        const EventIndex whole = loaded(bytes);
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EventIndex fromDevice;
        ASSERT_TRUE(loadEventRecords(buffer, fromDevice));
        const qsizetype udat = bytes.indexOf("udat") - 4;
        EventIndex fromBlock;
        loadEventRecordsFromBlock(spanOf(bytes).subspan(size_t(udat)), uint64_t(udat), fromBlock);
        for (const EventIndex* other : {&fromDevice, &fromBlock}) {
            EXPECT_EQ(whole.loaded, other->loaded) << round;
            EXPECT_EQ(whole.records, other->records) << round;
        }
        if (whole.loaded) {
            ASSERT_GE(whole.count, 1) << round;
            EXPECT_EQ(whole.recordText(0), QByteArray::number(round).toStdString()) << round;
        }
    }
}
