// Recordings whose tables were damaged the ways fuzzing found (tests/support/damage_mp4.py makes
// each kind from a healthy one): zyn-clip refuses each, says which recording and what is wrong,
// and leaves nothing behind, where it used to write a clip that no player opens.
#include "ClipTestCard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace cliptest;

namespace {

Outcome damage(
    const QString& source, const QString& output, const QString& kind, const QString& track)
{
    return run("python3", {QStringLiteral(ZYN_DAMAGE_MP4), source, output, kind, track});
}

struct Damage
{
    const char* kind;
    const char* track;
    const char* says; // what the message says is wrong
};

const Damage kDamages[] = {
    {"truncated-minf", "video", "pictures do not decode"},
    {"truncated-minf", "sound", "sound does not decode"},
    {"huge-sample", "video", "pictures do not decode"},
    {"huge-sample", "sound", "sound does not decode"},
    {"aac-config-overlong", "sound", "sound does not decode"},
};

TEST(ClipDamage, EachKindOfDamagedRecordingIsRefusedAndLeavesNothing)
{
    Card& card = Card::shared();
    ASSERT_TRUE(card.ok());
    for (const Damage& d : kDamages) {
        SCOPED_TRACE(std::string(d.kind) + " " + d.track);
        QTemporaryDir dir;
        const QString damaged = dir.filePath(card.names()[0]);
        const Outcome made = damage(card.path(0), damaged, d.kind, d.track);
        ASSERT_EQ(made.exitCode, 0) << made.err.constData();
        QTemporaryDir out;
        const Outcome cut = run(QStringLiteral(ZYN_CLIP),
            {"--from", "2025-06-14 14:23:37", "--to", "2025-06-14 14:23:45", "-o", out.path(),
                dir.path()});
        EXPECT_EQ(cut.exitCode, 1) << cut.err.constData();
        EXPECT_TRUE(
            cut.err.contains(QDir::toNativeSeparators(damaged).toLocal8Bit() + " cannot be read"))
            << cut.err.constData();
        EXPECT_TRUE(cut.err.contains(d.says)) << cut.err.constData();
        EXPECT_TRUE(filesIn(out.path()).isEmpty()) << filesIn(out.path()).join(' ').toStdString();
    }
}

// Damaged in the middle of a span: the clip ends before it, and the status says that not all
// of the span was written.
TEST(ClipDamage, ADamagedRecordingInsideTheSpanEndsTheClipBeforeIt)
{
    Card& card = Card::shared();
    ASSERT_TRUE(card.ok());
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(card.path(0), dir.filePath(card.names()[0])));
    ASSERT_EQ(damage(card.path(1), dir.filePath(card.names()[1]), "aac-config-overlong", "sound")
                  .exitCode,
        0);
    QTemporaryDir out;
    const Outcome cut = run(QStringLiteral(ZYN_CLIP),
        {"--from", "2025-06-14 14:23:50", "--to", "2025-06-14 14:24:05", "-o", out.path(),
            dir.path()});
    EXPECT_EQ(cut.exitCode, 1) << cut.err.constData();
    EXPECT_TRUE(cut.err.contains(card.names()[1].toLocal8Bit())) << cut.err.constData();
    const QString clip = out.filePath("clip_drf_20250614_142350.mp4");
    EXPECT_NEAR(probeNumber(clip, "format=duration"), 7, 1.0 / kFps);
    const Outcome decoded = run("ffmpeg", {"-v", "error", "-i", clip, "-f", "null", "-"});
    EXPECT_EQ(decoded.exitCode, 0);
    EXPECT_TRUE(decoded.err.isEmpty()) << decoded.err.constData();
}

} // namespace
