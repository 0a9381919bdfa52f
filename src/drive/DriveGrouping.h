#pragma once

#include <QDateTime>

#include <vector>

namespace drive {

// A recording as the grouping sees it: the name's start and its length.
struct RecordingSpan
{
    QDateTime start;
    int lengthSeconds = 0;
};

// How far a recording may start from where the one before it ended and still continue it: the
// camera closes one file and opens the next within a second or two.
constexpr int kJoinToleranceSeconds = 3;

// Groups recordings into drives: each recording continues the drive when it starts within the
// tolerance of the previous recording's end, whatever its kind. Returns indices into `spans`,
// each drive in time order, drives in time order; equal starts keep the order of `spans`.
// Spans without a valid start are left out.
std::vector<std::vector<int>> groupDrives(
    const std::vector<RecordingSpan>& spans, int toleranceSeconds = kJoinToleranceSeconds);

} // namespace drive
