// The telemetry panel drawn into the real skin: digits per unit, the last valid speed, the
// needle, the position lines, the unit label, the no-internet text and the map's fix.
#include "viewer/TelemetryPanel.h"

#include "SkinProbe.h"

#include <gtest/gtest.h>

using namespace skinprobe;

namespace {

constexpr std::string_view kExample
    = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
constexpr std::string_view kExampleSouthWest
    = "$GPRMC,123519,A,4807.038,S,01131.000,W,022.4,084.4,230394,003.1,W*6A";
const QColor kNeedle(0x18, 0x3E, 0x65);

class TelemetryPanelTest : public ::testing::Test
{
protected:
    BackBuffer buffer = skinBuffer();
    TelemetryPanel panel;
};

TEST_F(TelemetryPanelTest, ExampleSentenceShowsItsSpeedInEveryUnit)
{
    ASSERT_TRUE(panel.timeUpdate(buffer, kExample));
    EXPECT_NEAR(panel.record().latitude, 48.1173, 1e-9);
    EXPECT_NEAR(panel.record().longitude, 11.516666666, 1e-8);
    const std::pair<int, const char*> units[] = {{0, "041"}, {1, "025"}, {2, "022"}};
    for (auto [unit, digits] : units) {
        panel.setUnit(unit);
        panel.drawSpeedDigits(buffer);
        EXPECT_EQ(speedDigits(buffer), QLatin1String(digits)) << "unit " << unit;
        panel.drawUnitLabel(buffer);
        EXPECT_TRUE(showsBitmap(buffer.image(), {553, 696}, 185 + unit));
    }
    // Only the digits area was touched around the digits.
    EXPECT_TRUE(isClean(buffer, QRect(548, 600, 60, 26)));
}

TEST_F(TelemetryPanelTest, DigitsShowLeadingZerosAndPegAtTheirLimit)
{
    const std::pair<const char*, const char*> cases[] = {
        {"$GPRMC,1,A,4807.038,N,01131.000,E,3.78,0,230394", "007"}, // 7.0 km/h
        {"$GPRMC,1,A,4807.038,N,01131.000,E,0,0,230394", "000"},
        {"$GPRMC,1,A,4807.038,N,01131.000,E,600,0,230394", "999"}, // 1111 km/h
        {"$GPRMC,1,A,4807.038,N,01131.000,E,-5,0,230394", "000"},
    };
    for (auto [sentence, digits] : cases) {
        panel.timeUpdate(buffer, sentence);
        panel.drawSpeedDigits(buffer);
        EXPECT_EQ(speedDigits(buffer), QLatin1String(digits)) << sentence;
    }
}

TEST_F(TelemetryPanelTest, InvalidStatusKeepsTheLastValidSpeed)
{
    panel.timeUpdate(buffer, kExample);
    panel.drawSpeedDigits(buffer);
    panel.timeUpdate(buffer, "$GPRMC,123520,V,4807.038,N,01131.000,E,050.0,084.4,230394");
    panel.drawSpeedDigits(buffer);
    EXPECT_EQ(speedDigits(buffer), QLatin1String("041"));
    EXPECT_EQ(panel.lastValidSpeed(), 41);
    panel.resetLastValidSpeed();
    panel.drawSpeedDigits(buffer);
    EXPECT_EQ(speedDigits(buffer), QLatin1String("000"));
}

TEST_F(TelemetryPanelTest, OtherSentencesLeaveTheRecordButClearThePanel)
{
    panel.timeUpdate(buffer, kExample);
    panel.drawSpeedDigits(buffer);
    panel.drawNeedle(buffer);
    EXPECT_FALSE(isClean(buffer, TelemetryPanel::kPanelArea));
    buffer.takeDirty();
    EXPECT_FALSE(panel.timeUpdate(buffer, "$GNRMC,123519,A,0000.000,N,00000.000,E,1,1,230394"));
    EXPECT_FALSE(panel.timeUpdate(buffer, ""));
    EXPECT_TRUE(isClean(buffer, TelemetryPanel::kPanelArea));
    EXPECT_EQ(buffer.takeDirty(), QRegion(TelemetryPanel::kPanelArea));
    EXPECT_NEAR(panel.record().latitude, 48.1173, 1e-9) << "the record is kept";
}

TEST_F(TelemetryPanelTest, NeedlePointsAlongTheCourse)
{
    struct Case
    {
        const char* sentence;
        QPoint end;
        QPoint beyond;
    };
    const Case cases[] = {
        {"$GPRMC,1,A,4807.038,N,01131.000,E,0,0,230394", {428, 634}, {428, 630}},
        {"$GPRMC,1,A,4807.038,N,01131.000,E,0,90,230394", {450, 656}, {454, 656}},
        {"$GPRMC,1,A,4807.038,N,01131.000,E,0,270,230394", {406, 656}, {402, 656}},
    };
    for (const Case& c : cases) {
        panel.timeUpdate(buffer, c.sentence);
        EXPECT_EQ(TelemetryPanel::needleEnd(panel.record().course), c.end) << c.sentence;
        panel.drawNeedle(buffer);
        EXPECT_EQ(buffer.image().pixelColor(c.end), kNeedle) << c.sentence;
        EXPECT_EQ(buffer.image().pixelColor(TelemetryPanel::kCompassCentre), kNeedle);
        EXPECT_NE(buffer.image().pixelColor(c.beyond), kNeedle) << c.sentence;
        // Three pixels wide across the line.
        const bool vertical = c.end.x() == 428;
        const QPoint mid = (TelemetryPanel::kCompassCentre + c.end) / 2;
        const QRect across
            = vertical ? QRect(mid.x() - 3, mid.y(), 7, 1) : QRect(mid.x(), mid.y() - 3, 1, 7);
        EXPECT_EQ(countColour(buffer.image(), across, kNeedle), 3) << c.sentence;
    }
    EXPECT_EQ(TelemetryPanel::needleEnd(std::nan("")), QPoint(428, 634));
}

TEST_F(TelemetryPanelTest, PositionLinesOnlyWithBothCoordinates)
{
    const QRect latitudeRow(360, 720, 300, 17);
    const QRect longitudeRow(360, 737, 300, 17);
    panel.timeUpdate(buffer, kExample);
    panel.drawPositionLines(buffer);
    const QImage north = buffer.image().copy(TelemetryPanel::kPositionArea);
    EXPECT_GT(countColour(buffer.image(), latitudeRow, Qt::black), 20);
    EXPECT_GT(countColour(buffer.image(), longitudeRow, Qt::black), 20);
    EXPECT_EQ(countColour(buffer.image(), QRect(360, 760, 300, 20), Qt::black), 0);

    panel.timeUpdate(buffer, kExampleSouthWest);
    panel.drawPositionLines(buffer);
    EXPECT_NE(buffer.image().copy(TelemetryPanel::kPositionArea), north)
        << "minus signs and S/W replace the northern text";

    // A missing coordinate draws nothing: the last lines stay.
    const QImage before = buffer.image().copy(TelemetryPanel::kPositionArea);
    buffer.takeDirty();
    panel.timeUpdate(buffer, "$GPRMC,1,A,,,01131.000,E,0,0,230394");
    panel.drawPositionLines(buffer);
    EXPECT_EQ(buffer.image().copy(TelemetryPanel::kPositionArea), before);
    EXPECT_FALSE(buffer.takeDirty().intersects(TelemetryPanel::kPositionArea));
}

TEST_F(TelemetryPanelTest, NoInternetTextIsDrawnInRedAndClearedOnce)
{
    const QRect mapText(684, 255, 310, 30);
    panel.timerTick(buffer, false, false);
    EXPECT_TRUE(panel.noInternetShown());
    const int red = countColour(buffer.image(), mapText, QColor(255, 0, 0));
    EXPECT_GT(red, 50);
    // Centred on x 840: the red pixels lie about evenly either side.
    const int left = countColour(buffer.image(), QRect(684, 255, 156, 30), QColor(255, 0, 0));
    EXPECT_NEAR(double(left) / red, 0.5, 0.1);
    // A second tick off line leaves it as it is: not thicker, nothing marked.
    buffer.takeDirty();
    panel.timerTick(buffer, false, false);
    EXPECT_EQ(countColour(buffer.image(), mapText, QColor(255, 0, 0)), red);
    EXPECT_TRUE(buffer.takeDirty().isEmpty());

    buffer.takeDirty();
    panel.timerTick(buffer, true, false);
    EXPECT_FALSE(panel.noInternetShown());
    EXPECT_TRUE(isClean(buffer, QRect(684, 122, 310, 410)));
    EXPECT_FALSE(buffer.takeDirty().isEmpty());
    panel.timerTick(buffer, true, false);
    EXPECT_TRUE(buffer.takeDirty().isEmpty()) << "cleared once, then left alone";
}

TEST_F(TelemetryPanelTest, TimerDrawsOnlyForRecordingsWithTelemetry)
{
    panel.timeUpdate(buffer, kExample);
    buffer.takeDirty();
    panel.timerTick(buffer, true, false);
    EXPECT_TRUE(isClean(buffer, TelemetryPanel::kPositionArea));
    EXPECT_TRUE(isClean(buffer, TelemetryPanel::kDigitsArea));
    EXPECT_TRUE(buffer.takeDirty().isEmpty());
    panel.timerTick(buffer, true, true);
    EXPECT_EQ(speedDigits(buffer), QLatin1String("041"));
    EXPECT_FALSE(isClean(buffer, TelemetryPanel::kPositionArea));
}

TEST_F(TelemetryPanelTest, TicksDrawOnlyWhatChanged)
{
    panel.timeUpdate(buffer, kExample);
    panel.timerTick(buffer, false, true);
    EXPECT_EQ(speedDigits(buffer), QLatin1String("041"));
    buffer.takeDirty();
    // A held picture: nothing new, nothing marked for the screen.
    panel.timerTick(buffer, false, true);
    EXPECT_TRUE(buffer.takeDirty().isEmpty());

    // The next report wipes the panel (digits included) with the same sentence: the digits
    // come back, the lines below the panel stay as they are.
    panel.timeUpdate(buffer, kExample);
    buffer.takeDirty();
    panel.timerTick(buffer, false, true);
    EXPECT_EQ(speedDigits(buffer), QLatin1String("041"));
    EXPECT_EQ(buffer.takeDirty(), QRegion(TelemetryPanel::kDigitsArea));

    // A new position is drawn; a new speed alone redraws only the digits.
    panel.timeUpdate(buffer, kExampleSouthWest);
    buffer.takeDirty();
    panel.timerTick(buffer, false, true);
    EXPECT_TRUE(buffer.takeDirty().intersects(TelemetryPanel::kPositionArea));
    panel.drawSpeedDigits(buffer); // the paint
    panel.timeUpdate(buffer, "$GPRMC,123519,A,4807.038,S,01131.000,W,010.0,084.4,230394,,");
    buffer.takeDirty();
    panel.timerTick(buffer, false, true);
    EXPECT_EQ(speedDigits(buffer), QLatin1String("018"));
    EXPECT_FALSE(buffer.takeDirty().intersects(TelemetryPanel::kPositionArea));

    // The whole back buffer restored (the lock opening): everything is drawn anew.
    buffer.restore(buffer.image().rect());
    panel.forgetShown();
    panel.timerTick(buffer, false, true);
    EXPECT_TRUE(panel.noInternetShown());
    EXPECT_FALSE(isClean(buffer, TelemetryPanel::kPositionArea));
    EXPECT_EQ(speedDigits(buffer), QLatin1String("018"));
}

TEST_F(TelemetryPanelTest, MapMovesOnlyToAFix)
{
    auto fixOf = [this](std::string_view sentence) {
        panel.timeUpdate(buffer, sentence);
        return panel.timerTick(buffer, true, true);
    };
    const auto fix = fixOf(kExampleSouthWest);
    ASSERT_TRUE(fix);
    EXPECT_NEAR(fix->latitude, -48.1173, 1e-9);
    EXPECT_NEAR(fix->longitude, -11.516666666, 1e-8);
    EXPECT_FALSE(fixOf("$GPRMC,1,A,,,01131.000,E,0,0,230394")) << "missing latitude";
    EXPECT_FALSE(fixOf("$GPRMC,1,A,4807.038,N,,,0,0,230394")) << "missing longitude";
    EXPECT_FALSE(fixOf("$GPRMC,1,V,4807.038,N,01131.000,E,0,0,230394")) << "no fix";
    EXPECT_FALSE(fixOf("$GPRMC,1,A,36000.0000,N,72000.0000,E,0,0,230394")) << "off the globe";
    EXPECT_TRUE(fixOf("$GPRMC,1,A,4807.038,N,01131.000,E,0,0,230394"));
    EXPECT_FALSE(panel.timerTick(buffer, false, true)) << "off line the map is not moved";
}

} // namespace
