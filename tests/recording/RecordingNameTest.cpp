#include "recording/RecordingName.h"

#include <gtest/gtest.h>

using namespace recording;

TEST(RecordingNameTest, TypeByPrefixAtIndexOneOrLater)
{
    EXPECT_EQ(recordingType("/card/drf_20240501_123450.mp4"), Continuous);
    EXPECT_EQ(recordingType("/card/evt_20240501_123450.mp4"), Event);
    EXPECT_EQ(recordingType("/card/muevt_20240501_123450.mp4"), ManualEvent);
    EXPECT_EQ(recordingType("/card/clip.mp4"), NotARecording);
    // A prefix at index 0 does not count.
    EXPECT_EQ(recordingType("evt_20240501_123450.mp4"), NotARecording);
    // "drf_" wins over event prefixes anywhere in the path.
    EXPECT_EQ(recordingType("/evt_card/drf_20240501_123450.mp4"), Continuous);
    EXPECT_TRUE(hasEventIndex("/card/muevt_20240501_123450.mp4"));
    EXPECT_FALSE(hasEventIndex("/card/drf_20240501_123450.mp4"));
}

TEST(RecordingNameTest, NamePartAndDate)
{
    const QString manual = QStringLiteral("/card/muevt_20240501_123450.mp4");
    EXPECT_EQ(manual.mid(namePartStart(manual)), QStringLiteral("muevt_20240501_123450.mp4"));
    EXPECT_EQ(recordingDateText(manual), QStringLiteral("20240501"));
    EXPECT_EQ(recordingDateText(QStringLiteral("/c/evt_20231231_235959.mp4")),
        QStringLiteral("20231231"));
    EXPECT_EQ(namePartStart(QStringLiteral("/card/clip.mp4")), -1);
    EXPECT_TRUE(recordingDateText(QStringLiteral("/card/clip.mp4")).isEmpty());
}

TEST(RecordingNameTest, StartComesFromTheFileNameNotTheFolders)
{
    const auto start
        = recordingStart(QStringLiteral("/media/my_card/trip_1/evt_20240501_123450.mp4"));
    ASSERT_TRUE(start);
    EXPECT_EQ(*start, QDateTime(QDate(2024, 5, 1), QTime(12, 34, 50), Qt::UTC));
    EXPECT_EQ(
        recordingStart(QStringLiteral("/c/muevt_20231231_235959.mp4"))->time(), QTime(23, 59, 59));
    for (const char* bad : {"/c/evt_2024050_123450.mp4", "/c/evt_20240501-123450.mp4",
             "/c/evt_20241301_123450.mp4", "/c/evt_20240501_126000.mp4", "/c/evt_x", "/c/a.mp4"})
        EXPECT_FALSE(recordingStart(QString::fromLatin1(bad))) << bad;
}
