#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class QIODevice;

// What a healthy recording of the same camera tells about a cut one: the sample descriptions,
// time scales and frame durations of its tracks, and the order in which its video and sound
// chunks follow each other in the media data.
namespace recover {

enum class Codec { Unknown, H264, Mpeg4Visual, Mjpeg, Aac, AmrNb, AmrWb };

const char* codecName(Codec codec);
inline bool isVideo(Codec codec)
{
    return codec == Codec::H264 || codec == Codec::Mpeg4Visual || codec == Codec::Mjpeg;
}

struct TrackInfo
{
    Codec codec = Codec::Unknown;
    bool video = false;
    uint32_t trackId = 0;
    uint32_t timescale = 0;
    uint32_t sampleDuration = 0; // the most common one
    QByteArray extradata; // decoder configuration: the avcC record or the esds' specific info
    int nalLengthSize = 4; // H.264 only
    int width = 0, height = 0;
    int channels = 0, sampleRate = 0;
    uint32_t minSampleSize = 0, maxSampleSize = 0;
    bool compositionOffsets = false; // the reference reorders frames (ctts)
    // Boxes copied into the new index as they are (headers included).
    QByteArray tkhd, edts, mdhd, hdlr, mediaHeader, dinf, stsd;
};

// One chunk of the reference in file order: which track, how many samples.
struct ChunkStep
{
    int track = 0;
    uint32_t samples = 0;
    bool operator==(const ChunkStep&) const = default;
};

struct ReferenceMovie
{
    QString path;
    QByteArray mvhd;
    uint32_t movieTimescale = 0;
    std::vector<TrackInfo> tracks; // video and sound only
    std::vector<ChunkStep> pattern;
    // Bytes between the start of the media data and the first chunk (0 for most muxers).
    uint64_t firstChunkGap = 0;
    size_t periodStart = 0; // steps past the pattern repeat pattern[periodStart, +period)
    size_t period = 0;

    int videoTrack() const;
    // The step `index` of the chunk pattern, continued periodically past the reference's end.
    ChunkStep step(size_t index) const;
};

enum class ReferenceError { None, Unreadable, NoIndex, NoVideo, UnknownCodec };

// Reads the index of a healthy recording. The index is read whole (it is small next to the
// media data); the media data are never read.
ReferenceError readReference(QIODevice& device, ReferenceMovie& movie);
ReferenceError readReference(const QString& path, ReferenceMovie& movie);

// Finds a period in the tail of the pattern so that a cut recording longer than its reference
// can still be walked.
void findPeriod(ReferenceMovie& movie);

} // namespace recover
