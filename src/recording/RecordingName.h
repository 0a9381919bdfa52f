#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Recording kinds and the facts a recording's file name carries: the camera names every file
// prefix + "_" + YYYYMMDD + "_" + HHMMSS (for example "evt_20240501_123450.mp4").
namespace recording {

enum RecordingType : int { NotARecording = -1, Continuous = 0, Event = 1, ManualEvent = 2 };

// The kind by the prefixes "drf_", "muevt_", "evt_" found in the path at index 1 or later.
RecordingType recordingType(const QString& path);

// True when the file's name (not its folders) holds "evt_" (event and manual event recordings,
// and copies and clips of them), the recordings whose event index is loaded.
bool hasEventIndex(const QString& path);

// Index where the name part starts: the last found at index 1 or later of "drf_", "evt_",
// "muevt_", tried in that order; -1 when none is found.
qsizetype namePartStart(const QString& path);

// The kind's prefix without its underscore: "drf", "evt", "muevt" (a path that is none of them
// counts as continuous, as the camera's own names are).
QString kindName(const QString& path);

// The eight date characters YYYYMMDD after the name part's prefix (empty when there are none).
QString recordingDateText(const QString& path);

// The start date and time from the file name part (not the folders, whose names may hold "_"
// too), as a zone-less wall-clock moment; nothing when the name does not follow the pattern.
std::optional<QDateTime> recordingStart(const QString& path);

} // namespace recording
