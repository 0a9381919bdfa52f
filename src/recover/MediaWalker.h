#pragma once

#include "recover/FrameDecoder.h"
#include "recover/ReferenceMovie.h"
#include "recover/VideoSyntax.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The walk through a cut recording's media data: chunk by chunk in the order the reference's
// chunk pattern gives, each video sample found from the stream's syntax and each sound frame
// from where its decoder says it ends. The walk stops at the last complete sample; zeros or
// garbage after it end it without a sample of theirs.
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
    uint32_t firstSample = 0;
    uint32_t samples = 0;
};

struct TrackSamples
{
    std::vector<FoundSample> samples;
    std::vector<FoundChunk> chunks;
};

class MediaWalker
{
public:
    MediaWalker(const ReferenceMovie& reference, MediaReader& reader);
    ~MediaWalker();

    // False when a track's decoder cannot be opened (nothing walked then).
    bool prepare();
    // Walks from `start`; `progress` hears the position now and then. Returns false when
    // cancelled or when reading failed.
    bool walk(uint64_t start, const std::atomic<bool>* cancel = nullptr,
        const std::function<void(uint64_t)>& progress = {});

    const std::vector<TrackSamples>& tracks() const { return m_tracks; }
    uint64_t end() const; // after the last sample kept
    size_t videoSamples() const;

private:
    bool walkVideoChunk(int track, uint32_t count, const ChunkStep& next, uint64_t& position);
    bool walkSoundChunk(int track, uint32_t count, uint64_t& position);
    uint32_t soundFrame(int track, uint64_t position, uint64_t limit);
    uint64_t soundStartBefore(int track, uint32_t frames, uint64_t vop, uint64_t next);
    void confirmVideoTail();
    void confirmSoundTail();
    void dropFrom(uint64_t position);
    void add(int track, uint64_t offset, uint64_t end, bool key);

    const ReferenceMovie& m_reference;
    MediaReader& m_reader;
    std::vector<std::unique_ptr<FrameDecoder>> m_decoders;
    std::vector<TrackSamples> m_tracks;
    std::vector<uint32_t> m_maxSizes;
    std::unique_ptr<VideoSyntax> m_syntax;
    std::vector<uint8_t> m_packet;
};

} // namespace recover
