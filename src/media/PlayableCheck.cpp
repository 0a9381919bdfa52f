#include "media/PlayableCheck.h"

#include "media/LibavOwners.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <QRegularExpression>

#include <memory>
#include <mutex>

namespace media {

namespace {

thread_local LogCapture* t_capture = nullptr;

void logCallback(void* context, int level, const char* format, va_list args)
{
    LogCapture* capture = t_capture;
    if (!capture) {
        av_log_default_callback(context, level, format, args);
        return;
    }
    if (level > AV_LOG_ERROR)
        return;
    char line[512];
    int printPrefix = 1;
    av_log_format_line2(context, level, format, args, line, sizeof line, &printPrefix);
    // "[aac @ 0x5610896788c0] decode_pce: ..." reads "aac: decode_pce: ..." to a user.
    static const QRegularExpression address(QStringLiteral("^\\[(\\w+) @ 0x[0-9a-f]+\\] "));
    keepMessage(
        capture, QString::fromLocal8Bit(line).trimmed().replace(address, QStringLiteral("\\1: ")));
}

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

// FFmpeg's log names the cause ("contradictionary STSC and STCO"); the return code only its
// class ("Invalid data found when processing input"). Both, when the log said something.
QString detailOf(const LogCapture& log, int code)
{
    QString text = log.errors().isEmpty() ? QString() : log.errors().constFirst();
    if (code < 0) {
        const QString coded = errorText(code);
        text = text.isEmpty() ? coded : text + QStringLiteral(" (") + coded + QLatin1Char(')');
    }
    return text;
}

using Decoder = Codec;

// A frame that came out but says it is damaged counts as a failure: a player would show it
// broken.
enum class Outcome { Frame, More, Failed };

struct StreamJudge
{
    int index = -1;
    Fault fault = Fault::None;
    Decoder decoder;
    int frames = 0;
    bool failed = false;
    QString detail;

    bool open(const AVStream* stream, LogCapture& log)
    {
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        if (!codec) {
            detail = QStringLiteral("no decoder for codec %1")
                         .arg(QString::fromLatin1(avcodec_get_name(stream->codecpar->codec_id)));
            return false;
        }
        decoder.reset(avcodec_alloc_context3(codec));
        int code = decoder ? avcodec_parameters_to_context(decoder.get(), stream->codecpar)
                           : AVERROR(ENOMEM);
        if (code >= 0) {
            decoder->thread_count = 1;
            decoder->pkt_timebase = stream->time_base;
            code = avcodec_open2(decoder.get(), codec, nullptr);
        }
        if (code < 0) {
            detail = detailOf(log, code);
            return false;
        }
        return true;
    }

    void take(const AVPacket* packet, AVFrame* frame, LogCapture& log)
    {
        if (failed)
            return;
        int code = avcodec_send_packet(decoder.get(), packet);
        if (code < 0 && code != AVERROR_EOF) {
            fail(log, code);
            return;
        }
        for (;;) {
            code = avcodec_receive_frame(decoder.get(), frame);
            if (code == AVERROR(EAGAIN) || code == AVERROR_EOF)
                return;
            if (code < 0) {
                fail(log, code);
                return;
            }
            const bool damaged
                = frame->decode_error_flags != 0 || (frame->flags & AV_FRAME_FLAG_CORRUPT);
            av_frame_unref(frame);
            if (damaged) {
                fail(log, 0);
                if (detail.isEmpty())
                    detail = QStringLiteral("a damaged frame");
                return;
            }
            ++frames;
        }
    }

