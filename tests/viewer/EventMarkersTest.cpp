// Event markers above the seek strip and their ticks on the seek bar's track, for recordings
// built box by box and for the demo card's recordings.
#include "viewer/EventMarkers.h"

#include "SkinProbe.h"
#include "support/RecordingBuilder.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using namespace skinprobe;

namespace {

QByteArray eventText(const char* moment)
{
    return QByteArray("EVENT ") + moment + " G 1.2";
}

class EventMarkersTest : public ::testing::Test
{
protected:
    QString write(const char* name, const QList<QByteArray>& events)
    {
        const QString path = m_folder.filePath(QLatin1String(name));
        testsupport::RecordingBuilder builder;
        builder.ftyp().mdat(256).raw(testsupport::box("moov", {})).evti(events);
        EXPECT_TRUE(builder.writeTo(path));
        return path;
    }

    QTemporaryDir m_folder;
    BackBuffer buffer = skinBuffer();
    EventMarkers markers;
};

TEST_F(EventMarkersTest, MarkerAndTickStandAtTheEventsMoment)
{
    // Started 12:34:50, 60 seconds long, an event 20 seconds in.
    markers.load(write("evt_20240501_123450.mp4", {eventText("2024/05/01 12:35:10")}));
    ASSERT_TRUE(markers.loaded());
    EXPECT_EQ(markers.positions(60), std::vector<int>{158});
    markers.drawMarkers(buffer, 60);
    EXPECT_TRUE(showsBitmap(buffer.image(), {158, 466}, 267));
    markers.drawTicks(buffer, 60);
    EXPECT_EQ(EventMarkers::tickX(158), 167);
    EXPECT_EQ(buffer.image().pixelColor(167, 562), EventMarkers::kTickCore);
    // The tick crosses the track a little above and below, and nothing else changed.
    EXPECT_EQ(changedPixels(buffer, QRect(166, 556, 3, 14)), 3 * 14);
    EXPECT_EQ(changedPixels(buffer, QRect(33, 554, 412, 25)), 3 * 14);
    EXPECT_EQ(buffer.takeDirty(), QRegion(158, 466, 19, 19) + QRegion(166, 556, 3, 14));
}

TEST_F(EventMarkersTest, ACameraEventAndAFoundOneOnTheSameSecondBothShow)
{
    // The camera's event 20 s into 60, and braking found in the telemetry on that second and
    // at 40 s.
    markers.load(write("evt_20240501_123450.mp4", {eventText("2024/05/01 12:35:10")}));
    ASSERT_TRUE(markers.loaded());
    markers.drawTicks(buffer, 60, {20, 40});
    const int together = EventMarkers::tickX(158);
    const auto shown = [&](int x) { return buffer.image().pixelColor(x, 562); };
    EXPECT_EQ(shown(together - EventMarkers::kTickAside), EventMarkers::kTickCore);
    EXPECT_EQ(shown(together + EventMarkers::kTickAside), EventMarkers::kFoundTickCore);
    const int alone = EventMarkers::tickX(40 * 342 / 60 + 44);
    EXPECT_EQ(shown(alone), EventMarkers::kFoundTickCore) << "one on its own stays in place";
    // Found events alone, as on a continuous recording.
    EventMarkers none;
    BackBuffer other = skinBuffer();
    none.drawTicks(other, 60, {20});
    EXPECT_EQ(other.image().pixelColor(together, 562), EventMarkers::kFoundTickCore);
}

TEST_F(EventMarkersTest, EventsOffTheScaleOrBeforeTheStartDrawNothing)
{
    markers.load(write("muevt_20240501_123450.mp4",
        {eventText("2024/05/01 12:34:50"), // the start second itself
            QByteArray("no date here"), eventText("2024/05/01 12:35:50"), // past a 30 s end
            eventText("2024/05/01 12:35:00"), eventText("2024/05/01 12:34:40"), // before: ends
            eventText("2024/05/01 12:35:05")}));
    ASSERT_TRUE(markers.loaded());
    EXPECT_EQ(markers.positions(30), std::vector<int>{10 * 342 / 30 + 44});
    EXPECT_TRUE(markers.positions(0).empty());
    markers.drawMarkers(buffer, 30);
    markers.drawTicks(buffer, 30);
    // One marker and one tick, at 10 seconds of 30.
    const int x = 10 * 342 / 30 + 44;
    EXPECT_TRUE(showsBitmap(buffer.image(), {x, 466}, 267));
    EXPECT_EQ(buffer.takeDirty(), QRegion(x, 466, 19, 19) + QRegion(x + 8, 556, 3, 14));
}

TEST_F(EventMarkersTest, OnlyEventRecordingsWithAnIndexHaveMarkers)
{
    markers.load(write("drf_20240501_123450.mp4", {eventText("2024/05/01 12:35:10")}));
    EXPECT_FALSE(markers.loaded()) << "continuous recordings never load events";
    markers.load(m_folder.filePath("evt_20240501_123450_gone.mp4"));
    EXPECT_FALSE(markers.loaded());
    markers.load(write("evt_20240501_123451.mp4", {eventText("2024/05/01 12:35:10")}));
    ASSERT_TRUE(markers.loaded());
    markers.clear(); // stop
    markers.drawMarkers(buffer, 60);
    markers.drawTicks(buffer, 60);
    EXPECT_TRUE(buffer.takeDirty().isEmpty());
    EXPECT_TRUE(markers.positions(60).empty());
}

#ifdef ZYN_CARDGEN
TEST(EventMarkersDemoCard, EventRecordingsAreMarkedWhereTheirEventsHappened)
{
    QTemporaryDir dir;
    QProcess cardgen;
    cardgen.start(QStringLiteral(ZYN_CARDGEN),
        {"--length", "10", "--drf", "1", "--evt", "1", "--muevt", "1", "--seed", "1", "--jobs", "1",
            dir.path()});
    ASSERT_TRUE(cardgen.waitForFinished(300000));
    ASSERT_EQ(cardgen.exitCode(), 0) << cardgen.readAllStandardError().toStdString();
    const QStringList files = QDir(dir.path()).entryList({"*.mp4"}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 3);
    // Seed 1 puts the sensor event 4 seconds into the evt_ recording and the button press 3
    // seconds into the muevt_ one; continuous recordings have no index.
    const std::map<QString, std::vector<int>> expected
        = {{"drf_", {}}, {"evt_", {4 * 342 / 10 + 44}}, {"muevt_", {3 * 342 / 10 + 44}}};
    for (const QString& name : files) {
        const QString prefix = name.left(name.indexOf(u'_') + 1);
        EventMarkers markers;
        markers.load(dir.filePath(name));
        EXPECT_EQ(markers.loaded(), prefix != QLatin1String("drf_")) << name.toStdString();
        EXPECT_EQ(markers.positions(10), expected.at(prefix)) << name.toStdString();
        BackBuffer buffer = skinBuffer();
        markers.drawMarkers(buffer, 10);
        for (int x : expected.at(prefix))
            EXPECT_TRUE(showsBitmap(buffer.image(), {x, 466}, 267)) << name.toStdString();
    }
}
#endif

} // namespace
