#include "recover/MediaWalker.h"

#include "recover/MediaReader.h"

#include <algorithm>

namespace recover {

namespace {

// Sample sizes beyond these multiples of the reference's largest are taken for garbage: the
// same camera with the same settings never wrote one so large.
uint32_t maxSize(const TrackInfo& track)
{
    const uint64_t bound = track.video ? uint64_t(track.maxSampleSize) * 4 + (256u << 10)
                                       : uint64_t(track.maxSampleSize) * 2 + 1024;
    return uint32_t(std::min<uint64_t>(bound, track.video ? 32u << 20 : 64u << 10));
}

} // namespace

MediaWalker::MediaWalker(const ReferenceMovie& reference, MediaReader& reader)
    : m_reference(reference)
    , m_reader(reader)
{ }

MediaWalker::~MediaWalker() = default;

bool MediaWalker::prepare()
{
    m_tracks.assign(m_reference.tracks.size(), {});
    for (const TrackInfo& track : m_reference.tracks) {
        m_maxSizes.push_back(maxSize(track));
        m_decoders.push_back(std::make_unique<FrameDecoder>());
        if (!m_decoders.back()->open(track))
            return false;
    }
    const int video = m_reference.videoTrack();
    m_syntax = std::make_unique<VideoSyntax>(
        m_reference.tracks[size_t(video)], m_reader, m_maxSizes[size_t(video)]);
    return true;
}

void MediaWalker::add(int track, uint64_t offset, uint64_t end, bool key)
{
    TrackSamples& t = m_tracks[size_t(track)];
    t.samples.push_back({offset, uint32_t(end - offset), key});
}

bool MediaWalker::walk(
    uint64_t start, const std::atomic<bool>* cancel, const std::function<void(uint64_t)>& progress)
{
    uint64_t position = start;
    for (size_t index = 0;; ++index) {
        if (cancel && cancel->load())
            return false;
        const ChunkStep step = m_reference.step(index);
        if (step.track < 0 || step.samples == 0)
            break;
        TrackSamples& track = m_tracks[size_t(step.track)];
        const uint32_t before = uint32_t(track.samples.size());
        const uint64_t chunkStart = position;
        const bool whole = m_reference.tracks[size_t(step.track)].video
            ? walkVideoChunk(step.track, step.samples, m_reference.step(index + 1), position)
            : walkSoundChunk(step.track, step.samples, position);
        const uint32_t found = uint32_t(track.samples.size()) - before;
        if (found > 0)
            track.chunks.push_back({chunkStart, before, found});
        if (progress && (index & 63) == 0)
            progress(position);
        if (!whole)
            break;
    }
    if (m_reader.failed())
        return false;
    confirmVideoTail();
    confirmSoundTail();
    return true;
}

bool MediaWalker::walkVideoChunk(
    int track, uint32_t count, const ChunkStep& next, uint64_t& position)
{
    const bool soundNext
        = next.track >= 0 && next.samples > 0 && !m_reference.tracks[size_t(next.track)].video;
    for (uint32_t i = 0; i < count; ++i) {
        VideoSample sample;
        if (!m_syntax->parse(position, m_reader.end(), sample))
            return false;
        if (!sample.delimited && i + 1 == count && soundNext) {
            // A picture without an end marker, then sound: the sound ends where the next
            // picture's start code stands, and starts where its frames decode up to there.
            // Where the data end after it, the sound there may also be all that is left.
            const uint64_t soundEnd = sample.end;
            sample.end = soundStartBefore(next.track, next.samples, position, soundEnd);
            for (uint32_t fewer = next.samples - 1;
                 sample.end == 0 && soundEnd >= m_reader.end() && fewer > 0; --fewer)
                sample.end = soundStartBefore(next.track, fewer, position, soundEnd);
            if (sample.end == 0)
                return false;
        }
        add(track, position, sample.end, sample.key);
        position = sample.end;
    }
    return true;
}

bool MediaWalker::walkSoundChunk(int track, uint32_t count, uint64_t& position)
{
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t size = soundFrame(track, position, m_reader.end());
        if (size == 0)
            return false;
        add(track, position, position + size, true);
        position += size;
    }
    return true;
}

