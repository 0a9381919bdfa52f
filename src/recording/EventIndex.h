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

// Offset of the "EVTI" box: offset 0 when its type is at 4, else the first multiple of 4
// whose type field lies inside the data.
std::optional<size_t> findEventBox(std::span<const uint8_t> data);

// The same search over a device, read in chunks of `chunkBytes` (a multiple of 4), so that a
// long recording is scanned without holding it in memory.
std::optional<qint64> findEventBox(QIODevice& device, qint64 chunkBytes = 1 << 20);

// Loads the index from file content. `state.loaded` is cleared first; a missing box or a box
// size below 8 leaves it cleared. Records that the file ends before are not loaded; a record
// the file cuts short is filled with zeros.
void loadEventRecords(std::span<const uint8_t> data, EventIndex& state);

// The same from a recording file: the box is searched chunk by chunk and only the box itself is
// then read. Returns false when the file cannot be opened or read.
bool loadEventRecords(const QString& path, EventIndex& state);

// The moment a record's text names, when it holds a valid "YYYY/MM/DD HH:MM:SS".
std::optional<QDateTime> eventMoment(std::string_view recordText);

// The x of each marker to draw, in record order, for a recording that started at `start`
// (see recordingStart()) and lasts `durationSeconds`. A record without a date is skipped; an
// event at the start second draws nothing; an event before the start ends the list.
std::vector<int> eventMarkerPositions(
    const EventIndex& state, const std::optional<QDateTime>& start, long long durationSeconds);

} // namespace recording
