// The adapter's side of the callback: every code, the progress report with its telemetry
// copies, the worker's unload job, and destruction while the player runs.
#include "AdapterFixture.h"

#include "platform/Dialogs.h"
#include "platform/Exit.h"
#include "player/PVEXstat0.h"
#include "player/PVEXstat1.h"
#include "player/PVEXstat2.h"
#include "player/PVEXstat3.h"
#include "player/PVEXstat4.h"
#include "player/PVEXstat9.h"
#include "support/RecordingBuilder.h"

#include <cstring>
#include <thread>

using namespace playertest;
using namespace std::chrono_literals;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;
using Strings = std::vector<std::string>;

namespace {

velq::ProgressRecord progress(float position, const void* frame1, const void* frame2)
{
    velq::ProgressRecord record{};
    record.position = position;
    record.frameBytes = velq::kFrameBytes;
    record.frame1 = reinterpret_cast<std::uintptr_t>(frame1);
    record.frame2 = reinterpret_cast<std::uintptr_t>(frame2);
    return record;
}

} // namespace

class PVEXAdapTest : public AdapterTest
{
protected:
    void fireCount(std::int32_t count)
    {
        velq::RecordCountLink link;
        velq::RecordCountValue value;
        velq::writeRecordCount(link, value, count);
        fake().fire(velq::CB_RECORD_COUNT, &link);
    }

    // A recording with n seconds of telemetry (no real video: the test library plays nothing).
    std::string telemetryRecording(const testsupport::Telemetry& telemetry)
    {
        const std::string path = recordingPath("evt_20240102_030405.mp4");
        testsupport::RecordingBuilder builder;
        builder.ftyp().mdat(1000).udat(telemetry);
        EXPECT_TRUE(builder.writeTo(QString::fromStdString(path)));
        return path;
    }
};

TEST_F(PVEXAdapTest, ConstructionAndReset)
{
    EXPECT_EQ(state(), adapter->stateUnloaded.get());
    EXPECT_EQ(adapter->previousState.load(), nullptr);
    EXPECT_EQ(adapter->volume, 100);
    EXPECT_EQ(adapter->channelCount, 2);
    EXPECT_EQ(adapter->recordTotal, -1);
    EXPECT_EQ(adapter->currentSecond(), 1);
    EXPECT_GT(adapter->desktopWidth, 0) << "the offscreen display is measured";
    EXPECT_GT(adapter->desktopHeight, 0);
    std::array<char, 128> gps;
    std::array<std::uint8_t, 12> sensor;
    EXPECT_FALSE(adapter->telemetryCopies(gps, sensor)) << "no copies before a report";
    EXPECT_EQ(adapter->notifyMoved(), 1) << "no video window yet";
}

TEST_F(PVEXAdapTest, SwitchingRecordsWhereItCameFrom)
{
    adapter->switchState(adapter->stateReady.get());
    adapter->switchState(adapter->stateLoading.get());
    EXPECT_EQ(adapter->previousState.load(), adapter->stateReady.get());
    EXPECT_EQ(adapter->stateLoading->previousState.load(), adapter->stateReady.get());
    // A switch to the current state changes nothing: loading keeps the state it came from.
    adapter->switchState(adapter->stateLoading.get());
    EXPECT_EQ(adapter->stateLoading->previousState.load(), adapter->stateReady.get());
    EXPECT_EQ(adapter->previousState.load(), adapter->stateReady.get());
}

TEST_F(PVEXAdapTest, CodesThatMoveTheState)
{
    loadReady();
    const std::pair<int, PVEXState*> moves[] = {
        {velq::CB_PLAYING, adapter->statePlaying.get()},
        {velq::CB_END_OF_FILE, adapter->stateIdle.get()},
        {velq::CB_QUITTING, adapter->stateQuitting.get()},
        {velq::CB_END_OF_FILE, adapter->stateQuitting.get()},
        {velq::CB_ENDED, adapter->stateUnloaded.get()},
        {velq::CB_READY, adapter->stateReady.get()},
        {velq::CB_END_OF_FILE, adapter->stateReady.get()},
    };
    for (const auto& [code, expected] : moves) {
        EXPECT_EQ(fake().fire(code), code);
        EXPECT_EQ(state(), expected) << "after code " << code;
    }
    // Codes without an action return themselves and change nothing.
    for (int code : {1, 2, 5, 7, 8, 9, 11, 12, 13, 15, 19, 38, 1000, -1}) {
        EXPECT_EQ(fake().fire(code), code);
        EXPECT_EQ(state(), adapter->stateReady.get());
    }
}

