#include "recording/RecordingCheck.h"

#include "support/RecordingBuilder.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace recording;
using namespace testsupport;

namespace {

RecordingCheck check(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return checkRecording(buffer);
}

QByteArray moovBox(int bytes = 200)
{
    return box("moov", box("mvhd", QByteArray(bytes, '\1')));
}

// A cut "mdat": its size field says more than the file holds, as a camera's final size
// (or a card copy that stopped) leaves it.
QByteArray cutMdat(int present, uint32_t claimed)
{
    return box("mdat", QByteArray(present, '\x5a'), claimed);
}

TEST(RecordingCheckTest, IntactRecordingsWhateverFollowsTheIndex)
{
    RecordingBuilder intact;
    intact.ftyp().mdat(1000).raw(moovBox()).udat(Telemetry::drive(3));
    EXPECT_EQ(check(intact.bytes()).state, RecordingState::Intact);
    // An index before the media data, and media data cut after it: the index is whole.
    RecordingBuilder faststart;
    faststart.ftyp().raw(moovBox()).raw(cutMdat(100, 5000));
    EXPECT_EQ(check(faststart.bytes()).state, RecordingState::Intact);
}

TEST(RecordingCheckTest, MediaWithoutIndexIsMissingItsIndex)
{
    RecordingBuilder cut;
    cut.ftyp().raw(cutMdat(3000, 900000));
    const RecordingCheck c = check(cut.bytes());
    EXPECT_EQ(c.state, RecordingState::IndexMissing);
    EXPECT_EQ(c.mdatOffset, 32u);
    EXPECT_EQ(c.mdatHeaderLength, 8u);
    EXPECT_EQ(c.mediaStart, 40u);
    EXPECT_EQ(c.mediaEnd, uint64_t(cut.bytes().size()));

    // The size a muxer leaves while it writes ("to the end of the file"), then a card's zeros.
    RecordingBuilder open;
    open.ftyp().raw(box("mdat", QByteArray(500, '\x11'), 0)).raw(QByteArray(4096, '\0'));
    EXPECT_EQ(check(open.bytes()).state, RecordingState::IndexMissing);
    EXPECT_EQ(check(open.bytes()).mediaEnd, uint64_t(open.bytes().size()));

    // A whole media box followed by zeros, and one followed by a telemetry block: no index.
    RecordingBuilder zeros;
    zeros.ftyp().mdat(700).raw(QByteArray(64, '\0'));
    EXPECT_EQ(check(zeros.bytes()).state, RecordingState::IndexMissing);
    EXPECT_EQ(check(zeros.bytes()).mediaEnd, 32u + 8 + 700);
    RecordingBuilder telemetryOnly;
    telemetryOnly.ftyp().mdat(700).udat(Telemetry::drive(2));
    EXPECT_EQ(check(telemetryOnly.bytes()).state, RecordingState::IndexMissing);

    // The 64-bit size form, cut.
    QByteArray large = bigEndian32(1) + "mdat" + bigEndian32(1) + bigEndian32(16);
    large += QByteArray(300, '\x22');
    RecordingBuilder wide;
    wide.ftyp().raw(large);
    const RecordingCheck w = check(wide.bytes());
    EXPECT_EQ(w.state, RecordingState::IndexMissing);
    EXPECT_EQ(w.mdatHeaderLength, 16u);
    EXPECT_EQ(w.mediaStart, 32u + 16);
}

TEST(RecordingCheckTest, FileEndingInsideTheIndexIsCut)
{
    RecordingBuilder whole;
    whole.ftyp().mdat(1000).raw(moovBox(400));
    const QByteArray bytes = whole.bytes();
    for (int keep : {8 + 4, 8 + 100, 8 + 407}) {
        const RecordingCheck c = check(bytes.left(32 + 1008 + keep));
        EXPECT_EQ(c.state, RecordingState::IndexCut) << keep;
        EXPECT_EQ(c.mediaEnd, 32u + 1008);
    }
    // Fewer than 8 bytes of the index's header: nothing says it is an index.
    EXPECT_EQ(check(bytes.left(32 + 1008 + 5)).state, RecordingState::IndexMissing);
}

TEST(RecordingCheckTest, NothingToRecover)
{
    EXPECT_EQ(check({}).state, RecordingState::Empty);
    RecordingBuilder typeOnly;
    typeOnly.ftyp();
    EXPECT_EQ(check(typeOnly.bytes()).state, RecordingState::Empty);
    RecordingBuilder headerOnly;
    headerOnly.ftyp().raw(cutMdat(0, 123456));
    EXPECT_EQ(check(headerOnly.bytes()).state, RecordingState::Empty);
    RecordingBuilder zeros;
    zeros.ftyp().raw(QByteArray(1000, '\0'));
    EXPECT_EQ(check(zeros.bytes()).state, RecordingState::Empty);

    EXPECT_EQ(check("hello").state, RecordingState::NotRecording);
    EXPECT_EQ(check(QByteArray(5000, 'x')).state, RecordingState::NotRecording);
    EXPECT_EQ(
        checkRecording(QStringLiteral("/nonexistent/drf_1.mp4")).state, RecordingState::Unreadable);
}

TEST(RecordingCheckTest, FilesOnDiskAndReasons)
{
    QTemporaryDir dir;
    RecordingBuilder cut;
    cut.ftyp().raw(cutMdat(100, 100000));
    ASSERT_TRUE(cut.writeTo(dir.filePath("drf_20250614_142337.mp4")));
    const RecordingCheck c = checkRecording(dir.filePath("drf_20250614_142337.mp4"));
    EXPECT_EQ(c.state, RecordingState::IndexMissing);
    EXPECT_TRUE(isRecoverable(c.state));
    EXPECT_FALSE(isRecoverable(RecordingState::Intact));
    EXPECT_FALSE(isRecoverable(RecordingState::Empty));

    std::set<std::string> reasons;
    for (RecordingState s :
        {RecordingState::Intact, RecordingState::IndexMissing, RecordingState::IndexCut,
            RecordingState::Empty, RecordingState::NotRecording, RecordingState::Unreadable})
        reasons.insert(recordingStateReason(s));
    EXPECT_EQ(reasons.size(), 6u);
    EXPECT_EQ(reasons.count(""), 0u);
}

} // namespace
