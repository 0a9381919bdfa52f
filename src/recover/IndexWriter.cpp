#include "recover/IndexWriter.h"

#include "recover/Mp4Boxes.h"

#include <algorithm>

namespace recover {

namespace {

Bytes view(const QByteArray& bytes)
{
    return Bytes(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

void put32(QByteArray& bytes, qsizetype at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (24 - 8 * i));
}

void put64(QByteArray& bytes, qsizetype at, uint64_t value)
{
    put32(bytes, at, uint32_t(value >> 32));
    put32(bytes, at + 4, uint32_t(value));
}

// Sets the duration of a copied mvhd, tkhd or mdhd; `offset0` and `offset1` are where it
// stands (after the 8-byte header) in versions 0 and 1.
QByteArray withDuration(QByteArray box, qsizetype offset0, qsizetype offset1, uint64_t duration)
{
    if (box.size() < 12)
        return box;
    if (box[8] == 1) {
        if (box.size() >= 8 + offset1 + 8)
            put64(box, 8 + offset1, duration);
    } else if (box.size() >= 8 + offset0 + 4) {
        put32(box, 8 + offset0, uint32_t(std::min<uint64_t>(duration, UINT32_MAX)));
    }
    return box;
}

// Rounded up: an edit that ends a fraction of a tick early cuts the last frame short.
uint64_t rescale(uint64_t value, uint32_t from, uint32_t to)
{
    return from == 0 ? 0 : uint64_t(((unsigned __int128)value * to + from - 1) / from);
}

// How a video track's pictures are timed: composition offsets in track units, one per picture
// (empty when display order is decoding order), and how much later than in the reference the
// first picture shows.
struct Composition
{
    std::vector<int64_t> offsets;
    int64_t delayChange = 0;
    bool orderKnown = true;
    // Where the last picture to show ends, in track units; 0 when that is the media's end.
    uint64_t presentationEnd = 0;
};

// Display positions from the pictures' order counts, and the delay that keeps every offset
// non-negative: the reference's, or more when this stream holds pictures back further.
Composition composition(const TrackInfo& track, const TrackSamples& found)
{
    Composition c;
    const int64_t duration = track.sampleDuration;
    std::vector<int64_t> positions;
    if (found.counts.size() != found.samples.size() || !displayPositions(found.counts, positions)) {
        // Decoding order it is; a delay the reference had would only hide the first pictures.
        c.orderKnown = !track.compositionOffsets;
        c.delayChange = -track.compositionDelay;
        return c;
    }
    int64_t needed = 0;
    bool reordered = false;
    for (size_t i = 0; i < positions.size(); ++i) {
        needed = std::max(needed, int64_t(i) - positions[i]);
        reordered |= positions[i] != int64_t(i);
    }
    const int64_t delay = std::max(needed * duration, track.compositionDelay);
    c.delayChange = delay - track.compositionDelay;
    if (!reordered && delay == 0)
        return c;
    c.offsets.resize(positions.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        c.offsets[i] = (positions[i] - int64_t(i)) * duration + delay;
        // A picture whose neighbours in display order were cut off shows after the last one
        // decoded: the edit must reach it.
        c.presentationEnd = std::max(c.presentationEnd, uint64_t((positions[i] + 1) * duration));
    }
    c.presentationEnd += uint64_t(delay);
    return c;
}

// The reference's edit list with its last edit's media time moved by `delayChange` and its
// duration fitted to the new media: the skipped priming of the sound and the start of the
// pictures stay as the camera set them.
QByteArray editList(const TrackInfo& track, uint64_t mediaDuration, uint32_t movieTimescale,
    const Composition& timing)
{
    const int64_t delayChange = timing.delayChange;
    mediaDuration = std::max(mediaDuration, timing.presentationEnd);
    if (track.edts.size() < 8)
        return {};
    const Bytes edts = view(track.edts);
    const BoxRef elst = childBox(edts.subspan(8), "elst");
    const Bytes p = elst.payload;
    const bool wide = !p.empty() && p[0] == 1;
    const size_t entrySize = wide ? 20 : 12;
    const uint32_t count = read32(p, 4);
    if (count == 0 || p.size() < 8 + uint64_t(count) * entrySize)
        return {};
    QByteArray result = track.edts;
    const size_t last = 8 + size_t(count - 1) * entrySize;
    int64_t mediaTime = wide ? int64_t(read64(p, last + 8)) : int32_t(read32(p, last + 4));
    if (mediaTime >= 0)
        mediaTime = std::max<int64_t>(0, mediaTime + delayChange);
    const uint64_t shown = mediaTime > 0 && uint64_t(mediaTime) < mediaDuration
        ? mediaDuration - uint64_t(mediaTime)
        : mediaDuration;
    const uint64_t duration = rescale(shown, track.timescale, movieTimescale);
    const qsizetype at = qsizetype(p.data() - edts.data()) + qsizetype(last);
    if (wide) {
        put64(result, at, duration);
        put64(result, at + 8, uint64_t(mediaTime));
    } else {
        put32(result, at, uint32_t(std::min<uint64_t>(duration, UINT32_MAX)));
        put32(result, at + 4, uint32_t(int32_t(mediaTime)));
    }
    return result;
}

void timeTables(BoxWriter& w, const TrackInfo& track, uint64_t count, const Composition& timing)
{
    w.fullBox("stts", 0, 0);
    w.u32(1);
    w.u32(uint32_t(std::min<uint64_t>(count, UINT32_MAX)));
    w.u32(track.sampleDuration);
    w.end();
    if (timing.offsets.empty())
        return;
    std::vector<std::pair<uint32_t, int64_t>> runs;
    for (const int64_t offset : timing.offsets) {
        if (runs.empty() || runs.back().second != offset)
            runs.push_back({0, offset});
        ++runs.back().first;
    }
    w.fullBox("ctts", 0, 0);
    w.u32(uint32_t(runs.size()));
    for (const auto& [n, offset] : runs) {
        w.u32(n);
        w.u32(uint32_t(offset));
    }
    w.end();
}

void sampleTables(BoxWriter& w, const TrackInfo& track, const TrackSamples& found,
    const Composition& timing, uint64_t shift)
{
    const std::vector<FoundSample>& samples = found.samples;
    w.bytes(track.stsd);
    timeTables(w, track, found.count(), timing);
    const size_t keys = size_t(
        std::count_if(samples.begin(), samples.end(), [](const FoundSample& s) { return s.key; }));
    if (track.video() && keys < samples.size()) {
        w.fullBox("stss", 0, 0);
        w.u32(uint32_t(keys));
        for (size_t i = 0; i < samples.size(); ++i) {
            if (samples[i].key)
                w.u32(uint32_t(i + 1));
        }
        w.end();
    }
    std::vector<std::pair<uint32_t, uint32_t>> runs; // first chunk, samples per chunk
    for (size_t c = 0; c < found.chunks.size(); ++c) {
        if (runs.empty() || runs.back().second != found.chunks[c].samples)
            runs.push_back({uint32_t(c + 1), found.chunks[c].samples});
    }
    w.fullBox("stsc", 0, 0);
    w.u32(uint32_t(runs.size()));
    for (const auto& [first, perChunk] : runs) {
        w.u32(first);
        w.u32(perChunk);
        w.u32(1);
    }
    w.end();
    w.fullBox("stsz", 0, 0);
    w.u32(found.fixedSize);
    w.u32(uint32_t(std::min<uint64_t>(found.count(), UINT32_MAX)));
    if (found.fixedSize == 0) {
        for (const FoundSample& s : samples)
            w.u32(s.size);
    }
    w.end();
    const bool wide = !found.chunks.empty() && found.chunks.back().offset + shift > UINT32_MAX;
    w.fullBox(wide ? "co64" : "stco", 0, 0);
    w.u32(uint32_t(found.chunks.size()));
    for (const FoundChunk& c : found.chunks) {
        if (wide)
            w.u64(c.offset + shift);
        else
            w.u32(uint32_t(c.offset + shift));
    }
    w.end();
}

// The sum of the edits' durations, in the movie's time scale.
uint64_t editedDuration(const QByteArray& edts)
{
    const Bytes elst = boxAt(view(edts).subspan(8), "elst").payload;
    const bool wide = !elst.empty() && elst[0] == 1;
    uint64_t shown = 0;
    for (uint32_t i = 0; i < read32(elst, 4); ++i)
        shown += wide ? read64(elst, 8 + size_t(i) * 20) : read32(elst, 8 + size_t(i) * 12);
    return shown;
}

} // namespace

double videoSeconds(const ReferenceMovie& reference, const std::vector<TrackSamples>& tracks)
{
    const int video = reference.videoTrack();
    if (video < 0)
        return 0;
    const TrackInfo& track = reference.tracks[size_t(video)];
    return double(tracks[size_t(video)].count()) * track.sampleDuration / track.timescale;
}

IndexResult buildIndex(
    const ReferenceMovie& reference, const std::vector<TrackSamples>& tracks, uint64_t shift)
{
    IndexResult result;
    BoxWriter w;
    w.begin("moov");
    uint64_t movieDuration = 0;
    QByteArray traks;
    for (size_t t = 0; t < reference.tracks.size(); ++t) {
        const TrackInfo& track = reference.tracks[t];
        const TrackSamples& found = tracks[t];
        if (track.kind == TrackKind::Other || found.count() == 0)
            continue;
        const Composition timing = track.video() ? composition(track, found) : Composition{};
        result.orderKnown = result.orderKnown && timing.orderKnown;
        const uint64_t mediaDuration = found.count() * track.sampleDuration;
        const QByteArray edts = editList(track, mediaDuration, reference.movieTimescale, timing);
        const uint64_t shown = edts.isEmpty()
            ? rescale(mediaDuration, track.timescale, reference.movieTimescale)
            : editedDuration(edts);
        movieDuration = std::max(movieDuration, shown);
        BoxWriter trak;
        trak.begin("trak");
        trak.bytes(withDuration(track.tkhd, 20, 28, shown));
        trak.bytes(edts);
        trak.begin("mdia");
        trak.bytes(withDuration(track.mdhd, 16, 24, mediaDuration));
        trak.bytes(track.hdlr);
        trak.begin("minf");
        trak.bytes(track.mediaHeader);
        trak.bytes(track.dinf);
        trak.begin("stbl");
        sampleTables(trak, track, found, timing, shift);
        trak.end();
        trak.end();
        trak.end();
        trak.end();
        traks += trak.data();
    }
    w.bytes(withDuration(reference.mvhd, 16, 24, movieDuration));
    w.bytes(traks);
    w.end();
    result.moov = w.data();
    return result;
}

} // namespace recover
