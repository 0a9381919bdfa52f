#include "drive/DriveGrouping.h"

#include <gtest/gtest.h>

using namespace drive;

namespace {

QDateTime at(int seconds)
{
    return QDateTime(QDate(2025, 6, 14), QTime(14, 0), Qt::UTC).addSecs(seconds);
}

} // namespace

TEST(DriveGrouping, JoinsWithinThreeSecondsEitherWayAndSplitsBeyond)
{
    // Ends at 60; the next starts 3 s late (joins), ends at 123; the next 3 s early (joins),
    // ends at 180; the next 4 s late (a new drive).
    const std::vector<RecordingSpan> spans{{at(0), 60}, {at(63), 60}, {at(120), 60}, {at(184), 60}};
    const std::vector<std::vector<int>> drives = groupDrives(spans);
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0], (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(drives[1], (std::vector<int>{3}));
}

// Recordings that overlap (an event recording beside the continuous one) are one drive, and a
// shorter one inside a longer one leaves the drive's end where the longer one put it.
TEST(DriveGrouping, OverlappingRecordingsAreOneDrive)
{
    const std::vector<std::vector<int>> drives = groupDrives(
        {{at(0), 60}, {at(10), 20}, {at(56), 60}, {at(100), 10}, {at(118), 60}, {at(250), 5}});
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0], (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(drives[1], (std::vector<int>{5}));
}

TEST(DriveGrouping, OrdersByStartWhateverTheInputOrder)
{
    // As a folder lists them: by name, so the kinds' prefixes mix up the times.
    const std::vector<RecordingSpan> spans{
        {at(60), 60}, {at(0), 60}, {at(120), 60}, {at(1000), 5}, {QDateTime(), 60}};
    const std::vector<std::vector<int>> drives = groupDrives(spans);
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0], (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(drives[1], (std::vector<int>{3}));
    EXPECT_TRUE(groupDrives({}).empty());
}

TEST(DriveGrouping, UnknownLengthEndsTheDriveAtItsStart)
{
    const std::vector<std::vector<int>> drives
        = groupDrives({{at(0), 0}, {at(2), 60}, {at(70), 10}});
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0], (std::vector<int>{0, 1}));
}
