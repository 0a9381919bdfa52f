// The player library on its own, driven through its four exports as the viewer drives it.
#include "PlayerHarness.h"

#include "platform/AppMessage.h"
#include "platform/Library.h"
#include "velqplayer/Protocol.h"

#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <atomic>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>

using namespace playertest;
using namespace std::chrono_literals;

namespace {

struct Shared
{
    CallbackLog log;
    QWidget* owner = nullptr;
    std::atomic<std::int32_t*> quitFlag{nullptr};
    std::atomic<QWidget*> window1{nullptr};
    std::atomic<QWidget*> window2{nullptr};
    std::uint16_t placement[8] = {0, 0, 640, 480, 0, 0, 640, 480};
};

int onCallback(void* instance, std::intptr_t argument, int code)
{
    auto* shared = static_cast<Shared*>(instance);
    Report report;
    report.code = code;
    report.argument = argument;
    switch (code) {
    case velq::CB_PROGRESS: {
        const auto* record = reinterpret_cast<const velq::ProgressRecord*>(argument);
        report.position = record->position;
        report.frame1 = record->frame1;
        report.frame2 = record->frame2;
        EXPECT_EQ(record->frameBytes, velq::kFrameBytes);
        break;
    }
    case velq::CB_OWNER_WINDOW:
        *reinterpret_cast<void**>(argument) = shared->owner;
        break;
    case velq::CB_VIDEO_WINDOW_1:
        shared->window1 = reinterpret_cast<QWidget*>(argument);
        break;
    case velq::CB_VIDEO_WINDOW_2:
        shared->window2 = reinterpret_cast<QWidget*>(argument);
        break;
    case velq::CB_LENGTH:
        report.length = *reinterpret_cast<const float*>(argument);
        break;
    case velq::CB_QUIT_FLAG:
        shared->quitFlag = reinterpret_cast<std::int32_t*>(argument);
        break;
    case velq::CB_RECORD_COUNT:
        velq::readRecordCount(reinterpret_cast<const void*>(argument), report.count);
        break;
    case velq::CB_PLACEMENT_A:
        *reinterpret_cast<std::uint16_t**>(argument) = shared->placement;
        break;
    case velq::CB_VOLUME:
        *reinterpret_cast<std::int32_t*>(argument) = 100;
        break;
    case velq::CB_END_OF_FILE:
        if (const auto* end = reinterpret_cast<const velq::EndOfFile*>(argument)) {
            report.endReason = end->reason;
            report.endFile = static_cast<const char*>(velq::frameAddress(end->file));
        }
        break;
    default:
        break;
    }
    shared->log.add(report);
    return code;
}

bool hasPicture(const QImage& image)
{
    int lit = 0;
    for (int y = 0; y < image.height(); y += 8)
        for (int x = 0; x < image.width(); x += 8)
            if (qGray(image.pixel(x, y)) > 40)
                ++lit;
    return lit > 100;
}

} // namespace

class VelqPlayerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_folder = new QTemporaryDir;
        s_plain = makeRecording("drf_20240102_030405.mp4", 8);
        s_withTelemetry = makeRecording("evt_20240102_030405.mp4", 2, emptyTelemetry(5));
        s_library = new platform::Library;
        ASSERT_TRUE(s_library->load(platform::Library::playerLibraryFile()))
            << s_library->errorString().toStdString();
        s_entry = s_library->resolveAs<velq::EntryFn>(velq::kEntryName);
        s_command = s_library->resolveAs<velq::CommandFn>(velq::kCommandName);
        s_shared = new Shared;
        s_shared->owner = new QWidget;
        s_shared->owner->resize(1020, 780);
        s_library->resolveAs<velq::SetInstanceFn>(velq::kSetInstanceName)(s_shared);
        s_library->resolveAs<velq::SetCallbackFn>(velq::kSetCallbackName)(&onCallback);
    }

    static void TearDownTestSuite()
    {
        delete s_shared->owner;
        delete s_shared;
        delete s_library;
        delete s_folder;
    }

    void SetUp() override
    {
        ASSERT_FALSE(s_plain.isEmpty()) << "ffmpeg could not make the test recording";
        ASSERT_TRUE(s_entry && s_command);
        s_shared->log.clear();
    }

    void TearDown() override
    {
        if (m_thread.joinable())
            quit();
    }

    void start(const QString& name1, const QString& name2 = {})
    {
        m_arguments = {"mplayer", "-vo", "directx:noaccel", "-autosync", "0", name1.toStdString(),
            name2.toStdString()};
        m_argv.clear();
        for (std::string& argument : m_arguments)
            m_argv.push_back(argument.data());
        m_returned = false;
        m_thread = std::thread([this] {
            s_entry(7, m_argv.data());
            m_returned = true;
        });
    }

    void quit()
    {
        command("quit");
        EXPECT_TRUE(waitUntil([this] { return m_returned.load(); }));
        m_thread.join();
    }

    static int command(const std::string& text) { return s_command(text.c_str()); }

    static CallbackLog& log() { return s_shared->log; }

    // Waits for the next progress report after the ones seen so far.
    static bool nextProgress(Report& report, std::chrono::milliseconds limit = 5000ms)
    {
        const int seen = log().count(velq::CB_PROGRESS);
        if (!waitUntil([seen] { return log().count(velq::CB_PROGRESS) > seen; }, limit))
            return false;
        return log().last(velq::CB_PROGRESS, report);
    }

    // The number of progress reports once they have stopped coming: reports already on their
    // way when a pause lands may still arrive, so the hold is judged only after a quiet spell.
    static int settledProgressCount()
    {
        int count = log().count(velq::CB_PROGRESS);
        for (int spell = 0; spell < 10; ++spell) {
            waitUntil([] { return false; }, 400ms);
            const int now = log().count(velq::CB_PROGRESS);
            if (now == count)
                break;
            count = now;
        }
        return count;
    }

    static bool playing()
    {
        return waitUntil([] { return log().has(velq::CB_PROGRESS); });
    }

    // Media seconds per wall second between two reports, each taken once a seek in place has
    // settled, so that no report from before a seek is mistaken for one after it.
    static double measuredRate()
    {
        const auto sample = [](Report& report) {
            command("seek 0.00");
            waitUntil([] { return false; }, 300ms);
            return log().last(velq::CB_PROGRESS, report);
        };
        Report before;
        Report after;
        if (!sample(before))
            return -1;
        waitUntil([] { return false; }, 1000ms);
        if (!sample(after))
            return -1;
        const std::chrono::duration<double> wall = after.at - before.at;
        return (after.position - before.position) / wall.count();
    }

    static inline QTemporaryDir* s_folder = nullptr;
    static inline QString s_plain;
    static inline QString s_withTelemetry;
    static inline platform::Library* s_library = nullptr;
    static inline velq::EntryFn s_entry = nullptr;
    static inline velq::CommandFn s_command = nullptr;
    static inline Shared* s_shared = nullptr;

    std::vector<std::string> m_arguments;
    std::vector<char*> m_argv;
    std::thread m_thread;
    std::atomic<bool> m_returned{false};
};

