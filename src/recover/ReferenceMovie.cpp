#include "recover/ReferenceMovie.h"

#include "recording/RecordingCheck.h"
#include "recover/Mp4Boxes.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <map>

namespace recover {

namespace {

// An index larger than this is not a camera's: its tables would describe days of video.
constexpr uint64_t kMaxIndex = 64 * 1024 * 1024;

uint32_t descriptorLength(Bytes bytes, size_t& position)
{
    uint32_t length = 0;
    for (int i = 0; i < 4 && position < bytes.size(); ++i) {
        const uint8_t b = bytes[position++];
        length = length << 7 | (b & 0x7F);
        if (!(b & 0x80))
            break;
    }
    return length;
}

// The object type and decoder specific info of an "esds" payload.
void readEsds(Bytes esds, uint8_t& objectType, QByteArray& specificInfo)
{
    size_t position = 4; // version and flags
    if (position >= esds.size() || esds[position++] != 0x03)
        return;
    descriptorLength(esds, position);
    if (position + 3 > esds.size())
        return;
    const uint8_t flags = esds[position + 2];
    position += 3;
    if (flags & 0x80)
        position += 2;
    if (flags & 0x40 && position < esds.size())
        position += 1 + esds[position];
    if (flags & 0x20)
        position += 2;
    if (position >= esds.size() || esds[position++] != 0x04)
        return;
    const uint32_t configLength = descriptorLength(esds, position);
    const size_t configEnd = std::min(esds.size(), position + configLength);
    if (position + 13 > configEnd)
        return;
    objectType = esds[position];
    position += 13;
    if (position < configEnd && esds[position++] == 0x05) {
        const uint32_t length = descriptorLength(esds, position);
        if (position + length <= configEnd)
            specificInfo = toByteArray(esds.subspan(position, length));
    }
}

void readSampleEntry(Bytes stsd, TrackInfo& track)
{
    const std::vector<BoxRef> entries = childBoxes(stsd.size() > 8 ? stsd.subspan(8) : Bytes());
    if (entries.empty())
        return;
    const BoxRef& entry = entries.front();
    const Bytes body = entry.payload;
    const std::string type(entry.type, 4);
    Bytes children;
    if (track.video) {
        track.width = read16(body, 24);
        track.height = read16(body, 26);
        children = body.size() > 78 ? body.subspan(78) : Bytes();
    } else {
        const uint16_t version = read16(body, 8);
        track.channels = read16(body, 16);
        track.sampleRate = int(read32(body, 24) >> 16);
        const size_t extra = version == 1 ? 16 : version == 2 ? 36 : 0;
        children = body.size() > 28 + extra ? body.subspan(28 + extra) : Bytes();
    }
    if (type == "avc1" || type == "avc3") {
        const BoxRef avcC = childBox(children, "avcC");
        if (avcC.payload.size() >= 7) {
            track.codec = Codec::H264;
            track.extradata = toByteArray(avcC.payload);
            track.nalLengthSize = (avcC.payload[4] & 3) + 1;
        }
    } else if (type == "mp4v" || type == "mp4a") {
        uint8_t objectType = 0;
        readEsds(childBox(children, "esds").payload, objectType, track.extradata);
        if (objectType == 0x20)
            track.codec = Codec::Mpeg4Visual;
        else if (objectType == 0x6C)
            track.codec = Codec::Mjpeg;
        else if (objectType == 0x40 || (objectType >= 0x66 && objectType <= 0x68))
            track.codec = Codec::Aac;
        // Muxers write 2 into the sample entry's channel count whatever the sound holds; the
        // decoder configuration tells the truth.
        const QByteArray& config = track.extradata;
        if (track.codec == Codec::Aac && config.size() >= 2
            && ((config[0] & 7) << 1 | (uint8_t(config[1]) >> 7)) != 15) {
            const int channels = (uint8_t(config[1]) >> 3) & 0xF;
            if (channels > 0)
                track.channels = channels;
        }
    } else if (type == "jpeg" || type == "mjpa") {
        track.codec = Codec::Mjpeg;
    } else if (type == "samr") {
        track.codec = Codec::AmrNb;
    } else if (type == "sawb") {
        track.codec = Codec::AmrWb;
    }
}

struct Chunk
{
    uint64_t offset;
    int track;
    uint32_t samples;
};

// The chunks of one track from its sample-to-chunk and chunk offset tables.
void collectChunks(Bytes stbl, int trackIndex, std::vector<Chunk>& chunks)
{
    const Bytes stsc = childBox(stbl, "stsc").payload;
    BoxRef offsets = childBox(stbl, "stco");
    const bool wide = offsets.whole.empty();
    if (wide)
        offsets = childBox(stbl, "co64");
    const Bytes co = offsets.payload;
    const uint32_t chunkCount = read32(co, 4);
    const size_t width = wide ? 8 : 4;
    if (co.size() < 8 + uint64_t(chunkCount) * width)
        return;
    const uint32_t runs = read32(stsc, 4);
    if (stsc.size() < 8 + uint64_t(runs) * 12)
        return;
    for (uint32_t run = 0; run < runs; ++run) {
        const uint32_t first = read32(stsc, 8 + run * 12);
        const uint32_t perChunk = read32(stsc, 12 + run * 12);
        const uint32_t next = run + 1 < runs ? read32(stsc, 8 + (run + 1) * 12) : chunkCount + 1;
        for (uint32_t c = std::max(first, 1u); c < next && c <= chunkCount; ++c) {
            const size_t at = 8 + size_t(c - 1) * width;
            chunks.push_back({wide ? read64(co, at) : read32(co, at), trackIndex, perChunk});
        }
    }
}

void readSampleTables(Bytes stbl, TrackInfo& track)
{
    const Bytes stts = childBox(stbl, "stts").payload;
    std::map<uint32_t, uint64_t> durations;
    const uint32_t runs = read32(stts, 4);
    for (uint32_t i = 0; i < runs && 16 + uint64_t(i) * 8 <= stts.size(); ++i)
        durations[read32(stts, 12 + i * 8)] += read32(stts, 8 + i * 8);
    uint64_t most = 0;
    for (const auto& [duration, count] : durations) {
        if (count > most) {
            most = count;
            track.sampleDuration = duration;
        }
    }
    const Bytes stsz = childBox(stbl, "stsz").payload;
    const uint32_t fixed = read32(stsz, 4);
    const uint32_t count = read32(stsz, 8);
    track.minSampleSize = fixed;
    track.maxSampleSize = fixed;
    if (fixed == 0 && stsz.size() >= 12 + uint64_t(count) * 4) {
        track.minSampleSize = UINT32_MAX;
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t size = read32(stsz, 12 + i * 4);
            track.minSampleSize = std::min(track.minSampleSize, size);
            track.maxSampleSize = std::max(track.maxSampleSize, size);
        }
        if (count == 0)
            track.minSampleSize = 0;
    }
    const Bytes ctts = childBox(stbl, "ctts").payload;
    for (uint32_t i = 0; i < read32(ctts, 4) && 16 + uint64_t(i) * 8 <= ctts.size(); ++i)
        track.compositionOffsets |= read32(ctts, 12 + i * 8) != 0;
}

bool readTrack(Bytes trak, int index, ReferenceMovie& movie, std::vector<Chunk>& chunks)
{
    const BoxRef hdlr = boxAt(trak, "mdia/hdlr");
    const BoxRef stbl = boxAt(trak, "mdia/minf/stbl");
    if (hdlr.payload.size() < 12 || stbl.whole.empty())
        return false;
    TrackInfo track;
    const Bytes handler = hdlr.payload.subspan(8, 4);
    track.video = std::memcmp(handler.data(), "vide", 4) == 0;
    if (!track.video && std::memcmp(handler.data(), "soun", 4) != 0)
        return false;
    const BoxRef tkhd = childBox(trak, "tkhd");
    const BoxRef mdhd = boxAt(trak, "mdia/mdhd");
    const BoxRef minf = boxAt(trak, "mdia/minf");
    track.trackId = read32(tkhd.payload, tkhd.payload.empty() || tkhd.payload[0] == 0 ? 12 : 20);
    track.timescale = read32(mdhd.payload, mdhd.payload.empty() || mdhd.payload[0] == 0 ? 12 : 20);
    track.tkhd = toByteArray(tkhd.whole);
    track.edts = toByteArray(childBox(trak, "edts").whole);
    track.mdhd = toByteArray(mdhd.whole);
    track.hdlr = toByteArray(hdlr.whole);
    track.mediaHeader = toByteArray(childBox(minf.payload, track.video ? "vmhd" : "smhd").whole);
    track.dinf = toByteArray(childBox(minf.payload, "dinf").whole);
    const BoxRef stsd = childBox(stbl.payload, "stsd");
    track.stsd = toByteArray(stsd.whole);
    readSampleEntry(stsd.payload, track);
    readSampleTables(stbl.payload, track);
    if (track.timescale == 0 || track.sampleDuration == 0 || track.tkhd.isEmpty()
        || track.mdhd.isEmpty())
        return false;
    movie.tracks.push_back(track);
    collectChunks(stbl.payload, index, chunks);
    return true;
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

} // namespace

const char* codecName(Codec codec)
{
    switch (codec) {
    case Codec::H264:
        return "H.264";
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
    case Codec::Unknown:
        break;
    }
    return "unknown";
}

int ReferenceMovie::videoTrack() const
{
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (tracks[i].video)
            return int(i);
    }
    return -1;
}

