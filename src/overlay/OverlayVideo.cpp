#include "overlay/OverlayVideo.h"

#include "media/LibavOwners.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace overlay {

namespace {

QString libavText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

struct OutputClose
{
    void operator()(AVFormatContext* c) const
    {
        if (c && c->pb && !(c->oformat->flags & AVFMT_NOFILE))
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
struct ScaleFree
{
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

using media::Codec;
using media::Frame;
using media::Input;
using media::Packet;
using Output = std::unique_ptr<AVFormatContext, OutputClose>;
using Scale = std::unique_ptr<SwsContext, ScaleFree>;

// One run of the drawing: the clip read, its frames decoded, banded, encoded and written with
// the sound packets as they come.
class Drawing
{
public:
    Drawing(const VideoOptions& options, const clip::Control& control, double from, double to)
        : m_options(options)
        , m_control(control)
        , m_from(from)
        , m_to(to)
    { }

    int run(const QString& clipPath, const QString& outputPath, QString* error);

private:
    int openInput(const QString& path, QString* error);
    int openOutput(const QString& path, QString* error);
    int drawFrame(const AVFrame* frame, QString* error);
    int encode(const AVFrame* frame, QString* error);
    int writeSound(AVPacket* packet, QString* error);
    void report(int64_t pts);

    VideoOptions m_options;
    clip::Control m_control;
    double m_from;
    double m_to;
    std::unique_ptr<BandPainter> m_band;
    Input m_input;
    Output m_output;
    Codec m_decoder;
    Codec m_encoder;
    Scale m_pictureScale; // the decoded picture into the encoder's format
    Scale m_bandScale; // the band, drawn in RGB, into the encoder's format
    Frame m_picture; // the frame handed to the encoder: the picture, the band under it
    QImage m_bandImage;
    // The picture's size, fixed when the encoder opens: a stream whose in-band parameter sets
    // change it later has its later pictures scaled into this one.
    int m_width = 0;
    int m_height = 0;
    AVColorSpace m_matrix = AVCOL_SPC_SMPTE170M;
    int m_video = -1;
    int m_sound = -1;
    int m_outVideo = -1;
    int m_outSound = -1;
    int64_t m_durationTicks = 0;
    int64_t m_frames = 0;
    int m_reported = -1;
};

int Drawing::openInput(const QString& path, QString* error)
{
    AVFormatContext* context = nullptr;
    int code = avformat_open_input(&context, path.toLocal8Bit().constData(), nullptr, nullptr);
    if (code < 0) {
        *error = QCoreApplication::translate("clip", "cannot read %1: %2")
                     .arg(QDir::toNativeSeparators(path), libavText(code));
        return clip::CopyReadFailed;
    }
    m_input.reset(context);
    if ((code = avformat_find_stream_info(context, nullptr)) < 0) {
        *error = QCoreApplication::translate("clip", "cannot read %1: %2")
                     .arg(QDir::toNativeSeparators(path), libavText(code));
        return clip::CopyReadFailed;
    }
    m_video = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    m_sound = av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (m_video < 0) {
        *error = QCoreApplication::translate("clip", "%1 holds no picture")
                     .arg(QDir::toNativeSeparators(path));
        return clip::CopyReadFailed;
    }
    const AVStream* video = context->streams[m_video];
    const AVCodec* codec = avcodec_find_decoder(video->codecpar->codec_id);
    m_decoder.reset(avcodec_alloc_context3(codec));
    if (!codec || !m_decoder || avcodec_parameters_to_context(m_decoder.get(), video->codecpar) < 0
        || avcodec_open2(m_decoder.get(), codec, nullptr) < 0) {
        *error = QCoreApplication::translate("clip", "cannot decode the pictures of %1")
                     .arg(QDir::toNativeSeparators(path));
        return clip::CopyReadFailed;
    }
    m_durationTicks = context->duration > 0
        ? av_rescale_q(context->duration, AV_TIME_BASE_Q, video->time_base)
        : 0;
    return clip::CopyDone;
}

// The colour tags of the drawn clip: the camera's where it gives them, else what players assume
// for a picture of its size, so that a player turns the band back into the colours it was
// drawn in. The range is always limited: the encoder's format is yuv420p.
void tagColours(AVCodecContext* encoder, const AVCodecContext* decoder)
{
    const bool highDefinition = decoder->height >= 720;
    encoder->colorspace = decoder->colorspace != AVCOL_SPC_UNSPECIFIED
        ? decoder->colorspace
        : (highDefinition ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M);
    encoder->color_primaries = decoder->color_primaries != AVCOL_PRI_UNSPECIFIED
        ? decoder->color_primaries
        : (highDefinition ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M);
    encoder->color_trc = decoder->color_trc != AVCOL_TRC_UNSPECIFIED
        ? decoder->color_trc
        : (highDefinition ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M);
    encoder->color_range = AVCOL_RANGE_MPEG;
}

// The conversion's matrix as libswscale names it; the same numbers for the common ones.
const int* coefficients(AVColorSpace matrix)
{
    return sws_getCoefficients(matrix == AVCOL_SPC_BT709 || matrix == AVCOL_SPC_BT2020_NCL
            || matrix == AVCOL_SPC_FCC || matrix == AVCOL_SPC_SMPTE240M
            ? int(matrix)
            : SWS_CS_ITU601);
}

int Drawing::openOutput(const QString& path, QString* error)
{
    const AVStream* video = m_input->streams[m_video];
    const int width = m_decoder->width;
    const int height = m_decoder->height;
    m_width = width;
    m_height = height;
    if (width <= 0 || height <= 0 || width % 2 || height % 2) {
        *error = QCoreApplication::translate(
            "clip", "the clip's picture size %1 x %2 cannot be encoded")
                     .arg(width)
                     .arg(height);
        return clip::CopyReadFailed;
    }
    AVFormatContext* context = nullptr;
    const QByteArray file = path.toLocal8Bit();
    int code = avformat_alloc_output_context2(&context, nullptr, "mp4", file.constData());
    if (code < 0 || !context) {
        *error = QCoreApplication::translate("clip", "cannot start the MP4 writer: %1")
                     .arg(libavText(code));
        return clip::CopyWriteFailed;
    }
    m_output.reset(context);

    const AVCodec* x264 = avcodec_find_encoder_by_name("libx264");
    if (!x264) {
        *error = QCoreApplication::translate("clip", "this FFmpeg has no H.264 encoder (libx264)");
        return clip::CopyWriteFailed;
    }
    m_encoder.reset(avcodec_alloc_context3(x264));
    AVCodecContext* e = m_encoder.get();
    e->width = width;
    e->height = height + kBandHeight;
    e->pix_fmt = AV_PIX_FMT_YUV420P;
    e->time_base = video->time_base;
    const AVRational rate
        = av_guess_frame_rate(m_input.get(), const_cast<AVStream*>(video), nullptr);
    e->framerate = rate;
    e->gop_size = rate.num > 0 && rate.den > 0 ? 2 * rate.num / rate.den : 60;
    e->sample_aspect_ratio = m_decoder->sample_aspect_ratio;
    tagColours(e, m_decoder.get());
    m_matrix = e->colorspace;
    if (context->oformat->flags & AVFMT_GLOBALHEADER)
        e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* settings = nullptr;
    av_dict_set(&settings, "preset", "veryfast", 0);
    av_dict_set(&settings, "crf", QByteArray::number(m_options.quality).constData(), 0);
    av_dict_set(&settings, "profile", "high", 0);
    code = avcodec_open2(e, x264, &settings);
    av_dict_free(&settings);
    if (code < 0) {
        *error = QCoreApplication::translate("clip", "cannot start the H.264 encoder: %1")
                     .arg(libavText(code));
        return clip::CopyWriteFailed;
    }
    AVStream* out = avformat_new_stream(context, nullptr);
    if (!out || avcodec_parameters_from_context(out->codecpar, e) < 0) {
        *error = QCoreApplication::translate("clip", "cannot set up the drawn clip's picture");
        return clip::CopyWriteFailed;
    }
    out->time_base = e->time_base;
    out->avg_frame_rate = rate;
    m_outVideo = out->index;
    if (m_sound >= 0) {
        const AVStream* in = m_input->streams[m_sound];
        AVStream* sound = avformat_new_stream(context, nullptr);
        if (!sound || avcodec_parameters_copy(sound->codecpar, in->codecpar) < 0) {
            *error = QCoreApplication::translate("clip", "cannot set up the drawn clip's sound");
            return clip::CopyWriteFailed;
        }
        sound->codecpar->codec_tag = 0;
        if (sound->codecpar->codec_id == AV_CODEC_ID_AAC && sound->codecpar->frame_size == 0)
            sound->codecpar->frame_size = 1024;
        sound->time_base = in->time_base;
        m_outSound = sound->index;
    }
    AVDictionary* muxing = nullptr;
    // The index at the front: a browser plays the file while it still downloads.
    av_dict_set(&muxing, "movflags", "+faststart", 0);
    if ((code = avio_open(&context->pb, file.constData(), AVIO_FLAG_WRITE)) < 0
        || (code = avformat_write_header(context, &muxing)) < 0) {
        av_dict_free(&muxing);
        *error = QCoreApplication::translate("clip", "cannot write %1: %2")
                     .arg(QDir::toNativeSeparators(path), libavText(code));
        return clip::CopyWriteFailed;
    }
    av_dict_free(&muxing);

    m_picture.reset(av_frame_alloc());
    m_picture->format = AV_PIX_FMT_YUV420P;
    m_picture->width = e->width;
    m_picture->height = e->height;
    if (av_frame_get_buffer(m_picture.get(), 0) < 0) {
        *error = QCoreApplication::translate("clip", "out of memory for a frame");
        return clip::CopyWriteFailed;
    }
    m_bandImage = QImage(width, kBandHeight, QImage::Format_RGB32);
    m_bandScale.reset(sws_getContext(width, kBandHeight, AV_PIX_FMT_BGRA, width, kBandHeight,
        AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!m_bandScale) {
        *error = QCoreApplication::translate("clip", "cannot convert the band's colours");
        return clip::CopyWriteFailed;
    }
    // Into the matrix and range the picture is tagged with.
    sws_setColorspaceDetails(m_bandScale.get(), coefficients(m_matrix), 1, coefficients(m_matrix),
        0, 0, 1 << 16, 1 << 16);
    return clip::CopyDone;
}

void Drawing::report(int64_t pts)
{
    if (m_durationTicks <= 0)
        return;
    const int done = int(1000 * std::clamp<int64_t>(pts, 0, m_durationTicks) / m_durationTicks);
    if (done == m_reported)
        return;
    m_reported = done;
    m_control.report(m_from + (m_to - m_from) * done / 1000.0);
}

int Drawing::drawFrame(const AVFrame* frame, QString* error)
{
    const int64_t pts = frame->best_effort_timestamp;
    // The frames an edit list hides (the run-up of the first group of pictures) stay hidden.
    if (pts == AV_NOPTS_VALUE || pts < 0)
        return clip::CopyDone;
    if (av_frame_make_writable(m_picture.get()) < 0) {
        *error = QCoreApplication::translate("clip", "out of memory for a frame");
        return clip::CopyWriteFailed;
    }
    // The picture goes over unchanged in its own colours, only converted when the camera's
    // format or range is another than the encoder's, and scaled when its size changed.
    m_pictureScale.reset(sws_getCachedContext(m_pictureScale.release(), frame->width, frame->height,
        AVPixelFormat(frame->format), m_width, m_height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr,
        nullptr, nullptr));
    if (!m_pictureScale) {
        *error = QCoreApplication::translate("clip", "cannot convert the picture's colours");
        return clip::CopyWriteFailed;
    }
    // Cheap when nothing changed since the frame before.
    const bool fullRange = frame->color_range == AVCOL_RANGE_JPEG
        || frame->format == AV_PIX_FMT_YUVJ420P || frame->format == AV_PIX_FMT_YUVJ422P
        || frame->format == AV_PIX_FMT_YUVJ444P;
    sws_setColorspaceDetails(m_pictureScale.get(), coefficients(m_matrix), fullRange ? 1 : 0,
        coefficients(m_matrix), 0, 0, 1 << 16, 1 << 16);
    sws_scale(m_pictureScale.get(), frame->data, frame->linesize, 0, frame->height, m_picture->data,
        m_picture->linesize);

    const AVRational base = m_input->streams[m_video]->time_base;
    const double seconds = double(pts) * base.num / base.den;
    {
        QPainter painter(&m_bandImage);
        m_band->paint(painter, 0, seconds);
    }
    const int top = m_height;
    uint8_t* planes[4] = {m_picture->data[0] + top * m_picture->linesize[0],
        m_picture->data[1] + (top / 2) * m_picture->linesize[1],
        m_picture->data[2] + (top / 2) * m_picture->linesize[2], nullptr};
    const uint8_t* source[4] = {m_bandImage.constBits(), nullptr, nullptr, nullptr};
    const int sourceStride[4] = {int(m_bandImage.bytesPerLine()), 0, 0, 0};
    sws_scale(m_bandScale.get(), source, sourceStride, 0, kBandHeight, planes, m_picture->linesize);
    m_picture->pts = pts;
    ++m_frames;
    report(pts);
    return encode(m_picture.get(), error);
}

int Drawing::encode(const AVFrame* frame, QString* error)
{
    int code = avcodec_send_frame(m_encoder.get(), frame);
    if (code < 0) {
        *error = QCoreApplication::translate("clip", "the H.264 encoder refused a frame: %1")
                     .arg(libavText(code));
        return clip::CopyWriteFailed;
    }
    Packet packet(av_packet_alloc());
    while ((code = avcodec_receive_packet(m_encoder.get(), packet.get())) >= 0) {
        av_packet_rescale_ts(
            packet.get(), m_encoder->time_base, m_output->streams[m_outVideo]->time_base);
        packet->stream_index = m_outVideo;
        if ((code = av_interleaved_write_frame(m_output.get(), packet.get())) < 0) {
            *error = QCoreApplication::translate("clip", "cannot write the drawn clip: %1")
                         .arg(libavText(code));
            return clip::CopyWriteFailed;
        }
    }
    if (code != AVERROR(EAGAIN) && code != AVERROR_EOF) {
        *error = QCoreApplication::translate("clip", "the H.264 encoder failed: %1")
                     .arg(libavText(code));
        return clip::CopyWriteFailed;
    }
    return clip::CopyDone;
}

int Drawing::writeSound(AVPacket* packet, QString* error)
{
    // The priming frame the edit list hides, as for the picture.
    if ((packet->flags & AV_PKT_FLAG_DISCARD) || packet->pts == AV_NOPTS_VALUE
        || packet->pts + packet->duration <= 0)
        return clip::CopyDone;
    av_packet_rescale_ts(
        packet, m_input->streams[m_sound]->time_base, m_output->streams[m_outSound]->time_base);
    packet->stream_index = m_outSound;
    packet->pos = -1;
    const int code = av_interleaved_write_frame(m_output.get(), packet);
    if (code < 0) {
        *error = QCoreApplication::translate("clip", "cannot write the drawn clip: %1")
                     .arg(libavText(code));
        return clip::CopyWriteFailed;
    }
    return clip::CopyDone;
}

int Drawing::run(const QString& clipPath, const QString& outputPath, QString* error)
{
    int result = openInput(clipPath, error);
    if (result != clip::CopyDone)
        return result;
    drive::RecordingTelemetry telemetry;
    drive::readRecording(clipPath, telemetry);
    m_band = std::make_unique<BandPainter>(std::move(telemetry), m_decoder->width,
        BandOptions{m_options.speedUnit, QFileInfo(clipPath).fileName()});
    if ((result = openOutput(outputPath, error)) != clip::CopyDone)
        return result;

    Packet packet(av_packet_alloc());
    Frame frame(av_frame_alloc());
    const auto receiveFrames = [&]() {
        int code;
        while ((code = avcodec_receive_frame(m_decoder.get(), frame.get())) >= 0) {
            const int drawn = drawFrame(frame.get(), error);
            av_frame_unref(frame.get());
            if (drawn != clip::CopyDone)
                return drawn;
        }
        return code == AVERROR(EAGAIN) || code == AVERROR_EOF ? int(clip::CopyDone)
                                                              : int(clip::CopyReadFailed);
    };
    int code;
    while ((code = av_read_frame(m_input.get(), packet.get())) >= 0) {
        if (m_control.cancelled()) {
            av_packet_unref(packet.get());
            return clip::CopyCancelled;
        }
        if (packet->stream_index == m_video) {
            code = avcodec_send_packet(m_decoder.get(), packet.get());
            av_packet_unref(packet.get());
            if (code < 0) {
                *error
                    = QCoreApplication::translate("clip", "a picture of %1 cannot be decoded: %2")
                          .arg(QDir::toNativeSeparators(clipPath), libavText(code));
                return clip::CopyReadFailed;
            }
            if ((result = receiveFrames()) != clip::CopyDone) {
                if (result == clip::CopyReadFailed && error->isEmpty())
                    *error = QCoreApplication::translate(
                        "clip", "the pictures of %1 cannot be decoded")
                                 .arg(QDir::toNativeSeparators(clipPath));
                return result;
            }
        } else if (packet->stream_index == m_sound && m_outSound >= 0) {
            result = writeSound(packet.get(), error);
            av_packet_unref(packet.get());
            if (result != clip::CopyDone)
                return result;
        } else {
            av_packet_unref(packet.get());
        }
    }
    if (code != AVERROR_EOF) {
        *error = QCoreApplication::translate("clip", "cannot read %1: %2")
                     .arg(QDir::toNativeSeparators(clipPath), libavText(code));
        return clip::CopyReadFailed;
    }
    avcodec_send_packet(m_decoder.get(), nullptr);
    if ((result = receiveFrames()) != clip::CopyDone)
        return result;
    if ((result = encode(nullptr, error)) != clip::CopyDone)
        return result;
    if (m_frames == 0) {
        *error = QCoreApplication::translate("clip", "%1 holds no picture to draw on")
                     .arg(QDir::toNativeSeparators(clipPath));
        return clip::CopyReadFailed;
    }
    if ((code = av_write_trailer(m_output.get())) < 0) {
        *error = QCoreApplication::translate("clip", "cannot finish %1: %2")
                     .arg(QDir::toNativeSeparators(outputPath), libavText(code));
        return clip::CopyWriteFailed;
    }
    if ((code = avio_closep(&m_output->pb)) < 0) {
        *error = QCoreApplication::translate("clip", "cannot finish %1: %2")
                     .arg(QDir::toNativeSeparators(outputPath), libavText(code));
        return clip::CopyWriteFailed;
    }
    m_control.report(m_to);
    return clip::CopyDone;
}

} // namespace

int drawClip(const QString& clip, const QString& output, const VideoOptions& options,
    const clip::Control& control, double progressFrom, double progressTo, QString* error)
{
    Drawing drawing(options, control, progressFrom, progressTo);
    return drawing.run(clip, output, error);
}

} // namespace overlay