TEST_F(VelqPlayerTest, StartsPlaysAndQuitsWithTheCodesInOrder)
{
    start(s_plain);
    ASSERT_TRUE(playing());
    const std::vector<int> codes = log().codes();
    const std::vector<int> expected = {velq::CB_OWNER_WINDOW, velq::CB_VIDEO_WINDOW_1,
        velq::CB_LENGTH, velq::CB_QUIT_FLAG, velq::CB_RECORD_COUNT, velq::CB_PLAYING};
    std::vector<int> seen;
    for (int code : codes)
        if (std::find(expected.begin(), expected.end(), code) != expected.end())
            seen.push_back(code);
    EXPECT_EQ(seen, expected);
    Report report;
    ASSERT_TRUE(log().last(velq::CB_LENGTH, report));
    EXPECT_NEAR(report.length, 8.0, 0.2);
    ASSERT_TRUE(log().last(velq::CB_RECORD_COUNT, report));
    EXPECT_EQ(report.count, 8); // no telemetry block: the duration rounded up

    // Each progress report is the record index (24) followed by the record (6).
    const auto all = log().all();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].code == velq::CB_PROGRESS) {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(all[i - 1].code, velq::CB_RECORD_INDEX);
            EXPECT_EQ(all[i - 1].argument, std::intptr_t(all[i].position));
            EXPECT_NE(all[i].frame1, 0u);
            EXPECT_EQ(all[i].frame2, 0u);
        }

    // The video window is a child of the owner and shows the decoded picture.
    QWidget* window = s_shared->window1;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), s_shared->owner);
    EXPECT_TRUE(waitUntil([window] { return hasPicture(window->grab().toImage()); }));

    // Reports keep coming once per new second.
    Report first;
    Report second;
    ASSERT_TRUE(nextProgress(first, 3000ms));
    ASSERT_TRUE(nextProgress(second, 3000ms));
    EXPECT_GT(second.position, first.position);

    quit();
    const std::vector<int> tail = log().codes();
    ASSERT_GE(tail.size(), 3u);
    EXPECT_EQ(tail.back(), velq::CB_ENDED);
    // Before its window goes, the library says so: nothing may be sent to it afterwards.
    EXPECT_EQ(tail[tail.size() - 2], velq::CB_VIDEO_WINDOW_1);
    EXPECT_EQ(log().all()[tail.size() - 2].argument, 0);
    EXPECT_EQ(tail[tail.size() - 3], velq::CB_QUITTING);
    EXPECT_TRUE(waitUntil([] { return s_shared->owner->findChildren<QWidget*>().isEmpty(); }));
}

TEST_F(VelqPlayerTest, SeeksExactlyAndReleasesPause)
{
    start(s_plain);
    ASSERT_TRUE(playing());
    std::size_t from = log().all().size();
    command("seek 5.00 2");
    const auto reportNear = [&from](double target, double tolerance) {
        return waitUntil([&] {
            const auto all = log().all();
            for (std::size_t i = std::max<std::size_t>(from, 1); i < all.size(); ++i)
                if (all[i].code == velq::CB_PROGRESS
                    && std::abs(all[i].position - target) <= tolerance) {
                    EXPECT_EQ(all[i - 1].code, velq::CB_RECORD_INDEX);
                    EXPECT_EQ(all[i - 1].argument, std::intptr_t(all[i].position));
                    from = all.size();
                    return true;
                }
            return false;
        });
    };
    EXPECT_TRUE(reportNear(5.0, 0.05)) << "an absolute seek lands on the exact time";
    command("seek -3.00");
    EXPECT_TRUE(reportNear(2.15, 0.25)) << "a relative seek goes back from the position";

    // Paused, nothing is reported; a seek lets the picture run again, as MPlayer's did.
    command("pause");
    const int paused = settledProgressCount();
    waitUntil([] { return false; }, 1100ms);
    EXPECT_EQ(log().count(velq::CB_PROGRESS), paused);
    command("seek 1.00");
    Report report;
    ASSERT_TRUE(nextProgress(report));
    EXPECT_TRUE(nextProgress(report, 2500ms)) << "a seek must release the pause";
}

