#pragma once

#include "recover/MediaWalker.h"
#include "recover/ReferenceMovie.h"

#include <QByteArray>

#include <cstdint>

// The new index of a recovered recording: the reference's sample descriptions, time scales,
// frame durations and edit lists, with tables (stts, stss, stsc, stsz, stco or co64) for the
// samples the walk found, at the places they have in the file.
namespace recover {

QByteArray buildIndex(const ReferenceMovie& reference, const std::vector<TrackSamples>& tracks);

// The duration in seconds of the recovered video track.
double videoSeconds(const ReferenceMovie& reference, const std::vector<TrackSamples>& tracks);

} // namespace recover