TEST_F(PVEXAdapTest, EndOfFileAtTheLastRecordAsksForTheNextFile)
{
    struct Case
    {
        std::uint32_t index;
        std::int32_t total;
        bool next;
    };
    for (const Case& c : {Case{0, 1, true}, Case{0, -1, false}, Case{4, 5, true}, Case{3, 5, false},
             Case{7, 5, true}, Case{0, 0, false}, Case{0x7FFFFFFF, INT32_MIN, true},
             Case{0x7FFFFFFE, INT32_MIN, false}}) {
        adapter->switchState(adapter->statePlaying.get());
        adapter->recordIndex = c.index;
        adapter->recordTotal = c.total;
        owner->clear();
        // A library that tells nothing more than the end: the index decides.
        adapter->dispatch(0, velq::CB_END_OF_FILE);
        EXPECT_EQ(state(), adapter->stateIdle.get());
        QCoreApplication::processEvents();
        ASSERT_EQ(owner->count(platform::UM_LAST_RECORD), c.next ? 1 : 0)
            << c.index << " of " << c.total;
        if (c.next) {
            EXPECT_EQ(owner->messages().front().wParam, 0u);
            EXPECT_EQ(owner->messages().front().lParam, 1);
        }
    }
}

TEST_F(PVEXAdapTest, RecordingThatRanToItsEndAsksForTheNextFileWhateverItsLength)
{
    // Of unknown length (count 0: a raw MJPEG stream), or with a video shorter than its
    // telemetry: ended by itself, it is done. Stopped on request, only the index decides.
    struct Case
    {
        std::uint32_t index;
        std::int32_t total;
        velq::EndReason reason;
        bool next;
    };
    const std::string name = recordingPath("drf_20240102_030405.mjpg");
    for (const Case& c : {Case{0, 0, velq::END_REACHED, true}, Case{5, 0, velq::END_REACHED, true},
             Case{3, 60, velq::END_REACHED, true}, Case{0, 0, velq::END_STOPPED, false},
             Case{3, 60, velq::END_STOPPED, false}, Case{59, 60, velq::END_STOPPED, true}}) {
        adapter->switchState(adapter->statePlaying.get());
        adapter->recordIndex = c.index;
        adapter->recordTotal = c.total;
        owner->clear();
        velq::EndOfFile end{c.reason, 0, reinterpret_cast<std::uintptr_t>(name.c_str())};
        adapter->dispatch(reinterpret_cast<std::intptr_t>(&end), velq::CB_END_OF_FILE);
        EXPECT_EQ(state(), adapter->stateIdle.get());
        QCoreApplication::processEvents();
        EXPECT_EQ(owner->count(platform::UM_LAST_RECORD), c.next ? 1 : 0)
            << c.index << " of " << c.total << ", reason " << c.reason;
        EXPECT_EQ(owner->count(platform::UM_OPEN_FAILED), 0);
    }
}

