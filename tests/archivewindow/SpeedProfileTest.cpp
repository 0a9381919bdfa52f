// The speed profile as a widget: where its stops are shaded, what the pointer says, which
// second a click plays.
#include "archivewindow/SpeedProfile.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using archivewin::ProfileData;
using archivewin::ProfileSecond;
using archivewin::SpeedProfile;

namespace {

// Two recordings of 60 s: moving at 40 km/h, standing from 20 to 29, a two-second halt at 45,
// no fix from 70 to 79, moving again.
ProfileData drive()
{
    ProfileData data;
    data.start = QDateTime(QDate(2025, 6, 14), QTime(14, 0, 0), Qt::UTC);
    data.length = 120;
    data.recordings = {QStringLiteral("/card/drf_20250614_140000.mp4"),
        QStringLiteral("/card/drf_20250614_140100.mp4")};
    for (int t = 0; t < 120; ++t) {
        if (t >= 70 && t < 80)
            continue;
        const double speed = (t >= 20 && t < 30) || t == 45 || t == 46 ? 1.0 : 40.0 + t % 7;
        data.seconds.push_back({t, speed, t / 60, t % 60});
    }
    data.events = {{50, QStringLiteral("braking")}, {90, QStringLiteral("camera")}};
    return data;
}

TEST(SpeedProfile, ShadesOnlyStandsOfSeveralSecondsAndBreaksThemAtALostFix)
{
    const std::vector<archivewin::ProfileStop> stops = SpeedProfile::findStops(drive().seconds);
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0].from, 20);
    EXPECT_EQ(stops[0].to, 30);

    // Standing across a gap of ten seconds without a fix is two short stands, not one long.
    std::vector<ProfileSecond> gap{
        {0, 0, 0, 0}, {1, 0, 0, 1}, {2, 0, 0, 2}, {12, 0, 0, 12}, {13, 0, 0, 13}, {14, 0, 0, 14}};
    EXPECT_TRUE(SpeedProfile::findStops(gap).empty());
}

TEST(SpeedProfile, ThePointerTellsTheSecondsTimeAndSpeedAndAClickPlaysIt)
{
    SpeedProfile profile;
    profile.resize(600, 160);
    profile.setProfile(drive());
    profile.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&profile));

    const int x = profile.xOf(65);
    EXPECT_EQ(profile.offsetAt(x), 65);
    QTest::mouseMove(&profile, QPoint(x, profile.plotRect().center().y()));
    EXPECT_TRUE(profile.pointerText().startsWith(QStringLiteral("14:01:05   42 ")));

    QSignalSpy played(&profile, &SpeedProfile::playRequested);
    QTest::mouseClick(&profile, Qt::LeftButton, {}, QPoint(x, profile.plotRect().center().y()));
    ASSERT_EQ(played.count(), 1);
    EXPECT_EQ(played[0][0].toString(), drive().recordings[1]);
    EXPECT_DOUBLE_EQ(played[0][1].toDouble(), 5);

    // In the middle of the lost fix there is no speed to tell, and nothing to play.
    const int lost = profile.xOf(75);
    QTest::mouseMove(&profile, QPoint(lost, profile.plotRect().center().y()));
    EXPECT_EQ(profile.pointerText(), QStringLiteral("14:01:15"));
    QTest::mouseClick(&profile, Qt::LeftButton, {}, QPoint(lost, profile.plotRect().center().y()));
    EXPECT_EQ(played.count(), 1);
}

TEST(SpeedProfile, SpeedsAreShownInTheViewersUnit)
{
    SpeedProfile profile;
    profile.setProfile(drive(), 1); // mph
    ASSERT_TRUE(profile.speedAt(0));
    EXPECT_NEAR(*profile.speedAt(0), 40 / 1.609344, 0.01);
    EXPECT_FALSE(profile.speedAt(75));
}

} // namespace
