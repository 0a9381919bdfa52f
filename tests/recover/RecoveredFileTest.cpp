// A recovered file whose media data pass 4 GiB needs a media box header with a 64-bit size (the
// 32-bit one used to make such a recovery fail as "disk full?"): where the damaged file keeps a
// free box in front of its media box, the header takes its place; elsewhere the data move on by
// 8 bytes and every chunk offset with them. Judged here without writing gigabytes: the layout
// from the damaged file's header, the copy with its gap, the closing and the offsets.

#include "recover/RecoveredFile.h"
#include "recover/IndexWriter.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kFiveGiB = uint64_t(5) << 30;

QByteArray box(const char* type, const QByteArray& payload)
{
    const uint32_t size = uint32_t(8 + payload.size());
    QByteArray bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.append(char(size >> shift));
    return bytes + type + payload;
}

recording::RecordingCheck largeMedia(qint64 mdatOffset)
{
    recording::RecordingCheck check;
    check.state = recording::RecordingState::IndexMissing;
    check.mdatOffset = uint64_t(mdatOffset);
    check.mdatHeaderLength = 8;
    check.mediaStart = check.mdatOffset + 8;
    check.mediaEnd = check.mdatOffset + kFiveGiB;
    return check;
}

TEST(RecoveredFileTest, AFreeBoxInFrontMakesRoomForThe64BitHeader)
{
    QByteArray file = box("ftyp", QByteArray("isom\0\0\2\0isommp41", 16)) + box("free", {});
    const qint64 mdat = file.size();
    file += QByteArray("\0\0\0\0mdat", 8) + QByteArray(64, 'm');
    QBuffer source(&file);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const recover::MediaBoxLayout layout = recover::mediaBoxLayout(largeMedia(mdat), source);
    EXPECT_EQ(layout.headerAt, uint64_t(mdat - 8));
    EXPECT_EQ(layout.headerLength, 16u);
    EXPECT_EQ(layout.shift, 0u) << "the media data stay where they are";

    // Small media stay as they were.
    recording::RecordingCheck small = largeMedia(mdat);
    small.mediaEnd = uint64_t(file.size());
    const recover::MediaBoxLayout plain = recover::mediaBoxLayout(small, source);
    EXPECT_EQ(plain.headerAt, uint64_t(mdat));
    EXPECT_EQ(plain.headerLength, 8u);
}

TEST(RecoveredFileTest, WithoutRoomTheMediaMoveOnAndTheOffsetsWithThem)
{
    QByteArray file = box("ftyp", QByteArray("isom\0\0\2\0isommp41", 16));
    const qint64 mdat = file.size();
    QByteArray media(9 * 1024 * 1024 + 123, '\0');
    for (int i = 0; i < media.size(); ++i)
        media[i] = char(i * 7);
    file += QByteArray("\0\0\0\0mdat", 8) + media;
    QBuffer source(&file);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const recover::MediaBoxLayout layout = recover::mediaBoxLayout(largeMedia(mdat), source);
    EXPECT_EQ(layout.headerAt, uint64_t(mdat));
    EXPECT_EQ(layout.headerLength, 16u);
    EXPECT_EQ(layout.shift, 8u);

    // The copy puts the gap in once, wherever its blocks fall; closing cuts it after the last
    // sample kept.
    QTemporaryDir dir;
    const QString damaged = dir.filePath("damaged.mp4"), copied = dir.filePath("copied.mp4");
    QFile out(damaged);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    out.close();
    const uint64_t end = uint64_t(file.size()) - 100; // the last samples were cut
    ASSERT_TRUE(recover::copyRecording(damaged, copied, layout, nullptr));
    QFile target(copied);
    ASSERT_TRUE(target.open(QIODevice::ReadWrite));
    const QByteArray index = box("moov", QByteArray(40, 'i'));
    ASSERT_TRUE(recover::closeRecoveredFile(target, layout, end, index));
    target.seek(0);
    const QByteArray written = target.readAll();
    ASSERT_EQ(written.size(), qint64(end) + 8 + index.size());
    EXPECT_EQ(written.left(mdat), file.left(mdat));
    const uint64_t size = end + 8 - uint64_t(mdat);
    QByteArray header("\0\0\0\1mdat", 8);
    for (int shift = 56; shift >= 0; shift -= 8)
        header.append(char(size >> shift));
    EXPECT_EQ(written.mid(mdat, 16), header);
    EXPECT_EQ(
        written.mid(mdat + 16, qint64(end) - mdat - 8), file.mid(mdat + 8, qint64(end) - mdat - 8))
        << "the media data byte for byte, 8 bytes on";
    EXPECT_EQ(written.right(index.size()), index);
}

TEST(RecoveredFileTest, ChunksPastFourGibibytesTakeWideOffsets)
{
    recover::ReferenceMovie reference;
    reference.movieTimescale = 1000;
    recover::TrackInfo video;
    video.kind = recover::TrackKind::Video;
    video.codec = recover::Codec::Mjpeg;
    video.timescale = 30;
    video.sampleDuration = 1;
    reference.tracks.push_back(video);
    std::vector<recover::TrackSamples> tracks(1);
    for (uint64_t i = 0; i < 3; ++i) {
        const uint64_t offset = kFiveGiB - 2000 + i * 1000;
        tracks[0].samples.push_back({offset, 1000, true});
        tracks[0].chunks.push_back({offset, i, 1});
    }
    const QByteArray moov = recover::buildIndex(reference, tracks, 8).moov;
    const qsizetype co64 = moov.indexOf("co64");
    ASSERT_GT(co64, 0);
    EXPECT_EQ(moov.indexOf("stco"), -1);
    uint64_t first = 0;
    for (int i = 0; i < 8; ++i)
        first = first << 8 | uint8_t(moov[co64 + 12 + i]); // after version, flags and count
    EXPECT_EQ(first, kFiveGiB - 2000 + 8);
}

} // namespace
