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

#include <QFileInfo>

#include <algorithm>
#include <cstring>

using namespace playertest;
using namespace std::chrono_literals;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

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

    // Opens another recording as the main window does, through the loading state, and waits
    // for it to play.
    bool openNext(const QString& path)
    {
        owner->clear();
        adapter->switchState(adapter->stateLoading.get());
        if (state()->openFile(path.toLocal8Bit().constData(), "") != 0)
            return false;
        return waitUntil([this] {
            return state() == adapter->statePlaying.get()
                && owner->count(platform::UM_TIME_UPDATE) > 0;
        });
    }

    // Held still at the second, the copies must be the block's own records for it.
    void expectTelemetryAt(int second, const std::string& what)
    {
        adapter->pauseAfterSeek = 1;
        state()->seek(second + 0.2f, 0);
        ASSERT_TRUE(reportedNear(second + 0.2f, 0.05f)) << what;
        waitUntil([] { return false; }, 200ms);
        EXPECT_EQ(adapter->recordIndex, unsigned(second)) << what;
        std::array<char, 128> gps;
        std::array<std::uint8_t, 12> sensor;
        ASSERT_TRUE(adapter->telemetryCopies(gps, sensor)) << what;
        EXPECT_EQ(QByteArray(gps.data()), s_telemetry.sentences[second]) << what;
        std::array<std::uint8_t, 12> expected;
        std::memcpy(expected.data(), s_telemetry.samples[second].data(), 12);
        EXPECT_EQ(sensor, expected) << what;
        adapter->pauseAfterSeek = 0;
        state()->resume(); // playing: "pause" once more lets it run
    }

    // Waits for the window to learn that the recording ended or could not be opened.
    unsigned endSeen(std::chrono::milliseconds limit = 8000ms)
    {
        unsigned seen = 0;
        waitUntil(
            [&] {
                if (owner->count(platform::UM_OPEN_FAILED))
                    seen = platform::UM_OPEN_FAILED;
                else if (owner->count(platform::UM_LAST_RECORD))
                    seen = platform::UM_LAST_RECORD;
                return seen != 0;
            },
            limit);
        return seen;
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

// Names as users' cards and folders have them: quotes, backslashes (ordinary characters on
// Linux), spaces, Cyrillic letters, and deep folders far past 255 characters. Each plays, and
// each hands over its own telemetry, which both the adapter and the library read by that name.
TEST_F(PlayerChainTest, RecordingsPlayWhateverTheirNames)
{
    QTemporaryDir folder;
    // A folder whose path, with the recording's name of 24 characters, is `length` long.
    const auto deepFolder = [&folder](qsizetype length) {
        QString path = folder.path();
        for (int level = 0; path.size() < length - 24; ++level) {
            const qsizetype room = length - 24 - path.size() - 1;
            path += QLatin1Char('/')
                + QString(std::clamp<qsizetype>(room, 1, 200), QChar('a' + level % 26));
        }
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    };
    const QString cyrillic = folder.filePath(QString::fromUtf8("Записи с карты"));
    ASSERT_TRUE(QDir().mkpath(cyrillic));
    const QString paths[] = {
        folder.filePath(QStringLiteral("evt_20240102_040506 \"1\".mp4")),
        folder.filePath(QStringLiteral("evt_20240102_040506\\2.mp4")),
        folder.filePath(QStringLiteral("copy of evt_20240102_040506.mp4")),
        cyrillic + QString::fromUtf8("/evt_20240102_040506 поездка.mp4"),
        deepFolder(300) + QStringLiteral("/evt_20240102_040506.mp4"),
        deepFolder(3000) + QStringLiteral("/evt_20240102_040506.mp4"),
    };
    bool first = true;
    for (const QString& path : paths) {
        const std::string what = path.right(60).toStdString();
        ASSERT_TRUE(QFile::copy(s_path, path)) << what;
        if (first)
            open(path);
        else
            ASSERT_TRUE(openNext(path)) << what;
        first = false;
        EXPECT_EQ(adapter->recordTotal, 8) << what;
        EXPECT_EQ(adapter->noTelemetry, 0) << what;
        expectTelemetryAt(2, what);
    }
    EXPECT_EQ(paths[4].size(), 300);
    EXPECT_EQ(paths[5].size(), 3000);
    EXPECT_EQ(owner->count(platform::UM_OPEN_FAILED), 0);

    // A name longer than any path the system opens is refused with the diagnostic, and the
    // window is told; the recording that played goes on.
    const QString overlong = deepFolder(300) + QLatin1Char('/') + QString(4000, 'x') + ".mp4";
    owner->clear();
    adapter->switchState(adapter->stateLoading.get());
    ::testing::internal::CaptureStdout();
    EXPECT_NE(state()->openFile(overlong.toLocal8Bit().constData(), ""), 0);
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("too long"), std::string::npos);
    EXPECT_EQ(endSeen(), unsigned(platform::UM_OPEN_FAILED));
    EXPECT_EQ(adapter->failedFileName(), overlong.toStdString());
    EXPECT_EQ(state(), adapter->statePlaying.get());
}

