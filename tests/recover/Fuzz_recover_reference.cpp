// The reference reader on any bytes taken for a whole file: every table checked before use, so a
// hostile one ends the reading in bounded time and memory. A reference that is taken must hold
// together (its pattern names its tracks, its rhythm lies within the pattern), and its own media
// data are then walked with it and given an index, as a recording cut where the file ends would
// be.

#include "recording/RecordingCheck.h"
#include "recover/IndexWriter.h"
#include "recover/MediaReader.h"
#include "recover/MediaWalker.h"
#include "recover/ReferenceMovie.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    recover::ReferenceMovie movie;
    if (recover::readReference(file, movie).error != recover::ReferenceError::None)
        return 0;
    if (movie.videoTrack() < 0 || movie.period > movie.pattern.size()
        || movie.periodStart + movie.period > movie.pattern.size())
        std::abort();
    for (size_t i = 0; i < movie.pattern.size() + 2 * movie.period + 2; ++i) {
        const recover::ChunkStep step = movie.step(i);
        if (step.track >= int(movie.tracks.size()) || (step.track >= 0 && step.samples == 0))
            std::abort();
    }
    const recording::RecordingCheck check = recording::checkRecording(file);
    recover::MediaReader reader(file, check.mediaEnd);
    recover::MediaWalker walker(movie, reader);
    if (!walker.prepare())
        return 0;
    walker.walk(check.mediaStart + movie.firstChunkGap);
    for (const recover::TrackSamples& track : walker.tracks()) {
        for (const recover::FoundSample& s : track.samples) {
            if (s.size == 0 || s.offset + s.size > check.mediaEnd)
                std::abort();
        }
    }
    return recover::buildIndex(movie, walker.tracks()).moov.isEmpty() ? 1 : 0;
}
