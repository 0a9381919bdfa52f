#include "archivewindow/Thumbnails.h"

#include "media/LibavOwners.h"
#include "media/PlayableCheck.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace archivewin {

namespace {

struct ScaleFree
{
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

// A recording's pictures run for a minute; decoding on from a key frame more than this far
// before the second would only mean a damaged index.
constexpr int kMaxFramesDecoded = 600;

QImage scaled(const AVFrame* frame, const QSize& size)
{
    const QSize fitted = QSize(frame->width, frame->height).scaled(size, Qt::KeepAspectRatio);
    if (fitted.isEmpty())
        return {};
    std::unique_ptr<SwsContext, ScaleFree> scale(
        sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), fitted.width(),
            fitted.height(), AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scale)
        return {};
    QImage image(fitted, QImage::Format_RGB32);
    uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(scale.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
    return image;
}

} // namespace

QImage decodePicture(const QString& recording, int second, const QSize& size)
{
    // The recording may be damaged (an unclosed one is in the archive too): FFmpeg's complaints
    // are the answer "no picture", not output for the user.
    const media::LogCapture quiet;
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, recording.toLocal8Bit().constData(), nullptr, nullptr) < 0)
        return {};
    const media::Input input(opened);
    if (avformat_find_stream_info(opened, nullptr) < 0)
        return {};
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(opened, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index < 0 || !codec)
        return {};
    const AVStream* stream = opened->streams[index];
    media::Codec decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0
        || avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return {};
    const int64_t target = av_rescale_q(qMax(0, second), AVRational{1, 1}, stream->time_base)
        + (stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time);
    av_seek_frame(opened, index, target, AVSEEK_FLAG_BACKWARD);

    media::Packet packet(av_packet_alloc());
    media::Frame frame(av_frame_alloc());
    media::Frame kept(av_frame_alloc());
    bool have = false;
    int frames = 0;
    bool draining = false;
    while (frames < kMaxFramesDecoded) {
        if (!draining) {
            const int read = av_read_frame(opened, packet.get());
            if (read < 0) {
                draining = true;
                avcodec_send_packet(decoder.get(), nullptr);
            } else {
                const bool ours = packet->stream_index == index;
                if (ours)
                    avcodec_send_packet(decoder.get(), packet.get());
                av_packet_unref(packet.get());
                if (!ours)
                    continue;
            }
        }
        int received = 0;
        while ((received = avcodec_receive_frame(decoder.get(), frame.get())) == 0) {
            ++frames;
            const int64_t at = frame->best_effort_timestamp;
            if (have && at != AV_NOPTS_VALUE && at > target)
                return scaled(kept.get(), size);
            av_frame_unref(kept.get());
            av_frame_move_ref(kept.get(), frame.get());
            have = true;
            if (at != AV_NOPTS_VALUE && at >= target)
                return scaled(kept.get(), size);
        }
        if (received == AVERROR_EOF || (draining && received != 0))
            break;
    }
    return have ? scaled(kept.get(), size) : QImage();
}

ThumbnailCache::ThumbnailCache(const QString& folder)
    : m_folder(folder.isEmpty()
            ? QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
                  .filePath(QStringLiteral("thumbnails"))
            : folder)
{ }

QString ThumbnailCache::fileFor(const QString& recording, int second) const
{
    const QFileInfo info(recording);
    if (!info.exists())
        return {};
    // The recording's identity as the disk knows it: a file replaced under the same name
    // (another size or time) gets pictures of its own.
    const QByteArray key = info.absoluteFilePath().toUtf8() + '\n' + QByteArray::number(info.size())
        + '\n' + QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + '\n'
        + QByteArray::number(second) + '\n' + QByteArray::number(kThumbnailSize.width());
    const QByteArray name = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    return QDir(m_folder).filePath(QString::fromLatin1(name) + QStringLiteral(".jpg"));
}

QImage ThumbnailCache::cached(const QString& recording, int second) const
{
    const QString file = fileFor(recording, second);
    QImage image;
    if (!file.isEmpty() && QFileInfo::exists(file))
        image.load(file, "JPG");
    return image;
}

QImage ThumbnailCache::make(const QString& recording, int second)
{
    const QImage image = decodePicture(recording, second);
    if (!image.isNull())
        store(recording, second, image);
    return image;
}

bool ThumbnailCache::store(const QString& recording, int second, const QImage& picture)
{
    const QString file = fileFor(recording, second);
    if (file.isEmpty() || picture.isNull() || !QDir().mkpath(m_folder))
        return false;
    // Written whole or not at all: a picture cut short would be shown broken for good.
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && picture.save(&out, "JPG", 85) && out.commit();
}

} // namespace archivewin
