// Every operation of every state, against the test player library.
#include "AdapterFixture.h"

#include "player/PVEXstat0.h"
#include "player/PVEXstat1.h"
#include "player/PVEXstat2.h"
#include "player/PVEXstat3.h"
#include "player/PVEXstat4.h"
#include "player/PVEXstat9.h"

#include <QFile>

#include <limits>

using namespace playertest;
using namespace std::chrono_literals;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

using Strings = std::vector<std::string>;

struct Row
{
    const char* operation;
    int unloaded, ready, playing, idle, quitting;
};

// Results with no library loaded and no video window: what each state makes of a request on
// its own. Idle's shutdown waits for the player and has a test of its own.
const Row kTable[] = {
    {"loadLibrary(no name)", 2, -1, -1, -1, -1},
    {"startPlayer", 3, 3, -1, 0, -1},
    {"openFile", 0, 3, 0, 0, -1},
    {"resume", -1, 1, 0, 1, -1},
    {"stopFile", -1, -1, 0, -1, -1},
    {"pause", -1, -1, 0, -1, -1},
    {"frameStep", -1, -1, 1, -1, -1},
    {"seek", -1, -1, 0, -1, -1},
    {"changeSpeed", -1, -1, 0, 0, -1},
    {"scaleSpeed", -1, -1, 0, 0, -1},
    {"setVolume", -1, -1, 0, -1, -1},
    {"placeVideo", 0, 0, 1, 0, -1},
    {"placeVideoAlt", 0, 0, 1, 0, -1},
    {"refreshVideo", -1, -1, 1, 1, -1},
    {"stateNumberOf", 0, 4, 1, 3, 2},
};

int call(PVEXState* state, const std::string& operation, const char* name)
{
    if (operation == "loadLibrary(no name)")
        return state->loadLibrary(nullptr);
    if (operation == "startPlayer")
        return state->startPlayer(name, "");
    if (operation == "openFile")
        return state->openFile(name, "");
    if (operation == "resume")
        return state->resume();
    if (operation == "stopFile")
        return state->stopFile();
    if (operation == "pause")
        return state->pause();
    if (operation == "frameStep")
        return state->frameStep();
    if (operation == "seek")
        return state->seek(1.f, 1);
    if (operation == "changeSpeed")
        return state->changeSpeed(2.f, 0);
    if (operation == "scaleSpeed")
        return state->scaleSpeed(2.f, 1);
    if (operation == "setVolume")
        return state->setVolume(50.f, 0);
    if (operation == "placeVideo")
        return state->placeVideo(0, 24, 52, 640, 480);
    if (operation == "placeVideoAlt")
        return state->placeVideoAlt(1, 684, 122, 640, 480);
    if (operation == "refreshVideo")
        return state->refreshVideo(1);
    return state->stateNumberOf();
}

} // namespace

class PVEXStateTest : public AdapterTest
{
};

TEST_F(PVEXStateTest, EveryOperationInEveryStateWithoutALibrary)
{
    const std::string name = recordingPath("drf_20240102_030405.mp4");
    const auto states = [this] {
        return std::vector<PVEXState*>{adapter->stateUnloaded.get(), adapter->stateReady.get(),
            adapter->statePlaying.get(), adapter->stateIdle.get(), adapter->stateQuitting.get()};
    };
    for (const Row& row : kTable) {
        const int expected[] = {row.unloaded, row.ready, row.playing, row.idle, row.quitting};
        for (int i = 0; i < 5; ++i) {
            adapter = std::make_unique<PVEXAdap>(owner.get());
            PVEXState* state = states()[i];
            adapter->switchState(state);
            CaptureStdout();
            EXPECT_EQ(call(state, row.operation, name.c_str()), expected[i])
                << row.operation << " in state " << state->stateNumberOf();
            // The loading state hands the same request to the state before it.
            adapter->switchState(adapter->stateLoading.get());
            if (std::string(row.operation) == "stateNumberOf")
                EXPECT_EQ(adapter->stateLoading->stateNumberOf(), 9);
            else
                EXPECT_EQ(
                    call(adapter->stateLoading.get(), row.operation, name.c_str()), expected[i])
                    << row.operation << " through loading from " << state->stateNumberOf();
            GetCapturedStdout();
        }
    }
    EXPECT_TRUE(fake().commands().empty()) << "nothing reaches a library that is not loaded";
}

