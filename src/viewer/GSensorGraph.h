#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>

#include <array>
#include <cstdint>
#include <optional>

class BackBuffer;

// The running graph of the three accelerometer axes in the lower-left panel: one point per
// progress report, swept from left to right and restarted at the left, with the current
// values as text above the grid.
class GSensorGraph
{
public:
    static constexpr QRect kArea{0, 637, 360, 143};
    static constexpr int kSweepStart = 82;
    static constexpr int kSweepEnd = 292;
    static constexpr int kStep = 7;
    // The last point a sweep holds, 30 steps from its first at 83: the first x at or past its
    // end.
    static constexpr int kLastX = 293;
    static constexpr int kZeroLine = 709;
    static constexpr int kTopLimit = 663;
    static constexpr double kPixelsPerG = 0.125 * 38;
    static constexpr double kLimit = 8;
    static constexpr QPoint kInitialPoint{78, 701};
    static constexpr int kCapacity = 95;
    static constexpr int kTextTop = 647;
    static constexpr int kTextLeft[3] = {80, 163, 246};
    static constexpr QColor kLineColour[3]
        = {QColor(0xFF, 0x00, 0x6E), QColor(0x87, 0xFF, 0x00), QColor(0x00, 0xFF, 0xFF)};
    static constexpr QColor kTextColour[3]
        = {QColor(0xFF, 0x00, 0x6E), QColor(0x87, 0xFF, 0x00), QColor(0x00, 0xE1, 0xFF)};

    struct Sample
    {
        double x = 0;
        double y = 0;
        double z = 0;

        // The recording's acceleration record: three little-endian 32-bit floats X, Y, Z.
        static Sample fromRecord(const std::array<std::uint8_t, 12>& bytes);
    };

    GSensorGraph();

    // True when every axis lies within -8 to 8 g inclusive; NaN and infinities fail, so a
    // damaged sample is neither drawn nor printed.
    static bool inRange(double x, double y, double z);
    static bool inRange(const Sample& s) { return inRange(s.x, s.y, s.z); }
    // The y of a value on the graph.
    static int valueY(double value);

    // One graph step: an in-range sample clears the graph, writes the values and draws the
    // sweep so far with the new point; in any case the sweep restarts at its end.
    void step(BackBuffer& buffer, const Sample& sample);
    // The time update's part: a step when there is a sample (a recording with telemetry),
    // then one more sample position, whether or not anything was drawn.
    void timeUpdate(BackBuffer& buffer, const std::optional<Sample>& sample);
    void advance() { ++m_sampleCounter; }
    // Opening a recording, stop and every seek start a new sweep.
    void resetCounters()
    {
        m_sampleCounter = 0;
        m_pointCount = 0;
    }
    // As at window creation.
    void reset();

    int sampleCounter() const { return m_sampleCounter; }
    int pointCount() const { return m_pointCount; }
    QPoint lastPoint(int axis) const { return m_last[axis]; }
    QPoint point(int axis, int i) const { return m_points[axis][i]; }

private:
    int pointX() const { return m_sampleCounter * kStep + kSweepStart + 1; }
    void restartSweep();
    void drawValues(BackBuffer& buffer, const Sample& sample) const;

    int m_sampleCounter = 0;
    int m_pointCount = 1;
    std::array<std::array<QPoint, kCapacity>, 3> m_points{};
    std::array<QPoint, 3> m_last{};
};
