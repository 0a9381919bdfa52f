#include "drive/DriveAnalysis.h"

#include "drive/DriveGrouping.h"
#include "drive/EventDetector.h"
#include "drive/GreatCircle.h"
#include "drive/RecordingTelemetry.h"
#include "recording/CardFiles.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace drive {

namespace {

constexpr double kImplausibleKmh = 300;

std::vector<TimelineSecond> buildTimeline(
    const std::vector<RecordingTelemetry>& recordings, const std::vector<qint64>& offsets)
{
    std::vector<TimelineSecond> timeline;
    for (size_t k = 0; k < recordings.size(); ++k) {
        const RecordingTelemetry& r = recordings[k];
        for (int j = 0; j < r.lengthSeconds; ++j) {
            const size_t i = size_t(j);
            timeline.push_back(
                {i < r.seconds.size() ? &r.seconds[i] : nullptr, offsets[k] + j, int(k), j});
        }
    }
    return timeline;
}

// Distance, route, speeds and standing time over the drive's valid fixes. A fix that would need
// more than a car's speed to reach from the one before is a receiver's jump: that step is not
// counted, and measuring goes on from the new place.
void measureTravel(
    const std::vector<TimelineSecond>& timeline, const DetectionThresholds& t, DriveSummary& out)
{
    const TimelineSecond* anchor = nullptr;
    double metres = 0;
    double movingSum = 0;
    for (const TimelineSecond& s : timeline) {
        if (!s.data || !s.data->hasFix)
            continue;
        const TelemetrySecond& fix = *s.data;
        out.speeds.push_back({s.offset, fix.speedKmh, s.recording, s.second});
        if (fix.speedKmh <= kImplausibleKmh) {
            out.maxSpeedKmh = std::max(out.maxSpeedKmh, double(fix.speedKmh));
            if (fix.speedKmh >= t.stationaryKmh) {
                ++out.movingSeconds;
                movingSum += fix.speedKmh;
            } else {
                ++out.stoppedSeconds;
            }
        }
        if (!anchor) {
            anchor = &s;
            out.route.push_back({fix.latitude, fix.longitude});
            continue;
        }
        const qint64 elapsed = s.offset - anchor->offset;
        if (elapsed <= 0)
            continue; // recordings that overlap in time: the second was measured already
        const double step = greatCircleMetres(
            anchor->data->latitude, anchor->data->longitude, fix.latitude, fix.longitude);
        if (step / double(elapsed) * 3.6 <= kImplausibleKmh) {
            metres += step;
            out.route.push_back({fix.latitude, fix.longitude});
        }
        anchor = &s;
    }
    // Recordings that overlap give some seconds twice; the profile wants them in time order.
    std::stable_sort(out.speeds.begin(), out.speeds.end(),
        [](const SpeedSecond& a, const SpeedSecond& b) { return a.offset < b.offset; });
    out.distanceKm = metres / 1000;
    out.meanMovingSpeedKmh = out.movingSeconds ? movingSum / double(out.movingSeconds) : 0;
}

bool holds(const DriveSummary& drive, int recording)
{
    return recording >= 0 && size_t(recording) < drive.recordingOffsets.size()
        && size_t(recording) < drive.recordingLengths.size();
}

qint64 eventOffset(const DriveSummary& drive, const DriveEvent& e)
{
    return holds(drive, e.recording) ? drive.recordingOffsets[size_t(e.recording)] + e.second : 0;
}

double positionOffset(const DriveSummary& drive, const DrivePosition& p)
{
    if (!holds(drive, p.recording))
        return 0;
    return double(drive.recordingOffsets[size_t(p.recording)]) + p.second;
}

double playOffset(const DriveSummary& drive, const DriveEvent& e, int lead)
{
    return double(std::max<qint64>(0, eventOffset(drive, e) - lead));
}

// How close to an event's play position the viewer still counts as watching it.
constexpr double kWatchingSeconds = 1;

} // namespace

DriveSummary summariseDrive(
    const std::vector<RecordingTelemetry>& recordings, const DetectionThresholds& thresholds)
{
    DriveSummary out;
    if (recordings.empty())
        return out;
    out.start = recordings.front().start;
    out.end = out.start;
    for (const RecordingTelemetry& r : recordings) {
        out.recordings << r.path;
        out.recordingOffsets.push_back(out.start.secsTo(r.start));
        out.recordingLengths.push_back(r.lengthSeconds);
        out.end = std::max(out.end, r.start.addSecs(r.lengthSeconds));
    }
    out.durationSeconds = out.start.secsTo(out.end);

    const std::vector<TimelineSecond> timeline = buildTimeline(recordings, out.recordingOffsets);
    measureTravel(timeline, thresholds, out);
    out.events = detectEvents(timeline, thresholds);
    for (DriveEvent& e : out.events)
        e.time = recordings[size_t(e.recording)].start.addSecs(e.second);
    for (size_t k = 0; k < recordings.size(); ++k) {
        for (const CameraEvent& c : recordings[k].cameraEvents) {
            DriveEvent e;
            e.recording = int(k);
            e.time = c.time;
            e.second = c.time.isValid() ? int(recordings[k].start.secsTo(c.time)) : 0;
            e.text = c.text;
            out.events.push_back(e);
        }
    }
    // The camera's events first where both mark the same second: its own mark is the one the
    // driver knows.
    std::stable_sort(
        out.events.begin(), out.events.end(), [&](const DriveEvent& a, const DriveEvent& b) {
            const qint64 x = eventOffset(out, a), y = eventOffset(out, b);
            if (x != y)
                return x < y;
            return (a.kind == EventKind::Camera) > (b.kind == EventKind::Camera);
        });
    return out;
}

