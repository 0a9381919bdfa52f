#include "recover/ReferenceMovie.h"

#include "recording/RecordingCheck.h"
#include "recover/Mp4Boxes.h"
#include "recover/SampleDescription.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <map>

namespace recover {

namespace {

// An index larger than this is not a camera's: its tables would describe days of video. It
// bounds the memory a hostile reference can make the reading take.
constexpr uint64_t kMaxIndex = 8 * 1024 * 1024;
// The longest rhythm of chunks looked for: a camera's repeats within a few seconds.
constexpr size_t kMaxPeriod = 2048;

struct Chunk
{
    uint64_t offset;
    uint64_t bytes;
    uint32_t samples;
    int track;
};

struct MediaRange
{
    uint64_t start, end;
};

ReferenceProblem damagedTables(const QString& detail)
{
    return {ReferenceError::DamagedTables, detail};
}

ReferenceProblem damagedDescription(const QString& detail)
{
    return {ReferenceError::DamagedDescription, detail};
}

// A full box's payload must hold its fields: `size0` bytes in version 0, `size1` in version 1.
bool fullBoxFits(const BoxRef& box, size_t size0, size_t size1)
{
    const Bytes p = box.payload;
    return !p.empty() && p[0] <= 1 && p.size() >= (p[0] == 0 ? size0 : size1);
}

// The sample sizes: checks that the table holds them, and finds their range.
ReferenceProblem readSizes(Bytes stsz, TrackInfo& track, uint32_t& count)
{
    if (stsz.size() < 12)
        return damagedTables(QStringLiteral("stsz of %1 bytes").arg(stsz.size()));
    const uint32_t fixed = read32(stsz, 4);
    count = read32(stsz, 8);
    if (fixed == 0 && (stsz.size() - 12) / 4 < count)
        return damagedTables(
            QStringLiteral("stsz of %1 samples in %2 bytes").arg(count).arg(stsz.size()));
    track.minSampleSize = fixed ? fixed : UINT32_MAX;
    track.maxSampleSize = fixed;
    for (uint32_t i = 0; fixed == 0 && i < count; ++i) {
        const uint32_t size = read32(stsz, 12 + size_t(i) * 4);
        track.minSampleSize = std::min(track.minSampleSize, size);
        track.maxSampleSize = std::max(track.maxSampleSize, size);
    }
    if (count == 0)
        track.minSampleSize = 0;
    if (track.minSampleSize == 0 && count > 0)
        return damagedTables(QStringLiteral("stsz with a sample of 0 bytes"));
    track.fixedSampleSize = track.minSampleSize == track.maxSampleSize ? track.maxSampleSize : 0;
    track.commonSampleSize = track.fixedSampleSize;
    if (fixed == 0 && count > 0) {
        std::map<uint32_t, uint32_t> sizes;
        for (uint32_t i = 0; i < count && sizes.size() < 64; ++i)
            ++sizes[read32(stsz, 12 + size_t(i) * 4)];
        const auto most = std::max_element(sizes.begin(), sizes.end(),
            [](const auto& a, const auto& b) { return a.second < b.second; });
        if (sizes.size() < 64 && most->second >= count - count / 5)
            track.commonSampleSize = most->first;
    }
    return {};
}

ReferenceProblem readTimes(Bytes stts, Bytes ctts, TrackInfo& track, uint32_t count)
{
    const uint32_t runs = read32(stts, 4);
    if (stts.size() < 8 || (stts.size() - 8) / 8 < runs)
        return damagedTables(
            QStringLiteral("stts of %1 entries in %2 bytes").arg(runs).arg(stts.size()));
    std::map<uint32_t, uint64_t> durations;
    uint64_t total = 0;
    for (uint32_t i = 0; i < runs; ++i) {
        const uint32_t n = read32(stts, 8 + size_t(i) * 8);
        durations[read32(stts, 12 + size_t(i) * 8)] += n;
        total += n;
    }
    if (total != count)
        return damagedTables(
            QStringLiteral("stts of %1 samples for %2 in stsz").arg(total).arg(count));
    uint64_t most = 0;
    for (const auto& [duration, n] : durations) {
        if (n > most && duration > 0) {
            most = n;
            track.sampleDuration = duration;
        }
    }
    if (ctts.empty())
        return {};
    const uint32_t offsets = read32(ctts, 4);
    if (ctts.size() < 8 || (ctts.size() - 8) / 8 < offsets)
        return damagedTables(
            QStringLiteral("ctts of %1 entries in %2 bytes").arg(offsets).arg(ctts.size()));
    uint64_t covered = 0;
    for (uint32_t i = 0; i < offsets; ++i) {
        covered += read32(ctts, 8 + size_t(i) * 8);
        track.compositionOffsets |= read32(ctts, 12 + size_t(i) * 8) != 0;
    }
    if (covered > count)
        return damagedTables(QStringLiteral("ctts of %1 samples for %2").arg(covered).arg(count));
    if (offsets > 0)
        track.compositionDelay = int32_t(read32(ctts, 12));
    return {};
}

// The chunks of one track from its sample-to-chunk, chunk offset and size tables, each checked
// against the others and against the media data, so a hostile table ends the reading instead of
// growing the list without bound.
ReferenceProblem collectChunks(Bytes stbl, Bytes stsz, uint32_t count, int trackIndex,
    TrackInfo& track, const MediaRange& media, std::vector<Chunk>& chunks)
{
    const Bytes stsc = childBox(stbl, "stsc").payload;
    BoxRef offsets = childBox(stbl, "stco");
    const bool wide = offsets.whole.empty();
    if (wide)
        offsets = childBox(stbl, "co64");
    const Bytes co = offsets.payload;
    const size_t width = wide ? 8 : 4;
    const uint32_t chunkCount = read32(co, 4);
    if (co.size() < 8 || (co.size() - 8) / width < chunkCount)
        return damagedTables(QStringLiteral("chunk offset table of %1 chunks in %2 bytes")
                                 .arg(chunkCount)
                                 .arg(co.size()));
    const uint32_t runs = read32(stsc, 4);
    if (stsc.size() < 8 || (stsc.size() - 8) / 12 < runs)
        return damagedTables(
            QStringLiteral("stsc of %1 entries in %2 bytes").arg(runs).arg(stsc.size()));
    if ((runs == 0 || chunkCount == 0) && count > 0)
        return damagedTables(
            QStringLiteral("stsc of %1 entries for %2 chunks").arg(runs).arg(chunkCount));
    uint32_t sample = 0;
    for (uint32_t run = 0; run < runs; ++run) {
        const uint32_t first = read32(stsc, 8 + size_t(run) * 12);
        const uint32_t perChunk = read32(stsc, 12 + size_t(run) * 12);
        const uint32_t next
            = run + 1 < runs ? read32(stsc, 8 + size_t(run + 1) * 12) : chunkCount + 1;
        if ((run == 0 && first != 1) || next <= first || next > chunkCount + 1 || perChunk == 0)
            return damagedTables(
                QStringLiteral("stsc names chunks %1 to %2 of %3 (STSC and STCO contradict)")
                    .arg(first)
                    .arg(next - 1)
                    .arg(chunkCount));
        for (uint32_t c = first; c < next; ++c) {
            if (count - sample < perChunk)
                return damagedTables(
                    QStringLiteral("stsc places more samples than the %1 of stsz").arg(count));
            const size_t at = 8 + size_t(c - 1) * width;
            const uint64_t offset = wide ? read64(co, at) : read32(co, at);
            uint64_t bytes = uint64_t(track.fixedSampleSize) * perChunk;
            if (read32(stsz, 4) == 0) {
                bytes = 0;
                for (uint32_t s = sample; s < sample + perChunk; ++s)
                    bytes += read32(stsz, 12 + size_t(s) * 4);
            }
            if (offset < media.start || offset > media.end || bytes > media.end - offset)
                return damagedTables(
                    QStringLiteral("chunk %1 at byte %2 lies outside the media data")
                        .arg(c)
                        .arg(offset));
            chunks.push_back({offset, bytes, perChunk, trackIndex});
            sample += perChunk;
        }
    }
    if (sample != count)
        return damagedTables(
            QStringLiteral("stsc places %1 samples, stsz has %2").arg(sample).arg(count));
    uint32_t most = 0;
    for (uint32_t run = 0; run < runs; ++run) {
        const uint32_t first = read32(stsc, 8 + size_t(run) * 12);
        const uint32_t next
            = run + 1 < runs ? read32(stsc, 8 + size_t(run + 1) * 12) : chunkCount + 1;
        if (next - first > most) {
            most = next - first;
            track.samplesPerChunk = read32(stsc, 12 + size_t(run) * 12);
        }
    }
    return {};
}

TrackKind kindOf(Bytes handler, const ReferenceMovie& movie)
{
    if (std::memcmp(handler.data(), "vide", 4) == 0 && movie.videoTrack() < 0)
        return TrackKind::Video;
    if (std::memcmp(handler.data(), "soun", 4) == 0 && !movie.hasSound())
        return TrackKind::Sound;
    return TrackKind::Other;
}

ReferenceProblem readTrack(
    Bytes trak, ReferenceMovie& movie, const MediaRange& media, std::vector<Chunk>& chunks)
{
    const BoxRef hdlr = boxAt(trak, "mdia/hdlr");
    const BoxRef stbl = boxAt(trak, "mdia/minf/stbl");
    if (hdlr.payload.size() < 24)
        return damagedDescription(QStringLiteral("hdlr of %1 bytes").arg(hdlr.payload.size()));
    TrackInfo track;
    track.kind = kindOf(hdlr.payload.subspan(8, 4), movie);
    if (stbl.whole.empty()) {
        if (track.kind == TrackKind::Other)
            return {}; // a track without samples takes no part
        return damagedDescription(QStringLiteral("a %1 track without a whole sample table")
                                      .arg(track.video() ? "video" : "sound"));
    }
    const BoxRef tkhd = childBox(trak, "tkhd");
    const BoxRef mdhd = boxAt(trak, "mdia/mdhd");
    const BoxRef minf = boxAt(trak, "mdia/minf");
    if (!fullBoxFits(tkhd, 84, 96) || !fullBoxFits(mdhd, 24, 36))
        return damagedDescription(QStringLiteral("tkhd or mdhd missing or cut short"));
    track.trackId = read32(tkhd.payload, tkhd.payload[0] == 0 ? 12 : 20);
    track.timescale = read32(mdhd.payload, mdhd.payload[0] == 0 ? 12 : 20);
    const BoxRef edts = childBox(trak, "edts");
    if (!edts.whole.empty()) {
        const BoxRef elst = childBox(edts.payload, "elst");
        const uint32_t entries = read32(elst.payload, 4);
        const size_t entrySize = !elst.payload.empty() && elst.payload[0] == 1 ? 20 : 12;
        if (!fullBoxFits(elst, 8, 8) || entries == 0
            || (elst.payload.size() - 8) / entrySize < entries)
            return damagedDescription(QStringLiteral("elst of %1 entries in %2 bytes")
                                          .arg(entries)
                                          .arg(elst.payload.size()));
        track.edts = toByteArray(edts.whole);
    }
    track.tkhd = toByteArray(tkhd.whole);
    track.mdhd = toByteArray(mdhd.whole);
    track.hdlr = toByteArray(hdlr.whole);
    const BoxRef dinf = childBox(minf.payload, "dinf");
    if (track.kind != TrackKind::Other) {
        track.mediaHeader
            = toByteArray(childBox(minf.payload, track.video() ? "vmhd" : "smhd").whole);
        if (const QString problem = checkDataInformation(dinf.payload); !problem.isEmpty())
            return damagedDescription(problem);
        track.dinf = toByteArray(dinf.whole);
        const BoxRef stsd = childBox(stbl.payload, "stsd");
        if (const QString problem = readSampleDescription(stsd.payload, track); !problem.isEmpty())
            return damagedDescription(problem);
        track.stsd = toByteArray(stsd.whole);
    }
    const Bytes stsz = childBox(stbl.payload, "stsz").payload;
    uint32_t count = 0;
    if (ReferenceProblem p = readSizes(stsz, track, count); p.error != ReferenceError::None)
        return p;
    if (ReferenceProblem p = readTimes(childBox(stbl.payload, "stts").payload,
            childBox(stbl.payload, "ctts").payload, track, count);
        p.error != ReferenceError::None)
        return p;
    if (track.kind != TrackKind::Other && (track.timescale == 0 || track.sampleDuration == 0))
        return damagedTables(QStringLiteral("a track of time scale %1 and frame duration %2")
                                 .arg(track.timescale)
                                 .arg(track.sampleDuration));
    const int index = int(movie.tracks.size());
    if (ReferenceProblem p = collectChunks(stbl.payload, stsz, count, index, track, media, chunks);
        p.error != ReferenceError::None)
        return p;
    movie.tracks.push_back(track);
    return {};
}

ReferenceError readIndex(
    QIODevice& device, const recording::RecordingCheck& check, QByteArray& index)
{
    uint8_t header[16];
    for (uint64_t position = 0; check.fileSize - position >= 8;) {
        if (!device.seek(qint64(position)) || device.read(reinterpret_cast<char*>(header), 16) < 8)
            return ReferenceError::Unreadable;
        uint64_t size = read32(Bytes(header, 16), 0);
        if (size == 1)
            size = read64(Bytes(header, 16), 8);
        if (size < 8 || size > check.fileSize - position)
            return ReferenceError::NoIndex;
        if (std::memcmp(header + 4, "moov", 4) == 0) {
            if (size > kMaxIndex)
                return ReferenceError::NoIndex;
            if (!device.seek(qint64(position)))
                return ReferenceError::Unreadable;
            index = device.read(qint64(size));
            return index.size() == qint64(size) ? ReferenceError::None : ReferenceError::Unreadable;
        }
        position += size;
    }
    return ReferenceError::NoIndex;
}

// The pattern of chunks in file order; chunks that overlap are tables that lie.
ReferenceProblem buildPattern(
    std::vector<Chunk>& chunks, const MediaRange& media, ReferenceMovie& movie)
{
    std::sort(chunks.begin(), chunks.end(),
        [](const Chunk& a, const Chunk& b) { return a.offset < b.offset; });
    for (size_t i = 1; i < chunks.size(); ++i) {
        if (chunks[i - 1].offset + chunks[i - 1].bytes > chunks[i].offset)
            return damagedTables(QStringLiteral("chunks at bytes %1 and %2 overlap")
                                     .arg(chunks[i - 1].offset)
                                     .arg(chunks[i].offset));
    }
    movie.pattern.clear();
    movie.pattern.reserve(chunks.size());
    if (!chunks.empty() && chunks.front().offset - media.start < (1u << 20))
        movie.firstChunkGap = chunks.front().offset - media.start;
    for (const Chunk& c : chunks)
        movie.pattern.push_back({c.track, c.samples, c.bytes});
    return {};
}

} // namespace

const char* codecName(Codec codec)
{
    switch (codec) {
    case Codec::H264:
        return "H.264";
    case Codec::Hevc:
        return "HEVC";
    case Codec::Mpeg4Visual:
        return "MPEG-4 Visual";
    case Codec::Mjpeg:
        return "Motion JPEG";
    case Codec::Aac:
        return "AAC";
    case Codec::AmrNb:
        return "AMR";
    case Codec::AmrWb:
        return "AMR-WB";
    case Codec::Pcm:
        return "PCM";
    case Codec::Unknown:
        break;
    }
    return "unknown";
}

int ReferenceMovie::videoTrack() const
{
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (tracks[i].video())
            return int(i);
    }
    return -1;
}