// A clip cut by stream copy inside a group of pictures keeps the frames from the key frame on
// for decoding and hides those before the cut with an edit list: they are not to be shown.
TEST_F(VelqPlayerTest, FramesAnEditListHidesAreNotShown)
{
    // Red for 1.4 s, then blue, one key frame at the start; the copy cut at 1.4 s holds the red
    // frames only to decode the blue ones from.
    const QString source = ffmpegOutput(QStringLiteral("red-then-blue.mp4"),
        {"-f", "lavfi", "-i", "color=c=red:s=320x240:r=25:d=1.4", "-f", "lavfi", "-i",
            "color=c=blue:s=320x240:r=25:d=2", "-filter_complex", "[0][1]concat=n=2:v=1:a=0",
            "-c:v", "libx264", "-preset", "ultrafast", "-g", "100", "-bf", "0", "-pix_fmt",
            "yuv420p"});
    ASSERT_FALSE(source.isEmpty());
    const QString cut = ffmpegOutput(
        QStringLiteral("clip_drf_20240102_030406.mp4"), {"-ss", "1.4", "-i", source, "-c", "copy"});
    ASSERT_FALSE(cut.isEmpty());
    start(cut);
    ASSERT_TRUE(waitUntil([] { return s_shared->window1.load() != nullptr; }));
    QWidget* window = s_shared->window1;
    int red = 0;
    int blue = 0;
    // The hidden part would take 1.4 s on screen from the start.
    waitUntil(
        [&] {
            const QColor centre = window->grab().toImage().pixelColor(
                window->width() / 2, window->height() / 2);
            red += centre.red() > 150 && centre.blue() < 100;
            blue += centre.blue() > 150 && centre.red() < 100;
            return false;
        },
        1500ms);
    EXPECT_EQ(red, 0) << "frames before the cut were shown";
    EXPECT_GT(blue, 0);
    Report length;
    ASSERT_TRUE(log().last(velq::CB_LENGTH, length));
    EXPECT_NEAR(length.length, 2.0, 0.1);
}

TEST_F(VelqPlayerTest, PauseTogglesAndHolds)
{
    start(s_plain);
    ASSERT_TRUE(playing());
    // Past the first second the start-up reports (the first position, the playback restart)
    // are all in, so any report after the pause would be the picture running on.
    Report report;
    ASSERT_TRUE(
        waitUntil([&] { return log().last(velq::CB_PROGRESS, report) && report.position >= 1.f; }));
    command("pause");
    const int reports = settledProgressCount();
    waitUntil([] { return false; }, 1300ms);
    EXPECT_EQ(log().count(velq::CB_PROGRESS), reports);
    command("pause");
    EXPECT_TRUE(nextProgress(report, 2500ms));
}

TEST_F(VelqPlayerTest, ALoadedRecordingRunsEvenWhenTheOneBeforeWasHeld)
{
    start(s_plain);
    ASSERT_TRUE(playing());
    command("pause");
    settledProgressCount();
    // As MPlayer's loadfile did: the next recording plays, from held and from stopped alike.
    for (const char* before : {"", "pt_step 1 1"}) {
        if (*before)
            command(before);
        command("pvex_loadfile \"" + s_plain.toStdString() + "\" \"\"");
        // A held one would still report its first position; a running one gets past it.
        log().clear();
        EXPECT_TRUE(waitUntil(
            [] {
                Report report;
                return log().last(velq::CB_PROGRESS, report) && report.position >= 1.f;
            },
            3000ms))
            << "the new recording runs " << before;
        command("pause");
        settledProgressCount();
    }
}

TEST_F(VelqPlayerTest, MediaTimeFollowsTheSpeed)
{
    start(s_plain);
    ASSERT_TRUE(playing());
    for (double speed : {0.15, 0.25, 0.5, 1.0, 2.0, 4.0}) {
        char text[40];
        std::snprintf(text, sizeof text, "speed_set %.2f 2", speed);
        command(text);
        const double rate = measuredRate();
        EXPECT_GT(rate, speed * kRateFloor) << speed;
        EXPECT_LT(rate, speed * 1.5) << speed;
        command("seek 0.00 2");
    }
    command("speed_set 1.00 2");
    command("speed_mult 2.00"); // 2x
    command("speed_incr -1.50"); // 0.5x
    const double rate = measuredRate();
    EXPECT_GT(rate, 0.3);
    EXPECT_LT(rate, 0.75);
}