Analysis analyseRecordings(const QStringList& pathsOrFolders, const DetectionThresholds& thresholds,
    const std::atomic<bool>* cancel, const Progress& progress)
{
    Analysis analysis;
    QStringList paths;
    QSet<QString> seen;
    for (const QString& p : pathsOrFolders) {
        const QStringList found
            = QFileInfo(p).isDir() ? recording::folderRecordings(p) : QStringList{p};
        for (const QString& path : found) {
            if (!seen.contains(path)) {
                seen.insert(path);
                paths << path;
            }
        }
    }
    std::vector<RecordingTelemetry> read;
    std::vector<RecordingSpan> spans;
    for (int i = 0; i < paths.size(); ++i) {
        if (cancel && cancel->load()) {
            analysis.cancelled = true;
            return analysis;
        }
        RecordingTelemetry r;
        const ReadResult result = readRecording(paths[i], r);
        if (result == ReadResult::NotARecordingName)
            analysis.problems.push_back({paths[i],
                QStringLiteral("the name holds no recording start (prefix_YYYYMMDD_HHMMSS)")});
        else if (result == ReadResult::CannotOpen)
            analysis.problems.push_back({paths[i], QStringLiteral("the file cannot be opened")});
        else {
            spans.push_back({r.start, r.lengthSeconds});
            read.push_back(std::move(r));
        }
        if (progress)
            progress(i + 1, int(paths.size()));
    }
    for (const std::vector<int>& group : groupDrives(spans)) {
        std::vector<RecordingTelemetry> recordings;
        recordings.reserve(group.size());
        for (int i : group)
            recordings.push_back(std::move(read[size_t(i)]));
        analysis.drives.push_back(summariseDrive(recordings, thresholds));
    }
    return analysis;
}

int driveOf(const std::vector<DriveSummary>& drives, const QString& path)
{
    for (size_t d = 0; d < drives.size(); ++d) {
        if (drives[d].recordings.contains(path))
            return int(d);
    }
    return -1;
}

DrivePosition eventPlayPosition(const DriveSummary& drive, const DriveEvent& event, int lead)
{
    if (!holds(drive, event.recording))
        return {};
    const double target = playOffset(drive, event, lead);
    // The recording that holds the target, the event's own when it starts inside it.
    for (int k = event.recording; k >= 0; --k) {
        const double begin = double(drive.recordingOffsets[size_t(k)]);
        const double length = double(drive.recordingLengths[size_t(k)]);
        if (target >= begin && (target < begin + length || k == event.recording))
            return {k, target - begin};
    }
    return {event.recording, 0};
}

namespace {

bool holdsEvent(const DriveSummary& drive, int index)
{
    return index >= 0 && size_t(index) < drive.events.size();
}

// Whether the position is still with the event: from a moment before its play position (the
// player lands a fraction early or late) until `lead` seconds after the event.
bool staysWith(const DriveSummary& drive, double now, int index, int lead)
{
    if (!holdsEvent(drive, index))
        return false;
    const DriveEvent& e = drive.events[size_t(index)];
    return now >= playOffset(drive, e, lead) - kWatchingSeconds
        && now <= double(eventOffset(drive, e) + lead);
}

} // namespace

int nextEventIndex(const DriveSummary& drive, const DrivePosition& position, int jumpedTo, int lead)
{
    const double now = positionOffset(drive, position);
    const int count = int(drive.events.size());
    if (staysWith(drive, now, jumpedTo, lead)) {
        const qint64 from = eventOffset(drive, drive.events[size_t(jumpedTo)]);
        for (int i = 0; i < count; ++i) {
            if (eventOffset(drive, drive.events[size_t(i)]) > from)
                return i;
        }
        return -1;
    }
    for (int i = 0; i < count; ++i) {
        if (playOffset(drive, drive.events[size_t(i)], lead) > now + kWatchingSeconds)
            return i;
    }
    return -1;
}

int previousEventIndex(
    const DriveSummary& drive, const DrivePosition& position, int jumpedTo, int lead)
{
    const double now = positionOffset(drive, position);
    const bool withJumped = staysWith(drive, now, jumpedTo, lead);
    const double before
        = withJumped ? double(eventOffset(drive, drive.events[size_t(jumpedTo)])) : now - lead;
    for (int i = int(drive.events.size()) - 1; i >= 0; --i) {
        if (double(eventOffset(drive, drive.events[size_t(i)])) < before)
            return i;
    }
    return -1;
}

int eventInView(const DriveSummary& drive, const DrivePosition& position, int jumpedTo, int lead)
{
    const double now = positionOffset(drive, position);
    if (staysWith(drive, now, jumpedTo, lead))
        return jumpedTo;
    for (int i = int(drive.events.size()) - 1; i >= 0; --i) {
        if (playOffset(drive, drive.events[size_t(i)], lead) <= now + kWatchingSeconds)
            return staysWith(drive, now, i, lead) ? i : -1;
    }
    return -1;
}

} // namespace drive
