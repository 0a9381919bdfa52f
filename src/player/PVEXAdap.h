#pragma once

#include "platform/AutoResetEvent.h"
#include "platform/Library.h"
#include "player/PVEXQ.h"
#include "recording/PVEXUDAT.h"
#include "velqplayer/Protocol.h"

#include <QByteArray>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QWidget;
class PVEXState;
class PVEXstat0;
class PVEXstat1;
class PVEXstat2;
class PVEXstat3;
class PVEXstat4;
class PVEXstat9;

// The one object between the main window and the player library: it owns the six player
// states and knows the current one, the job queue, the telemetry reader with its block copy,
// the library's entry points and windows, the player and worker threads, and every value the
// library reports.
//
// Threads: the main window's thread calls the states' operations; the library calls dispatch()
// from its own threads; the worker thread serves the queue. Every value one of them writes and
// another reads is an atomic, the telemetry copies are published whole under a lock, and the
// destructor ends both threads and stops the callbacks before anything goes. A player thread
// that a stuck library holds past the destructor's wait is left behind; what it still touches
// then (its arguments, its end-of-thread signal) lives in a block it shares, not in the adapter.
//
// A recording that cannot be opened is told to the owner window with UM_OPEN_FAILED (0x0870,
// wParam and lParam 0, never waited for), and failedFileName() names it. That covers a name the
// adapter refuses (longer than the platform's paths) and a file the library cannot play
// (missing, empty, cut short, not a recording); the adapter then leaves its loading state, for
// idle after the library's report, or for the state before loading after a refusal. A recording
// that plays to its end gives UM_LAST_RECORD (0x0770, lParam 1) as ever, also when its length
// is unknown or its video ends before its last record.
class PVEXAdap
{
public:
    explicit PVEXAdap(QWidget* ownerWindow);
    virtual ~PVEXAdap();
    PVEXAdap(const PVEXAdap&) = delete;
    PVEXAdap& operator=(const PVEXAdap&) = delete;

    void switchState(PVEXState* state);
    int dispatch(std::intptr_t argument, int code);
    int currentSecond() const { return positionSeconds + 1; }
    int notifyMoved();
    int readTelemetryBlock();
    int loadTelemetry();

    PVEXState* current() const { return currentState; }
    // Copies the current position record and acceleration sample, whole, as the last progress
    // report left them; false before the first report with telemetry.
    bool telemetryCopies(std::array<char, 128>& gps, std::array<std::uint8_t, 12>& sensor) const;

    // The path, as handed to openFile, of the recording whose open failed last; empty before
    // the first failure.
    std::string failedFileName() const;

    // For the states.
    bool libraryLoaded() const { return m_libraryLoaded; }
    int loadPlayerLibrary(const char* fileName);
    int unloadPlayerLibrary();
    // 0 sent; 1 no library; 2 refused because longer than the library takes.
    int sendCommand(const std::string& text);
    void storeFileNames(const char* name1, const char* name2);
    bool lastFileNames(std::string& name1, std::string& name2) const;
    // A state refused to open the recording (its name does not fit the platform's paths).
    void openRefused(const char* name1);
    // The telemetry step of an open: exempt names are not read at all.
    void openTelemetry();
    bool playerThreadRunning() const;
    // 0 started, 3 not started.
    int startPlayerThread();
    // 0 running or started, 1 not created.
    int startWorkerThread();
    // Waits with a bound for code 16 (quitting), or 22 after it; false when neither came.
    bool waitForQuitting(std::chrono::milliseconds limit);
    void storePlacement(bool alternative, std::uint8_t window, int x, int y, int width, int height);

