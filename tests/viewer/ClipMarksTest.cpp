#include "viewer/ClipMarks.h"

#include "viewer/EventMarkers.h"
#include "viewer/SeekBar.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QDateTime kA(QDate(2025, 6, 14), QTime(14, 23, 37), Qt::UTC); // a one-minute recording
const QDateTime kB = kA.addSecs(60); // the next one

TEST(ClipMarksTest, MarksAcrossRecordingsAndWhatEachRecordingShowsOfThem)
{
    // The start takes the second under way, the end the next whole one.
    EXPECT_EQ(ClipMarks::startMoment(kA, 12.9), kA.addSecs(12));
    EXPECT_EQ(ClipMarks::endMoment(kA, 12.1), kA.addSecs(13));
    EXPECT_EQ(ClipMarks::endMoment(kA, 0.0), kA.addSecs(1)) << "never an empty span";

    using Part = ClipMarks::Part;
    ClipMarks marks;
    EXPECT_FALSE(marks.partIn(kA, 60)) << "nothing marked, no band";
    marks.setStart("a.mp4", kA.addSecs(50));
    // Until an end is marked the span runs on past the end of every recording after the start.
    EXPECT_EQ(marks.partIn(kA, 60), (Part{50, 60, false, true}));
    EXPECT_EQ(marks.partIn(kB, 60), (Part{0, 60, true, true})) << "the whole of the next one";
    EXPECT_EQ(marks.spanAround(kB, 60).to, kB.addSecs(60));
    marks.setEnd("b.mp4", kB.addSecs(10));
    EXPECT_EQ(marks.recordings(), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_EQ(marks.partIn(kA, 60), (Part{50, 60, false, true})) << "on past the file's end";
    EXPECT_EQ(marks.partIn(kB, 60), (Part{0, 10, true, false})) << "from before its start";
    EXPECT_EQ(marks.partIn(kA.addSecs(55), 10), (Part{0, 10, true, true}))
        << "a recording between the marks, whole";
    EXPECT_FALSE(marks.partIn(kB.addSecs(60), 60)) << "a recording past the span";
    EXPECT_EQ(marks.spanAround(kB, 60).from, kA.addSecs(50));
    // Marks on the recording's own first and last seconds do not go on beyond it.
    ClipMarks inside;
    inside.setStart("a.mp4", kA);
    inside.setEnd("a.mp4", kA.addSecs(60));
    EXPECT_EQ(inside.partIn(kA, 60), (Part{0, 60, false, false}));

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

TEST(ClipMarksTest, TheBandLiesOnTheTrackUnderTheThumbThatMarkedIt)
{
    // Second s plays while the thumb shows s + 1: a mark's edge is under the thumb's middle as
    // it stood when the mark was set.
    const auto thumbMiddle = [](int second, int length) {
        SeekBar bar;
        bar.follow(second + 1, length);
        return bar.progress() + 36 + 33 / 2;
    };
    for (int length : {6, 10, 60}) {
        for (int second = 0; second < length; ++second) {
            EXPECT_EQ(SeekBar::bandRect(second, length, length).left(), thumbMiddle(second, length))
                << second << " of " << length;
            // The end mark takes the next whole second of the picture on show.
            EXPECT_EQ(SeekBar::bandRect(0, second + 1, length).right() + 1,
                std::max(thumbMiddle(second, length), SeekBar::bandRect(0, 1, length).left() + 2))
                << second << " of " << length;
        }
    }
    // A span going on before or after the recording fills the track to that end.
    EXPECT_EQ(SeekBar::bandRect(0, 20, 60, true, false).left(), SeekBar::kTrack.left());
    EXPECT_EQ(SeekBar::bandRect(20, 60, 60, false, true).right(), SeekBar::kTrack.right());
    EXPECT_EQ(SeekBar::bandRect(0, 60, 60, true, true), SeekBar::kTrack);
    EXPECT_EQ(SeekBar::bandRect(0, 20, 60, false, true).left(), thumbMiddle(0, 60))
        << "a span starting in the recording starts at its mark";

    EXPECT_GE(SeekBar::bandRect(59, 60, 600).width(), 2) << "a second of a long recording shows";
    const QRect band = SeekBar::bandRect(10, 20, 60);
    EXPECT_EQ(band.top(), EventMarkers::kTrackTop);
    EXPECT_EQ(band.height(), EventMarkers::kTrackHeight);
    EXPECT_TRUE(SeekBar::bandRect(20, 10, 60).isEmpty());
    EXPECT_TRUE(SeekBar::bandRect(0, 10, 0).isEmpty()) << "no length known yet";
    EXPECT_EQ(SeekBar::bandRect(-5, 90, 60), SeekBar::bandRect(0, 60, 60)) << "kept on the bar";
}

} // namespace
