// The whole chain: the adapter and its states driving the real player library on a short
// H.264/AAC recording that carries a telemetry block.
#include "AdapterFixture.h"

#include "player/PVEXstat0.h"
#include "player/PVEXstat1.h"
#include "player/PVEXstat2.h"
#include "player/PVEXstat3.h"
#include "player/PVEXstat4.h"
#include "player/PVEXstat9.h"
#include "support/CardFile.h"
#include "support/RecordingBuilder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <cstring>

using namespace playertest;
using namespace std::chrono_literals;

class PlayerChainTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_telemetry = testsupport::Telemetry::drive(8);
        s_path = makeRecording("evt_20240102_040506.mp4", 8, testsupport::udatBox(s_telemetry));
#ifdef ZYN_CARDGEN
        // A process forked from this one, once threads have run, leaves the thread sanitizer's
        // bookkeeping confused for every later thread: under it the card test is left out.
        if (!kThreadSanitizer) {
            s_card = new QTemporaryDir;
            s_cardPath = makeDemoCardRecording(s_card->path());
        }
#endif
    }

    static void TearDownTestSuite()
    {
        delete s_card;
        s_card = nullptr;
    }

#ifdef ZYN_CARDGEN
    // One 4-second event recording written by the demo-card generator; empty on failure.
    static QString makeDemoCardRecording(const QString& folder)
    {
        QProcess generator;
        generator.start(QStringLiteral(ZYN_CARDGEN),
            {QStringLiteral("--length"), QStringLiteral("4"), QStringLiteral("--drf"),
                QStringLiteral("0"), QStringLiteral("--evt"), QStringLiteral("1"),
                QStringLiteral("--muevt"), QStringLiteral("0"), folder});
        if (!generator.waitForFinished(120000) || generator.exitCode() != 0)
            return {};
        const QStringList files = QDir(folder).entryList({QStringLiteral("evt_*.mp4")});
        return files.size() == 1 ? QDir(folder).filePath(files.first()) : QString();
    }
#endif

    void SetUp() override
    {
        ASSERT_FALSE(s_path.isEmpty()) << "ffmpeg could not make the test recording";
        owner = std::make_unique<MessageProbe>();
        owner->resize(1020, 780);
        adapter = std::make_unique<PVEXAdap>(owner.get());
        state()->placeVideo(0, 24, 52, 640, 480);
        const QByteArray library = platform::Library::playerLibraryFile().toLocal8Bit();
        ASSERT_EQ(state()->loadLibrary(library.constData()), 0);
        ASSERT_EQ(state(), adapter->stateReady.get()) << "the library reports ready";
    }

    void TearDown() override
    {
        adapter.reset();
        QCoreApplication::processEvents();
    }

    PVEXState* state()
    {
        return adapter->current();
    }

    void open(const QString& path = s_path)
    {
        adapter->switchState(adapter->stateLoading.get());
        ASSERT_EQ(state()->openFile(path.toLocal8Bit().constData(), ""), 0);
        ASSERT_TRUE(waitUntil([this] { return state() == adapter->statePlaying.get(); }));
        ASSERT_TRUE(waitUntil([this] { return owner->count(platform::UM_TIME_UPDATE) > 0; }));
    }

    // Waits for a report at the position, within the tolerance.
    bool reportedNear(float seconds, float tolerance)
    {
        return waitUntil([&] { return std::abs(adapter->position - seconds) <= tolerance; });
    }

    // Media seconds per wall second, from the reports of two in-place seeks a second apart.
    double measuredRate()
    {
        const auto sample = [this](double& position) {
            state()->seek(0.f, 1);
            waitUntil([] { return false; }, 300ms);
            position = adapter->position;
            return std::chrono::steady_clock::now();
        };
        double before = 0;
        double after = 0;
        const auto start = sample(before);
        waitUntil([] { return false; }, 1000ms);
        const auto end = sample(after);
        return (after - before) / std::chrono::duration<double>(end - start).count();
    }

    static inline QString s_path;
    static inline QTemporaryDir* s_card = nullptr;
    static inline QString s_cardPath;
    static inline testsupport::Telemetry s_telemetry;
    std::unique_ptr<MessageProbe> owner;
    std::unique_ptr<PVEXAdap> adapter;
};