TEST_F(PVEXStateTest, TracesAndUndefinedRefresh)
{
    const std::pair<PVEXState*, const char*> traces[] = {
        {adapter->stateUnloaded.get(), "####stat0\n"}, {adapter->stateReady.get(), "####stat4\n"},
        {adapter->statePlaying.get(), ""}, {adapter->stateIdle.get(), "####stat3\n"},
        {adapter->stateQuitting.get(), "####stat2\n"}, {adapter->stateLoading.get(), ""}};
    for (const auto& [state, text] : traces) {
        CaptureStdout();
        const auto start = std::chrono::steady_clock::now();
        state->trace();
        EXPECT_GE(std::chrono::steady_clock::now() - start, 10ms);
        EXPECT_EQ(GetCapturedStdout(), text);
    }
    for (PVEXState* state : {static_cast<PVEXState*>(adapter->stateUnloaded.get()),
             static_cast<PVEXState*>(adapter->stateReady.get()),
             static_cast<PVEXState*>(adapter->stateQuitting.get())}) {
        CaptureStdout();
        EXPECT_EQ(state->refreshVideo(1), -1);
        EXPECT_EQ(GetCapturedStdout(), "####method undefined\n");
    }
}

TEST_F(PVEXStateTest, PlacementIsStoredPerChannelAndMovesTheWindowWhilePlaying)
{
    EXPECT_EQ(state()->placeVideo(0, 24, 52, 640, 480), 0);
    EXPECT_EQ(state()->placeVideo(1, 684, 122, 640, 480), 0);
    EXPECT_EQ(state()->placeVideoAlt(1, 1, 2, 3, 4), 0);
    const std::array<std::uint16_t, 8> a = {24, 52, 640, 480, 684, 122, 640, 480};
    const std::array<std::uint16_t, 8> b = {0, 0, 0, 0, 1, 2, 3, 4};
    EXPECT_EQ(adapter->placementA, a);
    EXPECT_EQ(adapter->placementB, b);

    startPlaying();
    EXPECT_EQ(state()->placeVideo(1, 684, 122, 640, 480), 2) << "no second window to move";
    EXPECT_EQ(state()->placeVideo(0, 30, 60, 320, 240), 0);
    EXPECT_EQ(window1->geometry(), QRect(30, 60, 320, 240));
    EXPECT_FALSE(window1->isHidden());
    EXPECT_EQ(adapter->placementA[2], 320);
    fake().fire(velq::CB_VIDEO_WINDOW_2, window2.get());
    EXPECT_EQ(state()->placeVideoAlt(1, 700, 130, 640, 480), 0);
    EXPECT_EQ(window2->geometry(), QRect(700, 130, 640, 480));
    EXPECT_EQ(adapter->placementB[4], 700);
    // Each value is taken as an unsigned 16-bit number.
    EXPECT_EQ(state()->placeVideo(0, 65536 + 5, 7, 100, 100), 0);
    EXPECT_EQ(window1->x(), 5);
}

TEST_F(PVEXStateTest, LoadingTheLibrary)
{
    EXPECT_EQ(state()->loadLibrary(""), 2);
    EXPECT_EQ(state()->loadLibrary(recordingPath("nothing.so").c_str()), 4);
    EXPECT_EQ(state()->loadLibrary(FakeLibrary::file(false).toLocal8Bit().constData()), 3)
        << "an export is missing";
    EXPECT_TRUE(adapter->libraryLoaded()) << "the library stays loaded";
    EXPECT_EQ(state()->loadLibrary(FakeLibrary::file().toLocal8Bit().constData()), 1);
    EXPECT_EQ(state()->shutdown(), 0);
    EXPECT_FALSE(adapter->libraryLoaded());

    ASSERT_EQ(state()->loadLibrary(FakeLibrary::file().toLocal8Bit().constData()), 0);
    EXPECT_TRUE(fake().callbackSet());
    EXPECT_EQ(state(), adapter->stateUnloaded.get()) << "only the library's code 0 moves on";
    fake().fire(velq::CB_READY);
    EXPECT_EQ(state(), adapter->stateReady.get());
    EXPECT_EQ(state()->loadLibrary(FakeLibrary::file().toLocal8Bit().constData()), -1);
    EXPECT_EQ(state()->shutdown(), 0) << "ready unloads";
    EXPECT_FALSE(fake().callbackSet()) << "an unloaded library no longer calls back";
    EXPECT_EQ(state(), adapter->stateReady.get()) << "unloading leaves the state as it is";
    EXPECT_EQ(state()->shutdown(), 1) << "nothing left to unload";
}

