// The panel, the graph and the event markers together on the real skin, as a recording plays
// them: nothing one draws may spoil another's area. With ZYN_SHOT_DIR set, each stage is also
// saved there as a PNG for a person to look at.
#include "viewer/EventMarkers.h"
#include "viewer/GSensorGraph.h"
#include "viewer/TelemetryPanel.h"

#include "SkinProbe.h"
#include "support/RecordingBuilder.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace skinprobe;

namespace {

// The seek bar as the window draws it: the fill from 38 and the thumb at progress + 36.
void drawSeekBar(BackBuffer& buffer, int progress)
{
    QPainter painter(&buffer.image());
    painter.drawImage(33, 559, skin::bitmap(181));
    for (int i = 0; i < progress; ++i)
        painter.drawImage(38 + i, 559, skin::bitmap(182));
}

void drawThumb(BackBuffer& buffer, int progress)
{
    QPainter painter(&buffer.image());
    painter.drawImage(progress + 36, 554, skin::bitmap(184));
}

void shoot(const BackBuffer& buffer, const char* name)
{
    const QString folder = qEnvironmentVariable("ZYN_SHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        buffer.image().save(folder + "/" + QLatin1String(name) + ".png");
    }
}

TEST(PartsOnSkinTest, ADrivePlaysAcrossPanelGraphAndMarkers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("evt_20240501_123450.mp4");
    ASSERT_TRUE(testsupport::RecordingBuilder()
                    .ftyp()
                    .mdat(256)
                    .raw(testsupport::box("moov", {}))
                    .evti({"EVENT 2024/05/01 12:35:05", "EVENT 2024/05/01 12:35:30"})
                    .writeTo(path));
    constexpr int kDuration = 60;

    BackBuffer buffer = skinBuffer();
    TelemetryPanel panel;
    GSensorGraph graph;
    EventMarkers markers;
    markers.load(path);
    graph.resetCounters();

    for (int second = 0; second < 24; ++second) {
        const double knots = 20 + second * 1.5;
        const double course = second * 15;
        const QByteArray sentence
            = QString::asprintf("$GPRMC,1235%02d,A,5545.%04d,N,03737.%04d,E,%.1f,%.1f,010524,,*00",
                second % 60, 1000 + second * 7, 2000 + second * 11, knots, course)
                  .toLatin1();
        panel.timeUpdate(buffer, sentence.toStdString());
        const double t = second * 0.5;
        graph.timeUpdate(buffer,
            GSensorGraph::Sample{std::sin(t) * 2, std::cos(t) * 1.5, 1 + std::sin(t * 2) * 0.5});
        panel.timerTick(buffer, second >= 12, true);

        // The paint, in the window's order.
        const int progress = (second + 1) * 342 / kDuration;
        buffer.restore(EventMarkers::kSeekBarArea);
        markers.drawMarkers(buffer, kDuration);
        drawSeekBar(buffer, progress);
        markers.drawTicks(buffer, kDuration);
        drawThumb(buffer, progress);
        panel.drawUnitLabel(buffer);
        panel.drawNeedle(buffer);
        panel.drawSpeedDigits(buffer);
        if (second == 8)
            shoot(buffer, "parts-offline");
    }
    shoot(buffer, "parts-online");

    EXPECT_EQ(speedDigits(buffer), QLatin1String("100")); // 54.5 kn
    EXPECT_TRUE(showsBitmap(buffer.image(), {15 * 342 / kDuration + 44, 466}, 267));
    EXPECT_TRUE(showsBitmap(buffer.image(), {40 * 342 / kDuration + 44, 466}, 267));
    EXPECT_TRUE(showsBitmap(buffer.image(), {553, 696}, 185));
    EXPECT_FALSE(panel.noInternetShown());
    // Everything stayed in its own area: the video area above the marker row, the map, the
    // list and the buttons' strip show the clean skin.
    EXPECT_TRUE(isClean(buffer, QRect(24, 52, 640, 414)));
    EXPECT_TRUE(isClean(buffer, QRect(684, 122, 310, 410)));
    EXPECT_TRUE(isClean(buffer, QRect(685, 600, 335, 180)));
    EXPECT_TRUE(isClean(buffer, QRect(0, 580, 360, 57)));
}

} // namespace
