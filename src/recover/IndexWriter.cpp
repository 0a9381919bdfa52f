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

uint64_t rescale(uint64_t value, uint32_t from, uint32_t to)
{
    return from == 0 ? 0 : uint64_t((unsigned __int128)value * to / from);
}

// The reference's edit list with its last edit shortened or lengthened to the new duration:
// the skipped priming of the sound and the start of the pictures stay as the camera set them.
QByteArray editList(const TrackInfo& track, uint64_t mediaDuration, uint32_t movieTimescale)
{
    if (track.edts.size() < 8)
        return {};
    const BoxRef elst = childBox(view(track.edts).subspan(8), "elst");
    const Bytes p = elst.payload;
    const bool wide = !p.empty() && p[0] == 1;
    const size_t entrySize = wide ? 20 : 12;
    const uint32_t count = read32(p, 4);
    if (count == 0 || p.size() < 8 + uint64_t(count) * entrySize)
        return {};
    QByteArray edts = track.edts;
    const size_t last = 8 + size_t(count - 1) * entrySize;
    const int64_t mediaTime = wide ? int64_t(read64(p, last + 8)) : int32_t(read32(p, last + 4));
    const uint64_t shown = mediaTime > 0 && uint64_t(mediaTime) < mediaDuration
        ? mediaDuration - uint64_t(mediaTime)
        : mediaDuration;
    const uint64_t duration = rescale(shown, track.timescale, movieTimescale);
    const qsizetype at = qsizetype(p.data() - view(track.edts).data()) + qsizetype(last);
    if (wide)
        put64(edts, at, duration);
    else
        put32(edts, at, uint32_t(std::min<uint64_t>(duration, UINT32_MAX)));
    return edts;
}

void sampleTables(BoxWriter& w, const TrackInfo& track, const TrackSamples& found)
{
    const std::vector<FoundSample>& samples = found.samples;
    w.bytes(track.stsd);
    w.fullBox("stts", 0, 0);
    w.u32(1);
    w.u32(uint32_t(samples.size()));
    w.u32(track.sampleDuration);
    w.end();
    const size_t keys = size_t(
        std::count_if(samples.begin(), samples.end(), [](const FoundSample& s) { return s.key; }));
    if (track.video && keys < samples.size()) {
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
    w.u32(0);
    w.u32(uint32_t(samples.size()));
    for (const FoundSample& s : samples)
        w.u32(s.size);
    w.end();
    const bool wide = !found.chunks.empty() && found.chunks.back().offset > UINT32_MAX;
    w.fullBox(wide ? "co64" : "stco", 0, 0);
    w.u32(uint32_t(found.chunks.size()));
    for (const FoundChunk& c : found.chunks) {
        if (wide)
            w.u64(c.offset);
        else
            w.u32(uint32_t(c.offset));
    }
    w.end();
}

} // namespace

double videoSeconds(const ReferenceMovie& reference, const std::vector<TrackSamples>& tracks)
{
    const int video = reference.videoTrack();
    if (video < 0)
        return 0;
    const TrackInfo& track = reference.tracks[size_t(video)];
    return double(tracks[size_t(video)].samples.size()) * track.sampleDuration / track.timescale;
}

QByteArray buildIndex(const ReferenceMovie& reference, const std::vector<TrackSamples>& tracks)
{
    BoxWriter w;
    w.begin("moov");
    uint64_t movieDuration = 0;
    QByteArray traks;
    for (size_t t = 0; t < reference.tracks.size(); ++t) {
        const TrackInfo& track = reference.tracks[t];
        const TrackSamples& found = tracks[t];
        if (found.samples.empty())
            continue;
        const uint64_t mediaDuration = uint64_t(found.samples.size()) * track.sampleDuration;
        const QByteArray edts = editList(track, mediaDuration, reference.movieTimescale);
        uint64_t shown = rescale(mediaDuration, track.timescale, reference.movieTimescale);
        if (!edts.isEmpty()) {
            const Bytes elst = boxAt(view(edts).subspan(8), "elst").payload;
            const bool wide = elst[0] == 1;
            shown = 0;
            for (uint32_t i = 0; i < read32(elst, 4); ++i)
                shown += wide ? read64(elst, 8 + i * 20) : read32(elst, 8 + i * 12);
        }
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
        sampleTables(trak, track, found);
        trak.end();
        trak.end();
        trak.end();
        trak.end();
        traks += trak.data();
    }
    w.bytes(withDuration(reference.mvhd, 16, 24, movieDuration));
    w.bytes(traks);
    w.end();
    return w.data();
}

} // namespace recover
