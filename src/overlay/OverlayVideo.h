#pragma once

#include "clip/StreamCopy.h"
#include "overlay/OverlayBand.h"

#include <QString>

// The clip as an ordinary video: its frames with the telemetry band under them, encoded as
// H.264 (libx264 through libavcodec) that plays anywhere, the sound copied as it is.
namespace overlay {

struct VideoOptions
{
    int speedUnit = 0; // of the band's speed
    // x264's constant quality: 20 keeps the road's detail and the band's small text sharp at
    // about the camera's own bit rate.
    int quality = 20;
};

// Reads `clip` (a clip the export wrote, its telemetry block in it), draws the band under each
// of its frames and writes the result to `output` (created or truncated; MP4 with its index at
// the front, so it plays while it downloads). Returns a clip::CopyResult; `error` says what
// failed. Progress runs from `progressFrom` to `progressTo`; cancel is looked at between frames.
int drawClip(const QString& clip, const QString& output, const VideoOptions& options,
    const clip::Control& control, double progressFrom, double progressTo, QString* error);

} // namespace overlay