// A recording the player cannot open (missing, empty, cut short) never reaches playing: the
// adapter leaves loading for idle and the window learns which one it was, so its list goes on.
TEST_F(PVEXAdapTest, RecordingThatCannotBeOpenedLeavesLoadingAndTellsTheWindow)
{
    const auto failed = [this](const std::string& name) {
        velq::EndOfFile end{velq::END_FAILED, 0, reinterpret_cast<std::uintptr_t>(name.c_str())};
        fake().fire(velq::CB_END_OF_FILE, &end);
    };
    const std::string first = recordingPath("drf_20240102_030405.mp4");
    const std::string second = recordingPath("evt_20240102_030505 \"cut\".mp4");
    EXPECT_TRUE(adapter->failedFileName().empty());

    // The first open of the run: loading came from ready.
    loadReady();
    adapter->switchState(adapter->stateLoading.get());
    ASSERT_EQ(state()->openFile(first.c_str(), ""), 0);
    ASSERT_TRUE(waitUntil([this] { return fake().entryRunning(); }));
    failed(first);
    EXPECT_EQ(state(), adapter->stateIdle.get());
    EXPECT_TRUE(waitUntil([this] { return owner->count(platform::UM_OPEN_FAILED) == 1; }));
    EXPECT_EQ(owner->count(platform::UM_LAST_RECORD), 0);
    EXPECT_EQ(adapter->failedFileName(), first);

    // From idle, the next one opens; a failure reported for the one before it is old news.
    owner->clear();
    adapter->switchState(adapter->stateLoading.get());
    ASSERT_EQ(state()->openFile(second.c_str(), ""), 0);
    CaptureStdout();
    failed(first);
    GetCapturedStdout();
    EXPECT_EQ(state(), adapter->stateLoading.get());
    failed(second);
    EXPECT_EQ(state(), adapter->stateIdle.get());
    EXPECT_TRUE(waitUntil([this] { return owner->count(platform::UM_OPEN_FAILED) == 1; }));
    EXPECT_EQ(adapter->failedFileName(), second);

    // Reopened from idle (play pressed again) and failing again: still told.
    owner->clear();
    EXPECT_EQ(state()->resume(), 0);
    failed(second);
    EXPECT_EQ(state(), adapter->stateIdle.get());
    EXPECT_TRUE(waitUntil([this] { return owner->count(platform::UM_OPEN_FAILED) == 1; }));

    // A refused name puts back the state loading came from: what played plays on.
    fake().fire(velq::CB_PLAYING);
    owner->clear();
    adapter->switchState(adapter->stateLoading.get());
    const std::string overlong = "/media/card/" + std::string(5000, 'x');
    CaptureStdout();
    EXPECT_EQ(state()->openFile(overlong.c_str(), ""), 1);
    GetCapturedStdout();
    EXPECT_EQ(state(), adapter->statePlaying.get());
    EXPECT_TRUE(waitUntil([this] { return owner->count(platform::UM_OPEN_FAILED) == 1; }));
    EXPECT_EQ(adapter->failedFileName(), overlong);
}

TEST_F(PVEXAdapTest, QueriesAreAnswered)
{
    loadReady();
    void* address = nullptr;
    fake().fire(velq::CB_OWNER_WINDOW, &address);
    EXPECT_EQ(address, owner.get());
    fake().fire(velq::CB_PLACEMENT_A, &address);
    EXPECT_EQ(address, adapter->placementA.data());
    fake().fire(velq::CB_PLACEMENT_B, &address);
    EXPECT_EQ(address, adapter->placementB.data());

    adapter->volume = 64;
    adapter->channelCount = 1;
    adapter->placeFlag1 = 5;
    adapter->placeFlag2 = 6;
    adapter->scrambledView = 1;
    adapter->scrambleKey = 0xA5A5A5A5u;
    const std::pair<int, std::int32_t> answers[] = {
        {velq::CB_RESERVED_1, 0},
        {velq::CB_DESKTOP_WIDTH, adapter->desktopWidth},
        {velq::CB_DESKTOP_HEIGHT, adapter->desktopHeight},
        {velq::CB_RESERVED_2, 0},
        {velq::CB_VOLUME, 64},
        {velq::CB_PLACE_FLAG_1, 5},
        {velq::CB_PLACE_FLAG_2, 6},
        {velq::CB_CHANNEL_COUNT, 1},
        {velq::CB_SCRAMBLED_VIEW, 1},
        {velq::CB_SCRAMBLE_KEY, std::int32_t(0xA5A5A5A5u)},
    };
    for (const auto& [code, expected] : answers) {
        std::int32_t value = -12345;
        fake().fire(code, &value);
        EXPECT_EQ(value, expected) << "code " << code;
    }
    // Code 33 takes the reader's flag: after a failed read it answers 1.
    adapter->telemetry.failed = 1;
    adapter->noTelemetry = 0;
    std::int32_t flag = 0;
    fake().fire(velq::CB_NO_TELEMETRY, &flag);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(adapter->noTelemetry, 1);

    float seconds = 12.7f;
    fake().fire(velq::CB_LENGTH, &seconds);
    EXPECT_FLOAT_EQ(adapter->length, 12.7f);
    EXPECT_EQ(adapter->lengthSeconds, 12);
    fake().fire(velq::CB_RECORD_INDEX, std::intptr_t(17));
    EXPECT_EQ(adapter->recordIndex, 17u);
    fake().fire(velq::CB_QUIT_FLAG, fake().quitFlag());
    EXPECT_EQ(adapter->libraryQuitFlag.load(), fake().quitFlag());
    fake().fire(velq::CB_VIDEO_WINDOW_1, window1.get());
    fake().fire(velq::CB_VIDEO_WINDOW_2, window2.get());
    EXPECT_EQ(adapter->videoWindow1.load(), window1.get());
    EXPECT_EQ(adapter->videoWindow2.load(), window2.get());
}

