#include "ClipTestCard.h"

#include "support/CardFile.h"
#include "support/FullCard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

using namespace cliptest;

namespace {

class ClipFailureTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Card::shared().ok()) << "the demo card writer failed"; }
};

// A memory card with room for less than the clip: a small tmpfs where the tests may mount one
// (they run as root), else a file size limit that fails writes the same way.
TEST_F(ClipFailureTest, AFullDiskLeavesNothingAndSaysSo)
{
    QTemporaryDir mountPoint;
    const bool mounted
        = run("mount", {"-t", "tmpfs", "-o", "size=256k", "tmpfs", mountPoint.path()}).exitCode
        == 0;
    clip::ExportResult result;
    {
        std::unique_ptr<testsupport::FullCard> limit;
        if (!mounted)
            limit = std::make_unique<testsupport::FullCard>(256 * 1024);
        const Exported exported = exportSpan(
            {Card::shared().folder()}, {at(14, 23, 40), at(14, 24, 0)}, mountPoint.path());
        ASSERT_EQ(exported.results.size(), 1);
        result = exported.results.first();
    }
    const QStringList left = filesIn(mountPoint.path());
    if (mounted)
        run("umount", {mountPoint.path()});
    EXPECT_EQ(result.code, clip::WriteFailed);
    EXPECT_TRUE(result.message.contains("no file was left behind")) << result.message.toStdString();
    EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
}

TEST_F(ClipFailureTest, CancelMidWayLeavesNothing)
{
    QTemporaryDir out;
    std::atomic<bool> cancel{false};
    double reached = 0;
    const clip::Control control{[&](double done) {
                                    reached = done;
                                    if (done > 0.3)
                                        cancel = true;
                                },
        &cancel};
    const Exported exported = exportSpan(
        {Card::shared().folder()}, {at(14, 23, 40), at(14, 24, 30)}, out.path(), control);
    ASSERT_EQ(exported.results.size(), 1);
    EXPECT_EQ(exported.results.first().code, clip::Cancelled);
    EXPECT_LT(reached, 0.5);
    EXPECT_TRUE(filesIn(out.path()).isEmpty()) << filesIn(out.path()).join(' ').toStdString();
}

TEST_F(ClipFailureTest, AFolderThatVanishesMidWayIsReported)
{
    QTemporaryDir parent;
    const QString folder = parent.filePath("usb-stick");
    ASSERT_TRUE(QDir().mkpath(folder));
    bool removed = false;
    const clip::Control control{[&](double done) {
        if (done > 0.3 && !removed)
            removed = QDir(folder).removeRecursively();
    }};
    const Exported exported
        = exportSpan({Card::shared().folder()}, {at(14, 23, 40), at(14, 24, 0)}, folder, control);
    ASSERT_TRUE(removed);
    ASSERT_EQ(exported.results.size(), 1);
    EXPECT_EQ(exported.results.first().code, clip::WriteFailed);
    EXPECT_TRUE(exported.results.first().message.contains("is gone"))
        << exported.results.first().message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(filesIn(parent.path()).isEmpty());
}

// A recording that cannot be read is left out and named, with recovery proposed, and the span
// goes on after it in a new clip; when it is all the span touches, there is nothing to export,
// nothing is written, and the message says what the recordings cover.
TEST_F(ClipFailureTest, AnUnreadableRecordingIsLeftOutAndTheSpanGoesOn)
{
    Card& card = Card::shared();
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(card.path(0), dir.filePath(card.names()[0])));
    QFile broken(dir.filePath(card.names()[1]));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(4096, 0x5a)); // no box structure at all
    broken.close();
    ASSERT_TRUE(QFile::copy(card.path(2), dir.filePath(card.names()[2])));

    QTemporaryDir out;
    const Exported across = exportSpan({dir.path()}, {at(14, 23, 50), at(14, 24, 30)}, out.path());
    ASSERT_EQ(across.results.size(), 2);
    const QString messages = across.plan.messages.join('\n');
    EXPECT_TRUE(messages.contains(card.names()[1] + " cannot be read")) << messages.toStdString();
    EXPECT_TRUE(messages.contains("zyn-recover")) << messages.toStdString();
    EXPECT_FALSE(messages.contains("before the span")) << messages.toStdString();
    for (const clip::ExportResult& result : across.results)
        EXPECT_EQ(result.code, clip::Exported);
    EXPECT_NEAR(probeNumber(across.results[0].written.first(), "format=duration"), 7, 1.0 / kFps);
    EXPECT_NEAR(probeNumber(across.results[1].written.first(), "format=duration"), 13, 1.0 / kFps);
    EXPECT_EQ(across.plan.clips[1].pieces.first().source.path,
        QFileInfo(dir.filePath(card.names()[2])).absoluteFilePath());

    QTemporaryDir none;
    const Exported first
        = exportSpan({dir.filePath(card.names()[1])}, {at(14, 24, 0), at(14, 24, 10)}, none.path());
    EXPECT_TRUE(first.results.isEmpty());
    EXPECT_TRUE(first.plan.messages.join('\n').contains(card.names()[1]));
    EXPECT_TRUE(first.plan.messages.join('\n').contains(
        "the recordings cover 2025-06-14 14:23:37 to 2025-06-14 14:23:57, "
        "2025-06-14 14:24:17 to 2025-06-14 14:24:37"))
        << first.plan.messages.join('\n').toStdString();
    EXPECT_TRUE(filesIn(none.path()).isEmpty());
}

