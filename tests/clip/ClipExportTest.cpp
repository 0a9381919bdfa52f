#include "ClipTestCard.h"

#include "recording/EventIndex.h"
#include "recording/RecordingName.h"
#include "support/CardFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace cliptest;

namespace {

class ClipExportTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Card::shared().ok()) << "the demo card writer failed"; }

    // The clip of `span`, checked against its sources by judges that are not ours: ffmpeg's
    // frame checksums, ffprobe's durations, the test's own box reader and sha256sum.
    static void expectFaithfulClip(const QDateTime& from, const QDateTime& to);
};

struct Expected
{
    QStringList frames;
    QList<std::uint32_t> times;
    QList<QByteArray> sentences;
    QList<std::array<float, 3>> samples;
    QList<QByteArray> events;
};

Expected expectedOf(const QDateTime& from, const QDateTime& to)
{
    Card& card = Card::shared();
    Expected e;
    for (int i = 0; i < 3; ++i) {
        const qint64 first = std::max<qint64>(0, card.start(i).secsTo(from));
        const qint64 last = std::min<qint64>(kSeconds, card.start(i).secsTo(to));
        if (first >= last)
            continue;
        e.frames << card.frames(i).mid(first * kFps, (last - first) * kFps);
        const QByteArray file = cardfile::readAll(card.path(i));
        const auto t = cardfile::telemetry(file);
        e.times << t->times.mid(first, last - first);
        e.sentences << t->sentences.mid(first, last - first);
        e.samples << t->samples.mid(first, last - first);
        for (const QByteArray& text : cardfile::eventTexts(file)) {
            const auto moment = recording::eventMoment(text.toStdString());
            if (moment && *moment >= from && *moment < to)
                e.events << text;
        }
    }
    return e;
}

void ClipExportTest::expectFaithfulClip(const QDateTime& from, const QDateTime& to)
{
    SCOPED_TRACE(
        from.toString("HH:mm:ss").toStdString() + " to " + to.toString("HH:mm:ss").toStdString());
    QTemporaryDir out;
    const Exported exported = exportSpan({Card::shared().path(0)}, {from, to}, out.path());
    ASSERT_EQ(exported.results.size(), 1) << exported.plan.messages.join('\n').toStdString();
    const clip::ExportResult& result = exported.results.first();
    ASSERT_EQ(result.code, clip::Exported) << result.message.toStdString();
    const QString clipPath = result.written.first();
    EXPECT_EQ(recording::recordingStart(QFileInfo(clipPath).fileName()), from);

    const Expected expected = expectedOf(from, to);
    const double seconds = from.secsTo(to);
    // Every picture is the source's own, from the one at the start mark to the one before the end.
    EXPECT_EQ(frameHashes(clipPath), expected.frames);
    EXPECT_NEAR(probeNumber(clipPath, "format=duration"), seconds, 1.0 / kFps);
    EXPECT_NEAR(probeNumber(clipPath, "stream=duration", "v"), seconds, 1.0 / kFps);
    // The sound is there, starts with the picture and lasts as long.
    EXPECT_NEAR(probeNumber(clipPath, "stream=start_time", "a"), 0, 1.0 / kFps);
    EXPECT_NEAR(probeNumber(clipPath, "stream=duration", "a"), seconds, 1.0 / kFps);
    // Every sound packet of the clip is one of the camera's, at the moment it had there: sound
    // and picture stay in step across the joins, with no gap in the sound.
    QHash<QString, double> sourceTimes; // seconds since the card's first recording started
    for (int i = 0; i < 3; ++i) {
        for (const auto& [time, hash] : soundPackets(Card::shared().path(i)))
            sourceTimes.insert(hash, Card::first().secsTo(Card::shared().start(i)) + time);
    }
    const QList<QPair<double, QString>> sound = soundPackets(clipPath);
    ASSERT_GE(sound.size(), seconds * 32000 / 1024);
    const double offset = Card::first().secsTo(from);
    for (qsizetype i = 0; i < sound.size(); ++i) {
        ASSERT_TRUE(sourceTimes.contains(sound[i].second)) << "packet " << i;
        EXPECT_NEAR(sourceTimes[sound[i].second], offset + sound[i].first, 0.001) << "packet " << i;
        if (i > 0) {
            EXPECT_LE(sound[i].first - sound[i - 1].first, 1024 / 32000.0 + 0.001)
                << "packet " << i;
        }
    }
    const Outcome decode = run("ffmpeg", {"-v", "error", "-i", clipPath, "-f", "null", "-"});
    EXPECT_EQ(decode.exitCode, 0);
    EXPECT_TRUE(decode.err.isEmpty()) << decode.err.constData();

    // The telemetry block holds the source records of exactly the span's seconds.
    const QByteArray clipFile = cardfile::readAll(clipPath);
    const auto telemetry = cardfile::telemetry(clipFile);
    ASSERT_TRUE(telemetry);
    EXPECT_EQ(telemetry->times, expected.times);
    EXPECT_EQ(telemetry->sentences, expected.sentences);
    EXPECT_EQ(telemetry->samples, expected.samples);
    // Each event inside the span is kept and falls on the second of the hard braking it marks.
    EXPECT_EQ(cardfile::eventTexts(clipFile), expected.events);
    for (const QByteArray& text : expected.events) {
        const qint64 second = from.secsTo(*recording::eventMoment(text.toStdString()));
        EXPECT_LT(telemetry->samples.value(second)[0], -1.0f) << text.constData();
    }
    if (!expected.events.isEmpty()) {
        EXPECT_TRUE(QFileInfo(clipPath).fileName().contains("evt_"));
    }

    const Outcome check
        = run("sh", {"-c", "cd \"$0\" && sha256sum -c --strict *.sha256", out.path()});
    EXPECT_EQ(check.exitCode, 0) << check.out.constData() << check.err.constData();
    EXPECT_EQ(result.written.size(), 4); // clip, GPX, CSV, list
}