TEST_F(PVEXAdapTest, RecordCountLayout)
{
    fireCount(0); // not loaded: the library's callback is not ours yet
    loadReady();
    fireCount(321);
    EXPECT_EQ(adapter->recordTotal, 321);
    EXPECT_EQ(adapter->telemetry.recordCount, 321u);
    // The count stands at byte 80 of the record whose address is at byte 20.
    std::uint8_t inner[84] = {};
    const std::int32_t count = 77;
    std::memcpy(inner + 80, &count, 4);
    std::uint8_t outer[28] = {};
    const std::uint64_t address = reinterpret_cast<std::uintptr_t>(inner);
    std::memcpy(outer + 20, &address, 8);
    fake().fire(velq::CB_RECORD_COUNT, outer);
    EXPECT_EQ(adapter->recordTotal, 77);
    // A null record, or a null address in it, is ignored.
    fake().fire(velq::CB_RECORD_COUNT, std::intptr_t(0));
    std::uint8_t empty[28] = {};
    fake().fire(velq::CB_RECORD_COUNT, empty);
    EXPECT_EQ(adapter->recordTotal, 77);
}

TEST_F(PVEXAdapTest, PlayingAnnouncesItselfToTheVideoWindow)
{
    startPlaying();
    QCoreApplication::processEvents();
    ASSERT_EQ(window1->count(platform::UM_GET_TIME_LENGTH), 1);
    const auto message = window1->messages().front();
    EXPECT_STREQ(reinterpret_cast<const char*>(message.wParam), "get_time_length");
}

TEST_F(PVEXAdapTest, StateNumberQueryPausesAndReleasesOnceWhilePlaying)
{
    startPlaying();
    fake().fire(velq::CB_STATE_NUMBER);
    EXPECT_EQ(adapter->stateNumber, 1);
    EXPECT_EQ(fake().commands(), (Strings{"pause", "pause"}));
    fake().clear();
    fake().fire(velq::CB_END_OF_FILE);
    fake().fire(velq::CB_STATE_NUMBER);
    EXPECT_EQ(adapter->stateNumber, 3);
    EXPECT_TRUE(fake().commands().empty());
}

TEST_F(PVEXAdapTest, ProgressReportCopiesTheCurrentRecords)
{
    const auto telemetry = testsupport::Telemetry::drive(5);
    startPlaying(telemetryRecording(telemetry));
    EXPECT_EQ(adapter->noTelemetry, 0);
    fireCount(5);
    std::vector<std::uint8_t> frame1(16, 1);
    std::vector<std::uint8_t> frame2(16, 2);
    for (std::uint32_t index : {2u, 4u, 0u}) {
        owner->clear();
        fake().fire(velq::CB_RECORD_INDEX, std::intptr_t(index));
        auto record = progress(index + 0.75f, frame1.data(), frame2.data());
        fake().fire(velq::CB_PROGRESS, &record);
        EXPECT_FLOAT_EQ(adapter->position, index + 0.75f);
        EXPECT_EQ(adapter->positionSeconds, std::int32_t(index));
        EXPECT_EQ(adapter->currentSecond(), std::int32_t(index) + 1);
        EXPECT_EQ(adapter->frame1.load(), frame1.data());
        EXPECT_EQ(adapter->frame2.load(), frame2.data());
        EXPECT_EQ(adapter->frameBytes, velq::kFrameBytes);
        std::array<char, 128> gps;
        std::array<std::uint8_t, 12> sensor;
        ASSERT_TRUE(adapter->telemetryCopies(gps, sensor));
        EXPECT_EQ(QByteArray(gps.data()), telemetry.sentences[index]);
        std::array<std::uint8_t, 12> expected;
        std::memcpy(expected.data(), telemetry.samples[index].data(), 12);
        EXPECT_EQ(sensor, expected);
        EXPECT_NE(adapter->currentTime.load(), nullptr);
        QCoreApplication::processEvents();
        EXPECT_EQ(owner->codes(), std::vector<unsigned>{platform::UM_TIME_UPDATE});
    }
    // Past the last record the lookups give nothing and the copies are zero-filled.
    fake().fire(velq::CB_RECORD_INDEX, std::intptr_t(5));
    auto record = progress(5.f, frame1.data(), nullptr);
    adapter->channelCount = 1;
    fake().fire(velq::CB_PROGRESS, &record);
    EXPECT_EQ(adapter->currentGps.load(), nullptr);
    EXPECT_EQ(adapter->frame2.load(), frame2.data()) << "one channel: frame 2 is left alone";
    std::array<char, 128> gps;
    std::array<std::uint8_t, 12> sensor;
    ASSERT_TRUE(adapter->telemetryCopies(gps, sensor));
    EXPECT_EQ(gps, (std::array<char, 128>{}));
    EXPECT_EQ(sensor, (std::array<std::uint8_t, 12>{}));
}