    void fail(const LogCapture& log, int code)
    {
        failed = true;
        detail = detailOf(log, code);
    }
};

// Enough to reach the first picture and the first sound frame of any sane file (the sound of a
// file interleaved a second at a time comes well within this); a file that has shown neither by
// then is not one a player would start.
constexpr int kPacketLimit = 3000;

PlayableCheck verdict(Fault fault, const QString& detail)
{
    return {fault, detail.isEmpty() ? QStringLiteral("nothing decoded") : detail};
}

PlayableCheck checkFirstFrames(
    AVFormatContext* input, StreamJudge* picture, StreamJudge* sound, LogCapture& log)
{
    Packet packet(av_packet_alloc());
    Frame frame(av_frame_alloc());
    if (!packet || !frame)
        return {Fault::Container, errorText(AVERROR(ENOMEM))};
    const auto done = [&] { return picture->frames > 0 && (!sound || sound->frames > 0); };
    int read = 0;
    int code = 0;
    while (!done() && read++ < kPacketLimit && (code = av_read_frame(input, packet.get())) >= 0) {
        if (packet->stream_index == picture->index)
            picture->take(packet.get(), frame.get(), log);
        else if (sound && packet->stream_index == sound->index)
            sound->take(packet.get(), frame.get(), log);
        av_packet_unref(packet.get());
        if (picture->failed)
            return verdict(Fault::Picture, picture->detail);
        if (sound && sound->failed)
            return verdict(Fault::Sound, sound->detail);
    }
    if (code < 0 && code != AVERROR_EOF)
        return verdict(Fault::Container, detailOf(log, code));
    // A short file may hold its only frames in the decoders' delay.
    for (StreamJudge* judge : {picture, sound}) {
        if (judge && judge->frames == 0)
            judge->take(nullptr, frame.get(), log);
    }
    if (picture->frames == 0)
        return verdict(Fault::Picture, picture->detail);
    if (sound && sound->frames == 0)
        return verdict(Fault::Sound, sound->detail);
    return {};
}

// Every picture from the last key frame to the end must come out, none damaged.
PlayableCheck checkLastPictures(AVFormatContext* input, StreamJudge* picture, LogCapture& log)
{
    AVStream* stream = input->streams[picture->index];
    int64_t lastKey = AV_NOPTS_VALUE;
    for (int i = avformat_index_get_entries_count(stream) - 1; i >= 0; --i) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
        if (entry && (entry->flags & AVINDEX_KEYFRAME)) {
            lastKey = entry->timestamp;
            break;
        }
    }
    if (lastKey == AV_NOPTS_VALUE)
        return verdict(Fault::LastPicture, QStringLiteral("the index names no key frame"));
    int code = av_seek_frame(input, picture->index, lastKey, AVSEEK_FLAG_BACKWARD);
    if (code < 0)
        return verdict(Fault::LastPicture, detailOf(log, code));
    avcodec_flush_buffers(picture->decoder.get());
    picture->frames = 0;

    Packet packet(av_packet_alloc());
    Frame frame(av_frame_alloc());
    if (!packet || !frame)
        return {Fault::Container, errorText(AVERROR(ENOMEM))};
    int sent = 0;
    while ((code = av_read_frame(input, packet.get())) >= 0) {
        if (packet->stream_index == picture->index) {
            picture->take(packet.get(), frame.get(), log);
            ++sent;
        }
        av_packet_unref(packet.get());
        if (picture->failed)
            return verdict(Fault::LastPicture, picture->detail);
    }
    if (code != AVERROR_EOF)
        return verdict(Fault::LastPicture, detailOf(log, code));
    picture->take(nullptr, frame.get(), log);
    if (picture->failed)
        return verdict(Fault::LastPicture, picture->detail);
    if (sent == 0 || picture->frames == 0)
        return verdict(Fault::LastPicture, QStringLiteral("no picture after the last key frame"));
    return {};
}

} // namespace

void keepMessage(LogCapture* capture, const QString& line)
{
    if (capture->m_errors.size() < 8 && !line.isEmpty())
        capture->m_errors.append(line);
}

LogCapture::LogCapture()
    : m_outer(t_capture)
{
    static std::once_flag installed;
    std::call_once(installed, [] { av_log_set_callback(logCallback); });
    t_capture = this;
}

LogCapture::~LogCapture()
{
    t_capture = m_outer;
}

PlayableCheck checkPlayable(const QString& path, CheckOptions options)
{
    LogCapture log;
    AVFormatContext* context = nullptr;
    int code = avformat_open_input(&context, path.toLocal8Bit().constData(), nullptr, nullptr);
    if (code < 0)
        return verdict(Fault::Container, detailOf(log, code));
    Input input(context);
    if ((code = avformat_find_stream_info(context, nullptr)) < 0)
        return verdict(Fault::Container, detailOf(log, code));

    StreamJudge picture;
    StreamJudge sound;
    picture.index = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    sound.index = av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (picture.index < 0)
        return {Fault::Picture, QStringLiteral("the file holds no picture stream")};
    // FFmpeg drops a sound stream whose configuration it cannot use, saying why in its log.
    if (sound.index < 0 && options.expectSound)
        return {Fault::Sound,
            log.errors().isEmpty() ? QStringLiteral("the file holds no sound stream")
                                   : log.errors().constFirst()};
    if (!picture.open(context->streams[picture.index], log))
        return verdict(Fault::Picture, picture.detail);
    const bool withSound = sound.index >= 0;
    if (withSound && !sound.open(context->streams[sound.index], log))
        return verdict(Fault::Sound, sound.detail);

    PlayableCheck first = checkFirstFrames(context, &picture, withSound ? &sound : nullptr, log);
    if (!first.ok() || !options.lastPicture)
        return first;
    return checkLastPictures(context, &picture, log);
}

} // namespace media