TEST_F(PVEXStateTest, StartingThePlayer)
{
    const std::string name = recordingPath("drf_20240102_030405.mp4");
    const int starts = fake().entryStarts();
    ASSERT_EQ(state()->loadLibrary(FakeLibrary::file().toLocal8Bit().constData()), 0);
    // Unloaded with a library: the open goes through ready's start.
    adapter->switchState(adapter->stateLoading.get());
    const std::string windowsName = "E:\\DCIM\\drf_20240102_030405.mp4";
    EXPECT_EQ(state()->openFile(windowsName.c_str(), ""), 0);
#ifdef _WIN32
    EXPECT_EQ(fake().commands(), Strings{"pvex_loadfile \"E:/DCIM/drf_20240102_030405.mp4\" \"\""});
#else
    // A backslash is part of a name here, not a separator: it goes whole, escaped.
    EXPECT_EQ(
        fake().commands(), Strings{"pvex_loadfile \"E:\\\\DCIM\\\\drf_20240102_030405.mp4\" \"\""});
#endif
    ASSERT_TRUE(waitUntil([this] { return fake().entryRunning(); }));
    EXPECT_EQ(fake().entryArguments(),
        (Strings{"mplayer", "-vo", "directx:noaccel", "-autosync", "0", windowsName, ""}));
    EXPECT_EQ(adapter->noTelemetry, 1) << "a missing file has no telemetry";

    // Still ready while the thread runs: a second start is refused with 2, after sending.
    fake().fire(velq::CB_READY);
    EXPECT_EQ(state()->openFile(name.c_str(), ""), 2);
    EXPECT_EQ(fake().entryStarts(), starts + 1);

    // A name longer than the platform's paths is refused whole, never cut, and the window
    // learns which one (after its request, not inside it).
    const std::string longName(4096, 'n');
    fake().clear();
    owner->clear();
    CaptureStdout();
    EXPECT_EQ(adapter->stateReady->startPlayer(longName.c_str(), ""), 3);
    EXPECT_NE(GetCapturedStdout().find("too long"), std::string::npos);
    EXPECT_TRUE(fake().commands().empty());
    EXPECT_EQ(owner->count(platform::UM_OPEN_FAILED), 0);
    EXPECT_TRUE(waitUntil([this] { return owner->count(platform::UM_OPEN_FAILED) == 1; }));
    EXPECT_EQ(adapter->failedFileName(), longName);
}

TEST_F(PVEXStateTest, PlayingSendsTheCommands)
{
    startPlaying();
    EXPECT_EQ(state()->resume(), 0);
    EXPECT_EQ(state()->pause(), 0);
    EXPECT_EQ(state()->stopFile(), 0);
    EXPECT_EQ(state()->seek(1.f, 1), 0);
    EXPECT_EQ(state()->seek(-1.f, 1), 0);
    EXPECT_EQ(state()->seek(42.5f, 0), 0);
    EXPECT_EQ(state()->changeSpeed(0.15f, 0), 0);
    EXPECT_EQ(state()->changeSpeed(0.25f, 1), 0);
    EXPECT_EQ(state()->scaleSpeed(2.f, 1), 0);
    EXPECT_EQ(state()->scaleSpeed(4.f, 0), 0);
    EXPECT_EQ(state()->setVolume(15.9f, 0), 0);
    EXPECT_EQ(state()->setVolume(100.f, 1), 0);
    EXPECT_EQ(state()->setVolume(-200.f, 1), 0);
    EXPECT_EQ(state()->setVolume(std::numeric_limits<float>::infinity(), 0), 0);
    EXPECT_EQ(state()->setVolume(-9.9f, 1), 0);
    // No number at all changes nothing and sends nothing.
    EXPECT_EQ(state()->setVolume(std::numeric_limits<float>::quiet_NaN(), 0), 1);
    EXPECT_EQ(state()->setVolume(std::numeric_limits<float>::quiet_NaN(), 1), 1);
    // Held to the library's 0 to 100.
    EXPECT_EQ(fake().commands(),
        (Strings{"pause", "pause", "pt_step 1 1", "seek 1.00", "seek -1.00", "seek 42.50 2",
            "speed_set 0.15 2", "speed_incr 0.25", "speed_mult 2.00", "speed_set 4.00 2",
            "volume 15 2", "volume 100 2", "volume 0 2", "volume 100 2", "volume 91 2"}));
    EXPECT_EQ(adapter->volume, 91);

    fake().clear();
    adapter->pauseAfterSeek = 1;
    state()->seek(3.f, 0);
    EXPECT_EQ(fake().commands(), (Strings{"seek 3.00 2", "pause"}));

    // Through the loading state, the same requests reach playing unchanged.
    fake().clear();
    adapter->switchState(adapter->stateLoading.get());
    EXPECT_EQ(state()->scaleSpeed(2.f, 1), 0);
    EXPECT_EQ(state()->stateNumberOf(), 9);
    EXPECT_EQ(fake().commands(), Strings{"speed_mult 2.00"});
}

