// The sound chunks of the walk. A sound frame has no length of its own; where a chunk of them
// ends is where the next picture starts, and inside a chunk of several their decoder tells
// where each ends.
#include "recover/MediaWalker.h"

#include "recover/MediaReader.h"
#include "recover/SoundSyntax.h"

#include <algorithm>

namespace recover {

bool MediaWalker::fixedChunk(const ChunkStep& step, bool pictureNext, uint64_t& position)
{
    TrackSamples& t = m_tracks[size_t(step.track)];
    uint64_t frames = step.samples;
    // Frames the pattern does not count: up to the next picture, when it stands a whole number
    // of frames on and not where the pattern says.
    const uint64_t bytes = uint64_t(t.fixedSize) * frames;
    if (pictureNext && bytes < m_reader.end() - position && !pictureAt(position + bytes)) {
        VideoSample sample;
        const uint64_t limit = std::min(m_reader.end(), position + 4 * bytes + t.fixedSize);
        for (uint64_t from = position + t.fixedSize; from < limit;) {
            const uint64_t next = m_syntax->nextSample(from, limit, sample);
            if (next >= limit)
                break;
            if ((next - position) % t.fixedSize == 0) {
                frames = (next - position) / t.fixedSize;
                break;
            }
            from = next + 1;
        }
    }
    // A chunk cut by the end of the data keeps its whole frames.
    const uint64_t kept = std::min<uint64_t>(frames, (m_reader.end() - position) / t.fixedSize);
    t.fixedCount += kept;
    position += kept * t.fixedSize;
    return kept == frames;
}

bool MediaWalker::soundChunk(size_t index, const ChunkStep& step, uint64_t& position)
{
    TrackSamples& t = m_tracks[size_t(step.track)];
    if (!m_pending.empty()) {
        t.chunks.back().offset = m_pending.front().offset;
        t.samples.insert(t.samples.end(), m_pending.begin(), m_pending.end());
        position = m_pending.back().offset + m_pending.back().size;
        m_pending.clear();
        return true;
    }
    const bool pictureNext = m_reference.step(index + 1).track == m_video;
    // A muxer whose rhythm slipped (timestamps that do not divide evenly) writes a chunk of
    // sound more or less than the pattern says, or none: a picture where the sound should be
    // is the next chunk.
    if (pictureNext && pictureAt(position) && !frameMayStart(step.track, position))
        return true;
    if (t.fixedSize)
        return fixedChunk(step, pictureNext, position);
    if (pictureNext && anchoredChunk(step.track, step.samples, position))
        return true;
    // No picture after the chunk (the data end inside it, or the pattern goes on with sound):
    // frame by frame, each the shortest run of bytes that decodes.
    for (uint32_t i = 0; i < step.samples; ++i) {
        const uint32_t size = soundFrame(step.track, position, m_reader.end());
        if (size == 0)
            return false;
        t.samples.push_back({position, size, true});
        position += size;
    }
    return true;
}

// The chunk ends where the next picture starts: the first start after it whose bytes before it
// are this many whole frames; failing that, the first whose bytes before it are whole frames at
// all, however many.
bool MediaWalker::anchoredChunk(int track, uint32_t frames, uint64_t& position)
{
    TrackSamples& t = m_tracks[size_t(track)];
    const uint64_t maxFrame = m_maxSizes[size_t(track)];
    for (const bool exact : {true, false}) {
        const uint64_t reach = exact ? frames : 2 * frames + 2;
        const uint64_t limit = std::min(m_reader.end(), position + maxFrame * reach);
        for (uint64_t from = position + 1; from < limit;) {
            VideoSample sample;
            const uint64_t next = m_syntax->nextSample(from, limit, sample);
            if (next >= limit)
                break;
            std::vector<FoundSample> found;
            if (exact ? splitFrames(track, frames, position, next, found)
                      : splitAny(track, position, next, found)) {
                t.samples.insert(t.samples.end(), found.begin(), found.end());
                position = next;
                return true;
            }
            if (!exact)
                break; // only the nearest picture: a later one would swallow this one
            from = next + 1;
        }
    }
    return false;
}

// [start, end) as whole frames, as many as there are: each the bytes up to the first place where
// a frame may start and they decode as one, the last exactly up to `end`.
bool MediaWalker::splitAny(int track, uint64_t start, uint64_t end, std::vector<FoundSample>& out)
{
    const uint32_t maxFrame = m_maxSizes[size_t(track)];
    for (uint64_t position = start; out.size() < 64;) {
        if (end - position <= maxFrame && frameMayStart(track, position)
            && decodesAsFrames(track, position, end, 1)) {
            out.push_back({position, uint32_t(end - position), true});
            return true;
        }
        uint64_t boundary = 0;
        for (uint64_t c = position + 1; c < std::min(end, position + maxFrame) && !boundary; ++c) {
            if (frameMayStart(track, c) && decodesAsFrames(track, position, c, 1))
                boundary = c;
        }
        if (boundary == 0)
            return false;
        out.push_back({position, uint32_t(boundary - position), true});
        position = boundary;
    }
    return false;
}

bool MediaWalker::pictureAt(uint64_t position)
{
    VideoSample sample;
    return m_syntax->startsSample(position) && position < m_reader.end()
        && m_syntax->parse(position, m_reader.end(), sample);
}

bool MediaWalker::frameMayStart(int track, uint64_t position)
{
    const TrackInfo& info = m_reference.tracks[size_t(track)];
    const size_t n = size_t(std::min<uint64_t>(kAacStartBytes, m_reader.end() - position));
    const uint8_t* p = n > 0 ? m_reader.at(position, n) : nullptr;
    if (!p)
        return false;
    if (info.codec == Codec::Aac)
        return aacFrameMayStart(info, p, n, n < kAacStartBytes);
    if (info.codec == Codec::AmrNb || info.codec == Codec::AmrWb)
        return amrFrameMayStart(info.codec == Codec::AmrWb, p[0]);
    return true;
}

bool MediaWalker::decodesAsFrames(int track, uint64_t start, uint64_t end, int frames)
{
    const uint8_t* bytes
        = end - start <= MediaReader::kSpan ? m_reader.at(start, end - start) : nullptr;
    bool error = false;
    return bytes
        && m_decoders[size_t(track)]->framesBeforeError(bytes, size_t(end - start), &error)
        == frames
        && !error;
}

// [start, end) holds exactly `frames` sound frames: each boundary is the first place after the
// frame's start where a frame may start and the bytes before it decode as one frame.
bool MediaWalker::splitFrames(
    int track, uint32_t frames, uint64_t start, uint64_t end, std::vector<FoundSample>& out)
{
    const uint32_t maxFrame = m_maxSizes[size_t(track)];
    uint64_t position = start;
    for (uint32_t k = 0; k + 1 < frames; ++k) {
        const uint64_t last = std::min(end - (frames - k - 1), position + maxFrame);
        uint64_t boundary = 0;
        for (uint64_t c = position + 1; c <= last && boundary == 0; ++c) {
            if (frameMayStart(track, c) && decodesAsFrames(track, position, c, 1))
                boundary = c;
        }
        if (boundary == 0)
            return false;
        out.push_back({position, uint32_t(boundary - position), true});
        position = boundary;
    }
    if (end - position > maxFrame || !frameMayStart(track, position)
        || !decodesAsFrames(track, position, end, 1))
        return false;
    out.push_back({position, uint32_t(end - position), true});
    return true;
}

// The shortest run of bytes from `position` that decodes to a frame is the frame: its decoder
// reads up to the frame's end and reports damage when the bytes run out before it.
uint32_t MediaWalker::soundFrame(int track, uint64_t position, uint64_t limit)
{
    FrameDecoder& decoder = *m_decoders[size_t(track)];
    const uint32_t high = uint32_t(std::min<uint64_t>(m_maxSizes[size_t(track)], limit - position));
    if (high == 0 || !frameMayStart(track, position))
        return 0;
    const uint8_t* bytes = m_reader.at(position, high);
    if (!bytes || decoder.framesBeforeError(bytes, high) == 0)
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

// The start of `frames` sound frames that end exactly at `next`, searched backwards from `next`
// no further than `earliest` and than the largest frames allow; 0 when no start fits. The tail
// of a sound frame can decode as a short frame of its own: where a picture lies before the
// sound (from `earliest` on), it must decode too, and it does not with part of a sound frame
// stuck to its end.
uint64_t MediaWalker::soundStartBefore(
    int track, uint32_t frames, uint64_t earliest, uint64_t next, bool pictureBefore)
{
    const uint64_t span
        = std::min<uint64_t>(uint64_t(m_maxSizes[size_t(track)]) * frames, MediaReader::kSpan);
    const uint64_t lowest
        = std::max(earliest + (pictureBefore ? 5 : 0), next > span ? next - span : 0);
    for (uint64_t start = next > 8 * frames ? next - 8 * frames : 0; start-- > lowest;) {
        if (frameMayStart(track, start) && decodesAsFrames(track, start, next, int(frames))
            && (!pictureBefore || decodesAsFrames(m_video, earliest, start, 1)))
            return start;
    }
    return 0;
}

// An MPEG-4 picture has no end marker: it runs to the next start code, and the sound written
// after it lies before that. The first start code after the picture may lie inside the sound
// (PCM holds 00 00 01 often enough): the sound ends at the first one before which the chunk's
// frames fit and the picture decodes.
bool MediaWalker::resolveSoundAfter(const ChunkStep& next, uint64_t picture, VideoSample& sample)
{
    const uint64_t limit = std::min(m_reader.end(),
        picture + m_maxSizes[size_t(m_video)]
            + uint64_t(m_maxSizes[size_t(next.track)]) * next.samples);
    for (uint64_t soundEnd = sample.end;;) {
        const bool atEnd = soundEnd >= m_reader.end();
        if ((atEnd || m_syntax->startsSample(soundEnd))
            && soundBefore(next, picture, soundEnd, sample))
            return true;
        if (atEnd || soundEnd >= limit)
            return false;
        soundEnd = m_syntax->nextStartCode(soundEnd + 3, limit);
    }
}

// The sound's start before `soundEnd` is where its frames decode up to there; where the data end
// there, the sound may also be all that is left of the chunk.
bool MediaWalker::soundBefore(
    const ChunkStep& next, uint64_t picture, uint64_t soundEnd, VideoSample& sample)
{
    const TrackSamples& t = m_tracks[size_t(next.track)];
    if (t.fixedSize) {
        const uint64_t bytes = uint64_t(t.fixedSize) * next.samples;
        if (soundEnd >= m_reader.end() || soundEnd - picture < bytes + 5
            || !decodesAsFrames(m_video, picture, soundEnd - bytes, 1))
            return false;
        sample.end = soundEnd - bytes; // the frames are counted in the sound chunk's turn
        return true;
    }
    uint32_t frames = next.samples;
    uint64_t start = soundStartBefore(next.track, frames, picture, soundEnd, true);
    while (start == 0 && soundEnd >= m_reader.end() && frames > 1)
        start = soundStartBefore(next.track, --frames, picture, soundEnd, true);
    if (start == 0)
        return false;
    m_pending.clear();
    if (!splitFrames(next.track, frames, start, soundEnd, m_pending)) {
        m_pending.clear();
        return false;
    }
    sample.end = start;
    return true;
}

} // namespace recover
