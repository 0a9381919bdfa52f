#include "viewer/ClipMarks.h"

#include "recording/EventIndex.h"
#include "viewer/EventMarkers.h"
#include "viewer/SeekBar.h"

#include <gtest/gtest.h>

namespace {

const QDateTime kA(QDate(2025, 6, 14), QTime(14, 23, 37), Qt::UTC); // a one-minute recording
const QDateTime kB = kA.addSecs(60); // the next one

TEST(ClipMarksTest, MarksAcrossRecordingsAndWhatEachRecordingShowsOfThem)
{
    // The start takes the second under way, the end the next whole one.
    EXPECT_EQ(ClipMarks::startMoment(kA, 12.9), kA.addSecs(12));
    EXPECT_EQ(ClipMarks::endMoment(kA, 12.1), kA.addSecs(13));
    EXPECT_EQ(ClipMarks::endMoment(kA, 0.0), kA.addSecs(1)) << "never an empty span";

    ClipMarks marks;
    EXPECT_FALSE(marks.secondsIn(kA, 60)) << "nothing marked, no band";
    marks.setStart("a.mp4", kA.addSecs(50));
    // Until an end is marked the span runs to the end of the recording shown.
    EXPECT_EQ(marks.secondsIn(kA, 60), std::make_pair(50, 60));
    EXPECT_EQ(marks.spanAround(kB, 60).to, kB.addSecs(60));
    marks.setEnd("b.mp4", kB.addSecs(10));
    EXPECT_EQ(marks.recordings(), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_EQ(marks.secondsIn(kA, 60), std::make_pair(50, 60)) << "on to the file's end";
    EXPECT_EQ(marks.secondsIn(kB, 60), std::make_pair(0, 10)) << "from the file's start";
    EXPECT_FALSE(marks.secondsIn(kB.addSecs(60), 60)) << "a recording past the span";
    EXPECT_EQ(marks.spanAround(kB, 60).from, kA.addSecs(50));

    // A start after the end drops the end, an end before the start drops the start.
    marks.setStart("b.mp4", kB.addSecs(20));
    EXPECT_FALSE(marks.end());
    marks.setEnd("a.mp4", kA.addSecs(5));
    EXPECT_FALSE(marks.start());
    EXPECT_EQ(marks.recordings(), QStringList{"a.mp4"});
    marks.clear();
    EXPECT_TRUE(marks.isEmpty());
    EXPECT_TRUE(marks.recordings().isEmpty());
}

TEST(ClipMarksTest, TheBandLiesOnTheTrackWhereTheEventTicksOfTheSameSecondsStand)
{
    // The band's ends stand where a tick of the same second would.
    const auto tick = [](int second) {
        return EventMarkers::tickX(second * recording::kScaleWidth / 60 + recording::kScaleLeft);
    };
    EXPECT_EQ(SeekBar::bandRect(0, 60, 60).left(), tick(0));
    EXPECT_EQ(SeekBar::bandRect(17, 60, 60).left(), tick(17));
    EXPECT_EQ(SeekBar::bandRect(0, 17, 60).right() + 1, tick(17));
    EXPECT_EQ(SeekBar::bandRect(0, 60, 60).right() + 1, tick(60));
    EXPECT_GE(SeekBar::bandRect(59, 60, 600).width(), 2) << "a second of a long recording shows";
    const QRect band = SeekBar::bandRect(10, 20, 60);
    EXPECT_EQ(band.top(), EventMarkers::kTrackTop);
    EXPECT_EQ(band.height(), EventMarkers::kTrackHeight);
    EXPECT_TRUE(SeekBar::bandRect(20, 10, 60).isEmpty());
    EXPECT_TRUE(SeekBar::bandRect(0, 10, 0).isEmpty()) << "no length known yet";
    EXPECT_EQ(SeekBar::bandRect(-5, 90, 60), SeekBar::bandRect(0, 60, 60)) << "kept on the bar";
}

} // namespace
