#pragma once

#include <QMetaType>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

// Recovering a recording the camera never closed: a new file "<name>_recovered.mp4" with the
// media data of the damaged one, byte for byte, and a new index built from a healthy recording
// of the same camera. The damaged file is only read. Usable from any thread; no widgets.
namespace recover {

enum class Outcome : int {
    Recovered,
    // Written and playable, but the walk stopped before the media data ended: what follows
    // looks like more of the recording and was left unread (the message says how much).
    PartlyRecovered,
    NothingToRecover, // intact, empty, not a recording, or no sample in the media data
    NoReference, // no healthy recording of the same kind in the folder (or given)
    ReferenceRefused, // the given reference cannot serve: another codec, no index, ...
    Cancelled,
    ReadFailed,
    WriteFailed, // including: the recovered file exists already (never overwritten)
};

struct Request
{
    QString recording;
    QString reference; // empty: the nearest healthy recording in time of the same kind
    // Written into when the recording's own folder is not writable; empty: no fallback.
    QString fallbackFolder;
};

struct Report
{
    Outcome outcome = Outcome::NothingToRecover;
    QString message; // for the user, in the application's language (English by default)
    QString output; // the recovered file, when recovered
    QString reference; // the recording that supplied the index
    uint32_t videoFrames = 0;
    uint32_t soundFrames = 0;
    double seconds = 0; // of video recovered
    uint64_t mediaBytes = 0; // media data in the damaged file
    uint64_t keptBytes = 0; // of them, in the recovered file
    uint64_t unreadBytes = 0; // of them, after the walk's end, that look like more pictures
};

// Progress in thousandths, called on the recovering thread.
using Progress = std::function<void(int permille)>;

Report recoverRecording(const Request& request, const std::atomic<bool>* cancel = nullptr,
    const Progress& progress = {});

// The nearest healthy recording in time of the same kind (drf_, evt_, muevt_) in the same folder,
// or an empty string.
QString findReference(const QString& recording);

// "<name>_recovered.mp4" for "<name>.<ext>" (file name only).
QString recoveredFileName(const QString& recording);

// Exit status of the command line: 0 recovered, 1 nothing to recover, no reference or a
// reference that cannot serve, 2 a file could not be read or written (or Ctrl-C), 3 recovered
// only in part.
int exitStatus(Outcome outcome);

} // namespace recover

Q_DECLARE_METATYPE(recover::Report)
