#pragma once

#include "recover/Mp4Boxes.h"

#include <QString>

// The sample description of a reference's track (its stsd box), read and checked against what
// its codec needs before anything is walked: the new index copies it, so a damaged one would
// make a file that no player opens.
namespace recover {

struct TrackInfo;

// Fills the track's codec, decoder configuration, picture size or sound parameters from the
// stsd payload (version and flags first). An empty string when the description is sound and
// of a known codec; else what is wrong (English, technical: box names and numbers).
QString readSampleDescription(Bytes stsd, TrackInfo& track);

// A data reference box (dinf) that names the media as being in the same file, every entry
// whole. An empty string when it is.
QString checkDataInformation(Bytes dinf);

} // namespace recover
