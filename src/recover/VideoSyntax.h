#pragma once

#include "recover/ReferenceMovie.h"

#include <cstdint>

// Finding where one video sample ends from the stream's own syntax: H.264 and HEVC as
// length-prefixed NAL units, MPEG-4 Visual by its start codes, Motion JPEG by its markers.
namespace recover {

class MediaReader;

struct VideoSample
{
    uint64_t end = 0;
    bool key = false;
    // False for an MPEG-4 picture, which has no end marker: `end` is then the next start code
    // (or the end of the data), and sound written after the picture lies before it.
    bool delimited = true;
    // H.264 and HEVC: the NAL unit (header included) of the picture's first slice, whose header
    // carries the picture order count.
    uint64_t firstSlice = 0;
    uint32_t firstSliceSize = 0;
};

class VideoSyntax
{
public:
    VideoSyntax(const TrackInfo& track, MediaReader& reader, uint32_t maxSampleSize);

    // The sample that starts at `position` and ends by `limit`; false when none does.
    bool parse(uint64_t position, uint64_t limit, VideoSample& sample);
    // Whether a sample may start at `position`, judged from its first bytes alone; true when
    // the data end before enough bytes to judge.
    bool startsSample(uint64_t position);
    // The first position in [from, limit) where startsSample() holds and a whole sample
    // parses; `limit` when there is none.
    uint64_t nextSample(uint64_t from, uint64_t limit, VideoSample& sample);
    // MPEG-4 Visual: the next start code in [from, limit), or `limit`.
    uint64_t nextStartCode(uint64_t from, uint64_t limit);

private:
    bool parseNal(uint64_t position, uint64_t limit, VideoSample& sample);
    bool parseMpeg4(uint64_t position, uint64_t limit, VideoSample& sample);
    bool parseJpeg(uint64_t position, uint64_t limit, VideoSample& sample);
    bool plausibleStart(const uint8_t* p) const;
    // A NAL unit holds its header at least.
    uint64_t minimumNal() const { return m_codec == Codec::Hevc ? 2 : 1; }

    Codec m_codec;
    int m_lengthSize;
    MediaReader& m_reader;
    uint32_t m_maxSize;
};

// Which video codec the media data at [start, end) look like (the first 256 KB are enough);
// Unknown when none stands out. Tells the user why a reference of another camera fails.
Codec sniffVideoCodec(MediaReader& reader, uint64_t start, uint64_t end);

} // namespace recover
