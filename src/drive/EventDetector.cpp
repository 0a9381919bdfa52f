#include "drive/EventDetector.h"

#include "drive/GreatCircle.h"
#include "drive/RecordingTelemetry.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace drive {

namespace {

constexpr double kStandardGravity = 9.80665;
// Faster than any car: a fix that would need more is a receiver's jump, not travel.
constexpr double kImplausibleKmh = 300;
// The impact test compares a second with this many seconds either side of it.
constexpr int kImpactNeighbours = 3;
constexpr int kMinimumAxisPairs = 30;
constexpr double kMinimumAxisCorrelation = 0.7;

double kmhToG(double kmhPerSecond)
{
    return kmhPerSecond / 3.6 / kStandardGravity;
}

bool hasFix(const TimelineSecond& s)
{
    return s.data && s.data->hasFix;
}

bool hasSample(const TimelineSecond& s)
{
    return s.data && s.data->hasSample;
}

float axisValue(const TelemetrySecond& s, int axis)
{
    return axis == 0 ? s.x : axis == 1 ? s.y : s.z;
}

// The number of consecutive seconds with a fix up to and including each second.
std::vector<int> fixRuns(const std::vector<TimelineSecond>& timeline)
{
    std::vector<int> runs(timeline.size(), 0);
    for (size_t i = 0; i < timeline.size(); ++i) {
        if (!hasFix(timeline[i]))
            continue;
        const bool continues
            = i > 0 && runs[i - 1] > 0 && timeline[i].offset - timeline[i - 1].offset == 1;
        runs[i] = continues ? runs[i - 1] + 1 : 1;
    }
    return runs;
}

// Seconds i and i + 1 both carry settled fixes one second apart, at believable speeds and
// without a jump between them: their change of speed and course can be trusted.
class FixPairs
{
public:
    FixPairs(const std::vector<TimelineSecond>& timeline, const DetectionThresholds& thresholds)
        : m_timeline(timeline)
        , m_runs(fixRuns(timeline))
        , m_settle(std::max(0, thresholds.settleSeconds))
    { }

    bool settled(size_t i) const { return m_runs[i] > m_settle; }

    bool usable(size_t i) const
    {
        if (i + 1 >= m_timeline.size() || !settled(i) || m_runs[i + 1] != m_runs[i] + 1)
            return false;
        const TelemetrySecond& a = *m_timeline[i].data;
        const TelemetrySecond& b = *m_timeline[i + 1].data;
        if (a.speedKmh > kImplausibleKmh || b.speedKmh > kImplausibleKmh)
            return false;
        const double metres = greatCircleMetres(a.latitude, a.longitude, b.latitude, b.longitude);
        return metres * 3.6 <= kImplausibleKmh;
    }

private:
    const std::vector<TimelineSecond>& m_timeline;
    std::vector<int> m_runs;
    int m_settle;
};

struct Flag
{
    bool set = false;
    double strength = 0;
};

struct SecondFlags
{
    std::array<Flag, 5> kinds; // by EventKind
    void raise(EventKind kind, double strength)
    {
        Flag& f = kinds[size_t(kind)];
        f.strength = f.set ? std::max(f.strength, strength) : strength;
        f.set = true;
    }
};

void flagSpeedAndCourse(const std::vector<TimelineSecond>& timeline, const FixPairs& pairs,
    const DetectionThresholds& t, std::vector<SecondFlags>& flags)
{
    for (size_t i = 0; i + 1 < timeline.size(); ++i) {
        if (!pairs.usable(i))
            continue;
        const TelemetrySecond& a = *timeline[i].data;
        const TelemetrySecond& b = *timeline[i + 1].data;
        const double change = double(b.speedKmh) - double(a.speedKmh);
        if (-change >= t.brakeKmhPerSecond)
            flags[i].raise(EventKind::Braking, kmhToG(-change));
        if (change >= t.accelerationKmhPerSecond)
            flags[i].raise(EventKind::Acceleration, kmhToG(change));
        const double turn = std::fabs(std::remainder(double(b.course) - double(a.course), 360.0));
        if (std::min(a.speedKmh, b.speedKmh) >= t.turnMinimumKmh && turn > t.turnDegreesPerSecond)
            flags[i].raise(EventKind::Turn, turn);
    }
}

void flagTravelAxis(const std::vector<TimelineSecond>& timeline, const FixPairs& pairs,
    const DetectionThresholds& t, std::vector<SecondFlags>& flags)
{
    const std::optional<TravelAxis> axis = findTravelAxis(timeline, t);
    if (!axis)
        return;
    for (size_t i = 0; i < timeline.size(); ++i) {
        if (!pairs.settled(i) || !hasSample(timeline[i])
            || timeline[i].data->speedKmh < t.stationaryKmh)
            continue;
        const double along = axis->sign * (axisValue(*timeline[i].data, axis->axis) - axis->bias);
        if (-along > t.brakeG)
            flags[i].raise(EventKind::Braking, -along);
        if (along > t.accelerationG)
            flags[i].raise(EventKind::Acceleration, along);
    }
}

double magnitude(const TelemetrySecond& s)
{
    return std::sqrt(double(s.x) * s.x + double(s.y) * s.y + double(s.z) * s.z);
}

void flagImpacts(const std::vector<TimelineSecond>& timeline, const FixPairs& pairs,
    const DetectionThresholds& t, std::vector<SecondFlags>& flags)
{
    std::vector<double> around;
    for (size_t i = 0; i < timeline.size(); ++i) {
        if (!pairs.settled(i) || !hasSample(timeline[i]))
            continue;
        around.clear();
        const size_t from = i >= kImpactNeighbours ? i - kImpactNeighbours : 0;
        const size_t to = std::min(timeline.size() - 1, i + kImpactNeighbours);
        for (size_t j = from; j <= to; ++j) {
            if (j != i && hasSample(timeline[j])
                && std::llabs(timeline[j].offset - timeline[i].offset) <= kImpactNeighbours)
                around.push_back(magnitude(*timeline[j].data));
        }
        if (around.size() < 2)
            continue;
        // The median of the neighbours, so that a jolt spread over two seconds still stands
        // out against the seconds around it.
        std::sort(around.begin(), around.end());
        const size_t mid = around.size() / 2;
        const double median = around.size() % 2 ? around[mid] : (around[mid - 1] + around[mid]) / 2;
        const double jump = magnitude(*timeline[i].data) - median;
        if (jump > t.impactG)
            flags[i].raise(EventKind::Impact, jump);
    }
}

} // namespace

