#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class QIODevice;

// What a healthy recording of the same camera tells about a cut one: the sample descriptions,
// time scales and frame durations of its tracks, and the order in which its chunks follow each
// other in the media data. Every table is checked against the others and against the file
// before it is used: a damaged or hostile reference is refused, never followed.
namespace recover {

enum class Codec { Unknown, H264, Hevc, Mpeg4Visual, Mjpeg, Aac, AmrNb, AmrWb, Pcm };
enum class TrackKind { Video, Sound, Other };

const char* codecName(Codec codec);

struct TrackInfo
{
    TrackKind kind = TrackKind::Other;
    Codec codec = Codec::Unknown;
    bool video() const { return kind == TrackKind::Video; }
    bool sound() const { return kind == TrackKind::Sound; }
    uint32_t trackId = 0;
    uint32_t timescale = 0;
    uint32_t sampleDuration = 0; // the most common one
    // Decoder configuration: the avcC or hvcC record, or the esds' decoder specific info.
    QByteArray extradata;
    int nalLengthSize = 4; // H.264 and HEVC
    int width = 0, height = 0;
    int channels = 0, sampleRate = 0;
    int aacObjectType = 0, aacRateIndex = 0, aacChannelConfig = 0;
    uint32_t minSampleSize = 0, maxSampleSize = 0;
    // The one size of every sample (stsz's sample size, or equal entries): PCM frames and
    // fixed-size metadata. 0 when sizes vary.
    uint32_t fixedSampleSize = 0;
    // The size most samples have (a metadata track's records, bar the first or last): 0 when
    // sizes vary.
    uint32_t commonSampleSize = 0;
    uint32_t samplesPerChunk = 1; // the most common number
    bool compositionOffsets = false; // the reference reorders frames (ctts)
    int64_t compositionDelay = 0; // its first sample's offset: how far display lags decoding
    // Boxes copied into the new index as they are (headers included).
    QByteArray tkhd, edts, mdhd, hdlr, mediaHeader, dinf, stsd;
};

// One chunk of the reference in file order: which track, how many samples, how many bytes.
struct ChunkStep
{
    int track = -1;
    uint32_t samples = 0;
    uint64_t bytes = 0;
    bool operator==(const ChunkStep& o) const { return track == o.track && samples == o.samples; }
};

struct ReferenceMovie
{
    QString path;
    QByteArray mvhd;
    uint32_t movieTimescale = 0;
    std::vector<TrackInfo> tracks; // video, sound and the others whose chunks lie between
    std::vector<ChunkStep> pattern;
    // Bytes between the start of the media data and the first chunk (0 for most muxers).
    uint64_t firstChunkGap = 0;
    size_t periodStart = 0; // steps past the pattern repeat pattern[periodStart, +period)
    size_t period = 0;

    int videoTrack() const;
    bool hasSound() const;
    // The step `index` of the chunk pattern, continued periodically past the reference's end;
    // track -1 past the end when there is no period.
    ChunkStep step(size_t index) const;
};

enum class ReferenceError {
    None,
    Unreadable,
    NoIndex,
    NoVideo,
    UnknownCodec,
    DamagedDescription, // a sample description, header or data reference box
    DamagedTables, // tables that contradict each other or point outside the file
};

struct ReferenceProblem
{
    ReferenceError error = ReferenceError::None;
    QString detail; // English, technical: which box and what is wrong
};

// Reads and checks the index of a healthy recording. The index is read whole (it is small next
// to the media data, and larger than any camera's is refused); the media data are never read.
ReferenceProblem readReference(QIODevice& device, ReferenceMovie& movie);
ReferenceProblem readReference(const QString& path, ReferenceMovie& movie);

// Finds a period in the tail of the pattern so that a cut recording longer than its reference
// can still be walked. Looks at a bounded tail only, whatever the pattern's length.
void findPeriod(ReferenceMovie& movie);

} // namespace recover
