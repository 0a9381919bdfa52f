// The capture run against an adapter whose frames the test feeds by hand: a frame step paints
// the next picture into the frame buffer and moves the position on, as the player does.
#include "settings/FrameCapture.h"

#include "platform/AppMessage.h"
#include "player/PVEXAdap.h"
#include "player/PVEXstat1.h"
#include "settings/CaptureFrames.h"

#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Stands in for the player's video window: a frame step paints frame n in its own grey and
// moves the position a second on every 25 frames.
class SteppingPlayer : public QWidget
{
public:
    explicit SteppingPlayer(PVEXAdap& adapter)
        : m_adapter(adapter)
        , m_frame(capture_frames::kFrameBytes, 0)
    {
        paint();
        m_adapter.frame1 = m_frame.data();
        m_adapter.frameBytes = std::int32_t(m_frame.size());
        m_adapter.videoWindow1 = this;
    }
    ~SteppingPlayer() override { m_adapter.videoWindow1 = nullptr; }

    int steps = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != platform::AppMessage::eventType())
            return QWidget::event(event);
        auto* message = static_cast<platform::AppMessage*>(event);
        if (message->message() == platform::UM_FRAME_STEP) {
            ++steps;
            paint();
            if (steps % 25 == 0)
                ++m_adapter.positionSeconds;
        }
        message->setResult(1);
        return true;
    }

private:
    void paint()
    {
        // B, G, R, x; the top row white, so that the picture's orientation can be told.
        const std::uint8_t grey = std::uint8_t(20 + 7 * steps);
        for (std::size_t i = 0; i < m_frame.size(); i += 4) {
            m_frame[i] = grey;
            m_frame[i + 1] = grey;
            m_frame[i + 2] = grey;
        }
        std::fill_n(m_frame.begin(), 640 * 4 * 8, std::uint8_t(255));
    }

    PVEXAdap& m_adapter;
    std::vector<std::uint8_t> m_frame;
};

class FrameCaptureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        adapter.switchState(adapter.statePlaying.get());
        adapter.positionSeconds = 83;
        adapter.recordTotal = 60;
        adapter.recordIndex = 83 % 60;
    }

    QString dir() const { return folder.path() + QLatin1Char('/'); }
    QStringList pictures() const
    {
        return QDir(folder.path()).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name);
    }
    bool runToEnd()
    {
        return QTest::qWaitFor([this] { return !capture.isRunning(); }, 20000);
    }

    QTemporaryDir folder;
    QWidget owner;
    PVEXAdap adapter{&owner};
    FrameCapture capture;
};

TEST_F(FrameCaptureTest, OneFrameIsNamedForThePositionAndCountsOneOfOne)
{
    SteppingPlayer player(adapter);
    QSignalSpy finished(&capture, &FrameCapture::finished);
    ASSERT_EQ(capture.start(&adapter, dir(), QStringLiteral("/card/rec.mp4"), false), 0);
    EXPECT_EQ(capture.start(&adapter, dir(), QStringLiteral("/card/rec.mp4"), false), 1)
        << "one run at a time";
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(pictures(), QStringList{QStringLiteral("rec_0123_1.jpg")});
    EXPECT_EQ(player.steps, 0) << "the frame on show, not the next one";
    EXPECT_EQ(capture.captureCount, 1);
    EXPECT_EQ(capture.captureTotal, 1);
    EXPECT_EQ(capture.captured, 1);
    EXPECT_EQ(capture.summary().saved, 1);

    const QImage picture(dir() + QStringLiteral("rec_0123_1.jpg"));
    ASSERT_EQ(picture.size(), QSize(640, 480));
    EXPECT_GT(qGray(picture.pixel(320, 2)), 230) << "the top row stays on top";
    EXPECT_LT(qGray(picture.pixel(320, 240)), 40);
}

