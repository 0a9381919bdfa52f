#pragma once

#include "drive/DriveTypes.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

// The drives of a set of recordings and their summaries: what the viewer's play list, summary
// popup and event keys, and zyn-telemetry, ask of this library. Every function here is a plain
// computation over files, safe to run on a worker thread; none touches a widget.
namespace drive {

struct RecordingTelemetry;

// Summary of one drive whose recordings are given in time order.
DriveSummary summariseDrive(
    const std::vector<RecordingTelemetry>& recordings, const DetectionThresholds& thresholds);

struct Problem
{
    QString path;
    QString reason;
};

struct Analysis
{
    std::vector<DriveSummary> drives; // in time order
    std::vector<Problem> problems; // recordings left out, with the reason
    bool cancelled = false;
};

// Called after each recording read, with the count read and the total.
using Progress = std::function<void(int done, int total)>;

// Reads the given recordings (folders stand for the recordings in them), groups them into
// drives and summarises each. A set `cancel` stops the work between two recordings; the
// result then says so and holds no drives.
Analysis analyseRecordings(const QStringList& pathsOrFolders,
    const DetectionThresholds& thresholds = {}, const std::atomic<bool>* cancel = nullptr,
    const Progress& progress = {});

// The drive a recording belongs to (by its path as given), or -1.
int driveOf(const std::vector<DriveSummary>& drives, const QString& path);

// A place in a drive: a recording of it and a second within that recording.
struct DrivePosition
{
    int recording = 0;
    double second = 0;
};

// Seconds before an event that a jump to it lands on, so the run-up is seen.
constexpr int kEventLeadSeconds = 5;

// Where to play from to see an event: `leadSeconds` before it, in the recording before when
// the event comes early in its own (never before the drive's start).
DrivePosition eventPlayPosition(
    const DriveSummary& drive, const DriveEvent& event, int leadSeconds = kEventLeadSeconds);

// The event keys' moves through a drive's events (indices into drive.events, -1 for none).
// `jumpedTo` is the event the viewer last jumped to (-1 for none). While the position stays
// with it, from its play position until `lead` seconds after it, the next and previous events
// are those after and before it: a jump never replays the event it came from, however long
// the driver watched it, and events close together are each reached. Events of the same
// second share their play position and count as one. Without such an event, the next event is
// the first whose play position lies ahead of the position, and the previous one the last
// that happened more than `lead` seconds before the position.
int nextEventIndex(const DriveSummary& drive, const DrivePosition& position, int jumpedTo = -1,
    int leadSeconds = kEventLeadSeconds);
int previousEventIndex(const DriveSummary& drive, const DrivePosition& position, int jumpedTo = -1,
    int leadSeconds = kEventLeadSeconds);
// The event being watched at the position: the one jumped to while the position stays with
// it, else the last whose play position has been reached, until `lead` seconds after it; -1
// when the position lies between events.
int eventInView(const DriveSummary& drive, const DrivePosition& position, int jumpedTo = -1,
    int leadSeconds = kEventLeadSeconds);

} // namespace drive