    std::atomic<PVEXState*> previousState{nullptr};
    std::atomic<PVEXState*> currentState{nullptr};
    std::unique_ptr<PVEXstat0> stateUnloaded;
    std::unique_ptr<PVEXstat1> statePlaying;
    std::unique_ptr<PVEXstat2> stateQuitting;
    std::unique_ptr<PVEXstat3> stateIdle;
    std::unique_ptr<PVEXstat4> stateReady;
    std::unique_ptr<PVEXstat9> stateLoading;
    PVEXQ queue;
    PVEXUDAT telemetry;
    std::atomic<std::uint32_t> recordIndex{0};
    std::atomic<float> position{0};
    std::atomic<std::int32_t> positionSeconds{0};
    std::atomic<bool> closing{false};
    QWidget* const ownerWindow;
    std::atomic<bool> stopWorker{false};
    std::atomic<const std::uint8_t*> currentGps{nullptr};
    std::atomic<const std::uint8_t*> currentSensor{nullptr};
    std::atomic<const std::uint8_t*> currentTime{nullptr};
    std::atomic<std::int32_t> volume{100};
    std::atomic<int> noTelemetry{0};
    std::atomic<std::int32_t> channelCount{2};
    std::atomic<std::int32_t> stateNumber{0};
    std::atomic<const std::uint8_t*> frame1{nullptr};
    std::atomic<const std::uint8_t*> frame2{nullptr};
    std::atomic<std::int32_t> frameBytes{0};
    std::atomic<std::int32_t> recordTotal{-1};
    std::vector<std::uint8_t> blockCopy; // under the telemetry lock
    std::atomic<std::int32_t> desktopWidth{0};
    std::atomic<std::int32_t> desktopHeight{0};
    const std::int32_t reservedAnswer1 = 0;
    const std::int32_t reservedAnswer2 = 0;
    // x, y, width, height of window 1, then of window 2; the library reads them through codes
    // 17 and 29, so each value is read and written as an atomic.
    std::array<std::uint16_t, 8> placementA{};
    std::array<std::uint16_t, 8> placementB{};
    std::atomic<velq::EntryFn> entry{nullptr};
    std::atomic<velq::SetInstanceFn> setInstance{nullptr};
    std::atomic<velq::SetCallbackFn> setCallback{nullptr};
    std::atomic<velq::CommandFn> command{nullptr};
    std::atomic<QWidget*> videoWindow2{nullptr};
    std::atomic<QWidget*> videoWindow1{nullptr};
    std::atomic<float> length{0};
    std::atomic<std::int32_t> lengthSeconds{0};
    std::atomic<std::int32_t*> libraryQuitFlag{nullptr};
    platform::AutoResetEvent wakeEvent;
    std::atomic<std::uint32_t> scrambleKey{0};
    std::atomic<std::int32_t> scrambledView{0};
    std::atomic<std::int32_t> pauseAfterSeek{0};
    std::atomic<std::int32_t> placeFlag1{0};
    std::atomic<std::int32_t> placeFlag2{0};
    // How long the destructor and an unload wait for the player thread to end.
    std::chrono::milliseconds threadJoinLimit{5000};

private:
    // What the player thread shares with the adapter. The thread holds it as long as it runs,
    // so a thread left behind by the destructor still has it after the adapter has gone.
    struct PlayerThreadShared
    {
        std::mutex mutex;
        std::condition_variable ended;
        bool running = false; // under mutex
        // The entry's copies of the two names, in the library's form.
        std::vector<char> argument1;
        std::vector<char> argument2;
    };

    static int callback(void* instance, std::intptr_t argument, int code);
    void reset();
    void measureDisplays();
    void progressReport(const velq::ProgressRecord* record);
    void recordCountReport(const void* record);
    void endOfFile(const velq::EndOfFile* end);
    void openFailed(const char* playerName);
    void tellOpenFailed();
    static void playerMain(std::shared_ptr<PlayerThreadShared> shared, velq::EntryFn run);
    void workerMain();
    void serveJob(PVEXState* from, PVEXState* to);
    // False when the player still runs after `limit`, or, with untilClosing, once the adapter
    // closes.
    bool joinPlayerThread(std::chrono::milliseconds limit, bool untilClosing);
    void joinWorkerThread();
    bool onPlayerThread() const;

    platform::Library m_library;
    std::mutex m_libraryMutex;
    std::atomic<bool> m_libraryLoaded{false};

    std::mutex m_switchMutex;
    // Every switch since the worker last looked: the library may report quitting and ended
    // (16, 22) before the worker wakes, and the job waiting for the first must still be seen.
    std::deque<std::pair<PVEXState*, PVEXState*>> m_transitions;

    mutable std::mutex m_namesMutex;
    std::string m_fileName1;
    std::string m_fileName2;
    bool m_hasFileNames = false;
    std::string m_playerName1; // m_fileName1 in the library's form
    std::string m_failedFileName;

    // Guards blockCopy, the reader's view of it, and the two copies.
    mutable std::mutex m_telemetryMutex;
    std::array<char, 128> m_gpsCopy{};
    std::array<std::uint8_t, 12> m_sensorCopy{};
    bool m_hasCopies = false;

    const std::shared_ptr<PlayerThreadShared> m_player = std::make_shared<PlayerThreadShared>();
    std::thread m_playerThread; // under m_player->mutex
    std::mutex m_workerMutex;
    std::thread m_workerThread; // under m_workerMutex
};
