#include "viewer/PlaybackLimits.h"

#include <gtest/gtest.h>

namespace {

TEST(PlaybackLimitsTest, LimitsCountBackFromTheRecordingsLength)
{
    // One-minute recording: play held from second 58, changes allowed up to second 57.
    EXPECT_FALSE(playback::playHeldNearEnd(57, 60));
    EXPECT_TRUE(playback::playHeldNearEnd(58, 60));
    EXPECT_TRUE(playback::canChangeRecording(57, 60));
    EXPECT_FALSE(playback::canChangeRecording(58, 60));
    EXPECT_EQ(playback::lastSeekSecond(60), 59);
    // A three-minute one is not near its end at second 58.
    EXPECT_FALSE(playback::playHeldNearEnd(58, 180));
    EXPECT_TRUE(playback::canChangeRecording(58, 180));
    EXPECT_TRUE(playback::playHeldNearEnd(178, 180));
    EXPECT_FALSE(playback::canChangeRecording(178, 180));
    EXPECT_EQ(playback::lastSeekSecond(180), 179);
    // A ten-second one is near its end earlier.
    EXPECT_TRUE(playback::playHeldNearEnd(8, 10));
    EXPECT_FALSE(playback::canChangeRecording(8, 10));
    // Length not known yet: nothing is near the end.
    EXPECT_FALSE(playback::playHeldNearEnd(0, 0));
    EXPECT_TRUE(playback::canChangeRecording(0, 0));
    EXPECT_EQ(playback::lastSeekSecond(0), 0);
}

} // namespace
