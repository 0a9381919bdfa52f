#include "CutRecordings.h"

#include "support/MediaCache.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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

namespace {

// framemd5's lines by stream, and the time bases from its header.
void readFrameMd5(const QByteArray& text, std::map<int, QStringList>& lines,
    std::map<int, double>* timeBases = nullptr)
{
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(QLatin1String("#tb ")) && timeBases) {
            const QStringList parts = line.mid(4).split(QLatin1Char(':'));
            const QStringList ratio = parts.value(1).trimmed().split(QLatin1Char('/'));
            if (ratio.size() == 2 && ratio[1].toDouble() > 0)
                (*timeBases)[parts[0].toInt()] = ratio[0].toDouble() / ratio[1].toDouble();
            continue;
        }
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int comma = line.indexOf(QLatin1Char(','));
        QString rest = line.mid(comma + 1);
        rest.replace(QLatin1Char(' '), QString());
        lines[line.left(comma).trimmed().toInt()] << rest;
    }
}

} // namespace

double FfmpegView::firstTime(int stream) const
{
    const auto found = frames.find(stream);
    const auto base = timeBase.find(stream);
    if (found == frames.end() || found->second.isEmpty() || base == timeBase.end())
        return -1;
    return found->second.front().section(QLatin1Char(','), 1, 1).toDouble() * base->second;
}

FfmpegView ffmpegView(const QString& path)
{
    FfmpegView view;
    QTemporaryDir dir;
    const QString copied = dir.filePath("copied.md5"), decoded = dir.filePath("decoded.md5");
    const ProcessResult r = run("ffmpeg",
        {"-v", "error", "-i", path, "-map", "0:v", "-map", "0:a?", "-c", "copy", "-f", "framemd5",
            copied, "-map", "0:v", "-map", "0:a?", "-f", "framemd5", decoded});
    view.ran = r.exitCode == 0;
    view.errors = QString::fromLocal8Bit(r.err).trimmed();
    readFrameMd5(readFile(copied), view.packets);
    readFrameMd5(readFile(decoded), view.frames, &view.timeBase);
    return view;
}

QString ffmpegRecording(const QString& name, const QStringList& arguments)
{
    return testsupport::cachedFfmpegOutput(QStringLiteral("zyn-recover-tests"), name,
        arguments.join(QLatin1Char('\n')).toUtf8(),
        QStringList{"-hide_banner", "-nostdin", "-v", "error", "-y"} + arguments);
}

qint64 indexOffset(const QByteArray& file)
{
    for (qint64 at = 0; at + 8 <= file.size();) {
        const quint32 size = quint32(quint8(file[at])) << 24 | quint32(quint8(file[at + 1])) << 16
            | quint32(quint8(file[at + 2])) << 8 | quint8(file[at + 3]);
        if (file.mid(at + 4, 4) == "moov")
            return at;
        if (size < 8)
            break;
        at += size;
    }
    return -1;
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
