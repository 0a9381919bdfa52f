// Recordings written by ffmpeg's own muxers (MP4, and MOV where the sound is PCM, which MP4 does
// not carry) in every codec a driver's cameras write, cut at several points and recovered with a
// shorter reference of other scenery and sound. ffmpeg judges: every packet wholly before the cut
// comes back bit-identical with its times (framemd5), the pictures show as in the original from
// the first on, nothing fails to decode, and the sound starts within one picture of where it did.

#include "CutRecordings.h"

#include "recover/Recovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace cutrec;

namespace {

struct Spec
{
    const char* name;
    const char* format;
    QStringList video;
    QStringList sound; // empty: no sound
    int pictureSlack; // pictures before the cut that may be lost (MPEG-4 has no end marker)
};

const QStringList kH264 = {"-c:v", "libx264", "-preset", "ultrafast", "-bf", "0", "-g", "30"};
// x264's default: three B-frames, pyramid; what many cameras do too.
const QStringList kH264Reordered = {"-c:v", "libx264", "-preset", "veryfast", "-g", "30"};
const QStringList kHevc
    = {"-c:v", "libx265", "-preset", "ultrafast", "-x265-params", "log-level=error:keyint=30"};
const QStringList kMpeg4 = {"-c:v", "mpeg4", "-q:v", "7", "-g", "30"};
const QStringList kMjpeg = {"-c:v", "mjpeg", "-q:v", "7"};
const QStringList kAac = {"-c:a", "aac", "-b:a", "96k"};
const QStringList kPcm = {"-c:a", "pcm_s16le"};

// A representative matrix rather than every pairing: each codec with AAC in MP4, the reordering
// ones and MPEG-4 (whose pictures the sound ends) with PCM in MOV, stereo once, silence once.
const std::vector<Spec> kSpecs = {
    {"h264_aac", "mp4", kH264, kAac, 0},
    {"h264_bframes_aac", "mp4", kH264Reordered, kAac, 0},
    {"hevc_aac_stereo", "mp4", kHevc, kAac + QStringList{"-ac", "2"}, 0},
    {"mpeg4_aac", "mp4", kMpeg4, kAac, 1},
    {"mjpeg_aac", "mp4", kMjpeg, kAac, 0},
    {"h264_bframes_pcm", "mov", kH264Reordered, kPcm, 0},
    {"hevc_pcm", "mov", kHevc, kPcm, 0},
    {"mpeg4_pcm", "mov", kMpeg4, kPcm, 1},
    {"h264_bframes_silent", "mp4", kH264Reordered, {}, 0},
};

QString make(const Spec& spec, bool reference)
{
    // 7 s of 48 kHz AAC is 328 frames: past the 256th, where FFmpeg's encoder writes a fill
    // element first.
    const QString seconds = reference ? QStringLiteral("4") : QStringLiteral("7");
    QStringList args = {"-f", "lavfi", "-i",
        (reference ? QStringLiteral("testsrc") : QStringLiteral("testsrc2"))
            + QStringLiteral("=size=320x240:rate=30:duration=") + seconds};
    if (!spec.sound.isEmpty())
        args << QStringList{"-f", "lavfi", "-i",
            reference ? QStringLiteral("sine=f=440:r=48000:d=") + seconds
                      : QStringLiteral("anoisesrc=c=pink:r=48000:a=0.1:seed=7:d=") + seconds};
    // A camera's settings: the same picture format whatever the scene.
    args << spec.video
         << QStringList{"-pix_fmt", spec.video.contains("mjpeg") ? "yuvj420p" : "yuv420p"}
         << spec.sound << QStringList{"-f", spec.format};
    return ffmpegRecording(
        QStringLiteral("%1_%2.%3")
            .arg(QLatin1String(spec.name),
                reference ? QStringLiteral("reference") : QStringLiteral("original"),
                QLatin1String(spec.format)),
        args);
}

struct Original
{
    QString path, reference;
    QByteArray bytes;
    Streams streams; // where each packet lies
    FfmpegView view;
    qint64 moov = -1;
};

class RecoveryMatrixTest : public ::testing::TestWithParam<Spec>
{
protected:
    static const Original& original(const Spec& spec)
    {
        static std::map<QString, Original> originals;
        Original& o = originals[QLatin1String(spec.name)];
        if (o.path.isEmpty()) {
            o.path = make(spec, false);
            o.reference = make(spec, true);
            o.bytes = readFile(o.path);
            o.streams = readStreams(o.path);
            o.view = ffmpegView(o.path);
            o.moov = indexOffset(o.bytes);
        }
        return o;
    }

