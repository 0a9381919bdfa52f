#include "CutRecordings.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>

extern "C" {
#include <libavformat/avformat.h>
}

namespace cutrec {

Streams readStreams(const QString& path)
{
    Streams streams;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.toLocal8Bit().constData(), nullptr, nullptr) < 0)
        return streams;
    if (avformat_find_stream_info(format, nullptr) < 0) {
        avformat_close_input(&format);
        return streams;
    }
    streams.opened = true;
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(format, packet) >= 0) {
        const AVStream* stream = format->streams[packet->stream_index];
        Packet p;
        p.pos = packet->pos;
        p.size = packet->size;
        p.dts = packet->dts;
        p.duration = packet->duration;
        p.key = packet->flags & AV_PKT_FLAG_KEY;
        p.md5 = QCryptographicHash::hash(
            QByteArrayView(packet->data, packet->size), QCryptographicHash::Md5);
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            streams.videoCodec = QString::fromLatin1(avcodec_get_name(stream->codecpar->codec_id));
            streams.video.push_back(p);
        } else if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            streams.sound.push_back(p);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&format);
    return streams;
}

QString makeCard(const QString& folder, const QStringList& options)
{
    const ProcessResult r = run(QStringLiteral(ZYN_CARDGEN),
        QStringList{"--length", "4", "--evt", "0", "--muevt", "0", "--start", "2025-06-14 14:23:37"}
            + options + QStringList{folder});
    return r.exitCode == 0 ? QString() : QString::fromLocal8Bit(r.err);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace cutrec
