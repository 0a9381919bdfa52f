#pragma once

#include "support/Process.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <vector>

// Demo card recordings, cut as a power cut leaves them, and what an independent reader
// (libavformat) finds in a recording.
namespace cutrec {

struct Packet
{
    int64_t pos = -1;
    int size = 0;
    int64_t dts = 0;
    int64_t duration = 0;
    bool key = false;
    QByteArray md5;
    bool operator==(const Packet& o) const
    {
        return size == o.size && key == o.key && md5 == o.md5;
    }
};

struct Streams
{
    bool opened = false;
    QString videoCodec;
    std::vector<Packet> video, sound;
};

Streams readStreams(const QString& path);

// Where a recording's index (its moov box) starts, -1 without one.
qint64 indexOffset(const QByteArray& file);

// ffmpeg's own account of a file (it is the judge here, nobody here wrote it): framemd5 lines
// of the packets as stored and of the decoded frames, per stream, and what its decoders said.
// Stream 0 is the picture, 1 the sound.
struct FfmpegView
{
    bool ran = false;
    std::map<int, QStringList> packets; // "dts, pts, duration, size, hash"
    std::map<int, QStringList> frames; // decoded, in display order
    std::map<int, double> timeBase; // of the decoded streams, in seconds
    QString errors;
    // The display time in seconds of the first decoded frame of a stream; -1 without one.
    double firstTime(int stream) const;
};
FfmpegView ffmpegView(const QString& path);

// A recording made by ffmpeg's own muxer from its test sources, kept between runs.
QString ffmpegRecording(const QString& name, const QStringList& arguments);

// Writes recordings with zyn-cardgen into `folder`: "drf_20250614_142337.mp4" and the next
// ones four seconds apart. Empty on success, else ffmpeg's or the writer's complaint.
QString makeCard(const QString& folder, const QStringList& options);

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

using testsupport::ProcessResult;
inline ProcessResult run(const QString& program, const QStringList& args)
{
    return testsupport::runProcess(program, args);
}

} // namespace cutrec
