#pragma once

#include "recover/MediaWalker.h"
#include "recover/ReferenceMovie.h"

#include <QByteArray>

#include <cstdint>

// The new index of a recovered recording: the reference's sample descriptions, time scales,
// frame durations and edit lists, with tables (stts, ctts, stss, stsc, stsz, stco or co64) for
// the samples the walk found, at the places they have in the new file.
namespace recover {

struct IndexResult
{
    QByteArray moov;
    // The pictures' display times come from their picture order counts; false when the stream
    // reorders pictures and their counts could not be read (display times then approximate).
    bool orderKnown = true;
};

// `shift` is added to every chunk offset: the media data lie that much further on in the new
// file than in the damaged one (a longer media box header).
IndexResult buildIndex(
    const ReferenceMovie& reference, const std::vector<TrackSamples>& tracks, uint64_t shift = 0);

// The duration in seconds of the recovered video track.
double videoSeconds(const ReferenceMovie& reference, const std::vector<TrackSamples>& tracks);

} // namespace recover