TEST_F(PVEXStateTest, PlayingDrivesTheVideoWindows)
{
    startPlaying();
    window1->clear();
    EXPECT_EQ(state()->frameStep(), 0);
    EXPECT_EQ(state()->refreshVideo(1), 0);
    EXPECT_EQ(state()->refreshVideo(2), 1) << "no second window";
    EXPECT_EQ(state()->refreshVideo(3), 1);
    EXPECT_EQ(adapter->notifyMoved(), 0);
    EXPECT_EQ(window1->codes(),
        (std::vector<unsigned>{platform::UM_FRAME_STEP, platform::UM_REFRESH_VIDEO,
            platform::UM_REFRESH_VIDEO_2, velq::kWindowMoved, platform::UM_MAIN_MOVED}));
    for (const auto& message : window1->messages()) {
        EXPECT_EQ(message.wParam, 0u);
        EXPECT_EQ(message.lParam, 0);
    }
    fake().fire(velq::CB_VIDEO_WINDOW_2, window2.get());
    adapter->switchState(adapter->stateIdle.get());
    EXPECT_EQ(state()->refreshVideo(2), 0) << "idle refreshes as playing does";
    EXPECT_EQ(window2->count(platform::UM_REFRESH_VIDEO), 1);
}

TEST_F(PVEXStateTest, OpeningAnotherRecordingWhilePlayingOrIdle)
{
    startPlaying();
    const int starts = fake().entryStarts();
    const std::string next = recordingPath("evt_20240102_040000.mp4");
    EXPECT_EQ(state()->openFile(next.c_str(), ""), 0);
    EXPECT_EQ(fake().commands(), Strings{"pvex_loadfile \"" + next + "\" \"\""});

    fake().fire(velq::CB_END_OF_FILE);
    ASSERT_EQ(state(), adapter->stateIdle.get());
    fake().clear();
    // Idle's resume opens the last recording again; its start does the same as its open.
    EXPECT_EQ(state()->resume(), 0);
    EXPECT_EQ(state()->startPlayer(next.c_str(), "second.mp4"), 0);
    EXPECT_EQ(state()->changeSpeed(2.f, 0), 0);
    EXPECT_EQ(fake().commands(),
        (Strings{"pvex_loadfile \"" + next + "\" \"\"",
            "pvex_loadfile \"" + next + "\" \"second.mp4\"", "speed_set 2.00 2"}));
    EXPECT_EQ(fake().entryStarts(), starts) << "the running player opens it; no new thread";

    // A 3000-character path is a path like any other; one over the platform's limit is refused.
    const std::string deep = "/media/card/" + std::string(2988, 'd');
    EXPECT_EQ(state()->openFile(deep.c_str(), ""), 0);
    EXPECT_EQ(fake().commands().back(), "pvex_loadfile \"" + deep + "\" \"\"");
    EXPECT_EQ(state()->openFile(next.c_str(), ""), 0);
    const std::string longName(4096, 'n');
    fake().clear();
    CaptureStdout();
    EXPECT_EQ(state()->openFile(longName.c_str(), ""), 1);
    adapter->switchState(adapter->statePlaying.get());
    EXPECT_EQ(state()->openFile(longName.c_str(), ""), 1);
    EXPECT_EQ(state()->openFile(next.c_str(), longName.c_str()), 1);
    GetCapturedStdout();
    EXPECT_TRUE(fake().commands().empty());
    std::string name1;
    std::string name2;
    adapter->lastFileNames(name1, name2);
    EXPECT_EQ(name1, next) << "a refused open keeps the last recording";
}

TEST_F(PVEXStateTest, IdleQuitsAndUnloads)
{
    startPlaying();
    fake().fire(velq::CB_END_OF_FILE);
    ASSERT_EQ(state(), adapter->stateIdle.get());
    EXPECT_EQ(state()->shutdown(), 0);
    EXPECT_EQ(fake().commands(), Strings{"quit"});
    EXPECT_FALSE(adapter->libraryLoaded());
    EXPECT_FALSE(fake().entryRunning());
    EXPECT_EQ(adapter->recordTotal, -1) << "the adapter was reset";
}

TEST_F(PVEXStateTest, IdleQuitWaitIsBounded)
{
    startPlaying();
    fake().fire(velq::CB_END_OF_FILE);
    fake().setQuitCodes(false);
    CaptureStdout();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(state()->shutdown(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
    GetCapturedStdout();
    EXPECT_TRUE(adapter->libraryLoaded()) << "never unloaded under a running player";
}
