#include "viewer/GSensorGraph.h"

#include "resources/Fonts.h"
#include "viewer/BackBuffer.h"

#include <QPainter>

#include <cstring>

namespace {

constexpr int kValueFont = 80; // tenths of a point: fits the 83-pixel spacing of the texts
constexpr int kTextWidth = 83;
constexpr const char* kValueFormat[3] = {"X : %.3f", "Y : %.3f", "Z : %.3f"};

float littleEndianFloat(const std::uint8_t* bytes)
{
    const std::uint32_t bits = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8
        | std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

GSensorGraph::Sample GSensorGraph::Sample::fromRecord(const std::array<std::uint8_t, 12>& bytes)
{
    return {littleEndianFloat(bytes.data()), littleEndianFloat(bytes.data() + 4),
        littleEndianFloat(bytes.data() + 8)};
}

GSensorGraph::GSensorGraph()
{
    reset();
}

void GSensorGraph::reset()
{
    m_sampleCounter = 0;
    m_pointCount = 1;
    for (auto& axis : m_points)
        axis.fill(QPoint());
    m_last.fill(kInitialPoint);
}

bool GSensorGraph::inRange(double x, double y, double z)
{
    // Written as "inside" so that NaN, which compares false with everything, falls out.
    auto inside = [](double v) { return v >= -kLimit && v <= kLimit; };
    return inside(x) && inside(y) && inside(z);
}

int GSensorGraph::valueY(double value)
{
    const int y = int(kZeroLine - value * kPixelsPerG);
    return y < kTopLimit ? kZeroLine : y;
}

void GSensorGraph::restartSweep()
{
    m_sampleCounter = 0;
    for (int axis = 0; axis < 3; ++axis) {
        m_last[axis].setX(kSweepStart);
        m_points[axis][0] = m_last[axis];
    }
    m_pointCount = 1;
}

void GSensorGraph::step(BackBuffer& buffer, const Sample& sample)
{
    if (inRange(sample)) {
        // Out-of-range samples move the sweep on without ending it; the next point would then
        // lie past the sweep's end, over the legend and the panel beside the graph. Such a
        // point starts a new sweep instead.
        if (pointX() > kLastX)
            restartSweep();
        buffer.restore(kArea);
        drawValues(buffer, sample);
        QPainter painter(&buffer.image());
        painter.setClipRect(kArea);
        const double values[3] = {sample.x, sample.y, sample.z};
        const int x = pointX();
        for (int axis = 0; axis < 3; ++axis) {
            painter.setPen(QPen(kLineColour[axis], 1));
            for (int i = 0; i + 1 < m_pointCount; ++i)
                painter.drawLine(m_points[axis][i], m_points[axis][i + 1]);
        }
        for (int axis = 0; axis < 3; ++axis) {
            const QPoint point(x, valueY(values[axis]));
            painter.setPen(QPen(kLineColour[axis], 1));
            painter.drawLine(m_last[axis], point);
            if (m_pointCount < kCapacity)
                m_points[axis][m_pointCount] = point;
            m_last[axis] = point;
        }
        if (m_pointCount < kCapacity)
            ++m_pointCount;
        buffer.invalidate(kArea);
    }
    if (m_last[0].x() >= kSweepEnd || m_sampleCounter == 0)
        restartSweep();
}

void GSensorGraph::timeUpdate(BackBuffer& buffer, const std::optional<Sample>& sample)
{
    if (sample)
        step(buffer, *sample);
    advance();
}

void GSensorGraph::drawValues(BackBuffer& buffer, const Sample& sample) const
{
    const double values[3] = {sample.x, sample.y, sample.z};
    QPainter painter(&buffer.image());
    painter.setClipRect(kArea);
    painter.setFont(fonts::pointFont(kValueFont));
    for (int axis = 0; axis < 3; ++axis) {
        painter.setPen(kTextColour[axis]);
        const QRect line(kTextLeft[axis], kTextTop, kTextWidth, kArea.bottom() - kTextTop);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
            QString::asprintf(kValueFormat[axis], values[axis]));
    }
}
