#pragma once

#include "Channel.h"
#include "velqplayer/Protocol.h"

#include <QRect>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

struct mpv_event;
class QWidget;

namespace velq {

// The one player behind the library's C interface. Its entry runs on the caller's thread (the
// viewer's player thread) and serves commands and mpv's events there until it is told to quit;
// each channel renders on a thread of its own; the video windows live on the GUI thread.
class Player
{
public:
    static Player& instance();

    void setInstance(void* instance);
    void setCallback(Callback callback);
    int run(int argc, char** argv);
    int command(const char* text);

    // For the video windows, on the GUI thread.
    void reportLength();
    // Steps one frame and returns once it is in the frame buffer; false when the limit ran out.
    bool frameStep(std::chrono::milliseconds limit);
    const Channel& channel(int number) const { return m_channels[number == 2 ? 1 : 0]; }

private:
    Player() = default;

    int call(int code, std::intptr_t argument);
    void enqueue(std::string line);
    bool quitPending();
    void serve();
    // False once the player is to end.
    bool execute(const std::string& line);
    bool handleEvent(const mpv_event& event);
    void loadFiles(const std::string& name1, const std::string& name2);
    void announceFile();
    void reportEnd(EndReason reason);
    void report(double position);
    void reportIfAsked();
    void togglePause();
    void seek(double value, int type);
    void setSpeed(double speed);
    void setVolume(double value, bool absolute);
    void stepFrame();
    void stopFiles();
    QWidget* createWindow(int number);
    void destroyWindows();
    // From the render threads: the window repaints on the GUI thread.
    void repaintLater(int index);
    QRect placement(int number);

    // The viewer frees what its instance points to once it has taken its callback back, so a
    // call of the old callback still running elsewhere must end before setCallback returns.
    std::mutex m_callbackMutex;
    std::condition_variable m_callbackIdle;
    void* m_instance = nullptr; // under m_callbackMutex
    Callback m_callback = nullptr; // under m_callbackMutex
    int m_callsRunning = 0; // under m_callbackMutex
    std::atomic<bool> m_running{false};
    std::atomic<float> m_length{0};
    // The viewer sets it to 1 (code 21) to end the player; read and written as an atomic.
    alignas(4) std::int32_t m_quitFlag = 0;

    std::mutex m_commandMutex;
    std::deque<std::string> m_commands;
    mpv_handle* m_wakeHandle = nullptr; // under m_commandMutex

    std::mutex m_stepMutex;
    std::condition_variable m_stepReported;
    // A frame step asks for a report of the position it reached; the next report answers it.
    std::uint64_t m_reportsAsked = 0;
    std::uint64_t m_reportTicket = 0;
    std::uint64_t m_reportsDone = 0;
    std::uint64_t m_reportsMade = 0;

    std::array<Channel, 2> m_channels;

    // The player thread's own.
    void* m_owner = nullptr;
    std::array<QWidget*, 2> m_windows{};
    std::string m_file1;
    bool m_twoChannels = false;
    // The playlist entry of the last load (0 while unknown, -1 once it has ended), the entry
    // mpv last started, and whether the last load's file opened at all.
    std::int64_t m_currentEntry = 0;
    std::int64_t m_startedEntry = 0;
    bool m_fileLoaded = false;
    std::int64_t m_lastSecond = -1;
    bool m_reportPending = false;
    std::int32_t m_recordCount = 0;
    double m_speed = 1.0;
    int m_volume = 100;
    ProgressRecord m_record{};
    RecordCountLink m_countLink{};
    RecordCountValue m_countValue{};
    EndOfFile m_end{};
};

} // namespace velq