TEST_F(ClipExportTest, SpansInsideOneAcrossTwoAndThreeKeepEveryFrameAndRecord)
{
    expectFaithfulClip(at(14, 23, 40), at(14, 23, 50)); // inside the first recording
    expectFaithfulClip(at(14, 23, 50), at(14, 24, 5)); // across one join
    expectFaithfulClip(at(14, 23, 50), at(14, 24, 20)); // across two joins
    expectFaithfulClip(at(14, 23, 37), at(14, 24, 37)); // first second to last second
}

TEST_F(ClipExportTest, EventSpanReachesIntoThePreviousRecording)
{
    const QList<clip::Span> spans = clip::eventSpans(Card::shared().path(1));
    ASSERT_FALSE(spans.isEmpty());
    const clip::Span span = spans.first();
    ASSERT_LT(span.from, Card::shared().start(1)) << "the first event is not near the start";
    expectFaithfulClip(span.from, span.to);
}

// Cameras and re-encoders place key frames anywhere: a start between two of them copies the
// group of pictures from its key frame and an edit list hides the frames before the mark.
TEST_F(ClipExportTest, StartInsideAGroupOfPicturesIsExact)
{
    QTemporaryDir dir;
    Card& card = Card::shared();
    for (int i = 0; i < 2; ++i) {
        const Outcome encoded = run("ffmpeg",
            {"-v", "error", "-i", card.path(i), "-c:v", "libx264", "-preset", "ultrafast", "-g",
                "45", "-keyint_min", "45", "-sc_threshold", "0", "-c:a", "copy",
                dir.filePath(card.names()[i])});
        ASSERT_EQ(encoded.exitCode, 0) << encoded.err.constData();
    }
    QTemporaryDir out;
    const Exported exported = exportSpan(
        {dir.path()}, {at(14, 23, 38), at(14, 24, 1)}, out.path()); // key frames at 0, 1.5 s
    ASSERT_EQ(exported.results.size(), 1);
    ASSERT_EQ(exported.results.first().code, clip::Exported);
    const QStringList first = frameHashes(dir.filePath(card.names()[0]));
    const QStringList second = frameHashes(dir.filePath(card.names()[1]));
    const QString clipPath = exported.results.first().written.first();
    EXPECT_EQ(frameHashes(clipPath), first.mid(kFps) + second.mid(0, 4 * kFps));
    EXPECT_NEAR(probeNumber(clipPath, "format=duration"), 23, 1.0 / kFps);
}

TEST_F(ClipExportTest, ChecksumListFailsOnceOneByteOfTheClipChanges)
{
    QTemporaryDir out;
    const Exported exported
        = exportSpan({Card::shared().folder()}, {at(14, 23, 55), at(14, 24, 0)}, out.path());
    ASSERT_EQ(exported.results.size(), 1);
    const clip::ExportResult& result = exported.results.first();
    ASSERT_EQ(result.code, clip::Exported);
    const QString list = result.written.last();
    ASSERT_TRUE(list.endsWith(".mp4.sha256"));
    QFile listFile(list);
    ASSERT_TRUE(listFile.open(QIODevice::ReadOnly));
    const QByteArray text = listFile.readAll();
    EXPECT_TRUE(text.startsWith("# clip 2025-06-14 14:23:55 to 2025-06-14 14:24:00"));
    EXPECT_TRUE(text.contains("zyn_clip_tests " + clip::version().toLatin1()));
    EXPECT_TRUE(text.contains(Card::shared().path(0).toLocal8Bit())); // both sources
    EXPECT_TRUE(text.contains(Card::shared().path(1).toLocal8Bit()));
    const QString verify = "cd \"$0\" && sha256sum -c --strict *.sha256";
    EXPECT_EQ(run("sh", {"-c", verify, out.path()}).exitCode, 0);

    QFile clipFile(result.written.first());
    ASSERT_TRUE(clipFile.open(QIODevice::ReadWrite));
    clipFile.seek(clipFile.size() / 2);
    char byte = 0;
    clipFile.getChar(&byte);
    clipFile.seek(clipFile.size() / 2);
    clipFile.putChar(char(byte ^ 1));
    clipFile.close();
    const Outcome changed = run("sh", {"-c", verify, out.path()});
    EXPECT_NE(changed.exitCode, 0);
    EXPECT_TRUE(changed.out.contains(QFileInfo(clipFile).fileName().toLocal8Bit() + ": FAILED"));
}