TEST_F(PlayerChainTest, OpensAndReportsPositionFramesAndTelemetry)
{
    open();
    EXPECT_NEAR(adapter->length, 8.f, 0.2f);
    EXPECT_EQ(adapter->lengthSeconds, 8);
    EXPECT_EQ(adapter->recordTotal, 8) << "one record per time record of the block";
    EXPECT_EQ(adapter->noTelemetry, 0);
    EXPECT_EQ(adapter->frameBytes, velq::kFrameBytes);
    ASSERT_NE(adapter->videoWindow1.load(), nullptr);
    EXPECT_EQ(adapter->videoWindow1.load()->parentWidget(), owner.get());
    EXPECT_EQ(adapter->videoWindow1.load()->geometry(), QRect(24, 52, 640, 480));
    EXPECT_GE(owner->count(platform::UM_PLACE_VIDEO), 1);

    // Held still at second 3, the copies are the block's records for index 3.
    adapter->pauseAfterSeek = 1;
    state()->seek(3.2f, 0);
    ASSERT_TRUE(reportedNear(3.2f, 0.05f));
    waitUntil([] { return false; }, 200ms);
    EXPECT_EQ(adapter->recordIndex, 3u);
    EXPECT_EQ(adapter->currentSecond(), 4);
    std::array<char, 128> gps;
    std::array<std::uint8_t, 12> sensor;
    ASSERT_TRUE(adapter->telemetryCopies(gps, sensor));
    EXPECT_EQ(QByteArray(gps.data()), s_telemetry.sentences[3]);
    std::array<std::uint8_t, 12> expected;
    std::memcpy(expected.data(), s_telemetry.samples[3].data(), 12);
    EXPECT_EQ(sensor, expected);

    // The frame buffer holds the picture; a frame step replaces it with the next one.
    ASSERT_EQ(state()->frameStep(), 0);
    const std::uint8_t* frame = adapter->frame1;
    ASSERT_NE(frame, nullptr);
    const QImage before
        = QImage(frame, velq::kFrameWidth, velq::kFrameHeight, QImage::Format_RGB32).copy();
    EXPECT_GT(before.pixelColor(320, 240).value() + before.pixelColor(100, 100).value(), 0);
    const float position = adapter->position;
    ASSERT_EQ(state()->frameStep(), 0);
    EXPECT_NE(before, QImage(frame, velq::kFrameWidth, velq::kFrameHeight, QImage::Format_RGB32));
    EXPECT_NEAR(adapter->position - position, 0.04f, 0.021f);
}

#ifdef ZYN_CARDGEN
// A recording as the camera writes it (made by the demo-card generator, read back by a reader
// of its own): held at each second, the adapter hands over that second's own records.
TEST_F(PlayerChainTest, DemoCardRecordingHandsOverItsOwnRecordsEverySecond)
{
    if (kThreadSanitizer)
        GTEST_SKIP() << "no child processes under ThreadSanitizer";
    ASSERT_FALSE(s_cardPath.isEmpty()) << "the demo-card generator failed";
    const std::optional<cardfile::Telemetry> written
        = cardfile::telemetry(cardfile::readAll(s_cardPath));
    ASSERT_TRUE(written);
    ASSERT_EQ(written->sentences.size(), 4);

    open(s_cardPath);
    EXPECT_EQ(adapter->recordTotal, 4);
    EXPECT_EQ(adapter->noTelemetry, 0);
    adapter->pauseAfterSeek = 1;
    for (int second = 0; second < 4; ++second) {
        state()->seek(second + 0.3f, 0);
        ASSERT_TRUE(reportedNear(second + 0.3f, 0.05f)) << second;
        waitUntil([] { return false; }, 200ms);
        EXPECT_EQ(adapter->recordIndex, static_cast<unsigned>(second));
        std::array<char, 128> gps;
        std::array<std::uint8_t, 12> sensor;
        ASSERT_TRUE(adapter->telemetryCopies(gps, sensor));
        EXPECT_EQ(QByteArray(gps.data()), written->sentences[second]) << second;
        std::array<float, 3> xyz;
        std::memcpy(xyz.data(), sensor.data(), sizeof xyz);
        EXPECT_EQ(xyz, written->samples[second]) << second;
    }
}
#endif

