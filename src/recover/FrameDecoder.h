#pragma once

#include "media/LibavOwners.h"
#include "recover/ReferenceMovie.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// libavcodec's decoder for one track, used as a judge: does this run of bytes decode?
namespace recover {

class FrameDecoder
{
public:
    FrameDecoder() = default;

    // False when libavcodec has no decoder for the track or refuses its configuration.
    bool open(const TrackInfo& track);
    bool isOpen() const { return m_context != nullptr; }

    // Decodes one packet and counts the frames that come out before the first error; the
    // decoder is left as it was before (flushed). A sound decoder that is handed several frames
    // in one packet decodes them one after another.
    int framesBeforeError(const uint8_t* data, size_t size, bool* error = nullptr);

    // Decodes the next packet of a stream (state kept between calls): true when neither the
    // packet nor a frame that comes out of it reports damage.
    bool decodeNext(const uint8_t* data, size_t size);
    void reset();

private:
    bool send(const uint8_t* data, size_t size);
    media::Codec m_context;
    media::Packet m_packet;
    media::Frame m_frame;
    std::vector<uint8_t> m_buffer;
};

} // namespace recover
