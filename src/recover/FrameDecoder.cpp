#include "recover/FrameDecoder.h"

#include "media/PlayableCheck.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstring>

namespace recover {

namespace {

AVCodecID codecId(Codec codec)
{
    switch (codec) {
    case Codec::H264:
        return AV_CODEC_ID_H264;
    case Codec::Hevc:
        return AV_CODEC_ID_HEVC;
    case Codec::Mpeg4Visual:
        return AV_CODEC_ID_MPEG4;
    case Codec::Mjpeg:
        return AV_CODEC_ID_MJPEG;
    case Codec::Aac:
        return AV_CODEC_ID_AAC;
    case Codec::AmrNb:
        return AV_CODEC_ID_AMR_NB;
    case Codec::AmrWb:
        return AV_CODEC_ID_AMR_WB;
    case Codec::Pcm:
    case Codec::Unknown:
        break;
    }
    return AV_CODEC_ID_NONE;
}

// Probing feeds the decoders bytes that are not frames on purpose; their complaints are the
// answer, not news for the log.
using Probing = media::LogCapture;

} // namespace

bool FrameDecoder::open(const TrackInfo& track)
{
    const AVCodec* codec = avcodec_find_decoder(codecId(track.codec));
    if (!codec)
        return false;
    m_context.reset(avcodec_alloc_context3(codec));
    m_packet.reset(av_packet_alloc());
    m_frame.reset(av_frame_alloc());
    if (!m_context || !m_packet || !m_frame)
        return false;
    if (!track.extradata.isEmpty()) {
        m_context->extradata = static_cast<uint8_t*>(
            av_mallocz(size_t(track.extradata.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!m_context->extradata)
            return false;
        std::memcpy(m_context->extradata, track.extradata.constData(), track.extradata.size());
        m_context->extradata_size = int(track.extradata.size());
    }
    if (track.video()) {
        m_context->width = track.width;
        m_context->height = track.height;
    } else {
        m_context->sample_rate = track.sampleRate;
        av_channel_layout_default(&m_context->ch_layout, track.channels > 0 ? track.channels : 1);
    }
    // One thread: a frame comes out of the packet that made it, not a few packets later.
    m_context->thread_count = 1;
    m_context->flags |= AV_CODEC_FLAG_LOW_DELAY;
    m_context->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
    m_context->err_recognition = AV_EF_CRCCHECK | AV_EF_BITSTREAM | AV_EF_BUFFER | AV_EF_EXPLODE;
    Probing quiet;
    if (avcodec_open2(m_context.get(), codec, nullptr) < 0) {
        m_context.reset();
        return false;
    }
    return true;
}

bool FrameDecoder::send(const uint8_t* data, size_t size)
{
    // The decoders read a little past a packet's end: the padding must be there and zero.
    m_buffer.assign(data, data + size);
    m_buffer.resize(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    av_packet_unref(m_packet.get());
    m_packet->data = m_buffer.data();
    m_packet->size = int(size);
    return avcodec_send_packet(m_context.get(), m_packet.get()) >= 0;
}

int FrameDecoder::framesBeforeError(const uint8_t* data, size_t size, bool* error)
{
    Probing quiet;
    int frames = 0;
    bool failed = !send(data, size);
    while (!failed) {
        const int result = avcodec_receive_frame(m_context.get(), m_frame.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            break;
        if (result < 0 || m_frame->decode_error_flags || (m_frame->flags & AV_FRAME_FLAG_CORRUPT))
            failed = true;
        else
            ++frames;
        av_frame_unref(m_frame.get());
    }
    avcodec_flush_buffers(m_context.get());
    if (error)
        *error = failed;
    return frames;
}

bool FrameDecoder::decodeNext(const uint8_t* data, size_t size)
{
    Probing quiet;
    if (!send(data, size))
        return false;
    for (;;) {
        const int result = avcodec_receive_frame(m_context.get(), m_frame.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        const bool damaged
            = result < 0 || m_frame->decode_error_flags || (m_frame->flags & AV_FRAME_FLAG_CORRUPT);
        av_frame_unref(m_frame.get());
        if (damaged)
            return false;
    }
}

void FrameDecoder::reset()
{
    if (m_context)
        avcodec_flush_buffers(m_context.get());
}

} // namespace recover