std::optional<TravelAxis> findTravelAxis(
    const std::vector<TimelineSecond>& timeline, const DetectionThresholds& thresholds)
{
    const FixPairs pairs(timeline, thresholds);
    // Least squares of each axis against the change of speed, in g, over moving seconds.
    double n = 0, sumA = 0, sumAA = 0;
    std::array<double, 3> sumV{}, sumVV{}, sumAV{};
    for (size_t i = 0; i + 1 < timeline.size(); ++i) {
        if (!pairs.usable(i) || !hasSample(timeline[i])
            || timeline[i].data->speedKmh < thresholds.stationaryKmh)
            continue;
        const double a
            = kmhToG(double(timeline[i + 1].data->speedKmh) - double(timeline[i].data->speedKmh));
        n += 1;
        sumA += a;
        sumAA += a * a;
        for (int axis = 0; axis < 3; ++axis) {
            const double v = axisValue(*timeline[i].data, axis);
            sumV[size_t(axis)] += v;
            sumVV[size_t(axis)] += v * v;
            sumAV[size_t(axis)] += a * v;
        }
    }
    if (n < kMinimumAxisPairs)
        return std::nullopt;
    const double varA = sumAA - sumA * sumA / n;
    if (varA <= 1e-9)
        return std::nullopt;
    std::optional<TravelAxis> best;
    double bestCorrelation = kMinimumAxisCorrelation;
    for (int axis = 0; axis < 3; ++axis) {
        const size_t k = size_t(axis);
        const double varV = sumVV[k] - sumV[k] * sumV[k] / n;
        const double cov = sumAV[k] - sumA * sumV[k] / n;
        if (varV <= 1e-12)
            continue;
        const double correlation = cov / std::sqrt(varA * varV);
        const double slope = cov / varA;
        // A sensor in g moves about one g per g; another unit cannot be compared with the
        // thresholds.
        if (std::fabs(correlation) < bestCorrelation || std::fabs(slope) < 0.5
            || std::fabs(slope) > 2)
            continue;
        bestCorrelation = std::fabs(correlation);
        best = TravelAxis{axis, slope > 0 ? 1.0 : -1.0, (sumV[k] - slope * sumA) / n};
    }
    return best;
}

std::vector<DriveEvent> detectEvents(
    const std::vector<TimelineSecond>& timeline, const DetectionThresholds& thresholds)
{
    const FixPairs pairs(timeline, thresholds);
    std::vector<SecondFlags> flags(timeline.size());
    flagSpeedAndCourse(timeline, pairs, thresholds, flags);
    flagTravelAxis(timeline, pairs, thresholds, flags);
    flagImpacts(timeline, pairs, thresholds, flags);

    std::vector<DriveEvent> events;
    for (EventKind kind :
        {EventKind::Braking, EventKind::Acceleration, EventKind::Impact, EventKind::Turn}) {
        const size_t k = size_t(kind);
        for (size_t i = 0; i < timeline.size(); ++i) {
            if (!flags[i].kinds[k].set)
                continue;
            DriveEvent event;
            event.kind = kind;
            event.recording = timeline[i].recording;
            event.second = timeline[i].second;
            event.strength = flags[i].kinds[k].strength;
            while (i + 1 < timeline.size() && flags[i + 1].kinds[k].set
                && timeline[i + 1].offset - timeline[i].offset == 1) {
                ++i;
                ++event.seconds;
                event.strength = std::max(event.strength, flags[i].kinds[k].strength);
            }
            events.push_back(event);
        }
    }
    std::stable_sort(events.begin(), events.end(), [](const DriveEvent& a, const DriveEvent& b) {
        return a.recording != b.recording ? a.recording < b.recording : a.second < b.second;
    });
    return events;
}

} // namespace drive