bool ReferenceMovie::hasSound() const
{
    return std::any_of(tracks.begin(), tracks.end(), [](const TrackInfo& t) { return t.sound(); });
}

ChunkStep ReferenceMovie::step(size_t index) const
{
    if (index < periodStart + period || period == 0)
        return index < pattern.size() ? pattern[index] : ChunkStep{};
    return pattern[periodStart + (index - periodStart) % period];
}

void findPeriod(ReferenceMovie& movie)
{
    // Pictures alone: how the muxer grouped them into chunks says nothing of the next ones.
    const int track = movie.pattern.empty() ? -1 : movie.pattern.front().track;
    if (track >= 0
        && std::all_of(movie.pattern.begin(), movie.pattern.end(),
            [track](const ChunkStep& s) { return s.track == track; })) {
        movie.pattern = {{track, 1, 0}};
        movie.periodStart = 0;
        movie.period = 1;
        return;
    }
    // The last chunks of a recording hold what was left when it closed: not part of the rhythm.
    const size_t n = movie.pattern.size() > 4 ? movie.pattern.size() - 2 : 0;
    movie.period = 0;
    for (size_t p = 1; p <= std::min(kMaxPeriod, n / 2); ++p) {
        // At least two periods, and a long enough stretch that a short rhythm inside a longer
        // one is not taken for it; never the first half, where a recording's start differs.
        const size_t window = std::max(p, std::min(n / 2, std::max<size_t>(8 * p, 512)));
        bool repeats = true;
        for (size_t i = n - p - window; i < n - p && repeats; ++i)
            repeats = movie.pattern[i] == movie.pattern[i + p];
        if (repeats) {
            movie.period = p;
            movie.periodStart = n - p;
            return;
        }
    }
}

