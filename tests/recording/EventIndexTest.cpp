#include "recording/EventIndex.h"

#include "recording/RecordingName.h"
#include "support/RecordingBuilder.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace recording;
using namespace testsupport;

namespace {

std::span<const uint8_t> spanOf(const QByteArray& bytes)
{
    return {reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
}

EventIndex loaded(const QByteArray& bytes)
{
    EventIndex state;
    loadEventRecords(spanOf(bytes), state);
    return state;
}

EventIndex withEvents(const QList<QByteArray>& texts)
{
    return loaded(RecordingBuilder().ftyp().evti(texts).bytes());
}

QDateTime at(int h, int m, int s, int day = 1)
{
    return QDateTime(QDate(2024, 5, day), QTime(h, m, s), Qt::UTC);
}

} // namespace

TEST(EventIndexTest, BoxIsFoundAtZeroOrAtMultiplesOfFour)
{
    const EventIndex atZero = loaded(evtiBox({"2024/05/01 12:00:01"}));
    EXPECT_TRUE(atZero.loaded);
    EXPECT_EQ(atZero.count, 1);
    EXPECT_EQ(atZero.recordText(0), "2024/05/01 12:00:01");

    const QByteArray aligned = RecordingBuilder().ftyp().mdat(100).evti({"a", "b"}).bytes();
    EXPECT_EQ(findEventBox(spanOf(aligned)), size_t(32 + 108));
    EXPECT_EQ(loaded(aligned).count, 2);
    EXPECT_FALSE(loaded(RecordingBuilder().ftyp().mdat(101).evti({"a"}).bytes()).loaded)
        << "a box off the 4-byte grid is not found";
    EXPECT_FALSE(loaded(QByteArray("....EVT")).loaded);
    EXPECT_FALSE(loaded({}).loaded);
}

TEST(EventIndexTest, SizeRules)
{
    const EventIndex empty = loaded(evtiBox({}));
    EXPECT_TRUE(empty.loaded);
    EXPECT_EQ(empty.count, 0);
    for (uint32_t size : {0u, 7u})
        EXPECT_FALSE(loaded(evtiBox({"2024/05/01 12:00:01"}, size)).loaded) << size;
    // Trailing bytes that do not fill a record are ignored.
    EXPECT_EQ(loaded(evtiBox({"a", "b"}, 8 + 2 * 256 - 1)).count, 1);
    // A size claiming more records than the file holds: only records the file reaches.
    QByteArray cut = evtiBox({"2024/05/01 12:00:01", "2024/05/01 12:00:02"}, 0x7FFFFFFF);
    cut.chop(200);
    const EventIndex partial = loaded(cut);
    EXPECT_EQ(partial.count, 2);
    EXPECT_EQ(partial.records.size(), 512u);
    EXPECT_EQ(partial.recordText(1), "2024/05/01 12:00:02");
    // A record without its NUL ends at the record's end.
    const EventIndex full = loaded(evtiBox({QByteArray(300, 'x')}));
    EXPECT_EQ(full.recordText(0).size(), 256u);
}

TEST(EventIndexTest, BoxInTheSixtyFourBitForm)
{
    // Size field 1, the type, then the size in 8 bytes: the records start 16 bytes in.
    const QByteArray records = evtiBox({"2024/05/01 12:00:01", "2024/05/01 12:00:09"}).mid(8);
    const auto large = [&records](uint64_t size) {
        return bigEndian32(1) + "EVTI" + bigEndian32(uint32_t(size >> 32))
            + bigEndian32(uint32_t(size)) + records;
    };
    const QByteArray bytes = RecordingBuilder().ftyp().raw(large(16 + 512)).bytes();
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
    EXPECT_FALSE(loaded(RecordingBuilder().ftyp().raw(large(12)).bytes()).loaded);
    EXPECT_FALSE(loaded(RecordingBuilder().ftyp().raw(large(0)).bytes()).loaded);
    EXPECT_FALSE(loaded(RecordingBuilder().ftyp().raw(bigEndian32(1) + "EVTI").bytes()).loaded);
}

TEST(EventIndexTest, LoadsFromAFileAndReplacesEarlierRecords)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("evt_20240501_120000.mp4");
    ASSERT_TRUE(RecordingBuilder().ftyp().mdat(4000).evti({"2024/05/01 12:00:05"}).writeTo(path));
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

TEST(EventIndexTest, ChunkedSearchFindsWhatTheWholeScanFinds)
{
    for (int filler = 0; filler < 70; ++filler) {
        // A decoy type off the 4-byte grid, then the real box at `filler`.
        QByteArray bytes = QByteArray(filler, 'x') + evtiBox({"2024/05/01 12:00:01"});
        if (filler > 12)
            bytes.replace(filler - 11, 4, "EVTI");
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        for (qint64 chunk : {4, 8, 16, 20, 1 << 20}) {
            const std::optional<size_t> whole = findEventBox(spanOf(bytes));
            const std::optional<qint64> chunked = findEventBox(buffer, chunk);
            ASSERT_EQ(whole.has_value(), chunked.has_value()) << filler << " " << chunk;
            if (whole) {
                EXPECT_EQ(qint64(*whole), *chunked) << filler << " " << chunk;
            }
        }
    }
}