    // Cuts the original at `cut`, recovers it and holds the result against the original.
    void expectRecovered(const Spec& spec, const Original& o, qint64 cut)
    {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        QTemporaryDir dir;
        const QString damaged = dir.filePath(QStringLiteral("drf_20250614_142345.") + spec.format);
        ASSERT_TRUE(writeFile(damaged, o.bytes.left(cut)));
        const recover::Report report = recover::recoverRecording({damaged, o.reference, {}});
        ASSERT_EQ(report.outcome, recover::Outcome::Recovered) << report.message.toStdString();
        EXPECT_EQ(readFile(damaged), o.bytes.left(cut)) << "the damaged file is only read";

        const FfmpegView got = ffmpegView(report.output);
        ASSERT_TRUE(got.ran) << got.errors.toStdString();
        EXPECT_TRUE(got.errors.isEmpty()) << got.errors.toStdString();
        const bool complete = cut >= o.moov;
        const bool pcm = spec.sound.contains("pcm_s16le");
        const std::vector<Packet>* originals[] = {&o.streams.video, &o.streams.sound};
        for (int s = 0; s < (spec.sound.isEmpty() ? 1 : 2); ++s) {
            const int inside = int(std::count_if(originals[s]->begin(), originals[s]->end(),
                [cut](const Packet& p) { return p.pos + p.size <= cut; }));
            const QStringList& lines = got.packets.count(s) ? got.packets.at(s) : QStringList();
            const QStringList& expected = o.view.packets.at(s);
            // An MPEG-4 picture before PCM at the very end has nothing to end it: it goes, with
            // the sound after it.
            const bool exact = complete && !(pcm && spec.pictureSlack);
            const int slack = exact ? 0 : s == 0 ? spec.pictureSlack : 1 + 2 * spec.pictureSlack;
            // PCM keeps the whole frames of a chunk the cut went through: one packet more.
            EXPECT_LE(int(lines.size()), inside + (pcm && s == 1 && !complete ? 1 : 0)) << s;
            EXPECT_GE(int(lines.size()), inside - slack) << "stream " << s;
            const int compared = std::min<int>(inside, int(lines.size()));
            for (int i = 0; i < compared; ++i) {
                // The last packet lasts to the end of its track's edit, which is whole ticks of
                // the movie's clock: a fraction longer than its samples.
                const auto fields = [&](const QString& line) {
                    QStringList f = line.split(QLatin1Char(','));
                    if (i + 1 == int(lines.size()))
                        f.removeAt(2);
                    return f.join(QLatin1Char(',')).toStdString();
                };
                ASSERT_EQ(fields(lines[i]), fields(expected[i]))
                    << "stream " << s << " packet " << i;
            }
        }
        // Decoded, in display order: the same pictures from the first one shown on (the last
        // few may lack the pictures after the cut that they would be shown among).
        const QStringList& pictures = got.frames.at(0);
        const QStringList& originalPictures = o.view.frames.at(0);
        ASSERT_FALSE(pictures.isEmpty());
        for (int i = 0; i + 4 < std::min(pictures.size(), originalPictures.size()); ++i)
            ASSERT_EQ(pictures[i].toStdString(), originalPictures[i].toStdString())
                << "picture " << i << " as shown";
        if (!spec.sound.isEmpty() && got.frames.count(1)) {
            EXPECT_EQ(
                got.frames.at(1).front().toStdString(), o.view.frames.at(1).front().toStdString());
            const double lag = got.firstTime(1) - got.firstTime(0);
            const double originalLag = o.view.firstTime(1) - o.view.firstTime(0);
            EXPECT_LE(std::abs(lag - originalLag), 1.0 / 30) << "sound within one picture";
        }
        EXPECT_EQ(report.videoFrames, uint32_t(got.packets.at(0).size()));
    }
};

TEST_P(RecoveryMatrixTest, EveryPacketBeforeTheCutComesBackAsItWas)
{
    const Spec& spec = GetParam();
    const Original& o = original(spec);
    ASSERT_FALSE(o.path.isEmpty() || o.reference.isEmpty())
        << "ffmpeg could not make " << spec.name;
    ASSERT_GT(o.moov, 0) << "the index at the end, as a camera writes it";
    ASSERT_GT(o.streams.video.size(), 200u);
    for (const qint64 cut :
        {qint64(100000), o.moov / 10 + 13, o.moov * 6 / 10 + 7, o.moov * 99 / 100, o.moov}) {
        if (cut <= o.moov)
            expectRecovered(spec, o, cut);
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, RecoveryMatrixTest, ::testing::ValuesIn(kSpecs),
    [](const ::testing::TestParamInfo<Spec>& info) { return std::string(info.param.name); });

// A text track interleaved with the pictures and sound (a record a second, as a camera's
// position track), its cues of one length or of many: its chunks are stepped over, the pictures
// and sound come back whole.
TEST(OtherTracksTest, ChunksOfATextTrackAreSteppedOver)
{
    for (const bool sameLength : {true, false}) {
        SCOPED_TRACE(sameLength ? "cues of one length" : "cues of many lengths");
        QDir cache(QDir::tempPath() + "/zyn-recover-tests");
        cache.mkpath(".");
        const QString cues = cache.filePath(sameLength ? "cues_same.srt" : "cues_varied.srt");
        QByteArray srt;
        for (int i = 0; i < 7; ++i)
            srt += QStringLiteral("%1\n00:00:0%2,000 --> 00:00:0%3,000\n%4\n\n")
                       .arg(i + 1)
                       .arg(i)
                       .arg(i + 1)
                       .arg(sameLength ? QStringLiteral("second %1").arg(i)
                                       : QString(1 + i * i, QLatin1Char('x')))
                       .toLatin1();
        ASSERT_TRUE(writeFile(cues, srt));
        const auto make = [&](const QString& seconds) {
            return ffmpegRecording(QStringLiteral("text_%1_%2.mp4").arg(sameLength).arg(seconds),
                QStringList{"-f", "lavfi", "-i",
                    "testsrc2=size=320x240:rate=30:duration=" + seconds, "-f", "lavfi", "-i",
                    "sine=f=440:r=48000:d=" + seconds, "-i", cues, "-map", "0", "-map", "1", "-map",
                    "2"}
                    + kH264 + QStringList{"-pix_fmt", "yuv420p"} + kAac
                    + QStringList{"-c:s", "mov_text", "-t", seconds, "-f", "mp4"});
        };
        const QString original = make("7"), reference = make("4");
        ASSERT_FALSE(original.isEmpty() || reference.isEmpty());
        const QByteArray bytes = readFile(original);
        const qint64 cut = indexOffset(bytes) * 8 / 10;
        QTemporaryDir dir;
        const QString damaged = dir.filePath("drf_20250614_142345.mp4");
        ASSERT_TRUE(writeFile(damaged, bytes.left(cut)));
        const recover::Report report = recover::recoverRecording({damaged, reference, {}});
        ASSERT_EQ(report.outcome, recover::Outcome::Recovered) << report.message.toStdString();
        const Streams streams = readStreams(original);
        const FfmpegView got = ffmpegView(report.output), expected = ffmpegView(original);
        EXPECT_TRUE(got.errors.isEmpty()) << got.errors.toStdString();
        const std::vector<Packet>* originals[] = {&streams.video, &streams.sound};
        for (int s = 0; s < 2; ++s) {
            const int inside = int(std::count_if(originals[s]->begin(), originals[s]->end(),
                [cut](const Packet& p) { return p.pos + p.size <= cut; }));
            EXPECT_GE(int(got.packets.at(s).size()), inside - s) << "stream " << s;
            for (int i = 0; i + 1 < got.packets.at(s).size(); ++i)
                ASSERT_EQ(
                    got.packets.at(s)[i].toStdString(), expected.packets.at(s)[i].toStdString())
                    << "stream " << s << " packet " << i;
        }
    }
}

// A muxer's rhythm that slips mid-way (here at each join of a recording copied four times in a
// row: the sound's and the pictures' timestamps no longer divide as before), so that chunks hold
// more or fewer frames than the reference's pattern says: the walk follows the data, and every
// picture and sound frame before the cut comes back with its bytes (the times restart at each
// join in the original, which one index of steady frames cannot tell).
TEST(SlippedRhythmTest, ChunksOfOtherSizesThanThePatternsAreFollowed)
{
    const QString once = ffmpegRecording("rhythm_once.mp4",
        QStringList{"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=30:duration=3", "-f", "lavfi",
            "-i", "anoisesrc=c=pink:r=48000:a=0.1:d=3"}
            + kMjpeg + QStringList{"-pix_fmt", "yuvj420p"} + kAac + QStringList{"-f", "mp4"});
    ASSERT_FALSE(once.isEmpty());
    const QString joined = ffmpegRecording(
        "rhythm_joined.mp4", {"-stream_loop", "3", "-i", once, "-c", "copy", "-f", "mp4"});
    ASSERT_FALSE(joined.isEmpty());
    const QByteArray bytes = readFile(joined);
    const qint64 cut = indexOffset(bytes) * 9 / 10;
    QTemporaryDir dir;
    const QString damaged = dir.filePath("drf_20250614_142345.mp4");
    ASSERT_TRUE(writeFile(damaged, bytes.left(cut)));
    const recover::Report report = recover::recoverRecording({damaged, once, {}});
    ASSERT_EQ(report.outcome, recover::Outcome::Recovered) << report.message.toStdString();
    const Streams original = readStreams(joined), got = readStreams(report.output);
    const std::vector<Packet>* originals[] = {&original.video, &original.sound};
    const std::vector<Packet>* recovered[] = {&got.video, &got.sound};
    for (int s = 0; s < 2; ++s) {
        const int inside = int(std::count_if(originals[s]->begin(), originals[s]->end(),
            [cut](const Packet& p) { return p.pos + p.size <= cut; }));
        ASSERT_GT(inside, 90) << "past the first join";
        EXPECT_GE(int(recovered[s]->size()), inside - s) << "stream " << s;
        for (size_t i = 0; i < recovered[s]->size(); ++i)
            ASSERT_EQ((*recovered[s])[i], (*originals[s])[i]) << "stream " << s << " packet " << i;
    }
    EXPECT_TRUE(ffmpegView(report.output).errors.isEmpty());
}

} // namespace