// A sound frame has no length of its own: its decoder reads up to the frame's end and reports
// damage when the bytes run out before it. So the shortest run of bytes from `position` that
// decodes to a frame is the frame.
uint32_t MediaWalker::soundFrame(int track, uint64_t position, uint64_t limit)
{
    FrameDecoder& decoder = *m_decoders[size_t(track)];
    const uint32_t high = uint32_t(std::min<uint64_t>(m_maxSizes[size_t(track)], limit - position));
    if (high == 0)
        return 0;
    const uint8_t* bytes = m_reader.at(position, high);
    if (!bytes)
        return 0;
    if (decoder.framesBeforeError(bytes, high) == 0)
        return 0;
    uint32_t low = 1, found = high;
    while (low < found) {
        const uint32_t middle = low + (found - low) / 2;
        if (decoder.framesBeforeError(bytes, middle) > 0)
            found = middle;
        else
            low = middle + 1;
    }
    return found;
}

// The start of `frames` sound frames that end exactly at `next`: the picture before them ends
// there. Searched backwards from `next`; the tail of a sound frame can decode as a short frame
// of its own, so an AAC start must also open with the element a camera's encoder writes first
// (a single or pair channel element, tag 0). 0 when no start fits.
uint64_t MediaWalker::soundStartBefore(int track, uint32_t frames, uint64_t vop, uint64_t next)
{
    const TrackInfo& info = m_reference.tracks[size_t(track)];
    FrameDecoder& decoder = *m_decoders[size_t(track)];
    const uint64_t span = uint64_t(m_maxSizes[size_t(track)]) * frames;
    const uint64_t earliest = std::max(vop + 5, next > span ? next - span : 0);
    const uint8_t opening = info.channels == 2 ? 0x20 : 0x00;
    for (uint64_t start = next > 8 * frames ? next - 8 * frames : 0; start-- > earliest;) {
        const uint8_t* bytes = m_reader.at(start, size_t(next - start));
        if (!bytes
            || (info.codec == Codec::Aac && info.channels <= 2 && (bytes[0] & 0xFE) != opening))
            continue;
        bool error = false;
        if (decoder.framesBeforeError(bytes, size_t(next - start), &error) == int(frames) && !error)
            return start;
    }
    return 0;
}

// The syntax alone accepts what merely looks like a sample. Where the walk ended the last
// pictures are decoded from their key frame on, and those that do not decode are dropped
// with everything after them.
void MediaWalker::confirmVideoTail()
{
    const int video = m_reference.videoTrack();
    std::vector<FoundSample>& samples = m_tracks[size_t(video)].samples;
    if (samples.empty())
        return;
    size_t first = samples.size() - 1;
    while (first > 0 && !samples[first].key)
        --first;
    FrameDecoder& decoder = *m_decoders[size_t(video)];
    decoder.reset();
    for (size_t i = first; i < samples.size(); ++i) {
        const FoundSample s = samples[i];
        if (!m_reader.copy(s.offset, s.size, m_packet)
            || !decoder.decodeNext(m_packet.data(), s.size)) {
            dropFrom(s.offset);
            break;
        }
    }
    decoder.reset();
}

// Sound after the last picture has no picture after it to show where it ends, and garbage
// can decode as sound. It stays only when the start of a picture (cut or not) follows it, or
// the data end there.
void MediaWalker::confirmSoundTail()
{
    const int video = m_reference.videoTrack();
    const std::vector<FoundSample>& pictures = m_tracks[size_t(video)].samples;
    const uint64_t videoEnd = pictures.empty() ? 0 : pictures.back().offset + pictures.back().size;
    const uint64_t end = this->end();
    if (end > videoEnd && !m_syntax->startsSample(end))
        dropFrom(videoEnd);
}

void MediaWalker::dropFrom(uint64_t position)
{
    for (TrackSamples& track : m_tracks) {
        while (!track.samples.empty() && track.samples.back().offset >= position)
            track.samples.pop_back();
        while (!track.chunks.empty() && track.chunks.back().firstSample >= track.samples.size())
            track.chunks.pop_back();
        if (!track.chunks.empty()) {
            FoundChunk& last = track.chunks.back();
            last.samples = uint32_t(track.samples.size()) - last.firstSample;
        }
    }
}

uint64_t MediaWalker::end() const
{
    uint64_t end = 0;
    for (const TrackSamples& track : m_tracks) {
        if (!track.samples.empty())
            end = std::max(end, track.samples.back().offset + track.samples.back().size);
    }
    return end;
}

size_t MediaWalker::videoSamples() const
{
    const int video = m_reference.videoTrack();
    return video < 0 ? 0 : m_tracks[size_t(video)].samples.size();
}

} // namespace recover