// Past 4 GB every muxer writes the video box with a 64-bit size. The telemetry after it is
// found as in the 32-bit form, by the adapter and by the library's record count alike.
TEST_F(PlayerChainTest, VideoBoxInTheSixtyFourBitFormKeepsItsTelemetry)
{
    QFile source(s_path);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray large = withLargeVideoBox(source.readAll());
    ASSERT_FALSE(large.isEmpty()) << "the muxer wrote no free box before its video box";
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("evt_20240102_040506.mp4"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(large) == large.size());
    file.close();
    open(path);
    EXPECT_EQ(adapter->recordTotal, 8);
    EXPECT_EQ(adapter->noTelemetry, 0);
    for (int second : {0, 3, 7})
        expectTelemetryAt(second, "second " + std::to_string(second));
}

// What a card holds after a power loss, an empty file, and a raw MJPEG stream of no known
// length: each ends in a way the window sees within seconds, so its play list goes on.
TEST_F(PlayerChainTest, BrokenAndUnknownLengthRecordingsEndVisibly)
{
    QTemporaryDir folder;
    QFile source(s_path);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QString cut = folder.filePath(QStringLiteral("evt_20240102_040506.mp4"));
    const QString empty = folder.filePath(QStringLiteral("drf_20240102_040606.mp4"));
    ASSERT_TRUE(writeFile(cut, source.read(100 * 1024)));
    ASSERT_TRUE(writeFile(empty, {}));
    const QString stream = makeMjpegStream(QStringLiteral("drf_20240102_040706.mjpg"), 2);
    ASSERT_FALSE(stream.isEmpty()) << "ffmpeg could not make the stream";

    open();
    struct Case
    {
        QString path;
        unsigned message;
    };
    for (const Case& c : {Case{cut, platform::UM_OPEN_FAILED},
             Case{empty, platform::UM_OPEN_FAILED}, Case{stream, platform::UM_LAST_RECORD}}) {
        const std::string what = QFileInfo(c.path).fileName().toStdString();
        owner->clear();
        adapter->switchState(adapter->stateLoading.get());
        ASSERT_EQ(state()->openFile(c.path.toLocal8Bit().constData(), ""), 0) << what;
        EXPECT_EQ(endSeen(), c.message) << what;
        EXPECT_EQ(state(), adapter->stateIdle.get()) << what;
        if (c.message == platform::UM_OPEN_FAILED) {
            EXPECT_EQ(adapter->failedFileName(), c.path.toStdString()) << what;
            EXPECT_EQ(owner->count(platform::UM_LAST_RECORD), 0) << what;
        } else {
            // A raw stream has no length of its own: whether the demuxer has guessed one by the
            // time the stream opens is a race, so the count is 0 or that guess, never more than
            // the stream's two seconds.
            EXPECT_GE(adapter->recordTotal, 0) << what;
            EXPECT_LE(adapter->recordTotal, 2) << what;
        }
        // And the list goes on: the next recording plays.
        ASSERT_TRUE(openNext(s_path)) << "after " << what;
    }
}