TEST_F(ClipExportTest, AnExistingFileIsNeverOverwritten)
{
    QTemporaryDir out;
    QFile mine(out.filePath("clip_drf_20250614_142340.gpx"));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("the user's own file");
    mine.close();
    const clip::Span span{at(14, 23, 40), at(14, 23, 42)};
    const Exported first = exportSpan({Card::shared().folder()}, span, out.path());
    const Exported second = exportSpan({Card::shared().folder()}, span, out.path());
    ASSERT_EQ(first.results.value(0).code, clip::Exported);
    ASSERT_EQ(second.results.value(0).code, clip::Exported);
    EXPECT_EQ(QFileInfo(first.results[0].written[0]).fileName(), "clip_drf_20250614_142340-2.mp4");
    EXPECT_EQ(QFileInfo(second.results[0].written[0]).fileName(), "clip_drf_20250614_142340-3.mp4");
    EXPECT_EQ(cardfile::readAll(mine.fileName()), "the user's own file");
}

// A recording of another codec is not joined: the span gives one clip up to it and one from it.
TEST_F(ClipExportTest, RecordingsWithOtherStreamParametersGiveSeparateClips)
{
    QTemporaryDir dir;
    Card& card = Card::shared();
    ASSERT_TRUE(QFile::copy(card.path(2), dir.filePath(card.names()[2])));
    const Outcome made = run(QStringLiteral(ZYN_CARDGEN),
        {"--length", "5", "--codec", "mpeg4", "--drf", "1", "--evt", "0", "--muevt", "0", "--start",
            "2025-06-14 14:24:37", dir.path()});
    ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    QTemporaryDir out;
    const Exported exported
        = exportSpan({dir.path()}, {at(14, 24, 30), at(14, 24, 40)}, out.path());
    ASSERT_EQ(exported.results.size(), 2);
    EXPECT_TRUE(exported.plan.messages.join('\n').contains("other stream parameters"));
    EXPECT_EQ(exported.results[0].code, clip::Exported);
    EXPECT_EQ(exported.results[1].code, clip::Exported);
    EXPECT_NEAR(probeNumber(exported.results[0].written[0], "format=duration"), 7, 1.0 / kFps);
    EXPECT_NEAR(probeNumber(exported.results[1].written[0], "format=duration"), 3, 1.0 / kFps);
    EXPECT_EQ(exported.results[1].written[0].section('/', -1), "clip_drf_20250614_142437.mp4");
}

// The next recording continues the one before when it starts within 2 s of its end, by the
// names' times and the lengths; a longer gap starts a new clip.
TEST_F(ClipExportTest, NeighboursJoinOnlyWithinTwoSeconds)
{
    QTemporaryDir dir;
    for (const char* start :
        {"2025-06-14 14:23:37", "2025-06-14 14:23:43", "2025-06-14 14:23:51"}) {
        const Outcome made = run(QStringLiteral(ZYN_CARDGEN),
            {"--length", "5", "--drf", "1", "--evt", "0", "--muevt", "0", "--start", start,
                dir.path()});
        ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    }
    QTemporaryDir out;
    const Exported exported = exportSpan({dir.path()}, {at(14, 23, 38), at(14, 24, 0)}, out.path());
    ASSERT_EQ(exported.plan.clips.size(), 2);
    EXPECT_EQ(exported.plan.clips[0].pieces.size(), 2); // 1 s apart: joined
    EXPECT_EQ(exported.plan.clips[1].pieces.size(), 1); // 3 s apart: a clip of its own
    EXPECT_TRUE(exported.plan.messages.join('\n').contains("does not continue"));
    ASSERT_EQ(exported.results.size(), 2);
    ASSERT_EQ(exported.results[0].code, clip::Exported);
    ASSERT_EQ(exported.results[1].code, clip::Exported);
    const QString joined = exported.results[0].written[0];
    EXPECT_NEAR(probeNumber(joined, "format=duration"), 9, 1.0 / kFps);
    EXPECT_EQ(cardfile::telemetry(cardfile::readAll(joined))->times.size(), 9);
    EXPECT_EQ(QFileInfo(exported.results[1].written[0]).fileName(), "clip_drf_20250614_142351.mp4");
    EXPECT_NEAR(probeNumber(exported.results[1].written[0], "format=duration"), 5, 1.0 / kFps);
}

} // namespace
