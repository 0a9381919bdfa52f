#pragma once

#include "media/PlayableCheck.h"

#include <QCoreApplication>
#include <QString>

#include <memory>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

// Opening a recording with libavformat, shared by the parts of the clip library (not installed
// with its interface: only the library's own sources include it).
namespace clip::libav {

inline QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

struct InputClose
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using Input = std::unique_ptr<AVFormatContext, InputClose>;

// The MP4 header names every stream's parameters, so the packets need not be probed; only a
// stream whose picture size or sample rate the header leaves out (some MPEG-4 Visual sample
// entries) is probed, since the writer needs it.
inline Input openInput(const QString& path, int* code)
{
    AVFormatContext* context = nullptr;
    *code = avformat_open_input(&context, path.toLocal8Bit().constData(), nullptr, nullptr);
    if (*code < 0)
        return nullptr;
    Input input(context);
    bool incomplete = false;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVCodecParameters* p = context->streams[i]->codecpar;
        incomplete = incomplete || (p->codec_type == AVMEDIA_TYPE_VIDEO && p->width <= 0)
            || (p->codec_type == AVMEDIA_TYPE_AUDIO && p->sample_rate <= 0);
    }
    if (incomplete && (*code = avformat_find_stream_info(context, nullptr)) < 0)
        return nullptr;
    return input;
}

// Whether the file's header names a sound stream, usable or not.
inline bool declaresSound(const QString& path)
{
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, path.toLocal8Bit().constData(), nullptr, nullptr) < 0)
        return false;
    const Input input(context);
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (context->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            return true;
    }
    return false;
}

// Whether a player can start the file: its first picture and, when its header names sound, its
// first sound frame decode. A sound stream whose configuration is damaged would otherwise pass
// for a file without sound.
inline media::PlayableCheck checkFirstFrames(const QString& path)
{
    media::CheckOptions options;
    options.expectSound = declaresSound(path);
    return media::checkPlayable(path, options);
}

// What a failed check of a file's first frames found, for a message.
inline QString faultText(const media::PlayableCheck& check)
{
    switch (check.fault) {
    case media::Fault::Container:
        return QCoreApplication::translate("clip", "its header or tables are damaged: %1")
            .arg(check.detail);
    case media::Fault::Picture:
        return QCoreApplication::translate("clip", "its pictures do not decode: %1")
            .arg(check.detail);
    case media::Fault::Sound:
        return QCoreApplication::translate("clip", "its sound does not decode: %1")
            .arg(check.detail);
    case media::Fault::LastPicture:
        return QCoreApplication::translate("clip", "its last pictures do not decode: %1")
            .arg(check.detail);
    case media::Fault::None:
        break;
    }
    return check.detail;
}

} // namespace clip::libav
