// References damaged the ways fuzzing found (tests/support/damage_mp4.py makes each kind from a
// healthy recording of the demo card), and references that do not fit: each is refused with what
// is wrong with it, and nothing is left behind, where a file that no player opens used to be
// named as recovered. And a recording whose data stop following the reference halfway is
// recovered in part, never as a success.

#include "CutRecordings.h"

#include "recover/Recovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace cutrec;

namespace {

struct Damage
{
    const char* kind;
    const char* track;
    const char* says; // in the message: where the damage is
};

const Damage kDamages[] = {
    {"stsd-count-0", "video", "stsd entry count 0"},
    {"stsd-count-4097", "video", "stsd entry count 4097"},
    {"stsd-count-negative", "video", "stsd entry count -16"},
    {"stsd-entry-size-0", "video", "stsd entry"},
    {"avcc-overlong", "video", "avcC"},
    {"esds-overlong", "sound", "esds"},
    {"aac-config-overlong", "sound", "AAC configuration"},
    {"dref-url-size-1", "video", "dref"},
    {"stsc-past-stco", "video", "STSC and STCO"},
    {"stsc-runaway", "sound", "stsc"},
    {"index-tail-garbled", "sound", "contradict"},
    {"truncated-minf", "video", "sample table"},
    {"huge-sample", "video", "contradict"},
};

class DamagedReferenceTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_card = new QTemporaryDir;
        s_error = makeCard(s_card->path(), {"--drf", "2"});
    }
    static void TearDownTestSuite() { delete s_card; }

    void SetUp() override { ASSERT_TRUE(s_error.isEmpty()) << s_error.toStdString(); }

    static QString cardFile(const char* name) { return QDir(s_card->path()).filePath(name); }

    // The card's second recording cut in half, alone in a folder of its own.
    QString cutRecording(QTemporaryDir& folder)
    {
        const QByteArray whole = readFile(cardFile("drf_20250614_142341.mp4"));
        const QString path = folder.filePath("drf_20250614_142345.mp4");
        EXPECT_TRUE(writeFile(path, whole.left(whole.size() / 2)));
        return path;
    }

    static QStringList filesIn(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    static QTemporaryDir* s_card;
    static QString s_error;
};

QTemporaryDir* DamagedReferenceTest::s_card = nullptr;
QString DamagedReferenceTest::s_error;

TEST_F(DamagedReferenceTest, EachDamageIsRefusedWithItsMessageAndNothingLeftBehind)
{
    QTemporaryDir references;
    for (const Damage& damage : kDamages) {
        SCOPED_TRACE(damage.kind);
        const QString reference = references.filePath(
            QStringLiteral("drf_20250614_1423%1.mp4").arg(&damage - kDamages));
        const ProcessResult made = run("python3",
            {ZYN_DAMAGE_MP4, cardFile("drf_20250614_142337.mp4"), reference, damage.kind,
                damage.track});
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
        const QByteArray damaged = readFile(reference);

        QTemporaryDir folder;
        const QString recording = cutRecording(folder);
        const recover::Report report = recover::recoverRecording({recording, reference, {}});
        EXPECT_EQ(report.outcome, recover::Outcome::ReferenceRefused)
            << report.message.toStdString();
        EXPECT_EQ(recover::exitStatus(report.outcome), 1);
        EXPECT_TRUE(report.message.contains(QFileInfo(reference).fileName())
            && report.message.contains(QLatin1String(damage.says)))
            << report.message.toStdString();
        EXPECT_TRUE(report.output.isEmpty());
        EXPECT_EQ(filesIn(folder.path()), QStringList{"drf_20250614_142345.mp4"})
            << "nothing left behind";
        EXPECT_EQ(readFile(reference), damaged) << "the reference is only read";
    }
}

TEST_F(DamagedReferenceTest, AReferenceWithoutSoundForARecordingWithSoundIsNamed)
{
    QTemporaryDir silent;
    ASSERT_TRUE(makeCard(silent.path(), {"--drf", "1", "--no-sound"}).isEmpty());
    QTemporaryDir folder;
    const QString recording = cutRecording(folder);
    const recover::Report report = recover::recoverRecording(
        {recording, QDir(silent.path()).filePath("drf_20250614_142337.mp4"), {}});
    EXPECT_EQ(report.outcome, recover::Outcome::ReferenceRefused);
    EXPECT_TRUE(report.message.contains("no sound")) << report.message.toStdString();
    EXPECT_FALSE(report.message.contains("No complete picture")) << "the recording is not at fault";
    EXPECT_EQ(filesIn(folder.path()), QStringList{"drf_20250614_142345.mp4"});
}

TEST_F(DamagedReferenceTest, DataThatStopFollowingTheReferenceHalfwayAreRecoveredInPart)
{
    const QString original = cardFile("drf_20250614_142341.mp4");
    const QByteArray whole = readFile(original);
    const Streams streams = readStreams(original);
    ASSERT_GT(streams.video.size(), 100u);
    // A run of zeros over pictures 60 to 62 and the sound between them: the walk cannot go on
    // there, but the pictures after it are plain to see.
    QByteArray damaged = whole;
    const Packet& from = streams.video[60];
    const Packet& to = streams.video[62];
    damaged.replace(
        from.pos, to.pos + to.size - from.pos, QByteArray(to.pos + to.size - from.pos, '\0'));
    QTemporaryDir folder;
    const QString path = folder.filePath("drf_20250614_142345.mp4");
    ASSERT_TRUE(writeFile(path, damaged.left(whole.size() * 9 / 10)));
    const recover::Report report
        = recover::recoverRecording({path, cardFile("drf_20250614_142337.mp4"), {}});
    ASSERT_EQ(report.outcome, recover::Outcome::PartlyRecovered) << report.message.toStdString();
    EXPECT_EQ(recover::exitStatus(report.outcome), 3);
    EXPECT_EQ(report.videoFrames, 60u);
    EXPECT_GT(report.unreadBytes, uint64_t(whole.size() / 4));
    EXPECT_TRUE(report.message.contains("left unread")) << report.message.toStdString();
    // What was recovered is whole and plays.
    const FfmpegView view = ffmpegView(report.output);
    EXPECT_TRUE(view.ran && view.errors.isEmpty()) << view.errors.toStdString();
    EXPECT_EQ(view.packets.at(0).size(), 60);
}

} // namespace
