#pragma once

#include "support/Process.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
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
