#pragma once

#include <cstddef>
#include <cstdint>

// Whether a sound frame may start at a place, from its first bits alone: a cheap sieve in front
// of the decoder, which has the last word. A raw AAC frame has no sync word, but its first
// elements follow the stream's configuration closely.
namespace recover {

struct TrackInfo;

// `n` bytes are readable at `p`, and `dataEnd` says whether the data end there; a frame's first
// elements and the fields checked fit in kAacStartBytes. Besides the channel elements, a frame
// may open with fill and data stream elements: FFmpeg's encoder, for one, opens every 256th
// frame with a fill element that names the encoder.
constexpr size_t kAacStartBytes = 800;
bool aacFrameMayStart(const TrackInfo& track, const uint8_t* p, size_t n, bool dataEnd);

// An AMR storage frame's header: padding bits clear, a frame type that exists.
bool amrFrameMayStart(bool wideband, uint8_t header);

} // namespace recover
