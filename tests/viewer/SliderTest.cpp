#include "viewer/SpeedSlider.h"
#include "viewer/VolumeSlider.h"

#include "resources/Skin.h"
#include "viewer/BackBuffer.h"

#include <gtest/gtest.h>

namespace {

bool sameImage(const QImage& image, QPoint at, const QImage& piece)
{
    return image.copy(QRect(at, piece.size())) == piece;
}

// The factor the player is given after a click on the speed track at x.
double factorForClick(int x)
{
    SpeedSlider speed;
    speed.moveTo(x);
    return speed.apply();
}

TEST(SpeedSliderTest, TrackClicksGiveTheSpecifiedPositionsAndFactors)
{
    SpeedSlider speed;
    EXPECT_EQ(speed.valueAt(630), 0);
    EXPECT_EQ(speed.valueAt(646), 0);
    EXPECT_EQ(speed.valueAt(647), 1);
    EXPECT_EQ(speed.valueAt(731), 85);
    EXPECT_EQ(speed.valueAt(732), 102);
    EXPECT_EQ(speed.valueAt(769), 102);
    EXPECT_DOUBLE_EQ(factorForClick(646), 0.15);
    EXPECT_DOUBLE_EQ(factorForClick(663), 0.15); // 17
    EXPECT_DOUBLE_EQ(factorForClick(664), 0.25); // 18
    EXPECT_DOUBLE_EQ(factorForClick(680), 0.25); // 34
    EXPECT_DOUBLE_EQ(factorForClick(681), 0.5); // 35
    EXPECT_DOUBLE_EQ(factorForClick(697), 0.5); // 51
    EXPECT_DOUBLE_EQ(factorForClick(698), 1.0); // 52
    EXPECT_DOUBLE_EQ(factorForClick(714), 1.0); // 68
    EXPECT_DOUBLE_EQ(factorForClick(715), 2.0); // 69
    EXPECT_DOUBLE_EQ(factorForClick(731), 2.0); // 85
    EXPECT_DOUBLE_EQ(factorForClick(732), 4.0); // 102
}

TEST(SpeedSliderTest, PresetIsTheOneAppliedLast)
{
    SpeedSlider speed;
    EXPECT_EQ(speed.value(), 53);
    EXPECT_EQ(speed.preset(), 4);
    // A drag moves the thumb; the preset changes when the drag is applied.
    speed.moveTo(700);
    speed.moveTo(720);
    EXPECT_EQ(speed.preset(), 4);
    EXPECT_DOUBLE_EQ(speed.apply(), 2.0);
    EXPECT_EQ(speed.preset(), 5);
    speed.reset();
    EXPECT_EQ(speed.preset(), 5);
    EXPECT_DOUBLE_EQ(speed.apply(), 1.0);
    EXPECT_EQ(speed.preset(), 4);
    speed.setValue(500);
    EXPECT_EQ(speed.value(), 102);
    EXPECT_DOUBLE_EQ(SpeedSlider::factorOf(SpeedSlider::presetFor(86)), 4.0);
}

TEST(VolumeSliderTest, TrackClicksGiveTheSpecifiedPositionsAndLevels)
{
    VolumeSlider volume;
    EXPECT_EQ(volume.value(), 128);
    EXPECT_EQ(volume.level(), 100);
    EXPECT_EQ(volume.valueAt(827), 0);
    EXPECT_EQ(volume.valueAt(837), 0);
    EXPECT_EQ(volume.valueAt(838), 0);
    EXPECT_EQ(volume.valueAt(839), 1);
    EXPECT_EQ(volume.valueAt(966), 128);
    EXPECT_EQ(volume.valueAt(967), 128);

    const QList<std::pair<int, int>> bands{{0, 0}, {1, 15}, {12, 15}, {13, 30}, {24, 30}, {25, 40},
        {36, 40}, {37, 50}, {48, 50}, {49, 60}, {60, 60}, {61, 70}, {72, 70}, {73, 80}, {84, 80},
        {85, 90}, {96, 90}, {97, 95}, {108, 95}, {109, 100}, {128, 100}};
    for (const auto& [position, level] : bands)
        EXPECT_EQ(VolumeSlider::levelFor(position), level) << "position " << position;

    volume.moveTo(935); // 97
    EXPECT_EQ(volume.level(), 95);
    volume.moveTo(946); // 108
    EXPECT_EQ(volume.level(), 95);
    volume.moveTo(947); // 109
    EXPECT_EQ(volume.level(), 100);
    volume.moveTo(800);
    EXPECT_EQ(volume.level(), 0);
}

TEST(SliderTest, ThumbsAndTracksAreHitWhereTheyAreDrawn)
{
    SpeedSlider speed; // 53: thumb 688 to 710
    EXPECT_TRUE(speed.thumbHit({688, 552}));
    EXPECT_TRUE(speed.thumbHit({710, 571}));
    EXPECT_FALSE(speed.thumbHit({687, 560}));
    EXPECT_FALSE(speed.thumbHit({711, 560}));
    EXPECT_FALSE(speed.thumbHit({700, 572}));
    EXPECT_TRUE(speed.trackHit({630, 552}));
    EXPECT_TRUE(speed.trackHit({769, 571}));
    EXPECT_FALSE(speed.trackHit({770, 560}));

    VolumeSlider volume(0); // thumb 827 to 849
    EXPECT_TRUE(volume.thumbHit({827, 552}));
    EXPECT_TRUE(volume.thumbHit({849, 571}));
    EXPECT_FALSE(volume.thumbHit({850, 560}));
    EXPECT_TRUE(volume.trackHit({977, 571}));
    EXPECT_FALSE(volume.trackHit({978, 560}));
    EXPECT_FALSE(volume.trackHit({826, 560}));
}

TEST(SliderTest, DrawingPlacesIconFillAndThumb)
{
    BackBuffer buffer(skin::bitmap(130));
    SpeedSlider speed;
    speed.draw(buffer);
    EXPECT_TRUE(sameImage(buffer.image(), {599, 553}, skin::bitmap(191)));
    EXPECT_TRUE(sameImage(buffer.image(), {630, 557}, skin::bitmap(181)));
    EXPECT_TRUE(sameImage(buffer.image(), {688, 552}, skin::bitmap(194)));
    EXPECT_FALSE(sameImage(buffer.image(), {760, 557}, skin::bitmap(183)));
    speed.setValue(102);
    speed.draw(buffer);
    EXPECT_TRUE(sameImage(buffer.image(), {737, 552}, skin::bitmap(194)));
    EXPECT_TRUE(sameImage(buffer.image(), {760, 557}, skin::bitmap(183)));
    // The old thumb is gone above the fill, its top row included.
    EXPECT_EQ(
        buffer.image().copy(QRect(700, 552, 10, 5)), buffer.clean().copy(QRect(700, 552, 10, 5)));
    const QRegion dirty = buffer.takeDirty();
    EXPECT_TRUE(dirty.contains(QRect(630, 553, 143, 30)));

    VolumeSlider volume(128);
    volume.draw(buffer);
    EXPECT_TRUE(sameImage(buffer.image(), {790, 553}, skin::bitmap(193)));
    EXPECT_TRUE(sameImage(buffer.image(), {955, 552}, skin::bitmap(194)));
    EXPECT_TRUE(sameImage(buffer.image(), {978, 557}, skin::bitmap(183)));
    volume.setValue(0);
    volume.draw(buffer);
    EXPECT_TRUE(sameImage(buffer.image(), {790, 553}, skin::bitmap(192)));
    EXPECT_TRUE(sameImage(buffer.image(), {827, 552}, skin::bitmap(194)));
    EXPECT_TRUE(buffer.takeDirty().contains(QRect(772, 543, 248, 40)));
}

} // namespace
