#pragma once

#include <QDateTime>
#include <QString>

class QIODevice;

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// The event index of an event recording: an "EVTI" box of 256-byte text records, each naming
// an event's moment as "YYYY/MM/DD HH:MM:SS", and where the main window marks those moments
// above the seek scale.
namespace recording {

struct EventIndex
{
    static constexpr size_t kRecordSize = 256;

    bool loaded = false; // a box was found and had a usable size
    int32_t count = 0;
    std::vector<uint8_t> records; // count × 256 bytes, kept until the next load replaces it

    // Record i's text, up to its NUL (i must be below count).
    std::string_view recordText(int32_t i) const;
};

// Marker geometry: bitmap 267 is drawn with its top-left corner at (x, kMarkerTop); the seek
// scale runs from kScaleLeft at the start of the recording over kScaleWidth pixels.
constexpr int kMarkerTop = 466;
constexpr int kScaleLeft = 44;
constexpr int kScaleWidth = 342;

// Where the camera writes its event index: after the telemetry block ("udat") or, in a
// recording without one, after the movie index ("moov"), as a top-level box or at a file offset
// that is a multiple of 4 among the bytes there. Nowhere else: picture and sound data may hold
// the four letters "EVTI" by chance, and a search there would take them for an index.
//
// The offset of the "EVTI" box in a whole file held in memory, when it has one there.
std::optional<uint64_t> findEventBox(std::span<const uint8_t> file);

// Loads the records of the "EVTI" box that starts at box[0] (the box as far as the data holds
// it). `state.loaded` is cleared first; a size below the header leaves it cleared. Records the
// data ends before are not loaded; a record it cuts short is filled with zeros.
void loadEventBox(std::span<const uint8_t> box, EventIndex& state);

// Loads the index of a whole file held in memory (see findEventBox()); `state.loaded` stays
// cleared when it has none.
void loadEventRecords(std::span<const uint8_t> file, EventIndex& state);

// The same from a recording file: its top-level box headers and the bytes after its telemetry
// block are read, never the video. Returns false when the file cannot be opened or read.
bool loadEventRecords(const QString& path, EventIndex& state);
bool loadEventRecords(QIODevice& device, EventIndex& state);

// The same from a telemetry block's copy, the bytes from the "udat" box to the end of the file
// as readTelemetryBlock() gives them, which start at `blockOffset` in the file: nothing is read.
void loadEventRecordsFromBlock(
    std::span<const uint8_t> block, uint64_t blockOffset, EventIndex& state);

// The moment a record's text names, when it holds a valid "YYYY/MM/DD HH:MM:SS".
std::optional<QDateTime> eventMoment(std::string_view recordText);

// The x of each marker to draw, in record order, for a recording that started at `start`
// (see recordingStart()) and lasts `durationSeconds`. A record without a date is skipped; an
// event at the start second draws nothing; an event before the start ends the list.
std::vector<int> eventMarkerPositions(
    const EventIndex& state, const std::optional<QDateTime>& start, long long durationSeconds);

} // namespace recording
