// The walk through cut media data and the index built from what it found, on any bytes. The
// first byte chooses the video codec, whether sound follows each picture and how many samples
// a chunk holds; the rest is the media data. Every sample found must lie within the data, in
// order and without overlap.

#include "recover/IndexWriter.h"
#include "recover/MediaReader.h"
#include "recover/MediaWalker.h"
#include "recover/ReferenceMovie.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

namespace {

recover::ReferenceMovie reference(uint8_t choice)
{
    using recover::Codec;
    recover::ReferenceMovie movie;
    movie.movieTimescale = 1000;
    recover::TrackInfo video;
    const Codec codecs[] = {Codec::H264, Codec::Mpeg4Visual, Codec::Mjpeg, Codec::Hevc};
    video.codec = codecs[choice % 4];
    video.kind = recover::TrackKind::Video;
    video.timescale = 15360;
    video.sampleDuration = 512;
    video.width = 640;
    video.height = 480;
    video.nalLengthSize = 1 + (choice >> 6 & 3) % 4;
    if (video.nalLengthSize == 3)
        video.nalLengthSize = 4;
    video.minSampleSize = 8;
    video.maxSampleSize = 4096;
    movie.tracks.push_back(video);
    const bool sound = choice & 4;
    if (sound) {
        recover::TrackInfo aac;
        aac.kind = recover::TrackKind::Sound;
        aac.codec = Codec::Aac;
        aac.aacObjectType = 2;
        aac.aacRateIndex = 5;
        aac.aacChannelConfig = 1;
        aac.timescale = 32000;
        aac.sampleDuration = 1024;
        aac.channels = 1;
        aac.sampleRate = 32000;
        aac.extradata = QByteArray("\x12\x88", 2); // AAC LC, 32 kHz, one channel
        aac.minSampleSize = 4;
        aac.maxSampleSize = 400;
        movie.tracks.push_back(aac);
    }
    const uint32_t perChunk = 1 + (choice >> 3 & 3);
    for (int i = 0; i < 8; ++i) {
        movie.pattern.push_back({0, perChunk});
        if (sound)
            movie.pattern.push_back({1, 1 + uint32_t(i % 2)});
    }
    recover::findPeriod(movie);
    return movie;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const recover::ReferenceMovie movie = reference(data[0]);
    QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    recover::MediaReader reader(buffer, uint64_t(bytes.size()));
    recover::MediaWalker walker(movie, reader);
    if (!walker.prepare())
        std::abort();
    walker.walk(0);
    uint64_t end = 0;
    for (const recover::TrackSamples& track : walker.tracks()) {
        uint64_t previous = 0;
        for (const recover::FoundSample& s : track.samples) {
            if (s.size == 0 || s.offset < previous || s.offset + s.size > uint64_t(bytes.size()))
                std::abort();
            previous = s.offset + s.size;
        }
        uint32_t counted = 0;
        for (const recover::FoundChunk& c : track.chunks)
            counted += c.samples;
        if (counted != track.count())
            std::abort();
        end = std::max(end, previous);
    }
    if (walker.end() != end)
        std::abort();
    const QByteArray index = recover::buildIndex(movie, walker.tracks()).moov;
    return index.isEmpty() ? 1 : 0;
}