TEST_F(PlayerChainTest, SeeksPausesAndSetsTheVolume)
{
    open();
    state()->seek(6.f, 0);
    EXPECT_TRUE(reportedNear(6.f, 0.05f));
    state()->seek(-2.f, 1);
    EXPECT_TRUE(reportedNear(4.1f, 0.3f));

    state()->pause();
    // Reports already on their way when the pause lands may still arrive: judge the hold only
    // after a quiet spell.
    int reports = owner->count(platform::UM_TIME_UPDATE);
    for (int spell = 0; spell < 10; ++spell) {
        waitUntil([] { return false; }, 400ms);
        const int now = owner->count(platform::UM_TIME_UPDATE);
        if (now == reports)
            break;
        reports = now;
    }
    waitUntil([] { return false; }, 1200ms);
    EXPECT_EQ(owner->count(platform::UM_TIME_UPDATE), reports) << "paused";
    state()->resume(); // playing: "pause" again, which lets it run
    EXPECT_TRUE(
        waitUntil([&] { return owner->count(platform::UM_TIME_UPDATE) > reports; }, 2500ms));

    EXPECT_EQ(state()->setVolume(30.f, 0), 0);
    EXPECT_EQ(adapter->volume, 30);
}

TEST_F(PlayerChainTest, EverySpeedOfTheSpeedTable)
{
    open();
    for (float speed : {0.15f, 0.25f, 0.5f, 1.f, 2.f, 4.f}) {
        state()->seek(0.f, 0);
        ASSERT_EQ(state()->changeSpeed(speed, 0), 0);
        const double rate = measuredRate();
        EXPECT_GT(rate, speed * kRateFloor) << speed;
        EXPECT_LT(rate, speed * 1.5) << speed;
    }
}

TEST_F(PlayerChainTest, EndOfFileGoesIdleAndAsksForTheNextFile)
{
    open();
    state()->seek(7.5f, 0);
    ASSERT_TRUE(waitUntil([this] { return state() == adapter->stateIdle.get(); }));
    EXPECT_EQ(adapter->recordIndex, 7u);
    ASSERT_TRUE(waitUntil([this] { return owner->count(platform::UM_LAST_RECORD) == 1; }));
    for (const auto& message : owner->messages())
        if (message.message == platform::UM_LAST_RECORD) {
            EXPECT_EQ(message.wParam, 0u);
            EXPECT_EQ(message.lParam, 1);
        }

    // Idle's resume plays the last recording again from its start.
    EXPECT_EQ(state()->resume(), 0);
    ASSERT_TRUE(waitUntil([this] { return state() == adapter->statePlaying.get(); }));
    EXPECT_TRUE(reportedNear(0.f, 0.9f));

    // Stopped, then quit and unloaded from idle.
    EXPECT_EQ(state()->stopFile(), 0);
    ASSERT_TRUE(waitUntil([this] { return state() == adapter->stateIdle.get(); }));
    EXPECT_EQ(state()->shutdown(), 0);
    EXPECT_FALSE(adapter->libraryLoaded());
    EXPECT_FALSE(adapter->playerThreadRunning());
}

TEST_F(PlayerChainTest, QuitWhilePlayingUnloadsThroughTheWorker)
{
    open();
    EXPECT_EQ(state()->shutdown(), 1);
    EXPECT_TRUE(waitUntil([this] { return !adapter->libraryLoaded(); }));
    EXPECT_TRUE(waitUntil([this] { return state() == adapter->stateUnloaded.get(); }));
    // And it comes back: load, open, play.
    const QByteArray library = platform::Library::playerLibraryFile().toLocal8Bit();
    ASSERT_EQ(state()->loadLibrary(library.constData()), 0);
    owner->clear();
    open();
}

TEST_F(PlayerChainTest, DestroyedWhilePlaying)
{
    open();
    const auto start = std::chrono::steady_clock::now();
    adapter.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(waitUntil([this] { return owner->findChildren<QWidget*>().isEmpty(); }))
        << "the library's video window is gone";
}
