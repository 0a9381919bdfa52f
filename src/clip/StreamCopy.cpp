#include "clip/StreamCopy.h"

#include "clip/LibavInput.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/error.h>
#include <libavutil/mathematics.h>
}

namespace clip {

namespace {

using libav::Input;

QString libavText(int code)
{
    return libav::errorText(code);
}

struct OutputClose
{
    void operator()(AVFormatContext* context) const
    {
        if (context->pb && !(context->oformat->flags & AVFMT_NOFILE))
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
using Output = std::unique_ptr<AVFormatContext, OutputClose>;

struct PacketFree
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using Packet = std::unique_ptr<AVPacket, PacketFree>;

bool isCopied(const AVStream* stream)
{
    const AVMediaType type = stream->codecpar->codec_type;
    return type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO;
}

Input openInput(const QString& path, QString* error)
{
    int opened = 0;
    Input input = libav::openInput(path, &opened);
    if (!input)
        *error = QCoreApplication::translate("clip", "%1 cannot be read: %2")
                     .arg(QDir::toNativeSeparators(path), libavText(opened));
    return input;
}

// Per output stream: where its packets have come to, so that a join never steps back in time.
struct Track
{
    int output = -1;
    AVRational inputBase{1, 1};
    bool video = false;
    bool done = false;
    int64_t lastDts = AV_NOPTS_VALUE; // in the output stream's time base
    int64_t end = AV_NOPTS_VALUE; // where its last packet ends, in the output's time base
    int64_t latestPts = AV_NOPTS_VALUE; // in the input's, to see frames stored out of order
    int64_t shift = AV_NOPTS_VALUE; // input ticks added to the piece's timestamps
    int64_t frameTicks = 0; // the samples a decoder makes of one sound packet, 0 when unknown
};

// A decoder makes a whole frame of samples of every sound packet, however short the timing
// table says it is (an encoder's last packet, say).
int64_t soundFrameTicks(const AVStream* stream)
{
    const AVCodecParameters* p = stream->codecpar;
    if (p->codec_type != AVMEDIA_TYPE_AUDIO || p->sample_rate <= 0)
        return 0;
    // The MP4 reader leaves it unset; every AAC-LC frame holds 1024 samples.
    const int samples = p->frame_size > 0 ? p->frame_size : p->codec_id == AV_CODEC_ID_AAC ? 1024 : 0;
    return av_rescale_q(samples, AVRational{1, p->sample_rate}, stream->time_base);
}

// Where a piece goes in the clip.
struct Placement
{
    int64_t offsetUs = 0; // the piece's start in the clip
    bool first = false;
    bool last = false;
    // How far before its start the next piece's sound begins (soundLeadUs()): this piece's
    // sound makes room for it.
    int64_t nextLeadUs = 0;
};

// How far before its start a recording's sound begins: an AAC encoder's priming frame lies
// there, hidden by the recording's edit list, and its first real frame needs it to decode.
int64_t soundLeadUs(const Piece& piece)
{
    int code = 0;
    const Input input = libav::openInput(piece.source.path, &code);
    const Packet packet(av_packet_alloc());
    if (!input || !packet)
        return 0;
    // The sound's first packet comes among the first few of the file.
    for (int read = 0; read < 64 && av_read_frame(input.get(), packet.get()) >= 0; ++read) {
        const AVStream* stream = input->streams[packet->stream_index];
        const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        av_packet_unref(packet.get());
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && ts != AV_NOPTS_VALUE)
            return std::max<int64_t>(
                0, piece.fromUs - av_rescale_q(ts, stream->time_base, AV_TIME_BASE_Q));
    }
    return 0;
}

class Copier
{
public:
    Copier(const Control& control, double from, double to, int64_t totalUs)
        : m_control(control)
        , m_progressFrom(from)
        , m_progressTo(to)
        , m_totalUs(std::max<int64_t>(1, totalUs))
    { }

    int open(const Piece& first, const QString& output, QString* error);
    int copy(const Piece& piece, const Placement& at, QString* error);
    int finish(QString* error);

private:
    // The piece's tracks, carrying on from the pieces before; the reading put at the key frame
    // the piece's first frame needs.
    int prepare(AVFormatContext* input, const Piece& piece, std::vector<Track>& tracks,
        QString* error) const;
    int writePacket(AVPacket* packet, Track& track, const Piece& piece, const Placement& at,
        QString* error);
    // False when the packet lies outside the piece (or only the frames needed before its start).
    bool keep(const AVPacket* packet, Track& track, const Piece& piece, const Placement& at) const;
    int64_t shiftOf(const AVPacket* packet, const Track& track, const Piece& piece,
        const Placement& at) const;