TEST_F(FrameCaptureTest, ThirtyFramesStopAtTheRecordsLeftAndNeverReplaceAPicture)
{
    SteppingPlayer player(adapter);
    adapter.recordIndex = 53; // seven records left
    // A picture from an earlier run of the same second.
    QFile earlier(dir() + QStringLiteral("rec_0123_2.jpg"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();

    ASSERT_EQ(capture.start(&adapter, dir(), QStringLiteral("rec.mp4"), true), 0);
    EXPECT_EQ(capture.captureTotal, 7);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(capture.captureCount, 7);
    EXPECT_EQ(capture.captureTotal, 7);
    EXPECT_EQ(player.steps, 6);
    const QStringList expected = {"rec_0123_1.jpg", "rec_0123_2-2.jpg", "rec_0123_2.jpg",
        "rec_0123_3.jpg", "rec_0123_4.jpg", "rec_0123_5.jpg", "rec_0123_6.jpg", "rec_0123_7.jpg"};
    EXPECT_EQ(pictures(), expected);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("earlier"));
    EXPECT_NE(QImage(dir() + "rec_0123_1.jpg"), QImage(dir() + "rec_0123_3.jpg"))
        << "every frame is the one stepped to";
}

TEST_F(FrameCaptureTest, TheTotalFollowsTheRecordsLeftAfterEveryFrame)
{
    SteppingPlayer player(adapter);
    adapter.recordIndex = 0;
    adapter.recordTotal = 100;
    ASSERT_EQ(capture.start(&adapter, dir(), QStringLiteral("rec.mp4"), true), 0);
    EXPECT_EQ(capture.captureTotal, 30);
    // The recording turns out shorter while the run goes on.
    ASSERT_TRUE(QTest::qWaitFor([this] { return capture.captureCount >= 2; }, 10000));
    adapter.recordTotal = 4;
    ASSERT_TRUE(runToEnd());
    EXPECT_GE(capture.captureCount, 4);
    EXPECT_LT(capture.captureCount, 8);
    EXPECT_EQ(capture.captureCount, capture.captureTotal);
    EXPECT_EQ(pictures().size(), capture.captureCount);
}

TEST_F(FrameCaptureTest, MissingAndUnwritableFramesAreCountedNotHidden)
{
    // No frame buffer at all.
    ASSERT_EQ(capture.start(&adapter, dir(), QStringLiteral("rec.mp4"), false), 0);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(capture.summary().missing, 1);
    EXPECT_EQ(capture.summary().saved, 0);
    EXPECT_TRUE(pictures().isEmpty());

    // A frame smaller than the picture is missing too.
    std::vector<std::uint8_t> small(640 * 480);
    adapter.frame1 = small.data();
    adapter.frameBytes = std::int32_t(small.size());
    ASSERT_EQ(capture.start(&adapter, dir(), QStringLiteral("rec.mp4"), false), 0);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(capture.summary().missing, 1);

    // A folder that cannot take the file.
    SteppingPlayer player(adapter);
    ASSERT_EQ(
        capture.start(&adapter, dir() + QStringLiteral("gone/"), QStringLiteral("rec.mp4"), false),
        0);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(capture.summary().failed, 1);
    EXPECT_EQ(capture.summary().folder, dir() + QStringLiteral("gone/"));
}

TEST_F(FrameCaptureTest, StopEndsTheRunAndJoinsTheWorker)
{
    SteppingPlayer player(adapter);
    adapter.recordIndex = 0;
    QSignalSpy finished(&capture, &FrameCapture::finished);
    ASSERT_EQ(capture.start(&adapter, dir(), QStringLiteral("rec.mp4"), true), 0);
    ASSERT_TRUE(QTest::qWaitFor([this] { return capture.captureCount >= 1; }, 10000));
    EXPECT_TRUE(capture.stop());
    EXPECT_FALSE(capture.isRunning());
    const int steps = player.steps;
    QTest::qWait(200);
    EXPECT_EQ(player.steps, steps) << "no frame is taken after the stop";
    EXPECT_EQ(finished.count(), 0) << "a stopped run reports no completion";
    EXPECT_LT(pictures().size(), 30);

    // Another run can start at once.
    adapter.recordIndex = 59;
    ASSERT_EQ(capture.start(&adapter, dir(), QStringLiteral("next.mp4"), true), 0);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(finished.count(), 1);
}

} // namespace
