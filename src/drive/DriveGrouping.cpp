#include "drive/DriveGrouping.h"

#include <algorithm>
#include <cstdlib>

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
        // Both ways: a camera clock that ticks over while the file is closed makes the next
        // name a second early as often as late.
        if (drives.empty() || std::abs(expected.secsTo(span.start)) > toleranceSeconds)
            drives.emplace_back();
        drives.back().push_back(i);
        expected = span.start.addSecs(std::max(0, span.lengthSeconds));
    }
    return drives;
}

} // namespace drive
