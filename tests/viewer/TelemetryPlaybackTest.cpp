// Real receivers' sentences played through a recording: the player adapter (driven by the test
// player library) hands each second's copies over, and the panel, the graph and the map follow
// as the main window drives them on each time update and timer tick.
#include "player/AdapterFixture.h"
#include "player/PVEXstat9.h"
#include "viewer/FrameGrabber.h"
#include "viewer/FramePrinter.h"
#include "viewer/GSensorGraph.h"
#include "viewer/TelemetryPanel.h"

#include "SkinProbe.h"
#include "support/RecordingBuilder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace playertest;
using namespace skinprobe;

namespace {

QList<QByteArray> receiverLog(const char* name)
{
    QFile file(QStringLiteral(ZYN_NMEA_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

// What a sentence should show, read from its fields here rather than by the parser.
struct Expected
{
    bool valid = false; // status not "V"
    int kmh = 0;
    bool fix = false; // status "A" and both coordinates present, not zero and on the globe
    bool south = false;
    bool west = false;
};

Expected expectedOf(const QByteArray& sentence)
{
    // Only up to the first NUL, as the recording stores the sentence; fields end at "," or
    // at the "*" of the checksum, which a damaged sentence may have anywhere.
    const qsizetype nul = sentence.indexOf('\0');
    QByteArray text = nul < 0 ? sentence : sentence.left(nul);
    text.replace('*', ',');
    const QList<QByteArray> f = text.split(',');
    auto field = [&f](int i) { return i < f.size() ? f[i] : QByteArray(); };
    Expected e;
    e.valid = field(2) != "V";
    e.kmh = std::clamp(int(field(7).toDouble() * 1.852), 0, 999);
    const double latitude = field(3).toDouble() / 100;
    const double longitude = field(5).toDouble() / 100;
    e.fix
        = field(2) == "A" && latitude != 0 && longitude != 0 && latitude <= 90 && longitude <= 180;
    e.south = field(4) == "S";
    e.west = field(6) == "W";
    return e;
}

class PlaybackFixture : public AdapterTest
{
protected:
    void fireCount(std::int32_t count)
    {
        velq::RecordCountLink link;
        velq::RecordCountValue value;
        velq::writeRecordCount(link, value, count);
        fake().fire(velq::CB_RECORD_COUNT, &link);
    }

    // One progress report at a record, then the main window's time update.
    void playRecord(std::uint32_t index)
    {
        fake().fire(velq::CB_RECORD_INDEX, std::intptr_t(index));
        velq::ProgressRecord record{};
        record.position = float(index) + 0.5f;
        record.frameBytes = velq::kFrameBytes;
        fake().fire(velq::CB_PROGRESS, &record);

        std::array<char, 128> gps{};
        std::array<std::uint8_t, 12> sensor{};
        const bool copies = adapter->telemetryCopies(gps, sensor);
        panel.timeUpdate(
            buffer, copies ? recording::sentenceText(gps.data(), gps.size()) : std::string_view());
        std::optional<GSensorGraph::Sample> sample;
        if (adapter->noTelemetry == 0 && copies)
            sample = GSensorGraph::Sample::fromRecord(sensor);
        graph.timeUpdate(buffer, sample);
    }

    // Timer tick, on line, and the paint's part of the panel.
    void tickAndPaint()
    {
        if (const auto fix = panel.timerTick(buffer, true, adapter->noTelemetry == 0))
            map = fix;
        panel.drawUnitLabel(buffer);
        panel.drawNeedle(buffer);
        panel.drawSpeedDigits(buffer);
    }

    BackBuffer buffer = skinBuffer();
    TelemetryPanel panel;
    GSensorGraph graph;
    std::optional<TelemetryPanel::MapFix> map;
};

class TelemetryPlaybackTest : public PlaybackFixture,
                              public ::testing::WithParamInterface<const char*>
{
};

TEST_P(TelemetryPlaybackTest, PanelFollowsTheReceiver)
{
    const QList<QByteArray> sentences = receiverLog(GetParam());
    ASSERT_GE(sentences.size(), 3);
    testsupport::Telemetry telemetry;
    for (int i = 0; i < sentences.size(); ++i) {
        telemetry.times.push_back(std::uint32_t(i));
        telemetry.sentences.append(sentences[i]);
        telemetry.samples.push_back({0.1f * float(i % 10), -0.5f, 1.0f});
    }
    const QString path = QString::fromStdString(recordingPath("evt_20240501_123450.mp4"));
    ASSERT_TRUE(testsupport::RecordingBuilder().ftyp().mdat(512).udat(telemetry).writeTo(path));
    startPlaying(path.toStdString());
    ASSERT_EQ(adapter->noTelemetry, 0);
    fireCount(std::int32_t(sentences.size()));

    int lastValid = 0;
    bool sawSouth = false, sawWest = false, sawValid = false, sawNoFix = false;
    for (int i = 0; i < sentences.size(); ++i) {
        const std::optional<TelemetryPanel::MapFix> mapBefore = map;
        playRecord(std::uint32_t(i));
        tickAndPaint();
        const Expected e = expectedOf(sentences[i]);
        const QString where = QString("%1 record %2: %3")
                                  .arg(GetParam())
                                  .arg(i)
                                  .arg(QString::fromLatin1(sentences[i]));
        if (e.valid)
            lastValid = e.kmh;
        EXPECT_EQ(speedDigits(buffer), QString::asprintf("%03d", lastValid)) << where.toStdString();
        if (e.fix) {
            ASSERT_TRUE(map) << where.toStdString();
            EXPECT_EQ(map->latitude < 0, e.south) << where.toStdString();
            EXPECT_EQ(map->longitude < 0, e.west) << where.toStdString();
            EXPECT_DOUBLE_EQ(map->latitude, panel.record().latitude);
            EXPECT_FALSE(isClean(buffer, TelemetryPanel::kPositionArea));
            sawSouth |= e.south;
            sawWest |= e.west;
            sawValid = true;
        } else {
            // No fix or a coordinate missing: the map stays where it was.
            EXPECT_EQ(map.has_value(), mapBefore.has_value()) << where.toStdString();
            if (map && mapBefore) {
                EXPECT_EQ(map->latitude, mapBefore->latitude) << where.toStdString();
            }
            sawNoFix = true;
        }
        EXPECT_GE(graph.lastPoint(0).x(), GSensorGraph::kSweepStart);
        EXPECT_LE(graph.lastPoint(0).x(), GSensorGraph::kSweepEnd + 1);
    }
    EXPECT_TRUE(sawValid);
    if (QByteArray(GetParam()).contains("haicom")) {
        EXPECT_TRUE(sawSouth && !sawWest && sawNoFix) << "S and E, V before A";
    }
    if (QByteArray(GetParam()).contains("magellan")) {
        EXPECT_TRUE(sawWest && !sawSouth && sawNoFix) << "N and W, V with empty fields";
    }
}

// Southern and eastern with V first; western with empty V sentences; the fastest receiver
// (059 km/h); a long no-fix run with every field empty; the cold-boot log's damaged sentences.
INSTANTIATE_TEST_SUITE_P(Receivers, TelemetryPlaybackTest,
    ::testing::Values("gpsd-haicom-305N.nmea", "gpsd-magellan-ec10.nmea", "gpsd-bt451.nmea",
        "gpsd-quectel-eg25-g.nmea", "gpsd-gp-320fw-2019-04-07-coldboot.nmea"));

using NoTelemetryPlaybackTest = PlaybackFixture;

TEST_F(NoTelemetryPlaybackTest, RecordingWithoutTelemetryLeavesPanelAndGraphAlone)
{
    // The last recording left its lines, digits and graph.
    panel.timeUpdate(buffer, "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,*6A");
    tickAndPaint();
    for (int i = 0; i < 3; ++i)
        graph.timeUpdate(buffer, GSensorGraph::Sample{1, 2, 3});
    const QImage before = buffer.image();

    const QString path = QString::fromStdString(recordingPath("drf_20240501_123450.mp4"));
    ASSERT_TRUE(testsupport::RecordingBuilder().ftyp().mdat(512).writeTo(path));
    startPlaying(path.toStdString());
    ASSERT_EQ(adapter->noTelemetry, 1);
    for (std::uint32_t i = 0; i < 3; ++i) {
        playRecord(i);
        panel.timerTick(buffer, true, adapter->noTelemetry == 0);
    }
    auto same = [&](const QRect& area) { return buffer.image().copy(area) == before.copy(area); };
    EXPECT_TRUE(same(TelemetryPanel::kPositionArea));
    EXPECT_TRUE(same(GSensorGraph::kArea));
    // The time update clears the panel itself; the paint then draws the digits and needle
    // from the kept record.
    EXPECT_TRUE(isClean(buffer, TelemetryPanel::kDigitsArea));
    tickAndPaint();
    EXPECT_EQ(speedDigits(buffer), QLatin1String("041"));
}

TEST_F(NoTelemetryPlaybackTest, PrintingARecordingWithoutTelemetryShowsNoneOfTheOneBefore)
{
    testsupport::Telemetry telemetry;
    for (std::uint32_t i = 0; i < 3; ++i) {
        telemetry.times.push_back(i);
        telemetry.sentences.append(
            "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A");
        telemetry.samples.push_back({0.5f, -0.25f, 1.0f});
    }
    const QString withTelemetry
        = QString::fromStdString(recordingPath("evt_20240501_123450.mp4"));
    ASSERT_TRUE(
        testsupport::RecordingBuilder().ftyp().mdat(512).udat(telemetry).writeTo(withTelemetry));
    startPlaying(withTelemetry.toStdString());
    playRecord(1);
    FrameGrabber frames;
    ASSERT_NE(FramePrinter::fromAdapter(*adapter, frames, 0).lines()[3], QString());

    const QString plain = QString::fromStdString(recordingPath("drf_20240501_123550.mp4"));
    ASSERT_TRUE(testsupport::RecordingBuilder().ftyp().mdat(512).writeTo(plain));
    // Opened over the playing one, as the window opens the next recording.
    adapter->switchState(adapter->stateLoading.get());
    ASSERT_EQ(adapter->current()->openFile(plain.toLocal8Bit().constData(), ""), 0);
    fake().fire(velq::CB_PLAYING);
    ASSERT_EQ(adapter->noTelemetry, 1);
    // Printed before its first report and after it: neither the date, the position, the speed
    // nor the G line of the recording before.
    for (int report = 0; report < 2; ++report) {
        const QStringList lines = FramePrinter::fromAdapter(*adapter, frames, 0).lines();
        ASSERT_EQ(lines.size(), 4);
        EXPECT_EQ(lines[0], QStringLiteral("Дата и время: ----/--/--  --:--:--")) << report;
        EXPECT_EQ(lines[1],
            QStringLiteral("Положение Широта: ---° --' --.--\"   Долгота: ---° --' --.--\""))
            << report;
        EXPECT_EQ(lines[2], QStringLiteral("Скорость: --.- км/ч")) << report;
        EXPECT_EQ(lines[3], QString()) << report;
        playRecord(0);
    }
}

} // namespace
