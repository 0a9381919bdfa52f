// The clip drawn with its telemetry: what the band shows at the edges of the data, and the drawn
// video judged by ffmpeg and ffprobe against the lossless clip beside it.
#include "ClipTestCard.h"

#include "drive/RecordingTelemetry.h"
#include "overlay/OverlayBand.h"
#include "overlay/OverlayVideo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

using namespace cliptest;

namespace {

constexpr int kWidth = 640;
constexpr int kPictureHeight = 480;
const QRgb kMissingColour = qRgb(255, 176, 0);

clip::ExportResult exportDrawn(const clip::Span& span, const QString& folder,
    const clip::Control& control = {}, const QStringList& inputs = {Card::shared().folder()})
{
    clip::ExportOptions options{folder, true, true, "zyn_clip_tests"};
    options.overlay = [](const QString& clipPath, const QString& output,
                          const clip::Control& c, double from, double to, QString* error) {
        return overlay::drawClip(clipPath, output, {}, c, from, to, error);
    };
    const clip::PlanResult plan = clip::planClips(inputs, span);
    if (plan.clips.size() != 1)
        return {};
    return clip::exportClip(plan.clips.first(), options, control);
}

// The picture shown at `seconds`, decoded by ffmpeg.
QImage frameAt(const QString& path, double seconds, int height)
{
    const Outcome r = run("ffmpeg",
        {"-v", "error", "-ss", QString::number(seconds, 'f', 3), "-i", path, "-frames:v", "1",
            "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    if (r.out.size() != kWidth * height * 3)
        return {};
    return QImage(reinterpret_cast<const uchar*>(r.out.constData()), kWidth, height, kWidth * 3,
        QImage::Format_RGB888)
        .copy();
}

double psnr(const QImage& a, const QImage& b, const QRect& areaA, QPoint offsetB = {})
{
    double squares = 0;
    for (int y = areaA.top(); y <= areaA.bottom(); ++y) {
        for (int x = areaA.left(); x <= areaA.right(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x + offsetB.x(), y + offsetB.y());
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                squares += d * d;
        }
    }
    const double mean = squares / (3.0 * areaA.width() * areaA.height());
    return mean == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mean);
}

int countNear(const QImage& image, const QRect& area, QRgb colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += std::abs(qRed(p) - qRed(colour)) < 40 && std::abs(qGreen(p) - qGreen(colour)) < 40
                && std::abs(qBlue(p) - qBlue(colour)) < 60;
        }
    }
    return count;
}

drive::TelemetrySecond fix(float kmh, double latitude)
{
    drive::TelemetrySecond s;
    s.hasFix = s.hasSample = true;
    s.speedKmh = kmh;
    s.course = 90;
    s.latitude = latitude;
    s.longitude = 37.6;
    s.z = 1;
    return s;
}

} // namespace

TEST(OverlayBand, HoldsInterpolatesAndNeverRepeatsAMissingSecond)
{
    drive::RecordingTelemetry t;
    t.start = at(14, 0, 0);
    t.seconds = {fix(100, 55.0), drive::TelemetrySecond{}, fix(10, 55.1), fix(20, 55.2)};
    t.cameraEvents = {{at(14, 0, 1), QStringLiteral("EVT")}};
    const overlay::BandPainter band(t, kWidth, {});

    EXPECT_DOUBLE_EQ(band.values(0.5).speed, 100) << "no fix in the next second: held";
    EXPECT_FALSE(band.values(1.5).hasTelemetry) << "the second before is not repeated";
    EXPECT_EQ(band.values(1.5).speed, 0);
    EXPECT_EQ(band.values(1.5).time, QStringLiteral("2025-06-14 14:00:01"));
    EXPECT_NEAR(band.values(2.5).speed, 15, 1e-3) << "between two fixes the speed moves on";
    EXPECT_NEAR(band.values(2.5).latitude, 55.15, 1e-9);
    EXPECT_FALSE(band.values(4.5).hasTelemetry) << "past the last record";

    EXPECT_FALSE(band.values(0.9).event);
    EXPECT_TRUE(band.values(1.0).event) << "the mark is held for whole seconds, not faded in";
    EXPECT_TRUE(band.values(1.0 + overlay::kEventMarkSeconds - 0.01).event);
    EXPECT_FALSE(band.values(1.0 + overlay::kEventMarkSeconds).event);

    EXPECT_NEAR(overlay::BandPainter(t, kWidth, {1, {}}).values(0).speed, 62.13, 0.02) << "as the panel converts";
    EXPECT_NEAR(overlay::BandPainter(t, kWidth, {2, {}}).values(0).speed, 54.00, 0.01);
    EXPECT_EQ(overlay::BandPainter::unitLabel(1), QStringLiteral("mph"));
    EXPECT_EQ(overlay::BandPainter::unitLabel(2), QStringLiteral("kn"));
    EXPECT_EQ(overlay::BandPainter::compassPoint(-10), QStringLiteral("N"));
    EXPECT_EQ(overlay::BandPainter::compassPoint(359), QStringLiteral("N"));
    EXPECT_EQ(overlay::BandPainter::compassPoint(225), QStringLiteral("SW"));

    // What the band shows for a second without telemetry differs from one with it.
    EXPECT_GT(countNear(band.band(1.5), QRect(0, 0, kWidth, overlay::kBandHeight), kMissingColour), 50);
    EXPECT_EQ(countNear(band.band(2.5), QRect(0, 0, kWidth, overlay::kBandHeight), kMissingColour), 0);
}

class OverlayVideoTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Card::shared().ok()) << "the demo card writer failed"; }
};

// Across the join of the first two recordings (at 7 s).
TEST_F(OverlayVideoTest, TheBandShowsEachSecondsValuesUnderTheSourcesPicture)
{
    QTemporaryDir out;
    const clip::ExportResult result = exportDrawn({at(14, 23, 50), at(14, 24, 6)}, out.path());
    ASSERT_EQ(result.code, clip::Exported) << result.message.toStdString();
    ASSERT_EQ(result.written.size(), 5) << result.written.join(' ').toStdString();
    const QString lossless = result.written[0];
    const QString drawn = QDir(out.path()).filePath(
        QFileInfo(lossless).completeBaseName() + QStringLiteral("_overlay.mp4"));
    ASSERT_TRUE(result.written.contains(drawn));
    QFile list(lossless + QStringLiteral(".sha256"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(list.readAll().contains("  " + QFileInfo(drawn).fileName().toUtf8() + '\n'));
    EXPECT_EQ(run("sh", {"-c", "cd \"$0\" && sha256sum -c --strict *.sha256", out.path()}).exitCode, 0);

    EXPECT_EQ(probeNumber(drawn, "stream=width", "v:0"), kWidth);
    // Tagged, so that a player converts the band's colours as they were drawn: the limited range
    // and the matrix of standard-definition video that the band was converted with.
    EXPECT_EQ(probeText(drawn, "stream=color_range", "v:0").toStdString(), "tv");
    EXPECT_EQ(probeText(drawn, "stream=color_space", "v:0").toStdString(), "smpte170m");
    EXPECT_EQ(probeText(drawn, "stream=color_primaries", "v:0").toStdString(), "smpte170m");
    EXPECT_EQ(probeText(drawn, "stream=color_transfer", "v:0").toStdString(), "smpte170m");
    EXPECT_EQ(probeNumber(drawn, "stream=height", "v:0"), kPictureHeight + overlay::kBandHeight);
    const double length = probeNumber(lossless, "format=duration");
    EXPECT_NEAR(probeNumber(drawn, "format=duration"), length, 1.0 / kFps + 0.01);
    EXPECT_NEAR(probeNumber(drawn, "stream=duration", "a:0"),
        probeNumber(lossless, "stream=duration", "a:0"), 0.03)
        << "the sound is copied whole";
    const Outcome check = run("ffmpeg", {"-v", "warning", "-i", drawn, "-f", "null", "-"});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_TRUE(check.err.trimmed().isEmpty()) << check.err.toStdString();
    const Outcome played = run("mpv", {"--no-config", "--vo=null", "--ao=null", "--frames=60",
                                          "--msg-level=all=error", drawn});
    EXPECT_EQ(played.exitCode, 0) << played.err.toStdString();
    // The index before the media, so a browser plays it while it downloads.
    QFile file(drawn);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(1 << 16);
    const qsizetype moov = head.indexOf("moov");
    const qsizetype mdat = head.indexOf("mdat");
    EXPECT_TRUE(moov > 0 && (mdat < 0 || moov < mdat)) << "moov at " << moov << ", mdat at " << mdat;

    drive::RecordingTelemetry telemetry;
    ASSERT_EQ(drive::readRecording(lossless, telemetry), drive::ReadResult::Ok);
    const overlay::BandPainter painter(telemetry, kWidth, {0, QFileInfo(lossless).fileName()});
    EXPECT_EQ(painter.values(6.5).time, QStringLiteral("2025-06-14 14:23:56"));
    EXPECT_EQ(painter.values(7.5).time, QStringLiteral("2025-06-14 14:23:57"))
        << "time runs on across the join";
    const QRect picture(0, 0, kWidth, kPictureHeight);
    const QRect band(0, kPictureHeight, kWidth, overlay::kBandHeight);
    for (double t : {2.5, 6.5, 7.5, 12.5}) {
        const QImage shown = frameAt(drawn, t, kPictureHeight + overlay::kBandHeight);
        const QImage source = frameAt(lossless, t, kPictureHeight);
        ASSERT_FALSE(shown.isNull() || source.isNull()) << t;
        EXPECT_GT(psnr(shown, source, picture), 35) << "the picture at " << t << " s";
        const QImage expected = painter.band(t).convertToFormat(QImage::Format_RGB888);
        const double right = psnr(shown, expected, band, {0, -kPictureHeight});
        const double wrong
            = psnr(shown, painter.band(t + 3).convertToFormat(QImage::Format_RGB888), band,
                {0, -kPictureHeight});
        EXPECT_GT(right, 28) << "the band at " << t << " s";
        EXPECT_GT(right, wrong + 1) << "the band at " << t << " s shows that second's values";
    }
}

TEST_F(OverlayVideoTest, ARecordingWithoutTelemetryGetsABandSayingSo)
{
    QTemporaryDir card;
    ASSERT_EQ(run(QStringLiteral(ZYN_CARDGEN),
                  {"--length", "3", "--drf", "0", "--evt", "0", "--muevt", "0", "--plain", "1",
                      card.path()})
                  .exitCode,
        0);
    const QStringList names = QDir(card.path()).entryList({"*.mp4"}, QDir::Files);
    ASSERT_EQ(names.size(), 1);
    const QDateTime named = QDateTime::fromString(names[0].mid(4, 15), "yyyyMMdd_HHmmss");
    const QDateTime start(named.date(), named.time(), Qt::UTC);
    QTemporaryDir out;
    const clip::ExportResult result
        = exportDrawn({start, start.addSecs(3)}, out.path(), {}, {card.path()});
    ASSERT_EQ(result.code, clip::Exported) << result.message.toStdString();
    const QString drawn = result.written.filter("_overlay.mp4").value(0);
    ASSERT_FALSE(drawn.isEmpty());
    const QImage shown = frameAt(drawn, 1.5, kPictureHeight + overlay::kBandHeight);
    ASSERT_FALSE(shown.isNull());
    EXPECT_GT(countNear(shown, QRect(0, kPictureHeight, kWidth, overlay::kBandHeight), kMissingColour),
        50);
}

// The lossless clip is complete and checked before the drawing starts: it is the evidence, and
// stays with its list when the drawn clip is cancelled or fails. Only the drawn one goes.
static void expectClipKeptWithoutDrawn(const clip::ExportResult& result, const QString& folder)
{
    EXPECT_EQ(result.code, clip::DrawnFailed) << result.message.toStdString();
    EXPECT_TRUE(result.message.contains("drawn clip")) << result.message.toStdString();
    EXPECT_TRUE(result.message.contains("kept")) << result.message.toStdString();
    const QStringList left = filesIn(folder);
    ASSERT_EQ(left.size(), 4) << left.join(' ').toStdString(); // the clip, GPX, CSV and list
    EXPECT_EQ(left.filter("_overlay").size(), 0);
    EXPECT_EQ(left.filter(".part").size(), 0);
    QStringList written;
    for (const QString& path : result.written)
        written << QFileInfo(path).fileName();
    written.sort();
    EXPECT_EQ(written, left);
    const Outcome check
        = run("sh", {"-c", "cd \"$0\" && sha256sum -c --strict *.sha256", folder});
    EXPECT_EQ(check.exitCode, 0) << check.out.constData();
    EXPECT_EQ(check.out.count(": OK"), 3);
}

TEST_F(OverlayVideoTest, CancelWhileDrawingKeepsTheClip)
{
    QTemporaryDir out;
    std::atomic<bool> cancel{false};
    double reached = 0;
    const clip::Control control{[&](double done) {
                                    reached = done;
                                    if (done > 0.5)
                                        cancel = true;
                                },
        &cancel};
    const clip::ExportResult result
        = exportDrawn({at(14, 23, 40), at(14, 24, 0)}, out.path(), control);
    EXPECT_GT(reached, 0.2) << "the drawing had begun";
    expectClipKeptWithoutDrawn(result, out.path());
}

// Room for the lossless clip and its side files, not for the drawn one.
TEST_F(OverlayVideoTest, AFullDiskWhileDrawingKeepsTheClip)
{
    QTemporaryDir measure;
    const clip::Span span{at(14, 23, 40), at(14, 23, 56)};
    const Exported lossless = exportSpan({Card::shared().folder()}, span, measure.path());
    ASSERT_EQ(lossless.results.size(), 1);
    qint64 bytes = 0;
    for (const QString& path : lossless.results.first().written)
        bytes += QFileInfo(path).size();
    QTemporaryDir mountPoint;
    const QString size = QStringLiteral("size=%1k").arg(bytes / 1024 + 96);
    if (run("mount", {"-t", "tmpfs", "-o", size, "tmpfs", mountPoint.path()}).exitCode != 0)
        GTEST_SKIP() << "a small file system cannot be mounted here";
    const clip::ExportResult result = exportDrawn(span, mountPoint.path());
    expectClipKeptWithoutDrawn(result, mountPoint.path());
    run("umount", {mountPoint.path()});
}

// In-band parameter sets may change the picture size mid-stream (160 x 96, then 640 x 384):
// the drawn clip keeps the size it opened with and scales the later pictures into it.
TEST_F(OverlayVideoTest, APictureSizeChangingMidStreamIsDrawnAtOneSize)
{
    QTemporaryDir dir;
    QByteArray stream;
    for (const char* size : {"160x96", "640x384"}) {
        const Outcome part = run("ffmpeg",
            {"-v", "error", "-f", "lavfi", "-i",
                QStringLiteral("testsrc=size=%1:rate=30:duration=1").arg(size), "-c:v", "libx264",
                "-preset", "ultrafast", "-x264-params", "repeat-headers=1", "-f", "h264", "-"});
        ASSERT_EQ(part.exitCode, 0) << part.err.constData();
        stream += part.out;
    }
    QFile annexB(dir.filePath("stream.h264"));
    ASSERT_TRUE(annexB.open(QIODevice::WriteOnly));
    annexB.write(stream);
    annexB.close();
    QTemporaryDir card;
    const Outcome muxed = run("ffmpeg",
        {"-v", "error", "-framerate", "30", "-i", annexB.fileName(), "-c", "copy",
            card.filePath("drf_20250614_142337.mp4")});
    ASSERT_EQ(muxed.exitCode, 0) << muxed.err.constData();

    QTemporaryDir out;
    const Outcome drawn = run(QStringLiteral(ZYN_CLIP), {"--overlay", "-o", out.path(), card.path()});
    EXPECT_EQ(drawn.exitCode, 0) << drawn.err.constData();
    EXPECT_TRUE(filesIn(out.path()).filter(".part").isEmpty()) << filesIn(out.path()).join(' ').toStdString();
    const QString overlay = out.filePath("clip_drf_20250614_142337_overlay.mp4");
    EXPECT_EQ(probeNumber(overlay, "stream=width", "v:0"), 160);
    EXPECT_EQ(probeNumber(overlay, "stream=height", "v:0"), 96 + overlay::kBandHeight);
    EXPECT_EQ(frameHashes(overlay).size(), 60);
    const Outcome decoded = run("ffmpeg", {"-v", "error", "-i", overlay, "-f", "null", "-"});
    EXPECT_EQ(decoded.exitCode, 0);
    EXPECT_TRUE(decoded.err.isEmpty()) << decoded.err.constData();
}
