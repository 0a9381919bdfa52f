#include "recover/MediaWalker.h"

#include "recover/MediaReader.h"

#include <algorithm>

namespace recover {

namespace {

// Sample sizes beyond these multiples of the reference's largest are taken for garbage: the
// same camera with the same settings never wrote one so large.
uint32_t maxSize(const TrackInfo& track)
{
    const uint64_t bound = track.video() ? uint64_t(track.maxSampleSize) * 4 + (256u << 10)
                                         : uint64_t(track.maxSampleSize) * 2 + 1024;
    return uint32_t(std::min<uint64_t>(bound, track.video() ? 32u << 20 : 64u << 10));
}

// How far past the end of a chunk of another track whose samples vary the next chunk may start.
constexpr uint64_t kOtherChunkSlack = 64 << 10;
// How far the look for pictures after the walk's end goes: enough for a few seconds of any
// camera's video, and a bound on the time it takes whatever follows.
constexpr uint64_t kLookAhead = 16 << 20;

} // namespace

uint64_t TrackSamples::end() const
{
    if (fixedSize)
        return chunks.empty() ? 0
                              : chunks.back().offset + uint64_t(chunks.back().samples) * fixedSize;
    return samples.empty() ? 0 : samples.back().offset + samples.back().size;
}

MediaWalker::MediaWalker(const ReferenceMovie& reference, MediaReader& reader)
    : m_reference(reference)
    , m_reader(reader)
{ }

MediaWalker::~MediaWalker() = default;

bool MediaWalker::prepare()
{
    m_video = m_reference.videoTrack();
    if (m_video < 0)
        return false;
    m_tracks.assign(m_reference.tracks.size(), {});
    for (size_t t = 0; t < m_reference.tracks.size(); ++t) {
        const TrackInfo& track = m_reference.tracks[t];
        m_maxSizes.push_back(maxSize(track));
        m_decoders.push_back(std::make_unique<FrameDecoder>());
        if (track.kind == TrackKind::Sound && track.codec == Codec::Pcm) {
            if (track.fixedSampleSize == 0)
                return false;
            m_tracks[t].fixedSize = track.fixedSampleSize;
        } else if (track.kind != TrackKind::Other && !m_decoders.back()->open(track)) {
            return false;
        }
    }
    const TrackInfo& video = m_reference.tracks[size_t(m_video)];
    m_syntax = std::make_unique<VideoSyntax>(video, m_reader, m_maxSizes[size_t(m_video)]);
    if (video.codec == Codec::H264 || video.codec == Codec::Hevc) {
        NalConfig config;
        const Bytes record(
            reinterpret_cast<const uint8_t*>(video.extradata.constData()), video.extradata.size());
        const QString problem = video.codec == Codec::Hevc ? readHevcConfig(record, config)
                                                           : readAvcConfig(record, config);
        m_orderKnown = problem.isEmpty() && m_order.configure(video.codec == Codec::Hevc, config);
    }
    return true;
}

void MediaWalker::beginChunk(int track, uint64_t offset)
{
    TrackSamples& t = m_tracks[size_t(track)];
    t.chunks.push_back({offset, t.count(), 0});
}

bool MediaWalker::walk(uint64_t start, const std::atomic<bool>* cancel,
    const std::function<void(uint64_t)>& progress, bool whole)
{
    uint64_t position = start;
    m_walkEnd = WalkEnd::DataEnded;
    for (size_t index = 0;; ++index) {
        if (cancel && cancel->load())
            return false;
        const ChunkStep step = m_reference.step(index);
        if (step.track < 0) {
            m_walkEnd = WalkEnd::PatternEnded;
            break;
        }
        const TrackKind kind = m_reference.tracks[size_t(step.track)].kind;
        bool complete = false;
        if (kind == TrackKind::Other) {
            complete = skipChunkOf(step.track, step.samples,
                index < m_reference.pattern.size() ? step.bytes : 0, index + 1, position);
        } else {
            const uint64_t chunkStart = position;
            const uint64_t before = m_tracks[size_t(step.track)].count();
            complete = mediaChunk(index, step, position);
            // Another track's chunk where the rhythm has none (its own rhythm is not the
            // pictures'): stepped over, and the chunk tried again after it.
            if (!complete && position == chunkStart
                && m_tracks[size_t(step.track)].count() == before
                && skipOtherChunk(index, position))
                complete = mediaChunk(index, step, position);
        }
        if (progress && (index & 63) == 0)
            progress(position);
        if (!complete) {
            m_walkEnd = WalkEnd::StepFailed;
            if (kind == TrackKind::Video)
                soundTail(position, whole);
            break;
        }
        if (position >= m_reader.end())
            break;
    }
    if (m_reader.failed())
        return false;
    // An MPEG-4 picture has no end marker: the last ones may hold garbage, or be cut.
    if (m_reference.tracks[size_t(m_video)].codec == Codec::Mpeg4Visual)
        dropUndecodableTail();
    confirmSoundTail();
    return !m_reader.failed();
}

bool MediaWalker::mediaChunk(size_t index, const ChunkStep& step, uint64_t& position)
{
    beginChunk(step.track, position);
    const bool complete = m_reference.tracks[size_t(step.track)].video()
        ? videoChunk(index, step, position)
        : soundChunk(index, step, position);
    TrackSamples& t = m_tracks[size_t(step.track)];
    t.chunks.back().samples = uint32_t(t.count() - t.chunks.back().firstSample);
    if (t.chunks.back().samples == 0)
        t.chunks.pop_back();
    return complete;
}

bool MediaWalker::skipOtherChunk(size_t index, uint64_t& position)
{
    for (size_t t = 0; t < m_reference.tracks.size(); ++t) {
        const TrackInfo& track = m_reference.tracks[t];
        if (track.kind == TrackKind::Other
            && skipChunkOf(int(t), track.samplesPerChunk, 0, index, position))
            return true;
    }
    return false;
}

void MediaWalker::addPicture(uint64_t position, const VideoSample& sample)
{
    TrackSamples& t = m_tracks[size_t(m_video)];
    t.samples.push_back({position, uint32_t(sample.end - position), sample.key});
    if (!m_orderKnown)
        return;
    PictureCount count;
    const uint32_t length = std::min<uint32_t>(sample.firstSliceSize, 128);
    const uint8_t* nal = sample.firstSliceSize ? m_reader.at(sample.firstSlice, length) : nullptr;
    if (nal && m_order.count(nal, length, count)) {
        t.counts.push_back(count);
    } else {
        m_orderKnown = false;
        t.counts.clear();
    }
}

bool MediaWalker::videoChunk(size_t index, const ChunkStep& step, uint64_t& position)
{
    const ChunkStep next = m_reference.step(index + 1);
    const bool soundNext = next.track >= 0 && m_reference.tracks[size_t(next.track)].sound();
    for (uint32_t i = 0; i < step.samples; ++i) {
        VideoSample sample;
        if (!m_syntax->parse(position, m_reader.end(), sample)) {
            // Fewer pictures than the pattern says, and the sound already: the chunk ends here.
            return i > 0 && soundNext && position < m_reader.end()
                && m_reference.tracks[size_t(m_video)].codec != Codec::Mpeg4Visual
                && (m_tracks[size_t(next.track)].fixedSize || frameMayStart(next.track, position));
        }
        if (!sample.delimited && i + 1 == step.samples && soundNext
            && !resolveSoundAfter(next, position, sample))
            return false;
        addPicture(position, sample);
        position = sample.end;
    }
    return true;
}

// Another track's chunk (text, metadata) is stepped over: by `bytes` when known (the
// reference's own chunk where the pattern is the reference's), else by its samples' usual size;
// and where that does not land on the next chunk (the step `nextIndex`), it ends where that
// starts: the next picture, or the sound before it, found backwards from the picture.
bool MediaWalker::skipChunkOf(
    int other, uint32_t samples, uint64_t bytes, size_t nextIndex, uint64_t& position)
{
    const TrackInfo& track = m_reference.tracks[size_t(other)];
    const ChunkStep next = m_reference.step(nextIndex);
    if (bytes == 0)
        bytes = uint64_t(track.commonSampleSize) * samples;
    if (bytes > 0 && m_reader.end() - position >= bytes
        && (position + bytes == m_reader.end() || nextStepMayStart(next, position + bytes))) {
        position += bytes;
        return true;
    }
    const bool soundNext = next.track >= 0 && m_reference.tracks[size_t(next.track)].sound();
    if (next.track != m_video && !(soundNext && m_reference.step(nextIndex + 1).track == m_video))
        return false;
    VideoSample sample;
    const uint64_t soundBytes
        = soundNext ? uint64_t(m_maxSizes[size_t(next.track)]) * next.samples : 0;
    const uint64_t limit = std::min(m_reader.end(),
        position + uint64_t(track.maxSampleSize) * samples * 4 + soundBytes + kOtherChunkSlack);
    const uint64_t picture = m_syntax->nextSample(position + 1, limit, sample);
    if (picture >= limit)
        return false;
    if (!soundNext) {
        position = picture;
        return true;
    }
    if (m_tracks[size_t(next.track)].fixedSize) {
        const uint64_t fixed = uint64_t(m_tracks[size_t(next.track)].fixedSize) * next.samples;
        if (picture - position < fixed)
            return false;
        position = picture - fixed;
        return true;
    }
    const uint64_t start = soundStartBefore(next.track, next.samples, position, picture, false);
    m_pending.clear();
    if (start == 0 || !splitFrames(next.track, next.samples, start, picture, m_pending)) {
        m_pending.clear();
        return false;
    }
    position = start;
    return true;
}

bool MediaWalker::nextStepMayStart(const ChunkStep& next, uint64_t position)
{
    if (next.track < 0)
        return true;
    const TrackInfo& track = m_reference.tracks[size_t(next.track)];
    if (track.video())
        return m_syntax->startsSample(position);
    if (track.sound() && !m_tracks[size_t(next.track)].fixedSize)
        return frameMayStart(next.track, position);
    return true;
}

uint64_t MediaWalker::picturesAfter(uint64_t from)
{
    const uint64_t limit = std::min(m_reader.end(), from + kLookAhead);
    // Sound chunks lie between pictures: a few seconds of any camera's sound at most.
    const uint64_t gap = 256 << 10;
    for (uint64_t position = from; position < limit;) {
        VideoSample sample;
        const uint64_t first = m_syntax->nextSample(position, limit, sample);
        if (first >= limit)
            break;
        bool row = true;
        uint64_t end = sample.end;
        for (int k = 0; k < 2 && row; ++k) {
            const uint64_t next
                = m_syntax->nextSample(end, std::min(m_reader.end(), end + gap), sample);
            row = next < m_reader.end() && next < end + gap;
            end = sample.end;
        }
        if (row)
            return first;
        position = first + 1;
    }
    return m_reader.end();
}

bool MediaWalker::dropUndecodableTail()
{
    std::vector<FoundSample>& samples = m_tracks[size_t(m_video)].samples;
    if (samples.empty())
        return false;
    size_t first = samples.size() - 1;
    while (first > 0 && !samples[first].key)
        --first;
    FrameDecoder& decoder = *m_decoders[size_t(m_video)];
    decoder.reset();
    bool dropped = false;
    for (size_t i = first; i < samples.size(); ++i) {
        const FoundSample s = samples[i];
        if (!m_reader.copy(s.offset, s.size, m_packet)
            || !decoder.decodeNext(m_packet.data(), s.size)) {
            dropFrom(s.offset);
            dropped = true;
            break;
        }
    }
    decoder.reset();
    return dropped;
}

// Where no picture follows, a muxer may have written the last of the sound: at the end of a
// whole recording, or up to the cut. Taken frame by frame as long as they decode; PCM, which no
// decoder judges, only when its frames fill the whole media data to their end.
void MediaWalker::soundTail(uint64_t position, bool whole)
{
    const auto sound = std::find_if(m_reference.tracks.begin(), m_reference.tracks.end(),
        [](const TrackInfo& t) { return t.sound(); });
    // A picture cut by the end of the data is no sound.
    if (sound == m_reference.tracks.end() || position >= m_reader.end()
        || m_syntax->startsSample(position))
        return;
    const int track = int(sound - m_reference.tracks.begin());
    TrackSamples& t = m_tracks[size_t(track)];
    beginChunk(track, position);
    if (t.fixedSize) {
        if (whole && (m_reader.end() - position) % t.fixedSize == 0)
            t.fixedCount += (m_reader.end() - position) / t.fixedSize;
    } else {
        for (uint32_t size; (size = soundFrame(track, position, m_reader.end())) > 0;) {
            t.samples.push_back({position, size, true});
            position += size;
        }
    }
    t.chunks.back().samples = uint32_t(t.count() - t.chunks.back().firstSample);
    if (t.chunks.back().samples == 0)
        t.chunks.pop_back();
}

// Sound after the last picture has no picture after it to show where it ends, and garbage
// can decode as sound. It stays only when the start of a picture (cut or not) follows it, or
// the data end there.
void MediaWalker::confirmSoundTail()
{
    const uint64_t videoEnd = m_tracks[size_t(m_video)].end();
    const uint64_t end = this->end();
    if (end > videoEnd && !m_syntax->startsSample(end))
        dropFrom(videoEnd);
}

void MediaWalker::dropFrom(uint64_t position)
{
    for (TrackSamples& track : m_tracks) {
        while (!track.chunks.empty() && track.chunks.back().offset >= position)
            track.chunks.pop_back();
        if (track.fixedSize) {
            if (!track.chunks.empty()) {
                FoundChunk& last = track.chunks.back();
                last.samples = uint32_t(
                    std::min<uint64_t>(last.samples, (position - last.offset) / track.fixedSize));
                track.fixedCount = last.firstSample + last.samples;
            } else {
                track.fixedCount = 0;
            }
            continue;
        }
        while (!track.samples.empty() && track.samples.back().offset >= position)
            track.samples.pop_back();
        if (track.counts.size() > track.samples.size())
            track.counts.resize(track.samples.size());
        if (!track.chunks.empty()) {
            FoundChunk& last = track.chunks.back();
            last.samples = uint32_t(track.samples.size() - last.firstSample);
        }
    }
}

uint64_t MediaWalker::end() const
{
    uint64_t end = 0;
    for (const TrackSamples& track : m_tracks)
        end = std::max(end, track.end());
    return end;
}

size_t MediaWalker::videoSamples() const
{
    return m_video < 0 ? 0 : m_tracks[size_t(m_video)].samples.size();
}

} // namespace recover
