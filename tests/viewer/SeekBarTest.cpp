#include "viewer/SeekBar.h"

#include "resources/Skin.h"
#include "viewer/BackBuffer.h"

#include <gtest/gtest.h>

namespace {

bool sameImage(const QImage& image, QPoint at, const QImage& piece)
{
    return image.copy(QRect(at, piece.size())) == piece;
}

TEST(SeekBarTest, StripClicksMapTheirEdgesOntoTheBarsEnds)
{
    EXPECT_EQ(SeekBar::stripProgress(35), 0);
    EXPECT_EQ(SeekBar::stripProgress(51), 0);
    EXPECT_EQ(SeekBar::stripProgress(52), 0);
    EXPECT_EQ(SeekBar::stripProgress(53), 1);
    EXPECT_EQ(SeekBar::stripProgress(394), 342);
    EXPECT_EQ(SeekBar::stripProgress(395), 342);
    EXPECT_TRUE(SeekBar::stripHit({35, 486}));
    EXPECT_TRUE(SeekBar::stripHit({414, 492}));
    EXPECT_FALSE(SeekBar::stripHit({415, 490}));
    EXPECT_FALSE(SeekBar::stripHit({100, 493}));

    // What a click seeks to on a one-minute recording.
    SeekBar bar;
    bar.setProgress(SeekBar::stripProgress(223)); // 171, the middle
    EXPECT_EQ(bar.seekTarget(60), 30);
    bar.setProgress(SeekBar::stripProgress(400));
    EXPECT_EQ(bar.seekTarget(60), 60);
}

TEST(SeekBarTest, ThumbDragToTheRightEndSeeksToTheLastSecond)
{
    EXPECT_EQ(SeekBar::dragProgress(51), 0);
    EXPECT_EQ(SeekBar::dragProgress(52), 0);
    EXPECT_EQ(SeekBar::dragProgress(53), 1);
    EXPECT_EQ(SeekBar::dragProgress(394), 342);
    EXPECT_EQ(SeekBar::dragProgress(395), 342);

    SeekBar bar;
    bar.setProgress(SeekBar::dragProgress(500));
    EXPECT_EQ(bar.dragSeekTarget(60), 59);
    // Recordings of other lengths stop on their own last second.
    EXPECT_EQ(bar.dragSeekTarget(90), 89);
    EXPECT_EQ(bar.dragSeekTarget(20), 19);
    EXPECT_EQ(bar.dragSeekTarget(0), 0);
    bar.setProgress(SeekBar::dragProgress(100)); // 48
    EXPECT_EQ(bar.dragSeekTarget(60), 8);
    bar.setProgress(0);
    EXPECT_EQ(bar.dragSeekTarget(60), 0);
}

TEST(SeekBarTest, ProgressFollowsTheDisplayedPositionWithoutDividingByZero)
{
    SeekBar bar;
    bar.follow(1, 0); // length not known yet
    EXPECT_EQ(bar.progress(), 0);
    bar.follow(30, 60);
    EXPECT_EQ(bar.progress(), 171);
    bar.follow(60, 60);
    EXPECT_EQ(bar.progress(), 342);
    bar.follow(45, 90);
    EXPECT_EQ(bar.progress(), 171);
    // A position past the length leaves the bar where it is.
    bar.follow(91, 90);
    EXPECT_EQ(bar.progress(), 171);
    bar.follow(5, 0);
    EXPECT_EQ(bar.progress(), 0);

    // A one-second step right after opening, and steps beyond either end.
    EXPECT_EQ(SeekBar::progressAt(1, 0), 0);
    EXPECT_EQ(SeekBar::progressAt(61, 60), 342);
    EXPECT_EQ(SeekBar::progressAt(-1, 60), 0);
    bar.setProgress(400);
    EXPECT_EQ(bar.progress(), 342);
}

TEST(SeekBarTest, ThumbIsHitOverItsBitmap)
{
    SeekBar bar;
    bar.setProgress(100);
    EXPECT_TRUE(bar.thumbHit({136, 554}));
    EXPECT_TRUE(bar.thumbHit({168, 573}));
    EXPECT_FALSE(bar.thumbHit({135, 560}));
    EXPECT_FALSE(bar.thumbHit({169, 560}));
    EXPECT_FALSE(bar.thumbHit({150, 553}));
    EXPECT_FALSE(bar.thumbHit({150, 574}));
}

TEST(SeekBarTest, TimeTextsShowMinutesAndSeconds)
{
    EXPECT_EQ(SeekBar::elapsedText(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(SeekBar::elapsedText(59), QStringLiteral("00:00:59"));
    EXPECT_EQ(SeekBar::elapsedText(60), QStringLiteral("00:01:00"));
    EXPECT_EQ(SeekBar::elapsedText(61), QStringLiteral("00:01:01"));
    EXPECT_EQ(SeekBar::elapsedText(599), QStringLiteral("00:09:59"));
    EXPECT_EQ(SeekBar::elapsedText(600), QStringLiteral("00:10:00"));
    EXPECT_EQ(SeekBar::elapsedText(3599), QStringLiteral("00:59:59"));
    // Stepped back before the start.
    EXPECT_EQ(SeekBar::elapsedText(-1), QStringLiteral("00:00:00"));
    EXPECT_EQ(SeekBar::elapsedText(-75), QStringLiteral("00:00:00"));
    EXPECT_EQ(SeekBar::totalText(60), QStringLiteral(" / 00:01:00"));
}

class SeekBarDrawTest : public ::testing::Test
{
protected:
    BackBuffer buffer{skin::bitmap(130)};
    SeekBar bar;
};

TEST_F(SeekBarDrawTest, ThumbAndFillSitAtTheProgress)
{
    bar.setProgress(100);
    bar.draw(buffer, 18, 60, true);
    const QImage& image = buffer.image();
    EXPECT_TRUE(sameImage(image, {136, 554}, skin::bitmap(184)));
    EXPECT_TRUE(sameImage(image, {33, 559}, skin::bitmap(181)));
    EXPECT_TRUE(sameImage(image, {38 + 90, 559}, skin::bitmap(182)));
    EXPECT_FALSE(sameImage(image, {412, 559}, skin::bitmap(183)));
    EXPECT_TRUE(buffer.takeDirty().contains(SeekBar::kBarRect));

    // Moving back leaves no trace of the old thumb.
    bar.setProgress(0);
    bar.draw(buffer, 1, 60, true);
    EXPECT_TRUE(sameImage(buffer.image(), {36, 554}, skin::bitmap(184)));
    EXPECT_EQ(
        buffer.image().copy(QRect(150, 554, 19, 20)), buffer.clean().copy(QRect(150, 554, 19, 20)));

    bar.setProgress(342);
    bar.draw(buffer, 60, 60, true);
    EXPECT_TRUE(sameImage(buffer.image(), {412, 559}, skin::bitmap(183)));
    EXPECT_TRUE(sameImage(buffer.image(), {378, 554}, skin::bitmap(184)));
}

TEST_F(SeekBarDrawTest, TimeIsShownOnlyWhilePlayingWithAKnownLength)
{
    const QRect text(430, 553, 140, 18);
    bar.draw(buffer, 12, 60, false);
    EXPECT_EQ(buffer.image().copy(text), buffer.clean().copy(text));
    bar.draw(buffer, 1, 0, true);
    EXPECT_EQ(buffer.image().copy(text), buffer.clean().copy(text));
    bar.draw(buffer, 12, 60, true);
    const QImage shown = buffer.image().copy(text);
    EXPECT_NE(shown, buffer.clean().copy(text));
    // Drawing again over itself gives the same pixels (the text does not thicken).
    bar.draw(buffer, 12, 60, true);
    EXPECT_EQ(buffer.image().copy(text), shown);
}

} // namespace
