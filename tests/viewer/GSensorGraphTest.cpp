// The G-sensor graph: where samples land, which samples are refused, how the sweep restarts,
// and that nothing is ever drawn outside the graph's own rectangle.
#include "viewer/GSensorGraph.h"

#include "SkinProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace skinprobe;

namespace {

const QColor kX(0xFF, 0x00, 0x6E);
const QColor kY(0x87, 0xFF, 0x00);
const QColor kZ(0x00, 0xFF, 0xFF);
const QColor kZText(0x00, 0xE1, 0xFF);

class GSensorGraphTest : public ::testing::Test
{
protected:
    // As the time update does it: a step, then the next sample position.
    void feed(double x, double y, double z)
    {
        graph.timeUpdate(buffer, GSensorGraph::Sample{x, y, z});
    }

    // Nothing outside the graph's rectangle differs from the background.
    void expectOnlyInsideTheGraph()
    {
        QImage masked = buffer.image().copy();
        QImage cleanMasked = buffer.clean().copy();
        for (QImage* image : {&masked, &cleanMasked}) {
            for (int y = GSensorGraph::kArea.top(); y <= GSensorGraph::kArea.bottom(); ++y)
                for (int x = GSensorGraph::kArea.left(); x <= GSensorGraph::kArea.right(); ++x)
                    image->setPixel(x, y, 0);
        }
        EXPECT_EQ(masked, cleanMasked) << "something was drawn outside the graph";
    }

