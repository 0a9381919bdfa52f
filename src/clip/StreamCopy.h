#pragma once

#include "clip/ClipSpan.h"

#include <atomic>
#include <functional>

// Cuts and joins the pieces of a clip into one MP4 by copying their packets: no picture or
// sound is decoded or encoded, so every frame stays bit-identical to the camera's.
namespace clip {

// How the caller follows and stops a long export, from any thread: `progress` is called on the
// exporting thread with the part done (0 to 1); `cancel` is read between packets.
struct Control
{
    std::function<void(double)> progress;
    const std::atomic<bool>* cancel = nullptr;
    bool cancelled() const { return cancel && cancel->load(); }
    void report(double done) const
    {
        if (progress)
            progress(done);
    }
};

enum CopyResult : int { CopyDone = 0, CopyReadFailed = 1, CopyWriteFailed = 2, CopyCancelled = 3 };

// Writes the pieces, in order, as one MP4 at `output` (created or truncated). The clip starts
// exactly at the first piece's start: the frames of its group of pictures before that moment are
// copied too, since they are needed to decode it, and an edit list tells players to skip them.
// Every piece's timestamps are moved by the same amount for its sound and picture, so they stay
// in step across joins. Progress runs from `progressFrom` to `progressTo`.
// On failure `error` names the step and, for a read failure, the recording; `failedPiece` is
// then the index of the piece that could not be copied.
int copyStreams(const QList<Piece>& pieces, const QString& output, const Control& control,
    double progressFrom, double progressTo, QString* error, qsizetype* failedPiece);

} // namespace clip