    const Control& m_control;
    double m_progressFrom;
    double m_progressTo;
    int64_t m_totalUs;
    Output m_output;
    std::vector<AVRational> m_outputBases;
    // Per output stream, carried from piece to piece.
    std::vector<int64_t> m_lastDts;
    std::vector<int64_t> m_ends;
    int m_reported = -1; // thousandths
};

int Copier::open(const Piece& first, const QString& output, QString* error)
{
    Input input = openInput(first.source.path, error);
    if (!input)
        return CopyReadFailed;
    AVFormatContext* context = nullptr;
    const QByteArray path = output.toLocal8Bit();
    int code = avformat_alloc_output_context2(&context, nullptr, "mp4", path.constData());
    if (code < 0 || !context) {
        *error = QCoreApplication::translate("clip", "cannot start the MP4 writer: %1")
                     .arg(libavText(code));
        return CopyWriteFailed;
    }
    m_output.reset(context);
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* in = input->streams[i];
        if (!isCopied(in))
            continue;
        AVStream* out = avformat_new_stream(context, nullptr);
        if (!out || avcodec_parameters_copy(out->codecpar, in->codecpar) < 0) {
            *error = QCoreApplication::translate("clip", "cannot set up the clip's streams");
            return CopyWriteFailed;
        }
        // The camera's sample entry tag may not be one MP4 allows; the writer picks its own.
        out->codecpar->codec_tag = 0;
        // The MP4 reader leaves it unset; every AAC-LC frame holds 1024 samples.
        if (out->codecpar->codec_id == AV_CODEC_ID_AAC && out->codecpar->frame_size == 0)
            out->codecpar->frame_size = 1024;
        out->time_base = in->time_base;
        out->disposition = in->disposition;
    }
    if ((code = avio_open(&context->pb, path.constData(), AVIO_FLAG_WRITE)) < 0
        || (code = avformat_write_header(context, nullptr)) < 0) {
        *error
            = QCoreApplication::translate("clip", "cannot write the clip: %1").arg(libavText(code));
        return CopyWriteFailed;
    }
    for (unsigned i = 0; i < context->nb_streams; ++i)
        m_outputBases.push_back(context->streams[i]->time_base);
    m_lastDts.assign(m_outputBases.size(), AV_NOPTS_VALUE);
    m_ends.assign(m_outputBases.size(), AV_NOPTS_VALUE);
    return CopyDone;
}

bool Copier::keep(
    const AVPacket* packet, Track& track, const Piece& piece, const Placement& at) const
{
    const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (ts == AV_NOPTS_VALUE)
        return false;
    const int64_t startUs = av_rescale_q(ts, track.inputBase, AV_TIME_BASE_Q);
    const int64_t lengthUs = av_rescale_q(
        std::max(packet->duration, track.frameTicks), track.inputBase, AV_TIME_BASE_Q);
    // Without reordered frames (see writePacket), once a frame is past the end, so are all
    // after it in this stream. A decoder plays every sound frame whole, whatever the timing
    // table says, so the sound ends with the whole frame that ends nearest the end mark (less
    // the room the next recording's priming frame takes): each join then stays within half a
    // frame of the picture's, instead of the parts of frames adding up join by join.
    const bool past = track.video
        ? startUs >= piece.toUs
        : startUs + lengthUs / 2 > piece.toUs - (at.last ? 0 : at.nextLeadUs);
    if (past) {
        track.done = true;
        return false;
    }
    if (track.video)
        return true; // the seek put the reading at the key frame the first frame needs
    // One sound frame before the one holding the start primes the decoder: at the clip's start
    // the edit list hides it, at a join it takes the room the piece before left for it.
    return startUs + lengthUs > piece.fromUs - std::max<int64_t>(lengthUs, 1);
}

int64_t Copier::shiftOf(
    const AVPacket* packet, const Track& track, const Piece& piece, const Placement& at) const
{
    const int64_t shift = av_rescale_q(at.offsetUs - piece.fromUs, AV_TIME_BASE_Q, track.inputBase);
    if (track.video || at.first || track.end == AV_NOPTS_VALUE || packet->dts == AV_NOPTS_VALUE)
        return shift;
    // The sound goes on from where the sound before it ends, as a decoder plays it; only a
    // gap of more than two frames (a recording short of sound) stays a gap.
    const int64_t end
        = av_rescale_q(track.end, m_outputBases[size_t(track.output)], track.inputBase);
    const int64_t following = end - packet->dts;
    return following - shift > 2 * std::max<int64_t>(packet->duration, 1) ? shift : following;
}

int Copier::writePacket(
    AVPacket* packet, Track& track, const Piece& piece, const Placement& at, QString* error)
{
    // Frames stored out of display order (B-frames) would need the frames after the end mark
    // and a second timeline at every join; rather than cut such a stream into damaged pictures,
    // the export stops and says why.
    if (track.video && packet->pts != AV_NOPTS_VALUE) {
        if (track.latestPts != AV_NOPTS_VALUE && packet->pts < track.latestPts) {
            *error = QCoreApplication::translate("clip",
                "%1 stores its pictures out of display order (B-frames), "
                "which a lossless cut cannot keep whole")
                         .arg(QDir::toNativeSeparators(piece.source.path));
            return CopyReadFailed;
        }
        track.latestPts = packet->pts;
    }
    if (track.shift == AV_NOPTS_VALUE)
        track.shift = shiftOf(packet, track, piece, at);
    // The last picture before the end mark ends at the mark, so the clip lasts what the span
    // does; so does the clip's last sound frame (a sound frame cut short inside the clip would
    // still be played whole).
    // Inside the clip a sound packet lasts what a decoder makes of it, so the timing table
    // tells what is heard.
    if (!track.video && !at.last)
        packet->duration = std::max(packet->duration, track.frameTicks);
    if (track.video || at.last) {
        const int64_t endTicks = av_rescale_q(piece.toUs, AV_TIME_BASE_Q, track.inputBase)
            + av_rescale_q(at.offsetUs - piece.fromUs, AV_TIME_BASE_Q, track.inputBase)
            - track.shift;
        if (packet->pts != AV_NOPTS_VALUE && packet->pts + packet->duration > endTicks)
            packet->duration = std::max<int64_t>(0, endTicks - packet->pts);
    }
    const int64_t clipUs = av_rescale_q(
        (packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts) + track.shift, track.inputBase,
        AV_TIME_BASE_Q);
    if (packet->pts != AV_NOPTS_VALUE)
        packet->pts += track.shift;
    if (packet->dts != AV_NOPTS_VALUE)
        packet->dts += track.shift;
    av_packet_rescale_ts(packet, track.inputBase, m_outputBases[size_t(track.output)]);
    if (track.lastDts != AV_NOPTS_VALUE && packet->dts != AV_NOPTS_VALUE
        && packet->dts <= track.lastDts) {
        if (!track.video)
            return CopyDone; // a sliver of sound overlapping the join: the earlier sound stays
        *error = QCoreApplication::translate(
            "clip", "%1: its pictures do not follow those before them")
                     .arg(QDir::toNativeSeparators(piece.source.path));
        return CopyReadFailed;
    }
    track.lastDts = packet->dts;
    if (packet->dts != AV_NOPTS_VALUE)
        track.end = packet->dts + packet->duration;
    packet->stream_index = track.output;
    packet->pos = -1;
    const int code = av_interleaved_write_frame(m_output.get(), packet);
    if (code < 0) {
        *error
            = QCoreApplication::translate("clip", "cannot write the clip: %1").arg(libavText(code));
        return CopyWriteFailed;
    }
    if (track.video) {
        // Reported in thousandths, so a viewer posting each report to its window gets at most a
        // thousand, however many frames the clip has.
        const int done = int(1000 * std::clamp<int64_t>(clipUs, 0, m_totalUs) / m_totalUs);
        if (done != m_reported) {
            m_reported = done;
            m_control.report(m_progressFrom + (m_progressTo - m_progressFrom) * done / 1000.0);
        }
    }
    return CopyDone;
}

int Copier::prepare(
    AVFormatContext* input, const Piece& piece, std::vector<Track>& tracks, QString* error) const
{
    tracks.assign(input->nb_streams, Track{});
    int video = -1;
    int output = 0;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        if (!isCopied(input->streams[i]))
            continue;
        tracks[i].output = output++;
        tracks[i].inputBase = input->streams[i]->time_base;
        tracks[i].video = input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
        tracks[i].frameTicks = soundFrameTicks(input->streams[i]);
        if (size_t(tracks[i].output) < m_lastDts.size()) {
            tracks[i].lastDts = m_lastDts[size_t(tracks[i].output)];
            tracks[i].end = m_ends[size_t(tracks[i].output)];
        }
        if (tracks[i].video && video < 0)
            video = int(i);
    }
    if (output != int(m_outputBases.size())) {
        *error = QCoreApplication::translate(
            "clip", "%1 has other streams than the recording before it")
                     .arg(QDir::toNativeSeparators(piece.source.path));
        return CopyReadFailed;
    }
    if (piece.fromUs > 0 && video >= 0) {
        const int64_t target
            = av_rescale_q(piece.fromUs, AV_TIME_BASE_Q, input->streams[video]->time_base);
        const int sought = av_seek_frame(input, video, target, AVSEEK_FLAG_BACKWARD);
        if (sought < 0) {
            *error = QCoreApplication::translate(
                "clip", "%1: cannot find the key frame before the start: %2")
                         .arg(QDir::toNativeSeparators(piece.source.path), libavText(sought));
            return CopyReadFailed;
        }
    }
    return CopyDone;
}

int Copier::copy(const Piece& piece, const Placement& at, QString* error)
{
    Input input = openInput(piece.source.path, error);
    if (!input)
        return CopyReadFailed;
    std::vector<Track> tracks;
    int result = prepare(input.get(), piece, tracks, error);
    Packet packet(av_packet_alloc());
    if (result == CopyDone && !packet) {
        *error = QCoreApplication::translate("clip", "out of memory");
        result = CopyWriteFailed;
    }
    auto allDone = [&tracks] {
        return std::all_of(tracks.begin(), tracks.end(),
            [](const Track& track) { return track.output < 0 || track.done; });
    };
    while (result == CopyDone && !allDone()) {
        if (m_control.cancelled()) {
            result = CopyCancelled;
            break;
        }
        const int read = av_read_frame(input.get(), packet.get());
        if (read == AVERROR_EOF)
            break;
        if (read < 0) {
            *error = QCoreApplication::translate("clip", "%1 cannot be read: %2")
                         .arg(QDir::toNativeSeparators(piece.source.path), libavText(read));
            result = CopyReadFailed;
            break;
        }
        const unsigned index = unsigned(packet->stream_index);
        if (index < tracks.size() && tracks[index].output >= 0 && !tracks[index].done
            && keep(packet.get(), tracks[index], piece, at))
            result = writePacket(packet.get(), tracks[index], piece, at, error);
        av_packet_unref(packet.get());
    }
    for (const Track& track : tracks) {
        if (track.output >= 0) {
            m_lastDts[size_t(track.output)] = track.lastDts;
            m_ends[size_t(track.output)] = track.end;
        }
    }
    return result;
}

int Copier::finish(QString* error)
{
    AVFormatContext* context = m_output.get();
    int code = av_write_trailer(context);
    // A full disk may show only when the last buffered bytes go out: the close must succeed too.
    const int closed = avio_closep(&context->pb);
    if (code >= 0)
        code = closed;
    if (code < 0) {
        *error = QCoreApplication::translate("clip", "cannot finish the clip: %1")
                     .arg(libavText(code));
        return CopyWriteFailed;
    }
    return CopyDone;
}

} // namespace

int copyStreams(const QList<Piece>& pieces, const QString& output, const Control& control,
    double progressFrom, double progressTo, QString* error, qsizetype* failedPiece)
{
    *failedPiece = 0;
    if (pieces.isEmpty()) {
        *error = QCoreApplication::translate("clip", "nothing to copy");
        return CopyReadFailed;
    }
    int64_t totalUs = 0;
    for (const Piece& piece : pieces)
        totalUs += piece.toUs - piece.fromUs;
    Copier copier(control, progressFrom, progressTo, totalUs);
    int result = copier.open(pieces.first(), output, error);
    Placement at;
    for (qsizetype i = 0; result == CopyDone && i < pieces.size(); ++i) {
        at.first = i == 0;
        at.last = i + 1 == pieces.size();
        at.nextLeadUs = at.last ? 0 : soundLeadUs(pieces[i + 1]);
        *failedPiece = i;
        result = copier.copy(pieces[i], at, error);
        at.offsetUs += pieces[i].toUs - pieces[i].fromUs;
    }
    if (result == CopyDone)
        result = copier.finish(error);
    return result;
}

} // namespace clip