    BackBuffer buffer = skinBuffer();
    GSensorGraph graph;
};

TEST_F(GSensorGraphTest, RangeTestAcceptsTheLimitsAndRefusesTheRest)
{
    EXPECT_TRUE(GSensorGraph::inRange(-8, 8, 0));
    EXPECT_FALSE(GSensorGraph::inRange(0, 0, 8.5));
    EXPECT_FALSE(GSensorGraph::inRange(-8.0001, 0, 0));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(GSensorGraph::inRange(nan, 0, 0));
    EXPECT_FALSE(GSensorGraph::inRange(0, 0, nan));
    EXPECT_FALSE(GSensorGraph::inRange(0, -inf, 0));
    EXPECT_FALSE(GSensorGraph::inRange(inf, 0, 0));
    // The recording's record: little-endian floats 0.5, -1.25 and NaN.
    const auto sample = GSensorGraph::Sample::fromRecord(
        {0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0xA0, 0xBF, 0x00, 0x00, 0xC0, 0x7F});
    EXPECT_EQ(sample.x, 0.5);
    EXPECT_EQ(sample.y, -1.25);
    EXPECT_FALSE(GSensorGraph::inRange(sample));
    EXPECT_EQ(GSensorGraph::valueY(0), 709);
    EXPECT_EQ(GSensorGraph::valueY(1), 704);
    EXPECT_EQ(GSensorGraph::valueY(-8), 747);
    EXPECT_EQ(GSensorGraph::valueY(8), 671);
    EXPECT_EQ(GSensorGraph::valueY(11), 709) << "above the top limit: on the zero line";
}

TEST_F(GSensorGraphTest, FirstSampleDrawsEachAxisInItsColour)
{
    graph.resetCounters(); // as opening a recording does
    feed(-1, 0, 1);
    EXPECT_EQ(buffer.image().pixelColor(83, 704), kZ) << "Z 4.75 pixels above the zero line";
    EXPECT_EQ(buffer.image().pixelColor(83, 709), kY) << "Y on the zero line";
    EXPECT_EQ(buffer.image().pixelColor(83, 713), kX) << "X 4.75 pixels below";
    EXPECT_GT(countNear(buffer.image(), QRect(246, 647, 83, 14), kZText), 5) << "Z text";
    EXPECT_GT(countNear(buffer.image(), QRect(80, 647, 83, 14), kX), 5) << "X text";
    EXPECT_GT(countNear(buffer.image(), QRect(163, 647, 83, 14), kY), 5) << "Y text";
    EXPECT_EQ(buffer.takeDirty(), QRegion(GSensorGraph::kArea));
    // The first point after a reset restarts the sweep from there.
    EXPECT_EQ(graph.sampleCounter(), 1);
    EXPECT_EQ(graph.pointCount(), 1);
    EXPECT_EQ(graph.point(2, 0), QPoint(82, 704));
}

TEST_F(GSensorGraphTest, OutOfRangeSampleDrawsNothingButTheSweepMovesOn)
{
    graph.resetCounters();
    feed(1, 1, 1);
    feed(2, 2, 2);
    const QImage before = buffer.image();
    buffer.takeDirty();
    feed(0, 0, 8.5);
    feed(std::nan(""), 0, 0);
    EXPECT_EQ(buffer.image(), before) << "values and lines keep their last image";
    EXPECT_TRUE(buffer.takeDirty().isEmpty());
    EXPECT_EQ(graph.sampleCounter(), 4);
    feed(3, 3, 3);
    EXPECT_EQ(graph.lastPoint(0), QPoint(4 * 7 + 83, GSensorGraph::valueY(3)));
}

TEST_F(GSensorGraphTest, SweepRunsToItsEndAndStartsOverAtTheLeft)
{
    graph.resetCounters();
    for (int i = 0; i < 30; ++i)
        feed(0, 0, 0);
    EXPECT_EQ(graph.lastPoint(0).x(), 29 * 7 + 83);
    feed(0, 0, 1); // the 31st sample, at x 293
    EXPECT_EQ(buffer.image().pixelColor(293, 704), kZ);
    EXPECT_EQ(graph.sampleCounter(), 1) << "restarted, then counted";
    EXPECT_EQ(graph.lastPoint(2), QPoint(82, 704));
    feed(0, 0, 2);
    // The graph was cleared: the old sweep's end is gone, the new one starts at x 90.
    EXPECT_NE(buffer.image().pixelColor(293, 704), kZ);
    EXPECT_EQ(buffer.image().pixelColor(90, GSensorGraph::valueY(2)), kZ);
    EXPECT_EQ(graph.pointCount(), 2);
}

TEST_F(GSensorGraphTest, LongRunsOfBadSamplesNeverDrawOutsideTheGraph)
{
    graph.resetCounters();
    feed(0, 0, 0);
    for (int i = 0; i < 49; ++i)
        feed(0, 0, 9); // out of range: the counter walks on to 50
    ASSERT_EQ(graph.sampleCounter(), 50);
    feed(0, 0, 1);
    // Not at x 433, over the telemetry panel, but at the start of a new sweep.
    EXPECT_EQ(buffer.image().pixelColor(83, 704), kZ);
    expectOnlyInsideTheGraph();
    // Nothing right of the sweep's end either, however the samples come.
    for (int i = 0; i < 200; ++i) {
        if (i % 7 == 3)
            feed(0, 0, -9);
        else
            feed(std::sin(i) * 8, std::cos(i) * 8, 1);
    }
    expectOnlyInsideTheGraph();
    EXPECT_EQ(changedPixels(buffer, QRect(295, 665, 65, 100)), 0)
        << "the legend right of the sweep stays";
}

TEST_F(GSensorGraphTest, ResetCountersStartsANewSweepFromTheLastPoint)
{
    graph.resetCounters();
    for (int i = 0; i < 10; ++i)
        feed(0, 0, 0);
    graph.resetCounters(); // a seek
    feed(0, 0, 0);
    EXPECT_EQ(graph.pointCount(), 1);
    EXPECT_EQ(graph.sampleCounter(), 1);
    EXPECT_EQ(graph.lastPoint(0), QPoint(82, 709));
    graph.reset();
    EXPECT_EQ(graph.lastPoint(1), QPoint(78, 701));
    EXPECT_EQ(graph.pointCount(), 1);
}

TEST_F(GSensorGraphTest, NoSampleLeavesTheGraphAlone)
{
    feed(1, 2, 3);
    const QImage before = buffer.image();
    buffer.takeDirty();
    const int counter = graph.sampleCounter();
    graph.timeUpdate(buffer, std::nullopt); // a recording without telemetry
    EXPECT_EQ(buffer.image(), before);
    EXPECT_TRUE(buffer.takeDirty().isEmpty());
    EXPECT_EQ(graph.sampleCounter(), counter + 1);
}

} // namespace