TEST_F(VelqPlayerTest, FrameStepPutsTheNextFrameInTheBuffer)
{
    start(s_plain);
    ASSERT_TRUE(playing());
    command("pause");
    // Held first: a step taken while frames still arrive may end on one of those instead, and
    // a slow machine (the thread sanitizer's) may still be reporting frames after 200 ms.
    settledProgressCount();
    QWidget* window = s_shared->window1;
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(platform::sendMessage(window, platform::UM_FRAME_STEP), 1);
    Report report;
    ASSERT_TRUE(log().last(velq::CB_PROGRESS, report));
    const auto* frame = static_cast<const std::uint8_t*>(velq::frameAddress(report.frame1));
    const QImage first
        = QImage(frame, velq::kFrameWidth, velq::kFrameHeight, QImage::Format_RGB32).copy();
    EXPECT_TRUE(hasPicture(first));
    const float position = report.position;

    const int reports = log().count(velq::CB_PROGRESS);
    ASSERT_EQ(platform::sendMessage(window, platform::UM_FRAME_STEP), 1);
    EXPECT_GT(log().count(velq::CB_PROGRESS), reports) << "a frame step is reported";
    ASSERT_TRUE(log().last(velq::CB_PROGRESS, report));
    EXPECT_NEAR(report.position - position, 0.04, 0.021);
    const QImage second(frame, velq::kFrameWidth, velq::kFrameHeight, QImage::Format_RGB32);
    EXPECT_NE(first, second);
}

TEST_F(VelqPlayerTest, EndOfFileAndStepToEndReportCode20)
{
    start(s_plain);
    ASSERT_TRUE(playing());
    command("seek 7.50 2");
    EXPECT_TRUE(waitUntil([] { return log().has(velq::CB_END_OF_FILE); }, 5000ms));
    Report index;
    ASSERT_TRUE(log().last(velq::CB_RECORD_INDEX, index));
    EXPECT_EQ(index.argument, 7) << "the index never passes the last record";
    Report end;
    ASSERT_TRUE(log().last(velq::CB_END_OF_FILE, end));
    EXPECT_EQ(end.endReason, velq::END_REACHED) << "played to its end";
    EXPECT_EQ(end.endFile, s_plain.toStdString());

    // Reopened after its end, then ended by the step command.
    log().clear();
    command("pvex_loadfile \"" + s_plain.toStdString() + "\" \"\"");
    ASSERT_TRUE(playing());
    command("pt_step 1 1");
    EXPECT_TRUE(waitUntil([] { return log().has(velq::CB_END_OF_FILE); }));
    EXPECT_EQ(log().count(velq::CB_END_OF_FILE), 1);
    ASSERT_TRUE(log().last(velq::CB_END_OF_FILE, end));
    EXPECT_EQ(end.endReason, velq::END_STOPPED);
}

TEST_F(VelqPlayerTest, BadCommandsAndUnplayableFilesNeverHang)
{
    start(s_plain);
    ASSERT_TRUE(playing());
    EXPECT_EQ(s_command(nullptr), -1);
    EXPECT_EQ(command(std::string(velq::kCommandMax + 1, 'x')), -1)
        << "over-long commands are refused whole";
    for (const char* text : {"", "frobnicate 1 2", "seek", "seek abc", "seek 1 2 3", "speed_set x",
             "volume", "pvex_loadfile \"unterminated", "pvex_loadfile", "pause 1"})
        EXPECT_EQ(command(text), 0) << text;
    command("volume 30 2");
    command("volume -10");

    // A replaced file ends silently; a missing one ends with code 20, as never played.
    log().clear();
    const std::string missing = s_folder->path().toStdString() + "/missing.mp4";
    command("pvex_loadfile \"" + missing + "\" \"\"");
    EXPECT_TRUE(waitUntil([] { return log().has(velq::CB_END_OF_FILE); }));
    EXPECT_FALSE(log().has(velq::CB_PLAYING));
    Report end;
    ASSERT_TRUE(log().last(velq::CB_END_OF_FILE, end));
    EXPECT_EQ(end.endReason, velq::END_FAILED);
    EXPECT_EQ(end.endFile, missing);

    QFile junk(s_folder->path() + "/junk.mp4");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, '\x5a'));
    junk.close();
    log().clear();
    command("pvex_loadfile \"" + junk.fileName().toStdString() + "\" \"\"");
    EXPECT_TRUE(waitUntil([] { return log().has(velq::CB_END_OF_FILE); }));
    ASSERT_TRUE(log().last(velq::CB_END_OF_FILE, end));
    EXPECT_EQ(end.endReason, velq::END_FAILED);

    // Still alive: the next good file plays.
    log().clear();
    command("pvex_loadfile \"" + s_plain.toStdString() + "\" \"\"");
    EXPECT_TRUE(playing());
}

