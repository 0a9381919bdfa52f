#pragma once

#include <QString>

#include <cstdint>

class QIODevice;

// Whether a recording was closed by the camera. The camera writes the index ("moov") only when
// it closes a file, so a power cut leaves the file type box and media data without it. Only the
// top-level box headers are read, so checking a card's worth of recordings stays cheap.
namespace recording {

enum class RecordingState : int {
    Intact, // an index that lies wholly in the file
    IndexMissing, // media data, no index: the camera never closed the file
    IndexCut, // the file ends inside the index: cut while the camera was closing it
    Empty, // a file type box at most, or media data without a byte in it
    NotRecording, // not a box structure that starts with a file type box
    Unreadable, // cannot be opened or read
};

struct RecordingCheck
{
    RecordingState state = RecordingState::Unreadable;
    uint64_t fileSize = 0;
    // The media data present in the file: the contents of the "mdat" box, cut at the file's end.
    uint64_t mediaStart = 0;
    uint64_t mediaEnd = 0;
    uint64_t mdatOffset = 0; // the media box's header
    uint32_t mdatHeaderLength = 0; // 8, or 16 for the 64-bit size form; 0 when there is none
};

RecordingCheck checkRecording(QIODevice& device);
RecordingCheck checkRecording(const QString& path);

// Index missing or cut: the media data are there and a new index can be written for them.
inline bool isRecoverable(RecordingState state)
{
    return state == RecordingState::IndexMissing || state == RecordingState::IndexCut;
}

// The file at path is a recording the camera never closed, which can be recovered.
bool isRecoverable(const QString& path);

// One English sentence for a tooltip; marked for translation in the "recording" context.
const char* recordingStateReason(RecordingState state);

} // namespace recording