TEST_F(PVEXAdapTest, ProgressWhileLoadingReportsNothingButStillNotifies)
{
    const auto telemetry = testsupport::Telemetry::drive(5);
    startPlaying(telemetryRecording(telemetry));
    fireCount(5);
    adapter->switchState(adapter->stateLoading.get());
    fake().fire(velq::CB_RECORD_INDEX, std::intptr_t(3));
    owner->clear();
    auto record = progress(3.5f, nullptr, nullptr);
    fake().fire(velq::CB_PROGRESS, &record);
    EXPECT_EQ(adapter->position, 0.f);
    EXPECT_EQ(adapter->positionSeconds, 0);
    EXPECT_EQ(adapter->currentGps.load(), nullptr);
    EXPECT_EQ(adapter->currentSensor.load(), nullptr);
    EXPECT_EQ(adapter->currentTime.load(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(owner->count(platform::UM_TIME_UPDATE), 1);
}

TEST_F(PVEXAdapTest, ExemptAndBrokenRecordingsHaveNoTelemetry)
{
    loadReady();
    const std::string exempt = recordingPath("drf_1.mjpg.mp4");
    testsupport::RecordingBuilder builder;
    builder.ftyp().udat(testsupport::Telemetry::drive(2));
    ASSERT_TRUE(builder.writeTo(QString::fromStdString(exempt)));
    adapter->switchState(adapter->stateLoading.get());
    state()->openFile(exempt.c_str(), "");
    EXPECT_EQ(adapter->noTelemetry, 1);
    EXPECT_EQ(adapter->telemetry.failed, 1);

    fake().fire(velq::CB_PLAYING);
    const std::string plain = recordingPath("drf_2.mp4");
    ASSERT_TRUE(
        testsupport::RecordingBuilder().ftyp().mdat(64).writeTo(QString::fromStdString(plain)));
    state()->openFile(plain.c_str(), "");
    EXPECT_EQ(adapter->noTelemetry, 1) << "no udat box";
    owner->clear();
    auto record = progress(1.f, nullptr, nullptr);
    fake().fire(velq::CB_PROGRESS, &record);
    std::array<char, 128> gps;
    std::array<std::uint8_t, 12> sensor;
    EXPECT_FALSE(adapter->telemetryCopies(gps, sensor));
    QCoreApplication::processEvents();
    EXPECT_EQ(owner->count(platform::UM_TIME_UPDATE), 1) << "notified all the same";
}

TEST_F(PVEXAdapTest, ViewModeMessageLeavesTheCopiesReadable)
{
    // A recording of the other view mode shows a message box, whose event loop runs the main
    // window's handlers, before the program ends; they must still get at the copies.
    class ReadingBox : public platform::MessageBoxService
    {
    public:
        explicit ReadingBox(PVEXAdap& adapter)
            : m_adapter(adapter)
        {
            platform::setMessageBoxService(this);
        }
        ~ReadingBox() override { platform::setMessageBoxService(nullptr); }
        int show(QWidget*, const QString&, const QString&, platform::Buttons) override
        {
            reader = std::thread([this] {
                std::array<char, 128> gps;
                std::array<std::uint8_t, 12> sensor;
                m_adapter.telemetryCopies(gps, sensor);
                readWhileShown = true;
            });
            waitUntil([this] { return readWhileShown.load(); }, 1000ms);
            shownReadable = readWhileShown;
            return 1;
        }
        std::thread reader;
        std::atomic<bool> readWhileShown{false};
        bool shownReadable = false;

    private:
        PVEXAdap& m_adapter;
    };

    startPlaying();
    const std::string other = recordingPath("evt_20240102_050000.mp4");
    ASSERT_TRUE(testsupport::RecordingBuilder().mdat(64).writeTo(QString::fromStdString(other)));
    ReadingBox box(*adapter);
    platform::ExitRecorder exits;
    EXPECT_THROW(state()->openFile(other.c_str(), ""), platform::ExitRequested);
    ASSERT_TRUE(box.reader.joinable()) << "the message box was shown";
    box.reader.join();
    EXPECT_TRUE(box.shownReadable);
}

TEST_F(PVEXAdapTest, QuitJobWaitsForTheSwitchFromPlayingToQuitting)
{
    startPlaying();
    fake().setQuitCodes(false); // the test sends the codes itself
    EXPECT_EQ(state()->shutdown(), 1);
    // Asked to end through its flag alone: no command is sent.
    ASSERT_TRUE(waitUntil([this] { return !fake().entryRunning(); }));
    EXPECT_TRUE(fake().commands().empty());
    // Another switch wakes the worker, but the job is not for it.
    fake().fire(velq::CB_END_OF_FILE);
    waitUntil([] { return false; }, 50ms);
    EXPECT_EQ(adapter->queue.readIndex(), 0);
    EXPECT_TRUE(adapter->libraryLoaded());
    adapter->switchState(adapter->statePlaying.get());
    fake().fire(velq::CB_QUITTING);
    EXPECT_TRUE(waitUntil([this] { return !adapter->libraryLoaded(); }));
    EXPECT_TRUE(waitUntil([this] { return state() == adapter->stateUnloaded.get(); }));
    EXPECT_EQ(adapter->queue.readIndex(), 1);
}

TEST_F(PVEXAdapTest, QuitJobIsQueuedBeforeTheLibrarySeesItsFlag)
{
    // The library may answer its flag at once; the worker must already find the job then, or
    // the library is never let go.
    loadReady();
    adapter->switchState(adapter->statePlaying.get());
    alignas(4) std::int32_t flag = 0;
    adapter->dispatch(reinterpret_cast<std::intptr_t>(&flag), velq::CB_QUIT_FLAG);
    int missed = 0;
    for (int i = 0; i < 200; ++i) {
        std::atomic_ref<std::int32_t>(flag).store(0);
        std::atomic<bool> watching{false};
        int found = -1;
        std::thread library([&] {
            watching = true;
            while (std::atomic_ref<std::int32_t>(flag).load() != 1) { }
            PVEXQ::Entry job;
            found = adapter->queue.peek(&job);
        });
        while (!watching) { }
        EXPECT_EQ(state()->shutdown(), 1);
        library.join();
        missed += found != 0;
        adapter->queue.pop(nullptr);
    }
    EXPECT_EQ(missed, 0) << "times the flag was up before the job was queued";
}

TEST_F(PVEXAdapTest, QuitFromPlayingEndsTheLibraryThroughItsCodes)
{
    startPlaying();
    EXPECT_EQ(state()->shutdown(), 1);
    EXPECT_TRUE(waitUntil([this] { return !adapter->libraryLoaded(); }));
    EXPECT_TRUE(waitUntil([this] { return state() == adapter->stateUnloaded.get(); }));
    EXPECT_FALSE(adapter->playerThreadRunning());

    // Without a quit flag nothing is asked of the library.
    adapter = std::make_unique<PVEXAdap>(owner.get());
    adapter->switchState(adapter->statePlaying.get());
    EXPECT_EQ(state()->shutdown(), 1);
    EXPECT_EQ(adapter->queue.writeIndex(), 0);
}

TEST_F(PVEXAdapTest, DestructionEndsThePlayerAndStopsTheCallbacks)
{
    startPlaying();
    ASSERT_TRUE(fake().entryRunning());
    const auto start = std::chrono::steady_clock::now();
    adapter.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(fake().entryRunning());
    EXPECT_FALSE(fake().callbackSet());
    EXPECT_EQ(fake().fire(velq::CB_PROGRESS), -1) << "nothing reaches the freed adapter";
}

// mpv stuck on a hung card reader keeps the player thread past the destructor's wait: the
// thread is left behind and, when it finally ends, touches nothing of the freed adapter (the
// address sanitizer would see it).
TEST_F(PVEXAdapTest, DestroyedWhileThePlayerThreadIsHeldPastTheWait)
{
    startPlaying();
    fake().holdEntry(true);
    adapter->threadJoinLimit = 200ms;
    CaptureStdout();
    adapter.reset();
    EXPECT_NE(GetCapturedStdout().find("did not end in time"), std::string::npos);
    EXPECT_TRUE(fake().entryRunning());
    EXPECT_FALSE(fake().callbackSet());
    EXPECT_EQ(fake().fire(velq::CB_PROGRESS), -1) << "nothing reaches the freed adapter";
    fake().holdEntry(false);
    EXPECT_TRUE(waitUntil([this] { return !fake().entryRunning(); }));
    // Its last steps after the entry returns.
    waitUntil([] { return false; }, 100ms);
}

TEST_F(PVEXAdapTest, VideoWindowsAndCurrentRecordsAreForgottenWhenTheyGo)
{
    const auto telemetry = testsupport::Telemetry::drive(5);
    const std::string path = telemetryRecording(telemetry);
    startPlaying(path);
    fake().fire(velq::CB_VIDEO_WINDOW_2, window2.get());
    fireCount(5);
    fake().fire(velq::CB_RECORD_INDEX, std::intptr_t(2));
    auto record = progress(2.f, nullptr, nullptr);
    fake().fire(velq::CB_PROGRESS, &record);
    ASSERT_NE(adapter->currentGps.load(), nullptr);
    // A new open reads a new copy: the addresses into the old one go first.
    adapter->switchState(adapter->stateLoading.get());
    ASSERT_EQ(state()->openFile(path.c_str(), ""), 0);
    EXPECT_EQ(adapter->currentGps.load(), nullptr);
    EXPECT_EQ(adapter->currentSensor.load(), nullptr);
    EXPECT_EQ(adapter->currentTime.load(), nullptr);
    fake().fire(velq::CB_PLAYING);

    // The library says its windows go before it deletes them; its end clears them in any case.
    fake().fire(velq::CB_VIDEO_WINDOW_1, std::intptr_t(0));
    EXPECT_EQ(adapter->notifyMoved(), 1);
    fake().fire(velq::CB_VIDEO_WINDOW_1, window1.get());
    fake().fire(velq::CB_ENDED);
    EXPECT_EQ(adapter->videoWindow1.load(), nullptr);
    EXPECT_EQ(adapter->videoWindow2.load(), nullptr);
    EXPECT_EQ(adapter->notifyMoved(), 1);

    // The unload releases the copy, and the addresses into it with it.
    fake().fire(velq::CB_PROGRESS, &record);
    adapter->switchState(adapter->stateReady.get());
    fake().holdEntry(false);
    std::atomic_ref<std::int32_t>(*fake().quitFlag()).store(1);
    ASSERT_TRUE(waitUntil([this] { return !fake().entryRunning(); }));
    adapter->switchState(adapter->stateReady.get());
    EXPECT_EQ(state()->shutdown(), 0);
    EXPECT_EQ(adapter->currentGps.load(), nullptr);
    EXPECT_EQ(adapter->currentTime.load(), nullptr);
}

TEST_F(PVEXAdapTest, CallbacksFromManyThreadsWhileTheWindowReads)
{
    const auto telemetry = testsupport::Telemetry::drive(5);
    startPlaying(telemetryRecording(telemetry));
    fireCount(5);
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([this, t, &stop] {
            std::vector<std::uint8_t> frame(16, std::uint8_t(t));
            for (int i = 0; !stop && i < 2000; ++i) {
                fake().fire(velq::CB_RECORD_INDEX, std::intptr_t((i + t) % 5));
                auto record = progress(float(i % 5), frame.data(), nullptr);
                fake().fire(velq::CB_PROGRESS, &record);
                if (i % 100 == 0)
                    fake().fire(t == 0 ? velq::CB_PLAYING : velq::CB_END_OF_FILE);
            }
        });
    // Whatever the interleaving, a copy is always one whole record.
    for (int i = 0; i < 2000; ++i) {
        std::array<char, 128> gps;
        std::array<std::uint8_t, 12> sensor;
        if (adapter->telemetryCopies(gps, sensor)) {
            const QByteArray sentence(gps.data());
            EXPECT_TRUE(telemetry.sentences.contains(sentence)) << sentence.constData();
        }
        (void)adapter->position.load();
        (void)adapter->current()->stateNumberOf();
    }
    stop = true;
    for (std::thread& thread : threads)
        thread.join();
    QCoreApplication::processEvents();
}