ReferenceProblem readReference(QIODevice& device, ReferenceMovie& movie)
{
    const recording::RecordingCheck check = recording::checkRecording(device);
    if (check.state == recording::RecordingState::Unreadable)
        return {ReferenceError::Unreadable, {}};
    if (check.state != recording::RecordingState::Intact)
        return {ReferenceError::NoIndex, {}};
    QByteArray index;
    if (const ReferenceError error = readIndex(device, check, index); error != ReferenceError::None)
        return {error, {}};
    const Bytes moov(reinterpret_cast<const uint8_t*>(index.constData()) + 8, index.size() - 8);
    const BoxRef mvhd = childBox(moov, "mvhd");
    if (!fullBoxFits(mvhd, 100, 112))
        return damagedDescription(QStringLiteral("mvhd missing or cut short"));
    movie.mvhd = toByteArray(mvhd.whole);
    movie.movieTimescale = read32(mvhd.payload, mvhd.payload[0] == 0 ? 12 : 20);
    const MediaRange media{check.mediaStart, check.mediaEnd};
    std::vector<Chunk> chunks;
    for (const BoxRef& box : childBoxes(moov)) {
        if (std::memcmp(box.type, "trak", 4) != 0)
            continue;
        if (ReferenceProblem p = readTrack(box.payload, movie, media, chunks);
            p.error != ReferenceError::None)
            return p;
    }
    const int video = movie.videoTrack();
    if (movie.movieTimescale == 0 || video < 0)
        return {ReferenceError::NoVideo, {}};
    for (const TrackInfo& track : movie.tracks) {
        if (track.kind != TrackKind::Other && track.codec == Codec::Unknown)
            return {ReferenceError::UnknownCodec, QString::fromLatin1(track.stsd.mid(20, 4))};
    }
    if (ReferenceProblem p = buildPattern(chunks, media, movie); p.error != ReferenceError::None)
        return p;
    findPeriod(movie);
    // Another track with a rhythm of its own (a record a second beside pictures and sound that
    // repeat every few seconds) hides the pictures' rhythm: it is found without that track,
    // whose chunks the walk then steps over where they stand.
    const auto other = [&movie](const ChunkStep& s) {
        return movie.tracks[size_t(s.track)].kind == TrackKind::Other;
    };
    if (movie.period == 0 && std::any_of(movie.pattern.begin(), movie.pattern.end(), other)) {
        movie.pattern.erase(
            std::remove_if(movie.pattern.begin(), movie.pattern.end(), other), movie.pattern.end());
        findPeriod(movie);
    }
    return {};
}

ReferenceProblem readReference(const QString& path, ReferenceMovie& movie)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {ReferenceError::Unreadable, {}};
    movie.path = path;
    return readReference(file, movie);
}

} // namespace recover
