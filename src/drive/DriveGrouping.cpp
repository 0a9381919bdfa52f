#include "drive/DriveGrouping.h"

#include <algorithm>

namespace drive {

std::vector<std::vector<int>> groupDrives(
    const std::vector<RecordingSpan>& spans, int toleranceSeconds)
{
    std::vector<int> order;
    for (int i = 0; i < int(spans.size()); ++i) {
        if (spans[size_t(i)].start.isValid())
            order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(),
        [&](int a, int b) { return spans[size_t(a)].start < spans[size_t(b)].start; });
    std::vector<std::vector<int>> drives;
    QDateTime expected;
    for (int i : order) {
        const RecordingSpan& span = spans[size_t(i)];
        // A recording that starts before the drive's end so far continues it, whether the
        // camera's clock ticked over while it closed the file (a second early) or the
        // recording lies within another (an event recorded beside the continuous one).
        if (drives.empty() || expected.secsTo(span.start) > toleranceSeconds)
            drives.emplace_back();
        const QDateTime end = span.start.addSecs(std::max(0, span.lengthSeconds));
        // A shorter recording inside a longer one leaves the drive's end where it was.
        expected = drives.back().empty() || end > expected ? end : expected;
        drives.back().push_back(i);
    }
    return drives;
}

} // namespace drive