// A stream with B-frames cannot be cut bit-identically by packet copy: the export says so and
// leaves nothing, rather than writing pictures that decode damaged.
TEST_F(ClipFailureTest, PicturesStoredOutOfOrderAreRefused)
{
    Card& card = Card::shared();
    QTemporaryDir dir;
    const Outcome encoded = run("ffmpeg",
        {"-v", "error", "-i", card.path(0), "-c:v", "libx264", "-preset", "ultrafast", "-bf", "2",
            "-c:a", "copy", dir.filePath(card.names()[0])});
    ASSERT_EQ(encoded.exitCode, 0) << encoded.err.constData();
    QTemporaryDir out;
    const Exported exported
        = exportSpan({dir.path()}, {at(14, 23, 40), at(14, 23, 45)}, out.path());
    ASSERT_EQ(exported.results.size(), 1);
    EXPECT_EQ(exported.results.first().code, clip::SourceFailed);
    EXPECT_TRUE(exported.results.first().message.contains("B-frames"))
        << exported.results.first().message.toStdString();
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
}

// A recording that cannot be copied when its turn comes (here replaced after the plan was made,
// as a card pulled and put back would leave it) ends the clip before it, as one that cannot be
// read ends the span: the clip of the recordings before it is written and says so.
TEST_F(ClipFailureTest, ARecordingThatCannotBeCopiedEndsTheClipBeforeIt)
{
    Card& card = Card::shared();
    QTemporaryDir dir;
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(QFile::copy(card.path(i), dir.filePath(card.names()[i])));
    const clip::PlanResult plan = clip::planClips({dir.path()}, {at(14, 23, 50), at(14, 24, 5)});
    ASSERT_EQ(plan.clips.size(), 1);
    ASSERT_EQ(plan.clips.first().pieces.size(), 2);
    QFile replaced(dir.filePath(card.names()[1]));
    ASSERT_TRUE(replaced.open(QIODevice::WriteOnly | QIODevice::Truncate));
    replaced.write(QByteArray(4096, 0x5a));
    replaced.close();

    QTemporaryDir out;
    const clip::ExportResult result
        = clip::exportClip(plan.clips.first(), {out.path(), true, true, "zyn_clip_tests"}, {});
    ASSERT_EQ(result.code, clip::Exported) << result.message.toStdString();
    EXPECT_EQ(result.uncopied, QStringList{replaced.fileName()});
    EXPECT_TRUE(result.message.contains(card.names()[1] + " cannot be read"))
        << result.message.toStdString();
    EXPECT_TRUE(result.message.contains("the clip ends before it")) << result.message.toStdString();
    EXPECT_EQ(QFileInfo(result.written.first()).fileName(), "clip_drf_20250614_142350.mp4")
        << "named after what it holds: the event lay in the recording left out";
    EXPECT_NEAR(probeNumber(result.written.first(), "format=duration"), 7, 1.0 / kFps);
    EXPECT_FALSE(cardfile::readAll(result.written.last()).contains(card.names()[1].toLatin1()))
        << "the checksum list names only the recording used";
    EXPECT_EQ(run("sh", {"-c", "cd \"$0\" && sha256sum -c --strict *.sha256", out.path()}).exitCode,
        0);
}

// A clip whose first frames do not decode is removed before it is named, and the recording at
// fault is named: here one whose sound configuration was damaged after the plan was made.
TEST_F(ClipFailureTest, AClipThatDoesNotPlayIsRemovedAndItsRecordingNamed)
{
    Card& card = Card::shared();
    QTemporaryDir dir;
    const QString path = dir.filePath(card.names()[0]);
    ASSERT_TRUE(QFile::copy(card.path(0), path));
    const clip::PlanResult plan = clip::planClips({path}, {at(14, 23, 40), at(14, 23, 45)});
    ASSERT_EQ(plan.clips.size(), 1);
    QFile::remove(path);
    const Outcome damaged = run("python3",
        {QStringLiteral(ZYN_DAMAGE_MP4), card.path(0), path, "aac-config-overlong", "sound"});
    ASSERT_EQ(damaged.exitCode, 0) << damaged.err.constData();

    QTemporaryDir out;
    const clip::ExportResult result
        = clip::exportClip(plan.clips.first(), {out.path(), true, true, "zyn_clip_tests"}, {});
    EXPECT_EQ(result.code, clip::SourceFailed) << result.message.toStdString();
    EXPECT_TRUE(result.message.contains(path + " gives a clip that does not play"))
        << result.message.toStdString();
    EXPECT_TRUE(result.message.contains("sound does not decode")) << result.message.toStdString();
    EXPECT_TRUE(filesIn(out.path()).isEmpty()) << filesIn(out.path()).join(' ').toStdString();
}

} // namespace
