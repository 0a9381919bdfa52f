#pragma once

#include "archive/ArchiveTypes.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

// What the archive answers: drives, their tracks and events, the moments a search finds, and
// whether the files are still as they were imported. Each call is one or a few statements on
// the archive's connection, so it runs on the thread that opened the archive.
namespace archive {

class Archive;

struct DriveFilter
{
    std::optional<qint64> from; // the drive's start, in `timeBase`, inclusive
    std::optional<qint64> to; // exclusive
    TimeBase timeBase = TimeBase::Camera;
    QString vehicle;
    std::vector<qint64> ids; // only these drives, when not empty
};

// Drives in time order. Each drive's clock tells the jump within it, or else since the
// vehicle's drive before.
bool drives(
    const Archive& archive, const DriveFilter& filter, std::vector<DriveRow>* out, QString* error);

// The days of a month (by the camera's clock) that hold the start of a drive.
bool driveDays(const Archive& archive, int year, int month, const QString& vehicle,
    std::vector<QDate>* out, QString* error);

// A drive's seconds with a fix, in time order: the speed profile and the route.
bool driveTrack(const Archive& archive, qint64 drive, std::vector<TrackPoint>* out, QString* error);
bool driveEvents(const Archive& archive, qint64 drive, std::vector<EventRow>* out, QString* error);

// The absolute paths of a drive's recordings, in time order.
QStringList driveRecordings(const Archive& archive, qint64 drive, QString* error);

QStringList vehicles(const Archive& archive, QString* error);

// The start of the latest drive (of the vehicle, when one is named) by the camera's clock;
// nothing when there is none or the query fails (then with `error`).
std::optional<qint64> latestDriveStart(
    const Archive& archive, const QString& vehicle, QString* error);

// A pass ends when the vehicle has been out of the circle for this long.
constexpr int kPassGapSeconds = 30;

// The moments that match: with kinds, the events of those kinds; otherwise, near a point, one
// moment per pass (its closest second); otherwise one per run of matching seconds (the fastest
// when a speed is asked for, else the first). In time order; false with `error` when the query
// fails or asks for nothing at all.
bool find(const Archive& archive, const Query& query, std::vector<Moment>* out, QString* error);

struct CheckProblem
{
    QString path; // absolute
    bool missing = false; // else changed: its size or hash differ from the index
};

struct CheckReport
{
    int checked = 0;
    std::vector<CheckProblem> problems;
    bool cancelled = false;
};

// Every indexed file against its size and SHA-256. `progress` gets (done, total) per file.
bool checkFiles(const Archive& archive, const std::atomic<bool>* cancel,
    const std::function<void(int, int)>& progress, CheckReport* out, QString* error);

} // namespace archive
