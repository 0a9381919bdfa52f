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

// The list travels with the clip: its own files checked wherever they are, by name, and the
// recordings it was cut from checked in the card's folder, without the sender's folders in it.
TEST_F(ClipExportTest, ChecksumListChecksTheClipAnywhereAndItsRecordingsOnTheCard)
{
    QTemporaryDir card;
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(QFile::copy(Card::shared().path(i), card.filePath(Card::shared().names()[i])));
    QTemporaryDir out;
    const Exported exported = exportSpan({card.path()}, {at(14, 23, 55), at(14, 24, 0)}, out.path());
    ASSERT_EQ(exported.results.size(), 1);
    const clip::ExportResult& result = exported.results.first();
    ASSERT_EQ(result.code, clip::Exported);
    const QString list = result.written.last();
    ASSERT_TRUE(list.endsWith(".mp4.sha256"));
    const QByteArray text = cardfile::readAll(list);
    EXPECT_TRUE(text.startsWith("# clip 2025-06-14 14:23:55 to 2025-06-14 14:24:00"));
    EXPECT_TRUE(text.contains("zyn_clip_tests " + clip::version().toLatin1()));
    for (QByteArray line : text.split('\n')) {
        if (line.startsWith("#  "))
            line = line.mid(3); // a recording's line
        if (!line.isEmpty() && !line.startsWith('#')) {
            EXPECT_FALSE(line.mid(66).contains('/')) << "a folder of the sender: " << line.constData();
        }
    }
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(text.contains("  " + Card::shared().names()[i].toLatin1() + '\n'));

    // Received without the card, in a folder of another name.
    QTemporaryDir received;
    for (const QString& path : result.written)
        ASSERT_TRUE(QFile::copy(path, received.filePath(QFileInfo(path).fileName())));
    const QString listName = QFileInfo(list).fileName();
    const Outcome clipCheck = run("sh", {"-c", "cd \"$0\" && sha256sum -c --strict \"$1\"",
                                            received.path(), listName});
    EXPECT_EQ(clipCheck.exitCode, 0) << clipCheck.out.constData() << clipCheck.err.constData();
    EXPECT_EQ(clipCheck.out.count(": OK"), result.written.size() - 1);

    // The recordings, in the card's folder, as the README says.
    const QString sources = "cd \"$0\" && sed -n 's/^#  //p' \"$1\" | sha256sum -c --strict";
    const Outcome cardCheck = run("sh", {"-c", sources, card.path(), list});
    EXPECT_EQ(cardCheck.exitCode, 0) << cardCheck.out.constData() << cardCheck.err.constData();
    EXPECT_EQ(cardCheck.out.count(": OK"), 2);

    // One byte changed fails its check, by name.
    for (const QString& path : {received.filePath(QFileInfo(result.written.first()).fileName()),
             card.filePath(Card::shared().names()[1])}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(file.size() / 2);
        char byte = 0;
        file.getChar(&byte);
        file.seek(file.size() / 2);
        file.putChar(char(byte ^ 1));
    }
    const Outcome changedClip = run("sh", {"-c", "cd \"$0\" && sha256sum -c \"$1\"",
                                              received.path(), listName});
    EXPECT_NE(changedClip.exitCode, 0);
    EXPECT_TRUE(changedClip.out.contains(QFileInfo(result.written.first()).fileName().toLocal8Bit()
        + ": FAILED"));
    const Outcome changedSource = run("sh", {"-c", sources, card.path(), list});
    EXPECT_NE(changedSource.exitCode, 0);
    EXPECT_TRUE(changedSource.out.contains(Card::shared().names()[1].toLocal8Bit() + ": FAILED"));
}

// Where recording j's own sound lies in the clip's decoded sound, against where its picture
// starts: the offset (in samples) at which the two agree best.
int soundOffset(const QList<qint16>& clip, const QList<qint16>& recording, qsizetype pictureAt)
{
    constexpr qsizetype kFrom = 2048; // past the join's own sound frame
    constexpr qsizetype kLength = 8192;
    constexpr int kSearch = 4096;
    int best = 0;
    double bestError = -1;
    for (int offset = -kSearch; offset <= kSearch; ++offset) {
        const qsizetype at = pictureAt + offset + kFrom;
        if (at < 0 || at + kLength > clip.size() || kFrom + kLength > recording.size())
            continue;
        double error = 0;
        for (qsizetype k = 0; k < kLength; ++k) {
            const double d = double(clip[at + k]) - recording[kFrom + k];
            error += d * d;
        }
        if (bestError < 0 || error < bestError) {
            bestError = error;
            best = offset;
        }
    }
    return best;
}

// Decoders play every sound frame they are given whole, whatever the timing table says, so a
// frame cut short at a join still sounds whole and pushes the sound after it late. Measured by
// decoding the clip: where each recording's own sound is heard, and how long the sound lasts.
TEST_F(ClipExportTest, TheSoundStaysWithThePictureAtEveryJoin)
{
    // Five-second recordings hold 156.25 sound frames each: no join falls between two frames.
    QTemporaryDir card;
    const Outcome made = writeCard(card.path(),
        {"--length", "5", "--drf", "3", "--evt", "0", "--muevt", "0", "--seed", "2"});
    ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    const QStringList names = QDir(card.path()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(names.size(), 3);
    QTemporaryDir out;
    const Exported exported = exportSpan({card.path()}, {at(14, 23, 39), at(14, 23, 52)}, out.path());
    ASSERT_EQ(exported.results.size(), 1) << exported.plan.messages.join('\n').toStdString();
    ASSERT_EQ(exported.results.first().code, clip::Exported);
    const QString clipPath = exported.results.first().written.first();

    constexpr int kRate = 32000;
    constexpr int kFrame = kRate / kFps;
    const QList<qint16> sound = decodedSound(clipPath);
    for (int j = 1; j < 3; ++j) {
        const qsizetype pictureAt = qsizetype(5 * j - 2) * kRate; // the recording's start in the clip
        const int offset = soundOffset(sound, decodedSound(card.filePath(names[j])), pictureAt);
        EXPECT_LE(std::abs(offset), kFrame) << "join " << j << ": the sound is " << offset
                                            << " samples off the picture";
    }
    EXPECT_NEAR(double(sound.size()) / kRate, probeNumber(clipPath, "stream=duration", "v"),
        1.0 / kFps);
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
