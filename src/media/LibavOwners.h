#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

// Owners of FFmpeg's objects, each freed by the function FFmpeg pairs with its making, for
// every reader and decoder of recordings (checks, drawn clips, pictures of a second). The
// including target links FFmpeg's libraries itself.
namespace media {

struct InputClose
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFree
{
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct PacketFree
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFree
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

// An input opened by avformat_open_input.
using Input = std::unique_ptr<AVFormatContext, InputClose>;
using Codec = std::unique_ptr<AVCodecContext, CodecFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;
using Frame = std::unique_ptr<AVFrame, FrameFree>;

} // namespace media