TEST_F(VelqPlayerTest, LoadQueuedBeforeStartPlaysOnceAndCountsTimeRecords)
{
    command("pvex_loadfile \"" + s_withTelemetry.toStdString() + "\" \"\"");
    start(s_withTelemetry);
    ASSERT_TRUE(playing());
    waitUntil([] { return false; }, 300ms);
    EXPECT_EQ(log().count(velq::CB_PLAYING), 1);
    Report report;
    ASSERT_TRUE(log().last(velq::CB_RECORD_COUNT, report));
    EXPECT_EQ(report.count, 5);
}

TEST_F(VelqPlayerTest, SecondChannelPlaysInItsOwnWindow)
{
    start(s_plain, s_plain);
    ASSERT_TRUE(playing());
    EXPECT_TRUE(log().has(velq::CB_VIDEO_WINDOW_2));
    Report report;
    ASSERT_TRUE(nextProgress(report));
    EXPECT_NE(report.frame2, 0u);
    EXPECT_NE(report.frame2, report.frame1);
    QWidget* window = s_shared->window2;
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(waitUntil([window] { return hasPicture(window->grab().toImage()); }));

    // One channel again: no second frame is handed over.
    command("pvex_loadfile \"" + s_plain.toStdString() + "\" \"\"");
    waitUntil([] { return false; }, 300ms);
    ASSERT_TRUE(nextProgress(report));
    EXPECT_EQ(report.frame2, 0u);
}

TEST_F(VelqPlayerTest, QuitFlagEndsThePlayer)
{
    start(s_plain);
    ASSERT_TRUE(playing());
    std::int32_t* flag = s_shared->quitFlag;
    ASSERT_NE(flag, nullptr);
    std::atomic_ref<std::int32_t>(*flag).store(1);
    EXPECT_TRUE(waitUntil([this] { return m_returned.load(); }));
    m_thread.join();
    EXPECT_EQ(log().codes().back(), velq::CB_ENDED);
}

// The load command carries any name whole: a double quote and the escape character stand
// escaped, everything else (spaces, Cyrillic letters in UTF-8) as it is.
TEST_F(VelqPlayerTest, LoadCommandCarriesAnyNameWhole)
{
    start(s_plain);
    ASSERT_TRUE(playing());
    const QString names[]
        = {QStringLiteral("drf \"quoted\".mp4"), QStringLiteral("drf back\\slash.mp4"),
            QStringLiteral("drf \\\"both\\.mp4"), QString::fromUtf8("запись водителя.mp4")};
    for (const QString& name : names) {
        const QString path = s_folder->filePath(name);
        ASSERT_TRUE(QFile::copy(s_withTelemetry, path)) << name.toStdString();
        std::string escaped;
        for (const char c : path.toStdString()) {
            if (c == '"' || c == '\\')
                escaped += '\\';
            escaped += c;
        }
        log().clear();
        command("pvex_loadfile \"" + escaped + "\" \"\"");
        // The file before may still report its progress; the count belongs to the new one.
        ASSERT_TRUE(waitUntil([] { return log().has(velq::CB_RECORD_COUNT); }))
            << name.toStdString();
        Report count;
        ASSERT_TRUE(log().last(velq::CB_RECORD_COUNT, count));
        EXPECT_EQ(count.count, 5) << "the file's own time records were counted: "
                                  << name.toStdString();
        EXPECT_FALSE(log().has(velq::CB_END_OF_FILE)) << name.toStdString();
    }
    // An escape before any other character is that character's own.
    const QString plain = s_folder->filePath(QStringLiteral("drf \\n.mp4"));
    ASSERT_TRUE(QFile::copy(s_plain, plain));
    log().clear();
    command("pvex_loadfile \"" + plain.toStdString() + "\"");
    EXPECT_TRUE(playing());
}
