#pragma once

#include "recover/FrameDecoder.h"
#include "recover/PictureOrder.h"
#include "recover/ReferenceMovie.h"
#include "recover/VideoSyntax.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The walk through a cut recording's media data: chunk by chunk in the order the reference's
// chunk pattern gives. Pictures are found from the stream's syntax and skipped by their
// lengths; sound frames lie between the end of one picture and the start of the next, and
// where a chunk holds several, their decoder tells where each ends; fixed-size sound frames
// and other tracks' chunks are stepped over by their sizes. The walk stops at the last
// complete sample; zeros or garbage after it end it without a sample of theirs.
namespace recover {

class MediaReader;

struct FoundSample
{
    uint64_t offset = 0;
    uint32_t size = 0;
    bool key = false;
};

struct FoundChunk
{
    uint64_t offset = 0;
    uint64_t firstSample = 0;
    uint32_t samples = 0;
};

struct TrackSamples
{
    std::vector<FoundSample> samples; // empty for a track of fixed-size samples
    std::vector<FoundChunk> chunks;
    uint32_t fixedSize = 0; // every sample this size (PCM): they are counted, not listed
    uint64_t fixedCount = 0;
    // Video: the picture order count of every picture, when the stream's order is known.
    std::vector<PictureCount> counts;

    uint64_t count() const { return fixedSize ? fixedCount : samples.size(); }
    uint64_t end() const;
};

// Why the walk ended.
enum class WalkEnd {
    DataEnded, // at the end of the media data
    PatternEnded, // the reference's pattern ran out, and it has no rhythm to continue with
    StepFailed, // the next chunk is not where it should start: cut there, or another layout
};

class MediaWalker
{
public:
    MediaWalker(const ReferenceMovie& reference, MediaReader& reader);
    ~MediaWalker();

    // False when a track's decoder cannot be opened (nothing walked then).
    bool prepare();
    // Walks from `start`; `progress` hears the position now and then. `whole`: the media data
    // end where their box says (the file was cut in its index), so sound frames that fill the
    // last bytes exactly are sound, PCM included. Returns false when cancelled or when reading
    // failed.
    bool walk(uint64_t start, const std::atomic<bool>* cancel = nullptr,
        const std::function<void(uint64_t)>& progress = {}, bool whole = false);

    const std::vector<TrackSamples>& tracks() const { return m_tracks; }
    uint64_t end() const; // after the last sample kept
    size_t videoSamples() const;
    WalkEnd walkEnd() const { return m_walkEnd; }
    // Where the stream's pictures continue after `from`: the start of the first of three
    // pictures in a row, or the end of the media data when there are none (zeros, garbage).
    uint64_t picturesAfter(uint64_t from);
    // Decodes the pictures from the last key frame on and drops those that do not decode, with
    // everything after them. True when something was dropped.
    bool dropUndecodableTail();

private:
    bool videoChunk(size_t index, const ChunkStep& step, uint64_t& position);
    bool soundChunk(size_t index, const ChunkStep& step, uint64_t& position);
    bool mediaChunk(size_t index, const ChunkStep& step, uint64_t& position);
    bool skipChunkOf(
        int other, uint32_t samples, uint64_t bytes, size_t nextIndex, uint64_t& position);
    bool skipOtherChunk(size_t index, uint64_t& position);
    bool fixedChunk(const ChunkStep& step, bool pictureNext, uint64_t& position);
    bool anchoredChunk(int track, uint32_t frames, uint64_t& position);
    bool splitAny(int track, uint64_t start, uint64_t end, std::vector<FoundSample>& out);
    bool pictureAt(uint64_t position);
    bool splitFrames(
        int track, uint32_t frames, uint64_t start, uint64_t end, std::vector<FoundSample>& out);
    uint32_t soundFrame(int track, uint64_t position, uint64_t limit);
    uint64_t soundStartBefore(
        int track, uint32_t frames, uint64_t earliest, uint64_t next, bool pictureBefore);
    bool nextStepMayStart(const ChunkStep& next, uint64_t position);
    bool frameMayStart(int track, uint64_t position);
    bool decodesAsFrames(int track, uint64_t start, uint64_t end, int frames);
    bool resolveSoundAfter(const ChunkStep& next, uint64_t picture, VideoSample& sample);
    bool soundBefore(
        const ChunkStep& next, uint64_t picture, uint64_t soundEnd, VideoSample& sample);
    void addPicture(uint64_t position, const VideoSample& sample);
    void soundTail(uint64_t position, bool whole);
    void confirmSoundTail();
    void dropFrom(uint64_t position);
    void beginChunk(int track, uint64_t offset);

    const ReferenceMovie& m_reference;
    MediaReader& m_reader;
    int m_video = -1;
    std::vector<std::unique_ptr<FrameDecoder>> m_decoders;
    std::vector<TrackSamples> m_tracks;
    std::vector<uint32_t> m_maxSizes;
    std::unique_ptr<VideoSyntax> m_syntax;
    PictureOrder m_order;
    bool m_orderKnown = false;
    // Sound frames already found before the next sound chunk's turn (after an MPEG-4 picture,
    // whose end is where they start).
    std::vector<FoundSample> m_pending;
    std::vector<uint8_t> m_packet;
    WalkEnd m_walkEnd = WalkEnd::DataEnded;
};

} // namespace recover