ChunkStep ReferenceMovie::step(size_t index) const
{
    if (index < periodStart + period || period == 0)
        return index < pattern.size() ? pattern[index] : ChunkStep{-1, 0};
    return pattern[periodStart + (index - periodStart) % period];
}

void findPeriod(ReferenceMovie& movie)
{
    // The last chunks of a recording hold what was left when it closed: not part of the rhythm.
    const size_t n = movie.pattern.size() > 4 ? movie.pattern.size() - 2 : 0;
    movie.period = 0;
    for (size_t p = 1; p <= n / 2; ++p) {
        bool repeats = true;
        for (size_t i = n - p; i-- > n / 2 && repeats;)
            repeats = movie.pattern[i] == movie.pattern[i + p];
        if (repeats) {
            movie.period = p;
            movie.periodStart = n - p;
            return;
        }
    }
}

ReferenceError readReference(QIODevice& device, ReferenceMovie& movie)
{
    const recording::RecordingCheck check = recording::checkRecording(device);
    if (check.state == recording::RecordingState::Unreadable)
        return ReferenceError::Unreadable;
    if (check.state != recording::RecordingState::Intact)
        return ReferenceError::NoIndex;
    QByteArray index;
    if (const ReferenceError error = readIndex(device, check, index); error != ReferenceError::None)
        return error;
    const Bytes moov(reinterpret_cast<const uint8_t*>(index.constData()) + 8, index.size() - 8);
    const BoxRef mvhd = childBox(moov, "mvhd");
    movie.mvhd = toByteArray(mvhd.whole);
    movie.movieTimescale
        = read32(mvhd.payload, mvhd.payload.empty() || mvhd.payload[0] == 0 ? 12 : 20);
    std::vector<Chunk> chunks;
    for (const BoxRef& box : childBoxes(moov)) {
        if (std::memcmp(box.type, "trak", 4) == 0)
            readTrack(box.payload, int(movie.tracks.size()), movie, chunks);
    }
    const int video = movie.videoTrack();
    if (movie.movieTimescale == 0 || video < 0)
        return ReferenceError::NoVideo;
    for (const TrackInfo& track : movie.tracks) {
        if (track.codec == Codec::Unknown)
            return ReferenceError::UnknownCodec;
    }
    std::stable_sort(chunks.begin(), chunks.end(),
        [](const Chunk& a, const Chunk& b) { return a.offset < b.offset; });
    movie.pattern.clear();
    if (!chunks.empty() && chunks.front().offset >= check.mediaStart
        && chunks.front().offset - check.mediaStart < (1u << 20))
        movie.firstChunkGap = chunks.front().offset - check.mediaStart;
    for (const Chunk& c : chunks) {
        if (c.samples > 0)
            movie.pattern.push_back({c.track, c.samples});
    }
    findPeriod(movie);
    return ReferenceError::None;
}

ReferenceError readReference(const QString& path, ReferenceMovie& movie)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReferenceError::Unreadable;
    movie.path = path;
    return readReference(file, movie);
}

} // namespace recover
